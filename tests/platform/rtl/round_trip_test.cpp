// Every text that VariantToText writes reads back, through TextToVariant, to the
// value it was written from: thousands of random values per type, under each locale.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include <vantor/platform/rtl/date_text.h>
#include <vantor/platform/rtl/format_settings.h>
#include "platform/rtl/test_locales.h"
#include <vantor/platform/rtl/value_conversion.h>

namespace vantor {
namespace {

using enum TFieldType;

constexpr int kSamples = 3000;

class RoundTrip : public ::testing::TestWithParam<testing::NamedLocale> {
 protected:
  RoundTrip() : locale_(GetParam().settings) {}

  // TextToVariant(type, VariantToText(type, v)) must give `expected` exactly.
  static void Check(TFieldType type, const Variant& v, const Variant& expected) {
    const std::string text = VariantToText(type, v);
    Variant back;
    try {
      back = TextToVariant(type, text);
    } catch (const std::exception& e) {
      ADD_FAILURE() << FieldTypeName(type) << " '" << text << "': " << e.what();
      return;
    }
    EXPECT_EQ(back, expected) << FieldTypeName(type) << " '" << text << "'";
  }

  std::mt19937_64 rng_{0x5eed'1234};

 private:
  ScopedFormatSettings locale_;
};

TEST_P(RoundTrip, Integers) {
  const std::int32_t limits[] = {0, 1, -1, INT32_MAX, INT32_MIN, INT32_MAX - 1, INT32_MIN + 1};
  for (std::int32_t i : limits) Check(ftInteger, Variant(i), Variant(i));
  std::uniform_int_distribution<std::int32_t> any(INT32_MIN, INT32_MAX);
  for (int n = 0; n < kSamples; ++n) {
    const std::int32_t i = any(rng_);
    Check(ftInteger, Variant(i), Variant(i));
    Check(ftAutoInc, Variant(i), Variant(i));
    const auto s = static_cast<std::int16_t>(i);
    // Integer types read back as 32-bit integers, also for a smallint record.
    Check(ftSmallint, Variant(s), Variant(std::int32_t{s}));
    Check(ftWord, Variant(std::int32_t{static_cast<std::uint16_t>(i)}), Variant(std::int32_t{static_cast<std::uint16_t>(i)}));
  }
  Check(ftSmallint, Variant(std::int16_t{INT16_MIN}), Variant(std::int32_t{INT16_MIN}));
  Check(ftSmallint, Variant(std::int16_t{INT16_MAX}), Variant(std::int32_t{INT16_MAX}));
}

TEST_P(RoundTrip, DoublesIncludingTinyHugeNegativeAndDenormal) {
  const double specials[] = {0.0,
                             -0.0,
                             0.1,
                             -1.5,
                             1e-7,
                             123456789012345678.0,
                             std::numeric_limits<double>::min(),
                             std::numeric_limits<double>::denorm_min(),
                             -std::numeric_limits<double>::denorm_min(),
                             std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::lowest(),
                             std::numeric_limits<double>::epsilon()};
  for (double d : specials) Check(ftFloat, Variant(d), Variant(d));
  std::uniform_int_distribution<std::uint64_t> bits;
  std::uniform_real_distribution<double> plain(-1e6, 1e6);
  for (int n = 0; n < kSamples; ++n) {
    // Random bit patterns cover every exponent, denormals included.
    const double d = std::bit_cast<double>(bits(rng_));
    if (std::isfinite(d)) {
      const std::string text = VariantToText(ftFloat, Variant(d));
      const Variant back = TextToVariant(ftFloat, text);
      ASSERT_NE(back.Get<double>(), nullptr) << text;
      EXPECT_EQ(std::bit_cast<std::uint64_t>(*back.Get<double>()), std::bit_cast<std::uint64_t>(d)) << text;
    }
    const double p = plain(rng_);
    Check(ftFloat, Variant(p), Variant(p));
  }
}

TEST_P(RoundTrip, CurrencyAtFourDecimals) {
  for (std::int64_t s : {std::int64_t{0}, std::int64_t{1}, std::int64_t{-1}, INT64_MAX, INT64_MIN, std::int64_t{10000},
                         std::int64_t{-99999}})
    Check(ftCurrency, Variant(Currency::FromScaled(s)), Variant(Currency::FromScaled(s)));
  std::uniform_int_distribution<std::int64_t> any(INT64_MIN, INT64_MAX);
  std::uniform_int_distribution<std::int64_t> small(-100'000'000, 100'000'000);
  for (int n = 0; n < kSamples; ++n) {
    const Currency c = Currency::FromScaled(any(rng_));
    Check(ftCurrency, Variant(c), Variant(c));
    const Currency d = Currency::FromScaled(small(rng_));
    Check(ftBCD, Variant(d), Variant(d));
  }
}

TEST_P(RoundTrip, DatesOfTheYears100To9999) {
  // Years 1..99 are read as years of the current century, so their texts cannot read
  // back; every later date does.
  const TDateTime first = EncodeDate(100, 1, 1), last = EncodeDate(9999, 12, 31);
  for (TDateTime d : {first, last, 0.0, -1.0, EncodeDate(2000, 2, 29), EncodeDate(1900, 3, 1)})
    Check(ftDate, Variant::FromDate(d), Variant::FromDate(d));
  std::uniform_int_distribution<std::int64_t> day(static_cast<std::int64_t>(first), static_cast<std::int64_t>(last));
  for (int n = 0; n < kSamples; ++n) {
    const auto d = static_cast<TDateTime>(day(rng_));
    Check(ftDate, Variant::FromDate(d), Variant::FromDate(d));
  }
}

TEST_P(RoundTrip, TimesToTheSecond) {
  std::uniform_int_distribution<int> second(0, 86399);
  for (int s : {0, 1, 43200, 86399, 3600 * 12 - 1, 3600 * 13}) {
    const TDateTime t = EncodeTime(s / 3600, s / 60 % 60, s % 60, 0);
    Check(ftTime, Variant::FromDate(t), Variant::FromDate(t));
  }
  for (int n = 0; n < kSamples; ++n) {
    const int s = second(rng_);
    const TDateTime t = EncodeTime(s / 3600, s / 60 % 60, s % 60, 0);
    Check(ftTime, Variant::FromDate(t), Variant::FromDate(t));
  }
}

TEST_P(RoundTrip, DateTimesBeforeAndAfterTheBaseDate) {
  const auto first = static_cast<std::int64_t>(EncodeDate(100, 1, 1));
  const auto last = static_cast<std::int64_t>(EncodeDate(9999, 12, 31));
  std::uniform_int_distribution<std::int64_t> day(first, last);
  std::uniform_int_distribution<int> second(0, 86399);
  for (int n = 0; n < kSamples; ++n) {
    const int s = second(rng_);
    const TDateTime dt = ComposeDateTime(static_cast<TDateTime>(day(rng_)), EncodeTime(s / 3600, s / 60 % 60, s % 60, 0));
    Check(ftDateTime, Variant::FromDate(dt), Variant::FromDate(dt));
  }
}

TEST_P(RoundTrip, BooleansAndStrings) {
  Check(ftBoolean, Variant(true), Variant(true));
  Check(ftBoolean, Variant(false), Variant(false));
  std::uniform_int_distribution<int> len(1, 20);
  std::uniform_int_distribution<int> byte(33, 255);
  for (int n = 0; n < kSamples; ++n) {
    std::string s;
    for (int k = len(rng_); k > 0; --k) s += static_cast<char>(byte(rng_));
    s += ' ';
    s += "x";  // inner blanks stay, only trailing ones go
    Check(ftString, Variant(s), Variant(s));
  }
}

INSTANTIATE_TEST_SUITE_P(Locales, RoundTrip, ::testing::ValuesIn(testing::AllLocales()),
                         [](const ::testing::TestParamInfo<testing::NamedLocale>& info) { return info.param.name; });

}  // namespace
}  // namespace vantor
