#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <vantor/platform/core/component.h>
#include <vantor/platform/core/extended.h>
#include <vantor/platform/core/object_text.h>
#include <vantor/platform/core/reader.h>
#include <vantor/platform/core/stream.h>
#include <vantor/platform/core/writer.h>
#include "stream_fixtures.h"
#include "support/form_stream.h"

namespace vantor {
namespace {

using testing::TTestBox;
using testing::TTestForm;
using Bytes = std::vector<std::uint8_t>;
using testing_support::FormBytes;
using testing_support::FormText;

// The message of the parser error that `text` raises ("" when it converts).
std::string ParseError(const std::string& text) {
  try {
    FormBytes(text);
  } catch (const EParserError& e) {
    return e.Message();
  }
  return "";
}

// A stream whose root has one string property "S" holding `value`, as a writer puts it.
Bytes StringStream(const std::string& value) {
  TMemoryStream s;
  TWriter w(s);
  w.WriteSignature();
  w.WriteStr("TTestForm");
  w.WriteStr("F");
  w.WriteStr("S");
  w.WriteString(value);
  w.WriteListEnd();
  w.WriteListEnd();
  return s.Bytes();
}

// The string value of the first property "S" of a one-object text.
std::string StringOf(const std::string& text) {
  TMemoryStream in(FormBytes("object F: TTestForm\n  S = " + text + "\nend\n"));
  TReader r(in);
  r.ReadSignature();
  r.ReadStr();
  r.ReadStr();
  EXPECT_EQ(r.ReadStr(), "S");
  return r.ReadString();
}

// The extended real that a one-property text holds as "V".
double RealOf(const std::string& literal) {
  TMemoryStream in(FormBytes("object F: TTestForm\n  V = " + literal + "\nend\n"));
  TReader r(in);
  r.ReadSignature();
  r.ReadStr();
  r.ReadStr();
  r.ReadStr();
  return *DecodeExtended(r.ReadExtended());
}

// ---- strings ----

TEST(TextFormStrings, CharacterCodesAreUtf16UnitsStoredAsUtf8) {
  EXPECT_EQ(StringOf("#1042#1080#1078"), "Виж");
  EXPECT_EQ(StringOf("#$0414'a'#$4E2D"), "Дa中");
  EXPECT_EQ(StringOf("'Pr'#252'fungs'"), "Prüfungs");
  EXPECT_EQ(StringOf("#255"), "\xC3\xBF");
  EXPECT_EQ(StringOf("#13#10#0"), std::string("\r\n\0", 3));
  // A surrogate pair is one character, also when a line break splits it.
  EXPECT_EQ(StringOf("#55356#57266"), "\xF0\x9F\x8E\xB2");
  EXPECT_EQ(StringOf("'a'#55357 +\n    #56594'b'"), "a\xF0\x9F\x94\x92" "b");
}

TEST(TextFormStrings, CodesWithoutACharacterAreRefusedAndNamed) {
  auto error = [](const std::string& value) { return ParseError("object F: TTestForm\n  S = " + value + "\nend\n"); };
  EXPECT_EQ(error("#65536"), "Invalid character code #65536: a number from 0 to 65535 expected on line 2");
  EXPECT_EQ(error("'a'#"), "Invalid character code #: a number from 0 to 65535 expected on line 2");
  EXPECT_EQ(error("#$"), "Invalid character code #$: a number from 0 to 65535 expected on line 2");
  EXPECT_EQ(error("#$1F600"), "Invalid character code #$1F600: a number from 0 to 65535 expected on line 2");
  EXPECT_EQ(error("'a' +\n    #55357#55357#56594"), "Character code #55357 is half of a surrogate pair without its other half on line 3");
  EXPECT_EQ(error("#55356'x'"), "Character code #55356 is half of a surrogate pair without its other half on line 2");
  EXPECT_EQ(error("#55356"), "Character code #55356 is half of a surrogate pair without its other half on line 2");
  EXPECT_EQ(error("#57266#55356"), "Character code #57266 is half of a surrogate pair without its other half on line 2");
  EXPECT_EQ(error("#55356#65"), "Character code #55356 is half of a surrogate pair without its other half on line 2");
  EXPECT_EQ(error("'a'%F"), "Two hexadecimal digits expected after % on line 2");
}

TEST(TextFormStrings, RawBytesReadAsTheyAreAndAreNoCharacterCodes) {
  EXPECT_EQ(StringOf("%FF"), "\xFF");
  EXPECT_EQ(StringOf("'a'%80%fe#255"), "a\x80\xFE\xC3\xBF");
  EXPECT_EQ(StringOf("%C3%A9"), "\xC3\xA9");  // bytes that happen to form a character
}

TEST(TextFormStrings, StringsThatAreNotValidUtf8RoundTripByteForByte) {
  const std::string cases[] = {
      "\xFF",                          // a byte that never occurs in UTF-8
      "abc\x80" "def",                 // a stray continuation byte
      "\xC3",                          // a sequence cut off at the end
      "\xE2\x82z",                     // a sequence cut off in the middle
      "\xC0\xAF",                      // an overlong form
      "\xED\xA0\x80",                  // a surrogate in UTF-8
      "\xF4\x90\x80\x80",              // beyond U+10FFFF
      "Pr\xFC" "fung \xC3\xBC",        // a Latin-1 byte beside the same letter in UTF-8
      "it's\x01\xC2\x85\x7F\xFE''",    // quotes, C0 and C1 controls, DEL, a stray byte
      std::string(100, 'a') + "\xFF" + std::string(100, '\xFE') + "\xC3\xA9",  // across line breaks
  };
  for (const std::string& value : cases) {
    const Bytes binary = StringStream(value);
    const std::string text = FormText(binary);
    EXPECT_EQ(FormBytes(text), binary) << text;
  }
  EXPECT_EQ(FormText(StringStream("Pr\xFC" "f \xC3\xBC")), "object F: TTestForm\n  S = 'Pr'%FC'f \xC3\xBC'\nend\n");
  EXPECT_EQ(FormText(StringStream("a\xC2\x85\xFF" "b")), "object F: TTestForm\n  S = 'a'#133%FF'b'\nend\n");
}

TEST(TextFormStrings, StringsAroundEachLineLengthRoundTripByteForByte) {
  // Lengths on both sides of each break, and at each break a character of another kind:
  // a quote, a control code, a byte of no character, a two-byte and a four-byte letter.
  const std::string ends[] = {"", "'", "\x01", "\xFF", "\xC3\xA9", "\xF0\x9F\x98\x80", "''"};
  for (std::size_t length : {63u, 64u, 65u, 127u, 128u, 129u, 192u}) {
    for (const std::string& end : ends) {
      for (std::size_t at : {length - 1, length, length + 1}) {
        std::string value(length, 'x');
        value.insert(std::min(at, value.size()), end);
        const Bytes binary = StringStream(value);
        const std::string text = FormText(binary);
        EXPECT_EQ(FormBytes(text), binary) << value.size() << " bytes:\n" << text;
      }
    }
  }
}

TEST(TextFormBinary, ValuesAroundEachLineLengthRoundTripByteForByte) {
  for (std::size_t length : {0u, 1u, 31u, 32u, 33u, 63u, 64u, 65u, 96u}) {
    Bytes value(length);
    for (std::size_t i = 0; i < length; ++i) value[i] = static_cast<std::uint8_t>(i * 37 + 5);
    TMemoryStream s;
    TWriter w(s);
    w.WriteSignature();
    w.WriteStr("TTestForm");
    w.WriteStr("F");
    w.WriteStr("B");
    w.WriteBinary(value);
    w.WriteListEnd();
    w.WriteListEnd();
    const std::string text = FormText(s.Bytes());
    EXPECT_EQ(FormBytes(text), s.Bytes()) << length << " bytes:\n" << text;
  }
}

// ---- the text around the values ----

TEST(TextFormSyntax, ByteOrderMarkIsSkippedOnlyAtTheStart) {
  EXPECT_EQ(FormBytes("\xEF\xBB\xBFobject F: TTestForm\nend\n"), FormBytes("object F: TTestForm\nend\n"));
  EXPECT_EQ(ParseError("object F: TTestForm\n\xEF\xBB\xBF  Count = 1\nend\n"),
            "Property name expected but the character U+FEFF found on line 2");
}

TEST(TextFormSyntax, IdentifiersOfEveryScriptReadAndWriteBack) {
  testing::RegisterTestClasses();
  const std::string text =
      "object Форма: TTestForm\n"
      "  object Доб: TTestBox\n"
      "    Caption = 'Добавить'\n"
      "    OnPing = ДобPing\n"
      "  end\n"
      "  object Manutenção: TTestBox\n"
      "  end\n"
      "end\n";
  const Bytes binary = FormBytes(text);
  EXPECT_EQ(FormText(binary), text);
  TTestForm form(nullptr);
  std::vector<TComponent*> pinged;
  form.RegisterMethod("ДобPing", TTestBox::TPingEvent::Handler([&](TComponent* c) { pinged.push_back(c); }));
  testing_support::ReadForm(binary, form);
  EXPECT_EQ(form.Name(), "Форма");
  auto* button = dynamic_cast<TTestBox*>(form.FindComponent("Доб"));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->Caption(), "Добавить");
  button->OnPing(button);
  EXPECT_EQ(pinged, std::vector<TComponent*>{button});
  EXPECT_NE(form.FindComponent("Manutenção"), nullptr);
}

TEST(TextFormSyntax, ComponentNamesAcceptLettersOfAnyScript) {
  for (const char* name : {"Доб", "_x1", "Manutenção", "名前2", "Ελλάδα", "СhangeButton", "x٣"}) {
    EXPECT_TRUE(IsValidIdent(name)) << name;
  }
  for (const char* name : {"", "1a", "a b", "a-b", "a.b", "Доб!", "a\xFF", "\xD0", "a\u00A0"}) {
    EXPECT_FALSE(IsValidIdent(name)) << name;
  }
  TComponent owner(nullptr);
  auto* c = new TComponent(&owner);
  c->SetName("Кнопка1");
  EXPECT_EQ(owner.FindComponent("Кнопка1"), c);
  EXPECT_THROW(c->SetName("Кнопка 1"), EComponentError);
  EXPECT_EQ(c->Name(), "Кнопка1");
}

TEST(TextFormSyntax, MarkedNumbersReadIntoTheExtendedRealWhenExact) {
  EXPECT_EQ(RealOf("0c"), 0.0);
  EXPECT_EQ(RealOf("12345c"), 1.2345);
  EXPECT_EQ(RealOf("-50000C"), -5.0);
  EXPECT_EQ(RealOf("1.2345E4c"), 1.2345);
  EXPECT_EQ(RealOf("250.000c"), 0.025);
  EXPECT_EQ(RealOf("-0c"), 0.0);
  EXPECT_EQ(RealOf("4503599627370495c"), 450359962737.0495);  // the largest count a double keeps to four decimals
  EXPECT_EQ(RealOf("1.5s"), 1.5);
  EXPECT_EQ(RealOf("0.1s"), static_cast<double>(0.1f));
  EXPECT_EQ(RealOf("2d"), 2.0);
  EXPECT_EQ(RealOf("45000.75D"), 45000.75);
  EXPECT_EQ(RealOf("1E3"), 1000.0);
  // Integers wider than the stream's 32-bit tags, which a double holds.
  EXPECT_EQ(RealOf("99999999999"), 99999999999.0);
  EXPECT_EQ(RealOf("-9223372036854775808"), -0x1p63);
  EXPECT_EQ(RealOf("9007199254740992"), 0x1p53);

  auto error = [](const std::string& value) { return ParseError("object F: TTestForm\n  V = " + value + "\n  W = 1\nend\n"); };
  EXPECT_EQ(error("1.5c"), "Currency value 1.5c is not a whole number of ten-thousandths within the currency range on line 2");
  EXPECT_EQ(error("1E19c"), "Currency value 1E19c is not a whole number of ten-thousandths within the currency range on line 2");
  EXPECT_EQ(error("12345.00000000000000001c"),
            "Currency value 12345.00000000000000001c is not a whole number of ten-thousandths within the currency range on line 2");
  EXPECT_EQ(error("922337203685477580c"),
            "Currency value 922337203685477580c is not a whole number of ten-thousandths within the currency range on line 2");
  EXPECT_EQ(error("1E39s"), "Single value 1E39s is out of range on line 2");
  EXPECT_EQ(error("1E400d"), "Date value 1E400d is out of range on line 2");
  EXPECT_EQ(error("12px"), "Invalid number 12px on line 2");
  EXPECT_EQ(error("0x1F"), "Invalid number 0x1F on line 2");
  EXPECT_EQ(error("$1Fg"), "Invalid number $1Fg on line 2");
}

TEST(TextFormSyntax, ErrorsNameTheLineAndWhatWasFoundThere) {
  EXPECT_EQ(ParseError("object F: TTestForm\n  Caption 'x'\nend\n"), "'=' expected but a string found on line 2");
  EXPECT_EQ(ParseError("object F: TTestForm\n  Count = 1\n  = 2\nend\n"), "Property name expected but '=' found on line 3");
  EXPECT_EQ(ParseError("object F: TTestForm\n  Count = )\nend\n"), "Property value expected but ')' found on line 2");
  EXPECT_EQ(ParseError("object F: TTestForm\n  Count = 1\n"), "'end' expected but the end of the text found on line 3");
  EXPECT_EQ(ParseError("object F: TTestForm\n  Items = <\n    thing\n  >\nend\n"), "'item' expected but 'thing' found on line 3");
  EXPECT_EQ(ParseError("object F: 12\nend\n"), "Class name expected but the number 12 found on line 1");
  // A line cut short is named, not the line after it.
  EXPECT_EQ(ParseError("object F: TTestForm\n  Count\n  Caption = 'x'\nend\n"), "'=' expected after Count before the line ends on line 2");
  // Lines end with LF, CR LF or a lone CR.
  EXPECT_EQ(ParseError("object F: TTestForm\r  Count = 1\r\n  Count 2\rend\r"), "'=' expected but the number 2 found on line 3");
  // Inside a binary value, the line of the offending character.
  EXPECT_EQ(ParseError("object F: TTestForm\n  Blob = {\n    0A0B\n    0C0G}\nend\n"),
            "Hexadecimal digit of a binary value expected but 'G' found on line 4");
  EXPECT_EQ(ParseError("object F: TTestForm\n  Blob = {\n    0A0B\n"),
            "'}' expected but the end of the text found in binary value on line 4");
}

// ---- files written by other programs ----

#ifdef VANTOR_SHARED_TEST_DATA
const std::filesystem::path kTextForms = std::filesystem::path(VANTOR_SHARED_TEST_DATA) / "text-forms";
#else
const std::filesystem::path kTextForms;
#endif

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class TextFormFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    if (kTextForms.empty() || !std::filesystem::is_directory(kTextForms)) GTEST_SKIP() << "no folder " << kTextForms;
  }
  static Bytes Binary(const char* file) { return FormBytes(ReadFile(kTextForms / file)); }
};

// `property` followed by its value as the stream holds it.
Bytes Property(std::string_view name, TValueType tag, std::string_view value) {
  Bytes b{static_cast<std::uint8_t>(name.size())};
  b.insert(b.end(), name.begin(), name.end());
  b.push_back(static_cast<std::uint8_t>(tag));
  b.insert(b.end(), value.begin(), value.end());
  return b;
}
Bytes StringProperty(std::string_view name, std::string_view value) {
  return Property(name, vaString, std::string(1, static_cast<char>(value.size())) + std::string(value));
}
bool Holds(const Bytes& binary, const Bytes& part) {
  return std::search(binary.begin(), binary.end(), part.begin(), part.end()) != binary.end();
}

TEST_F(TextFormFiles, EveryFileButTheDamagedOneConvertsBothWaysWithEqualBinaries) {
  int loaded = 0;
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(kTextForms)) {
    if (entry.path().extension() == ".dfm") files.push_back(entry.path().filename().string());
  }
  std::sort(files.begin(), files.end());
  ASSERT_EQ(files.size(), 60u);
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    const std::string text = ReadFile(kTextForms / file);
    if (file == "040.dfm") {
      // Part of the file is lost: line 451 holds the tail of a property, "alse".
      EXPECT_EQ(ParseError(text), "'=' expected after alse before the line ends on line 451");
      continue;
    }
    try {
      const Bytes binary = FormBytes(text);
      EXPECT_EQ(FormBytes(FormText(binary)), binary);
      ++loaded;
    } catch (const Exception& e) {
      ADD_FAILURE() << e.Message();
    }
  }
  EXPECT_EQ(loaded, 59);
}

TEST_F(TextFormFiles, ValuesDecodeToTheCharactersAndBytesTheyStandFor) {
  // Cyrillic character codes.
  EXPECT_TRUE(Holds(Binary("009.dfm"), StringProperty("Caption", "Вижнер")));
  // A surrogate pair: one character beyond U+FFFF.
  EXPECT_TRUE(Holds(Binary("027.dfm"), StringProperty("Caption", "\xF0\x9F\x8E\xB2")));
  // Latin-1 codes beside codes above 255, and a non-ASCII component name of a UTF-8 file.
  EXPECT_TRUE(Holds(Binary("003.dfm"), StringProperty("Caption", "İşlem Tür\xC3\xBC")));
  EXPECT_TRUE(Holds(Binary("045.dfm"), Property("OnClick", vaIdent, "\x0B\xD0\x94\xD0\xBE\xD0\xB1" "Click")));
  // A string continued over four lines is one value.
  EXPECT_TRUE(Holds(Binary("017.dfm"),
                    StringProperty("Filter",
                                   "All (*.png;*.gif;*.jpg;*.jpeg;*.bmp)|*.png;*.gif;*.jpg;*.jpeg;*.bmp|Portable network "
                                 "graphics (*.png)|*.png|GIF Image (*.gif)|*.gif|JPEG Image File (*.jpg)|*.jpg|JPEG Image "
                                 "File (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp")));
  // A binary block over many lines: its length, then the bytes, first and last.
  const Bytes glyph = Binary("002.dfm");
  const Bytes head = Property("Glyph.Data", vaBinary, std::string("\x7A\x01\0\0\x76\x01\0\0BM", 10));
  const auto at = std::search(glyph.begin(), glyph.end(), head.begin(), head.end());
  ASSERT_NE(at, glyph.end());
  const auto data = at + 1 + 10 + 1 + 4;
  EXPECT_EQ(Bytes(data + 0x17A - 4, data + 0x17A), (Bytes{0x33, 0x33, 0x33, 0x33}));
  EXPECT_EQ(*(data + 0x17A), 9);  // the next property's name length: "NumGlyphs"
}

}  // namespace
}  // namespace vantor
