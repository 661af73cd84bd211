#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <vantor/platform/ui/custom_edit.h>
#include <vantor/platform/ui/custom_panel.h>
#include <vantor/platform/ui/form.h>
#include <vantor/platform/ui/keyboard_input.h>
#include <vantor/platform/ui/window_host.h>

namespace vantor {
namespace {

// An edit whose window is multi-line: Enter reaches it as a line break.
class MultiLineEdit : public TCustomEdit {
 public:
  using TCustomEdit::TCustomEdit;

 protected:
  void CreateParams(TCreateParams& params) const override {
    TCustomEdit::CreateParams(params);
    params.Style |= ES_MULTILINE;
  }
};

class EditTest : public ::testing::Test {
 protected:
  EditTest() {
    root.SetBounds(0, 0, 300, 200);
    root.Show();  // before the edits are on it: nothing has the focus yet
    edit->SetParent(&root);
    other->SetParent(&root);
    edit->OnChange = [this](TObject*) { changes.push_back(edit->Text()); };
  }
  TForm root{nullptr};
  TEdit* edit = new TEdit(&root);
  TEdit* other = new TEdit(&root);
  std::vector<std::string> changes;
};

TEST_F(EditTest, AutomaticHeightFollowsFontAndLook) {
  EXPECT_EQ(edit->Width(), 121);
  EXPECT_EQ(edit->Height(), 13 + 8);
  EXPECT_EQ(edit->ClientRect(), Rect(0, 0, 117, 17));  // inside the sunken edge
  edit->SetCtl3D(false);
  EXPECT_EQ(edit->Height(), 13 + 6);
  EXPECT_EQ(edit->ClientRect(), Rect(0, 0, 119, 17));
  edit->SetCtl3D(true);
  edit->Font()->SetSize(12);
  EXPECT_EQ(edit->Height(), 19 + 8);
  root.Font()->SetSize(8);  // the edit no longer follows the parent's font
  EXPECT_EQ(edit->Height(), 27);
  edit->SetParentFont(true);
  EXPECT_EQ(edit->Height(), 21);
  SetNewStyleControls(false);
  other->Font()->SetSize(9);  // the old look: a quarter of the smaller font height + 4
  EXPECT_EQ(other->Height(), 14 + 14 / 4 + 4);  // 9 points: 14 pixels high
  SetNewStyleControls(true);
  edit->SetAutoSize(false);
  edit->Font()->SetSize(20);
  EXPECT_EQ(edit->Height(), 21);
}

TEST_F(EditTest, TypingEditsAtTheCaretAndFiresOnChangeEachTime) {
  TypeText(edit, "abc");
  EXPECT_EQ(edit->Text(), "abc");
  EXPECT_TRUE(edit->Modified());
  EXPECT_EQ(changes, (std::vector<std::string>{"a", "ab", "abc"}));
  SendKey(edit, VK_LEFT);
  SendKey(edit, VK_BACK);
  EXPECT_EQ(edit->Text(), "ac");
  EXPECT_EQ(edit->SelStart(), 1);
  SendKey(edit, VK_HOME);
  SendKey(edit, VK_DELETE);
  EXPECT_EQ(edit->Text(), "c");
  SendKey(edit, VK_END);
  TypeText(edit, "\xC3\xA9t\xC3\xA9");  // characters, not bytes
  EXPECT_EQ(edit->Text(), "c\xC3\xA9t\xC3\xA9");
  SendKey(edit, VK_LEFT, {ssShift});
  SendKey(edit, VK_LEFT, {ssShift});
  EXPECT_EQ(edit->SelText(), "t\xC3\xA9");
  TypeText(edit, "x");
  EXPECT_EQ(edit->Text(), "c\xC3\xA9x");
}

TEST_F(EditTest, EnterNeverInsertsALineBreakInAOneLineEdit) {
  TypeText(edit, "ab");
  SendKey(edit, VK_RETURN);
  edit->Perform(WM_CHAR, 13);
  EXPECT_EQ(edit->Text(), "ab");
  EXPECT_EQ(edit->Perform(WM_GETDLGCODE) & DLGC_WANTALLKEYS, 0);

  auto* memo = new MultiLineEdit(&root);
  memo->SetParent(&root);
  EXPECT_NE(memo->Perform(WM_GETDLGCODE) & DLGC_WANTALLKEYS, 0);
  TypeText(memo, "a");
  SendKey(memo, VK_RETURN);
  EXPECT_EQ(memo->Text(), "a\r\n");
}

TEST_F(EditTest, HandlersChangeOrCancelKeysBeforeTheEditSeesThem) {
  edit->OnKeyPress = [](TObject*, char32_t& key) {
    if (key == U'a') key = U'A';
    if (key == U'x') key = 0;
  };
  edit->OnKeyDown = [](TObject*, std::uint16_t& key, TShiftState) {
    if (key == VK_HOME) key = 0;
  };
  TypeText(edit, "bax");
  EXPECT_EQ(edit->Text(), "bA");
  SendKey(edit, VK_HOME);  // cancelled: the caret stays at the end
  TypeText(edit, "c");
  EXPECT_EQ(edit->Text(), "bAc");
}

TEST_F(EditTest, ProgrammaticTextIsUnmodifiedButStillFiresOnChange) {
  edit->SetText("hello");
  EXPECT_FALSE(edit->Modified());
  EXPECT_EQ(changes, (std::vector<std::string>{"hello"}));
  edit->SetText("hello");
  EXPECT_EQ(changes.size(), 1u);
  edit->SetSelStart(1);
  edit->SetSelLength(3);
  EXPECT_EQ(edit->SelText(), "ell");
  edit->SetSelText("ipp");
  EXPECT_EQ(edit->Text(), "hippo");
  EXPECT_EQ(edit->SelStart(), 4);
  edit->SelectAll();
  EXPECT_EQ(edit->SelLength(), 5);
  edit->Clear();
  EXPECT_EQ(edit->Text(), "");
}

TEST_F(EditTest, LimitsReadOnlyAndCharCase) {
  ClearBeepLog();
  edit->SetMaxLength(2);
  TypeText(edit, "abc");
  EXPECT_EQ(edit->Text(), "ab");
  EXPECT_EQ(BeepLog().size(), 1u);
  edit->SetReadOnly(true);
  SendKey(edit, VK_BACK);
  TypeText(edit, "z");
  EXPECT_EQ(edit->Text(), "ab");
  edit->SetReadOnly(false);
  edit->SetMaxLength(0);
  edit->SetCharCase(ecUpperCase);
  EXPECT_EQ(edit->Text(), "AB");
  SendKey(edit, VK_END);  // text set by the program puts the caret at the start
  TypeText(edit, "\xC3\xA9");
  EXPECT_EQ(edit->Text(), "AB\xC3\x89");
}

TEST_F(EditTest, AutoSelectSelectsAllWhenEntered) {
  edit->SetText("hello");
  other->SetFocus();
  edit->SetFocus();
  EXPECT_EQ(edit->SelLength(), 5);
  other->SetFocus();
  edit->SetAutoSelect(false);
  edit->SetSelStart(2);
  edit->SetFocus();
  EXPECT_EQ(edit->SelLength(), 0);
}

TEST_F(EditTest, EnterAndExitWhenFocusMovesBetweenEditsAndOut) {
  auto* box = new TPanel(&root);
  box->SetParent(&root);
  auto* inner = new TEdit(&root);
  inner->SetParent(box);
  std::vector<std::string> log;
  auto track = [&log](TWinControl* c, const std::string& name) {
    c->OnEnter = [&log, name](TObject*) { log.push_back("enter " + name); };
    c->OnExit = [&log, name](TObject*) { log.push_back("exit " + name); };
  };
  track(edit, "edit");
  track(other, "other");
  track(box, "box");
  track(inner, "inner");
  edit->SetFocus();
  other->SetFocus();
  inner->SetFocus();
  edit->SetFocus();
  EXPECT_EQ(log, (std::vector<std::string>{"enter edit", "exit edit", "enter other", "exit other",
                                           "enter box", "enter inner", "exit inner", "exit box",
                                           "enter edit"}));
}

TEST_F(EditTest, ClickingFocusesTheEdit) {
  edit->SetText("hello");
  other->SetFocus();
  ClickAt(edit, 5, 5);
  EXPECT_TRUE(edit->Focused());
  EXPECT_EQ(edit->SelLength(), 0);  // a click does not select all
}

TEST_F(EditTest, EditRectangleMessages) {
  TRect r;
  edit->Perform(EM_GETRECT, 0, reinterpret_cast<std::intptr_t>(&r));
  EXPECT_EQ(r, Rect(0, 0, 117, 17));
  EXPECT_EQ(edit->Perform(EM_GETMARGINS), 0);
  edit->Perform(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MakeLParam(3, 4));
  EXPECT_EQ(LoWord(edit->Perform(EM_GETMARGINS)), 3);
  EXPECT_EQ(HiWord(edit->Perform(EM_GETMARGINS)), 4);
  edit->Perform(EM_GETRECT, 0, reinterpret_cast<std::intptr_t>(&r));
  EXPECT_EQ(r, Rect(3, 0, 113, 17));
  const TRect set = Rect(0, 0, 99, 18);
  edit->ResetInvalidateCount();
  edit->Perform(EM_SETRECTNP, 0, reinterpret_cast<std::intptr_t>(&set));
  EXPECT_EQ(edit->InvalidateCount(), 0);  // NP: no repaint
  edit->Perform(EM_GETRECT, 0, reinterpret_cast<std::intptr_t>(&r));
  EXPECT_EQ(r, set);
  edit->Perform(EM_SETRECT, 0, reinterpret_cast<std::intptr_t>(&set));
  EXPECT_EQ(edit->InvalidateCount(), 1);
  EXPECT_EQ(edit->Perform(WM_GETDLGCODE), DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS);
}

TEST_F(EditTest, NativePaintShowsTheTextOrThePasswordCharacter) {
  edit->SetText("abc");
  edit->HandleNeeded();
  edit->Repaint();
  const auto& ops = edit->Surface().ops;
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0].kind, TCanvasOpKind::FillRect);
  EXPECT_EQ(ops[0].brush_color, clWindow);
  EXPECT_EQ(ops[1].text, "abc");
  edit->SetPasswordChar(U'*');
  edit->Repaint();
  EXPECT_EQ(edit->Surface().ops[1].text, "***");
  EXPECT_EQ(edit->Text(), "abc");
  EXPECT_NE(edit->WindowStyle() & ES_PASSWORD, 0u);
  // A paint message that brings its own device context paints there.
  TDeviceContext copy;
  edit->Perform(WM_PAINT, reinterpret_cast<std::intptr_t>(&copy));
  ASSERT_EQ(copy.ops.size(), 2u);
  EXPECT_EQ(copy.ops[1].text, "***");
  EXPECT_EQ(edit->Surface().ops.size(), 2u);
  HDC dc = edit->BeginPaint();
  EXPECT_TRUE(dc->ops.empty());
  edit->EndPaint();
  EXPECT_FALSE(edit->PaintPending());
}

}  // namespace
}  // namespace vantor

namespace vantor {
namespace {

// Copy, cut and paste through the clipboard, by the keys and by the messages (headless, the
// clipboard is kept in the process).
TEST(EditClipboard, CopyCutAndPasteByKeysAndMessages) {
  TForm form(nullptr, TCreateNew{});
  auto* edit = new TEdit(&form);
  edit->SetParent(&form);
  form.Show();
  edit->SetFocus();
  edit->SetText("Weber Söhne");
  edit->SetSelStart(6);
  edit->SetSelLength(5);
  SendKey(edit, 'C', {ssCtrl});
  EXPECT_EQ(ClipboardText(), "Söhne");
  edit->SetSelStart(0);
  edit->SetSelLength(0);
  SendKey(edit, 'V', {ssCtrl});
  EXPECT_EQ(edit->Text(), "SöhneWeber Söhne");
  edit->SetSelStart(0);
  edit->SetSelLength(5);
  edit->Perform(WM_CUT);
  EXPECT_EQ(edit->Text(), "Weber Söhne");
  EXPECT_EQ(ClipboardText(), "Söhne");
  SetClipboardText("one\ntwo");
  edit->SetSelStart(0);
  edit->SetSelLength(0);
  SendKey(edit, VK_INSERT, {ssShift});
  EXPECT_EQ(edit->Text(), "oneWeber Söhne") << "a one-line edit pastes the first line";
  edit->SetPasswordChar(U'*');
  edit->SelectAll();
  SetClipboardText("kept");
  edit->Perform(WM_COPY);
  EXPECT_EQ(ClipboardText(), "kept") << "a password is never copied";
  form.Hide();
}

}  // namespace
}  // namespace vantor
