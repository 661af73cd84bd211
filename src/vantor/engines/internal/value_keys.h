#pragma once
// Numbers and dates as ordered keys, for turning a criterion's bounds into an interval of
// the values a field can hold. The host's comparison of a value with fields of increasing
// value never increases (numbers compare by magnitude, dates by their number, a text is
// read once as the field's kind), so the values a bound admits form an interval whose
// ends a binary search over the keys finds with the comparison itself: the interval is
// then exactly the comparison's answer, whatever the kind of the bound.
// Shared by the compiled filter (tests on stored cells) and the server conditions.

#include <bit>
#include <cstdint>
#include <limits>

#include <vantor/platform/rtl/currency.h>
#include <vantor/platform/rtl/variant.h>

namespace vantor::value_keys {

// A cell type with a total order of keys (int64), the probe variant a cell of that key
// reads as, and the key range of the column's values.
template <typename T>
struct NumericCells;

template <>
struct NumericCells<std::int16_t> {
  static constexpr std::int64_t kMin = INT16_MIN, kMax = INT16_MAX;
  static std::int16_t FromKey(std::int64_t k) { return static_cast<std::int16_t>(k); }
  static Variant Probe(std::int64_t k) { return Variant(FromKey(k)); }
};
template <>
struct NumericCells<std::uint16_t> {
  static constexpr std::int64_t kMin = 0, kMax = UINT16_MAX;
  static std::uint16_t FromKey(std::int64_t k) { return static_cast<std::uint16_t>(k); }
  static Variant Probe(std::int64_t k) { return Variant(static_cast<std::int32_t>(k)); }
};
template <>
struct NumericCells<std::int32_t> {
  static constexpr std::int64_t kMin = INT32_MIN, kMax = INT32_MAX;
  static std::int32_t FromKey(std::int64_t k) { return static_cast<std::int32_t>(k); }
  static Variant Probe(std::int64_t k) { return Variant(FromKey(k)); }
};
// skInt64 and skCurrency both keep an int64; the probe tells them apart.
struct Int64Cells {
  static constexpr std::int64_t kMin = INT64_MIN, kMax = INT64_MAX;
  static std::int64_t FromKey(std::int64_t k) { return k; }
  static Variant Probe(std::int64_t k) { return Variant(k); }
};
struct CurrencyCells {
  static constexpr std::int64_t kMin = INT64_MIN, kMax = INT64_MAX;
  static std::int64_t FromKey(std::int64_t k) { return k; }
  static Variant Probe(std::int64_t k) { return Variant(Currency::FromScaled(k)); }
};
// Doubles ordered by value: the bit pattern, negative ones mirrored below zero, so that
// -inf .. -0.0, +0.0 .. +inf is increasing. NaN lies outside the range and is asked apart.
struct DoubleKeys {
  static std::int64_t Key(double d) {
    const auto b = std::bit_cast<std::int64_t>(d);
    return b >= 0 ? b : ~(b & INT64_MAX);
  }
  static double FromKey(std::int64_t k) {
    return std::bit_cast<double>(k >= 0 ? k : (~k | INT64_MIN));
  }
};
struct DoubleCells : DoubleKeys {
  static inline const std::int64_t kMin = Key(-std::numeric_limits<double>::infinity());
  static inline const std::int64_t kMax = Key(std::numeric_limits<double>::infinity());
  static Variant Probe(std::int64_t k) { return Variant(FromKey(k)); }
};
struct DateCells : DoubleKeys {
  static inline const std::int64_t kMin = Key(-std::numeric_limits<double>::infinity());
  static inline const std::int64_t kMax = Key(std::numeric_limits<double>::infinity());
  static Variant Probe(std::int64_t k) { return Variant::FromDate(FromKey(k)); }
};

inline std::int64_t Midpoint(std::int64_t lo, std::int64_t hi) {
  return lo + static_cast<std::int64_t>((static_cast<std::uint64_t>(hi) - static_cast<std::uint64_t>(lo)) / 2);
}

// First key whose cell the value is not greater than (kMax + 1 when none).
template <typename Cells>
std::int64_t FirstNotBelow(const Variant& value) {
  std::int64_t lo = Cells::kMin, hi = Cells::kMax;
  if (VarCompare(value, Cells::Probe(hi)) > 0) return hi;  // caller sees an empty interval
  while (lo < hi) {
    const std::int64_t mid = Midpoint(lo, hi);
    if (VarCompare(value, Cells::Probe(mid)) <= 0) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  return lo;
}
// Last key whose cell the value is not less than (false when none).
template <typename Cells>
bool LastNotAbove(const Variant& value, std::int64_t& last) {
  std::int64_t lo = Cells::kMin, hi = Cells::kMax;
  if (VarCompare(value, Cells::Probe(lo)) < 0) return false;
  while (lo < hi) {
    // The upper middle, so that the range shrinks when lo takes it.
    const std::int64_t mid = hi - static_cast<std::int64_t>((static_cast<std::uint64_t>(hi) - static_cast<std::uint64_t>(lo)) / 2);
    if (VarCompare(value, Cells::Probe(mid)) >= 0) {
      lo = mid;
    } else {
      hi = mid - 1;
    }
  }
  last = lo;
  return true;
}

}  // namespace vantor::value_keys
