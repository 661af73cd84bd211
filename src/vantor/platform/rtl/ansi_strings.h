#pragma once
// Text helpers on UTF-8 strings: case mapping and comparison per code point, and
// trimming. Case mapping is Unicode's simple (one code point to one code point)
// mapping, so "straße" upper-cases to "STRAßE"; bytes that are not valid UTF-8 pass
// through unchanged and compare by their byte value after every code point.
// No global locale is touched: a C.UTF-8 locale handle is created once, on first use.

#include <cstddef>
#include <string>
#include <string_view>

namespace vantor {

std::string AnsiUpperCase(std::string_view s);
std::string AnsiLowerCase(std::string_view s);
// AnsiUpperCase into a buffer the caller keeps, for loops that upper-case many texts.
void AnsiUpperCaseInto(std::string_view s, std::string& out);
// Case-insensitive order (<0, 0, >0): code points compared after case folding.
int AnsiCompareText(std::string_view a, std::string_view b);
// The order of a case-insensitive index: code points compared upper-cased, stray bytes
// after every code point. It is the ordinal order of the AnsiUpperCase texts (for valid
// UTF-8), which the criteria tests use for prefixes and ranges, so every set of texts
// those tests accept lies together along such an index; case variants are equal.
int AnsiCompareUpper(std::string_view a, std::string_view b);
// Case-sensitive order: byte order, which is code point order for valid UTF-8.
int AnsiCompareStr(std::string_view a, std::string_view b);
inline bool AnsiSameText(std::string_view a, std::string_view b) { return AnsiCompareText(a, b) == 0; }
// True when `s` begins with / contains `sub`, letter case ignored.
bool AnsiStartsText(std::string_view sub, std::string_view s);
bool AnsiContainsText(std::string_view sub, std::string_view s);

// If the text at `pos` of `s` equals `word` with letter case ignored, the number of
// bytes of `s` it spans; std::string_view::npos otherwise. An empty word matches
// with length 0.
std::size_t MatchTextAt(std::string_view s, std::size_t pos, std::string_view word);

// Simple case mapping of one code point.
char32_t UpperCaseChar(char32_t c);
char32_t LowerCaseChar(char32_t c);
// Whether some other code point has the same capital as `c` (i and I, but also ı and İ
// with I): then a case-insensitive test cannot tell `c` from it. False for characters
// that are their case's only member (digits, most signs, letters of caseless scripts).
bool SharesCapital(char32_t c);

// Character classes of one code point, for every script (Unicode letters, such as the
// Cyrillic, Greek or CJK ones, and decimal digits).
bool IsLetterChar(char32_t c);
bool IsLetterOrDigitChar(char32_t c);

// Removal of blanks and control characters (every byte up to 32).
std::string TrimRight(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string Trim(std::string_view s);
std::string_view TrimRightView(std::string_view s);
std::string_view TrimView(std::string_view s);

}  // namespace vantor
