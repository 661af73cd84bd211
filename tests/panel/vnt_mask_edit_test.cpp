#include <vantor/panel/vnt_mask_edit.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include <vantor/panel/field_record_edit.h>
#include <vantor/platform/ui/canvas.h>
#include <vantor/platform/ui/form.h>
#include <vantor/platform/ui/keyboard_input.h>
#include <vantor/platform/ui/messages.h>

namespace vantor {
namespace {

// The default edit is 121 wide and, in the 3-D look, 13 + 8 = 21 high; its sunken edge
// (2 pixels a side) leaves a client area of 117 x 17. Its text margin is 0, so the
// self-painted text starts 0 + 1 = 1 pixel in and 1 down. "42" is 7 + 7 = 14 wide.
struct EditOnForm {
  EditOnForm() : form(std::make_unique<TForm>(nullptr)) {
    form->SetBounds(0, 0, 300, 200);
    edit = new TVntMaskEdit(form.get());
    edit->SetParent(form.get());
    other = new TVntMaskEdit(form.get());
    other->SetParent(form.get());
    other->SetTop(40);
  }
  std::unique_ptr<TForm> form;
  TVntMaskEdit* edit = nullptr;
  TVntMaskEdit* other = nullptr;
};

// Switches the flat, old-style look on for a test and back on every way out.
class OldStyleControls {
 public:
  OldStyleControls() { SetNewStyleControls(false); }
  OldStyleControls(const OldStyleControls&) = delete;
  OldStyleControls& operator=(const OldStyleControls&) = delete;
  ~OldStyleControls() { SetNewStyleControls(true); }
};

TRect FormatRect(TVntMaskEdit& edit) {
  TRect rect;
  edit.Perform(EM_GETRECT, 0, reinterpret_cast<std::intptr_t>(&rect));
  return rect;
}

// The text operations painted on the edit's window by a WM_PAINT.
std::vector<TCanvasOp> PaintedText(TVntMaskEdit& edit) {
  edit.Perform(WM_PAINT);
  std::vector<TCanvasOp> text;
  for (const TCanvasOp& op : edit.Surface().ops) {
    if (op.kind == TCanvasOpKind::TextRect && !op.text.empty()) text.push_back(op);
  }
  return text;
}

TEST(VntMaskEdit, IsAMultiLineWindowThatClipsItsButtonAndCanBeReplicated) {
  EditOnForm t;
  EXPECT_TRUE(t.edit->WindowStyle() & ES_MULTILINE);
  EXPECT_TRUE(t.edit->WindowStyle() & WS_CLIPCHILDREN);
  EXPECT_TRUE(t.edit->ControlStyle().Contains(csReplicatable));
  EXPECT_EQ(t.edit->Alignment(), taLeftJustify);
  EXPECT_FALSE(t.edit->ShowButton());
  EXPECT_EQ(t.edit->Button(), nullptr);
  // A field edit is one of these.
  TFieldRecordEdit field_edit(nullptr);
  EXPECT_NE(dynamic_cast<TVntMaskEdit*>(&field_edit), nullptr);
}

TEST(VntMaskEdit, PublishesItsOwnPropertiesAndAReadOnlyUnstoredPasswordChar) {
  const TypeInfo& type = TVntMaskEdit::StaticType();
  ASSERT_NE(type.FindProperty("Alignment"), nullptr);
  ASSERT_NE(type.FindProperty("ShowButton"), nullptr);
  ASSERT_NE(type.FindProperty("OnButtonClick"), nullptr);
  const PropInfo* password = type.FindProperty("PasswordChar");
  ASSERT_NE(password, nullptr);
  EXPECT_TRUE(password->IsReadOnly());
  TVntMaskEdit edit(nullptr);
  edit.SetPasswordChar(U'*');
  EXPECT_FALSE(password->IsStored(edit));
  EXPECT_EQ(password->get_ordinal(edit), static_cast<std::int64_t>(U'*'));
}

TEST(VntMaskEdit, ButtonSitsInsideTheRightEdgeAndGoesWhenSwitchedOff) {
  EditOnForm t;
  t.edit->SetShowButton(true);
  TSpeedButton* button = t.edit->Button();
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(t.edit->ButtonWidth(), 16);
  EXPECT_EQ(button->Parent(), t.edit);
  EXPECT_EQ(button->Owner(), t.edit);
  EXPECT_EQ(button->Cursor(), crArrow);
  EXPECT_FALSE(button->ParentFont());
  EXPECT_EQ(button->BoundsRect(), Bounds(121 - 16 - 4, 0, 16, 21 - 4));
  // The glyph: three black 2 x 2 dots on rows 1 and 2, columns 0-1, 4-5 and 8-9.
  ASSERT_EQ(button->Glyph()->Width(), 10);
  ASSERT_EQ(button->Glyph()->Height(), 5);
  EXPECT_EQ(button->Glyph()->Pixel(0, 1), clBlack);
  EXPECT_EQ(button->Glyph()->Pixel(9, 2), clBlack);
  EXPECT_EQ(button->Glyph()->Pixel(2, 1), clWhite);
  EXPECT_EQ(button->Glyph()->Pixel(0, 0), clWhite);
  // The button follows the edit's size.
  t.edit->SetWidth(200);
  EXPECT_EQ(button->Left(), 200 - 16 - 4);
  t.edit->SetCtl3D(false);  // flat: 13 + 6 = 19 high, the button on the right edge
  EXPECT_EQ(button->BoundsRect(), Bounds(200 - 16, 1, 16, 19 - 3));
  t.edit->SetShowButton(false);
  EXPECT_EQ(t.edit->Button(), nullptr);
  EXPECT_EQ(t.edit->ButtonWidth(), 0);
}

TEST(VntMaskEdit, FormattingRectangleKeepsTypedTextLeftOfTheButton) {
  EditOnForm t;
  t.edit->HandleNeeded();
  EXPECT_EQ(FormatRect(*t.edit), Rect(0, 0, 117 - 2, 17 + 1));
  t.edit->SetShowButton(true);
  EXPECT_EQ(FormatRect(*t.edit), Rect(0, 0, 117 - 16 - 2, 17 + 1));
  t.edit->SetWidth(150);
  EXPECT_EQ(FormatRect(*t.edit), Rect(0, 0, 146 - 16 - 2, 17 + 1));
}

TEST(VntMaskEdit, EnterNeverBreaksTheLineAndAllKeysAreNotAskedFor) {
  EditOnForm t;
  t.form->Show();
  t.edit->SetFocus();
  TypeText(t.edit, "ab");
  SendKey(t.edit, VK_RETURN);
  EXPECT_EQ(t.edit->Text(), "ab");
  t.edit->Perform(WM_CHAR, 13);  // even when the character itself arrives
  EXPECT_EQ(t.edit->Text(), "ab");
  const std::intptr_t code = t.edit->Perform(WM_GETDLGCODE);
  EXPECT_EQ(code & DLGC_WANTALLKEYS, 0);
  EXPECT_NE(code & DLGC_WANTCHARS, 0);
}

TEST(VntMaskEdit, AlignedTextIsPaintedByTheEditOnlyWhileItHasNoFocus) {
  EditOnForm t;
  t.edit->HandleNeeded();
  t.edit->SetText("42");
  t.edit->SetAlignment(taRightJustify);
  std::vector<TCanvasOp> ops = PaintedText(*t.edit);
  ASSERT_EQ(ops.size(), 1U);
  EXPECT_EQ(ops[0].at, Point(117 - 14 - 1 - 1, 1));
  EXPECT_EQ(ops[0].rect, Rect(0, 0, 117, 17));
  EXPECT_EQ(ops[0].brush_color, clWindow);
  // With the button the text ends 1 pixel plus the button before the right edge.
  t.edit->SetShowButton(true);
  ops = PaintedText(*t.edit);
  ASSERT_EQ(ops.size(), 1U);
  EXPECT_EQ(ops[0].at.X, 117 - 14 - 1 - 1 - 16);
  bool button_painted = false;
  for (const TCanvasOp& op : t.edit->Surface().ops) {
    button_painted = button_painted || (op.kind == TCanvasOpKind::Draw && op.bitmap_width == 10);
  }
  EXPECT_TRUE(button_painted);
  // Centred: (117 - 14 - 16) div 2.
  t.edit->SetAlignment(taCenter);
  EXPECT_EQ(PaintedText(*t.edit)[0].at.X, (117 - 14 - 16) / 2);
  // Focused, the native edit shows the text at the start of its formatting rectangle.
  t.edit->Perform(CM_ENTER);
  EXPECT_TRUE(t.edit->IsFocusedFlag());
  EXPECT_EQ(PaintedText(*t.edit)[0].at.X, 0);
  t.edit->Perform(CM_EXIT);
  EXPECT_EQ(PaintedText(*t.edit)[0].at.X, (117 - 14 - 16) / 2);
}

TEST(VntMaskEdit, PaintingAsACopyAlwaysPaintsAndShowsThePasswordCharacterRepeated) {
  EditOnForm t;
  t.edit->HandleNeeded();
  t.edit->SetText("abc");
  t.edit->SetPasswordChar(U'*');
  t.edit->SetControlState(t.edit->ControlState() + TControlState{csPaintCopy});
  const std::vector<TCanvasOp> ops = PaintedText(*t.edit);
  ASSERT_EQ(ops.size(), 1U);
  EXPECT_EQ(ops[0].text, "***");
  EXPECT_EQ(ops[0].at, Point(1, 1));  // left-justified: the margin
}

TEST(VntMaskEdit, OldStyleLookFramesTheTextAndUsesAQuarterOfTheSmallerFont) {
  OldStyleControls old_style;
  EditOnForm t;
  t.edit->HandleNeeded();
  t.edit->SetText("42");
  t.edit->SetAlignment(taRightJustify);
  // Margins: the system font is 16 high, the edit's 13: 13 div 4 = 3. The one-pixel
  // border leaves 119 x 18 of the 121 x 20 edit (13 + 3 + 4 high).
  EXPECT_EQ(t.edit->GetTextMargins(), Point(3, 3));
  ASSERT_EQ(t.edit->Height(), 20);
  t.edit->Perform(WM_PAINT);
  const std::vector<TCanvasOp>& ops = t.edit->Surface().ops;
  ASSERT_GE(ops.size(), 2U);
  EXPECT_EQ(ops[0].kind, TCanvasOpKind::FrameRect);
  EXPECT_EQ(ops[0].brush_color, clWindowFrame);
  EXPECT_EQ(ops[0].rect, Rect(0, 0, 119, 18));
  EXPECT_EQ(ops[1].rect, Rect(1, 1, 118, 17));
  EXPECT_EQ(ops[1].at, Point(119 - 14 - 3 - 1, 3));
  // Without a border there is no margin.
  t.edit->SetBorderStyle(bsNone);
  EXPECT_EQ(t.edit->GetTextMargins(), Point(0, 0));
}

TEST(VntMaskEdit, NewStyleMarginsAddTheEditsLeftMarginToTheBorderInset) {
  EditOnForm t;
  EXPECT_EQ(t.edit->GetTextMargins(), Point(1, 1));
  t.edit->Perform(EM_SETMARGINS, EC_LEFTMARGIN, 5);
  EXPECT_EQ(t.edit->GetTextMargins(), Point(6, 1));
  t.edit->SetCtl3D(false);
  EXPECT_EQ(t.edit->GetTextMargins(), Point(7, 2));
  t.edit->SetBorderStyle(bsNone);
  EXPECT_EQ(t.edit->GetTextMargins(), Point(5, 0));
}

TEST(VntMaskEdit, ClickingTheButtonFocusesTheEditFirstAndThenReportsTheClick) {
  EditOnForm t;
  t.form->Show();
  t.other->SetFocus();
  t.edit->SetShowButton(true);
  std::vector<bool> focused_at_click;
  TObject* sender = nullptr;
  t.edit->OnButtonClick = [&](TObject* s) {
    sender = s;
    focused_at_click.push_back(t.edit->Focused());
  };
  ClickAt(t.edit, 121 - 16 - 4 + 5, 5);
  EXPECT_EQ(focused_at_click, std::vector<bool>{true});
  EXPECT_EQ(sender, t.edit);
  // Without a tab stop the focus stays where it is; the click is still reported.
  t.other->SetFocus();
  t.edit->SetTabStop(false);
  ClickAt(t.edit, 121 - 16 - 4 + 5, 5);
  EXPECT_EQ(focused_at_click, (std::vector<bool>{true, false}));
  EXPECT_TRUE(t.other->Focused());
}

}  // namespace
}  // namespace vantor
