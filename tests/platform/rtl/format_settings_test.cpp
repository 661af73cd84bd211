#include "platform/rtl/format_settings.h"

#include <gtest/gtest.h>

#include "platform/rtl/date_text.h"
#include "platform/rtl/exceptions.h"
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
