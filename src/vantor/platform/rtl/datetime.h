#pragma once
// Date and time values: TDateTime is the host's day count from 1899-12-30 as a double,
// the fraction being the time of day. Encode/decode use the proleptic Gregorian calendar.

#include <cstdint>

namespace vantor {

using TDateTime = double;

bool IsLeapYear(int year);
// Days of month 1..12 in the given year (Gregorian leap-year rule).
int DaysInMonth(int year, int month);

// Encoding raises EConvertError for values outside 1..9999 / 1..12 / the month's days,
// or hour >= 24, minute >= 60, second >= 60, msec >= 1000.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int msec);
// Non-raising variants: false when the parts are out of range.
[[nodiscard]] bool TryEncodeDate(int year, int month, int day, TDateTime& out);
[[nodiscard]] bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& out);
// Decoding rounds to the nearest millisecond (23:59:59.9996 is the next day); a value
// outside kMinDateTime..kMaxDateTime (or not finite) decodes to zeros.
void DecodeDate(TDateTime d, int& year, int& month, int& day);
void DecodeTime(TDateTime d, int& hour, int& minute, int& second, int& msec);
// Day of the week, 1 = Sunday .. 7 = Saturday.
int DayOfWeek(TDateTime d);

// Joins a date (whole days) and a time of day (a fraction in [0, 1)) by the host's
// convention: before 1899-12-30 the day count is negative and the time is subtracted,
// so the fraction is the time of day whatever the sign.
TDateTime ComposeDateTime(TDateTime date, TDateTime time);
// The day part and the time-of-day part of a value (the reverse of ComposeDateTime).
TDateTime DateOf(TDateTime d);
TDateTime TimeOf(TDateTime d);
// The range of values that decode to years 1..9999.
inline constexpr TDateTime kMinDateTime = -693593.0;        // 0001-01-01 00:00
inline constexpr TDateTime kMaxDateTime = 2958465.99999999;  // 9999-12-31 23:59:59.999

// The current local date and time, and the current local year (the local clock).
TDateTime Now();
int CurrentYear();

}  // namespace vantor
