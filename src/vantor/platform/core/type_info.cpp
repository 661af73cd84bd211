#include <vantor/platform/core/type_info.h>

#include <map>

#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/rtl/identifiers.h>

namespace vantor {

namespace {


std::map<std::string, const TypeInfo*, IdentLess>& ClassTable() {
  static std::map<std::string, const TypeInfo*, IdentLess> table;
  return table;
}

}  // namespace

bool PropInfo::IsDefault(const TPersistent& instance) const {
  if (!has_default) return false;
  switch (kind) {
    case TPropKind::Integer:
    case TPropKind::Boolean:
    case TPropKind::Char:
    case TPropKind::Enum:
    case TPropKind::Set:
      return get_ordinal(instance) == default_ordinal;
    case TPropKind::String:
      return get_string(instance) == default_string;
    case TPropKind::Float:
      return get_float(instance) == default_float;
    default:
      return false;
  }
}

bool PropInfo::IsReadOnly() const {
  switch (kind) {
    case TPropKind::Integer:
    case TPropKind::Boolean:
    case TPropKind::Char:
    case TPropKind::Enum:
    case TPropKind::Set:
      return !set_ordinal;
    case TPropKind::String:
      return !set_string;
    case TPropKind::Float:
      return !set_float;
    case TPropKind::Component:
      return !set_component;
    default:
      return false;  // sub-objects, collections and events are filled in place
  }
}

bool TypeInfo::InheritsFrom(const TypeInfo& base) const {
  for (const TypeInfo* t = this; t != nullptr; t = t->parent_) {
    if (t == &base) return true;
  }
  return false;
}

const PropInfo* TypeInfo::FindProperty(std::string_view name) const {
  for (const TypeInfo* t = this; t != nullptr; t = t->parent_) {
    for (const PropInfo& p : t->props_) {
      if (SameIdent(p.name, name)) return &p;
    }
  }
  return nullptr;
}

std::vector<const PropInfo*> TypeInfo::Properties() const {
  std::vector<const TypeInfo*> chain;
  for (const TypeInfo* t = this; t != nullptr; t = t->parent_) chain.push_back(t);
  std::vector<const PropInfo*> result;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    for (const PropInfo& p : (*it)->props_) {
      auto same = [&p](const PropInfo* q) { return SameIdent(q->name, p.name); };
      auto found = std::find_if(result.begin(), result.end(), same);
      if (found != result.end()) {
        *found = &p;
      } else {
        result.push_back(&p);
      }
    }
  }
  return result;
}

void RegisterClass(const TypeInfo& info) { ClassTable()[info.Name()] = &info; }

const TypeInfo* GetClass(std::string_view name) {
  auto& table = ClassTable();
  auto it = table.find(name);
  return it == table.end() ? nullptr : it->second;
}

const TypeInfo& FindClass(std::string_view name) {
  if (const TypeInfo* t = GetClass(name)) return *t;
  throw EClassNotFound("Class " + std::string(name) + " not found");
}

}  // namespace vantor
