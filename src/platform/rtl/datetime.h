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
bool TryEncodeDate(int year, int month, int day, TDateTime& out);
bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& out);
void DecodeDate(TDateTime d, int& year, int& month, int& day);
void DecodeTime(TDateTime d, int& hour, int& minute, int& second, int& msec);

// The current local date and time, and the current local year (the local clock).
TDateTime Now();
int CurrentYear();

}  // namespace vantor
