#include <vantor/platform/rtl/datetime.h>

#include <cmath>
#include <cstdint>
#include <ctime>

#include <vantor/platform/rtl/exceptions.h>

namespace vantor {

namespace {

constexpr std::int64_t kMsecPerDay = 86400000;
// 1970-01-01 is day 25569 of the 1899-12-30 count.
constexpr std::int64_t kUnixEpochDay = 25569;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

bool InRange(TDateTime d) { return std::isfinite(d) && d >= kMinDateTime - 1 && d <= kMaxDateTime + 1; }

// Splits a value into its signed day number and the milliseconds of its time of
// day, rounding to the millisecond first so that a time that rounds up moves the day.
void Split(TDateTime d, std::int64_t& day, std::int64_t& msec) {
  const long double total = std::roundl(std::fabs(static_cast<long double>(d)) * kMsecPerDay);
  const auto ms = static_cast<std::int64_t>(total);
  day = ms / kMsecPerDay;
  if (d < 0) day = -day;
  msec = ms % kMsecPerDay;
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& out) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
    return false;
  out = static_cast<TDateTime>(DaysFromCivil(year, month, day) + kUnixEpochDay);
  return true;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& out) {
  if (hour < 0 || hour >= 24 || minute < 0 || minute >= 60 || second < 0 || second >= 60 || msec < 0 ||
      msec >= 1000)
    return false;
  const std::int64_t ms = ((hour * 60LL + minute) * 60 + second) * 1000 + msec;
  out = static_cast<TDateTime>(ms) / kMsecPerDay;
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime d;
  if (!TryEncodeDate(year, month, day, d)) throw EConvertError("Invalid argument to date encode");
  return d;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
  TDateTime t;
  if (!TryEncodeTime(hour, minute, second, msec, t)) throw EConvertError("Invalid argument to time encode");
  return t;
}

TDateTime ComposeDateTime(TDateTime date, TDateTime time) { return date >= 0 ? date + time : date - time; }

TDateTime DateOf(TDateTime d) {
  std::int64_t day, msec;
  if (!InRange(d)) return std::trunc(d);
  Split(d, day, msec);
  return static_cast<TDateTime>(day);
}

TDateTime TimeOf(TDateTime d) {
  std::int64_t day, msec;
  if (!InRange(d)) return 0;
  Split(d, day, msec);
  return static_cast<TDateTime>(msec) / kMsecPerDay;
}

void DecodeDate(TDateTime d, int& year, int& month, int& day) {
  year = month = day = 0;
  if (!InRange(d)) return;
  std::int64_t days, msec;
  Split(d, days, msec);
  if (days < kMinDateTime || days > kMaxDateTime) return;
  CivilFromDays(days - kUnixEpochDay, year, month, day);
}

void DecodeTime(TDateTime d, int& hour, int& minute, int& second, int& msec) {
  hour = minute = second = msec = 0;
  if (!InRange(d)) return;
  std::int64_t days, ms;
  Split(d, days, ms);
  msec = static_cast<int>(ms % 1000);
  ms /= 1000;
  second = static_cast<int>(ms % 60);
  ms /= 60;
  minute = static_cast<int>(ms % 60);
  hour = static_cast<int>(ms / 60);
}

int DayOfWeek(TDateTime d) {
  // 1899-12-30 was a Saturday (7).
  const auto day = static_cast<std::int64_t>(DateOf(d));
  return static_cast<int>(((day + 6) % 7 + 7) % 7) + 1;
}

TDateTime Now() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  std::tm tm{};
  localtime_r(&ts.tv_sec, &tm);
  const TDateTime date = EncodeDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
  const TDateTime time = EncodeTime(tm.tm_hour, tm.tm_min, tm.tm_sec > 59 ? 59 : tm.tm_sec,
                                    static_cast<int>(ts.tv_nsec / 1000000));
  return ComposeDateTime(date, time);
}

int CurrentYear() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return tm.tm_year + 1900;
}

}  // namespace vantor
