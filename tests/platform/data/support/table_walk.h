#pragma once
// Where a table's cursor is, and what a walk over it visits, in a form two tables can be
// compared by: the tests of tables that read their rows on demand hold them against the
// same table holding every row.

#include <string>
#include <vector>

#include <vantor/platform/data/table.h>

namespace vantor::testing_support {

// The current record's "id" ("-" on an empty table), with " eof" and " bof" where set.
inline std::string Place(TTable& t) {
  const std::string id = t.IsEmpty() ? "-" : t.FieldByName("id")->AsString();
  return id + (t.Eof() ? " eof" : "") + (t.Bof() ? " bof" : "");
}

// The ids from First to the end.
inline std::vector<std::string> Walk(TTable& t) {
  std::vector<std::string> ids;
  for (t.First(); !t.Eof(); t.Next()) ids.push_back(t.FieldByName("id")->AsString());
  return ids;
}

}  // namespace vantor::testing_support
