#include <vantor/platform/rtl/variant.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <vantor/platform/rtl/number_text.h>
#include <vantor/platform/rtl/exceptions.h>
#include "platform/rtl/test_locales.h"

namespace vantor {
namespace {

TEST(Variant, TypeCodesAreTheHosts) {
  EXPECT_EQ(Variant().VarType(), varEmpty);
  EXPECT_EQ(Variant::Null().VarType(), varNull);
  EXPECT_EQ(Variant(std::int16_t{1}).VarType(), varSmallint);
  EXPECT_EQ(Variant(1).VarType(), varInteger);
  EXPECT_EQ(Variant(1.0).VarType(), varDouble);
  EXPECT_EQ(Variant(Currency::FromInt(1)).VarType(), varCurrency);
  EXPECT_EQ(Variant::FromDate(1).VarType(), varDate);
  EXPECT_EQ(Variant(true).VarType(), varBoolean);
  EXPECT_EQ(Variant("s").VarType(), varString);
  EXPECT_EQ(Variant::ByRefArray(0x000F).VarType(), 0x600F);
  EXPECT_EQ(Variant::ByRefArray(varVariant).VarType(), 0x600C);
  EXPECT_TRUE(Variant().IsClear());
  EXPECT_TRUE(Variant::Null().IsClear());
  EXPECT_FALSE(Variant(0).IsClear());
  EXPECT_TRUE(Variant(Currency{}).IsNumeric());
  EXPECT_FALSE(Variant::FromDate(0).IsNumeric());
  EXPECT_FALSE(Variant(true).IsNumeric());
  // Identity compares the kind too.
  EXPECT_NE(Variant(std::int16_t{1}), Variant(1));
  EXPECT_EQ(Variant("a"), Variant(std::string("a")));
}

TEST(Variant, NumbersCompareByMagnitudeAcrossKinds) {
  EXPECT_EQ(VarCompare(Variant(std::int16_t{2}), Variant(2)), 0);
  EXPECT_EQ(VarCompare(Variant(2), Variant(2.0)), 0);
  EXPECT_EQ(VarCompare(Variant(2), Variant(Currency::FromInt(2))), 0);
  EXPECT_EQ(VarCompare(Variant(2.5), Variant(Currency::FromScaled(25000))), 0);
  EXPECT_LT(VarCompare(Variant(-3), Variant(std::int16_t{2})), 0);
  EXPECT_GT(VarCompare(Variant(Currency::FromScaled(10001)), Variant(1)), 0);
  EXPECT_LT(VarCompare(Variant(Currency::FromScaled(INT64_MAX - 1)), Variant(Currency::FromScaled(INT64_MAX))), 0);
  EXPECT_LT(VarCompare(Variant::FromDate(36526.5), Variant(36527)), 0);
  EXPECT_EQ(VarCompare(Variant::FromDate(36526), Variant(36526)), 0);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_LT(VarCompare(Variant(nan), Variant(-1e308)), 0);  // NaN sorts first
  EXPECT_EQ(VarCompare(Variant(nan), Variant(nan)), 0);
  EXPECT_TRUE(VarEquals(Variant(1), Variant(1.0)));
}

TEST(Variant, NullAndEmptyOrderBelowEveryValue) {
  for (const Variant& v : {Variant(0), Variant(-1e308), Variant(""), Variant(false), Variant::FromDate(-600000)}) {
    EXPECT_LT(VarCompare(Variant::Null(), v), 0);
    EXPECT_GT(VarCompare(v, Variant::Null()), 0);
    EXPECT_LT(VarCompare(Variant(), v), 0);
  }
  EXPECT_EQ(VarCompare(Variant::Null(), Variant::Null()), 0);
  EXPECT_EQ(VarCompare(Variant(), Variant::Null()), 0);
}

TEST(Variant, BooleansAndStrings) {
  EXPECT_LT(VarCompare(Variant(false), Variant(true)), 0);
  EXPECT_EQ(VarCompare(Variant(true), Variant(true)), 0);
  // Against numbers a boolean is its numeric value: True is -1.
  EXPECT_EQ(VarCompare(Variant(true), Variant(-1)), 0);
  EXPECT_EQ(VarCompare(Variant(false), Variant(0.0)), 0);
  EXPECT_LT(VarCompare(Variant(true), Variant(0)), 0);
  EXPECT_EQ(VarCompare(Variant("true"), Variant(true)), 0);
  EXPECT_LT(VarCompare(Variant("False"), Variant(true)), 0);
  // Strings by byte order.
  EXPECT_LT(VarCompare(Variant("B"), Variant("a")), 0);
  EXPECT_LT(VarCompare(Variant("abc"), Variant("abd")), 0);
  EXPECT_LT(VarCompare(Variant("ab"), Variant("abc")), 0);
  EXPECT_LT(VarCompare(Variant("z"), Variant("\xc3\xa4")), 0);
  EXPECT_LT(VarCompare(Variant("\xf0\x9f\x98\x80"), Variant("\xff")), 0);
  // A string against a number is read as a number in the locale's syntax.
  EXPECT_EQ(VarCompare(Variant("10"), Variant(10)), 0);
  EXPECT_GT(VarCompare(Variant("10"), Variant(9.5)), 0);
  EXPECT_LT(VarCompare(Variant(9), Variant("10")), 0);
  EXPECT_EQ(VarCompare(Variant("0.0001"), Variant(Currency::FromScaled(1))), 0);
  EXPECT_EQ(VarCompare(Variant("1/2/2000"), Variant::FromDate(EncodeDate(2000, 1, 2))), 0);
  ScopedFormatSettings de(testing::GermanLocale());
  EXPECT_EQ(VarCompare(Variant("2,5"), Variant(2.5)), 0);
}

TEST(Variant, IncomparableKindsRaise) {
  EXPECT_THROW(VarCompare(Variant("abc"), Variant(1)), EVariantError);
  EXPECT_THROW(VarCompare(Variant(1), Variant("1x")), EVariantError);
  EXPECT_THROW(VarCompare(Variant("maybe"), Variant(true)), EVariantError);
  EXPECT_THROW(VarCompare(Variant::ByRefArray(0x000F), Variant(1)), EVariantError);
  EXPECT_THROW(VarCompare(Variant::ByRefArray(0x000F), Variant::Null()), EVariantError);
  try {
    VarCompare(Variant("x"), Variant(1.5));
    FAIL();
  } catch (const EVariantError& e) {
    EXPECT_EQ(e.Message(), "Variants of type (String) and (Double) cannot be compared");
  }
}

TEST(Variant, IntegerCoercionsRoundAndCheckTheRange) {
  EXPECT_EQ(Variant(2.5).AsInteger(), 2);
  EXPECT_EQ(Variant(3.5).AsInteger(), 4);
  EXPECT_EQ(Variant(-2.5).AsInteger(), -2);
  EXPECT_EQ(Variant(Currency::FromScaled(25000)).AsInteger(), 2);
  EXPECT_EQ(Variant(Currency::FromScaled(35000)).AsInteger(), 4);
  EXPECT_EQ(Variant(Currency::FromScaled(-15001)).AsInteger(), -2);
  EXPECT_EQ(Variant(true).AsInteger(), -1);
  EXPECT_EQ(Variant().AsInteger(), 0);
  EXPECT_EQ(Variant(" 12").AsInteger(), 12);
  EXPECT_EQ(Variant("1.5").AsSmallint(), 2);
  EXPECT_EQ(Variant(32767).AsSmallint(), 32767);
  try {
    Variant(32768).AsSmallint();
    FAIL();
  } catch (const EVariantError& e) {
    EXPECT_EQ(e.Message(), "Variant value 32768 is out of the range of type (Smallint)");
  }
  EXPECT_THROW(Variant(3e9).AsInteger(), EVariantError);
  EXPECT_THROW(Variant("3000000000").AsInteger(), EVariantError);
  EXPECT_THROW(Variant(std::numeric_limits<double>::quiet_NaN()).AsInteger(), EVariantError);
  try {
    Variant("twelve").AsInteger();
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'twelve' is not a valid integer value");
  }
  try {
    Variant::Null().AsInteger();
    FAIL();
  } catch (const EVariantError& e) {
    EXPECT_EQ(e.Message(), "Could not convert variant of type (Null) into type (Integer)");
  }
}

TEST(Variant, OtherCoercions) {
  EXPECT_EQ(Variant(std::int16_t{-4}).AsDouble(), -4.0);
  EXPECT_EQ(Variant(Currency::FromScaled(5)).AsDouble(), 0.0005);
  EXPECT_EQ(Variant("1e3").AsDouble(), 1000.0);
  EXPECT_THROW(Variant("1,5").AsDouble(), EConvertError);
  EXPECT_EQ(Variant(1.23456).AsCurrency().scaled, 12346);
  EXPECT_EQ(Variant("7.25").AsCurrency().scaled, 72500);
  EXPECT_THROW(Variant(1e300).AsCurrency(), EVariantError);
  EXPECT_EQ(Variant(36526).AsDate(), 36526.0);
  EXPECT_EQ(Variant("1/2/2000 6:00 PM").AsDate(), EncodeDate(2000, 1, 2) + 0.75);
  EXPECT_THROW(Variant(1e9).AsDate(), EVariantError);
  EXPECT_THROW(Variant("soon").AsDate(), EConvertError);
  EXPECT_TRUE(Variant("TRUE").AsBoolean());
  EXPECT_FALSE(Variant("0").AsBoolean());
  EXPECT_TRUE(Variant(0.5).AsBoolean());
  EXPECT_FALSE(Variant(Currency{}).AsBoolean());
  EXPECT_THROW(Variant("t").AsBoolean(), EConvertError);
  EXPECT_THROW(Variant::ByRefArray(0x000F).AsString(), EVariantError);
}

TEST(Variant, TextOfValues) {
  EXPECT_EQ(VarToStr(Variant()), "");
  EXPECT_EQ(VarToStr(Variant::Null()), "");
  EXPECT_EQ(VarToStr(Variant(std::int16_t{-7})), "-7");
  EXPECT_EQ(VarToStr(Variant(0.25)), "0.25");
  EXPECT_EQ(VarToStr(Variant(Currency::FromScaled(12500))), "1.25");
  EXPECT_EQ(VarToStr(Variant(true)), "True");
  EXPECT_EQ(VarToStr(Variant::FromDate(EncodeDate(2000, 1, 2) + 0.5)), "1/2/2000 12:00:00 PM");
  ScopedFormatSettings de(testing::GermanLocale());
  EXPECT_EQ(VarToStr(Variant(0.25)), "0,25");
  EXPECT_EQ(VarToStr(Variant::FromDate(EncodeDate(2000, 1, 2) + 0.5)), "02.01.2000 12:00:00");
}

TEST(Variant, VarAsTypeChangesTheKind) {
  EXPECT_EQ(VarAsType(Variant("12"), varSmallint), Variant(std::int16_t{12}));
  EXPECT_EQ(VarAsType(Variant(std::int16_t{12}), varInteger), Variant(12));
  EXPECT_EQ(VarAsType(Variant(12), varDouble), Variant(12.0));
  EXPECT_EQ(VarAsType(Variant(12), varCurrency), Variant(Currency::FromInt(12)));
  EXPECT_EQ(VarAsType(Variant(2.0), varDate), Variant::FromDate(2.0));
  EXPECT_EQ(VarAsType(Variant(1), varBoolean), Variant(true));
  EXPECT_EQ(VarAsType(Variant(1.5), varString), Variant("1.5"));
  EXPECT_EQ(VarAsType(Variant(1), varNull), Variant::Null());
  EXPECT_EQ(VarAsType(Variant(1), varEmpty), Variant());
  EXPECT_THROW(VarAsType(Variant::Null(), varInteger), EVariantError);
  EXPECT_THROW(VarAsType(Variant(1), varDispatch), EVariantError);
}

}  // namespace
}  // namespace vantor

namespace vantor {
namespace {

TEST(VariantInt64, KeepsTheWholeRangeAndComparesExactlyWithEveryNumber) {
  const Variant big(std::int64_t{INT64_MAX});
  EXPECT_EQ(big.VarType(), varInt64);
  EXPECT_EQ(big.AsString(), "9223372036854775807");
  EXPECT_EQ(VarAsType(Variant("-9223372036854775808"), varInt64), Variant(std::int64_t{INT64_MIN}));
  EXPECT_THROW(VarAsType(Variant("9223372036854775808"), varInt64), EVariantError);
  EXPECT_THROW(big.AsInteger(), EVariantError) << "never cut to 32 bits";
  EXPECT_EQ(Variant(std::int64_t{-7}).AsInteger(), -7);
  // Neighbours that a double cannot tell apart still order.
  EXPECT_LT(VarCompare(Variant(std::int64_t{INT64_MAX - 1}), big), 0);
  EXPECT_EQ(VarCompare(Variant(std::int64_t{5}), Variant(std::int32_t{5})), 0);
  EXPECT_LT(VarCompare(Variant(std::int64_t{5}), Variant(Currency::FromScaled(50'001))), 0);
  EXPECT_GT(VarCompare(Variant(std::int64_t{-5}), Variant(Currency::FromScaled(-50'001))), 0);
  EXPECT_EQ(VarCompare(Variant(std::int64_t{5}), Variant(Currency::FromScaled(50'000))), 0);
  EXPECT_GT(VarCompare(big, Variant(1e18)), 0);
  EXPECT_EQ(VarCompare(Variant(std::int64_t{3}), Variant("3")), 0);
  EXPECT_TRUE(big.IsNumeric());
  EXPECT_THROW(big.AsCurrency(), EVariantError) << "beyond the currency range";
}

TEST(VariantInt64, TextsOfTheWholeRangeConvert) {
  std::int64_t v = 0;
  EXPECT_TRUE(TryStrToInt64(" -9223372036854775808", v));
  EXPECT_EQ(v, INT64_MIN);
  EXPECT_TRUE(TryStrToInt64("$FFFFFFFFFFFFFFFF", v));
  EXPECT_EQ(v, -1);
  EXPECT_FALSE(TryStrToInt64("9223372036854775808", v));
  EXPECT_FALSE(TryStrToInt64("12 ", v)) << "trailing blanks fail as for 32 bits";
  EXPECT_FALSE(TryStrToInt64("", v));
}

}  // namespace
}  // namespace vantor
