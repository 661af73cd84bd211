#pragma once
// FormatSettings: the locale conventions that number and date texts follow.
// One process-wide current object is read by every conversion at each call, so a
// change (an application switching locale, a test setting one) takes effect at once.
//
// Format strings use the host's letters, case-insensitive: d dd (day), m mm (month;
// minutes right after an hour), yy yyyy (year), h hh (hour), n nn (minutes), s ss
// (seconds), zzz (msec), AMPM (the designators), am/pm and a/p (literal markers).
// In a format "/" stands for date_separator and ":" for time_separator; text in
// quotes is copied literally. The first letter of a short date format that is one of
// D, E, Y, M decides the order in which dates are read.

#include <bitset>
#include <string>
#include <string_view>

namespace vantor {

struct FormatSettings {
  char decimal_separator = '.';
  char thousand_separator = ',';
  char date_separator = '/';
  char time_separator = ':';
  std::string short_date_format = "M/d/yyyy";
  std::string short_time_format = "h:mm AMPM";
  std::string long_time_format = "h:mm:ss AMPM";
  std::string time_am_string = "AM";
  std::string time_pm_string = "PM";
  // A locale of a double-byte system (Chinese, Japanese, Korean); the date reader then
  // skips the day-name part of such locales' dates.
  bool far_east = false;
  // The bytes that start a two-byte character in the locale's multi-byte encoding.
  // Empty for UTF-8, whose continuation bytes never look like digits.
  std::bitset<256> lead_bytes;

  bool operator==(const FormatSettings&) const = default;
};

// The settings every conversion reads; US-style until SetFormatSettings is called.
const FormatSettings& CurrentFormat() noexcept;
void SetFormatSettings(const FormatSettings& settings);

// Installs settings for the lifetime of the object and puts the previous ones back.
class ScopedFormatSettings {
 public:
  explicit ScopedFormatSettings(const FormatSettings& settings);
  ~ScopedFormatSettings();
  ScopedFormatSettings(const ScopedFormatSettings&) = delete;
  ScopedFormatSettings& operator=(const ScopedFormatSettings&) = delete;

 private:
  FormatSettings saved_;
};

// Settings read from a POSIX locale ("de_DE.UTF-8", "C.UTF-8"; "" for the locale of
// the environment) through a locale handle of its own, never the global locale.
// Raises EConvertError when the locale is not installed.
FormatSettings FromPosixLocale(const char* name);

// The date and time part of FromPosixLocale, from a locale's strftime formats (D_FMT,
// T_FMT with "%r" already replaced by T_FMT_AMPM) and designators. The formats keep only
// what the date and time readers can read back: the numbers, the designators, and one
// separator between two numbers (the locale's own punctuation, else "/" in dates and ":"
// in times), so "%Y年%m月%d日" becomes "yyyy/MM/dd" and every text written in these
// settings reads back to the same value.
FormatSettings FromPosixFormats(std::string_view d_fmt, std::string_view t_fmt, std::string_view am,
                                std::string_view pm);

// Translates a strftime-style format ("%d.%m.%Y") to the letters above ("dd.MM.yyyy").
// Punctuation is kept as it is; other literal text is quoted.
std::string FormatFromPosix(std::string_view posix);

}  // namespace vantor
