#pragma once
// Command line of the qbe program: what to open, whether to find or to filter, how
// to compare, and the example values, one `Field=Value` (or `Field=Lo..Hi`) each.
// Parsing knows nothing of the database: it only checks the shape of the line, so
// that it can be tested on its own; field names and value types are checked later,
// against the opened table (qbe_run.cpp).

#include <cstddef>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qbe {

// A malformed command line. The message is meant for the user, as is.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class Action : unsigned char { Filter, Find };
// The find strategies, in the order the find panel declares them.
enum class FindMode : unsigned char { Exact, Nearest, Fast, Normal };
// How an entered text is matched: equal, begins with, contains.
enum class CompareMode : unsigned char { Exact, Initial, Internal };

// One example value. A plain value has only `low`; a range `Lo..Hi` may leave out
// either bound (`..Hi`, `Lo..`), and its bounds are inclusive.
struct Criterion {
  std::string field;
  bool range = false;
  std::optional<std::string> low;
  std::optional<std::string> high;
  // The argument as typed, for messages.
  std::string text;
};

struct Options {
  bool help = false;
  Action action = Action::Filter;
  FindMode mode = FindMode::Fast;
  std::optional<CompareMode> compare;  // unset: the field type's default
  bool case_sensitive = false;
  std::string index;  // index name of the table to search along; empty: none
  std::string db;     // empty: the sample database
  // Connection parameters of a PostgreSQL database to use instead of a file ("" takes
  // them from the PG* environment variables); unset: a SQLite file.
  std::optional<std::string> pg;
  std::string table;  // empty: the sample's table, or the only table of --db
  int next = 0;       // how many further matches --find looks for
  bool csv = false;
  // The POSIX locale whose number and date forms values are typed and shown in;
  // empty: the environment's (LC_ALL, LC_NUMERIC/LC_TIME, LANG).
  std::string locale;
  // Most rows the table output shows (the count is always complete); CSV shows all
  // unless --limit is given. -1: the output's own default.
  long limit = -1;
  std::vector<Criterion> criteria;
};

// Parses the arguments after the program name. Throws UsageError.
Options ParseArguments(std::span<const std::string_view> args);
Options ParseArguments(int argc, char** argv);

// Splits one `Field=Value` argument. A backslash takes the next character
// literally, so `Note=a\.\.b` searches for the text "a..b". Throws UsageError.
Criterion ParseCriterion(std::string_view arg);

// The text that --help prints. `date_form` names the form dates are typed in under
// the current locale ("such as 05.01.2024 for 5 January 2024"); empty leaves the line out.
std::string UsageText(std::string_view program, std::string_view date_form = {});

}  // namespace qbe
