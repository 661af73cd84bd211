#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <vantor/platform/ui/form.h>
#include <vantor/platform/ui/keyboard_input.h>
#include <vantor/platform/ui/mask_edit.h>

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
    root.Show();  // before the edits are on it: nothing has the focus yet
    edit->SetParent(&root);
    other->SetParent(&root);
    ClearBeepLog();
  }
  TForm root{nullptr};
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

TEST(FormatMaskText, FormatsValuesAsTheEditsTextHoldsThem) {
  EXPECT_EQ(FormatMaskText("!99/99/00;1;_", ""), "  /  /  ");
  EXPECT_EQ(FormatMaskText("(999)000-0000;1;_", "(555)123-4567"), "(555)123-4567");
  EXPECT_EQ(FormatMaskText("000;1;_", "1"), "1  ");
  // Without saved literals the text is the entered characters only.
  EXPECT_EQ(FormatMaskText("(999)000-0000;0;_", "5551234567"), "5551234567");
  EXPECT_EQ(FormatMaskText("000-000;0;_", ""), "");
  EXPECT_EQ(FormatMaskText("!999;0;_", "5"), "5");
  // A literal that looks like the blank character stays a literal.
  EXPECT_EQ(FormatMaskText("00-00;1;-", "12"), "12-  ");
  EXPECT_EQ(FormatMaskText("", "abc"), "abc");  // no mask: the text itself
  EXPECT_TRUE(MaskGetMaskSave("00;1"));
  EXPECT_TRUE(MaskGetMaskSave("00"));
  EXPECT_FALSE(MaskGetMaskSave("00;0;*"));
  EXPECT_EQ(MaskGetMaskBlank("00;0;*"), U'*');
  EXPECT_EQ(MaskGetMaskBlank("00"), U'_');
}

// Every form of mask: literals saved or not, the default or a custom blank character
// (one that looks like a literal or a space too), '!', literal blanks and escapes.
const char* const kMaskTable[] = {
    "000-000;0;_",   "000-000;1;_",  "000-000",        "000-000;0;*",     "000-000;1;*",
    "000-000;1;-",   "000-000;0;-",  "!999;0;_",       "!999;1;_",        "!99/99/00;1;_",
    "!99/99/00;0; ", "00:00;0;_",    "(999)000-0000;0;_", "(999)000-0000;1;#", "_00;1;*",
    "_00;0;*",       "\\A0;0;_",     ">LL<ll;0;_",     "ccc;1; ",         "AAA;0;0",
};

TEST_F(MaskEditTest, BlankTextAgreesWithTheTextOfAnEmptyEditForEveryMask) {
  for (const char* mask : kMaskTable) {
    SCOPED_TRACE(mask);
    edit->SetEditMask("");
    edit->SetText("");
    edit->SetEditMask(mask);
    const std::string blank = FormatMaskText(mask, "");
    EXPECT_EQ(edit->Text(), blank) << "a new edit with the mask";
    // The user types into it, then clears it again.
    edit->SetFocus();
    edit->SelectAll();
    const std::string typed = std::string(mask).find('L') != std::string::npos ? "abcd" : "1234";
    TypeText(edit, typed);
    EXPECT_NE(edit->Text(), blank) << "typed " << typed;
    EXPECT_EQ(FormatMaskText(mask, edit->Text()), edit->Text()) << "a text formats to itself";
    edit->SelectAll();
    SendKey(edit, VK_DELETE);
    EXPECT_EQ(edit->Text(), blank) << "cleared with Delete";
    TypeText(edit, typed);
    for (std::size_t i = 0; i < edit->EditText().size(); ++i) SendKey(edit, VK_BACK);
    EXPECT_EQ(edit->Text(), blank) << "cleared with Backspace";
    // Set by the program, the text is what FormatMaskText gives for the same value.
    edit->SetText("");
    EXPECT_EQ(edit->Text(), blank);
    edit->SetText("98");
    EXPECT_EQ(edit->Text(), FormatMaskText(mask, "98"));
    other->SetFocus();
  }
}

TEST_F(MaskEditTest, NewMaskOnAnEmptyEditIsNoChangeOfItsText) {
  // As a field's edit is made: the change handler is connected first, then the mask is
  // set, then the entered value is written under a lock. A change handler that takes
  // the blank text for the user's clearing would lose the value at every relayout.
  std::string value = "123-456";
  bool locked = false;
  int changes = 0;
  auto make_edit = [&] {
    auto* e = new TMaskEdit(&root);
    e->SetParent(&root);
    e->OnChange = [&, e](TObject*) {
      ++changes;
      if (locked) return;
      const std::string text = e->Text();
      value = text == FormatMaskText(e->EditMask(), "") ? "" : text;
    };
    e->SetEditMask("000-000;1;_");
    locked = true;
    e->SetText(value);
    locked = false;
    return e;
  };
  TMaskEdit* first = make_edit();
  EXPECT_EQ(changes, 1);  // only the locked fill
  EXPECT_EQ(first->Text(), "123-456");
  delete first;  // the layout runs again (the data set was reopened)
  TMaskEdit* second = make_edit();
  EXPECT_EQ(value, "123-456");
  EXPECT_EQ(second->EditText(), "123-456");

  // The user types into it; another blank character shows the same entered characters:
  // a new look, not a change, and what the user typed stays typed.
  second->SetFocus();
  second->SelectAll();
  TypeText(second, "9876");
  EXPECT_EQ(value, "987-6  ");
  changes = 0;
  second->SetEditMask("000-000;1;*");
  EXPECT_EQ(second->EditText(), "987-6**");
  EXPECT_EQ(changes, 0);
  EXPECT_TRUE(second->Modified());
  EXPECT_EQ(value, "987-6  ");
  // A mask too short for what is entered cuts it: that is a change, told once.
  changes = 0;
  second->SetEditMask("000;0;_");
  EXPECT_EQ(second->Text(), "987");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(value, "987");
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
