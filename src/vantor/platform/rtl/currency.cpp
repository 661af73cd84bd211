#include <vantor/platform/rtl/currency.h>

#include <charconv>
#include <cmath>
#include <string>

#include <vantor/platform/rtl/exceptions.h>

namespace vantor {

bool Currency::TryFromDouble(double d, Currency& out) {
  if (!std::isfinite(d)) return false;
  // long double keeps the product exact enough to round at the fourth decimal.
  const long double scaled = std::roundl(static_cast<long double>(d) * kScale);
  // 2^63 is exactly representable; the range is [-2^63, 2^63).
  constexpr long double kLimit = 9223372036854775808.0L;
  if (scaled < -kLimit || scaled >= kLimit) return false;
  out = Currency{static_cast<std::int64_t>(scaled)};
  return true;
}

Currency Currency::FromDouble(double d) {
  Currency c;
  if (TryFromDouble(d, c)) return c;
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, d);
  throw EConvertError("Value " + std::string(buf, r.ptr) + " is out of the range of Currency");
}

}  // namespace vantor
