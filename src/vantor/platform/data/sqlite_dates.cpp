#include <vantor/platform/data/sqlite_dates.h>

#include <cmath>
#include <cstdio>

#include <vantor/platform/data/internal/sql_text.h>

namespace vantor {

namespace {

// The day numbers of TDateTime's epoch (1899-12-30) and of Unix's (1970-01-01).
constexpr double kJulianOfEpoch = 2415018.5;
constexpr double kDaysToUnixEpoch = 25569.0;
constexpr double kFirstJulian = 1721425.5;  // 0001-01-01 00:00
constexpr double kEndJulian = 5373484.5;    // 10000-01-01 00:00
constexpr double kMsPerDay = 86'400'000.0;

// "HH:MM[:SS[.fff...]][zone]" from pos to the end.
bool ParseTime(std::string_view s, std::size_t pos, TDateTime& time, SQLiteDateForm& form) {
  int h = 0, m = 0, sec = 0, ms = 0;
  if (!Digits(s, pos, 2, h) || pos + 2 >= s.size() || s[pos + 2] != ':' || !Digits(s, pos + 3, 2, m)) return false;
  std::size_t p = pos + 5;
  form.seconds = false;
  form.fraction = 0;
  if (p < s.size() && s[p] == ':') {
    if (!Digits(s, p + 1, 2, sec)) return false;
    form.seconds = true;
    p += 3;
    if (p < s.size() && s[p] == '.') {
      ++p;
      int digits = 0;
      for (; p < s.size() && s[p] >= '0' && s[p] <= '9'; ++p, ++digits) {
        if (digits < 3) ms = ms * 10 + (s[p] - '0');
      }
      if (digits == 0 || digits > 255) return false;
      for (int d = digits; d < 3; ++d) ms *= 10;
      form.fraction = static_cast<std::uint8_t>(digits);
    }
  }
  const std::string_view zone = s.substr(p);
  if (zone == "Z" || zone == "z") {
    form.zone = std::string(zone);
  } else if (!zone.empty()) {
    int zh = 0, zm = 0;
    if (zone.size() != 6 || (zone[0] != '+' && zone[0] != '-') || !Digits(zone, 1, 2, zh) || zone[3] != ':' ||
        !Digits(zone, 4, 2, zm) || zh > 14 || zm > 59) {
      return false;
    }
    form.zone = std::string(zone);
  }
  return TryEncodeTime(h, m, sec, ms, time);
}

// A linear day count (days since the epoch, fraction = time of day even before 1899)
// as TDateTime, whose negative values keep the time of day as a positive fraction.
TDateTime FromLinear(double days) {
  const double ms = std::nearbyint(days * kMsPerDay);
  const double day = std::floor(ms / kMsPerDay);
  const double time = (ms - day * kMsPerDay) / kMsPerDay;
  return ComposeDateTime(day, time);
}

double ToLinear(TDateTime value) { return DateOf(value) + TimeOf(value); }

}  // namespace

SQLiteDateForm DefaultDateForm(TFieldType type) {
  SQLiteDateForm form;
  form.date = type != TFieldType::ftTime;
  form.time = type != TFieldType::ftDate;
  return form;
}

bool ParseSQLiteDateText(std::string_view s, TDateTime& value, SQLiteDateForm& form) {
  form = SQLiteDateForm{};
  if (s.size() >= 5 && s[2] == ':') {
    form.date = false;
    return ParseTime(s, 0, value, form);
  }
  int y = 0, m = 0, d = 0;
  if (!Digits(s, 0, 4, y) || s.size() < 10 || s[4] != '-' || !Digits(s, 5, 2, m) || s[7] != '-' || !Digits(s, 8, 2, d)) {
    return false;
  }
  TDateTime date = 0;
  if (!TryEncodeDate(y, m, d, date)) return false;
  if (s.size() == 10) {
    form.time = false;
    value = date;
    return true;
  }
  if (s[10] != ' ' && s[10] != 'T') return false;
  form.separator = s[10];
  TDateTime time = 0;
  if (!ParseTime(s, 11, time, form)) return false;
  value = ComposeDateTime(date, time);
  return true;
}

std::string FormatSQLiteDateText(TDateTime value, const SQLiteDateForm& form) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
  DecodeDate(value, y, mo, d);
  DecodeTime(value, h, mi, s, ms);
  std::string out;
  char buffer[32];
  if (form.date) {
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", y, mo, d);
    out += buffer;
  }
  if (!form.time) return out;
  if (form.date) out += form.separator;
  std::snprintf(buffer, sizeof buffer, "%02d:%02d", h, mi);
  out += buffer;
  if (form.seconds || form.fraction > 0 || s != 0 || ms != 0) {
    std::snprintf(buffer, sizeof buffer, ":%02d", s);
    out += buffer;
    const int digits = form.fraction > 0 ? form.fraction : (ms != 0 ? 3 : 0);
    if (digits > 0) {
      std::snprintf(buffer, sizeof buffer, ".%03d", ms);
      out += std::string_view(buffer).substr(0, static_cast<std::size_t>(std::min(digits, 3)) + 1);
      if (digits > 3) out.append(static_cast<std::size_t>(digits - 3), '0');
    }
  }
  return out + form.zone;
}

bool SQLiteNumberToDate(double number, TDateTime& value, SQLiteDateForm::Kind& kind) {
  if (!std::isfinite(number)) return false;
  double days = 0;
  if (number >= kFirstJulian && number < kEndJulian) {
    kind = SQLiteDateForm::Kind::Julian;
    days = number - kJulianOfEpoch;
  } else {
    kind = SQLiteDateForm::Kind::Unix;
    days = kDaysToUnixEpoch + number / 86400.0;
    if (days < kFirstJulian - kJulianOfEpoch || days >= kEndJulian - kJulianOfEpoch) return false;
  }
  value = FromLinear(days);
  return true;
}

double DateToJulianDay(TDateTime value) { return ToLinear(value) + kJulianOfEpoch; }

double DateToUnixTime(TDateTime value) {
  return std::nearbyint((ToLinear(value) - kDaysToUnixEpoch) * kMsPerDay) / 1000.0;
}

}  // namespace vantor
