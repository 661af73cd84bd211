#pragma once
// TFieldDefs: the physical columns of a data set (name, type, size, required), from
// which its default fields are made and to which persistent fields are bound by name.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <vantor/platform/rtl/field_type.h>

namespace vantor {

// One physical column: name, type, size and whether a value is required.
struct TFieldDef {
  std::string name;
  TFieldType data_type = TFieldType::ftUnknown;
  int size = 0;  // byte length of string columns, 0 otherwise
  bool required = false;

  // 1-based position among the definitions.
  int field_no = 0;

  bool operator==(const TFieldDef&) const = default;
};

class TFieldDefs {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  // EListError outside 0..Count-1.
  const TFieldDef& Items(int index) const;
  // Appends a definition. EDatabaseError for an empty or duplicate name (names are
  // case-insensitive) or a type that no field class supports.
  const TFieldDef& Add(const std::string& name, TFieldType type, int size = 0, bool required = false);
  // Position of the definition of that name (case-insensitive), -1 when absent.
  int IndexOf(std::string_view name) const;
  const TFieldDef* Find(std::string_view name) const;
  void Clear() { items_.clear(); }
  bool operator==(const TFieldDefs& o) const;

 private:
  std::vector<TFieldDef> items_;
};

}  // namespace vantor
