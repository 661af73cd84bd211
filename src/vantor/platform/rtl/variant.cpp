#include <vantor/platform/rtl/variant.h>

#include <cmath>
#include <limits>

#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/date_text.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/rtl/number_text.h>
#include <vantor/platform/rtl/string_table.h>

namespace vantor {

namespace {

// The alternatives of Variant's storage, in declaration order.
enum Kind : std::size_t {
  kEmpty, kNull, kSmallint, kInteger, kDouble, kCurrency, kDate, kBoolean, kString, kArray, kInt64
};

const char* KindName(std::size_t k) {
  static const char* const kNames[] = {"Empty",    "Null", "Smallint", "Integer", "Double", "Currency",
                                       "Date",     "Boolean", "String", "Array",  "Int64"};
  return kNames[k];
}

const char* TypeName(std::uint16_t var_type) {
  switch (var_type) {
    case varEmpty: return "Empty";
    case varNull: return "Null";
    case varSmallint: return "Smallint";
    case varInteger: return "Integer";
    case varInt64: return "Int64";
    case varSingle: return "Single";
    case varDouble: return "Double";
    case varCurrency: return "Currency";
    case varDate: return "Date";
    case varOleStr:
    case varString: return "String";
    case varBoolean: return "Boolean";
    default: return "Unknown";
  }
}

[[noreturn]] void CastError(std::size_t from, const char* to) {
  throw EVariantError(Format(LoadStr(SInvalidVarCast), {KindName(from), to}));
}

[[noreturn]] void Overflow(const std::string& value, const char* to) {
  throw EVariantError(Format(LoadStr(SVarOverflow), {value, to}));
}

// Round half to even, as the host rounds reals to integers.
double RoundEven(double d) { return std::nearbyint(d); }

std::int64_t RoundCurrency(Currency c) {
  const std::int64_t q = c.scaled / Currency::kScale;
  const std::int64_t r = c.scaled % Currency::kScale;
  const std::int64_t half = Currency::kScale / 2;
  const std::int64_t ar = r < 0 ? -r : r;
  if (ar > half || (ar == half && (q % 2 != 0))) return r < 0 ? q - 1 : q + 1;
  return q;
}

// A number as the comparison sees it: exact (scaled by 10^4) when it came from an
// integer, a boolean or a currency, a whole 64-bit integer when it came from an Int64
// (which scaling could overflow), a double otherwise.
struct Num {
  bool exact = true;
  std::int64_t scaled = 0;
  double real = 0;
  bool whole = false;  // `scaled` holds the unscaled value of an Int64
};

Num Exact(std::int64_t scaled) { return Num{true, scaled, 0, false}; }
Num Whole(std::int64_t value) { return Num{true, value, 0, true}; }
Num Real(double d) { return Num{false, 0, d, false}; }

int Sign(std::int64_t a, std::int64_t b) { return a < b ? -1 : (a > b ? 1 : 0); }

// A whole number against a scaled one, without multiplying (which could overflow):
// whole parts first, then the scaled side's fraction decides.
int CompareWholeScaled(std::int64_t whole, std::int64_t scaled) {
  const std::int64_t q = scaled / Currency::kScale;
  const std::int64_t r = scaled % Currency::kScale;
  if (whole != q) return Sign(whole, q);
  return Sign(0, r);
}

long double AsLongDouble(const Num& n) {
  if (!n.exact) return n.real;
  // long double keeps 64 mantissa bits here, so a whole int64 converts exactly.
  return n.whole ? static_cast<long double>(n.scaled) : static_cast<long double>(n.scaled) / Currency::kScale;
}

int CompareNum(const Num& a, const Num& b) {
  if (a.exact && b.exact) {
    if (a.whole == b.whole) return Sign(a.scaled, b.scaled);
    return a.whole ? CompareWholeScaled(a.scaled, b.scaled) : -CompareWholeScaled(b.scaled, a.scaled);
  }
  const long double x = AsLongDouble(a);
  const long double y = AsLongDouble(b);
  // NaN sorts below every number and equals itself, so ordering stays total.
  const bool xn = std::isnan(x), yn = std::isnan(y);
  if (xn || yn) return xn == yn ? 0 : (xn ? -1 : 1);
  return x < y ? -1 : (x > y ? 1 : 0);
}

}  // namespace

std::uint16_t Variant::VarType() const {
  switch (v_.index()) {
    case kEmpty: return varEmpty;
    case kNull: return varNull;
    case kSmallint: return varSmallint;
    case kInteger: return varInteger;
    case kDouble: return varDouble;
    case kCurrency: return varCurrency;
    case kDate: return varDate;
    case kBoolean: return varBoolean;
    case kString: return varString;
    case kInt64: return varInt64;
    default: return static_cast<std::uint16_t>(varArray | varByRef | (std::get<ArrayRef>(v_).element_type & varTypeMask));
  }
}

bool Variant::IsNumeric() const {
  const std::size_t k = v_.index();
  return k == kSmallint || k == kInteger || k == kInt64 || k == kDouble || k == kCurrency;
}

namespace {

// The value as an integer in [lo, hi], reals rounded half to even.
std::int64_t ToIntegral(const Variant& v, std::int64_t lo, std::int64_t hi, const char* type) {
  auto check = [&](std::int64_t i, const std::string& text) {
    if (i < lo || i > hi) Overflow(text, type);
    return i;
  };
  auto from_double = [&](double d) -> std::int64_t {
    const double r = RoundEven(d);
    // 2^63 itself is a double but no int64: the upper test is strict against -lo.
    if (!(r >= static_cast<double>(lo) && r <= static_cast<double>(hi) && r < 9223372036854775808.0)) {
      Overflow(FloatToStr(d), type);
    }
    return static_cast<std::int64_t>(r);
  };
  if (v.IsEmpty()) return 0;
  if (const auto* p = v.Get<std::int16_t>()) return *p;
  if (const auto* p = v.Get<std::int32_t>()) return check(*p, IntToStr(*p));
  if (const auto* p = v.Get<std::int64_t>()) return check(*p, IntToStr(*p));
  if (const auto* p = v.Get<double>()) return from_double(*p);
  if (const auto* p = v.Get<Currency>()) return check(RoundCurrency(*p), CurrToStr(*p));
  if (const auto* p = v.Get<Variant::DateValue>()) return from_double(p->value);
  if (const auto* p = v.Get<bool>()) return *p ? -1 : 0;
  if (const auto* p = v.Get<std::string>()) {
    std::int64_t i;
    if (TryStrToInt64(*p, i)) return check(i, *p);
    double d;
    if (TextToFloat(*p, d)) return from_double(d);
    ConvertError(SInvalidInteger, {*p});
  }
  CastError(v.IsNull() ? kNull : kArray, type);
}

}  // namespace

std::int16_t Variant::AsSmallint() const {
  return static_cast<std::int16_t>(ToIntegral(*this, INT16_MIN, INT16_MAX, "Smallint"));
}

std::int32_t Variant::AsInteger() const {
  return static_cast<std::int32_t>(ToIntegral(*this, INT32_MIN, INT32_MAX, "Integer"));
}

std::int64_t Variant::AsInt64() const { return ToIntegral(*this, INT64_MIN, INT64_MAX, "Int64"); }

double Variant::AsDouble() const {
  switch (v_.index()) {
    case kEmpty: return 0;
    case kSmallint: return std::get<std::int16_t>(v_);
    case kInteger: return std::get<std::int32_t>(v_);
    case kInt64: return static_cast<double>(std::get<std::int64_t>(v_));
    case kDouble: return std::get<double>(v_);
    case kCurrency: return std::get<Currency>(v_).ToDouble();
    case kDate: return std::get<DateValue>(v_).value;
    case kBoolean: return std::get<bool>(v_) ? -1 : 0;
    case kString: {
      const std::string& s = std::get<std::string>(v_);
      double d;
      if (!TextToFloat(s, d)) ConvertError(SInvalidFloat, {s});
      return d;
    }
    default: CastError(v_.index(), "Double");
  }
}

Currency Variant::AsCurrency() const {
  switch (v_.index()) {
    case kEmpty: return Currency{};
    case kSmallint: return Currency::FromInt(std::get<std::int16_t>(v_));
    case kInteger: return Currency::FromInt(std::get<std::int32_t>(v_));
    case kInt64: {
      const std::int64_t i = std::get<std::int64_t>(v_);
      if (i > INT64_MAX / Currency::kScale || i < INT64_MIN / Currency::kScale) Overflow(IntToStr(i), "Currency");
      return Currency::FromInt(i);
    }
    case kCurrency: return std::get<Currency>(v_);
    case kBoolean: return Currency::FromInt(std::get<bool>(v_) ? -1 : 0);
    case kDouble:
    case kDate: {
      const double d = AsDouble();
      Currency c;
      if (!Currency::TryFromDouble(d, c)) Overflow(FloatToStr(d), "Currency");
      return c;
    }
    case kString: {
      const std::string& s = std::get<std::string>(v_);
      Currency c;
      if (!TextToFloat(s, c)) ConvertError(SInvalidFloat, {s});
      return c;
    }
    default: CastError(v_.index(), "Currency");
  }
}

TDateTime Variant::AsDate() const {
  switch (v_.index()) {
    case kDate: return std::get<DateValue>(v_).value;
    case kString: {
      const std::string& s = std::get<std::string>(v_);
      TDateTime d;
      if (!TryStrToDateTime(s, d)) ConvertError(SInvalidDateTime, {s});
      return d;
    }
    case kNull:
    case kArray: CastError(v_.index(), "Date");
    default: {
      const double d = AsDouble();
      // Only values that decode to the years 1..9999 are dates.
      if (!(d >= kMinDateTime && d < kMaxDateTime + 1)) Overflow(FloatToStr(d), "Date");
      return d;
    }
  }
}

bool Variant::AsBoolean() const {
  switch (v_.index()) {
    case kEmpty: return false;
    case kBoolean: return std::get<bool>(v_);
    case kString: {
      const std::string& s = std::get<std::string>(v_);
      if (AnsiSameText(s, "True")) return true;
      if (AnsiSameText(s, "False")) return false;
      double d;
      if (TextToFloat(s, d)) return d != 0;
      ConvertError(SInvalidBoolean, {s});
    }
    case kNull:
    case kArray: CastError(v_.index(), "Boolean");
    case kCurrency: return std::get<Currency>(v_).scaled != 0;
    default: return AsDouble() != 0;
  }
}

std::string Variant::AsString() const {
  switch (v_.index()) {
    case kEmpty:
    case kNull: return {};
    case kSmallint: return IntToStr(std::get<std::int16_t>(v_));
    case kInteger: return IntToStr(std::get<std::int32_t>(v_));
    case kInt64: return IntToStr(std::get<std::int64_t>(v_));
    case kDouble: return FloatToStr(std::get<double>(v_));
    case kCurrency: return CurrToStr(std::get<Currency>(v_));
    case kDate: return DateTimeToStr(std::get<DateValue>(v_).value);
    case kBoolean: return std::get<bool>(v_) ? "True" : "False";
    case kString: return std::get<std::string>(v_);
    default: CastError(v_.index(), "String");
  }
}

std::string VarToStr(const Variant& v) { return v.AsString(); }

Variant VarAsType(const Variant& v, std::uint16_t var_type) {
  if (var_type == varEmpty) return Variant();
  if (var_type == varNull) return Variant::Null();
  if (v.IsNull()) throw EVariantError(Format(LoadStr(SInvalidVarCast), {"Null", TypeName(var_type)}));
  switch (var_type) {
    case varSmallint: return Variant(v.AsSmallint());
    case varInteger: return Variant(v.AsInteger());
    case varInt64: return Variant(v.AsInt64());
    case varSingle:
    case varDouble: return Variant(v.AsDouble());
    case varCurrency: return Variant(v.AsCurrency());
    case varDate: return Variant::FromDate(v.AsDate());
    case varBoolean: return Variant(v.AsBoolean());
    case varOleStr:
    case varString: return Variant(v.AsString());
    default:
      throw EVariantError(Format(LoadStr(SInvalidVarCast), {TypeName(v.VarType()), TypeName(var_type)}));
  }
}

namespace {

Num ToNum(const Variant& v) {
  if (const auto* p = v.Get<std::int16_t>()) return Exact(std::int64_t{*p} * Currency::kScale);
  if (const auto* p = v.Get<std::int32_t>()) return Exact(std::int64_t{*p} * Currency::kScale);
  if (const auto* p = v.Get<std::int64_t>()) return Whole(*p);
  if (const auto* p = v.Get<Currency>()) return Exact(p->scaled);
  if (const auto* p = v.Get<bool>()) return Exact(*p ? -Currency::kScale : 0);
  if (const auto* p = v.Get<double>()) return Real(*p);
  return Real(v.Get<Variant::DateValue>()->value);
}

[[noreturn]] void Incomparable(const Variant& a, const Variant& b) {
  throw EVariantError(Format(LoadStr(SVarCompare), {TypeName(a.VarType()), TypeName(b.VarType())}));
}

// A string against a number, a date or a boolean: the text is read as the other
// side's kind when it can be, else the pair is incomparable.
int CompareStringWith(const std::string& s, const Variant& other, const Variant& str_variant) {
  if (const auto* b = other.Get<bool>()) {
    if (AnsiSameText(s, "True") || AnsiSameText(s, "False")) {
      const bool sb = AnsiSameText(s, "True");
      return sb == *b ? 0 : (sb ? 1 : -1);  // False < True
    }
  }
  if (other.Get<Variant::DateValue>()) {
    TDateTime d;
    if (TryStrToDateTime(s, d)) return CompareNum(Real(d), ToNum(other));
  }
  const Num n = ToNum(other);
  Currency c;
  if (n.exact && TextToFloat(s, c)) return CompareNum(Exact(c.scaled), n);
  double d;
  if (TextToFloat(s, d)) return CompareNum(Real(d), n);
  Incomparable(str_variant, other);
}

}  // namespace

int VarCompare(const Variant& a, const Variant& b) {
  if (a.VarType() & varArray || b.VarType() & varArray) Incomparable(a, b);
  // Empty orders as Null: neither holds a value.
  const bool an = a.IsClear(), bn = b.IsClear();
  if (an || bn) return an == bn ? 0 : (an ? -1 : 1);
  const auto* as = a.Get<std::string>();
  const auto* bs = b.Get<std::string>();
  if (as && bs) return AnsiCompareStr(*as, *bs);
  if (as) return CompareStringWith(*as, b, a);
  if (bs) return -CompareStringWith(*bs, a, b);
  const auto* ab = a.Get<bool>();
  const auto* bb = b.Get<bool>();
  if (ab && bb) return *ab == *bb ? 0 : (*ab ? 1 : -1);  // False < True
  return CompareNum(ToNum(a), ToNum(b));
}

}  // namespace vantor
