#include <vantor/platform/rtl/format_settings.h>

#include <langinfo.h>
#include <locale.h>
#include <wchar.h>

#include <cctype>
#include <cstdlib>
#include <cstring>

#include <vantor/platform/rtl/exceptions.h>

namespace vantor {

namespace {

FormatSettings& Current() {
  static FormatSettings settings;
  return settings;
}

// Owns a locale handle for the duration of one FromPosixLocale call.
class LocaleHandle {
 public:
  explicit LocaleHandle(const char* name) : loc_(newlocale(LC_ALL_MASK, name, locale_t{})) {}
  ~LocaleHandle() {
    if (loc_ != locale_t{}) freelocale(loc_);
  }
  LocaleHandle(const LocaleHandle&) = delete;
  LocaleHandle& operator=(const LocaleHandle&) = delete;
  locale_t get() const { return loc_; }

 private:
  locale_t loc_;
};

std::string Info(nl_item item, locale_t loc) {
  const char* s = nl_langinfo_l(item, loc);
  return s ? std::string(s) : std::string();
}

bool IsSeparatorChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u > ' ' && u < 0x80 && !std::isalnum(u) && c != '%' && c != '\'' && c != '"';
}

// The first punctuation character of a translated format outside quotes.
char FirstSeparator(std::string_view fmt, char fallback) {
  bool quoted = false;
  for (char c : fmt) {
    if (c == '\'' || c == '"') {
      quoted = !quoted;
      continue;
    }
    if (!quoted && IsSeparatorChar(c)) return c;
  }
  return fallback;
}

// The time format without its seconds field (and the separator before it).
std::string WithoutSeconds(const std::string& fmt) {
  std::string out;
  for (std::size_t i = 0; i < fmt.size(); ++i) {
    if ((fmt[i] == 's' || fmt[i] == 'S')) {
      // Drop the separator written just before the seconds.
      if (!out.empty() && IsSeparatorChar(out.back())) out.pop_back();
      while (i + 1 < fmt.size() && (fmt[i + 1] == 's' || fmt[i + 1] == 'S')) ++i;
      continue;
    }
    out += fmt[i];
  }
  return out;
}

// A translated format reduced to its fields: between two fields goes one separator, the
// first punctuation character of the literal text there (quoted text, punctuation,
// blanks) or else `separator`, or a blank next to the designators; literal text before
// the first field and after the last goes. The readers take exactly one separator
// character between numbers, so a format with words between them ("yyyy"年"MM"月"dd"日")
// would write texts they cannot read.
std::string OnlyFields(std::string_view fmt, char separator) {
  std::string out;
  std::string previous_field;
  char run_separator = 0;
  for (std::size_t i = 0; i < fmt.size();) {
    const char c = fmt[i];
    if (c == '"' || c == '\'') {
      const std::size_t end = fmt.find(c, i + 1);
      i = end == std::string_view::npos ? fmt.size() : end + 1;
      continue;
    }
    if (!std::isalpha(static_cast<unsigned char>(c))) {
      if (run_separator == 0 && IsSeparatorChar(c)) run_separator = c;
      ++i;
      continue;
    }
    std::size_t end = i + 1;
    if (fmt.substr(i, 4) == "AMPM") {
      end = i + 4;
    } else {
      while (end < fmt.size() && std::tolower(static_cast<unsigned char>(fmt[end])) ==
                                     std::tolower(static_cast<unsigned char>(c))) {
        ++end;
      }
    }
    const std::string_view field = fmt.substr(i, end - i);
    if (!previous_field.empty()) {
      if (field == "AMPM" || previous_field == "AMPM") out += ' ';
      else out += run_separator != 0 ? run_separator : separator;
    }
    out += field;
    previous_field = std::string(field);
    run_separator = 0;
    i = end;
  }
  return out;
}

bool IsFarEastLanguage(std::string_view name) {
  return name.starts_with("ja") || name.starts_with("zh") || name.starts_with("ko");
}

// Lead bytes of a multi-byte encoding: bytes that leave a character incomplete.
// uselocale changes only this thread's locale and is put back at once.
std::bitset<256> LeadBytes(locale_t loc) {
  std::bitset<256> lead;
  const locale_t previous = uselocale(loc);
  if (MB_CUR_MAX > 1) {
    for (int b = 0x80; b < 0x100; ++b) {
      mbstate_t state{};
      const char c = static_cast<char>(b);
      if (mbrlen(&c, 1, &state) == static_cast<std::size_t>(-2)) lead.set(b);
    }
  }
  uselocale(previous);
  return lead;
}

}  // namespace

const FormatSettings& CurrentFormat() noexcept { return Current(); }

void SetFormatSettings(const FormatSettings& settings) { Current() = settings; }

ScopedFormatSettings::ScopedFormatSettings(const FormatSettings& settings) : saved_(Current()) {
  Current() = settings;
}

ScopedFormatSettings::~ScopedFormatSettings() { Current() = std::move(saved_); }

std::string FormatFromPosix(std::string_view posix) {
  std::string out;
  std::string literal;  // pending letters, written quoted
  auto flush = [&] {
    if (literal.empty()) return;
    out += '"';
    out += literal;
    out += '"';
    literal.clear();
  };
  auto put = [&](std::string_view s) {
    flush();
    out += s;
  };
  for (std::size_t i = 0; i < posix.size(); ++i) {
    const char c = posix[i];
    if (c != '%') {
      // "/" and ":" are kept as the separator letters: the separators are read from
      // these very formats, so they stand for themselves.
      if (std::isalpha(static_cast<unsigned char>(c)))
        literal += c;
      else if (IsSeparatorChar(c) || c == ' ')
        put(std::string_view(&c, 1));
      else
        literal += c;
      continue;
    }
    if (++i >= posix.size()) break;
    char d = posix[i];
    // Skip the flags and modifiers glibc allows (%-d, %_H, %Ey, %Od).
    while ((d == '-' || d == '_' || d == '0' || d == '^' || d == '#' || d == 'E' || d == 'O') &&
           i + 1 < posix.size())
      d = posix[++i];
    switch (d) {
      case 'd': put("dd"); break;
      case 'e': put("d"); break;
      case 'm': put("MM"); break;
      case 'b': case 'h': put("MMM"); break;
      case 'B': put("MMMM"); break;
      case 'a': put("ddd"); break;
      case 'A': put("dddd"); break;
      case 'y': put("yy"); break;
      case 'Y': case 'C': case 'G': put("yyyy"); break;
      case 'H': case 'k': put("HH"); break;
      case 'I': put("hh"); break;
      case 'l': put("h"); break;
      case 'M': put("nn"); break;
      case 'S': put("ss"); break;
      case 'p': case 'P': put("AMPM"); break;
      case 'D': put("MM/dd/yy"); break;
      case 'F': put("yyyy-MM-dd"); break;
      case 'T': put("HH:nn:ss"); break;
      case 'R': put("HH:nn"); break;
      case 'r': put("hh:nn:ss AMPM"); break;
      case 'n': case 't': put(" "); break;
      case '%': literal += '%'; break;
      default: break;  // era names, week numbers: nothing to read back
    }
  }
  flush();
  return out;
}

FormatSettings FromPosixFormats(std::string_view d_fmt, std::string_view t_fmt, std::string_view am,
                                std::string_view pm) {
  FormatSettings fs;
  fs.time_am_string = am;
  fs.time_pm_string = pm;
  // A 24-hour locale still has designators in glibc's tables; keep them only when
  // the locale's own time format shows them.
  const auto shows = [&](std::string_view conversion) { return t_fmt.find(conversion) != std::string_view::npos; };
  if (!shows("%p") && !shows("%P") && !shows("%r") && !shows("%I") && !shows("%l")) {
    fs.time_am_string.clear();
    fs.time_pm_string.clear();
  }
  fs.short_date_format = OnlyFields(FormatFromPosix(d_fmt.empty() ? "%m/%d/%y" : d_fmt), '/');
  fs.long_time_format = OnlyFields(FormatFromPosix(t_fmt.empty() ? "%H:%M:%S" : t_fmt), ':');
  fs.short_time_format = WithoutSeconds(fs.long_time_format);
  fs.date_separator = FirstSeparator(fs.short_date_format, '/');
  fs.time_separator = FirstSeparator(fs.long_time_format, ':');
  return fs;
}

FormatSettings FromPosixLocale(const char* name) {
  const char* locale_name = name ? name : "";
  LocaleHandle handle(locale_name);
  if (handle.get() == locale_t{})
    throw EConvertError(std::string("Locale '") + locale_name + "' is not available");
  const locale_t loc = handle.get();

  FormatSettings fs;
  const std::string radix = Info(RADIXCHAR, loc);
  if (!radix.empty() && static_cast<unsigned char>(radix[0]) < 0x80) fs.decimal_separator = radix[0];
  const std::string thousands = Info(THOUSEP, loc);
  fs.thousand_separator = thousands.size() == 1 ? thousands[0] : ' ';
  if (fs.thousand_separator == fs.decimal_separator) fs.thousand_separator = ' ';

  std::string t_fmt = Info(T_FMT, loc);
  const std::string t_fmt_ampm = Info(T_FMT_AMPM, loc);
  if (t_fmt.find("%r") != std::string::npos && !t_fmt_ampm.empty()) t_fmt = t_fmt_ampm;
  const FormatSettings dates = FromPosixFormats(Info(D_FMT, loc), t_fmt, Info(AM_STR, loc), Info(PM_STR, loc));
  fs.short_date_format = dates.short_date_format;
  fs.long_time_format = dates.long_time_format;
  fs.short_time_format = dates.short_time_format;
  fs.date_separator = dates.date_separator;
  fs.time_separator = dates.time_separator;
  fs.time_am_string = dates.time_am_string;
  fs.time_pm_string = dates.time_pm_string;

  const char* codeset = nl_langinfo_l(CODESET, loc);
  const bool utf8 = codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
  if (!utf8) fs.lead_bytes = LeadBytes(loc);
  const char* effective = name && *name ? name : nullptr;
  if (!effective) {
    // The environment's locale: LC_ALL, then LC_TIME, then LANG, as newlocale read it.
    for (const char* var : {"LC_ALL", "LC_TIME", "LANG"}) {
      const char* v = std::getenv(var);
      if (v && *v) {
        effective = v;
        break;
      }
    }
  }
  fs.far_east = fs.lead_bytes.any() || (effective && IsFarEastLanguage(effective));
  return fs;
}

}  // namespace vantor
