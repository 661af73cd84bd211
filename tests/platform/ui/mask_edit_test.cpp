#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/custom_panel.h"
#include "platform/ui/mask_edit.h"

namespace vantor {
namespace {

struct TypedCase {
  const char* mask;
  const char* typed;
  const char* edit_text;
  const char* text;
  int beeps;
};

class MaskEditTest : public ::testing::Test {
 protected:
  MaskEditTest() {
    edit->SetParent(&root);
    other->SetParent(&root);
    ClearBeepLog();
  }
  TPanel root{nullptr};
  TMaskEdit* edit = new TMaskEdit(&root);
  TMaskEdit* other = new TMaskEdit(&root);
};

TEST_F(MaskEditTest, TypedInputFollowsTheMask) {
  const std::vector<TypedCase> cases = {
      {"!99/99/00;1;_", "120598", "12/05/98", "12/05/98", 0},
      {"(999)000-0000;0;_", "5551234567", "(555)123-4567", "5551234567", 0},
      {"000;1;*", "12", "12*", "12 ", 0},                 // blank character, literals saved
      {"000;0;_", "12", "12_", "12", 0},                   // trailing empty places dropped
      {">LL<ll;0;_", "abCD", "ABcd", "ABcd", 0},           // case conversion
      {">L<>l;0;_", "aB", "AB", "AB", 0},                  // <> ends the conversion
      {"LL", "a1b", "ab", "ab", 1},                        // a digit is no letter
      {"ll;0;_", "1\xC3\xA9", "\xC3\xA9_", "\xC3\xA9", 1},  // é is a letter
      {"AAA", "a1!", "a1_", "a1 ", 1},                     // letters or digits only
      {"CC", "!?", "!?", "!?", 0},                         // any character
      {"cc;0", "x", "x_", "x", 0},
      {"##;0;_", "-5", "-5", "-5", 0},                     // digit or sign
      {"##;0;_", "a", "__", "", 1},
      {"\\A0;1;_", "7", "A7", "A7", 0},                    // escaped literal
      {"_00;1;*", "45", " 45", " 45", 0},                  // literal blank
      {"00:00;1;_", "1230", "12:30", "12:30", 0},          // time separator
      {"99/99;1;_", "1/2", "1_/2_", "1 /2 ", 0},           // a typed literal jumps past it
      {"!999;0;_", "12", "12_", "12 ", 0},                 // '!' keeps leading empties only
      {"000", "12345", "123", "123", 2},                   // no place left
  };
  for (const TypedCase& c : cases) {
    SCOPED_TRACE(std::string(c.mask) + " <- " + c.typed);
    edit->SetEditMask("");
    edit->SetText("");
    edit->SetEditMask(c.mask);
    ClearBeepLog();
    TypeText(edit, c.typed);
    EXPECT_EQ(edit->EditText(), c.edit_text);
    EXPECT_EQ(edit->Text(), c.text);
    EXPECT_EQ(static_cast<int>(BeepLog().size()), c.beeps);
  }
}

TEST(FormatMaskText, FormatsValuesWithBlanksAsSpaces) {
  EXPECT_EQ(FormatMaskText("!99/99/00;1;_", ""), "  /  /  ");
  EXPECT_EQ(FormatMaskText("(999)000-0000;0;_", "5551234567"), "(555)123-4567");
  EXPECT_EQ(FormatMaskText("(999)000-0000;1;_", "(555)123-4567"), "(555)123-4567");
  EXPECT_EQ(FormatMaskText("000;1;_", "1"), "1  ");
  EXPECT_EQ(FormatMaskText("!999;0;_", "5"), "  5");
  EXPECT_EQ(FormatMaskText("", "abc"), "");
  EXPECT_TRUE(MaskGetMaskSave("00;1"));
  EXPECT_TRUE(MaskGetMaskSave("00"));
  EXPECT_FALSE(MaskGetMaskSave("00;0;*"));
  EXPECT_EQ(MaskGetMaskBlank("00;0;*"), U'*');
  EXPECT_EQ(MaskGetMaskBlank("00"), U'_');
}

TEST_F(MaskEditTest, TextAndEditTextWhenSetByTheProgram) {
  edit->SetEditMask("000;1;*");
  edit->SetText("1");
  EXPECT_EQ(edit->EditText(), "1**");
  EXPECT_EQ(edit->Text(), "1  ");
  EXPECT_FALSE(edit->Modified());
  edit->SetEditMask("!99/99/00;1;_");
  edit->SetText("12/05/98");
  EXPECT_EQ(edit->EditText(), "12/05/98");
  edit->SetText("120598");  // the literals may be left out
  EXPECT_EQ(edit->EditText(), "12/05/98");
  edit->SetEditText("3 /4 /5 ");
  EXPECT_EQ(edit->EditText(), "3_/4_/5_");
  EXPECT_EQ(edit->Text(), "3 /4 /5 ");
  EXPECT_TRUE(edit->IsMasked());
  EXPECT_EQ(edit->MaxLength(), 8);
  // A new mask shows the same value.
  edit->SetEditMask("999;0;_");
  edit->SetText("42");
  edit->SetEditMask("(999);0;_");
  EXPECT_EQ(edit->EditText(), "(42_)");
  EXPECT_EQ(edit->Text(), "42");
  edit->SetEditMask("");
  EXPECT_FALSE(edit->IsMasked());
  EXPECT_EQ(edit->Text(), "42");
}

TEST_F(MaskEditTest, EditingKeysMoveOverLiteralsAndEmptyPlaces) {
  edit->SetEditMask("00/00;1;_");
  edit->SetFocus();
  TypeText(edit, "12");
  EXPECT_EQ(edit->SelStart(), 3);  // the caret skipped the literal
  SendKey(edit, VK_BACK);
  EXPECT_EQ(edit->EditText(), "1_/__");
  EXPECT_EQ(edit->SelStart(), 1);
  TypeText(edit, "934");
  EXPECT_EQ(edit->EditText(), "19/34");
  SendKey(edit, VK_HOME);
  SendKey(edit, VK_RIGHT);
  SendKey(edit, VK_RIGHT);  // over the literal
  EXPECT_EQ(edit->SelStart(), 3);
  SendKey(edit, VK_DELETE);
  EXPECT_EQ(edit->EditText(), "19/_4");
  SendKey(edit, VK_LEFT);
  EXPECT_EQ(edit->SelStart(), 1);
  SendKey(edit, VK_RETURN);
  EXPECT_EQ(edit->EditText(), "19/_4");  // Enter changes nothing
}

TEST_F(MaskEditTest, OnKeyPressSeesTheKeyBeforeTheMask) {
  edit->SetEditMask("LLL;0;_");
  edit->OnKeyPress = [](TObject*, char32_t& key) {
    if (key == U'1') key = U'x';  // turned into a letter the mask takes
    if (key == U'q') key = 0;     // cancelled
  };
  edit->SetFocus();
  TypeText(edit, "1qa");
  EXPECT_EQ(edit->EditText(), "xa_");
  EXPECT_TRUE(BeepLog().empty());
}

TEST_F(MaskEditTest, LeavingWithARequiredPlaceEmptyRaisesAndKeepsTheFocus) {
  edit->SetEditMask("000;1;_");
  edit->SetFocus();
  TypeText(edit, "12");
  std::vector<std::string> exits;
  edit->OnExit = [&](TObject*) { exits.push_back("exit"); };
  EXPECT_THROW(other->SetFocus(), EDBEditError);
  EXPECT_TRUE(edit->Focused());
  EXPECT_EQ(edit->SelStart(), 2);  // at the empty place
  EXPECT_EQ(BeepLog().size(), 1u);
  EXPECT_TRUE(exits.empty());
  int pos = -1;
  EXPECT_FALSE(edit->Validate(edit->EditText(), pos));
  EXPECT_EQ(pos, 2);
  TypeText(edit, "3");
  other->SetFocus();
  EXPECT_TRUE(other->Focused());
  EXPECT_EQ(exits.size(), 1u);
}

TEST_F(MaskEditTest, UnmodifiedOrOptionalInputLeavesQuietlyAndEscapeRestores) {
  edit->SetEditMask("000;1;_");
  edit->SetFocus();
  other->SetFocus();  // nothing typed: no validation
  EXPECT_TRUE(other->Focused());
  edit->SetEditMask("999;1;_");
  edit->SetFocus();
  TypeText(edit, "1");
  other->SetFocus();
  EXPECT_EQ(edit->Text(), "1  ");
  edit->SetFocus();
  TypeText(edit, "7");
  EXPECT_EQ(edit->EditText(), "7__");
  SendKey(edit, VK_ESCAPE);
  EXPECT_EQ(edit->EditText(), "1__");
}

}  // namespace
}  // namespace vantor
