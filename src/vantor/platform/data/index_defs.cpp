#include <vantor/platform/data/index_defs.h>

#include <algorithm>

#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/exceptions.h>

namespace vantor {

namespace {

bool ListNames(std::string_view list, std::string_view field) {
  for (const std::string& name : SplitFieldNames(list)) {
    if (AnsiSameText(name, field)) return true;
  }
  return false;
}

std::string JoinFieldNames(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : ";") + n;
  return out;
}

}  // namespace

std::vector<std::string> SplitFieldNames(std::string_view names) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= names.size()) {
    const std::size_t end = names.find(';', start);
    const std::string_view part = names.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (!part.empty()) out.emplace_back(part);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return out;
}

bool TIndexDef::IsDescending(std::string_view field) const {
  if (Trim(desc_fields_).empty()) return options_.Contains(ixDescending);
  return ListNames(desc_fields_, field);
}

bool TIndexDef::IsCaseInsensitive(std::string_view field) const {
  if (Trim(case_ins_fields_).empty()) return options_.Contains(ixCaseInsensitive);
  return ListNames(case_ins_fields_, field);
}

bool TIndexDef::AnyDescending() const {
  for (const std::string& f : SplitFieldNames(fields_)) {
    if (IsDescending(f)) return true;
  }
  return false;
}

const TIndexDef& TIndexDefs::Items(int index) const {
  if (index < 0 || index >= Count()) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  }
  return items_[static_cast<std::size_t>(index)];
}

int TIndexDefs::IndexOf(std::string_view name) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (AnsiSameText(items_[i].Name(), name)) return static_cast<int>(i);
  }
  return -1;
}

TIndexDef& TIndexDefs::Add(const std::string& name, const std::string& fields, TIndexOptions options) {
  if (IndexOf(name) >= 0) throw EDatabaseError("Duplicate index name '" + name + "'");
  if (SplitFieldNames(fields).empty()) throw EDatabaseError("Index '" + name + "' has no fields");
  items_.emplace_back(name, fields, options);
  ++version_;
  return items_.back();
}

void TIndexDefs::AddListed(const TListedIndex& index) {
  const auto& fields = index.fields;
  const bool nameable =
      std::none_of(fields.begin(), fields.end(), [](const std::string& f) { return f.find(';') != std::string::npos; });
  if (fields.empty() || !nameable) return;
  const bool all_descending = index.descending.size() == fields.size();
  const bool all_folded = index.case_insensitive.size() == fields.size();
  TIndexOptions options = index.options;
  if (all_descending) options.Include(ixDescending);
  if (all_folded) options.Include(ixCaseInsensitive);
  TIndexDef& def = Add(index.name, JoinFieldNames(fields), options);
  if (!index.descending.empty() && !all_descending) def.SetDescFields(JoinFieldNames(index.descending));
  if (!index.case_insensitive.empty() && !all_folded) def.SetCaseInsFields(JoinFieldNames(index.case_insensitive));
}

const TIndexDef& TIndexDefs::Find(std::string_view name) const {
  const int i = IndexOf(name);
  if (i < 0) throw EDatabaseError("Index '" + std::string(name) + "' not found");
  return items_[static_cast<std::size_t>(i)];
}

const TIndexDef* TIndexDefs::GetIndexForFields(std::string_view fields, bool case_insensitive) const {
  const std::vector<std::string> wanted = SplitFieldNames(fields);
  if (wanted.empty()) return nullptr;
  for (const TIndexDef& def : items_) {
    if (def.Options().Contains(ixExpression) || def.AnyDescending()) continue;
    if (case_insensitive && !def.Options().Contains(ixCaseInsensitive)) continue;
    const std::vector<std::string> have = SplitFieldNames(def.Fields());
    if (have.size() < wanted.size()) continue;
    bool match = true;
    for (std::size_t i = 0; i < wanted.size() && match; ++i) match = AnsiSameText(have[i], wanted[i]);
    if (match) return &def;
  }
  return nullptr;
}

const TIndexDef& TIndexDefs::FindIndexForFields(std::string_view fields) const {
  const TIndexDef* def = GetIndexForFields(fields, false);
  if (def == nullptr) throw EDatabaseError("No index for fields '" + std::string(fields) + "'");
  return *def;
}

void TIndexDefs::Clear() {
  items_.clear();
  ++version_;
}

}  // namespace vantor
