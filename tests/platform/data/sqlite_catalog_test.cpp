#include <vantor/platform/data/sqlite_catalog.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <vantor/platform/data/sqlite_connection.h>
#include "support/odd_database.h"
#include "support/people.h"
#include "support/sqlite_file.h"

namespace vantor {
namespace {

using Names = std::vector<std::string>;

TEST(SQLiteCatalog, ListsTablesAndViewsByNameWithoutSQLiteOwnTables) {
  const std::string path = testing_support::TempDbPath("catalog");
  testing_support::WriteOddDatabase(path);
  {
    // AUTOINCREMENT makes sqlite_sequence and ANALYZE sqlite_stat1; names that merely
    // begin with "sqlite" belong to the user.
    SQLiteConnection db(path);
    db.Exec("CREATE TABLE Orders (id INTEGER PRIMARY KEY AUTOINCREMENT);"
            "INSERT INTO Orders DEFAULT VALUES;"
            "CREATE TABLE sqlitedata (x); CREATE TABLE sqlite1 (x);"
            "CREATE VIEW a_view AS SELECT 1;"
            "ANALYZE;");
  }
  const SQLiteCatalog catalog = ReadSQLiteCatalog(SQLiteConnection(path));
  EXPECT_EQ(catalog.tables, (Names{"Orders", "codes", "customers", "odd things", "sqlite1", "sqlitedata"}));
  EXPECT_EQ(catalog.views, (Names{"a_view", "big ones"}));
  std::remove(path.c_str());
}

TEST(SQLiteCatalog, AnEmptyFileHoldsNothing) {
  const std::string path = testing_support::TempDbPath("catalog_empty");
  std::ofstream{path};  // SQLite takes an empty file for an empty database
  const SQLiteCatalog catalog = ReadSQLiteCatalog(SQLiteConnection(path));
  EXPECT_TRUE(catalog.tables.empty());
  EXPECT_TRUE(catalog.views.empty());
  std::remove(path.c_str());
}

}  // namespace
}  // namespace vantor
