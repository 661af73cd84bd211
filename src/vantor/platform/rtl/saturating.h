#pragma once
// Integer sums that stop at the ends of int instead of wrapping. Geometry adds property
// values as large as their setters accept (a left and a width, a size and its frame):
// such a sum must come out as the nearest representable value, never as undefined
// behaviour or a wrapped negative size.

#include <algorithm>
#include <climits>
#include <cstdint>

namespace vantor {

constexpr int SaturateToInt(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}
constexpr int SaturatingAdd(int a, int b) { return SaturateToInt(std::int64_t{a} + b); }
constexpr int SaturatingSub(int a, int b) { return SaturateToInt(std::int64_t{a} - b); }

}  // namespace vantor
