#include <gtest/gtest.h>

#include <string>

#include "platform/rtl/utf8.h"

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

}  // namespace
}  // namespace vantor
