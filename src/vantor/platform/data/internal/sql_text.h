#pragma once
// Numbers in the texts a database hands back (a date "2024-05-01", a count "12"), read
// exactly as written: no locale, no blanks, nothing left over.

#include <charconv>
#include <cstddef>
#include <string_view>
#include <system_error>

namespace vantor {

// The `count` decimal digits of `s` from `pos` as a number; false when they run past the
// end of `s` or one of them is no digit.
inline bool Digits(std::string_view s, std::size_t pos, std::size_t count, int& out) {
  if (pos + count > s.size()) return false;
  out = 0;
  for (std::size_t i = pos; i < pos + count; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    out = out * 10 + (s[i] - '0');
  }
  return true;
}

// The whole of `text` as an integer ("-12"; not "+12", " 12" or "12x"); false when it is
// none or does not fit a T.
template <typename T>
bool ParseWhole(std::string_view text, T& value) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end;
}

}  // namespace vantor
