#pragma once
// TCountOptions: a panel's per-type default of how many values a field takes (Count of
// every record that has no explicit one), published as BooleanCount ... StringCount.
// Setting a category to coTwo pushes the panel's CompareOptions entry of that category
// from ctInternal back to ctInitial: a range and a containment match exclude each other.

#include <vantor/criteria/category_options.h>

namespace vantor {

class TCountOptions : public TCategoryOptions<TCountType> {
 public:
  // Without an owner the setters only store.
  explicit TCountOptions(TFieldsOwner* owner);

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // Index: the type category (0 Boolean ... 5 String, FieldTypeCategory); coNone outside.
  TCountType GetCount(int index) const { return Get(index); }
  // Stores a changed value, applies the pair rule, asks the panel's list for a relayout
  // and an update.
  void SetCount(int index, TCountType value);
  // The default of a category (coOne, coTwo, coTwo, coTwo, coOne, coOne).
  static TCountType DefaultCount(int index);

  // Direct store of a category, without notification; used by the other option set's
  // pair rule.
  void StoreCount(int index, TCountType value) { Store(index, value); }
};

}  // namespace vantor
