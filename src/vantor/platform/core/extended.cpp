#include <vantor/platform/core/extended.h>

#include <bit>
#include <cassert>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace vantor {

namespace {

// Currency conversions need products and quotients of up to 79 bits.
__extension__ typedef unsigned __int128 U128;

constexpr std::uint64_t kIntegerBit = std::uint64_t{1} << 63;
constexpr int kBias = 16383;

Extended80 Pack(bool negative, int exponent, std::uint64_t mantissa) {
  Extended80 out{};
  for (int i = 0; i < 8; ++i) out[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(mantissa >> (8 * i));
  const unsigned se = static_cast<unsigned>(exponent) | (negative ? 0x8000u : 0u);
  out[8] = static_cast<std::uint8_t>(se & 0xFF);
  out[9] = static_cast<std::uint8_t>(se >> 8);
  return out;
}

struct Unpacked {
  bool negative;
  int exponent;  // biased, 0..0x7FFF
  std::uint64_t mantissa;
};

Unpacked Unpack(const Extended80& b) {
  std::uint64_t m = 0;
  for (int i = 7; i >= 0; --i) m = (m << 8) | b[static_cast<std::size_t>(i)];
  const unsigned se = static_cast<unsigned>(b[8]) | (static_cast<unsigned>(b[9]) << 8);
  return {(se & 0x8000u) != 0, static_cast<int>(se & 0x7FFFu), m};
}

// m / 2^shift rounded to nearest, ties to even.
std::uint64_t RoundShift(std::uint64_t m, int shift) {
  if (shift <= 0) return m;
  if (shift > 64) return 0;
  if (shift == 64) return m > kIntegerBit ? 1 : 0;
  const std::uint64_t q = m >> shift;
  const std::uint64_t rem = m & ((std::uint64_t{1} << shift) - 1);
  const std::uint64_t half = std::uint64_t{1} << (shift - 1);
  return (rem > half || (rem == half && (q & 1) != 0)) ? q + 1 : q;
}

double FromBits(bool negative, std::uint64_t bits) {
  return std::bit_cast<double>(bits | (negative ? kIntegerBit : 0));
}

constexpr bool kLongDoubleIsExtended = std::numeric_limits<long double>::digits == 64 &&
                                       std::numeric_limits<long double>::max_exponent == 16384;

long double ToLongDouble(const Unpacked& u) {
  const int e = u.exponent == 0 ? 1 : u.exponent;
  const long double v = std::ldexp(static_cast<long double>(u.mantissa), e - kBias - 63);
  return u.negative ? -v : v;
}

Extended80 FromLongDouble(long double v) {
  const bool negative = std::signbit(v);
  v = std::fabs(v);
  if (v == 0) return Pack(negative, 0, 0);
  int exp2 = 0;
  const long double f = std::frexp(v, &exp2);  // v = f * 2^exp2, f in [0.5, 1)
  int e = exp2 - 1 + kBias;
  std::uint64_t m = static_cast<std::uint64_t>(std::ldexp(f, 64));
  if (e <= 0) {  // an extended denormal: exponent field 0, mantissa shifted down
    m >>= (1 - e);
    e = 0;
  }
  return Pack(negative, e, m);
}

}  // namespace

Extended80 CurrencyToExtended(std::int64_t scaled) {
  if (scaled == 0) return Pack(false, 0, 0);
  const bool negative = scaled < 0;
  // |INT64_MIN| = 2^63 still fits the unsigned magnitude.
  const std::uint64_t n = negative ? ~static_cast<std::uint64_t>(scaled) + 1 : static_cast<std::uint64_t>(scaled);
  // Shift n up so that the quotient by 10000 has 65 significant bits (one to round with):
  // n << shift lies in [2^64 * 10000, 2^65 * 10000), below 2^79.
  int shift = 0;
  while ((U128{n} << shift) < (U128{10000} << 64)) ++shift;
  const U128 dividend = U128{n} << shift;
  U128 q = dividend / 10000;
  const bool sticky = dividend % 10000 != 0;
  // q holds 65 bits: drop the last one, rounding to nearest with ties to even.
  const bool round_bit = (q & 1) != 0;
  q >>= 1;
  --shift;
  if (round_bit && (sticky || (q & 1) != 0)) ++q;
  if (q >> 64 != 0) {  // rounding carried into a 65th bit
    q >>= 1;
    --shift;
  }
  // The value is q * 2^-shift with q in [2^63, 2^64): the exponent of its top bit is
  // 63 - shift, which for |n| in [1, 2^63] lies between -14 and 50, far inside the range.
  assert(q >> 63 == 1 && q >> 64 == 0);
  return Pack(negative, kBias + 63 - shift, static_cast<std::uint64_t>(q));
}

std::optional<std::int64_t> ExtendedToCurrency(const Extended80& bytes) {
  const Unpacked u = Unpack(bytes);
  if (u.exponent == 0x7FFF) return std::nullopt;  // infinities and NaNs
  if (u.exponent != 0 && (u.mantissa & kIntegerBit) == 0) return std::nullopt;  // unnormal
  if (u.mantissa == 0) return 0;
  // value * 10000 = mantissa * 10000 * 2^k, the product below 2^78.
  const int k = (u.exponent == 0 ? 1 : u.exponent) - kBias - 63;
  const U128 product = U128{u.mantissa} * 10000;
  U128 magnitude = 0;
  if (k >= 0) {
    if (k > 63) return std::nullopt;  // at least 2^63 * 10000 * 2^64: far out of range
    magnitude = product << k;
    if (magnitude >> 64 != 0) return std::nullopt;
  } else if (-k < 100) {
    const int shift = -k;
    const U128 q = product >> shift;
    const U128 rem = product - (q << shift);
    const U128 half = U128{1} << (shift - 1);
    magnitude = (rem > half || (rem == half && (q & 1) != 0)) ? q + 1 : q;
  }
  const U128 limit = U128{1} << 63;  // |INT64_MIN|; INT64_MAX is one less
  if (magnitude > limit || (!u.negative && magnitude == limit)) return std::nullopt;
  const auto m = static_cast<std::uint64_t>(magnitude);
  return u.negative ? static_cast<std::int64_t>(~m + 1) : static_cast<std::int64_t>(m);
}

Extended80 EncodeExtended(double value) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  const bool negative = (bits >> 63) != 0;
  const int exp = static_cast<int>((bits >> 52) & 0x7FF);
  const std::uint64_t frac = bits & ((std::uint64_t{1} << 52) - 1);
  if (exp == 0x7FF) return Pack(negative, 0x7FFF, kIntegerBit | (frac << 11));
  if (exp == 0) {
    if (frac == 0) return Pack(negative, 0, 0);
    const int top = 63 - std::countl_zero(frac);  // 0..51
    return Pack(negative, top - 1074 + kBias, frac << (63 - top));
  }
  return Pack(negative, exp - 1023 + kBias, kIntegerBit | (frac << 11));
}

std::optional<double> DecodeExtended(const Extended80& bytes) {
  const Unpacked u = Unpack(bytes);
  const bool integer_bit = (u.mantissa & kIntegerBit) != 0;
  if (u.exponent == 0x7FFF) {
    if (!integer_bit) return std::nullopt;
    const std::uint64_t frac = u.mantissa & ~kIntegerBit;
    if (frac == 0) return FromBits(u.negative, std::uint64_t{0x7FF} << 52);
    std::uint64_t payload = frac >> 11;
    if (payload == 0) payload = std::uint64_t{1} << 51;
    return FromBits(u.negative, (std::uint64_t{0x7FF} << 52) | payload);
  }
  if (u.exponent != 0 && !integer_bit) return std::nullopt;
  if (u.mantissa == 0) return FromBits(u.negative, 0);
  // Extended denormals (exponent field 0) are far below the smallest double.
  if (u.exponent == 0) return FromBits(u.negative, 0);
  int e = u.exponent - kBias;  // value = mantissa * 2^(e - 63), mantissa normalised
  if (e > 1023) return FromBits(u.negative, std::uint64_t{0x7FF} << 52);
  if (e >= -1022) {
    std::uint64_t q = RoundShift(u.mantissa, 11);
    if (q == (std::uint64_t{1} << 53)) {
      q >>= 1;
      ++e;
      if (e > 1023) return FromBits(u.negative, std::uint64_t{0x7FF} << 52);
    }
    const auto field = static_cast<std::uint64_t>(e + 1023);
    return FromBits(u.negative, (field << 52) | (q & ((std::uint64_t{1} << 52) - 1)));
  }
  // A double denormal (or zero); a carry into bit 52 makes it the smallest normal, which
  // the bit layout gives for free.
  const std::uint64_t q = RoundShift(u.mantissa, 11 + (-1022 - e));
  return FromBits(u.negative, q);
}

bool ExtendedIsDouble(const Extended80& bytes) {
  const auto d = DecodeExtended(bytes);
  return d.has_value() && EncodeExtended(*d) == bytes;
}

std::optional<std::string> ExtendedToText(const Extended80& bytes) {
  const auto d = DecodeExtended(bytes);
  if (!d || !std::isfinite(*d)) return std::nullopt;
  if (!ExtendedIsDouble(bytes)) {
    if constexpr (kLongDoubleIsExtended) {
      char buf[64];
      std::snprintf(buf, sizeof buf, "%.20LE", ToLongDouble(Unpack(bytes)));
      return std::string(buf);
    }
    // Without a native extended type the value is shown as its nearest double.
  }
  const double v = *d;
  // Shortest digits that read back to the same double, in scientific form: "d.dddE±x".
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
  std::string sci(buf, res.ptr);
  const std::size_t epos = sci.find('e');
  const int exp10 = std::atoi(sci.c_str() + epos + 1);
  std::string mant = sci.substr(0, epos);
  const bool negative = !mant.empty() && mant[0] == '-';
  if (negative) mant.erase(0, 1);
  std::string digits;
  for (char c : mant) {
    if (c != '.') digits += c;
  }
  const int decimals = static_cast<int>(digits.size()) - 1 - exp10;  // digits after the point
  if (v == 0 || (exp10 < 16 && exp10 >= -18 && decimals <= 18)) {
    std::string fixed;
    if (exp10 >= 0) {
      fixed = digits.substr(0, static_cast<std::size_t>(exp10) + 1);
      while (static_cast<int>(fixed.size()) < exp10 + 1) fixed += '0';
      std::string frac = digits.size() > static_cast<std::size_t>(exp10) + 1 ? digits.substr(static_cast<std::size_t>(exp10) + 1) : "";
      frac.resize(18, '0');
      fixed += "." + frac;
    } else {
      std::string frac(static_cast<std::size_t>(-exp10 - 1), '0');
      frac += digits;
      frac.resize(18, '0');
      fixed = "0." + frac;
    }
    if (v == 0) fixed = "0.000000000000000000";
    return (negative ? "-" : "") + fixed;
  }
  std::string out = negative ? "-" : "";
  out += mant;
  out += 'E';
  out += std::to_string(exp10);
  return out;
}

std::optional<Extended80> TextToExtended(std::string_view text) {
  // Validate the shape: [+-] digits [. digits] [(e|E) [+-] digits], at least one digit.
  std::size_t i = 0;
  std::string clean;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') clean += '-';
    ++i;
  }
  int mantissa_digits = 0;
  bool scientific = false;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
    clean += text[i++];
    ++mantissa_digits;
  }
  if (i < text.size() && text[i] == '.') {
    clean += text[i++];
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
      clean += text[i++];
      ++mantissa_digits;
    }
  }
  if (mantissa_digits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    scientific = true;
    clean += 'e';
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) clean += text[i++];
    int exp_digits = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
      clean += text[i++];
      ++exp_digits;
    }
    if (exp_digits == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  if constexpr (kLongDoubleIsExtended) {
    if (scientific && mantissa_digits >= 20) {
      const long double v = std::strtold(clean.c_str(), nullptr);
      if (!std::isfinite(v)) return std::nullopt;
      return FromLongDouble(v);
    }
  }
  double v = 0;
  const char* first = clean.c_str();
  const auto res = std::from_chars(first, first + clean.size(), v);
  if (res.ec != std::errc() || !std::isfinite(v)) return std::nullopt;
  return EncodeExtended(v);
}

}  // namespace vantor
