#include <vantor/criteria/count_options.h>

#include <vantor/criteria/compare_options.h>
#include <vantor/criteria/fields_owner.h>

namespace vantor {

namespace {
constexpr std::array<TCountType, kTypeCategoryCount> kDefaultCounts{coOne, coTwo, coTwo,
                                                                    coTwo, coOne, coOne};
}  // namespace

const TypeInfo& TCountOptions::StaticType() {
  using C = TCountOptions;
  static const TypeInfo info =
      TypeBuilder<C>("TCountOptions", &TPersistent::StaticType())
          .Indexed("BooleanCount", 0, &C::GetCount, &C::SetCount, kDefaultCounts[0])
          .Indexed("DateTimeCount", 1, &C::GetCount, &C::SetCount, kDefaultCounts[1])
          .Indexed("FloatCount", 2, &C::GetCount, &C::SetCount, kDefaultCounts[2])
          .Indexed("IntegerCount", 3, &C::GetCount, &C::SetCount, kDefaultCounts[3])
          .Indexed("MemoCount", 4, &C::GetCount, &C::SetCount, kDefaultCounts[4])
          .Indexed("StringCount", 5, &C::GetCount, &C::SetCount, kDefaultCounts[5])
          .Build();
  return info;
}

TCountOptions::TCountOptions(TFieldsOwner* owner)
    : TCategoryOptions(owner, kDefaultCounts, coNone) {}

TCountType TCountOptions::DefaultCount(int index) {
  return index >= 0 && index < kTypeCategoryCount ? kDefaultCounts[static_cast<std::size_t>(index)]
                                                  : coNone;
}

void TCountOptions::SetCount(int index, TCountType value) {
  if (!Change(index, value) || owner_ == nullptr) return;
  // A range default cannot go with a containment default of the same category.
  if (value == coTwo && owner_->CompareOptions()->GetCompare(index) == ctInternal) {
    owner_->CompareOptions()->StoreCompare(index, ctInitial);
  }
  CategoryChanged();
}

}  // namespace vantor
