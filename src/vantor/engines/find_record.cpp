#include <vantor/engines/find_record.h>

#include <vantor/engines/filter_record.h>
#include <vantor/engines/find_panel.h>

namespace vantor {

const TypeInfo& TFilterRecord::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TFilterRecord>("TFilterRecord", &TFieldRecord::StaticType()).Item().Build();
  return info;
}

const TypeInfo& TFindRecord::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TFindRecord>("TFindRecord", &TFieldRecord::StaticType()).Item().Build();
  return info;
}

TDBCustomFindPanel* TFindRecord::FindPanel() const {
  return dynamic_cast<TDBCustomFindPanel*>(FieldsOwner());
}

bool TFindRecord::IsKeyRecord() const {
  const TDBCustomFindPanel* panel = FindPanel();
  return panel != nullptr && IndexNo() != -1 && panel->IndexMode();
}

bool TFindRecord::IndexCaseInsensitive() const {
  const TDBCustomFindPanel* panel = FindPanel();
  if (panel == nullptr) return true;
  const TDataSetIndex* index = panel->DataSetIndex();
  // IndexNo is kept in step with the entries by UpdateFieldsIndexNo; a stale position
  // (entries rebuilt in between) reads as the record's own default would.
  if (IndexNo() < 0 || IndexNo() >= index->GetCount()) return true;
  return index->GetItem(IndexNo())->CaseInsensitive;
}

void TFindRecord::LeaveIndexMode() {
  if (TDBCustomFindPanel* panel = FindPanel()) panel->SetFindOptions(foFast);
}

TCompareType TFindRecord::GetCompare() const {
  return IsKeyRecord() ? ctExact : TFieldRecord::GetCompare();
}

TCountType TFindRecord::GetCount() const {
  return IsKeyRecord() ? coOne : TFieldRecord::GetCount();
}

bool TFindRecord::GetCaseInsensitive() const {
  return IsKeyRecord() ? IndexCaseInsensitive() : TFieldRecord::GetCaseInsensitive();
}

TCompareType TFindRecord::DefaultCompare() const {
  return IsKeyRecord() ? ctExact : TFieldRecord::DefaultCompare();
}

TCountType TFindRecord::DefaultCount() const {
  return IsKeyRecord() ? coOne : TFieldRecord::DefaultCount();
}

bool TFindRecord::DefaultCaseInsensitive() const {
  if (FindPanel() == nullptr) return TFieldRecord::DefaultCaseInsensitive();
  return IsKeyRecord() ? IndexCaseInsensitive() : TFieldRecord::DefaultCaseInsensitive();
}

void TFindRecord::SetCompare(TCompareType value) {
  if (IsAssigned(frvCompare) && StoredCompare() == value) return;
  if (IsKeyRecord() && value != ctExact) LeaveIndexMode();
  TFieldRecord::SetCompare(value);
}

void TFindRecord::SetCount(TCountType value) {
  if (IsAssigned(frvCount) && StoredCount() == value) return;
  if (IsKeyRecord() && value != coOne) LeaveIndexMode();
  TFieldRecord::SetCount(value);
}

void TFindRecord::SetCaseInsensitive(bool value) {
  if (IsAssigned(frvCaseInsensitive) && StoredCaseInsensitive() == value) return;
  if (IsKeyRecord() && value != IndexCaseInsensitive()) LeaveIndexMode();
  TFieldRecord::SetCaseInsensitive(value);
}

}  // namespace vantor
