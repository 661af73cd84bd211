#pragma once
// TIndexDefs: the index definitions of a table: which fields order the rows, and how
// (unique, descending, case-insensitive). A table builds an order from a definition when
// it is first used and keeps it up to date afterwards.
//
// Per-field flags: an index may be descending or case-insensitive on some of its fields
// only. DescFields / CaseInsFields name them (";"-separated); while such a list is empty,
// ixDescending / ixCaseInsensitive in Options apply to every field of the index.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <vantor/platform/rtl/enum_names.h>
#include <vantor/platform/rtl/set.h>

namespace vantor {

enum class TIndexOption : std::uint8_t { ixPrimary, ixUnique, ixDescending, ixCaseInsensitive, ixExpression };
using enum TIndexOption;
using TIndexOptions = Set<TIndexOption>;

template <>
struct EnumNames<TIndexOption> {
  static constexpr std::array<std::string_view, 5> value{"ixPrimary", "ixUnique", "ixDescending",
                                                          "ixCaseInsensitive", "ixExpression"};
};

// Splits a ";"-separated field list; empty elements are dropped, blanks are kept.
std::vector<std::string> SplitFieldNames(std::string_view names);

// One index definition: its name, the fields that order it and its options.
class TIndexDef {
 public:
  TIndexDef(std::string name, std::string fields, TIndexOptions options)
      : name_(std::move(name)), fields_(std::move(fields)), options_(options) {}

  const std::string& Name() const { return name_; }
  // Field names separated by ";".
  const std::string& Fields() const { return fields_; }
  TIndexOptions Options() const { return options_; }
  const std::string& DescFields() const { return desc_fields_; }
  void SetDescFields(const std::string& fields) { desc_fields_ = fields; }
  const std::string& CaseInsFields() const { return case_ins_fields_; }
  void SetCaseInsFields(const std::string& fields) { case_ins_fields_ = fields; }

  // Whether the index orders that field descending / without regard to letter case.
  bool IsDescending(std::string_view field) const;
  bool IsCaseInsensitive(std::string_view field) const;
  // True when any field is descending (then the index is no plain ascending order).
  bool AnyDescending() const;

 private:
  std::string name_;
  std::string fields_;
  TIndexOptions options_;
  std::string desc_fields_;
  std::string case_ins_fields_;
};

// An index as a database's catalog lists it: field by field, with the fields it orders
// descending and those it orders without regard to letter case.
struct TListedIndex {
  std::string name;
  std::vector<std::string> fields;
  std::vector<std::string> descending;
  std::vector<std::string> case_insensitive;
  TIndexOptions options;  // ixUnique, ixPrimary; the lists give the rest
};

class TIndexDefs {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  // EListError outside 0..Count-1.
  const TIndexDef& Items(int index) const;
  // Position of the definition of that name (case-insensitive), -1 when absent.
  int IndexOf(std::string_view name) const;
  // Appends a definition. EDatabaseError for a duplicate name or an empty field list.
  // Set its DescFields / CaseInsFields on the result right away, before a table uses it.
  TIndexDef& Add(const std::string& name, const std::string& fields, TIndexOptions options);
  // Appends a listed index: a flag every field has becomes the option (ixDescending,
  // ixCaseInsensitive), one some fields have becomes DescFields / CaseInsFields. Adds
  // nothing without fields or when a field's name holds a ";", which no field list can name.
  void AddListed(const TListedIndex& index);
  // The definition of that name; EDatabaseError "Index 'X' not found" when absent.
  const TIndexDef& Find(std::string_view name) const;
  // The first plain (not descending, not expression) index whose leading fields are
  // `fields` (names compared without regard to case), or null.
  [[nodiscard]] const TIndexDef* GetIndexForFields(std::string_view fields, bool case_insensitive) const;
  // As GetIndexForFields; EDatabaseError "No index for fields 'X'" when none fits.
  const TIndexDef& FindIndexForFields(std::string_view fields) const;
  void Clear();
  // Increases with every change, so users of built orders notice stale ones.
  std::uint64_t Version() const { return version_; }

 private:
  std::vector<TIndexDef> items_;
  std::uint64_t version_ = 0;
};

}  // namespace vantor
