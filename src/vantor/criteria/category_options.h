#pragma once
// TCategoryOptions<T>: the mechanism both per-type option sets (TCountOptions,
// TCompareOptions) are made of: one value of T per type category, starting from a table,
// read with a fallback outside the categories, stored silently (for the other set's
// pair rule), or changed with a relayout and an update of the owner's list.
//
// The pair rule itself stays with each option set: a range and a containment match
// exclude each other, so each set knows which of its values pushes the other set back.

#include <array>
#include <cstddef>

#include <vantor/criteria/criteria_types.h>
#include <vantor/platform/core/persistent.h>

namespace vantor {

class TFieldsOwner;

// What all per-category option sets share, whatever their value type: the owner they
// report changes to and the range of categories.
class TCategoryOptionsBase : public TPersistent {
 public:
  // The owner of the option set's panel or dialog; null for a detached set.
  explicit TCategoryOptionsBase(TFieldsOwner* owner) : owner_(owner) {}
  TPersistent* GetOwner() const override;
  TFieldsOwner* Owner() const { return owner_; }

 protected:
  static bool ValidCategory(int index) { return index >= 0 && index < kTypeCategoryCount; }
  // After a changed category: the owner's list relays out and updates.
  void CategoryChanged() const;

  TFieldsOwner* owner_;
};

template <typename T>
class TCategoryOptions : public TCategoryOptionsBase {
 public:
  using Table = std::array<T, kTypeCategoryCount>;

  TCategoryOptions(TFieldsOwner* owner, const Table& defaults, T outside)
      : TCategoryOptionsBase(owner), values_(defaults), outside_(outside) {}

  // The value of a category; `outside` for an index that is no category.
  T Get(int index) const { return ValidCategory(index) ? values_[Slot(index)] : outside_; }
  // Stores without notification (the other set's pair rule); ignores a bad index.
  void Store(int index, T value) {
    if (ValidCategory(index)) values_[Slot(index)] = value;
  }

 protected:
  // Stores a changed value; false when the index is bad or the value is the same, in
  // which case nothing else must happen.
  bool Change(int index, T value) {
    if (!ValidCategory(index) || values_[Slot(index)] == value) return false;
    values_[Slot(index)] = value;
    return true;
  }

 private:
  static std::size_t Slot(int index) { return static_cast<std::size_t>(index); }

  Table values_;
  T outside_;
};

}  // namespace vantor
