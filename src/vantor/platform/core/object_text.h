#pragma once
// The readable text form of the form stream and its conversion both ways:
//     object Panel1: TDBFilterPanel
//       Left = 8
//       Caption = 'it''s'#13#10'Prüfung'
//       Font.Style = [fsBold]
//       Fields = <
//         item
//           FieldName = 'CustNo'
//         end>
//       Values = {0A0B}
//     end
// Converting binary to text and back gives the same bytes for every stream the writer
// produces (and for any stream whose integers and strings use their shortest forms).
//
// The text is UTF-8; a byte order mark in front is skipped. Identifiers (names of classes,
// components, properties, handlers) are letters of any script, digits and underscores.
//
// Strings are quoted runs of UTF-8 text joined with character codes and raw bytes:
//   #nnn, #$hhhh  a character code: a UTF-16 code unit (0..65535). #252 is "ü" and #1044 is
//                 "Д"; a character above U+FFFF is a surrogate pair, #55356#57266 for one.
//                 Strings are held as UTF-8, so each code becomes the character's UTF-8 bytes.
//   %XX           one raw byte (two hex digits), for the bytes of a string that are not
//                 valid UTF-8: a stream may hold such strings, and '%FF' comes back as the
//                 byte 0xFF, where #255 is the character "ÿ" (bytes C3 BF).
// The writer puts printable characters in quotes, control characters (C0 and C1) as #nnn
// and stray bytes as %XX.
//
// Numbers are integers (decimal or $hex) and reals. Other tools mark currency, single and
// date values with a letter; the stream keeps all three as its extended real:
//   12345c  a currency value counted in ten-thousandths (1.2345), taken when it is a whole
//           count within the currency range that the real keeps exactly to four decimals;
//   1.5s    a single: the nearest single, which the real holds exactly;
//   2d      a date (days since 1899-12-30): the nearest double, held exactly.
// Anything else is an error naming the value and its line.

#include <vantor/platform/core/stream.h>
#include <vantor/platform/rtl/exceptions.h>

namespace vantor {

// A syntax error in the text form; the message names what was met, and ends with
// " on line N" for the line it is on.
class EParserError : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EParserError"; }
};

// Reads a binary form stream ("TPF0" ...) from `input`'s position and writes its text form.
// EReadError for damaged binary input.
void ObjectBinaryToText(TStream& input, TStream& output);
// Reads the text form from `input`'s position and writes the binary form stream.
// EParserError for text that does not follow the syntax.
void ObjectTextToBinary(TStream& input, TStream& output);

}  // namespace vantor
