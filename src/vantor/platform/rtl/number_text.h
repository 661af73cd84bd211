#pragma once
// Numbers to text and back, in the syntax of the current FormatSettings.
//
// Texts produced here read back to the same value: FloatToStr writes the shortest
// text that reads back to the exact double, CurrToStr all significant decimals.
//
// Accepted syntax:
//   StrToInt     [blanks] [+|-] digits | $hexdigits       (nothing after; 32-bit range;
//                                                          hex is a 32-bit pattern: $FFFFFFFF = -1)
//   TextToFloat  [blanks] [+|-] digits [sep digits] [(E|e) [+|-] digits] [blanks]
//                with the locale's decimal separator `sep`, at least one mantissa digit
//                (".5" and "5." are numbers). Values beyond the double range fail;
//                values below its smallest denormal read as zero.
//   ValReal      the same with "." as the separator and nothing allowed after the number:
//                the runtime's fixed syntax, independent of the locale.
// Blanks are spaces.

#include <cstdint>
#include <string>
#include <string_view>

#include <vantor/platform/rtl/currency.h>
#include <vantor/platform/rtl/format_settings.h>

namespace vantor {

enum class TFloatValue : std::uint8_t { fvExtended, fvCurrency };

std::string IntToStr(std::int64_t value);

[[nodiscard]] bool TryStrToInt(std::string_view text, std::int32_t& value);
// Raises EConvertError "'<text>' is not a valid integer value".
std::int32_t StrToInt(std::string_view text);
// The same syntax for the whole 64-bit range (decimal, or "$" and up to 16 hex digits).
[[nodiscard]] bool TryStrToInt64(std::string_view text, std::int64_t& value);
// Raises EConvertError "'<text>' is not a valid integer value".
std::int64_t StrToInt64(std::string_view text);

// The runtime's fixed-syntax real scan; false (value untouched) when the text is not
// a number or overflows long double.
bool ValReal(std::string_view text, long double& value);

// Reads a number in the locale's syntax. The Currency form rounds to four decimals
// (half away from zero) from the exact decimal digits and fails outside the currency range.
bool TextToFloat(std::string_view text, double& value, const FormatSettings& fs = CurrentFormat());
bool TextToFloat(std::string_view text, Currency& value, const FormatSettings& fs = CurrentFormat());
// Only whether the text reads in the given mode.
bool TextToFloat(std::string_view text, TFloatValue mode, const FormatSettings& fs = CurrentFormat());

// Raise EConvertError "'<text>' is not a valid floating point value".
double StrToFloat(std::string_view text);
Currency StrToCurr(std::string_view text);

// Shortest round-trip form with the locale's decimal separator; "1E20", "1.5E-7" in
// scientific form; "NAN", "INF", "-INF" for the values that have no number text.
std::string FloatToStr(double value, const FormatSettings& fs = CurrentFormat());
// Up to four decimals, no trailing zeros: "12.5", "-0.0001", "3".
std::string CurrToStr(Currency value, const FormatSettings& fs = CurrentFormat());

}  // namespace vantor
