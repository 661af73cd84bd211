#pragma once
// TCompareOptions: a panel's per-type default of how a value is compared (Compare of
// every record that has no explicit one), and whether text comparison ignores letter
// case (CaseInsensitive). Setting a category to ctInternal pushes the panel's
// CountOptions entry of that category from coTwo back to coOne.

#include <vantor/criteria/category_options.h>

namespace vantor {

class TCompareOptions : public TCategoryOptions<TCompareType> {
 public:
  // Without an owner the setters only store.
  explicit TCompareOptions(TFieldsOwner* owner);

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // Index: the type category (0 Boolean ... 5 String, FieldTypeCategory); ctExact outside.
  TCompareType GetCompare(int index) const { return Get(index); }
  // Stores a changed value, applies the pair rule, asks the panel's list for a relayout
  // and an update.
  void SetCompare(int index, TCompareType value);
  // The default of a category (ctExact for all but Memo ctInternal and String ctInitial).
  static TCompareType DefaultCompare(int index);

  bool GetCaseInsensitive() const { return case_insensitive_; }
  // A change re-applies the criteria (the panel's Changed).
  void SetCaseInsensitive(bool value);
  bool GetCaseSensitive() const { return !case_insensitive_; }
  void SetCaseSensitive(bool value) { SetCaseInsensitive(!value); }

  // Direct store of a category, without notification; used by the other option set's
  // pair rule.
  void StoreCompare(int index, TCompareType value) { Store(index, value); }

 private:
  bool case_insensitive_ = true;
};

}  // namespace vantor
