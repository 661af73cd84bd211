#pragma once
// The "people" table the data-layer tests share, built either in memory or as a table of
// a SQLite file, with the same fields, indexes and rows, so one test checks both.

#include <memory>
#include <string>

#include <vantor/platform/core/component.h>
#include <vantor/platform/data/sqlite_table.h>
#include <vantor/platform/data/table.h>

namespace vantor::testing_support {

// Fields: id (autoinc), name VARCHAR(30) NOT NULL, city VARCHAR(20), amount MONEY,
// qty SMALLINT, born DATE, active BOOLEAN.
// Indexes: PRIMARY (id), by_name (name, case-insensitive), by_amount_desc (amount
// descending), by_city_name (city;name).
// Rows, in order of adding (id: name city amount qty born active):
//   1 Smith  Berlin 100.00  5 1980-01-02 true
//   2 smith  Paris  250.50  3 null       false
//   3 Adams  null    75.25 10 1975-05-05 true
//   4 SMITH  Berlin 250.50  1 1990-12-31 true
//   5 Baker  Rome    10.00  7 1985-07-07 false
//   6 Zed    Berlin  null   2 2000-01-01 true
//   7 Miller Paris  500.00  4 1970-03-03 false
inline constexpr int kPeopleRows = 7;

// Writes the people table into a new SQLite file at `path`.
void WritePeopleDatabase(const std::string& path);

struct MemoryPeople {
  static constexpr const char* kName = "Memory";
  // A closed table owned by `owner`.
  static TTable* Make(TComponent* owner);
};

struct SQLitePeople {
  static constexpr const char* kName = "SQLite";
  static TTable* Make(TComponent* owner);
};

// Ids of the rows in the current order and filter, walking from First.
std::string IdsInOrder(TTable& table);

}  // namespace vantor::testing_support
