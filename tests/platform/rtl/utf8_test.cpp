#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include <vantor/platform/rtl/utf8.h>

namespace vantor {
namespace {

TEST(Utf8, DecodesEverySequenceLengthAndEncodesItBack) {
  for (char32_t cp : {U'A', U'\u00e9', U'\u20ac', U'\U0001F600', U'\U0010FFFF'}) {
    std::string text;
    AppendUtf8(cp, text);
    const Utf8Unit u = DecodeUtf8At(text, 0);
    EXPECT_FALSE(u.invalid);
    EXPECT_EQ(u.cp, cp);
    EXPECT_EQ(u.len, text.size());
  }
}

TEST(Utf8, EncodedBytesOrderAsTheValuesUpTo21Bits) {
  // Values at the edges of every sequence length, and past Unicode where keys rank
  // stray bytes (0x110000 + byte) after every code point.
  const char32_t values[] = {0x0,    0x7F,    0x80,     0x7FF,    0x800,    0xFFFF,  0x10000,
                             0x10FFFF, 0x110000, 0x110080, 0x1100FF, 0x1FFFFF};
  std::string previous;
  for (char32_t cp : values) {
    std::string bytes;
    AppendUtf8(cp, bytes);
    EXPECT_LE(bytes.size(), 4u);
    if (cp > 0) {
      EXPECT_LT(previous, bytes) << std::hex << static_cast<std::uint32_t>(cp);
    }
    previous = bytes;
  }
  std::string stray;
  AppendUtf8(0x110000 + 0xC3, stray);
  EXPECT_EQ(stray, "\xF4\x90\x83\x83");
}

TEST(Utf8, ValidTextHasNoStrayByte) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("straße 日本 \xF0\x9F\x98\x80"));
  EXPECT_FALSE(IsValidUtf8("abc\xC3"));        // cut off at the end
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));       // overlong
  EXPECT_FALSE(IsValidUtf8("a\x80" "b"));       // a stray continuation byte
}

TEST(Utf8, Latin1TextsGoBothWaysAndCharactersAboveItBecomeQuestionMarks) {
  EXPECT_EQ(Latin1ToUtf8("Caf\xe9 \xff\x80"), "Café ÿ\u0080");
  std::string latin1;
  EXPECT_TRUE(Utf8ToLatin1("Café ÿ", latin1));
  EXPECT_EQ(latin1, "Caf\xe9 \xff");
  EXPECT_FALSE(Utf8ToLatin1("5 € \xF0\x9F\x98\x80!", latin1));
  EXPECT_EQ(latin1, "5 ? ?!");
  EXPECT_TRUE(Utf8ToLatin1("a\xC3", latin1)) << "a stray byte is the Latin-1 character of its value";
  EXPECT_EQ(latin1, "a\xC3");
}

TEST(Utf8, MalformedSequencesAreOneInvalidByte) {
  const std::string cases[] = {
      "\xC0\xAF",          // overlong '/'
      "\xE0\x80\xAF",      // overlong in three bytes
      "\xED\xA0\x80",      // a surrogate
      "\xF4\x90\x80\x80",  // beyond U+10FFFF
      "\xE2\x82",          // cut off at the end
      "\xE2" "A\xAC",      // a continuation byte missing
      "\x80",              // a stray continuation byte
  };
  for (const std::string& text : cases) {
    const Utf8Unit u = DecodeUtf8At(text, 0);
    EXPECT_TRUE(u.invalid) << text;
    EXPECT_EQ(u.len, 1u);
    EXPECT_EQ(u.cp, static_cast<unsigned char>(text[0]));
  }
}

TEST(Utf8, DecodesFromAPositionInsideAText) {
  const std::string text = "a\xC3\xA9z";
  EXPECT_EQ(DecodeUtf8At(text, 1).cp, U'\u00e9');
  EXPECT_EQ(DecodeUtf8At(text, 1).len, 2u);
  EXPECT_EQ(DecodeUtf8At(text, 3).cp, U'z');
}

TEST(Utf8, Utf16UnitsBecomeUtf8AndSurrogatesPairUp) {
  std::string out;
  Utf16ToUtf8 units(out);
  for (char32_t u : {0x41u, 0xFCu, 0x414u, 0xD83Cu, 0xDFB2u, 0xFFFFu}) EXPECT_TRUE(units.Append(u));
  EXPECT_FALSE(units.Pending());
  EXPECT_EQ(out, "A\u00fc\u0414\U0001F3B2\uFFFF");
  EXPECT_EQ(CombineSurrogates(0xDBFF, 0xDFFF), U'\U0010FFFF');

  // A surrogate out of place has no UTF-8 form and leaves the text as it was.
  std::string bad;
  Utf16ToUtf8 lone(bad);
  EXPECT_FALSE(lone.Append(0xDC00));
  EXPECT_TRUE(lone.Append(0xD800));
  EXPECT_TRUE(lone.Pending());
  EXPECT_FALSE(lone.Append(0x41));
  EXPECT_FALSE(lone.Append(0x10000));
  EXPECT_EQ(bad, "");
}


TEST(Utf8, CharacterBoundariesNeverSplitASequence) {
  const std::string s = "a\xC3\xBC\xE6\x9D\xB1\xF0\x9F\x8E\xB2z";  // a ü 東 🎲 z
  // Every byte of a character leads back to that character's first byte.
  const std::size_t starts[] = {0, 1, 1, 3, 3, 3, 6, 6, 6, 6, 10};
  for (std::size_t i = 0; i < s.size(); ++i) EXPECT_EQ(Utf8CharStart(s, i), starts[i]) << i;
  EXPECT_EQ(Utf8CharStart(s, s.size()), s.size());
  // A stray continuation byte is a character of its own, not part of the one before.
  const std::string stray = "ab\x80\x80\x80\x80";
  EXPECT_EQ(Utf8CharStart(stray, 5), 5u);
  EXPECT_EQ(Utf8CharStart("\xC3\xBC\x80", 2), 2u);

  EXPECT_EQ(Utf8Length(s), 5u);
  EXPECT_EQ(Utf8Head(s, 2), "a\xC3\xBC");
  EXPECT_EQ(Utf8Head(s, 0), "");
  EXPECT_EQ(Utf8Head(s, 99), s);
  EXPECT_EQ(Utf8Head("\xFF" "b", 1), "\xFF");  // an invalid byte counts as one character
}

TEST(Utf8, DisplayWidthCountsTerminalColumns) {
  EXPECT_EQ(Utf8DisplayWidth("Müller"), 6u);
  EXPECT_EQ(Utf8DisplayWidth("東京"), 4u);        // wide characters
  EXPECT_EQ(Utf8DisplayWidth("ｱｲ"), 2u);          // half-width katakana stay narrow
  EXPECT_EQ(Utf8DisplayWidth("e\xCC\x81"), 1u);  // e + combining acute
  EXPECT_EQ(Utf8DisplayWidth("한국어"), 6u);
  EXPECT_EQ(Utf8DisplayWidth("\xFF"), 1u);

  // Cutting by columns never splits a character nor exceeds the columns.
  EXPECT_EQ(Utf8HeadByWidth("東京都", 3), "東");
  EXPECT_EQ(Utf8HeadByWidth("東京都", 4), "東京");
  EXPECT_EQ(Utf8HeadByWidth("ab東", 3), "ab");
  EXPECT_EQ(Utf8HeadByWidth("e\xCC\x81x", 1), "e\xCC\x81");  // the mark stays with its letter
  EXPECT_EQ(Utf8HeadByWidth("abc", 0), "");
}

TEST(Utf8, SuccessorBoundsEveryTextThatBeginsWithIt) {
  std::string next;
  ASSERT_TRUE(Utf8Successor("ab", next));
  EXPECT_EQ(next, "ac");
  // Texts that begin with the bound sort below its successor, in byte order too.
  for (const char* t : {"ab", "ab\xF4\x8F\xBF\xBF", "abzzz", "a", "aa\xC3\xA9"}) EXPECT_LT(std::string(t), next) << t;
  for (const char* t : {"ac", "b", "ac\x01"}) EXPECT_GE(std::string(t), next) << t;
  // The next code point: across byte lengths, over the surrogates.
  ASSERT_TRUE(Utf8Successor("x\x7F", next));
  EXPECT_EQ(next, "x\xC2\x80");
  ASSERT_TRUE(Utf8Successor("\xED\x9F\xBF", next));  // U+D7FF
  EXPECT_EQ(next, "\xEE\x80\x80");                      // U+E000
  // A last character with no next one is dropped; nothing is above all texts.
  ASSERT_TRUE(Utf8Successor("a\xF4\x8F\xBF\xBF", next));
  EXPECT_EQ(next, "b");
  EXPECT_FALSE(Utf8Successor("\xF4\x8F\xBF\xBF", next));
  EXPECT_FALSE(Utf8Successor("", next));
}

}  // namespace
}  // namespace vantor
