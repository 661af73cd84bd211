#include <vantor/platform/rtl/number_text.h>

#include <charconv>
#include <cmath>
#include <limits>

#include <vantor/platform/rtl/string_table.h>

namespace vantor {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The parts of a scanned real number; the digit views point into the text.
struct NumberParts {
  bool negative = false;
  std::string_view int_digits;
  std::string_view frac_digits;
  std::int64_t exponent = 0;
};

std::string_view Digits(std::string_view s, std::size_t& i) {
  const std::size_t start = i;
  while (i < s.size() && IsDigit(s[i])) ++i;
  return s.substr(start, i - start);
}

// Scans  [blanks] [sign] digits [sep digits] [exponent] [blanks if allowed]  to the end.
bool ScanReal(std::string_view s, char separator, bool trailing_blanks, NumberParts& p) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) p.negative = s[i++] == '-';
  p.int_digits = Digits(s, i);
  if (i < s.size() && s[i] == separator) {
    ++i;
    p.frac_digits = Digits(s, i);
  }
  if (p.int_digits.empty() && p.frac_digits.empty()) return false;
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
    ++i;
    bool negative_exponent = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative_exponent = s[i++] == '-';
    const std::string_view e = Digits(s, i);
    if (e.empty()) return false;
    std::int64_t value = 0;
    for (char c : e) value = std::min<std::int64_t>(value * 10 + (c - '0'), 1'000'000'000);
    p.exponent = negative_exponent ? -value : value;
  }
  if (trailing_blanks)
    while (i < s.size() && s[i] == ' ') ++i;
  return i == s.size();
}

// Decimal magnitude of the first significant digit (0 for 1..9.99); only called for
// non-zero numbers.
std::int64_t Magnitude(const NumberParts& p) {
  std::size_t lead = 0;
  while (lead < p.int_digits.size() && p.int_digits[lead] == '0') ++lead;
  if (lead < p.int_digits.size()) return static_cast<std::int64_t>(p.int_digits.size() - lead) - 1 + p.exponent;
  std::size_t z = 0;
  while (z < p.frac_digits.size() && p.frac_digits[z] == '0') ++z;
  return -static_cast<std::int64_t>(z) - 1 + p.exponent;
}

// Converts the parts with from_chars, which rounds correctly; `T` is double or long double.
template <typename T>
bool PartsToReal(const NumberParts& p, T& value) {
  // Most numbers fit the stack buffer; very long digit strings take the heap.
  char small[256];
  std::string large;
  const std::size_t need = p.int_digits.size() + p.frac_digits.size() + 32;
  char* buf = small;
  if (need > sizeof small) {
    large.resize(need);
    buf = large.data();
  }
  char* out = buf;
  for (char c : p.int_digits) *out++ = c;
  if (p.int_digits.empty()) *out++ = '0';
  if (!p.frac_digits.empty()) {
    *out++ = '.';
    for (char c : p.frac_digits) *out++ = c;
  }
  *out++ = 'e';
  out = std::to_chars(out, buf + need, p.exponent).ptr;
  T v{};
  const auto r = std::from_chars(buf, out, v);
  if (r.ec == std::errc::result_out_of_range) {
    if (Magnitude(p) > 0) return false;  // beyond the largest value
    v = 0;                               // below the smallest denormal
  } else if (r.ec != std::errc{} || r.ptr != out) {
    return false;
  }
  if (std::isinf(v)) return false;
  value = p.negative ? -v : v;
  return true;
}

// The exact currency value of the decimal digits, rounded half away from zero at the
// fourth decimal. No binary floating point is involved, so every CurrToStr text reads
// back to the same value.
bool PartsToCurrency(const NumberParts& p, Currency& value) {
  const std::int64_t int_size = static_cast<std::int64_t>(p.int_digits.size());
  const std::int64_t total = int_size + static_cast<std::int64_t>(p.frac_digits.size());
  auto digit_at = [&](std::int64_t k) -> unsigned {
    if (k < 0 || k >= total) return 0;
    return k < int_size ? static_cast<unsigned>(p.int_digits[static_cast<std::size_t>(k)] - '0')
                        : static_cast<unsigned>(p.frac_digits[static_cast<std::size_t>(k - int_size)] - '0');
  };
  const std::uint64_t limit =
      p.negative ? std::uint64_t{1} << 63 : static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  // Digits before the point of value * 10^4.
  constexpr std::int64_t kDecimals = 4;  // Currency::kScale == 10^4
  const std::int64_t point = int_size + p.exponent + kDecimals;
  std::uint64_t acc = 0;
  for (std::int64_t k = 0; k < point; ++k) {
    if (acc == 0 && k >= total) break;  // only zeros follow
    const unsigned d = digit_at(k);
    if (acc > (limit - d) / 10) return false;
    acc = acc * 10 + d;
  }
  if (digit_at(point) >= 5) {
    if (acc >= limit) return false;
    ++acc;
  }
  value.scaled = p.negative ? static_cast<std::int64_t>(0 - acc) : static_cast<std::int64_t>(acc);
  return true;
}

}  // namespace

std::string IntToStr(std::int64_t value) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, r.ptr);
}

bool TryStrToInt(std::string_view s, std::int32_t& value) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  std::uint64_t magnitude = 0;
  if (i < s.size() && s[i] == '$') {
    ++i;
    const std::size_t start = i;
    for (; i < s.size(); ++i) {
      const char c = s[i];
      unsigned d;
      if (IsDigit(c))
        d = static_cast<unsigned>(c - '0');
      else if (c >= 'a' && c <= 'f')
        d = static_cast<unsigned>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F')
        d = static_cast<unsigned>(c - 'A' + 10);
      else
        break;
      magnitude = magnitude * 16 + d;
      if (magnitude > 0xFFFFFFFFu) return false;
    }
    if (i == start || i != s.size()) return false;
    const auto pattern = static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
    value = negative ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(pattern)) : pattern;
    return true;
  }
  const std::size_t start = i;
  for (; i < s.size() && IsDigit(s[i]); ++i) {
    magnitude = magnitude * 10 + static_cast<unsigned>(s[i] - '0');
    if (magnitude > 2147483648u) return false;
  }
  if (i == start || i != s.size()) return false;
  if (!negative && magnitude > 2147483647u) return false;
  value = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                   : static_cast<std::int32_t>(magnitude);
  return true;
}

std::int32_t StrToInt(std::string_view text) {
  std::int32_t v;
  if (!TryStrToInt(text, v)) ConvertError(SInvalidInteger, {text});
  return v;
}

bool TryStrToInt64(std::string_view s, std::int64_t& value) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  const bool hex = i < s.size() && s[i] == '$';
  if (hex) ++i;
  const std::size_t start = i;
  std::uint64_t magnitude = 0;
  // Decimal magnitudes stop at 2^63 (the most negative value); hex ones take any bit pattern.
  constexpr std::uint64_t kDecimalLimit = std::uint64_t{1} << 63;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    unsigned d;
    if (IsDigit(c))
      d = static_cast<unsigned>(c - '0');
    else if (hex && c >= 'a' && c <= 'f')
      d = static_cast<unsigned>(c - 'a' + 10);
    else if (hex && c >= 'A' && c <= 'F')
      d = static_cast<unsigned>(c - 'A' + 10);
    else
      break;
    if (hex) {
      if (i - start >= 16) return false;
      magnitude = magnitude * 16 + d;
    } else {
      if (magnitude > (kDecimalLimit - d) / 10) return false;
      magnitude = magnitude * 10 + d;
    }
  }
  if (i == start || i != s.size()) return false;
  if (!hex && !negative && magnitude == kDecimalLimit) return false;
  // Two's complement negation in unsigned arithmetic, then the bit pattern as signed.
  value = static_cast<std::int64_t>(negative ? 0u - magnitude : magnitude);
  return true;
}

std::int64_t StrToInt64(std::string_view text) {
  std::int64_t v;
  if (!TryStrToInt64(text, v)) ConvertError(SInvalidInteger, {text});
  return v;
}

bool ValReal(std::string_view text, long double& value) {
  NumberParts p;
  return ScanReal(text, '.', false, p) && PartsToReal(p, value);
}

bool TextToFloat(std::string_view text, double& value, const FormatSettings& fs) {
  NumberParts p;
  return ScanReal(text, fs.decimal_separator, true, p) && PartsToReal(p, value);
}

bool TextToFloat(std::string_view text, Currency& value, const FormatSettings& fs) {
  NumberParts p;
  return ScanReal(text, fs.decimal_separator, true, p) && PartsToCurrency(p, value);
}

bool TextToFloat(std::string_view text, TFloatValue mode, const FormatSettings& fs) {
  if (mode == TFloatValue::fvCurrency) {
    Currency c;
    return TextToFloat(text, c, fs);
  }
  double d;
  return TextToFloat(text, d, fs);
}

double StrToFloat(std::string_view text) {
  double v;
  if (!TextToFloat(text, v)) ConvertError(SInvalidFloat, {text});
  return v;
}

Currency StrToCurr(std::string_view text) {
  Currency v;
  if (!TextToFloat(text, v)) ConvertError(SInvalidFloat, {text});
  return v;
}

std::string FloatToStr(double value, const FormatSettings& fs) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  std::string out;
  out.reserve(static_cast<std::size_t>(r.ptr - buf));
  for (const char* c = buf; c < r.ptr; ++c) {
    if (*c == '.') {
      out += fs.decimal_separator;
    } else if (*c == 'e') {
      // "e+07" becomes "E7", "e-07" becomes "E-7".
      out += 'E';
      ++c;
      if (*c == '-') out += '-';
      ++c;
      while (c + 1 < r.ptr && *c == '0') ++c;
      out.append(c, static_cast<std::size_t>(r.ptr - c));
      break;
    } else {
      out += *c;
    }
  }
  return out;
}

std::string CurrToStr(Currency value, const FormatSettings& fs) {
  const bool negative = value.scaled < 0;
  const std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(value.scaled) : static_cast<std::uint64_t>(value.scaled);
  std::string out = negative ? "-" : "";
  out += IntToStr(static_cast<std::int64_t>(magnitude / 10000));
  unsigned frac = static_cast<unsigned>(magnitude % 10000);
  if (frac != 0) {
    char digits[4];
    for (int k = 3; k >= 0; --k) {
      digits[k] = static_cast<char>('0' + frac % 10);
      frac /= 10;
    }
    int n = 4;
    while (digits[n - 1] == '0') --n;
    out += fs.decimal_separator;
    out.append(digits, static_cast<std::size_t>(n));
  }
  return out;
}

}  // namespace vantor
