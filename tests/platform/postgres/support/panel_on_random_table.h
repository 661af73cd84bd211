#pragma once
// A random table of the columns a server holds, and a filter or find panel on a data set,
// for the tests that hold what a panel shows on a table of the server against the same
// panel on the same rows held elsewhere (in memory, in a SQLite file).

#include <string>
#include <type_traits>
#include <vector>

#include <vantor/engines/filter_panel.h>
#include <vantor/engines/find_panel.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/data/table.h>
#include <vantor/platform/rtl/exceptions.h>
#include "support/criteria_entry.h"
#include "support/random_values.h"

namespace vantor::testing_support {

// The columns after "id" (an integer numbering the records from 1): name and city texts
// of up to 40 bytes, amount, small, price, lim (a currency), day, stamp, flag and big (64
// bits), each of a kind a criterion can be entered for.
struct RandomColumn {
  std::string name;
  TFieldType type;
};
inline const std::vector<RandomColumn>& RandomTableColumns() {
  static const std::vector<RandomColumn> columns = {
      {"name", TFieldType::ftString},   {"city", TFieldType::ftString}, {"amount", TFieldType::ftInteger},
      {"small", TFieldType::ftSmallint}, {"price", TFieldType::ftFloat}, {"lim", TFieldType::ftCurrency},
      {"day", TFieldType::ftDate},      {"stamp", TFieldType::ftDateTime}, {"flag", TFieldType::ftBoolean},
      {"big", TFieldType::ftLargeint}};
  return columns;
}
inline const std::vector<std::string>& RandomTableFields() {
  static const std::vector<std::string> fields = [] {
    std::vector<std::string> names;
    for (const RandomColumn& c : RandomTableColumns()) names.push_back(c.name);
    return names;
  }();
  return fields;
}

// Defines the columns in the closed `table`, opens it and adds `rows` random records.
inline void MakeRandomTable(TTable& table, RandomValues& random, int rows) {
  table.FieldDefs().Add("id", TFieldType::ftInteger);
  for (const RandomColumn& c : RandomTableColumns()) {
    table.FieldDefs().Add(c.name, c.type, c.type == TFieldType::ftString ? 40 : 0);
  }
  table.Open();
  random.Fill(table, rows);
}

// A filter panel (filtering) or a find panel (finding without moving as values change)
// on one data set, its criteria entered for `fields`.
template <typename Panel>
struct PanelOn {
  explicit PanelOn(TDataSet& data_set, std::vector<std::string> names = RandomTableFields())
      : fields(std::move(names)), source(nullptr), panel(nullptr) {
    source.SetDataSet(&data_set);
    panel.SetDataSource(&source);
    if constexpr (std::is_same_v<Panel, TDBFilterPanel>) {
      panel.SetFiltered(true);
    } else {
      panel.SetUpdateState(usNone);
    }
  }
  ~PanelOn() {
    panel.SetDataSource(nullptr);
    source.SetDataSet(nullptr);
  }
  // Enters the criteria; the ids shown, or {-1} when the panel refused them.
  std::vector<int> Apply(const std::vector<Criterion>& criteria) {
    return ApplyCriteria(panel, *source.DataSet(), fields, criteria);
  }
  // Finds the first match and up to `more` next ones: the id of each record found, 0 for
  // a search that found nothing, -1 for one that raised.
  std::vector<int> Finds(int more) {
    std::vector<int> ids;
    TDataSet& data = *source.DataSet();
    for (int i = 0; i <= more; ++i) {
      panel.SetRestart(i == 0);
      try {
        ids.push_back(panel.Locate() ? data.FieldByName("id")->AsInteger() : 0);
      } catch (const Exception&) {
        ids.push_back(-1);
      }
      if (ids.back() <= 0) break;
    }
    return ids;
  }

  std::vector<std::string> fields;
  TDataSource source;
  Panel panel;
};

}  // namespace vantor::testing_support
