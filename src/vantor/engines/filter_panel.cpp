#include <vantor/engines/filter_panel.h>

#include <vantor/engines/criteria_pushdown.h>
#include <vantor/engines/filter_record.h>
#include <vantor/engines/internal/wait_cursor.h>
#include <vantor/platform/core/temporary_change.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/data/field.h>

namespace vantor {

const TypeInfo& TDBCustomFilterPanel::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TDBCustomFilterPanel>("TDBCustomFilterPanel", &TPanelFieldsSet::StaticType()).Build();
  return info;
}

TDBCustomFilterPanel::TDBCustomFilterPanel(TComponent* owner)
    : TPanelFieldsSet(owner), compiled_(std::make_unique<TCompiledFilter>(*this)) {
  CreateFieldsList(TFilterRecord::StaticType());
}

TDBCustomFilterPanel::~TDBCustomFilterPanel() {
  // The data set still linked is left unfiltered here, while the panel is whole: the
  // base destructor can no longer reach this class's SetOldDataSet, and the callback
  // installed on the data set refers to this panel. The change notifications that this
  // causes must not switch anything back on meanwhile.
  can_set_filtered_ = false;
  ReleaseDataSet();
  FreeFieldsList();
}

TDataSet* TDBCustomFilterPanel::LinkedDataSet() const {
  return DataLink() != nullptr ? DataLink()->DataSet() : nullptr;
}

void TDBCustomFilterPanel::SetFiltered(bool value) {
  if (!can_set_filtered_) return;
  TDataSet* data_set = LinkedDataSet();
  if (data_set == nullptr) {
    filtered_ = value;
    return;
  }
  if (value == filtered_ && data_set->Filtered() == filtered_) return;
  if (!value) data_set->SetOnFilterRecord(TFilterRecordEvent{});
  filtered_ = value;
  Changed();
}

void TDBCustomFilterPanel::FilterRecord(TDataSet* data_set, bool& accept) {
  if (OnFilterRecord) {
    OnFilterRecord(data_set, accept);
  } else {
    accept = true;
  }
  if (accept) accept = CheckRecord(0, Fields()->FieldMapCount() - 1);
}

void TDBCustomFilterPanel::UpdateDataSet() {
  TWaitCursor cursor(GetChangeCursor());
  // The data set's own change notifications must not switch Filtered back meanwhile.
  TemporaryChange switching(can_set_filtered_, false);
  TDataSet* data_set = LinkedDataSet();
  if (data_set == nullptr || !data_set->Active() || Fields() == nullptr) return;
  // A server-backed data set reads the rows the criteria may accept first, while the
  // filter is still in place: a reading that fails or is cancelled leaves the data set as
  // it was. Unfiltered, it reads all its rows again once filtering is off.
  if (filtered_) NarrowOnServer(*data_set);
  data_set->SetOnFilterRecord(TFilterRecordEvent{});
  if (data_set->Filtered() != filtered_) data_set->SetFiltered(filtered_);
  if (!filtered_) NarrowOnServer(*data_set);
  if (filtered_) {
    if (Fields()->FieldMapCount() > 0) {
      TFilterRecordEvent filter;
      filter = [this](TDataSet* ds, bool& accept) { FilterRecord(ds, accept); };
      data_set->SetOnFilterRecord(filter, compiled_.get());
    } else if (OnFilterRecord) {
      data_set->SetOnFilterRecord(OnFilterRecord);
    }
  }
  data_set->First();
}

void TDBCustomFilterPanel::NarrowOnServer(TDataSet& data_set) {
  data_set.SetServerFilter(filtered_ ? CriteriaServerCondition(*this) : TServerCondition::True());
}

void TDBCustomFilterPanel::SetOldDataSet(TDataSet* data_set) {
  if (data_set == nullptr) return;
  // A data set being destroyed has dropped its rows and its callback goes with it.
  if (data_set->ComponentState().Contains(csDestroying)) return;
  data_set->SetOnFilterRecord(TFilterRecordEvent{});
  data_set->SetFiltered(false);
  // A data set left behind shows all its rows again, also those the server held back.
  if (data_set->Active()) data_set->SetServerFilter(TServerCondition::True());
}

void TDBCustomFilterPanel::DataSetChanged() {
  TDataSet* data_set = LinkedDataSet();
  if (data_set != nullptr && data_set->Filtered() != filtered_) SetFiltered(data_set->Filtered());
}

bool TDBCustomFilterPanel::ValidateFieldRecord(const TFieldRecord* record) const {
  if (!TPanelFieldsSet::ValidateFieldRecord(record)) return false;
  if (record->GetRecordKind() == rkCalculated) return true;
  const TField* field = record->GetDefaultField();
  if (field == nullptr) return false;
  const bool data_kind = field->FieldKind() == fkData || field->FieldKind() == fkInternalCalc;
  const bool memo = field->DataType() == TFieldType::ftMemo || field->DataType() == TFieldType::ftFmtMemo;
  return data_kind && !memo;
}

}  // namespace vantor

namespace vantor {

// The published panel: the criteria panel's properties, then its own, then the ones it
// re-publishes from the host panel.
const TypeInfo& TDBFilterPanel::StaticType() {
  using C = TDBFilterPanel;
  static const TypeInfo info = [] {
    TypeBuilder<C> b("TDBFilterPanel", &TDBCustomFilterPanel::StaticType());
    b.Component()
        .Property("Filtered", &C::GetFiltered, &C::SetFiltered, false)
        .Event("OnFilterRecord", &C::OnFilterRecord);
    return PublishHostPanelProperties(b).Build();
  }();
  return info;
}

}  // namespace vantor
