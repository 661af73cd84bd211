#include <vantor/platform/rtl/ansi_strings.h>

#include <locale.h>
#include <wctype.h>

#include <cstdint>
#include <vector>

#include <vantor/platform/rtl/utf8.h>

namespace vantor {

namespace {

locale_t Utf8Locale() {
  static const locale_t loc = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    if (l == locale_t{}) l = newlocale(LC_CTYPE_MASK, "en_US.UTF-8", locale_t{});
    return l;
  }();
  return loc;
}

using Unit = Utf8Unit;

Unit Decode(std::string_view s, std::size_t i) { return DecodeUtf8At(s, i); }

template <typename Map>
void MapCaseInto(std::string_view s, Map map, std::string& out) {
  out.clear();
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const Unit u = Decode(s, i);
    if (u.invalid)
      out += s[i];
    else
      AppendUtf8(map(u.cp), out);
    i += u.len;
  }
}

template <typename Map>
std::string MapCase(std::string_view s, Map map) {
  std::string out;
  MapCaseInto(s, map, out);
  return out;
}

// The key by which two units compare case-insensitively: folded code points first,
// stray bytes after every code point.
std::uint32_t FoldKey(const Unit& u) {
  if (u.invalid) return 0x110000u + u.cp;
  return static_cast<std::uint32_t>(LowerCaseChar(UpperCaseChar(u.cp)));
}

// The key by which two units compare in upper-case order.
std::uint32_t UpperKey(const Unit& u) {
  if (u.invalid) return 0x110000u + u.cp;
  return static_cast<std::uint32_t>(UpperCaseChar(u.cp));
}

template <typename Key>
int CompareByKey(std::string_view a, std::string_view b, Key key) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const Unit ua = Decode(a, i);
    const Unit ub = Decode(b, j);
    const std::uint32_t ka = key(ua);
    const std::uint32_t kb = key(ub);
    if (ka != kb) return ka < kb ? -1 : 1;
    i += ua.len;
    j += ub.len;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

char32_t UpperCaseChar(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
  const locale_t loc = Utf8Locale();
  if (loc == locale_t{}) return c;
  const wint_t r = towupper_l(static_cast<wint_t>(c), loc);
  return r > 0x10FFFF ? c : static_cast<char32_t>(r);
}

bool SharesCapital(char32_t c) {
  if (c > 0x10FFFF) return false;
  // How many code points have each capital, counted once over the whole range (a few
  // milliseconds); more than one for exactly the characters with case variants.
  static const std::vector<std::uint8_t> members = [] {
    std::vector<std::uint8_t> count(0x110000, 0);
    for (char32_t x = 0; x <= 0x10FFFF; ++x) {
      std::uint8_t& n = count[UpperCaseChar(x)];
      if (n < 2) ++n;
    }
    return count;
  }();
  return members[UpperCaseChar(c)] > 1;
}

char32_t LowerCaseChar(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
  const locale_t loc = Utf8Locale();
  if (loc == locale_t{}) return c;
  const wint_t r = towlower_l(static_cast<wint_t>(c), loc);
  return r > 0x10FFFF ? c : static_cast<char32_t>(r);
}

bool IsLetterChar(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  const locale_t loc = Utf8Locale();
  return loc != locale_t{} && c <= 0x10FFFF && iswalpha_l(static_cast<wint_t>(c), loc) != 0;
}

bool IsLetterOrDigitChar(char32_t c) {
  if (c < 0x80) return IsLetterChar(c) || (c >= '0' && c <= '9');
  const locale_t loc = Utf8Locale();
  return loc != locale_t{} && c <= 0x10FFFF && iswalnum_l(static_cast<wint_t>(c), loc) != 0;
}

std::string AnsiUpperCase(std::string_view s) { return MapCase(s, UpperCaseChar); }
std::string AnsiLowerCase(std::string_view s) { return MapCase(s, LowerCaseChar); }
void AnsiUpperCaseInto(std::string_view s, std::string& out) { MapCaseInto(s, UpperCaseChar, out); }

int AnsiCompareText(std::string_view a, std::string_view b) { return CompareByKey(a, b, FoldKey); }

int AnsiCompareUpper(std::string_view a, std::string_view b) { return CompareByKey(a, b, UpperKey); }

int AnsiCompareStr(std::string_view a, std::string_view b) {
  const int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

std::size_t MatchTextAt(std::string_view s, std::size_t pos, std::string_view word) {
  std::size_t i = pos, j = 0;
  while (j < word.size()) {
    if (i >= s.size()) return std::string_view::npos;
    const Unit us = Decode(s, i);
    const Unit uw = Decode(word, j);
    if (FoldKey(us) != FoldKey(uw)) return std::string_view::npos;
    i += us.len;
    j += uw.len;
  }
  return i - pos;
}

bool AnsiStartsText(std::string_view sub, std::string_view s) {
  return MatchTextAt(s, 0, sub) != std::string_view::npos;
}

bool AnsiContainsText(std::string_view sub, std::string_view s) {
  if (sub.empty()) return true;
  for (std::size_t i = 0; i < s.size();) {
    if (MatchTextAt(s, i, sub) != std::string_view::npos) return true;
    i += Decode(s, i).len;
  }
  return false;
}

std::string_view TrimRightView(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && IsBlank(s[n - 1])) --n;
  return s.substr(0, n);
}

std::string TrimRight(std::string_view s) { return std::string(TrimRightView(s)); }

std::string TrimLeft(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  return std::string(s.substr(i));
}

std::string_view TrimView(std::string_view s) {
  s = TrimRightView(s);
  std::size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  return s.substr(i);
}

std::string Trim(std::string_view s) { return std::string(TrimView(s)); }

}  // namespace vantor
