// The find panel: its life cycle, Locate and the keyed seeks. The comparisons that
// tell where the current record lies along the index are in find_comparisons.cpp.

#include <vantor/engines/find_panel.h>

#include <algorithm>

#include <vantor/engines/find_record.h>
#include <vantor/engines/internal/wait_cursor.h>
#include <vantor/platform/data/table.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/rtl/string_table.h>
#include <vantor/platform/ui/message_dialogs.h>

namespace vantor {

const TypeInfo& TDBCustomFindPanel::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TDBCustomFindPanel>("TDBCustomFindPanel", &TPanelFieldsSet::StaticType()).Build();
  return info;
}

TDBCustomFindPanel::TDBCustomFindPanel(TComponent* owner) : TPanelFieldsSet(owner) {
  CreateFieldsList(TFindRecord::StaticType());
  data_set_index_ = std::make_unique<TDataSetIndex>(this);
  find_options_ = foFast;
  restart_ = true;
}

TDBCustomFindPanel::~TDBCustomFindPanel() {
  FreeFieldsList();
  data_set_index_.reset();
}

// ---- small helpers ----

TTable* TDBCustomFindPanel::Table() const {
  TDataSet* data_set = DataLink()->DataSet();
  if (data_set == nullptr || data_set->ComponentState().Contains(csDestroying)) return nullptr;
  return dynamic_cast<TTable*>(data_set);
}

TFieldRecord* TDBCustomFindPanel::MapRecord(int pos) const { return Fields()->FieldMapRecord(pos); }

const TIndexFieldDef* TDBCustomFindPanel::EntryOf(const TFieldRecord* record) const {
  const int no = record->IndexNo();
  if (no < 0 || no >= data_set_index_->GetCount()) return nullptr;
  return data_set_index_->GetItem(no);
}

std::string TDBCustomFindPanel::GetDefaultIndexFieldNames() const {
  const TTable* table = Table();
  return table != nullptr ? table->IndexFieldNames() : std::string();
}

std::string TDBCustomFindPanel::GetDefaultIndexName() const {
  const TTable* table = Table();
  return table != nullptr ? table->IndexName() : std::string();
}

bool TDBCustomFindPanel::RefreshSeenIndex() {
  std::string field_names = GetDefaultIndexFieldNames();
  std::string name = GetDefaultIndexName();
  const bool changed = field_names != seen_index_field_names_ || name != seen_index_name_;
  seen_index_field_names_ = std::move(field_names);
  seen_index_name_ = std::move(name);
  return changed;
}

// ---- properties ----

void TDBCustomFindPanel::SetFindOptions(TFindOptions value) {
  if (value == find_options_) return;
  const bool was_index_mode = IndexMode();
  find_options_ = value;
  if (was_index_mode != IndexMode()) {
    // Key records report other options in the index modes, so their rows change; and
    // which records take part changes, so the field map is rebuilt before the next
    // search (Locate applies pending work).
    if (Fields() != nullptr) Fields()->IncludeState({fsUpdateNeeded});
    WndChanged();
  }
  Changed();
}

// ---- key positions ----

int TDBCustomFindPanel::GetIndexFieldNo(const TFieldRecord* record) const {
  if (record->GetRecordKind() != rkData || record->Field() == nullptr) return -1;
  if (data_set_index_->GetCount() == 0 || !DataLink()->Active()) return -1;
  // The index is renumbered when the link reports a change, before the list re-binds
  // its records: a record's cached field may belong to the fields just replaced, so
  // the field is taken from the data set by name.
  const TField* current = DataLink()->DataSet()->FindField(record->GetFieldName());
  if (current == nullptr) return -1;
  const int field_no = current->FieldNo();
  for (int i = 0; i < data_set_index_->GetCount(); ++i) {
    const TField* field = data_set_index_->GetItem(i)->Field;
    if (field != nullptr && field->FieldNo() == field_no) return i;
  }
  return -1;
}

void TDBCustomFindPanel::UpdateFieldsIndexNo() {
  TFieldsList* list = Fields();
  if (list == nullptr) return;
  bool moved = false;
  for (TFieldRecord* record : list->Records()) {
    const int no = GetIndexFieldNo(record);
    moved = moved || no != record->IndexNo();
    record->SetIndexNo(no);
  }
  // The field map lists key fields first, by key position: it is stale now.
  if (moved) list->IncludeState({fsUpdateNeeded});
}

TCountType TDBCustomFindPanel::CountState(const TFieldRecord* record) const {
  if (IndexMode() && record->IndexNo() == -1) return coNone;
  return TPanelFieldsSet::CountState(record);
}

// ---- data-set events ----

void TDBCustomFindPanel::UpdateDataSet() {
  if (applying_values_) return;
  if (GetUpdateState() == usAuto) Locate();
}

void TDBCustomFindPanel::ValuesChanged() {
  // Values typed while the panel waited (a pending change) are applied before the
  // search whatever the update state, so that a switch to usAuto searches with them.
  ApplyPendingValues();
  Locate();
}

void TDBCustomFindPanel::DataSetChanged() {
  if (RefreshSeenIndex()) {
    data_set_index_->Update();
    WndChanged();
  }
  TPanelFieldsSet::DataSetChanged();
}

void TDBCustomFindPanel::LayoutChanged() {
  RefreshSeenIndex();
  data_set_index_->Update();
  TPanelFieldsSet::LayoutChanged();
}

void TDBCustomFindPanel::ActiveChanged() {
  RefreshSeenIndex();
  data_set_index_->Update();
  TPanelFieldsSet::ActiveChanged();
}

void TDBCustomFindPanel::ApplyPendingValues() {
  TFieldsList* list = Fields();
  const TFieldsState state = list->State();
  if (!state.Contains(fsUpdateNeeded) && !state.Contains(fsValueChanged)) return;
  if (state.Contains(fsValueChanged)) {
    list->ExcludeState({fsValueChanged});
    list->IncludeState({fsValueUpdate});
  }
  // The rebuild ends in Changed -> UpdateDataSet; the caller searches itself.
  TemporaryChange applying(applying_values_, true);
  list->Changed();
}

// ---- the search ----

bool TDBCustomFindPanel::Locate() {
  if (!DataLink()->Active()) return false;
  TDataSet* data_set = DataLink()->DataSet();
  bool found = false;
  {
    TWaitCursor cursor(GetChangeCursor());
    // Values typed while waiting (not in usAuto), and a field map made stale by a new
    // index or a switch of FindOptions (in any state), are applied first.
    ApplyPendingValues();
    try {
      TControlsDisabled controls(*data_set);
      TBookmarkHolder start(*data_set);
      int index_field_no = -1;
      int key_no = -1;
      if (find_options_ != foNormal) IndexFieldCheck(index_field_no, key_no);
      if (SetPosition(index_field_no, key_no)) {
        // The nearest key is found only when the seek landed on a record: an empty data
        // set, or a key past the last one (Eof), has none to offer.
        found = find_options_ == foIndexNearest ? !data_set->IsEmpty() && !data_set->Eof()
                                                : Walk(index_field_no, key_no);
      }
      if (found) {
        // Settle on the found record through a bookmark of its own, as the links
        // expect a positioned (not merely walked-to) record.
        TBookmarkHolder here(*data_set);
        if (data_set->BookmarkValid(here.Get())) here.Restore();
      } else if (data_set->BookmarkValid(start.Get())) {
        start.Restore();
      }
    } catch (...) {
      // The bookmark is freed and the controls enabled by now. A data set that failed
      // half-way is re-read; a failing refresh must not hide the original error.
      try {
        if (data_set->Active()) data_set->Refresh();
      } catch (...) {
      }
      throw;
    }
  }
  if (!found && show_box_) ShowMessage(LoadStr(restart_ ? SRecordNotFound : SNextRecordNotFound));
  return found;
}

bool TDBCustomFindPanel::SeekForward(int key_high, int key_no, bool up) {
  TDataSet* data_set = DataLink()->DataSet();
  const int before = data_set->RecNo();
  SetKeyValues(key_high, key_no, up);
  return data_set->RecNo() > before;
}

bool TDBCustomFindPanel::SetPosition(int index_field_no, int key_no) {
  TDataSet* data_set = DataLink()->DataSet();
  const int key_high = std::max(index_field_no, key_no);
  if (restart_) {
    if (key_high == -1) data_set->First();
    else SetKeyValues(key_high, key_no, true);
    return true;
  }
  if (key_high == -1) {
    if (IndexMode()) return false;
    data_set->Next();
    return true;
  }
  switch (const TComparisonOptions cmp = IndexComparision(index_field_no, key_no)) {
    case coLess:
    case coInternal:
      return SeekForward(key_high, key_no, cmp == coLess);
    case coMore:
      return false;
    case coExact:
      data_set->Next();
      if (IndexMode()) return IndexComparision(index_field_no, key_no) == coExact;
      return true;
  }
  return false;
}

bool TDBCustomFindPanel::Walk(int index_field_no, int key_no) {
  TDataSet* data_set = DataLink()->DataSet();
  const int key_high = std::max(index_field_no, key_no);
  while (!data_set->Eof()) {
    if (!CheckRecord(0, index_field_no)) return false;  // the key part no longer matches
    const TComparisonOptions where = CaseSensitiveCompare(key_no);
    if (where == coMore) return false;  // beyond every candidate
    if (where == coLess || where == coInternal) {
      if (!SeekForward(key_high, key_no, where == coLess)) return false;
      continue;
    }
    if (CheckRecord(index_field_no + 1, Fields()->FieldMapCount() - 1)) return true;
    data_set->MoveBy(1);
  }
  return false;
}

// ---- keyed seeks ----

void TDBCustomFindPanel::AddChar(char ch, int count, std::string& s) {
  s.assign(count > 0 ? static_cast<std::size_t>(count) : 0, ch);
}

void TDBCustomFindPanel::SetKeyValues(int key_high, int case_no, bool up) {
  std::vector<Variant> key;
  key.reserve(static_cast<std::size_t>(key_high + 1));
  for (int i = 0; i <= key_high; ++i) {
    const TFieldRecord* record = MapRecord(i);
    const TIndexFieldDef* entry = i < data_set_index_->GetCount() ? data_set_index_->GetItem(i) : nullptr;
    const bool descending = entry != nullptr && entry->Descending;
    const bool range = CountState(record) == coTwo;
    if (descending && range && record->GetValues(1).IsNull() && i == key_high) {
      // A descending range open at the top starts with the group's first record: the
      // key ends before this field (seeking with the lower bound would skip every
      // greater value).
      break;
    }
    Variant value = descending && range && !record->GetValues(1).IsNull() ? record->GetValues(1)
                                                                           : record->GetValues(0);
    if (i == case_no) {
      // Upper case sorts first in a band of case variants, lower case last; a
      // descending entry reverses the band.
      const std::string text = VarToStr(value);
      value = Variant(up != descending ? AnsiUpperCase(text) : AnsiLowerCase(text));
    }
    key.push_back(std::move(value));
  }
  FindKey(key, find_options_ == foIndexExact);
}

bool TDBCustomFindPanel::FindKey(const std::vector<Variant>& key_values, bool exact) {
  if (!DataLink()->Active() || Table() == nullptr) return false;
  return TableFindKey(key_values, exact);
}

bool TDBCustomFindPanel::TableFindKey(const std::vector<Variant>& key_values, bool exact) {
  TTable* table = Table();
  const int high = static_cast<int>(key_values.size()) - 1;
  table->SetKey();
  // Leaves the key-edit state when filling the key buffer fails (Cancel tells the links,
  // whose handlers may raise: the guard's rule keeps that from ending the program).
  ScopeExit guard([table] {
    if (table->State() == dsSetKey) table->Cancel();
  });
  // Writing stops at the first entry without a field: the key can reach no further.
  for (int i = 0; i < data_set_index_->GetCount(); ++i) {
    const TIndexFieldDef* entry = data_set_index_->GetItem(i);
    TField* field = entry->Field;
    if (field == nullptr) break;
    const bool padded_text = !exact && entry->Descending && IsTextFieldType(field->DataType());
    if (i <= high) {
      const Variant& value = key_values[static_cast<std::size_t>(i)];
      const TFieldRecord* record = FindField(field->FieldName());
      if (padded_text && record != nullptr && record->GetCompare() != ctExact && !value.IsClear()) {
        // A prefix on a descending key: pad with 0xFF bytes, which sort after every
        // character, so the seek lands before the first text that begins with the
        // prefix. The prefix stays whole (a stored text may be longer than the declared
        // size) and gets at least one byte of padding, which is enough for any text.
        const std::string text = VarToStr(value);
        std::string pad;
        AddChar('\xFF', std::max(field->Size() - static_cast<int>(text.size()), 1), pad);
        field->SetAsVariant(Variant(text + pad));
      } else {
        // Texts go in whole, whatever the declared size: a stored value may be longer.
        field->SetAsVariant(value);
      }
      continue;
    }
    // Fields past the given values stay out of the key (the seek then compares the
    // leading fields only), except that a descending text field takes the greatest text
    // so that the nearest key is the first record of the group.
    if (!padded_text) break;
    std::string pad;
    AddChar('\xFF', field->Size() > 0 ? field->Size() : 4, pad);
    field->SetAsVariant(Variant(pad));
  }
  guard.Release();
  if (exact) return table->GotoKey();
  table->GotoNearest();
  return true;
}

}  // namespace vantor

namespace vantor {

// The published panel: the criteria panel's properties, then its own, then the ones it
// re-publishes from the host panel.
const TypeInfo& TDBFindPanel::StaticType() {
  using C = TDBFindPanel;
  static const TypeInfo info = [] {
    TypeBuilder<C> b("TDBFindPanel", &TDBCustomFindPanel::StaticType());
    b.Component()
        .Property("ShowBox", &C::GetShowBox, &C::SetShowBox, false)
        .Property("FindOptions", &C::GetFindOptions, &C::SetFindOptions, foFast)
        .Property("DataSetIndex", &C::DataSetIndex)
        .Stored(&C::IsDataSetIndexStored);
    return PublishHostPanelProperties(b).Build();
  }();
  return info;
}

}  // namespace vantor
