#pragma once
// Locale settings the runtime tests run under: one per date order, plus a far-east
// one whose dates carry a day name and whose designators come before the hour.

#include <string>
#include <vector>

#include <vantor/platform/rtl/format_settings.h>

namespace vantor::testing {

// Month-day-year with "/", 12-hour times, "." decimals: the default.
inline FormatSettings UsLocale() { return FormatSettings{}; }

// Day-month-year with ".", 24-hour times, "," decimals, no designators.
inline FormatSettings GermanLocale() {
  FormatSettings fs;
  fs.decimal_separator = ',';
  fs.thousand_separator = '.';
  fs.date_separator = '.';
  fs.time_separator = ':';
  fs.short_date_format = "dd.MM.yyyy";
  fs.short_time_format = "HH:mm";
  fs.long_time_format = "HH:mm:ss";
  fs.time_am_string.clear();
  fs.time_pm_string.clear();
  return fs;
}

// Year-month-day with "-", "," decimals, non-ASCII designators written before the hour.
inline FormatSettings IsoLocale() {
  FormatSettings fs;
  fs.decimal_separator = ',';
  fs.thousand_separator = ' ';
  fs.date_separator = '-';
  fs.time_separator = ':';
  fs.short_date_format = "yyyy-MM-dd";
  fs.short_time_format = "AMPM h:mm";
  fs.long_time_format = "AMPM h:mm:ss";
  fs.time_am_string = "上午";
  fs.time_pm_string = "下午";
  return fs;
}

// A double-byte system: dates end in a day name, times start with the designator.
inline FormatSettings FarEastLocale() {
  FormatSettings fs;
  fs.date_separator = '/';
  fs.short_date_format = "yyyy/MM/dd ddd";
  fs.short_time_format = "AMPM h:mm";
  fs.long_time_format = "AMPM h:mm:ss";
  fs.time_am_string = "AM";
  fs.time_pm_string = "PM";
  fs.far_east = true;
  return fs;
}

struct NamedLocale {
  std::string name;
  FormatSettings settings;
};

inline std::vector<NamedLocale> AllLocales() {
  return {{"US", UsLocale()}, {"German", GermanLocale()}, {"Iso", IsoLocale()}, {"FarEast", FarEastLocale()}};
}

}  // namespace vantor::testing
