#pragma once
// A panel of the engines bound through a data source to a contacts table of one backend
// (in memory or SQLite). The table is opened along the order given; the panel's list
// mirrors the table's fields (default fields) unless a test makes its own.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engines/support/contacts.h"
#include <vantor/panel/panel_fields_set.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/data/table.h>
#include <vantor/platform/rtl/variant.h>
#include <vantor/platform/ui/application.h>
#include <vantor/platform/ui/screen.h>

namespace vantor::engines_test {

// The two table backends every engine test runs on, named in the test names.
using Backends = ::testing::Types<MemoryContacts, SQLiteContacts>;
struct BackendName {
  template <typename T>
  static std::string GetName(int) { return T::kName; }
};

template <typename Panel, typename Backend>
struct Harness {
  explicit Harness(const std::string& index_name = "") : table(Backend::Make(nullptr)), source(nullptr) {
    if (!index_name.empty()) table->SetIndexName(index_name);
    table->Open();
    source.SetDataSet(table.get());
    panel = std::make_unique<Panel>(nullptr);
    panel->SetName("Panel1");
    panel->SetDataSource(&source);
    Application->ClearMessageBoxes();
    Screen->ClearCursorLog();
  }
  ~Harness() {
    panel.reset();
    source.SetDataSet(nullptr);
  }
  Harness(const Harness&) = delete;
  Harness& operator=(const Harness&) = delete;

  TFieldRecord* Record(const std::string& name) { return panel->FieldByName(name); }
  // Enters a single value for a field, matched with `compare`.
  void One(const std::string& name, const Variant& value, TCompareType compare, bool case_insensitive = true) {
    TFieldRecord* r = Record(name);
    r->SetCount(coOne);
    r->SetCompare(compare);
    r->SetCaseInsensitive(case_insensitive);
    r->SetValues(0, value);
  }
  // Enters a range (Null for an absent bound).
  void Two(const std::string& name, const Variant& low, const Variant& high, TCompareType compare = ctExact,
           bool case_insensitive = true) {
    TFieldRecord* r = Record(name);
    r->SetCount(coTwo);
    r->SetCompare(compare);
    r->SetCaseInsensitive(case_insensitive);
    r->SetValues(0, low);
    r->SetValues(1, high);
  }
  // Moves to the record with that id (walking the current view).
  void GoTo(int id) {
    for (table->First(); !table->Eof(); table->Next()) {
      if (CurrentId(*table) == id) return;
    }
    ADD_FAILURE() << "no visible record with id " << id;
  }
  // The texts of the message boxes shown since the harness was made.
  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const auto& box : Application->MessageBoxes()) texts.push_back(box.text);
    return texts;
  }

  std::unique_ptr<TTable> table;
  TDataSource source;
  std::unique_ptr<Panel> panel;
};

// The ids of the records for which the panel's record test passes over the whole field
// map, walking the table in its current order.
inline std::vector<int> MatchingIds(TPanelFieldsSet& panel, TDataSet& data_set) {
  std::vector<int> ids;
  const int last = panel.Fields()->FieldMapCount() - 1;
  for (data_set.First(); !data_set.Eof(); data_set.Next()) {
    if (panel.CheckRecord(0, last)) ids.push_back(CurrentId(data_set));
  }
  return ids;
}

using Ids = std::vector<int>;

}  // namespace vantor::engines_test
