#include <vantor/criteria/fields_list.h>

#include <cassert>

#include <vantor/criteria/field_record.h>
#include <vantor/criteria/fields_owner.h>
#include <vantor/platform/core/update_guard.h>
#include <vantor/platform/data/data_set.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/exceptions.h>

namespace vantor {

// ---- TFieldsListDesigner ----

TFieldsListDesigner::TFieldsListDesigner(TFieldsList* list) : list_(list) {
  if (list_ == nullptr) return;
  if (list_->designer_ != nullptr) list_->designer_->list_ = nullptr;
  list_->designer_ = this;
}

TFieldsListDesigner::~TFieldsListDesigner() {
  // A detached designer (replaced, or its list gone) has no link to clear.
  if (list_ != nullptr) {
    assert(list_->designer_ == this);  // replacing or destroying the list detaches it
    list_->designer_ = nullptr;
  }
}

// ---- TFieldsList ----

const TypeInfo& TFieldsList::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TFieldsList>("TFieldsList", &TCollection::StaticType()).Build();
  return info;
}

TFieldsList::TFieldsList(TFieldsOwner* owner, const TypeInfo& item_class)
    : TCollection(owner != nullptr ? owner->FieldsOwnerPersistent() : nullptr, item_class), owner_(owner) {
  if (!item_class.InheritsFrom(TFieldRecord::StaticType())) {
    throw EInvalidCast("A fields list cannot hold items of class " + item_class.Name());
  }
}

TFieldsList::~TFieldsList() {
  field_map_.clear();
  if (designer_ != nullptr) designer_->list_ = nullptr;  // its maker frees it
  // The records go while this list still exists (their destructors raise flags on it);
  // the bracket is never closed, so nothing reaches Update or the owner.
  BeginUpdate();
  while (Count() > 0) Delete(Count() - 1);
}

TFieldRecord* TFieldsList::Add() { return static_cast<TFieldRecord*>(TCollection::Add()); }

TFieldRecord* TFieldsList::Items(int index) const {
  return static_cast<TFieldRecord*>(TCollection::Items(index));
}

void TFieldsList::SetItems(int index, const TFieldRecord* value) { Items(index)->Assign(value); }

TFieldRecord* TFieldsList::FieldMapRecord(int pos) const {
  if (pos < 0 || pos >= FieldMapCount()) {
    throw EListError("List index out of bounds (" + std::to_string(pos) + ")");
  }
  return Items(field_map_[static_cast<std::size_t>(pos)]);
}

bool TFieldsList::OwnerLoading() const {
  return owner_ != nullptr && owner_->GetComponentState().Contains(csLoading);
}

void TFieldsList::SetDefaultFields(bool value) {
  if (default_fields_ == value) return;
  default_fields_ = value;
  if (value) SetFields();
}

void TFieldsList::Update(TCollectionItem* /*item*/) {
  if (OwnerLoading()) return;
  if (state_.Contains(fsPaintNeeded) && owner_ != nullptr) {
    owner_->WndChanged();
    state_.Exclude(fsPaintNeeded);
  }
  if (state_.Contains(fsUpdateNeeded) || state_.Contains(fsValueUpdate)) {
    SetFieldMap();
    if (owner_ != nullptr) owner_->Changed();
    state_ -= TFieldsState{fsUpdateNeeded, fsValueUpdate};
  }
}

void TFieldsList::SetFieldMap() {
  if (owner_ != nullptr && state_.Contains(fsValueUpdate)) {
    for (TFieldRecord* record : Records()) {
      record->SetMainValues(0, record->GetValues(0));
      record->SetMainValues(1, record->GetValues(1));
    }
  }
  BuildFieldMap();
}

void TFieldsList::ItemsMoved() {
  if (!OwnerLoading()) BuildFieldMap();
}

void TFieldsList::BuildFieldMap() {
  field_map_.clear();
  if (owner_ == nullptr) return;
  for (int i = 0; i < Count(); ++i) {
    TFieldRecord* record = Items(i);
    if (!owner_->MainNotEmptyRecord(record)) continue;
    const int key = record->IndexNo();
    if (key == -1 || field_map_.empty()) {
      field_map_.push_back(i);
      continue;
    }
    // Key fields go before the first entry that has no key position or a later one;
    // equal positions keep collection order.
    auto pos = field_map_.begin();
    for (; pos != field_map_.end(); ++pos) {
      const int other = Items(*pos)->IndexNo();
      if (other == -1 || other > key) break;
    }
    field_map_.insert(pos, i);
  }
}

void TFieldsList::SetFields() {
  if (OwnerLoading()) return;
  UpdateGuard<TCollection> bracket(*this);

  if (!default_fields_) {
    for (TFieldRecord* record : Records()) record->Update();
    return;
  }
  bool active = false;
  TDataSet* data_set = owner_ != nullptr ? owner_->OwnerDataSet(active) : nullptr;
  if (data_set == nullptr || !active) {
    Clear();
    return;
  }

  // Records already placed sit at 0..placed-1; the search for a field's record starts
  // after them, so a record is never matched twice and one left behind by a refused
  // field is still found.
  int placed = 0;
  const int field_count = data_set->FieldCount();
  for (int f = 0; f < field_count; ++f) {
    TField* field = data_set->Fields(f);
    TFieldRecord* found = nullptr;
    for (int i = placed; i < Count(); ++i) {
      TFieldRecord* record = Items(i);
      // The name check keeps a record whose cached field was freed from matching a
      // new field that happens to live at the same address.
      if (record->Field() == field && AnsiSameText(record->GetFieldName(), field->FieldName())) {
        found = record;
        break;
      }
    }
    if (found != nullptr) {
      found->SetIndex(placed++);
      continue;
    }
    TFieldRecord* record = Add();
    record->SetFieldName(field->FieldName());
    if (owner_->ValidateFieldRecord(record)) {
      record->SetIndex(placed++);
    } else {
      delete record;
    }
  }
  // Whatever was not placed belongs to fields the data set no longer has.
  while (Count() > placed) Delete(Count() - 1);
  IncludeState({fsPaintNeeded});
}

}  // namespace vantor
