#pragma once
// UTF-8 decoding and encoding, one code point at a time. Strings are UTF-8 throughout
// the library; a byte that does not start a valid sequence (a stray byte, an overlong
// form, a surrogate, a cut-off sequence) is reported as one invalid unit whose value is
// that byte, so callers can keep it, show it as a Latin-1 character or refuse it.

#include <cstddef>
#include <string>
#include <string_view>

namespace vantor {

struct Utf8Unit {
  char32_t cp;      // the code point, or the stray byte when `invalid`
  std::size_t len;  // bytes taken: 1..4 (1 for an invalid unit)
  bool invalid;
};

// The unit starting at byte `i` of `s` (i < s.size()).
Utf8Unit DecodeUtf8At(std::string_view s, std::size_t i);
// Appends the UTF-8 form of `cp` (any value up to 0x10FFFF) to `out`.
void AppendUtf8(char32_t cp, std::string& out);

}  // namespace vantor
