#include <vantor/platform/rtl/ansi_strings.h>

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(AnsiStrings, CaseMappingOfNonAsciiText) {
  EXPECT_EQ(AnsiUpperCase("straße"), "STRAßE");  // no one-letter upper case of ß
  EXPECT_EQ(AnsiLowerCase("ÄÖÜ"), "äöü");
  EXPECT_EQ(AnsiUpperCase("äöü abc"), "ÄÖÜ ABC");
  EXPECT_EQ(AnsiUpperCase("ελληνικά"), "ΕΛΛΗΝΙΚΆ");
  EXPECT_EQ(AnsiLowerCase("ПРИВЕТ"), "привет");
  EXPECT_EQ(AnsiUpperCase("日本 x"), "日本 X");
  EXPECT_EQ(AnsiUpperCase(""), "");
}

TEST(AnsiStrings, InvalidBytesPassThrough) {
  const std::string bad = "a\xff" "b\xc3" "c\xe2\x82";
  EXPECT_EQ(AnsiUpperCase(bad), "A\xff" "B\xc3" "C\xe2\x82");
  EXPECT_EQ(AnsiUpperCase("\xc0\xaf"), "\xc0\xaf");  // overlong form stays bytes
  EXPECT_EQ(AnsiCompareText("a\xff", "A\xff"), 0);
  EXPECT_GT(AnsiCompareText("\xff", "\xf0\x9f\x98\x80"), 0);  // stray bytes after every code point
}

TEST(AnsiStrings, UpperCaseIntoAKeptBufferReplacesItsContents) {
  std::string buffer = "left over from before";
  for (const char* text : {"straße", "a\xff" "b", "", "Ärger"}) {
    AnsiUpperCaseInto(text, buffer);
    EXPECT_EQ(buffer, AnsiUpperCase(text)) << text;
  }
}

TEST(AnsiStrings, Comparisons) {
  EXPECT_EQ(AnsiCompareText("Straße", "STRAßE"), 0);
  EXPECT_EQ(AnsiCompareText("äbc", "ÄBC"), 0);
  EXPECT_LT(AnsiCompareText("abc", "ABD"), 0);
  EXPECT_GT(AnsiCompareText("b", "A"), 0);
  EXPECT_LT(AnsiCompareText("ab", "ABC"), 0);
  EXPECT_EQ(AnsiCompareText("ΣΑΣ", "σας"), 0);  // final sigma folds with sigma
  EXPECT_LT(AnsiCompareStr("B", "a"), 0);        // byte order
  EXPECT_GT(AnsiCompareStr("ä", "z"), 0);
  EXPECT_EQ(AnsiCompareStr("x", "x"), 0);
  EXPECT_TRUE(AnsiSameText("Über", "üBER"));
  EXPECT_TRUE(AnsiStartsText("STR", "straße"));
  EXPECT_FALSE(AnsiStartsText("straßex", "straße"));
  EXPECT_TRUE(AnsiContainsText("ASS", "strasse"));
  EXPECT_TRUE(AnsiContainsText("ÖL", "Heizöl"));
  EXPECT_TRUE(AnsiContainsText("", "x"));
  EXPECT_FALSE(AnsiContainsText("y", "x"));
}

TEST(AnsiStrings, MatchTextAt) {
  EXPECT_EQ(MatchTextAt("10 pm", 3, "PM"), 2u);
  EXPECT_EQ(MatchTextAt("10 上午", 3, "上午"), 6u);
  EXPECT_EQ(MatchTextAt("10 p", 3, "PM"), std::string_view::npos);
  EXPECT_EQ(MatchTextAt("x", 1, ""), 0u);
}

TEST(AnsiStrings, TrimmingRemovesBlanksAndControlCharacters) {
  EXPECT_EQ(TrimRight("ab \t\r\n\x01 "), "ab");
  EXPECT_EQ(TrimRight(" a b "), " a b");
  EXPECT_EQ(TrimRight(" \t"), "");
  EXPECT_EQ(TrimRight("ä\xa0"), "ä\xa0");  // bytes above 32 stay
  EXPECT_EQ(TrimLeft("\t a "), "a ");
  EXPECT_EQ(Trim("  x y  "), "x y");
  EXPECT_EQ(TrimRightView("abc  ").size(), 3u);
}

TEST(AnsiStrings, LettersAndDigitsOfEveryScript) {
  for (char32_t c : {U'a', U'Z', U'\u00e7', U'\u0414', U'\u03bb', U'\u4e2d', U'\u0627', U'\uac00'}) {
    EXPECT_TRUE(IsLetterChar(c)) << static_cast<unsigned>(c);
    EXPECT_TRUE(IsLetterOrDigitChar(c)) << static_cast<unsigned>(c);
  }
  for (char32_t c : {U'0', U'_', U' ', U'-', U'\u00a0', U'\u2014', U'\U0001F3B2', char32_t{0x110000}}) {
    EXPECT_FALSE(IsLetterChar(c)) << static_cast<unsigned>(c);
  }
  EXPECT_TRUE(IsLetterOrDigitChar(U'7'));
  EXPECT_FALSE(IsLetterOrDigitChar(U'_'));
  EXPECT_FALSE(IsLetterOrDigitChar(U'\u2014'));
}

TEST(AnsiStrings, SharesCapitalTellsCharactersWithCaseVariants) {
  // i and I, and ı and İ, all meet at I or İ; s, S and long s ſ at S; final sigma at Σ.
  for (char32_t c : {U'i', U'I', U'ı', U's', U'ſ', U'ς', U'σ', U'Σ', U'ǅ', U'é'}) EXPECT_TRUE(SharesCapital(c)) << static_cast<int>(c);
  // Digits, signs and letters without a case of their own stand alone.
  for (char32_t c : {U'0', U'%', U'_', U' ', U'中', U'א'}) EXPECT_FALSE(SharesCapital(c)) << static_cast<int>(c);
}

}  // namespace
}  // namespace vantor
