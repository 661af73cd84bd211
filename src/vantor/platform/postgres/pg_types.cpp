#include <vantor/platform/postgres/internal/pg_types.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include <vantor/platform/data/internal/sql_text.h>
#include <vantor/platform/rtl/datetime.h>
#include <vantor/platform/rtl/exceptions.h>

namespace vantor {

namespace {

// The most integer digits of a numeric(p,s) whose every value fits a Currency:
// 10^14 - 1 with four decimals is below 2^63 / 10^4.
constexpr int kCurrencyIntegerDigits = 14;

// "-123.4500" exactly as a Currency: at most four nonzero decimals, within its range.
bool ParseCurrency(std::string_view text, Currency& value) {
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  const auto dot = text.find('.');
  const std::string_view whole = text.substr(0, dot);
  std::string_view fraction = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
  if (whole.empty() && fraction.empty()) return false;
  // Trailing zeros beyond the fourth decimal change nothing.
  while (fraction.size() > 4 && fraction.back() == '0') fraction.remove_suffix(1);
  if (fraction.size() > 4) return false;
  // Accumulated negative, so that the lowest Currency is reachable.
  std::int64_t scaled = 0;
  auto push = [&scaled](char c) {
    if (c < '0' || c > '9') return false;
    const int digit = c - '0';
    if (scaled < (std::numeric_limits<std::int64_t>::min() + digit) / 10) return false;
    scaled = scaled * 10 - digit;
    return true;
  };
  for (char c : whole) {
    if (!push(c)) return false;
  }
  for (std::size_t i = 0; i < 4; ++i) {
    if (!push(i < fraction.size() ? fraction[i] : '0')) return false;
  }
  if (!negative) {
    if (scaled == std::numeric_limits<std::int64_t>::min()) return false;
    scaled = -scaled;
  }
  value = Currency::FromScaled(scaled);
  return true;
}

// "YYYY-MM-DD" (a year of four digits or more) from the start of `s`; `used` is its length.
bool ParseDate(std::string_view s, TDateTime& value, std::size_t& used) {
  std::size_t y_end = 0;
  while (y_end < s.size() && s[y_end] >= '0' && s[y_end] <= '9') ++y_end;
  int y = 0, m = 0, d = 0;
  // Years after 9999 have more digits; TDateTime cannot hold them.
  if (y_end != 4 || !Digits(s, 0, 4, y)) return false;
  if (s.size() < 10 || s[4] != '-' || !Digits(s, 5, 2, m) || s[7] != '-' || !Digits(s, 8, 2, d)) return false;
  used = 10;
  return TryEncodeDate(y, m, d, value);
}

// "HH:MM:SS[.ffffff]" from the start of `s`; `used` is its length. Milliseconds kept.
bool ParseTime(std::string_view s, TDateTime& value, std::size_t& used) {
  int h = 0, m = 0, sec = 0, ms = 0;
  if (!Digits(s, 0, 2, h) || s.size() < 8 || s[2] != ':' || !Digits(s, 3, 2, m) || s[5] != ':' || !Digits(s, 6, 2, sec)) {
    return false;
  }
  std::size_t p = 8;
  if (p < s.size() && s[p] == '.') {
    int digits = 0;
    for (++p; p < s.size() && s[p] >= '0' && s[p] <= '9'; ++p, ++digits) {
      if (digits < 3) ms = ms * 10 + (s[p] - '0');
    }
    for (int d = digits; d < 3; ++d) ms *= 10;
  }
  used = p;
  return TryEncodeTime(h, m, sec, ms, value);
}

// A zone offset as the server writes it after a timestamptz: "+01", "-05:30", "+00:19:32".
bool IsZoneOffset(std::string_view s) {
  if (s.size() < 3 || (s[0] != '+' && s[0] != '-')) return false;
  for (std::size_t i = 1; i < s.size(); ++i) {
    if (!(s[i] >= '0' && s[i] <= '9') && s[i] != ':') return false;
  }
  return true;
}

bool ParseDateTimeCell(std::string_view s, unsigned oid, TFieldType type, TDateTime& value) {
  std::size_t used = 0;
  if (type == TFieldType::ftTime) return ParseTime(s, value, used) && used == s.size();
  TDateTime date = 0;
  if (!ParseDate(s, date, used)) return false;
  if (type == TFieldType::ftDate || used == s.size()) {
    value = date;
    return used == s.size();
  }
  if (s[used] != ' ') return false;
  s.remove_prefix(used + 1);
  TDateTime time = 0;
  if (!ParseTime(s, time, used)) return false;
  s.remove_prefix(used);
  // The offset is the session's own: the wall time before it is what the user reads.
  if (oid == pg_oid::kTimestampTz && IsZoneOffset(s)) s = {};
  if (!s.empty()) return false;  // " BC" and anything unforeseen
  value = ComposeDateTime(date, time);
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "\x0a1b..." (bytea_output = hex) as the bytes.
bool DecodeHexBytea(std::string_view text, std::string& bytes) {
  if (text.size() < 2 || text[0] != '\\' || text[1] != 'x' || text.size() % 2 != 0) return false;
  bytes.clear();
  bytes.reserve((text.size() - 2) / 2);
  for (std::size_t i = 2; i < text.size(); i += 2) {
    const int hi = HexDigit(text[i]), lo = HexDigit(text[i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes += static_cast<char>(hi * 16 + lo);
  }
  return true;
}

std::string CurrencyText(Currency c) {
  const bool negative = c.scaled < 0;
  // Magnitude as unsigned: the lowest value has no positive counterpart in int64.
  const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(c.scaled) : static_cast<std::uint64_t>(c.scaled);
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%s%llu.%04llu", negative ? "-" : "",
                static_cast<unsigned long long>(magnitude / 10000), static_cast<unsigned long long>(magnitude % 10000));
  return buffer;
}

std::string DoubleText(double d) {
  if (std::isnan(d)) return "NaN";
  if (std::isinf(d)) return d > 0 ? "Infinity" : "-Infinity";
  char buffer[64];
  const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, d);
  (void)ec;  // 64 characters hold every double's shortest form
  return std::string(buffer, ptr);
}

std::string DateText(TDateTime value, TFieldType type) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
  DecodeDate(value, y, mo, d);
  DecodeTime(value, h, mi, s, ms);
  char buffer[64];
  if (type == TFieldType::ftDate) {
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", y, mo, d);
  } else if (type == TFieldType::ftTime) {
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d.%03d", h, mi, s, ms);
  } else {
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d", y, mo, d, h, mi, s, ms);
  }
  return buffer;
}

bool IsBinary(TFieldType type) {
  switch (type) {
    case TFieldType::ftBlob:
    case TFieldType::ftGraphic:
    case TFieldType::ftBytes:
    case TFieldType::ftVarBytes:
    case TFieldType::ftTypedBinary:
    case TFieldType::ftParadoxOle:
    case TFieldType::ftDBaseOle: return true;
    default: return false;
  }
}

}  // namespace

TFieldType PgFieldType(unsigned oid, int typmod, int& size) {
  size = 0;
  switch (oid) {
    case pg_oid::kInt2: return TFieldType::ftSmallint;
    case pg_oid::kInt4: return TFieldType::ftInteger;
    case pg_oid::kInt8:
    case pg_oid::kOid: return TFieldType::ftLargeint;
    case pg_oid::kFloat4:
    case pg_oid::kFloat8: return TFieldType::ftFloat;
    case pg_oid::kBool: return TFieldType::ftBoolean;
    case pg_oid::kDate: return TFieldType::ftDate;
    case pg_oid::kTime: return TFieldType::ftTime;
    case pg_oid::kTimestamp:
    case pg_oid::kTimestampTz: return TFieldType::ftDateTime;
    case pg_oid::kBytea: return TFieldType::ftBlob;
    case pg_oid::kNumeric: {
      if (typmod < 4) return TFieldType::ftBCD;  // no declared precision
      const int precision = ((typmod - 4) >> 16) & 0xffff;
      // The scale is an 11-bit signed number (negative scales round to tens, hundreds ...).
      const int scale = (((typmod - 4) & 0x7ff) ^ 1024) - 1024;
      return scale >= 0 && scale <= 4 && precision - scale <= kCurrencyIntegerDigits ? TFieldType::ftCurrency
                                                                                     : TFieldType::ftBCD;
    }
    case pg_oid::kVarchar:
    case pg_oid::kBpchar:
      size = typmod >= 4 ? typmod - 4 : 0;
      return TFieldType::ftString;
    case pg_oid::kName: size = 63; return TFieldType::ftString;
    case pg_oid::kChar: size = 1; return TFieldType::ftString;
    default: return TFieldType::ftString;
  }
}

bool PgCellIsExact(unsigned oid) {
  return oid != pg_oid::kTime && oid != pg_oid::kTimestamp && oid != pg_oid::kTimestampTz;
}

bool LoadPgCell(std::string_view text, unsigned oid, TFieldType type, TRowStore& store, RowId row, int column) {
  switch (store.Kind(column)) {
    case TStorageKind::skInt16: {
      std::int16_t v = 0;
      if (!ParseWhole(text, v)) return false;
      store.SetInt(row, column, v);
      return true;
    }
    case TStorageKind::skUInt16: {
      std::uint16_t v = 0;
      if (!ParseWhole(text, v)) return false;
      store.SetInt(row, column, v);
      return true;
    }
    case TStorageKind::skInt32: {
      std::int32_t v = 0;
      if (!ParseWhole(text, v)) return false;
      store.SetInt(row, column, v);
      return true;
    }
    case TStorageKind::skInt64: {
      std::int64_t v = 0;
      if (!ParseWhole(text, v)) return false;
      store.SetInt64(row, column, v);
      return true;
    }
    case TStorageKind::skDouble: {
      // NaN and the infinities have no place in an order of numbers.
      double v = 0;
      const char* end = text.data() + text.size();
      const auto [ptr, ec] = std::from_chars(text.data(), end, v);
      if (ec != std::errc() || ptr != end || !std::isfinite(v)) return false;
      store.SetDouble(row, column, v);
      return true;
    }
    case TStorageKind::skCurrency: {
      Currency v;
      if (!ParseCurrency(text, v)) return false;
      store.SetCurrency(row, column, v);
      return true;
    }
    case TStorageKind::skBoolean:
      if (text != "t" && text != "f") return false;
      store.SetBoolean(row, column, text == "t");
      return true;
    case TStorageKind::skDate: {
      TDateTime v = 0;
      if (!ParseDateTimeCell(text, oid, type, v)) return false;
      store.SetDouble(row, column, v);
      return true;
    }
    case TStorageKind::skText:
      if (oid == pg_oid::kBytea) {
        std::string bytes;
        if (!DecodeHexBytea(text, bytes)) return false;
        store.Set(row, column, Variant(std::move(bytes)));
        return true;
      }
      store.Set(row, column, Variant(std::string(text)));
      return true;
  }
  return false;
}

std::optional<std::string> PgParamText(const Variant& value, TFieldType type) {
  if (value.IsClear()) return std::nullopt;
  if (const auto* s = value.Get<std::string>()) {
    if (IsBinary(type)) {
      static constexpr char kHex[] = "0123456789abcdef";
      std::string out = "\\x";
      out.reserve(2 + s->size() * 2);
      for (unsigned char c : *s) {
        out += kHex[c >> 4];
        out += kHex[c & 15];
      }
      return out;
    }
    // The server's texts end at a zero byte; sending one would store a shorter text.
    if (s->find('\0') != std::string::npos) {
      throw EDatabaseError("A text for the PostgreSQL server cannot hold the character NUL (code 0)");
    }
    return *s;
  }
  if (const auto* b = value.Get<bool>()) return std::string(*b ? "true" : "false");
  if (const auto* c = value.Get<Currency>()) return CurrencyText(*c);
  if (const auto* d = value.Get<double>()) return DoubleText(*d);
  if (value.VarType() == varDate) return DateText(value.AsDate(), type);
  return std::to_string(value.AsInt64());
}

}  // namespace vantor
