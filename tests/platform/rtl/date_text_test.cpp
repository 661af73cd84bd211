#include <vantor/platform/rtl/date_text.h>

#include <gtest/gtest.h>

#include <vantor/platform/rtl/exceptions.h>
#include "platform/rtl/test_locales.h"

namespace vantor {
namespace {

TEST(DateTime, CalendarRules) {
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_TRUE(IsLeapYear(2024));
  EXPECT_FALSE(IsLeapYear(2023));
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
  EXPECT_EQ(DaysInMonth(1900, 2), 28);
  EXPECT_EQ(DaysInMonth(2023, 4), 30);
  EXPECT_EQ(DaysInMonth(2023, 13), 0);
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
  EXPECT_EQ(EncodeDate(1, 1, 1), kMinDateTime);
  EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465.0);
  EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
  EXPECT_EQ(DayOfWeek(EncodeDate(2000, 1, 1)), 7);  // a Saturday
  EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 24)), 1);
  TDateTime d;
  EXPECT_FALSE(TryEncodeDate(0, 1, 1, d));
  EXPECT_FALSE(TryEncodeDate(10000, 1, 1, d));
  EXPECT_FALSE(TryEncodeDate(2001, 2, 29, d));
  EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, d));
  EXPECT_FALSE(TryEncodeTime(0, 0, 0, 1000, d));
  EXPECT_THROW(EncodeDate(2000, 0, 1), EConvertError);
  EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
}

TEST(DateTime, DecodeRoundTripsEveryDayAndNegativeValues) {
  for (TDateTime day = kMinDateTime; day <= 2958465.0; day += 1.0) {
    int y, m, d;
    DecodeDate(day, y, m, d);
    ASSERT_EQ(EncodeDate(y, m, d), day) << y << "-" << m << "-" << d;
  }
  // Before the base date the fraction is still the time of day.
  const TDateTime v = ComposeDateTime(EncodeDate(1899, 12, 29), EncodeTime(6, 0, 0, 0));
  EXPECT_EQ(v, -1.25);
  int y, m, d, h, n, s, ms;
  DecodeDate(v, y, m, d);
  DecodeTime(v, h, n, s, ms);
  EXPECT_EQ(y * 10000 + m * 100 + d, 18991229);
  EXPECT_EQ(h, 6);
  EXPECT_EQ(DateOf(v), -1.0);
  EXPECT_EQ(TimeOf(v), 0.25);
  // A time that rounds up to the next millisecond of midnight moves the day.
  DecodeDate(1.99999999999, y, m, d);
  DecodeTime(1.99999999999, h, n, s, ms);
  EXPECT_EQ(d, 1);
  EXPECT_EQ(h + n + s + ms, 0);
  DecodeDate(1e12, y, m, d);
  EXPECT_EQ(y + m + d, 0);
  EXPECT_GE(CurrentYear(), 2024);
  DecodeDate(Now(), y, m, d);
  EXPECT_EQ(y, CurrentYear());
}

TEST(DateText, WrittenFormsPerLocale) {
  const TDateTime dt = ComposeDateTime(EncodeDate(2005, 3, 7), EncodeTime(0, 5, 9, 0));
  EXPECT_EQ(DateToStr(dt, testing::UsLocale()), "3/7/2005");
  EXPECT_EQ(TimeToStr(dt, testing::UsLocale()), "12:05:09 AM");
  EXPECT_EQ(DateToStr(dt, testing::GermanLocale()), "07.03.2005");
  EXPECT_EQ(TimeToStr(dt, testing::GermanLocale()), "00:05:09");
  EXPECT_EQ(DateTimeToStr(dt, testing::IsoLocale()), "2005-03-07 上午 12:05:09");
  EXPECT_EQ(DateTimeToStr(dt, testing::FarEastLocale()), "2005/03/07 Mon AM 12:05:09");
  EXPECT_EQ(DateTimeToStr(EncodeDate(2005, 3, 7), testing::UsLocale()), "3/7/2005");
  EXPECT_EQ(DateToStr(EncodeDate(312, 1, 2), testing::UsLocale()), "1/2/0312");
}

TEST(DateText, TwoDigitYearFormatsStillWriteFourDigits) {
  FormatSettings fs;
  fs.short_date_format = "MM/dd/yy";
  EXPECT_EQ(DateToStr(EncodeDate(1905, 6, 1), fs), "06/01/1905");
  EXPECT_EQ(FormatDateTime("MM/dd/yy", EncodeDate(1905, 6, 1), fs), "06/01/05");
  // A format the reader could not read back is replaced by one in the same order.
  fs.short_date_format = "d MMMM yyyy";
  EXPECT_EQ(DateToStr(EncodeDate(1905, 6, 1), fs), "1/6/1905");
  fs.short_date_format = "dd.MM";
  EXPECT_EQ(DateToStr(EncodeDate(1905, 6, 1), fs), "1/6/1905");
  fs.long_time_format = "h:mm";  // no seconds
  EXPECT_EQ(TimeToStr(EncodeTime(13, 2, 3, 0), fs), "13:02:03");
}

TEST(DateText, FormatDateTimeTokens) {
  const FormatSettings fs = testing::UsLocale();
  const TDateTime dt = ComposeDateTime(EncodeDate(2009, 11, 5), EncodeTime(17, 4, 3, 21));
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", dt, fs), "2009-11-05 17:04:03.021");
  EXPECT_EQ(FormatDateTime("d/m/yy h:mm", dt, fs), "5/11/09 17:04");  // m after h is minutes
  EXPECT_EQ(FormatDateTime("ddd dddd mmm mmmm", dt, fs), "Thu Thursday Nov November");
  EXPECT_EQ(FormatDateTime("h AM/PM a/p ampm", dt, fs), "5 PM p PM");
  EXPECT_EQ(FormatDateTime("'at' h \"o'clock\"", dt, fs), "at 17 o'clock");
  EXPECT_EQ(FormatDateTime("c", dt, fs), "11/5/2009 5:04:03 PM");
  EXPECT_EQ(FormatDateTime("ddddd t", dt, fs), "11/5/2009 5:04 PM");
  FormatSettings de = testing::GermanLocale();
  EXPECT_EQ(FormatDateTime("dd/mm/yyyy hh:nn", dt, de), "05.11.2009 17:04");
  FormatSettings loop = fs;
  loop.short_date_format = "c";  // names itself: stops instead of recursing for ever
  EXPECT_NO_THROW(FormatDateTime("c", dt, loop));
}

TEST(DateText, ScannersAdvanceAZeroBasedPosition) {
  const FormatSettings fs = testing::UsLocale();
  std::size_t pos = 0;
  TDateTime d, t;
  ASSERT_TRUE(ScanDate("1/2/2000  10:30 trailing", pos, d, fs));
  EXPECT_EQ(pos, 10u);  // past the blanks after the date
  ASSERT_TRUE(ScanTime("1/2/2000  10:30 trailing", pos, t, fs));
  EXPECT_EQ(pos, 16u);
  EXPECT_EQ(t, EncodeTime(10, 30, 0, 0));
  pos = 0;
  EXPECT_FALSE(ScanTime("", pos, t, fs));
  pos = 5;
  EXPECT_FALSE(ScanDate("abc", pos, d, fs));
}

TEST(DateText, WholeTextReadersRaiseQuotingTheText) {
  ScopedFormatSettings de(testing::GermanLocale());
  EXPECT_EQ(StrToDate("1.2.2000"), EncodeDate(2000, 2, 1));
  EXPECT_EQ(StrToTime("13:14"), EncodeTime(13, 14, 0, 0));
  EXPECT_EQ(StrToDateTime("1.2.2000 13:14"), EncodeDate(2000, 2, 1) + EncodeTime(13, 14, 0, 0));
  const std::pair<TDateTime (*)(std::string_view), const char*> readers[] = {
      {StrToDate, "' x' is not a valid date"},
      {StrToTime, "' x' is not a valid time"},
      {StrToDateTime, "' x' is not a valid date and time"}};
  for (const auto& [reader, message] : readers) {
    try {
      reader(" x");
      FAIL() << message;
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), message);
    }
  }
  EXPECT_THROW(StrToDate("1.2.2000 13:14"), EConvertError);  // a date reader takes no time
  EXPECT_THROW(StrToTime("13:14 x"), EConvertError);
}

}  // namespace
}  // namespace vantor
