#pragma once
// Currency: a 64-bit fixed-point number with four decimals, as the host's currency type.

#include <compare>
#include <cstdint>

namespace vantor {

struct Currency {
  static constexpr std::int64_t kScale = 10000;
  std::int64_t scaled = 0;  // value * 10000

  static constexpr Currency FromScaled(std::int64_t s) { return Currency{s}; }
  // Rounds to four decimals (half away from zero); raises EConvertError when out of range.
  static Currency FromDouble(double d);
  // As FromDouble, false instead of raising (NaN, infinities, out of range).
  static bool TryFromDouble(double d, Currency& out);
  static constexpr Currency FromInt(std::int64_t i) { return Currency{i * kScale}; }
  static constexpr Currency Max() { return Currency{INT64_MAX}; }
  static constexpr Currency Min() { return Currency{INT64_MIN}; }
  double ToDouble() const { return static_cast<double>(scaled) / kScale; }

  auto operator<=>(const Currency&) const = default;
  bool operator==(const Currency&) const = default;
};

}  // namespace vantor
