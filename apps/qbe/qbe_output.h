#pragma once
// Printing of the records that qbe found: an aligned table for people, CSV for
// programs. Works on plain texts (the values as the fields give them), so it knows
// nothing of data sets and can be tested on its own.

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace qbe {

struct ResultTable {
  std::vector<std::string> headers;
  // Per column: numbers read better right-aligned.
  std::vector<bool> right_aligned;
  std::vector<std::vector<std::string>> rows;
};

// The text with what a terminal or a CSV reader must not get raw shown escaped: tabs,
// line breaks and other control characters as \t, \n, \r, \xNN (\u0085 for the C1
// controls), and bytes that are no valid UTF-8 as \xNN. Everything else stays as it is.
std::string Escaped(std::string_view text);

// A BLOB as a person can read it: up to 16 bytes in hex (x'00ff10'), else its size
// ("(BLOB, 1234 bytes)").
std::string BlobText(std::string_view bytes);

// One CSV field (control characters escaped, see Escaped), quoted when it holds a comma
// or a quote (quotes doubled),
// or when it has leading or trailing blanks that a reader might trim.
std::string CsvField(std::string_view value);

// A header line of field names, then one line per row, each ended by "\n".
void WriteCsv(std::ostream& out, const ResultTable& table);

// The table with a header and a rule, columns padded to the widest shown value
// (cells longer than `max_cell_width` characters are cut with "..."). Control characters
// and invalid UTF-8 inside values are shown escaped. `total` is the number of matching
// records, which may exceed the rows shown: the output then says how many more.
void WriteAligned(std::ostream& out, const ResultTable& table, std::size_t total,
                  std::size_t max_cell_width = 40);

}  // namespace qbe
