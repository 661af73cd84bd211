#pragma once
// The "contacts" table the engine tests share, built either in memory or as a table of a
// SQLite file with the same fields, indexes and rows, so that each behaviour is checked
// on both kinds of table.
//
// Fields: id INTEGER, name VARCHAR(20), city VARCHAR(20), amount INTEGER, note CLOB (memo).
// Indexes: by_name (name, case-insensitive), by_name_cs (name), by_name_desc (name
// descending), by_amount (amount), by_amount_desc (amount descending), by_city_name
// (city;name, case-sensitive).
// Rows, in order of adding (id: name city amount note):
//    1 Smith      Berlin  10  "first"
//    2 smith      Bern    15  null
//    3 SMITH      Paris   20  "loud"
//    4 Goldsmith  Berlin  21  null
//    5 Smithers   Rome     5  null
//    6 Adams      Berlin  12  "early"
//    7 Baker      Bern    25  null
//    8 Bob        Paris   18  null
//    9 Dan        Rome    30  null
//   10 Eve        Berlin   9  null
//   11 Al         Paris   14  null
//   12 D          Rome    20  null
//   13 Smyth      null   null null

#include <string>
#include <vector>

#include <vantor/platform/core/component.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/data/table.h>

namespace vantor::engines_test {

inline constexpr int kContactRows = 13;

struct MemoryContacts {
  static constexpr const char* kName = "Memory";
  // A closed in-memory table owned by `owner`.
  static TTable* Make(TComponent* owner);
};

struct SQLiteContacts {
  static constexpr const char* kName = "SQLite";
  // A closed table of a fresh SQLite file (removed when the test program ends).
  static TTable* Make(TComponent* owner);
};

// The ids of the visible records in the current order and filter, walking from First;
// the cursor is put back where it was.
std::vector<int> VisibleIds(TDataSet& data_set);
// The id of the current record (0 when there is none).
int CurrentId(TDataSet& data_set);

}  // namespace vantor::engines_test
