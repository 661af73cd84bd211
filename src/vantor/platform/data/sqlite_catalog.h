#pragma once
// What a database file holds, as a program lists it for a person to choose from: its tables
// and its views by name.

#include <string>
#include <vector>

namespace vantor {

class SQLiteConnection;

// The tables (WITHOUT ROWID and virtual ones included) and the views of a file, each list in
// byte order of the names. SQLite's own tables are left out: their names begin with
// "sqlite_" in any letter case, which SQLite refuses for every other table.
struct SQLiteCatalog {
  std::vector<std::string> tables;
  std::vector<std::string> views;
};

// Reads the catalog of the main database of `db`; EDatabaseError when the schema cannot be read.
SQLiteCatalog ReadSQLiteCatalog(const SQLiteConnection& db);

}  // namespace vantor
