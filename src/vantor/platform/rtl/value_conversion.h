#pragma once
// Conversion between the text of a criteria edit and the typed value of a criteria
// record, by the record's field type. These are free functions so that the field
// record, the panel's edits and the value-list editor all convert the same way.
//
// All of them read the current FormatSettings at each call.
//   IsValidCharForType  may a printable character be typed (calculated records)
//   IsConvertText       would TextToVariant succeed (never raises)
//   TextToVariant       text -> value; blank text is Null; raises EConvertError
//                       (EVantorError 25108 for a bad boolean text)
//   VariantToText       value -> text that TextToVariant reads back to the same value
//   VarAsDataType       any value coerced to the type's kind; Empty and Null give Null

#include <string>
#include <string_view>

#include <vantor/platform/rtl/field_type.h>
#include <vantor/platform/rtl/variant.h>

namespace vantor {

// Numeric types take signs, digits and (reals) the exponent letter and the locale's
// decimal separator; every other type takes no typed character.
[[nodiscard]] bool IsValidCharForType(TFieldType type, char32_t key);

[[nodiscard]] bool IsConvertText(TFieldType type, std::string_view text);

// Integer types give a 32-bit integer variant, booleans a boolean, ftFloat a double,
// ftCurrency/ftBCD a currency, the date and time types a date; every other type a
// string with trailing blanks and control characters removed.
Variant TextToVariant(TFieldType type, const std::string& text);

// Null gives "" (an Empty value is converted as the type's zero).
std::string VariantToText(TFieldType type, const Variant& value);

// Raises EVantorError 25107 for a by-reference array of variants (type code 0x600F)
// and the coercion's error for a value that does not fit the type.
Variant VarAsDataType(TFieldType type, const Variant& value);

// Boolean texts: any non-empty prefix of "TRUE" or "FALSE", letter case ignored.
// `value` receives the boolean (False when the text is none).
bool StrToBooleanEx(std::string_view text, bool& value);
// Raises EVantorError 25108 "'<text>' is not a valid boolean value".
bool StrToBoolean(std::string_view text);
std::string BooleanToStr(bool value);

}  // namespace vantor
