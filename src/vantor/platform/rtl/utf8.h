#pragma once
// UTF-8 decoding and encoding, one code point at a time. Strings are UTF-8 throughout
// the library; a byte that does not start a valid sequence (a stray byte, an overlong
// form, a surrogate, a cut-off sequence) is reported as one invalid unit whose value is
// that byte, so callers can keep it, show it as a Latin-1 character or refuse it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantor {

// One decoded unit of a UTF-8 text: a code point, or one stray byte.
struct Utf8Unit {
  char32_t cp;      // the code point, or the stray byte when `invalid`
  std::size_t len;  // bytes taken: 1..4 (1 for an invalid unit)
  bool invalid;
};

// The unit starting at byte `i` of `s` (i < s.size()).
Utf8Unit DecodeUtf8At(std::string_view s, std::size_t i);
// Appends the UTF-8 form of `cp` (any value up to 0x10FFFF) to `out`. Values above it,
// up to 0x1FFFFF, take the four-byte pattern as well: no valid UTF-8, but the bytes still
// order as the values do, for keys that rank stray bytes (0x110000 + byte) after every
// code point and compare byte-wise.
void AppendUtf8(char32_t cp, std::string& out);

// Whole texts as code points and back, for the controls that edit and measure text
// character by character; an invalid unit becomes the Latin-1 character of its byte, so
// stray bytes stay visible and editable.
std::u32string DecodeUtf8(std::string_view text);
std::string EncodeUtf8(std::u32string_view text);
std::string EncodeUtf8(char32_t ch);
// Latin-1, the encoding of older programs' text, where each byte is the code point of its
// value. Going to Latin-1, a character above U+00FF becomes '?', and the result is false.
std::string Latin1ToUtf8(std::string_view latin1);
bool Utf8ToLatin1(std::string_view text, std::string& latin1);

// ---- character boundaries ----
// A byte that continues a sequence (10xxxxxx); every other byte starts a character.
constexpr bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
// The start of the character that byte `i` belongs to (i <= s.size(); s.size() stays).
std::size_t Utf8CharStart(std::string_view s, std::size_t i);
// Whether every unit of the text is a valid code point (no stray byte).
bool IsValidUtf8(std::string_view text);
// Number of characters (units as DecodeUtf8At reads them).
std::size_t Utf8Length(std::string_view text);
// The first `chars` characters of `s` (all of it when it has fewer).
std::string_view Utf8Head(std::string_view s, std::size_t chars);
// As many leading characters of `s` as `like` has: the part of a text that a prefix is
// compared with. Counting bytes instead would be wrong once case folds: a letter and its
// capital need not have as many bytes ("ı" has two bytes, "I" one).
inline std::string_view Utf8HeadLike(std::string_view s, std::string_view like) {
  return Utf8Head(s, Utf8Length(like));
}
// The least text above every text that begins with `s`, in code point order (= byte
// order): `s` with its last character replaced by the next code point (surrogates are no
// characters and are passed over), dropping trailing characters that have no next one.
// So t begins with s, or sorts below s, exactly when t < Utf8Successor(s). False when no
// text is above them all (s empty or made of U+10FFFF only). `s` must be valid UTF-8.
bool Utf8Successor(std::string_view s, std::string& out);
// Columns the text takes on a terminal: East Asian wide and full-width characters take
// two, combining marks and zero-width characters none, every other character one.
std::size_t Utf8DisplayWidth(std::string_view s);
// The longest head of `s` that takes at most `columns` columns.
std::string_view Utf8HeadByWidth(std::string_view s, std::size_t columns);

// UTF-16 code units, as text written by other programs spells characters (one unit for
// a character below U+10000, a high then a low surrogate for one above).
constexpr bool IsHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
constexpr bool IsLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
// The character a surrogate pair stands for.
constexpr char32_t CombineSurrogates(char32_t high, char32_t low) {
  return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

// Collects UTF-16 code units, one at a time, as UTF-8: a high surrogate waits for the low
// one that completes it. A surrogate without its partner has no UTF-8 form; `Append`
// returns false for it, and `Pending` tells whether a high one is still waiting.
class Utf16ToUtf8 {
 public:
  explicit Utf16ToUtf8(std::string& out) : out_(out) {}
  // Adds one unit (0..0xFFFF); false when it is a surrogate out of place.
  bool Append(char32_t unit);
  bool Pending() const { return high_ != 0; }

 private:
  std::string& out_;
  char32_t high_ = 0;
};

}  // namespace vantor
