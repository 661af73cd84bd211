#include <vantor/platform/rtl/number_text.h>

#include <gtest/gtest.h>

#include <vantor/platform/rtl/exceptions.h>
#include "platform/rtl/test_locales.h"

namespace vantor {
namespace {

TEST(NumberText, StrToIntSyntax) {
  std::int32_t v = 0;
  EXPECT_TRUE(TryStrToInt("42", v));
  EXPECT_EQ(v, 42);
  EXPECT_TRUE(TryStrToInt("   -17", v));
  EXPECT_EQ(v, -17);
  EXPECT_TRUE(TryStrToInt("+0007", v));
  EXPECT_EQ(v, 7);
  EXPECT_TRUE(TryStrToInt("$7fFFffFF", v));
  EXPECT_EQ(v, INT32_MAX);
  EXPECT_TRUE(TryStrToInt("$FFFFFFFF", v));  // a 32-bit pattern
  EXPECT_EQ(v, -1);
  EXPECT_TRUE(TryStrToInt("-$10", v));
  EXPECT_EQ(v, -16);
  EXPECT_TRUE(TryStrToInt("2147483647", v));
  EXPECT_EQ(v, INT32_MAX);
  EXPECT_TRUE(TryStrToInt("-2147483648", v));
  EXPECT_EQ(v, INT32_MIN);
  v = 99;
  for (const char* bad : {"", " ", "+", "-", "12 ", "1 2", "2147483648", "-2147483649", "$", "$100000000",
                          "$G", "1.0", "1e3", "0x10", "\t1", "99999999999999999999"}) {
    EXPECT_FALSE(TryStrToInt(bad, v)) << bad;
  }
  EXPECT_EQ(v, 99);  // untouched on failure
  try {
    StrToInt("abc");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'abc' is not a valid integer value");
  }
}

TEST(NumberText, ValRealIsTheFixedSyntax) {
  long double v = 0;
  EXPECT_TRUE(ValReal("1.5", v));
  EXPECT_EQ(v, 1.5L);
  EXPECT_TRUE(ValReal("  -2.5e+3", v));
  EXPECT_EQ(v, -2500.0L);
  EXPECT_TRUE(ValReal(".5", v));
  EXPECT_TRUE(ValReal("5.", v));
  EXPECT_TRUE(ValReal("1e-99999", v));  // underflows to zero
  EXPECT_EQ(v, 0.0L);
  for (const char* bad : {"", ".", "e5", "1e", "1e+", "1,5", "1.5 ", "--1", "1.2.3", "1e99999", "$10", "inf", "nan"})
    EXPECT_FALSE(ValReal(bad, v)) << bad;
  ScopedFormatSettings de(testing::GermanLocale());
  EXPECT_TRUE(ValReal("1.5", v));  // independent of the locale
  EXPECT_FALSE(ValReal("1,5", v));
}

TEST(NumberText, TextToFloatFollowsTheLocale) {
  double d = 0;
  EXPECT_TRUE(TextToFloat(" 1.25 ", d));  // blanks around the number are allowed
  EXPECT_EQ(d, 1.25);
  EXPECT_TRUE(TextToFloat("-1E-2", d));
  EXPECT_EQ(d, -0.01);
  EXPECT_FALSE(TextToFloat("1,25", d));
  EXPECT_FALSE(TextToFloat("1.2.3", d));
  EXPECT_FALSE(TextToFloat("1e400", d));
  EXPECT_TRUE(TextToFloat("1e-400", d));
  EXPECT_EQ(d, 0.0);
  EXPECT_TRUE(TextToFloat("4.9406564584124654e-324", d));
  EXPECT_EQ(d, std::numeric_limits<double>::denorm_min());
  const FormatSettings de = testing::GermanLocale();
  EXPECT_TRUE(TextToFloat("1,25", d, de));
  EXPECT_EQ(d, 1.25);
  EXPECT_FALSE(TextToFloat("1.25", d, de));
  EXPECT_TRUE(TextToFloat("1,25", TFloatValue::fvCurrency, de));
  EXPECT_FALSE(TextToFloat("1e300", TFloatValue::fvCurrency, de));
  EXPECT_TRUE(TextToFloat("1e300", TFloatValue::fvExtended, de));
  try {
    StrToFloat("1..2");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'1..2' is not a valid floating point value");
  }
}

TEST(NumberText, CurrencyIsReadFromExactDigits) {
  Currency c;
  ASSERT_TRUE(TextToFloat("922337203685477.5807", c));
  EXPECT_EQ(c.scaled, INT64_MAX);
  ASSERT_TRUE(TextToFloat("-922337203685477.5808", c));
  EXPECT_EQ(c.scaled, INT64_MIN);
  EXPECT_FALSE(TextToFloat("922337203685477.58075", c));  // rounds past the range
  ASSERT_TRUE(TextToFloat("1.23455", c));
  EXPECT_EQ(c.scaled, 12346);  // half away from zero
  ASSERT_TRUE(TextToFloat("-1.23455", c));
  EXPECT_EQ(c.scaled, -12346);
  ASSERT_TRUE(TextToFloat("12.5e-3", c));
  EXPECT_EQ(c.scaled, 125);
  ASSERT_TRUE(TextToFloat("0000000000000000000000001", c));
  EXPECT_EQ(c.scaled, 10000);
  ASSERT_TRUE(TextToFloat("0e999999", c));
  EXPECT_EQ(c.scaled, 0);
  EXPECT_EQ(StrToCurr("3.5").scaled, 35000);
  EXPECT_THROW(StrToCurr("1e20"), EConvertError);
}

TEST(NumberText, WrittenForms) {
  EXPECT_EQ(IntToStr(0), "0");
  EXPECT_EQ(IntToStr(INT32_MIN), "-2147483648");
  EXPECT_EQ(IntToStr(INT64_MAX), "9223372036854775807");
  EXPECT_EQ(FloatToStr(0.1), "0.1");
  EXPECT_EQ(FloatToStr(-2.5), "-2.5");
  EXPECT_EQ(FloatToStr(1e20), "1E20");
  EXPECT_EQ(FloatToStr(1.5e-7), "1.5E-7");
  EXPECT_EQ(FloatToStr(100), "100");
  EXPECT_EQ(FloatToStr(std::numeric_limits<double>::quiet_NaN()), "NAN");
  EXPECT_EQ(FloatToStr(-std::numeric_limits<double>::infinity()), "-INF");
  EXPECT_EQ(FloatToStr(0.5, testing::GermanLocale()), "0,5");
  EXPECT_EQ(CurrToStr(Currency::FromScaled(35000)), "3.5");
  EXPECT_EQ(CurrToStr(Currency::FromScaled(30000)), "3");
  EXPECT_EQ(CurrToStr(Currency::FromScaled(-1)), "-0.0001");
  EXPECT_EQ(CurrToStr(Currency::Min()), "-922337203685477.5808");
  EXPECT_EQ(CurrToStr(Currency::FromScaled(12345), testing::GermanLocale()), "1,2345");
}

TEST(NumberText, CurrencyFromDoubleRoundsAndChecksRange) {
  EXPECT_EQ(Currency::FromDouble(1.5).scaled, 15000);
  EXPECT_EQ(Currency::FromDouble(-0.00005).scaled, -1);
  EXPECT_EQ(Currency::FromInt(-3).scaled, -30000);
  EXPECT_EQ(Currency::FromScaled(25).ToDouble(), 0.0025);
  EXPECT_THROW(Currency::FromDouble(1e19), EConvertError);
  EXPECT_THROW(Currency::FromDouble(std::numeric_limits<double>::quiet_NaN()), EConvertError);
  Currency c;
  EXPECT_FALSE(Currency::TryFromDouble(-1e16, c));
  EXPECT_LT(Currency::FromInt(1), Currency::FromInt(2));
}

}  // namespace
}  // namespace vantor
