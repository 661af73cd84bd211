#pragma once
// Variant: the tagged value in which entered values, field values and keys travel.
// Kinds and type codes are the host's (VarType), so code that tests type codes
// (0x600F, the by-reference array) behaves as it does there.
//
// Three ways to compare, on purpose distinct:
//   operator==      identical kind and value (Smallint 1 != Integer 1); for tests and caches.
//   VarCompare      the host's ordering: numbers by magnitude, dates by their number, strings
//                   by byte order, Null equals Null and is below every non-null value;
//                   incomparable kinds raise EVariantError.
//   VarEquals       VarCompare(a, b) == 0.

#include <cstdint>
#include <string>
#include <variant>

#include <vantor/platform/rtl/currency.h>
#include <vantor/platform/rtl/datetime.h>

namespace vantor {

// The host's variant type codes.
enum : std::uint16_t {
  varEmpty = 0x0000,
  varNull = 0x0001,
  varSmallint = 0x0002,
  varInteger = 0x0003,
  varSingle = 0x0004,
  varDouble = 0x0005,
  varCurrency = 0x0006,
  varDate = 0x0007,
  varOleStr = 0x0008,
  varDispatch = 0x0009,
  varError = 0x000A,
  varBoolean = 0x000B,
  varVariant = 0x000C,
  varUnknown = 0x000D,
  varByte = 0x0011,
  varInt64 = 0x0014,
  varString = 0x0100,
  varTypeMask = 0x0FFF,
  varArray = 0x2000,
  varByRef = 0x4000,
};

class Variant {
 public:
  // An opaque by-reference array: only its type code is observable.
  struct ArrayRef {
    std::uint16_t element_type = 0;
    const void* ref = nullptr;
    bool operator==(const ArrayRef&) const = default;
  };
  struct NullTag {
    bool operator==(const NullTag&) const = default;
  };
  struct EmptyTag {
    bool operator==(const EmptyTag&) const = default;
  };
  struct DateValue {
    TDateTime value = 0;
    bool operator==(const DateValue&) const = default;
  };

  Variant() = default;  // Empty (unassigned)
  Variant(std::int16_t v) : v_(v) {}
  Variant(std::int32_t v) : v_(v) {}
  Variant(std::int64_t v) : v_(v) {}
  Variant(double v) : v_(v) {}
  Variant(Currency v) : v_(v) {}
  Variant(bool v) : v_(v) {}
  Variant(std::string v) : v_(std::move(v)) {}
  Variant(const char* v) : v_(std::string(v)) {}

  static Variant Null() { return Variant(NullTag{}); }
  static Variant FromDate(TDateTime d) { return Variant(DateValue{d}); }
  // A by-reference array of the given element type (code varArray|varByRef|element).
  static Variant ByRefArray(std::uint16_t element_type, const void* ref = nullptr) {
    return Variant(ArrayRef{element_type, ref});
  }

  // The host's type code of the value (varEmpty, varNull, ..., 0x600F for a by-ref array of 15).
  std::uint16_t VarType() const;
  bool IsEmpty() const { return std::holds_alternative<EmptyTag>(v_); }
  bool IsNull() const { return std::holds_alternative<NullTag>(v_); }
  // Empty or Null: no value at all.
  bool IsClear() const { return IsEmpty() || IsNull(); }
  bool IsNumeric() const;  // Smallint, Integer, Int64, Double, Currency (not Date, not Boolean)

  // Coercions with the host's rules; a value that cannot be coerced (an out-of-range
  // integer, a text that is no number, Null) raises EVariantError or EConvertError.
  std::int16_t AsSmallint() const;
  std::int32_t AsInteger() const;
  std::int64_t AsInt64() const;
  double AsDouble() const;
  Currency AsCurrency() const;
  TDateTime AsDate() const;
  bool AsBoolean() const;
  // Text of the value in the current FormatSettings; Null and Empty give "".
  std::string AsString() const;

  // Direct access for callers that know the kind (no coercion).
  template <typename T>
  const T* Get() const {
    return std::get_if<T>(&v_);
  }

  bool operator==(const Variant& o) const { return v_ == o.v_; }

 private:
  explicit Variant(NullTag t) : v_(t) {}
  explicit Variant(DateValue d) : v_(d) {}
  explicit Variant(ArrayRef a) : v_(a) {}

  std::variant<EmptyTag, NullTag, std::int16_t, std::int32_t, double, Currency, DateValue, bool,
               std::string, ArrayRef, std::int64_t>
      v_;
};

// Host ordering of two variants: <0, 0, >0. Raises EVariantError for incomparable kinds.
int VarCompare(const Variant& a, const Variant& b);
inline bool VarEquals(const Variant& a, const Variant& b) { return VarCompare(a, b) == 0; }
// The host's general variant-to-string conversion ("" for Empty and Null).
std::string VarToStr(const Variant& v);
// The value coerced to the kind of a type code (varSmallint, varInteger, varInt64, varDouble,
// varCurrency, varDate, varBoolean, varString); raises as the As* accessors do.
Variant VarAsType(const Variant& v, std::uint16_t var_type);

}  // namespace vantor
