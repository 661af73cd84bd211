#include <vantor/platform/rtl/set.h>

#include <gtest/gtest.h>

#include <vantor/platform/rtl/field_type.h>

namespace vantor {
namespace {

enum class TFlag : std::uint8_t { fA, fB, fC, fD };
using TFlags = Set<TFlag>;

TEST(Set, MembershipAndOperators) {
  TFlags s{TFlag::fA, TFlag::fC};
  EXPECT_TRUE(s.Contains(TFlag::fA));
  EXPECT_FALSE(s.Contains(TFlag::fB));
  EXPECT_EQ(s.ToMask(), 0b0101u);  // ordinals are bits
  s.Include(TFlag::fB).Exclude(TFlag::fA);
  EXPECT_EQ(s, (TFlags{TFlag::fB, TFlag::fC}));
  const TFlags t{TFlag::fC, TFlag::fD};
  EXPECT_EQ(s + t, (TFlags{TFlag::fB, TFlag::fC, TFlag::fD}));
  EXPECT_EQ(s - t, TFlags{TFlag::fB});
  EXPECT_EQ(s * t, TFlags{TFlag::fC});
  EXPECT_TRUE((s + t).ContainsAll(t));
  EXPECT_FALSE(s.ContainsAll(t));
  TFlags u;
  EXPECT_TRUE(u.Empty());
  u += t;
  u -= TFlags{TFlag::fD};
  u *= TFlags{TFlag::fC, TFlag::fA};
  EXPECT_EQ(u, TFlags{TFlag::fC});
  EXPECT_EQ(TFlags::FromMask(0b1000), TFlags{TFlag::fD});
  static_assert(TFlags{TFlag::fD}.Contains(TFlag::fD));
}

TEST(FieldType, OrdinalsAndNames) {
  EXPECT_EQ(static_cast<int>(TFieldType::ftString), 1);
  EXPECT_EQ(static_cast<int>(TFieldType::ftBoolean), 5);
  EXPECT_EQ(static_cast<int>(TFieldType::ftDateTime), 11);
  EXPECT_EQ(static_cast<int>(TFieldType::ftAutoInc), 14);
  EXPECT_EQ(static_cast<int>(TFieldType::ftFmtMemo), 18);
  EXPECT_EQ(static_cast<int>(TFieldType::ftTypedBinary), 21);
  EXPECT_EQ(static_cast<int>(TFieldType::ftLargeint), 22) << "appended: the older ordinals keep their values";
  EXPECT_EQ(FieldTypeName(TFieldType::ftString), "ftString");
  EXPECT_EQ(FieldTypeName(TFieldType::ftTypedBinary), "ftTypedBinary");
  EXPECT_EQ(FieldTypeName(static_cast<TFieldType>(200)), "");
  for (int i = 0; i < kFieldTypeCount; ++i) {
    TFieldType t = TFieldType::ftUnknown;
    ASSERT_TRUE(FieldTypeFromName(FieldTypeName(static_cast<TFieldType>(i)), t));
    EXPECT_EQ(static_cast<int>(t), i);
  }
  TFieldType t = TFieldType::ftMemo;
  EXPECT_FALSE(FieldTypeFromName("ftstring", t));
  EXPECT_EQ(t, TFieldType::ftMemo);
}

}  // namespace
}  // namespace vantor
