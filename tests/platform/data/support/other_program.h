#pragma once
// Another program on the same SQLite file: its own connection, which writes between the
// steps of a data set under test and reads the file back to see what really changed.

#include <string>
#include <vector>

struct sqlite3;

namespace vantor::testing_support {

class OtherProgram {
 public:
  explicit OtherProgram(const std::string& path);
  ~OtherProgram();
  OtherProgram(const OtherProgram&) = delete;
  OtherProgram& operator=(const OtherProgram&) = delete;

  // Runs statements; throws std::runtime_error with SQLite's message when one fails.
  void Exec(const std::string& sql);
  // Each result row of `sql` as its cells' texts joined by "|" ("NULL" for null).
  std::vector<std::string> Rows(const std::string& sql);
  // What the file holds of `table`, ordered by its rowid (or its key without one).
  std::vector<std::string> Dump(const std::string& table) { return Rows("SELECT * FROM " + table + " ORDER BY 1"); }

 private:
  sqlite3* db_ = nullptr;
};

}  // namespace vantor::testing_support
