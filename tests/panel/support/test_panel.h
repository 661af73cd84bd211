#pragma once
// A concrete criteria panel for the tests: it makes a field list of plain TFieldRecord
// items (the filter and find panels make their own kinds) and records what the base
// class asks of its descendants, so tests can count updates, relayouts and data sets
// handed back.

#include <functional>
#include <string>
#include <vector>

#include <vantor/criteria/field_record.h>
#include <vantor/panel/panel_fields_set.h>
#include <vantor/platform/data/data_set.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/data/table.h>

namespace vantor::testing {

class TTestPanel : public TPanelFieldsSet {
 public:
  explicit TTestPanel(TComponent* owner) : TPanelFieldsSet(owner) {
    CreateFieldsList(TFieldRecord::StaticType());
  }
  ~TTestPanel() override { ReleaseDataSet(); }

  static const TypeInfo& StaticType() {
    static const TypeInfo info =
        TypeBuilder<TTestPanel>("TTestPanel", &TPanelFieldsSet::StaticType()).Component().Build();
    return info;
  }
  const TypeInfo& ClassType() const override { return StaticType(); }

  void UpdateDataSet() override {
    ++update_data_set_calls;
    log.push_back("UpdateDataSet");
  }
  void SetOldDataSet(TDataSet* data_set) override {
    old_data_sets.push_back(data_set);
    log.push_back("SetOldDataSet");
    if (on_old_data_set) on_old_data_set(data_set);
  }
  void ActiveChanged() override {
    log.push_back("ActiveChanged");
    TPanelFieldsSet::ActiveChanged();
  }
  void PaintComponent() override {
    ++paint_calls;
    TPanelFieldsSet::PaintComponent();
  }
  int GetIndexFieldNo(const TFieldRecord* record) const override {
    ++index_field_no_calls;
    return index_field_no ? index_field_no(record) : -1;
  }
  TCountType CountState(const TFieldRecord* record) const override {
    if (count_state_hook) count_state_hook(record);
    return TPanelFieldsSet::CountState(record);
  }
  TPoint PaintPanelComponents(bool paint) override {
    ++(paint ? layout_passes : measuring_passes);
    return TPanelFieldsSet::PaintPanelComponents(paint);
  }
  bool ValidateFieldRecord(const TFieldRecord* record) const override {
    return validate ? validate(record) : TPanelFieldsSet::ValidateFieldRecord(record);
  }

  int update_data_set_calls = 0;
  int paint_calls = 0;
  int layout_passes = 0;
  int measuring_passes = 0;
  mutable int index_field_no_calls = 0;
  std::vector<TDataSet*> old_data_sets;
  std::vector<std::string> log;
  std::function<int(const TFieldRecord*)> index_field_no;
  std::function<bool(const TFieldRecord*)> validate;
  std::function<void(const TFieldRecord*)> count_state_hook;
  std::function<void(TDataSet*)> on_old_data_set;
};

// A panel bound through a data source to an in-memory table of customers
// (CustNo integer, Name string, Notes memo, Balance currency), closed at first.
struct PanelWithTable {
  PanelWithTable() : table(nullptr), source(nullptr), panel(new TTestPanel(nullptr)) {
    table.SetName("Customers");
    table.FieldDefs().Add("CustNo", TFieldType::ftInteger);
    table.FieldDefs().Add("Name", TFieldType::ftString, 20);
    table.FieldDefs().Add("Notes", TFieldType::ftMemo);
    table.FieldDefs().Add("Balance", TFieldType::ftCurrency);
    source.SetDataSet(&table);
    panel->SetName("Panel1");
    panel->SetDataSource(&source);
  }
  ~PanelWithTable() { delete panel; }
  PanelWithTable(const PanelWithTable&) = delete;
  PanelWithTable& operator=(const PanelWithTable&) = delete;

  TTable table;
  TDataSource source;
  TTestPanel* panel;
};

}  // namespace vantor::testing
