#include "criteria/compare_options.h"

#include "criteria/count_options.h"
#include "criteria/fields_list.h"
#include "panel/panel_fields_set.h"

namespace vantor {

namespace {
constexpr std::array<TCompareType, kTypeCategoryCount> kDefaultCompares{
    ctExact, ctExact, ctExact, ctExact, ctInternal, ctInitial};
bool ValidCategory(int index) { return index >= 0 && index < kTypeCategoryCount; }
}  // namespace

const TypeInfo& TCompareOptions::StaticType() {
  using C = TCompareOptions;
  static const TypeInfo info =
      TypeBuilder<C>("TCompareOptions", &TPersistent::StaticType())
          .Property("CaseInsensitive", &C::GetCaseInsensitive, &C::SetCaseInsensitive, true)
          .Indexed("BooleanCompare", 0, &C::GetCompare, &C::SetCompare, kDefaultCompares[0])
          .Indexed("DateTimeCompare", 1, &C::GetCompare, &C::SetCompare, kDefaultCompares[1])
          .Indexed("FloatCompare", 2, &C::GetCompare, &C::SetCompare, kDefaultCompares[2])
          .Indexed("IntegerCompare", 3, &C::GetCompare, &C::SetCompare, kDefaultCompares[3])
          .Indexed("MemoCompare", 4, &C::GetCompare, &C::SetCompare, kDefaultCompares[4])
          .Indexed("StringCompare", 5, &C::GetCompare, &C::SetCompare, kDefaultCompares[5])
          .Build();
  return info;
}

TCompareOptions::TCompareOptions(TPanelFieldsSet* owner)
    : owner_(owner), compares_(kDefaultCompares) {}

TPersistent* TCompareOptions::GetOwner() const { return owner_; }

TCompareType TCompareOptions::DefaultCompare(int index) {
  return ValidCategory(index) ? kDefaultCompares[static_cast<std::size_t>(index)] : ctExact;
}

TCompareType TCompareOptions::GetCompare(int index) const {
  return ValidCategory(index) ? compares_[static_cast<std::size_t>(index)] : ctExact;
}

void TCompareOptions::StoreCompare(int index, TCompareType value) {
  if (ValidCategory(index)) compares_[static_cast<std::size_t>(index)] = value;
}

void TCompareOptions::SetCompare(int index, TCompareType value) {
  if (!ValidCategory(index) || compares_[static_cast<std::size_t>(index)] == value) return;
  compares_[static_cast<std::size_t>(index)] = value;
  if (owner_ == nullptr) return;
  // A containment default cannot go with a range default of the same category.
  if (value == ctInternal && owner_->CountOptions()->GetCount(index) == coTwo) {
    owner_->CountOptions()->StoreCount(index, coOne);
  }
  if (TFieldsList* fields = owner_->Fields()) {
    fields->IncludeState({fsPaintNeeded, fsUpdateNeeded});
    fields->Changed();
  }
}

void TCompareOptions::SetCaseInsensitive(bool value) {
  if (case_insensitive_ == value) return;
  case_insensitive_ = value;
  if (owner_ != nullptr) owner_->Changed();
}

}  // namespace vantor
