#include <vantor/platform/rtl/date_text.h>

#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/string_table.h>

namespace vantor {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// ---------------------------------------------------------------------------
// Reading

// The primitive steps shared by the date and the time scanner.
class TextScanner {
 public:
  TextScanner(std::string_view s, std::size_t& pos, const FormatSettings& fs) : s_(s), pos_(pos), fs_(fs) {}

  bool AtEnd() const { return pos_ >= s_.size(); }

  void SkipBlanks() {
    while (pos_ < s_.size() && s_[pos_] == ' ') ++pos_;
  }

  // At most four digits: the accumulator takes a digit only while it is below 1000.
  bool Number(int& n) {
    SkipBlanks();
    const std::size_t start = pos_;
    int acc = 0;
    while (pos_ < s_.size() && IsDigit(s_[pos_]) && acc < 1000) acc = acc * 10 + (s_[pos_++] - '0');
    if (pos_ == start) return false;
    n = acc;
    return true;
  }

  bool Char(char c) {
    SkipBlanks();
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }

  bool Word(std::string_view w) {
    if (w.empty()) return false;
    SkipBlanks();
    const std::size_t n = MatchTextAt(s_, pos_, w);
    if (n == std::string_view::npos) return false;
    pos_ += n;
    return true;
  }

  bool StartsWith(std::string_view w) const { return MatchTextAt(s_, pos_, w) != std::string_view::npos; }

  // Past an era name or any other prefix, to the first digit; a lead byte takes its
  // trail byte with it, so the second half of a double-byte character is never read.
  void SkipToNumber() {
    while (pos_ < s_.size() && !IsDigit(s_[pos_])) {
      if (fs_.lead_bytes.test(static_cast<unsigned char>(s_[pos_]))) ++pos_;
      ++pos_;
    }
    if (pos_ > s_.size()) pos_ = s_.size();
  }

  void SkipWord() {
    while (pos_ < s_.size() && s_[pos_] != ' ') ++pos_;
  }

  // The designators: the locale's words, then the literal AM/PM.
  bool Am() { return Word(fs_.time_am_string) || Word("AM"); }
  bool Pm() { return Word(fs_.time_pm_string) || Word("PM"); }

  const FormatSettings& fs() const { return fs_; }

 private:
  std::string_view s_;
  std::size_t& pos_;
  const FormatSettings& fs_;
};

// ---------------------------------------------------------------------------
// Writing

const char* const kShortDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kLongDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kShortMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kLongMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                       "July",    "August",   "September", "October", "November", "December"};

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// One element of a date/time format.
struct Token {
  enum Kind : char {
    kLiteral, kDateSep, kTimeSep, kYear, kEra, kMonth, kMinute, kDay, kHour, kSecond, kMsec,
    kTimeShort, kTimeLong, kDateTime, kAmPmLocale, kAmPmLiteral, kAPLiteral,
  };
  Kind kind = kLiteral;
  int count = 0;                // letters in the run
  std::string_view text;        // literal text, or the am/pm letters as written
};

// Splits a format into tokens, applying the rule that m right after an hour means minutes.
class FormatTokenizer {
 public:
  explicit FormatTokenizer(std::string_view f) : f_(f) {}

  bool Next(Token& t) {
    if (i_ >= f_.size()) return false;
    const char c = f_[i_];
    t = Token{};
    if (c == '\'' || c == '"') {
      const std::size_t end = f_.find(c, i_ + 1);
      const std::size_t stop = end == std::string_view::npos ? f_.size() : end;
      t.text = f_.substr(i_ + 1, stop - i_ - 1);
      i_ = end == std::string_view::npos ? f_.size() : end + 1;
      return true;
    }
    if (c == '/') return Single(t, Token::kDateSep);
    if (c == ':') return Single(t, Token::kTimeSep);
    const char u = Upper(c);
    if (u == 'A') return AmPm(t);
    const std::size_t start = i_;
    std::size_t n = 1;
    if (u >= 'A' && u <= 'Z')
      while (start + n < f_.size() && Upper(f_[start + n]) == u) ++n;
    Token::Kind kind;
    switch (u) {
      case 'Y': kind = Token::kYear; break;
      case 'E': kind = Token::kYear; break;
      case 'G': kind = Token::kEra; break;
      case 'M': kind = (last_letter_ == 'H' && n <= 2) ? Token::kMinute : Token::kMonth; break;
      case 'N': kind = Token::kMinute; break;
      case 'D': kind = Token::kDay; break;
      case 'H': kind = Token::kHour; break;
      case 'S': kind = Token::kSecond; break;
      case 'Z': kind = Token::kMsec; break;
      case 'T': kind = n >= 2 ? Token::kTimeLong : Token::kTimeShort; break;
      case 'C': kind = Token::kDateTime; break;
      default:
        t.text = f_.substr(start, 1);
        ++i_;
        return true;
    }
    if (u >= 'A' && u <= 'Z') last_letter_ = u;
    t.kind = kind;
    t.count = static_cast<int>(n);
    i_ += n;
    return true;
  }

 private:
  bool Single(Token& t, Token::Kind k) {
    t.kind = k;
    ++i_;
    return true;
  }

  bool AmPm(Token& t) {
    const std::string_view rest = f_.substr(i_);
    if (MatchTextAt(rest, 0, "AMPM") != std::string_view::npos) {
      t.kind = Token::kAmPmLocale;
      i_ += 4;
    } else if (MatchTextAt(rest, 0, "AM/PM") != std::string_view::npos) {
      t.kind = Token::kAmPmLiteral;
      t.text = rest.substr(0, 5);
      i_ += 5;
    } else if (MatchTextAt(rest, 0, "A/P") != std::string_view::npos) {
      t.kind = Token::kAPLiteral;
      t.text = rest.substr(0, 3);
      i_ += 3;
    } else {
      t.text = rest.substr(0, 1);
      ++i_;
    }
    return true;
  }

  std::string_view f_;
  std::size_t i_ = 0;
  char last_letter_ = 0;
};

// What a format shows, to decide whether its texts read back.
struct FormatContents {
  bool day = false, month = false, year = false, names = false;
  bool hour = false, minute = false, second = false, ap = false, composite = false;
};

FormatContents Analyze(std::string_view format) {
  FormatContents c;
  FormatTokenizer tz(format);
  Token t;
  while (tz.Next(t)) {
    switch (t.kind) {
      case Token::kDay:
        if (t.count <= 2) c.day = true;
        else if (t.count <= 4) c.names = true;
        else c.composite = true;
        break;
      case Token::kMonth:
        if (t.count <= 2) c.month = true;
        else c.names = true;
        break;
      case Token::kYear: c.year = true; break;
      case Token::kHour: c.hour = true; break;
      case Token::kMinute: c.minute = true; break;
      case Token::kSecond: c.second = true; break;
      case Token::kAPLiteral: c.ap = true; break;
      case Token::kTimeShort:
      case Token::kTimeLong:
      case Token::kDateTime: c.composite = true; break;
      default: break;
    }
  }
  return c;
}

bool HasTwelveHourMarker(std::string_view format) {
  FormatTokenizer tz(format);
  Token t;
  while (tz.Next(t))
    if (t.kind == Token::kAmPmLocale || t.kind == Token::kAmPmLiteral || t.kind == Token::kAPLiteral) return true;
  return false;
}

void AppendNumber(std::string& out, int value, int min_digits) {
  char buf[12];
  int n = 0;
  unsigned v = static_cast<unsigned>(value < 0 ? -value : value);
  do {
    buf[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  while (n < min_digits) buf[n++] = '0';
  while (n > 0) out += buf[--n];
}

struct Parts {
  int year, month, day, hour, minute, second, msec, dow;
};

void AppendFormatted(std::string& out, std::string_view format, const Parts& p, TDateTime value,
                     const FormatSettings& fs, bool four_digit_year, int depth) {
  if (depth > 2) return;  // a format that names itself through c/t/ddddd
  const bool twelve = HasTwelveHourMarker(format);
  const bool pm = p.hour >= 12;
  FormatTokenizer tz(format);
  Token t;
  while (tz.Next(t)) {
    switch (t.kind) {
      case Token::kLiteral: out += t.text; break;
      case Token::kDateSep: out += fs.date_separator; break;
      case Token::kTimeSep: out += fs.time_separator; break;
      case Token::kYear:
        if (t.count <= 2 && !four_digit_year)
          AppendNumber(out, p.year % 100, 2);
        else
          AppendNumber(out, p.year, 4);
        break;
      case Token::kEra: break;  // the Gregorian calendar here has no era names
      case Token::kMonth:
        if (t.count <= 2)
          AppendNumber(out, p.month, t.count);
        else if (p.month >= 1)
          out += (t.count == 3 ? kShortMonthNames : kLongMonthNames)[p.month - 1];
        break;
      case Token::kMinute: AppendNumber(out, p.minute, t.count >= 2 ? 2 : 1); break;
      case Token::kSecond: AppendNumber(out, p.second, t.count >= 2 ? 2 : 1); break;
      case Token::kMsec: AppendNumber(out, p.msec, t.count >= 2 ? 3 : 1); break;
      case Token::kDay:
        if (t.count <= 2)
          AppendNumber(out, p.day, t.count);
        else if (t.count <= 4)
          out += (t.count == 3 ? kShortDayNames : kLongDayNames)[p.dow - 1];
        else
          AppendFormatted(out, fs.short_date_format, p, value, fs, four_digit_year, depth + 1);
        break;
      case Token::kHour: {
        int h = p.hour;
        if (twelve) {
          h %= 12;
          if (h == 0) h = 12;
        }
        AppendNumber(out, h, t.count >= 2 ? 2 : 1);
        break;
      }
      case Token::kTimeShort:
        AppendFormatted(out, fs.short_time_format, p, value, fs, four_digit_year, depth + 1);
        break;
      case Token::kTimeLong:
        AppendFormatted(out, fs.long_time_format, p, value, fs, four_digit_year, depth + 1);
        break;
      case Token::kDateTime:
        AppendFormatted(out, fs.short_date_format, p, value, fs, four_digit_year, depth + 1);
        if (p.hour != 0 || p.minute != 0 || p.second != 0) {
          out += ' ';
          AppendFormatted(out, fs.long_time_format, p, value, fs, four_digit_year, depth + 1);
        }
        break;
      case Token::kAmPmLocale: {
        // An empty designator would make a 12-hour text ambiguous; the words are read too.
        const std::string& word = pm ? fs.time_pm_string : fs.time_am_string;
        out += word.empty() ? (pm ? "PM" : "AM") : word;
        break;
      }
      case Token::kAmPmLiteral: {
        const bool lower = t.text[0] == 'a';
        out += pm ? (lower ? "pm" : "PM") : (lower ? "am" : "AM");
        break;
      }
      case Token::kAPLiteral: {
        const bool lower = t.text[0] == 'a';
        out += pm ? (lower ? 'p' : 'P') : (lower ? 'a' : 'A');
        break;
      }
    }
  }
}

Parts Decode(TDateTime value) {
  Parts p{};
  DecodeDate(value, p.year, p.month, p.day);
  DecodeTime(value, p.hour, p.minute, p.second, p.msec);
  p.dow = DayOfWeek(value);
  return p;
}

}  // namespace

TDateOrder GetDateOrder(std::string_view short_date_format) {
  for (char c : short_date_format) {
    switch (Upper(c)) {
      case 'D': return TDateOrder::doDMY;
      case 'E':
      case 'Y': return TDateOrder::doYMD;
      case 'M': return TDateOrder::doMDY;
      default: break;
    }
  }
  return TDateOrder::doMDY;
}

bool ScanDate(std::string_view text, std::size_t& pos, TDateTime& date, const FormatSettings& fs) {
  TextScanner sc(text, pos, fs);
  const TDateOrder order = GetDateOrder(fs.short_date_format);
  if (!fs.short_date_format.empty() && fs.short_date_format[0] == 'g') sc.SkipToNumber();
  int n1, n2, n3;
  if (!(sc.Number(n1) && sc.Char(fs.date_separator) && sc.Number(n2))) return false;
  int y = 0, m = 0, d = 0;
  if (sc.Char(fs.date_separator)) {
    if (!sc.Number(n3)) return false;
    switch (order) {
      case TDateOrder::doMDY: m = n1, d = n2, y = n3; break;
      case TDateOrder::doDMY: d = n1, m = n2, y = n3; break;
      case TDateOrder::doYMD: y = n1, m = n2, d = n3; break;
    }
    if (y <= 99) y += CurrentYear() / 100 * 100;
  } else {
    y = CurrentYear();
    if (order == TDateOrder::doDMY)
      d = n1, m = n2;
    else
      m = n1, d = n2;
  }
  sc.Char(fs.date_separator);
  sc.SkipBlanks();
  if (fs.far_east && fs.short_date_format.find("ddd") != std::string::npos) {
    // The day name written after the date: go to the time that follows it.
    if (!fs.short_time_format.empty() && IsDigit(fs.short_time_format[0])) {
      sc.SkipToNumber();
    } else {
      do {
        sc.SkipWord();
        sc.SkipBlanks();
      } while (!sc.AtEnd() && !sc.StartsWith(fs.time_am_string) && !sc.StartsWith(fs.time_pm_string));
    }
  }
  return TryEncodeDate(y, m, d, date);
}

bool ScanTime(std::string_view text, std::size_t& pos, TDateTime& time, const FormatSettings& fs) {
  TextScanner sc(text, pos, fs);
  int base_hour = -1;
  if (sc.Am())
    base_hour = 0;
  else if (sc.Pm())
    base_hour = 12;
  if (base_hour >= 0) sc.SkipBlanks();
  int hour, minute = 0, second = 0;
  if (!sc.Number(hour)) return false;
  if (sc.Char(fs.time_separator)) {
    if (!sc.Number(minute)) return false;
    if (sc.Char(fs.time_separator) && !sc.Number(second)) return false;
  }
  if (base_hour < 0) {
    if (sc.Am())
      base_hour = 0;
    else if (sc.Pm())
      base_hour = 12;
  }
  if (base_hour >= 0) {
    if (hour == 0 || hour > 12) return false;
    if (hour == 12) hour = 0;
    hour += base_hour;
  }
  sc.SkipBlanks();
  return TryEncodeTime(hour, minute, second, 0, time);
}

bool TryStrToDate(std::string_view text, TDateTime& value, const FormatSettings& fs) {
  std::size_t pos = 0;
  TDateTime d;
  if (!ScanDate(text, pos, d, fs) || pos < text.size()) return false;
  value = d;
  return true;
}

bool TryStrToTime(std::string_view text, TDateTime& value, const FormatSettings& fs) {
  std::size_t pos = 0;
  TDateTime t;
  if (!ScanTime(text, pos, t, fs) || pos < text.size()) return false;
  value = t;
  return true;
}

bool TryStrToDateTime(std::string_view text, TDateTime& value, const FormatSettings& fs) {
  std::size_t pos = 0;
  TDateTime d, t = 0;
  if (!ScanDate(text, pos, d, fs)) return false;
  if (pos < text.size() && !ScanTime(text, pos, t, fs)) return false;
  value = ComposeDateTime(d, t);
  return true;
}

TDateTime StrToDate(std::string_view text) {
  TDateTime v;
  if (!TryStrToDate(text, v)) ConvertError(SInvalidDate, {text});
  return v;
}

TDateTime StrToTime(std::string_view text) {
  TDateTime v;
  if (!TryStrToTime(text, v)) ConvertError(SInvalidTime, {text});
  return v;
}

TDateTime StrToDateTime(std::string_view text) {
  TDateTime v;
  if (!TryStrToDateTime(text, v)) ConvertError(SInvalidDateTime, {text});
  return v;
}

std::string FormatDateTime(std::string_view format, TDateTime value, const FormatSettings& fs) {
  std::string out;
  AppendFormatted(out, format, Decode(value), value, fs, false, 0);
  return out;
}

std::string DateToStr(TDateTime value, const FormatSettings& fs) {
  const FormatContents c = Analyze(fs.short_date_format);
  const bool readable = c.day && c.month && c.year && !c.composite && (!c.names || fs.far_east);
  std::string_view format = fs.short_date_format;
  if (!readable) {
    switch (GetDateOrder(fs.short_date_format)) {
      case TDateOrder::doMDY: format = "m/d/yyyy"; break;
      case TDateOrder::doDMY: format = "d/m/yyyy"; break;
      case TDateOrder::doYMD: format = "yyyy/m/d"; break;
    }
  }
  std::string out;
  out.reserve(16);
  AppendFormatted(out, format, Decode(value), value, fs, true, 0);
  return out;
}

std::string TimeToStr(TDateTime value, const FormatSettings& fs) {
  const FormatContents c = Analyze(fs.long_time_format);
  const bool readable = c.hour && c.minute && c.second && !c.ap && !c.composite && !c.names && !c.day &&
                        !c.month && !c.year;
  std::string out;
  out.reserve(16);
  AppendFormatted(out, readable ? std::string_view(fs.long_time_format) : "hh:nn:ss", Decode(value), value, fs,
                  true, 0);
  return out;
}

std::string DateTimeToStr(TDateTime value, const FormatSettings& fs) {
  std::string out = DateToStr(value, fs);
  int h, m, s, ms;
  DecodeTime(value, h, m, s, ms);
  if (h != 0 || m != 0 || s != 0) {
    out += ' ';
    out += TimeToStr(value, fs);
  }
  return out;
}

}  // namespace vantor
