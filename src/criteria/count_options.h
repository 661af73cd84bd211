#pragma once
// TCountOptions: a panel's per-type default of how many values a field takes (Count of
// every record that has no explicit one), published as BooleanCount ... StringCount.
// Setting a category to coTwo pushes the panel's CompareOptions entry of that category
// from ctInternal back to ctInitial: a range and a containment match exclude each other.

#include <array>

#include "criteria/criteria_types.h"
#include "platform/core/persistent.h"

namespace vantor {

class TPanelFieldsSet;

class TCountOptions : public TPersistent {
 public:
  // The owner panel is required by the setters.
  explicit TCountOptions(TPanelFieldsSet* owner);

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
  TPersistent* GetOwner() const override;

  // Index: the type category (0 Boolean ... 5 String, FieldTypeCategory).
  TCountType GetCount(int index) const;
  // Stores a changed value, applies the pair rule, asks the panel's list for a relayout
  // and an update.
  void SetCount(int index, TCountType value);
  // The default of a category (coOne, coTwo, coTwo, coTwo, coOne, coOne).
  static TCountType DefaultCount(int index);

  // Direct store of a category, without notification; used by the other option set's
  // pair rule.
  void StoreCount(int index, TCountType value);

 private:
  TPanelFieldsSet* owner_;
  std::array<TCountType, kTypeCategoryCount> counts_;
};

}  // namespace vantor
