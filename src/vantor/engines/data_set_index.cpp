#include <vantor/engines/data_set_index.h>

#include <vantor/engines/find_panel.h>
#include <vantor/platform/data/table.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/rtl/string_table.h>

namespace vantor {

const TypeInfo& TDataSetIndex::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TDataSetIndex>("TDataSetIndex", &TPersistent::StaticType())
          .Property("DefaultIndex", &TDataSetIndex::GetDefaultIndex, &TDataSetIndex::SetDefaultIndex, true)
          .Property("Options", &TDataSetIndex::GetOptions, &TDataSetIndex::SetOptions)
          .Stored(&TDataSetIndex::IsOptionsStored)
          .Property("CaseInsFields", &TDataSetIndex::GetCaseInsFields, &TDataSetIndex::SetCaseInsFields)
          .Stored(&TDataSetIndex::IsCaseInsFieldsStored)
          .Property("DescFields", &TDataSetIndex::GetDescFields, &TDataSetIndex::SetDescFields)
          .Stored(&TDataSetIndex::IsDescFieldsStored)
          .Property("FieldNames", &TDataSetIndex::GetFieldNames, &TDataSetIndex::SetFieldNames)
          .Stored(&TDataSetIndex::IsFieldNamesStored)
          .Build();
  return info;
}

TDataSetIndex::TDataSetIndex(TDBCustomFindPanel* owner) : owner_(owner) {}

TDataSetIndex::~TDataSetIndex() = default;

TPersistent* TDataSetIndex::GetOwner() const { return owner_; }

// ---- the owner ----

bool TDataSetIndex::LinkActive() const {
  return owner_ != nullptr && owner_->DataLink() != nullptr && owner_->DataLink()->Active();
}

TTable* TDataSetIndex::LinkedTable() const {
  if (owner_ == nullptr || owner_->DataLink() == nullptr) return nullptr;
  TDataSet* data_set = owner_->DataLink()->DataSet();
  if (data_set == nullptr || data_set->ComponentState().Contains(csDestroying)) return nullptr;
  return dynamic_cast<TTable*>(data_set);
}

bool TDataSetIndex::OwnerLoading() const {
  return owner_ != nullptr && owner_->GetComponentState().Contains(csLoading);
}

void TDataSetIndex::OwnerChanged() {
  if (owner_ != nullptr && owner_->GetFindOptions() != foNormal) owner_->Changed();
}

void TDataSetIndex::OwnerWndChanged() {
  if (owner_ != nullptr && owner_->IndexMode()) owner_->WndChanged();
}

// ---- readers ----

std::string TDataSetIndex::GetFieldNames() const {
  return default_index_ ? GetDefaultIndexFieldNames() : stored_field_names_;
}

TIndexOptions TDataSetIndex::GetOptions() const {
  return default_index_ ? GetDefaultOptions() : stored_options_;
}

std::string TDataSetIndex::GetCaseInsFields() const {
  return default_index_ ? GetDefaultCaseInsFields() : stored_case_ins_fields_;
}

std::string TDataSetIndex::GetDescFields() const {
  return default_index_ ? GetDefaultDescFields() : stored_desc_fields_;
}

std::string TDataSetIndex::GetDefaultIndexFieldNames() const {
  return LinkActive() ? cached_index_field_names_ : GetIndexFieldNames();
}

std::optional<TIndexDef> TDataSetIndex::GetDefaultIndexDef() const {
  return LinkActive() ? cached_index_def_ : GetIndexDef();
}

TIndexOptions TDataSetIndex::GetDefaultOptions() const {
  const std::optional<TIndexDef> def = GetDefaultIndexDef();
  return def ? def->Options() : TIndexOptions{};
}

// A table's definition may make only some of its fields descending or case-free; the
// default index takes those lists over, so that the entries describe the order the table
// really uses (its Options alone would claim every field).
std::string TDataSetIndex::GetDefaultCaseInsFields() const {
  const std::optional<TIndexDef> def = GetDefaultIndexDef();
  return def ? def->CaseInsFields() : std::string();
}

std::string TDataSetIndex::GetDefaultDescFields() const {
  const std::optional<TIndexDef> def = GetDefaultIndexDef();
  return def ? def->DescFields() : std::string();
}

std::string TDataSetIndex::GetIndexFieldNames() const {
  const TTable* table = LinkedTable();
  if (table == nullptr) return {};
  if (!table->IndexName().empty()) {
    const int i = table->IndexDefs().IndexOf(table->IndexName());
    return i >= 0 ? table->IndexDefs().Items(i).Fields() : std::string();
  }
  return table->IndexFieldNames();
}

std::optional<TIndexDef> TDataSetIndex::GetIndexDef() const {
  const TTable* table = LinkedTable();
  if (table == nullptr) return std::nullopt;
  if (!table->IndexName().empty()) {
    const int i = table->IndexDefs().IndexOf(table->IndexName());
    if (i < 0) return std::nullopt;
    return table->IndexDefs().Items(i);
  }
  if (table->IndexFieldNames().empty()) return std::nullopt;
  // The definition the table itself takes its order from; none when the table made a
  // plain ascending order of its own (asking with a raising lookup would turn every
  // such table into an error).
  if (const TIndexDef* def = table->IndexDefs().GetIndexForFields(table->IndexFieldNames(), false)) {
    return *def;
  }
  return std::nullopt;
}

// ---- entries ----

const TIndexFieldDef* TDataSetIndex::GetItem(int index) const {
  if (index < 0 || index >= GetCount()) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  }
  return &entries_[static_cast<std::size_t>(index)];
}

const TIndexFieldDef* TDataSetIndex::FindIndexFieldDef(const std::string& field_name) const {
  for (const TIndexFieldDef& entry : entries_) {
    if (entry.Field != nullptr && AnsiCompareText(entry.Field->FieldName(), field_name) == 0) {
      return &entry;
    }
  }
  return nullptr;
}

// ---- name lists ----

void TDataSetIndex::GetFirstFieldName(std::string& names, std::string& name) {
  const std::size_t sep = names.find(';');
  if (sep == std::string::npos) {
    name = std::move(names);
    names.clear();
    return;
  }
  name = names.substr(0, sep);
  names.erase(0, sep + 1);
}

bool TDataSetIndex::FindFieldName(const std::string& name, const std::string& list, bool default_value) {
  if (Trim(list).empty()) return default_value;
  const std::string upper_name = AnsiUpperCase(name);
  const std::string upper_list = AnsiUpperCase(list);
  if (upper_name.empty()) return false;
  for (std::size_t at = upper_list.find(upper_name); at != std::string::npos;
       at = upper_list.find(upper_name, at + 1)) {
    const std::size_t end = at + upper_name.size();
    const bool starts = at == 0 || upper_list[at - 1] == ';';
    const bool ends = end == upper_list.size() || upper_list[end] == ';';
    if (starts && ends) return true;
  }
  return false;
}

bool TDataSetIndex::CheckFieldNames(const std::string& names, const std::string& field_names) {
  std::string rest = names;
  std::string name;
  while (!rest.empty()) {
    GetFirstFieldName(rest, name);
    if (!name.empty() && !FindFieldName(name, field_names, false)) return false;
  }
  return true;
}

// ---- maintenance ----

void TDataSetIndex::SetIndexFields() {
  entries_.clear();
  TTable* table = LinkedTable();
  if (table == nullptr || !LinkActive()) return;
  std::string names = GetFieldNames();
  const std::string case_list = GetCaseInsFields();
  const std::string desc_list = GetDescFields();
  const TIndexOptions options = GetOptions();
  std::string name;
  while (!names.empty()) {
    GetFirstFieldName(names, name);
    if (name.empty()) continue;
    TIndexFieldDef entry;
    entry.Field = table->FindField(name);
    entry.CaseInsensitive = FindFieldName(name, case_list, options.Contains(ixCaseInsensitive));
    entry.Descending = FindFieldName(name, desc_list, options.Contains(ixDescending));
    entries_.push_back(entry);
  }
}

void TDataSetIndex::SetDefaultIndexOptions() {
  if (default_index_ && LinkActive()) {
    cached_index_field_names_ = GetIndexFieldNames();
    cached_index_def_ = GetIndexDef();
  } else {
    cached_index_field_names_.clear();
    cached_index_def_.reset();
  }
}

void TDataSetIndex::Update() {
  SetDefaultIndexOptions();
  SetIndexFields();
  if (owner_ != nullptr) owner_->UpdateFieldsIndexNo();
}

// ---- writers ----

void TDataSetIndex::SetDefaultIndex(bool value) {
  if (value == default_index_) return;
  if (!value) {
    // The custom index starts as a copy of the default one.
    stored_case_ins_fields_ = GetDefaultCaseInsFields();
    stored_desc_fields_ = GetDefaultDescFields();
    stored_options_ = GetDefaultOptions();
    stored_field_names_ = GetDefaultIndexFieldNames();
  }
  default_index_ = value;
  SetDefaultIndexOptions();
  if (!value) return;
  SetIndexFields();
  if (owner_ == nullptr) return;
  owner_->UpdateFieldsIndexNo();
  OwnerWndChanged();
  OwnerChanged();
}

void TDataSetIndex::SetOptions(TIndexOptions value) {
  if (value == GetOptions()) return;
  SetDefaultIndex(false);
  stored_options_ = value;
  SetIndexFields();
  OwnerChanged();
}

void TDataSetIndex::SetFieldList(std::string& stored, const std::string& value, const std::string& current,
                                 const char* property_name) {
  if (value == current) return;
  if (!OwnerLoading() && !CheckFieldNames(value, GetFieldNames())) {
    VantorError(SInvalidIndexFieldName, {value, std::string(property_name)});
  }
  SetDefaultIndex(false);
  stored = value;
  SetIndexFields();
  OwnerChanged();
}

void TDataSetIndex::SetCaseInsFields(const std::string& value) {
  SetFieldList(stored_case_ins_fields_, value, GetCaseInsFields(), "CaseInsFields");
}

void TDataSetIndex::SetDescFields(const std::string& value) {
  SetFieldList(stored_desc_fields_, value, GetDescFields(), "DescFields");
}

void TDataSetIndex::SetFieldNames(const std::string& value) {
  if (value == GetFieldNames()) return;
  SetDefaultIndex(false);
  stored_field_names_ = value;
  SetIndexFields();
  if (owner_ == nullptr) return;
  owner_->UpdateFieldsIndexNo();
  OwnerWndChanged();
  OwnerChanged();
}

}  // namespace vantor
