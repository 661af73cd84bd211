#pragma once
// The readable text form of the form stream and its conversion both ways:
//     object Panel1: TDBFilterPanel
//       Left = 8
//       Caption = 'it''s'#13#10
//       Font.Style = [fsBold]
//       Fields = <
//         item
//           FieldName = 'CustNo'
//         end>
//       Values = {0A0B}
//     end
// Converting binary to text and back gives the same bytes for every stream the writer
// produces (and for any stream whose integers and strings use their shortest forms).

#include "platform/core/stream.h"
#include "platform/rtl/exceptions.h"

namespace vantor {

// A syntax error in the text form; the message ends with " on line N".
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
