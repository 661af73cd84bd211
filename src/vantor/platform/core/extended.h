#pragma once
// The form stream's floating-point values: 10-byte 80-bit IEEE extended reals, little-endian
// (64-bit mantissa with an explicit integer bit, 15-bit exponent, sign). Encoded and
// decoded bit by bit, so the result is the same on every machine and compiler.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantor {

using Extended80 = std::array<std::uint8_t, 10>;

// Exact: every double is an extended value.
Extended80 EncodeExtended(double value);
// Rounds to the nearest double (ties to even; overflow gives an infinity, underflow zero).
// Empty for encodings that are no number at all (unnormals, pseudo-infinities).
std::optional<double> DecodeExtended(const Extended80& bytes);
// True when the value is exactly a double (so nothing is lost by decoding it).
bool ExtendedIsDouble(const Extended80& bytes);

// A currency value (scaled by 10000) as the extended real nearest to it (ties to even),
// as the host's floating-point unit converts one. The 64-bit mantissa tells every
// currency value from its neighbours, so ExtendedToCurrency gives it back exactly.
Extended80 CurrencyToExtended(std::int64_t scaled);
// The currency value nearest to an extended real (scaled by 10000, ties to even). Empty
// when it lies outside the currency range or the encoding is no finite number.
std::optional<std::int64_t> ExtendedToCurrency(const Extended80& bytes);

// Text as the form text shows floats: fixed with 18 decimals ("1.500000000000000000") when
// that is exact for the value, else the shortest scientific form ("1E-20"). A value that is
// not exactly a double is written with 21 significant digits in scientific form, which
// reads back to the same bits. Empty for infinities, NaNs and invalid encodings.
std::optional<std::string> ExtendedToText(const Extended80& bytes);
// The inverse of ExtendedToText: a decimal number, optionally signed, with a fraction and/or
// an exponent. Fixed forms and short scientific forms are read as doubles; scientific forms
// with 20 or more mantissa digits as full extended values. Empty when the text is no number.
std::optional<Extended80> TextToExtended(std::string_view text);

}  // namespace vantor
