#pragma once
// Dates and times to text and back, in the current FormatSettings.
//
// Reading follows the date and time scanners below exactly; writing chooses forms
// that those scanners read back to the same value: DateToStr always writes four-digit
// years, TimeToStr writes seconds. Two limits remain by the reading rules: a year of
// 99 or less is read as a year of the current century, so dates of years 1 to 99 do
// not read back; and times keep whole seconds only (milliseconds are dropped).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <vantor/platform/rtl/datetime.h>
#include <vantor/platform/rtl/format_settings.h>

namespace vantor {

enum class TDateOrder : std::uint8_t { doMDY, doDMY, doYMD };

// The order of the numbers in a date: the first of the letters D, E, Y, M (any case)
// in the short date format decides; month-day-year when there is none.
TDateOrder GetDateOrder(std::string_view short_date_format);

// The scanners work on a 0-based byte position into `text`, which they advance past
// what they read (also when they fail). Blanks are spaces.
//
// ScanDate reads  number sep number [sep number] [sep] [blanks]  with the locale's date
// separator, taking the numbers in the locale's date order; a missing year is the
// current one, a year of 99 or less gets the current century. Numbers take at most
// four digits ("12345" reads 1234). A format beginning with "g" (an era) lets the text
// start with anything before the first digit. Succeeds for a valid Gregorian date of
// the years 1..9999 and stores it (whole days) in `date`.
bool ScanDate(std::string_view text, std::size_t& pos, TDateTime& date,
              const FormatSettings& fs = CurrentFormat());
// ScanTime reads  [AM|PM] hour [sep minutes [sep seconds]] [AM|PM] [blanks]  where AM
// and PM are the locale's designators or the literal words, in any letter case. With a
// designator the hour is 1..12 (12 AM is midnight). Succeeds for a valid time of day
// and stores its fraction in `time`.
bool ScanTime(std::string_view text, std::size_t& pos, TDateTime& time,
              const FormatSettings& fs = CurrentFormat());

// Whole-text readers. A date-time is a date, then either the end of the text or a
// time; text after a valid time is not examined.
[[nodiscard]] bool TryStrToDate(std::string_view text, TDateTime& value, const FormatSettings& fs = CurrentFormat());
[[nodiscard]] bool TryStrToTime(std::string_view text, TDateTime& value, const FormatSettings& fs = CurrentFormat());
[[nodiscard]] bool TryStrToDateTime(std::string_view text, TDateTime& value, const FormatSettings& fs = CurrentFormat());
// Raise EConvertError quoting the text ("'31.4.2000' is not a valid date").
TDateTime StrToDate(std::string_view text);
TDateTime StrToTime(std::string_view text);
TDateTime StrToDateTime(std::string_view text);

// Formats a value with the letters described in format_settings.h; ddd/dddd and
// mmm/mmmm give English day and month names, c the date and (when not midnight) the
// long time, t and tt the short and long time formats, ddddd the short date format.
std::string FormatDateTime(std::string_view format, TDateTime value, const FormatSettings& fs = CurrentFormat());

// The short date format with four-digit years (a format the reader cannot read back,
// one without day, month or year numbers, is replaced by one in the same order).
std::string DateToStr(TDateTime value, const FormatSettings& fs = CurrentFormat());
// The long time format (one without hours, minutes and seconds is replaced by hh:nn:ss).
std::string TimeToStr(TDateTime value, const FormatSettings& fs = CurrentFormat());
// The date, then a blank and the time unless the time is midnight.
std::string DateTimeToStr(TDateTime value, const FormatSettings& fs = CurrentFormat());

}  // namespace vantor
