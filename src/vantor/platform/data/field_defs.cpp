#include <vantor/platform/data/field_defs.h>

#include <vantor/platform/data/typed_fields.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/exceptions.h>

namespace vantor {

const TFieldDef& TFieldDefs::Items(int index) const {
  if (index < 0 || index >= Count()) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  }
  return items_[static_cast<std::size_t>(index)];
}

const TFieldDef& TFieldDefs::Add(const std::string& name, TFieldType type, int size, bool required) {
  if (Trim(name).empty()) throw EDatabaseError("Field name missing");
  if (IndexOf(name) >= 0) throw EDatabaseError("Duplicate field name '" + name + "'");
  if (!IsSupportedFieldType(type)) {
    throw EDatabaseError("Field '" + name + "' is of an unsupported type (" + std::string(FieldTypeName(type)) + ")");
  }
  if (size < 0) throw EDatabaseError("Invalid size " + std::to_string(size) + " for field '" + name + "'");
  TFieldDef def;
  def.name = name;
  def.data_type = type;
  def.size = size;
  def.required = required;
  def.field_no = Count() + 1;
  items_.push_back(std::move(def));
  return items_.back();
}

int TFieldDefs::IndexOf(std::string_view name) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (AnsiSameText(items_[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

const TFieldDef* TFieldDefs::Find(std::string_view name) const {
  const int i = IndexOf(name);
  return i < 0 ? nullptr : &items_[static_cast<std::size_t>(i)];
}

bool TFieldDefs::operator==(const TFieldDefs& o) const { return items_ == o.items_; }

}  // namespace vantor
