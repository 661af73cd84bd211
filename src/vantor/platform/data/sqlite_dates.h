#pragma once
// Dates and times as SQLite files hold them: ISO-8601 texts ("2024-01-05",
// "2024-01-05T10:30:00.250+02:00", "10:30"), Julian day numbers (julianday()) and Unix
// times in seconds (unixepoch()). A cell is read into a TDateTime together with the form
// it was written in, so that an edited value goes back in that same form.
//
// Offsets are kept, not applied: "10:00+02:00" reads as ten o'clock, the wall time the
// file shows, and is written back with its "+02:00".

#include <cstdint>
#include <string>
#include <string_view>

#include <vantor/platform/rtl/datetime.h>
#include <vantor/platform/rtl/field_type.h>

namespace vantor {

// The form in which a date cell was written, so an edited value goes back in it.
struct SQLiteDateForm {
  enum class Kind : std::uint8_t { Iso, Julian, Unix };
  Kind kind = Kind::Iso;
  // ISO texts: which parts there are and how they are written.
  bool date = true;
  bool time = true;
  char separator = ' ';        // between date and time: ' ' or 'T'
  bool seconds = true;         // HH:MM:SS, else HH:MM
  std::uint8_t fraction = 0;   // digits after the seconds
  std::string zone;            // "", "Z" or "+hh:mm" / "-hh:mm" as written
  // Numbers: whether the cell was an INTEGER (else a REAL).
  bool integer = false;
  bool operator==(const SQLiteDateForm&) const = default;
};

// The form in which a new value of a field type is written: "YYYY-MM-DD" for ftDate,
// "HH:MM:SS" for ftTime, "YYYY-MM-DD HH:MM:SS" for ftDateTime.
SQLiteDateForm DefaultDateForm(TFieldType type);

// An ISO-8601 text as SQLite's date functions accept it (date, time, or both joined by
// a blank or "T"; seconds, fractions and a zone optional). False for anything else.
[[nodiscard]] bool ParseSQLiteDateText(std::string_view text, TDateTime& value, SQLiteDateForm& form);
// The text of a value in an ISO form. Milliseconds are the precision of TDateTime:
// further fraction digits are written as zeros.
std::string FormatSQLiteDateText(TDateTime value, const SQLiteDateForm& form);

// A number in a date column. Numbers within the Julian days of the years 1 to 9999
// (1721425.5 to 5373484.5) are Julian days; other numbers are Unix seconds, which would
// otherwise be read as dates of January to March 1970 only. False outside the years 1
// to 9999 either way.
[[nodiscard]] bool SQLiteNumberToDate(double number, TDateTime& value, SQLiteDateForm::Kind& kind);
double DateToJulianDay(TDateTime value);
double DateToUnixTime(TDateTime value);

}  // namespace vantor
