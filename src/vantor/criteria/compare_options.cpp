#include <vantor/criteria/compare_options.h>

#include <vantor/criteria/count_options.h>
#include <vantor/criteria/fields_owner.h>

namespace vantor {

namespace {
constexpr std::array<TCompareType, kTypeCategoryCount> kDefaultCompares{
    ctExact, ctExact, ctExact, ctExact, ctInternal, ctInitial};
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

TCompareOptions::TCompareOptions(TFieldsOwner* owner)
    : TCategoryOptions(owner, kDefaultCompares, ctExact) {}

TCompareType TCompareOptions::DefaultCompare(int index) {
  return index >= 0 && index < kTypeCategoryCount ? kDefaultCompares[static_cast<std::size_t>(index)]
                                                  : ctExact;
}

void TCompareOptions::SetCompare(int index, TCompareType value) {
  if (!Change(index, value) || owner_ == nullptr) return;
  // A containment default cannot go with a range default of the same category.
  if (value == ctInternal && owner_->CountOptions()->GetCount(index) == coTwo) {
    owner_->CountOptions()->StoreCount(index, coOne);
  }
  CategoryChanged();
}

void TCompareOptions::SetCaseInsensitive(bool value) {
  if (case_insensitive_ == value) return;
  case_insensitive_ = value;
  if (owner_ != nullptr) owner_->Changed();
}

}  // namespace vantor
