#include <vantor/platform/rtl/format_settings.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include <vantor/platform/rtl/date_text.h>
#include <vantor/platform/rtl/exceptions.h>
#include "platform/rtl/test_locales.h"

namespace vantor {
namespace {

TEST(FormatSettings, DefaultIsUsStyle) {
  const FormatSettings fs;
  EXPECT_EQ(fs.decimal_separator, '.');
  EXPECT_EQ(fs.date_separator, '/');
  EXPECT_EQ(fs.time_separator, ':');
  EXPECT_EQ(fs.short_date_format, "M/d/yyyy");
  EXPECT_EQ(fs.time_am_string, "AM");
  EXPECT_FALSE(fs.far_east);
  EXPECT_TRUE(fs.lead_bytes.none());
  EXPECT_EQ(CurrentFormat(), fs);  // no test leaves other settings behind
}

TEST(FormatSettings, ScopedSettingsApplyAndRestore) {
  {
    ScopedFormatSettings outer(testing::GermanLocale());
    EXPECT_EQ(CurrentFormat().decimal_separator, ',');
    {
      ScopedFormatSettings inner(testing::IsoLocale());
      EXPECT_EQ(CurrentFormat().date_separator, '-');
      EXPECT_EQ(StrToDate("2001-02-03"), EncodeDate(2001, 2, 3));
    }
    EXPECT_EQ(CurrentFormat().date_separator, '.');
    EXPECT_EQ(StrToDate("3.2.2001"), EncodeDate(2001, 2, 3));
  }
  EXPECT_EQ(CurrentFormat(), FormatSettings{});
  // SetFormatSettings changes the current object; a scope around it puts it back.
  {
    ScopedFormatSettings guard(CurrentFormat());
    FormatSettings fs;
    fs.decimal_separator = ',';
    SetFormatSettings(fs);
    EXPECT_EQ(CurrentFormat().decimal_separator, ',');
  }
  EXPECT_EQ(CurrentFormat().decimal_separator, '.');
}

TEST(FormatSettings, TranslatesPosixFormats) {
  EXPECT_EQ(FormatFromPosix("%m/%d/%y"), "MM/dd/yy");
  EXPECT_EQ(FormatFromPosix("%d.%m.%Y"), "dd.MM.yyyy");
  EXPECT_EQ(FormatFromPosix("%Y-%m-%d"), "yyyy-MM-dd");
  EXPECT_EQ(FormatFromPosix("%H:%M:%S"), "HH:nn:ss");
  EXPECT_EQ(FormatFromPosix("%I:%M:%S %p"), "hh:nn:ss AMPM");
  EXPECT_EQ(FormatFromPosix("%Y年%m月%d日"), "yyyy\"年\"MM\"月\"dd\"日\"");
  EXPECT_EQ(FormatFromPosix("%e. %B %Y"), "d. MMMM yyyy");
  EXPECT_EQ(FormatFromPosix("%T"), "HH:nn:ss");
  EXPECT_EQ(FormatFromPosix("%-d/%-m"), "dd/MM");
  // The translated formats write what the original does.
  const TDateTime dt = EncodeDate(2004, 5, 6) + EncodeTime(7, 8, 9, 0);
  FormatSettings fs;
  EXPECT_EQ(FormatDateTime(FormatFromPosix("%d.%m.%Y %H:%M:%S"), dt, fs), "06.05.2004 07:08:09");
  EXPECT_EQ(FormatDateTime(FormatFromPosix("%Y年%m月%d日"), dt, fs), "2004年05月06日");
}

// The strftime formats of several glibc locales, some with words between the numbers.
struct PosixDates {
  const char* locale;
  const char* d_fmt;
  const char* t_fmt;  // with "%r" already replaced by T_FMT_AMPM
  const char* am;
  const char* pm;
};

const PosixDates kPosixLocales[] = {
    {"ja_JP", "%Y年%m月%d日", "%H時%M分%S秒", "午前", "午後"},
    {"ja_JP 12h", "%Y年%m月%d日", "%p%I時%M分%S秒", "午前", "午後"},
    {"ko_KR", "%Y년 %m월 %d일", "%H시 %M분 %S초", "오전", "오후"},
    {"ko_KR newer", "%Y. %m. %d.", "%p %I시 %M분 %S초", "오전", "오후"},
    {"zh_CN", "%Y年%m月%d日", "%H时%M分%S秒", "上午", "下午"},
    {"zh_TW", "西元%Y年%m月%d日", "%p %I時%M分%S秒", "上午", "下午"},
    {"de_DE", "%d.%m.%Y", "%T", "", ""},
    {"en_US", "%m/%d/%Y", "%I:%M:%S %p", "AM", "PM"},
    {"lv_LV", "%Y.%m.%d.", "%T", "", ""},
    {"hr_HR", "%d.%m.%Y.", "%T", "", ""},
    {"bg_BG", "%e.%m.%Y", "%k,%M,%S", "", ""},
    {"hu_HU", "%Y-%m-%d", "%T", "", ""},
    {"sq_AL", "%Y-%b-%d", "%I.%M.%S. %p", "PD", "MD"},
    {"fr_CA", "%Y-%m-%d", "%H:%M:%S", "", ""},
};

TEST(FormatSettings, DatesAndTimesReadBackInTheSettingsOfEveryLocale) {
  const std::vector<TDateTime> values{EncodeDate(2004, 5, 6) + EncodeTime(7, 8, 9, 0),
                                      EncodeDate(1999, 12, 31) + EncodeTime(23, 59, 59, 0),
                                      EncodeDate(2026, 1, 1) + EncodeTime(12, 0, 1, 0),
                                      EncodeDate(1900, 2, 28) + EncodeTime(0, 30, 0, 0)};
  for (const PosixDates& p : kPosixLocales) {
    const FormatSettings fs = FromPosixFormats(p.d_fmt, p.t_fmt, p.am, p.pm);
    for (TDateTime value : values) {
      const std::string date = DateToStr(value, fs);
      const std::string time = TimeToStr(value, fs);
      const std::string both = DateTimeToStr(value, fs);
      TDateTime back = 0;
      ASSERT_TRUE(TryStrToDate(date, back, fs)) << p.locale << ": " << date;
      EXPECT_EQ(back, std::floor(value)) << p.locale;
      ASSERT_TRUE(TryStrToTime(time, back, fs)) << p.locale << ": " << time;
      EXPECT_NEAR(back, value - std::floor(value), 1e-9) << p.locale;
      ASSERT_TRUE(TryStrToDateTime(both, back, fs)) << p.locale << ": " << both;
      EXPECT_NEAR(back, value, 1e-9) << p.locale;
    }
  }
}

TEST(FormatSettings, LocaleFormatsKeepTheNumbersAndOneSeparatorBetweenThem) {
  FormatSettings ja = FromPosixFormats("%Y年%m月%d日", "%p%I時%M分%S秒", "午前", "午後");
  EXPECT_EQ(ja.short_date_format, "yyyy/MM/dd");
  EXPECT_EQ(ja.date_separator, '/');
  EXPECT_EQ(ja.long_time_format, "AMPM hh:nn:ss");
  EXPECT_EQ(ja.short_time_format, "AMPM hh:nn");
  EXPECT_EQ(ja.time_separator, ':');
  EXPECT_EQ(ja.time_am_string, "午前");
  const FormatSettings ko = FromPosixFormats("%Y. %m. %d.", "%H시 %M분 %S초", "오전", "오후");
  EXPECT_EQ(ko.short_date_format, "yyyy.MM.dd");
  EXPECT_EQ(ko.date_separator, '.');
  EXPECT_EQ(ko.long_time_format, "HH:nn:ss");
  EXPECT_TRUE(ko.time_am_string.empty()) << "a 24-hour clock shows no designator";
  const FormatSettings de = FromPosixFormats("%d.%m.%Y", "%T", "", "");
  EXPECT_EQ(de.short_date_format, "dd.MM.yyyy");
  EXPECT_EQ(de.long_time_format, "HH:nn:ss");
  const FormatSettings us = FromPosixFormats("%m/%d/%Y", "%I:%M:%S %p", "AM", "PM");
  EXPECT_EQ(us.short_date_format, "MM/dd/yyyy");
  EXPECT_EQ(us.long_time_format, "hh:nn:ss AMPM");
  EXPECT_EQ(us.short_time_format, "hh:nn AMPM");
}

TEST(FormatSettings, ReadsThePosixLocale) {
  for (const char* name : {"C.UTF-8", "C", "POSIX"}) {
    const FormatSettings fs = FromPosixLocale(name);
    EXPECT_EQ(fs.decimal_separator, '.') << name;
    EXPECT_EQ(fs.date_separator, '/') << name;
    EXPECT_EQ(fs.time_separator, ':') << name;
    EXPECT_EQ(fs.short_date_format, "MM/dd/yy") << name;
    EXPECT_EQ(fs.long_time_format, "HH:nn:ss") << name;
    EXPECT_EQ(fs.short_time_format, "HH:nn") << name;
    EXPECT_TRUE(fs.time_am_string.empty()) << name;  // a 24-hour clock shows none
    EXPECT_FALSE(fs.far_east) << name;
    // What it writes, it reads back.
    const TDateTime dt = EncodeDate(1987, 6, 5) + EncodeTime(22, 33, 44, 0);
    TDateTime back;
    ASSERT_TRUE(TryStrToDateTime(DateTimeToStr(dt, fs), back, fs)) << DateTimeToStr(dt, fs);
    EXPECT_EQ(back, dt);
  }
  EXPECT_THROW(FromPosixLocale("xx_NOWHERE.UTF-8"), EConvertError);
  EXPECT_NO_THROW(FromPosixLocale(""));
  EXPECT_NO_THROW(FromPosixLocale(nullptr));
}

}  // namespace
}  // namespace vantor
