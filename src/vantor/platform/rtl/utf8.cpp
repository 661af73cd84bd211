#include <vantor/platform/rtl/utf8.h>

namespace vantor {

Utf8Unit DecodeUtf8At(std::string_view s, std::size_t i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) return {b0, 1, false};
  std::size_t len;
  char32_t cp;
  char32_t min;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2, cp = b0 & 0x1F, min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3, cp = b0 & 0x0F, min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4, cp = b0 & 0x07, min = 0x10000;
  } else {
    return {b0, 1, true};
  }
  if (i + len > s.size()) return {b0, 1, true};
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return {b0, 1, true};
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {b0, 1, true};
  return {cp, len, false};
}

void AppendUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | ((cp >> 18) & 0x07));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::u32string DecodeUtf8(std::string_view s) {
  std::u32string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const Utf8Unit u = DecodeUtf8At(s, i);
    out.push_back(u.cp);  // an invalid byte stays as the Latin-1 character of its value
    i += u.len;
  }
  return out;
}

std::string EncodeUtf8(char32_t c) {
  std::string out;
  AppendUtf8(c, out);
  return out;
}

std::string EncodeUtf8(std::u32string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char32_t c : text) AppendUtf8(c, out);
  return out;
}

std::string Latin1ToUtf8(std::string_view latin1) {
  std::string out;
  out.reserve(latin1.size());
  for (char c : latin1) AppendUtf8(static_cast<unsigned char>(c), out);
  return out;
}

bool Utf8ToLatin1(std::string_view text, std::string& latin1) {
  latin1.clear();
  latin1.reserve(text.size());
  bool whole = true;
  for (std::size_t i = 0; i < text.size();) {
    // A stray byte is read as the Latin-1 character of its value, as DecodeUtf8 reads it.
    const Utf8Unit u = DecodeUtf8At(text, i);
    whole = whole && u.cp <= 0xFF;
    latin1 += u.cp <= 0xFF ? static_cast<char>(u.cp) : '?';
    i += u.len;
  }
  return whole;
}

std::size_t Utf8CharStart(std::string_view s, std::size_t i) {
  if (i >= s.size()) return s.size();
  // A valid character has at most three continuation bytes; further back is a stray
  // continuation byte, which is a character of its own.
  std::size_t start = i;
  while (start > 0 && i - start < 3 && IsUtf8Continuation(s[start])) --start;
  const Utf8Unit u = DecodeUtf8At(s, start);
  return start + u.len > i ? start : i;
}

bool IsValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const Utf8Unit u = DecodeUtf8At(text, i);
    if (u.invalid) return false;
    i += u.len;
  }
  return true;
}

std::size_t Utf8Length(std::string_view text) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < text.size(); i += DecodeUtf8At(text, i).len) ++n;
  return n;
}

std::string_view Utf8Head(std::string_view s, std::size_t chars) {
  std::size_t i = 0;
  for (; i < s.size() && chars > 0; --chars) i += DecodeUtf8At(s, i).len;
  return s.substr(0, i);
}

bool Utf8Successor(std::string_view s, std::string& out) {
  std::u32string chars = DecodeUtf8(s);
  while (!chars.empty() && chars.back() >= 0x10FFFF) chars.pop_back();
  if (chars.empty()) return false;
  char32_t& last = chars.back();
  last = last == 0xD7FF ? 0xE000 : last + 1;
  out = EncodeUtf8(chars);
  return true;
}

namespace {

struct Range {
  char32_t first, last;
};

// Characters that take no column: combining marks and zero-width format characters.
constexpr Range kZeroWidth[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x0610, 0x061A}, {0x064B, 0x065F},
    {0x0670, 0x0670}, {0x06D6, 0x06DC}, {0x0E31, 0x0E31}, {0x0E34, 0x0E3A}, {0x0E47, 0x0E4E},
    {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x200B, 0x200F}, {0x202A, 0x202E}, {0x2060, 0x2064},
    {0x20D0, 0x20FF}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0xFEFF, 0xFEFF}};

// East Asian wide and full-width characters.
constexpr Range kWide[] = {
    {0x1100, 0x115F},   {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},
    {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},
    {0xFE30, 0xFE4F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F},
    {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD}};

template <std::size_t N>
bool InRanges(const Range (&ranges)[N], char32_t cp) {
  for (const Range& r : ranges) {
    if (cp < r.first) return false;  // the tables are sorted
    if (cp <= r.last) return true;
  }
  return false;
}

std::size_t Columns(const Utf8Unit& u) {
  if (u.invalid) return 1;
  if (InRanges(kZeroWidth, u.cp)) return 0;
  return InRanges(kWide, u.cp) ? 2 : 1;
}

}  // namespace

std::size_t Utf8DisplayWidth(std::string_view s) {
  std::size_t columns = 0;
  for (std::size_t i = 0; i < s.size();) {
    const Utf8Unit u = DecodeUtf8At(s, i);
    columns += Columns(u);
    i += u.len;
  }
  return columns;
}

std::string_view Utf8HeadByWidth(std::string_view s, std::size_t columns) {
  std::size_t i = 0;
  while (i < s.size()) {
    const Utf8Unit u = DecodeUtf8At(s, i);
    const std::size_t w = Columns(u);
    if (w > columns) break;
    columns -= w;
    i += u.len;
  }
  return s.substr(0, i);
}

bool Utf16ToUtf8::Append(char32_t unit) {
  if (high_ != 0) {
    if (!IsLowSurrogate(unit)) return false;
    AppendUtf8(CombineSurrogates(high_, unit), out_);
    high_ = 0;
    return true;
  }
  if (IsHighSurrogate(unit)) {
    high_ = unit;
    return true;
  }
  if (IsLowSurrogate(unit) || unit > 0xFFFF) return false;
  AppendUtf8(unit, out_);
  return true;
}

}  // namespace vantor
