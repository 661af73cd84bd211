#pragma once
// Format: the host's printf-like formatting of messages, "%s: Field '%s' not found".
//
// A format item is  % [index ":"] ["-"] [width] ["." precision] type  with the types
//   d  integer in decimal (precision = minimum digits)   u  unsigned decimal
//   x  integer in hexadecimal, upper case (a negative 32-bit value as its bit pattern)
//   s  string (precision = maximum bytes)                 %% a percent sign
//   f  fixed (precision default 2)   e  scientific (default 15 digits)
//   g  general (default 15 digits)   n  fixed with thousand separators (default 2)
// "index:" picks the argument (0-based) and the next items continue after it; width,
// index and precision may be "*", taken from the next integer argument. The decimal
// and thousand separators are the current FormatSettings'. A malformed item, a missing
// argument or an argument of the wrong kind raises EConvertError quoting the format.

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace vantor {

// One argument of Format. It refers to string arguments without copying them, so it
// lives only as long as the call's argument list.
class FormatArg {
 public:
  enum class Kind : std::uint8_t { Integer, Unsigned, Float, String };

  template <std::integral T>
  FormatArg(T v) {  // NOLINT(google-explicit-constructor): used in braced argument lists
    if constexpr (std::is_signed_v<T>) {
      kind_ = Kind::Integer;
      i_ = static_cast<std::int64_t>(v);
    } else {
      kind_ = Kind::Unsigned;
      u_ = static_cast<std::uint64_t>(v);
    }
  }
  FormatArg(double v) : kind_(Kind::Float), f_(v) {}
  FormatArg(const char* s) : kind_(Kind::String), s_(s ? s : "") {}
  FormatArg(const std::string& s) : kind_(Kind::String), s_(s) {}
  FormatArg(std::string_view s) : kind_(Kind::String), s_(s) {}

  Kind kind() const { return kind_; }
  std::int64_t AsInteger() const { return i_; }
  std::uint64_t AsUnsigned() const { return u_; }
  double AsFloat() const { return f_; }
  std::string_view AsString() const { return s_; }

 private:
  Kind kind_ = Kind::Integer;
  std::int64_t i_ = 0;
  std::uint64_t u_ = 0;
  double f_ = 0;
  std::string_view s_;
};

std::string Format(std::string_view format, std::initializer_list<FormatArg> args);

}  // namespace vantor
