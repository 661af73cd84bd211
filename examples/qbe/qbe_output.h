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

// One CSV field, quoted when it holds a comma, a quote, CR or LF (quotes doubled),
// or when it has leading or trailing blanks that a reader might trim.
std::string CsvField(std::string_view value);

// A header line of field names, then one line per row, each ended by "\n".
void WriteCsv(std::ostream& out, const ResultTable& table);

// The table with a header and a rule, columns padded to the widest shown value
// (cells longer than `max_cell_width` characters are cut with "..."). Line breaks and
// tabs inside values are shown as blanks. `total` is the number of matching
// records, which may exceed the rows shown: the output then says how many more.
void WriteAligned(std::ostream& out, const ResultTable& table, std::size_t total,
                  std::size_t max_cell_width = 40);

// Number of characters that a UTF-8 text shows (code points; continuation bytes
// are not counted).
std::size_t DisplayWidth(std::string_view s);

}  // namespace qbe
