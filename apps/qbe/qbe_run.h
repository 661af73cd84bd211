#pragma once
// The work of the qbe program once its command line is parsed: open the database (the
// sample one is generated on first use), bind a find or filter panel to the table, enter
// the example values, search or filter, and print what matched.

#include <iosfwd>
#include <span>
#include <string_view>
#include <stdexcept>
#include <string>

#include "qbe_args.h"

namespace qbe {

// A request that the database cannot serve (unknown table, field or index, a value
// that is no value of its field's type, a missing file). Reported like a usage error.
class RequestError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Installs the number and date forms of the locale `name` (empty: the environment's)
// and returns how dates are typed in it, for --help ("such as 05.01.2024 for 5 January 2024").
// An explicit locale that is not installed is a RequestError; the environment's falls
// back to the library's default forms with a note on `log`.
std::string ApplyLocale(const std::string& name, std::ostream& log);

// The whole program: parses the arguments, prints help or runs the request, and
// reports a failure as a sentence on `err`. Returns the exit code: 0 done, 2 a request
// that cannot be served as given (usage, unknown names, bad values), 1 a failure of the
// database or the system.
int Main(std::span<const std::string_view> args, std::string_view program, std::ostream& out, std::ostream& err);

// Runs the request; results go to `out`, notes and the summary of a CSV run to `log`.
// Throws RequestError, or the library's exceptions for database failures.
void Run(const Options& options, std::ostream& out, std::ostream& log);

}  // namespace qbe
