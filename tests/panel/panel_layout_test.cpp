#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <utility>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <vantor/criteria/field_record.h>
#include <vantor/panel/field_record_edit.h>
#include <vantor/panel/panel_fields_set.h>
#include "panel/support/test_panel.h"
#include <vantor/platform/ui/custom_panel.h>
#include <vantor/platform/ui/form.h>
#include <vantor/platform/ui/label.h>
#include "support/form_stream.h"

namespace vantor {
namespace {

using testing::PanelWithTable;
using testing::TTestPanel;

// Every figure below comes from the font-metrics table: the default font (8 points, an
// 11-pixel em) measures "A" as 8 x 13, so the edit and text character widths are 8,
// an edit row is 13 + StepHeight 2 + 8 (3-D) = 23, a label row 13 + 2 = 15, the row step
// 23, edits sit at the row's top and labels 23 div 2 - 15 div 2 = 4 below it; the first
// column is 1. Text widths: "Number" 45, "Name" 33, "with" 23, "on" 14, " " 3. An edit
// is 13 + 8 = 21 high, a label 13. The panel's frame is 2 x (BorderWidth 2 + bevel 1) = 6.
constexpr int kRowStep = 23;
constexpr int kLabelTop = 4;
constexpr int kEditHeight = 21;
constexpr int kLabelHeight = 13;

void ExpectBounds(const TControl* control, int left, int top, int width, int height,
                  const char* what) {
  ASSERT_NE(control, nullptr) << what;
  EXPECT_EQ(control->Left(), left) << what;
  EXPECT_EQ(control->Top(), top) << what;
  EXPECT_EQ(control->Width(), width) << what;
  EXPECT_EQ(control->Height(), height) << what;
}

// The test table shown as two rows: CustNo as a range labelled "Number" (5 characters
// wide: (5 + 1) x 8 = 48 pixels), Name as one value (10 wide: 88 pixels); Notes and
// Balance take no part.
struct Rows : PanelWithTable {
  Rows() {
    table.Open();
    custno = panel->FieldByName("CustNo");
    name = panel->FieldByName("Name");
    notes = panel->FieldByName("Notes");
    balance = panel->FieldByName("Balance");
    PaintGuard bracket(*panel);
    custno->SetDisplayLabel("Number");
    custno->SetDisplayWidth(5);
    name->SetDisplayLabel("Name");
    name->SetDisplayWidth(10);
    notes->SetCount(coNone);
    balance->SetCount(coNone);
  }
  TFieldRecord* custno = nullptr;
  TFieldRecord* name = nullptr;
  TFieldRecord* notes = nullptr;
  TFieldRecord* balance = nullptr;
};

// ---- the four arrangements ----

TEST(PanelLayout, OneLineFormattedAlignsEveryFirstEditRightOfTheWidestLabel) {
  Rows t;
  ASSERT_EQ(t.custno->GetCount(), coTwo);
  ASSERT_EQ(t.name->GetCount(), coOne);
  // First pass: "Number" ends at 1 + 45 + 8 = 54, plus "with" and a character: 85;
  // "Name" ends at 42. The edit column is 85.
  ExpectBounds(t.custno->Labels(0), 1, kLabelTop, 45, kLabelHeight, "Number");
  ExpectBounds(t.name->Labels(0), 1, kRowStep + kLabelTop, 33, kLabelHeight, "Name");
  // The "with" caption ends one character before the column: 85 - 23 - 8 = 54.
  ExpectBounds(t.custno->Labels(1), 54, kLabelTop, 23, kLabelHeight, "with");
  ExpectBounds(t.custno->Edits(0), 85, 0, 48, kEditHeight, "CustNo from");
  // 85 + 48 + 8 = 141 for "on", 141 + 14 + 8 = 163 for the upper bound.
  ExpectBounds(t.custno->Labels(2), 141, kLabelTop, 14, kLabelHeight, "on");
  ExpectBounds(t.custno->Edits(1), 163, 0, 48, kEditHeight, "CustNo to");
  ExpectBounds(t.name->Edits(0), 85, kRowStep, 88, kEditHeight, "Name edit");
  EXPECT_EQ(t.custno->Labels(1)->Caption(), "with");
  EXPECT_EQ(t.custno->Labels(2)->Caption(), "on");
  // The widest row ends at 163 + 48 + 8 - 8 = 211; two rows are 2 x 23 - 2 = 44 high.
  EXPECT_EQ(t.panel->RequiredWidth(), 211);
  EXPECT_EQ(t.panel->RequiredHeight(), 44);
  EXPECT_EQ(t.panel->Width(), 211 + 6);
  EXPECT_EQ(t.panel->Height(), 44 + 6);
  // Only the records that take part have controls; the tab order follows the rows.
  EXPECT_EQ(t.notes->Edits(0), nullptr);
  EXPECT_EQ(t.balance->Labels(0), nullptr);
  EXPECT_EQ(t.custno->Edits(0)->TabOrder(), 0);
  EXPECT_EQ(t.custno->Edits(1)->TabOrder(), 1);
  EXPECT_EQ(t.name->Edits(0)->TabOrder(), 2);
  EXPECT_EQ(FieldEdit(*t.custno, 0)->FieldRecord(), t.custno);
  EXPECT_EQ(t.custno->Edits(0)->Parent(), t.panel->ScrollBox());
  EXPECT_EQ(t.custno->Edits(0)->Owner(), t.panel->ScrollBox());
  EXPECT_EQ(t.custno->Labels(0)->Owner(), t.panel->ScrollBox());
}

TEST(PanelLayout, OneLinePutsTheEditsDirectlyAfterEachLabel) {
  Rows t;
  t.panel->SetPosState(psOneLine);
  ExpectBounds(t.custno->Labels(0), 1, kLabelTop, 45, kLabelHeight, "Number");
  ExpectBounds(t.custno->Labels(1), 54, kLabelTop, 23, kLabelHeight, "with");
  ExpectBounds(t.custno->Edits(0), 85, 0, 48, kEditHeight, "CustNo from");
  ExpectBounds(t.custno->Edits(1), 163, 0, 48, kEditHeight, "CustNo to");
  ExpectBounds(t.name->Labels(0), 1, kRowStep + kLabelTop, 33, kLabelHeight, "Name");
  // No shared column: 1 + 33 + 8 = 42.
  ExpectBounds(t.name->Edits(0), 42, kRowStep, 88, kEditHeight, "Name edit");
  EXPECT_EQ(t.panel->RequiredWidth(), 211);
  EXPECT_EQ(t.panel->RequiredHeight(), 44);
}

// Two lines: the field label on the row's top (0), edits 15 lower (a label row), captions
// 4 + 15 = 19 lower, and a row step of 23 + 15 = 38.
TEST(PanelLayout, TwoLineFormattedPutsLabelsAboveAndTheEditsInOneColumn) {
  Rows t;
  t.panel->SetPosState(psTwoLineFmt);
  ExpectBounds(t.custno->Labels(0), 1, 0, 45, kLabelHeight, "Number");
  ExpectBounds(t.name->Labels(0), 1, 38, 33, kLabelHeight, "Name");
  // Edit column: 1 + 23 + 8 = 32 (the range's caption comes first on the second line).
  ExpectBounds(t.custno->Labels(1), 1, 19, 23, kLabelHeight, "with");
  ExpectBounds(t.custno->Edits(0), 32, 15, 48, kEditHeight, "CustNo from");
  ExpectBounds(t.custno->Labels(2), 88, 19, 14, kLabelHeight, "on");
  ExpectBounds(t.custno->Edits(1), 110, 15, 48, kEditHeight, "CustNo to");
  ExpectBounds(t.name->Edits(0), 32, 38 + 15, 88, kEditHeight, "Name edit");
  EXPECT_EQ(t.panel->RequiredWidth(), 158);
  EXPECT_EQ(t.panel->RequiredHeight(), 2 * 38 - 2);
  EXPECT_EQ(t.panel->Height(), 74 + 6);
}

TEST(PanelLayout, TwoLineStartsEverySecondLineAtTheFirstColumn) {
  Rows t;
  t.panel->SetPosState(psTwoLine);
  ExpectBounds(t.custno->Labels(0), 1, 0, 45, kLabelHeight, "Number");
  ExpectBounds(t.custno->Labels(1), 1, 19, 23, kLabelHeight, "with");
  ExpectBounds(t.custno->Edits(0), 32, 15, 48, kEditHeight, "CustNo from");
  ExpectBounds(t.custno->Edits(1), 110, 15, 48, kEditHeight, "CustNo to");
  ExpectBounds(t.name->Labels(0), 1, 38, 33, kLabelHeight, "Name");
  ExpectBounds(t.name->Edits(0), 1, 38 + 15, 88, kEditHeight, "Name edit");
  EXPECT_EQ(t.panel->RequiredWidth(), 158);
}

TEST(PanelLayout, StepHeightAndAFlatLookChangeTheRowStep) {
  Rows t;
  {
    PaintGuard bracket(*t.panel);
    t.panel->SetStepHeight(6);
    t.panel->SetCtl3D(false);
  }
  // Edit row 13 + 6 + 6 = 25, label row 13 + 6 = 19: labels 25 div 2 - 19 div 2 = 3 down.
  ExpectBounds(t.name->Edits(0), 85, 25, 88, 13 + 6, "Name edit");
  EXPECT_EQ(t.name->Labels(0)->Top(), 25 + 3);
  EXPECT_FALSE(t.name->Edits(0)->Ctl3D());
  EXPECT_EQ(t.panel->RequiredHeight(), 2 * 25 - 6);
}

TEST(PanelLayout, FontsColoursAndCursorsOfTheStyleOptionsReachEveryRow) {
  Rows t;
  {
    PaintGuard bracket(*t.panel);
    t.panel->StyleOptions()->GetTextFont()->SetStyle({fsBold});
    t.panel->StyleOptions()->GetEditFont()->SetHeight(-13);
    t.panel->StyleOptions()->SetEditColor(clYellow);
    t.panel->SetEditCursor(crIBeam);
    t.panel->SetCursor(crHandPoint);
  }
  // Labels are measured bold ("Number" 51, "with" 27, "Name" 37, "on" 16) but the text
  // character stays the plain "A" (8). The 13-pixel edit font: "A" is 9 x 15, so an edit
  // row is 15 + 2 + 8 = 25 (the row step), labels sit 25 div 2 - 15 div 2 = 5 down, and
  // edits are 15 + 8 = 23 high. Column: 1 + 51 + 8 + 27 + 8 = 95.
  ExpectBounds(t.custno->Labels(0), 1, 5, 51, kLabelHeight, "Number");
  ExpectBounds(t.custno->Labels(1), 95 - 27 - 8, 5, 27, kLabelHeight, "with");
  ExpectBounds(t.custno->Edits(0), 95, 0, 6 * 9, 23, "CustNo from");
  ExpectBounds(t.custno->Labels(2), 95 + 54 + 8, 5, 16, kLabelHeight, "on");
  ExpectBounds(t.custno->Edits(1), 157 + 16 + 8, 0, 54, 23, "CustNo to");
  ExpectBounds(t.name->Edits(0), 95, 25, 11 * 9, 23, "Name edit");
  EXPECT_EQ(t.panel->RequiredWidth(), 181 + 54);
  EXPECT_EQ(t.panel->RequiredHeight(), 2 * 25 - 2);
  EXPECT_TRUE(t.name->Labels(0)->Font()->Style().Contains(fsBold));
  EXPECT_FALSE(t.name->Labels(0)->ParentFont());
  EXPECT_EQ(t.name->Edits(0)->Font()->Height(), -13);
  EXPECT_EQ(t.name->Edits(0)->Color(), clYellow);
  EXPECT_EQ(t.name->Edits(0)->Cursor(), crIBeam);
  EXPECT_EQ(t.panel->ScrollBox()->Cursor(), crHandPoint);
}

// ---- labels, captions, comments, buttons ----

TEST(PanelLayout, EmptyDisplayLabelStillShowsALabelWithABlank) {
  Rows t;
  t.custno->SetCount(coNone);
  t.name->SetDisplayLabel("");
  ASSERT_NE(t.name->Labels(0), nullptr);
  EXPECT_EQ(t.name->Labels(0)->Caption(), " ");
  ExpectBounds(t.name->Labels(0), 1, kLabelTop, 3, kLabelHeight, "blank label");
  ExpectBounds(t.name->Edits(0), 1 + 3 + 8, 0, 88, kEditHeight, "Name edit");
}

TEST(PanelLayout, EmptyRangeCaptionsShowNoLabelButKeepTheirPlace) {
  Rows t;
  t.panel->Captions()->SetCaption(0, "");
  EXPECT_EQ(t.custno->Labels(1), nullptr);
  ASSERT_NE(t.custno->Labels(2), nullptr);
  t.panel->Captions()->SetCaption(1, "");
  EXPECT_EQ(t.custno->Labels(2), nullptr);
  // An empty caption measures as a blank (3): the column is 54 + 3 + 8 = 65, and the
  // upper bound follows the lower one directly: 65 + 48 + 8 = 121.
  ExpectBounds(t.custno->Edits(0), 65, 0, 48, kEditHeight, "CustNo from");
  ExpectBounds(t.custno->Edits(1), 121, 0, 48, kEditHeight, "CustNo to");
  t.panel->Captions()->SetCaption(0, "from");
  t.panel->Captions()->SetCaption(1, "to");
  // "from" is 27 wide: column 54 + 27 + 8 = 89; "to" (11) at 89 + 56 = 145, edit at 164.
  ExpectBounds(t.custno->Labels(1), 54, kLabelTop, 27, kLabelHeight, "from");
  ExpectBounds(t.custno->Labels(2), 145, kLabelTop, 11, kLabelHeight, "to");
  ExpectBounds(t.custno->Edits(1), 164, 0, 48, kEditHeight, "CustNo to");
}

TEST(PanelLayout, CommentsFollowEachEditAtElevenCharactersForAWidthOfTen) {
  Rows t;
  {
    PaintGuard bracket(*t.panel);
    t.name->SetCommentVisible(true);
    t.name->SetCommentWidth(10);
    t.name->SetCommentTexts(0, "note");
    t.custno->SetCommentVisible(true);
    t.custno->SetCommentWidth(3);
  }
  // Name: edit at 85 (88 wide), comment at 85 + 96 = 181, (10 + 1) x 8 = 88 wide.
  ExpectBounds(t.name->CommentLabels(0), 181, kRowStep + kLabelTop, 88, kLabelHeight, "note");
  EXPECT_EQ(t.name->CommentLabels(0)->Caption(), "note");
  EXPECT_FALSE(t.name->CommentLabels(0)->AutoSize());
  EXPECT_EQ(t.name->CommentLabels(1), nullptr);
  // CustNo: comments of (3 + 1) x 8 = 32 after each edit; an empty text shows a blank.
  ExpectBounds(t.custno->CommentLabels(0), 141, kLabelTop, 32, kLabelHeight, "comment 0");
  ExpectBounds(t.custno->Labels(2), 181, kLabelTop, 14, kLabelHeight, "on");
  ExpectBounds(t.custno->Edits(1), 203, 0, 48, kEditHeight, "CustNo to");
  ExpectBounds(t.custno->CommentLabels(1), 259, kLabelTop, 32, kLabelHeight, "comment 1");
  EXPECT_EQ(t.custno->CommentLabels(1)->Caption(), " ");
  EXPECT_EQ(t.panel->RequiredWidth(), 259 + 32);
}

TEST(PanelLayout, EllipsisMakesTheEditSixteenPixelsWiderWithItsButtonInside) {
  Rows t;
  t.name->SetButtonStyle(rbsEllipsis);
  TFieldRecordEdit* edit = FieldEdit(*t.name, 0);
  ExpectBounds(edit, 85, kRowStep, 88 + 16, kEditHeight, "Name edit");
  EXPECT_TRUE(edit->ShowButton());
  // Inside the 3-D border: 104 - 16 - 4 = 84, 21 - 4 = 17 high.
  ExpectBounds(edit->Button(), 84, 0, 16, 17, "button");
  EXPECT_FALSE(FieldEdit(*t.custno, 0)->ShowButton());
  t.name->SetButtonStyle(rbsAuto);
  EXPECT_EQ(t.name->Edits(0), edit);  // the same edit, without its button
  EXPECT_FALSE(edit->ShowButton());
  EXPECT_EQ(edit->Width(), 88);
}

TEST(PanelLayout, RecordThatTakesPartButIsHiddenKeepsHiddenEditsAndNoRow) {
  Rows t;
  t.notes->SetCount(coOne);
  t.notes->SetVisible(false);
  ASSERT_NE(t.notes->Edits(0), nullptr);
  EXPECT_FALSE(t.notes->Edits(0)->Visible());
  EXPECT_EQ(t.notes->Labels(0), nullptr);
  EXPECT_EQ(t.panel->RequiredHeight(), 44);
  t.custno->SetVisible(false);
  EXPECT_EQ(t.custno->Labels(0), nullptr);
  EXPECT_EQ(t.custno->Labels(1), nullptr);
  ASSERT_NE(t.custno->Edits(1), nullptr);  // a hidden range keeps both edits
  EXPECT_FALSE(t.custno->Edits(1)->Visible());
  // Name is alone now: its edit at 1 + 33 + 8 = 42, on the first row.
  ExpectBounds(t.name->Edits(0), 42, 0, 88, kEditHeight, "Name edit");
}

// ---- shrinking to the available width ----

TEST(PanelLayout, AutoEditWidthShrinksEditAndCommentByTheSameFraction) {
  Rows t;
  {
    PaintGuard bracket(*t.panel);
    t.custno->SetCount(coNone);
    t.name->SetDisplayWidth(30);  // 31 x 8 = 248
    t.name->SetCommentVisible(true);
    t.name->SetCommentWidth(10);  // 88
    t.panel->SetAlign(alTop);
    t.panel->SetBounds(0, 0, 200, 40);
  }
  // Available: 194 - 42 - 1 = 151, less the comment: 63. r = 185 / 336; the edit
  // becomes trunc(248 - 248 r) = 111, the comment trunc(88 - 88 r) - 8 - 1 = 30.
  EXPECT_EQ(t.panel->MaxFieldsWidth(), 194);
  ExpectBounds(t.name->Edits(0), 42, 0, 111, kEditHeight, "Name edit");
  ExpectBounds(t.name->CommentLabels(0), 161, kLabelTop, 30, kLabelHeight, "comment");
  EXPECT_EQ(t.panel->RequiredWidth(), 191);
  // The natural extent does not shrink: 42 + 248 + 8 + 88 + 8 - 8.
  EXPECT_EQ(t.panel->GetRequiredLengths().X, 386);
  EXPECT_EQ(t.name->Edits(0)->Width(), 111);  // measuring touched no control
  EXPECT_EQ(t.panel->RequiredWidth(), 386);
}

TEST(PanelLayout, ShrunkEditsStopAtTwoCharactersAndTheButton) {
  Rows t;
  {
    PaintGuard bracket(*t.panel);
    t.custno->SetCount(coNone);
    t.name->SetButtonStyle(rbsEllipsis);
    t.name->SetCommentVisible(true);
    t.panel->SetAlign(alTop);
    t.panel->SetBounds(0, 0, 60, 40);
  }
  EXPECT_EQ(t.name->Edits(0)->Width(), 2 * 8 + 16);
  EXPECT_EQ(t.name->CommentLabels(0)->Width(), 2 * 8);
  t.panel->SetAutoEditWidth(false);
  EXPECT_EQ(t.name->Edits(0)->Width(), 88 + 16);
}

TEST(PanelLayout, EditOfNoWidthInNoSpaceGetsItsMinimum) {
  Rows t;
  {
    PaintGuard bracket(*t.panel);
    t.custno->SetCount(coNone);
    t.name->SetDisplayWidth(-1);  // (-1 + 1) x 8: nothing to shrink
    t.panel->SetAlign(alTop);
    t.panel->SetBounds(0, 0, 40, 40);  // 34 - 42 - 1: less than nothing available
  }
  EXPECT_EQ(t.name->Edits(0)->Width(), 2 * 8);
}

// ---- values as large as the setters take ----

// Display widths, steps, frames and minimum widths as large as an int holds: the rows are
// laid out, and the controls and the panel end at the largest int instead of wrapping.
TEST(PanelLayout, ValuesAsLargeAsAnIntHoldsStopTheGeometryAtTheLargestInt) {
  const std::pair<std::function<void(Rows&)>, TPoint> cases[] = {
      // Rows that wide show the horizontal bar too.
      {[](Rows& t) { t.name->SetDisplayWidth(300'000'000); }, {INT_MAX, 50 + 16}},
      {[](Rows& t) { t.panel->SetMinFieldsWidth(INT_MAX - 3); }, {INT_MAX, 50}},
      {[](Rows& t) { t.panel->SetStepHeight(INT_MAX); }, {217, INT_MAX}},
      {[](Rows& t) { t.panel->SetBorderWidth(INT_MAX); }, {INT_MAX, INT_MAX}},
  };
  for (const auto& [set, size] : cases) {
    SCOPED_TRACE(::testing::Message() << size.X << " x " << size.Y);
    Rows t;
    t.panel->SetAutoEditWidth(false);
    {
      PaintGuard bracket(*t.panel);
      set(t);
    }
    EXPECT_EQ(t.panel->Width(), size.X);
    EXPECT_EQ(t.panel->Height(), size.Y);
    ASSERT_NE(t.name->Edits(0), nullptr);
    if (t.name->GetDisplayWidth() == 10) continue;
    // The edit as wide as 300,000,001 characters reaches the largest int from its column.
    EXPECT_EQ(t.name->Edits(0)->BoundsRect(), Rect(85, kRowStep, INT_MAX, kRowStep + kEditHeight));
    EXPECT_EQ(t.panel->ScrollBox()->HorzScrollBar()->Range(), INT_MAX);
  }
}

// ---- AutoSize, scroll bars, scrolling ----

TEST(PanelLayout, AutoSizeWithoutAlignmentGrowsToTheRowsAndShowsNoBars) {
  Rows t;
  EXPECT_EQ(t.panel->Align(), alNone);
  EXPECT_EQ(t.panel->BoundsRect(), Bounds(0, 0, 217, 50));
  EXPECT_FALSE(t.panel->ScrollBox()->VertScrollBar()->Visible());
  EXPECT_FALSE(t.panel->ScrollBox()->HorzScrollBar()->Visible());
  EXPECT_EQ(t.panel->ScrollBox()->VertScrollBar()->Range(), 44);
  EXPECT_EQ(t.panel->ScrollBox()->HorzScrollBar()->Range(), 211);
  t.name->SetDisplayWidth(40);  // 85 + 328 = 413: the panel grows with the row
  EXPECT_EQ(t.panel->Width(), 413 + 6);
}

TEST(PanelLayout, AutoSizeWithClientAlignmentKeepsTheSizeAndScrolls) {
  TPanel host(nullptr);
  host.SetBevelOuter(bvNone);
  host.SetBounds(0, 0, 150, 40);
  Rows t;
  t.panel->SetAutoEditWidth(false);
  t.panel->SetParent(&host);
  t.panel->SetAlign(alClient);
  EXPECT_EQ(t.panel->BoundsRect(), Bounds(0, 0, 150, 40));
  EXPECT_EQ(t.panel->MaxFieldsWidth(), 144);
  EXPECT_EQ(t.panel->MaxFieldsHeight(), 34);
  TScrollingFieldsSet* box = t.panel->ScrollBox();
  EXPECT_TRUE(box->VertScrollBar()->Visible());
  EXPECT_TRUE(box->HorzScrollBar()->Visible());
  EXPECT_TRUE(box->VertScrollBar()->IsScrollBarVisible());
  EXPECT_EQ(box->HorzScrollBar()->Range(), 211);
  // Back to no alignment: the panel sizes itself to the rows again.
  t.panel->SetAlign(alNone);
  EXPECT_EQ(t.panel->Height(), 50);
  EXPECT_FALSE(box->VertScrollBar()->Visible());
}

TEST(PanelLayout, EmptyPanelKeepsItsHeightAndReportsMinusTheStepHeight) {
  Rows t;
  const int height = t.panel->Height();
  t.panel->SetMinFieldsWidth(120);
  {
    PaintGuard bracket(*t.panel);
    t.custno->SetCount(coNone);
    t.name->SetCount(coNone);
  }
  EXPECT_EQ(t.panel->RequiredHeight(), -2);
  EXPECT_EQ(t.panel->RequiredWidth(), 120);
  EXPECT_EQ(t.panel->Height(), height);
  EXPECT_EQ(t.panel->ScrollBox()->ControlCount(), 0);
}

TEST(PanelLayout, ScrolledRelayoutKeepsPositionsRelativeToTheScrolledOrigin) {
  Rows t;
  t.panel->SetAutoSize(false);
  t.panel->SetAutoEditWidth(false);
  t.panel->SetBounds(0, 0, 150, 40);
  TScrollingFieldsSet* box = t.panel->ScrollBox();
  ASSERT_TRUE(box->HorzScrollBar()->IsScrollBarVisible());
  ASSERT_TRUE(box->VertScrollBar()->IsScrollBarVisible());
  box->HorzScrollBar()->SetPosition(20);
  box->VertScrollBar()->SetPosition(10);
  ASSERT_EQ(box->HorzScrollBar()->Position(), 20);
  ASSERT_EQ(box->VertScrollBar()->Position(), 10);
  t.panel->WndChanged();
  ExpectBounds(t.custno->Labels(0), 1 - 20, kLabelTop - 10, 45, kLabelHeight, "Number");
  ExpectBounds(t.custno->Labels(1), 54 - 20, kLabelTop - 10, 23, kLabelHeight, "with");
  ExpectBounds(t.custno->Edits(0), 85 - 20, -10, 48, kEditHeight, "CustNo from");
  ExpectBounds(t.name->Edits(0), 85 - 20, kRowStep - 10, 88, kEditHeight, "Name edit");
  // The extent is the rows' own, whatever the scroll position, so the range still
  // reaches the end of the widest row.
  EXPECT_EQ(t.panel->RequiredWidth(), 211);
  EXPECT_EQ(box->HorzScrollBar()->Range(), 211);
}

TEST(PanelLayout, ScrollingDoesNotChangeHowFarTheEditsShrink) {
  Rows t;
  t.panel->SetAutoSize(false);
  t.panel->SetBounds(0, 0, 152, 40);  // 146 x 34 for the rows
  // Two rows (44) need a vertical bar: 16 are kept free. Name: 146 - 85 - 1 - 16 = 44
  // available, r = 44 / 88, so 44 wide; CustNo: half of 44 - 14 - 16 is 7, so the
  // minimum of 16. The widest row, 85 + 16 + 8 + 14 + 8 + 16, needs the horizontal bar.
  ASSERT_EQ(t.name->Edits(0)->Width(), 44);
  ASSERT_EQ(t.custno->Edits(0)->Width(), 16);
  TScrollingFieldsSet* box = t.panel->ScrollBox();
  ASSERT_TRUE(box->HorzScrollBar()->IsScrollBarVisible());
  box->HorzScrollBar()->SetPosition(10);
  ASSERT_EQ(box->HorzScrollBar()->Position(), 10);
  t.panel->WndChanged();
  ExpectBounds(t.name->Edits(0), 85 - 10, kRowStep, 44, kEditHeight, "Name edit");
  ExpectBounds(t.custno->Edits(1), 85 + 16 + 8 + 14 + 8 - 10, 0, 16, kEditHeight, "CustNo to");
  EXPECT_EQ(t.panel->RequiredWidth(), 147);
}

// At the edge where the vertical bar appears (rows exactly as tall as the space, and one
// or two pixels taller), the edits end left of the bar whenever it shows.
TEST(PanelLayout, RowsAtTheHeightWhereTheVerticalBarAppearsKeepTheEditsLeftOfIt) {
  for (const int taller : {0, 1, 2}) {
    SCOPED_TRACE(taller);
    Rows t;
    t.panel->SetAutoSize(false);
    t.panel->SetBounds(0, 0, 180, 44 - taller + 6);  // the rows are 44 high; the frame 6
    TScrollingFieldsSet* box = t.panel->ScrollBox();
    ASSERT_EQ(t.panel->RequiredHeight(), t.panel->MaxFieldsHeight() + taller);
    ASSERT_EQ(box->VertScrollBar()->IsScrollBarVisible(), taller > 0);
    ASSERT_FALSE(box->HorzScrollBar()->IsScrollBarVisible());
    for (const TControl* edit : {t.custno->Edits(1), t.name->Edits(0)}) {
      ASSERT_NE(edit, nullptr);
      EXPECT_LE(edit->BoundsRect().Right, box->ClientWidth());
    }
  }
}

TEST(PanelLayout, TogglingTheHorizontalBarRepeatsThePassExactlyOnce) {
  Rows t;
  t.panel->SetAutoSize(false);
  t.panel->SetAutoEditWidth(false);
  t.panel->SetBounds(0, 0, 150, 100);  // 144 x 94 for the rows
  ASSERT_TRUE(t.panel->ScrollBox()->HorzScrollBar()->Visible());  // 211 >= 144
  int before = t.panel->layout_passes;
  t.panel->WndChanged();
  EXPECT_EQ(t.panel->layout_passes, before + 1);
  before = t.panel->layout_passes;
  t.custno->SetCount(coNone);  // Name alone: 130 wide, the bar goes
  EXPECT_FALSE(t.panel->ScrollBox()->HorzScrollBar()->Visible());
  EXPECT_EQ(t.panel->layout_passes, before + 2);
  before = t.panel->layout_passes;
  t.custno->SetCount(coTwo);  // and comes back
  EXPECT_TRUE(t.panel->ScrollBox()->HorzScrollBar()->Visible());
  EXPECT_EQ(t.panel->layout_passes, before + 2);
  EXPECT_FALSE(t.panel->RelayoutPass());
}

// ---- controls kept from pass to pass ----

// Counts the controls of a box that are freed.
class FreeCounter : public TComponent {
 public:
  explicit FreeCounter(TWinControl& box) : TComponent(nullptr) {
    for (int i = 0; i < box.ComponentCount(); ++i) {
      box.Components(i)->FreeNotification(this);
      watched.insert(box.Components(i));
    }
  }
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == opRemove && watched.erase(c) == 1) ++freed;
  }
  std::set<TComponent*> watched;
  int freed = 0;
};

std::set<TComponent*> ComponentsOf(const TWinControl& box) {
  std::set<TComponent*> result;
  for (int i = 0; i < box.ComponentCount(); ++i) result.insert(box.Components(i));
  return result;
}

TEST(PanelLayout, RelayoutCreatesAndFreesOnlyTheControlsThatChanged) {
  Rows t;
  TScrollingFieldsSet& box = *t.panel->ScrollBox();
  // CustNo: label, with, on, two edits; Name: label, edit.
  ASSERT_EQ(box.ComponentCount(), 7);
  {
    FreeCounter counter(box);
    const std::set<TComponent*> before = ComponentsOf(box);
    t.name->SetCommentVisible(true);
    const std::set<TComponent*> after = ComponentsOf(box);
    EXPECT_EQ(counter.freed, 0);
    EXPECT_EQ(after.size(), before.size() + 1);
    EXPECT_TRUE(after.count(t.name->CommentLabels(0)) == 1 && before.count(t.name->CommentLabels(0)) == 0);
  }
  {
    FreeCounter counter(box);
    TFieldRecordEdit* kept = FieldEdit(*t.custno, 0);
    t.custno->SetCount(coOne);  // the upper bound and both captions go
    EXPECT_EQ(counter.freed, 3);
    EXPECT_EQ(box.ComponentCount(), 8 - 3);
    EXPECT_EQ(t.custno->Edits(0), kept);
    EXPECT_EQ(t.custno->Edits(1), nullptr);
    EXPECT_EQ(t.custno->Labels(1), nullptr);
    EXPECT_EQ(t.custno->Labels(2), nullptr);
  }
  {
    FreeCounter counter(box);
    t.panel->WndChanged();  // nothing changed: nothing made, nothing freed
    EXPECT_EQ(counter.freed, 0);
    EXPECT_EQ(box.ComponentCount(), 5);
  }
}

TEST(PanelLayout, ClosingFreesEveryControlAndReopeningFillsThemFromTheValues) {
  Rows t;
  t.panel->Fields()->SetDefaultFields(false);
  t.custno->SetValues(0, Variant(std::int32_t{10}));
  t.custno->SetValues(1, Variant(std::int32_t{20}));
  t.name->SetValues(0, Variant("Smi"));
  EXPECT_EQ(t.custno->Edits(1)->Text(), "20");
  t.table.Close();
  EXPECT_EQ(t.panel->ScrollBox()->ComponentCount(), 0);
  EXPECT_EQ(t.custno->Edits(0), nullptr);
  EXPECT_EQ(t.name->Labels(0), nullptr);
  std::vector<int> emptied;
  t.panel->OnEditChange = [&](TFieldRecord* record, int edit_no) {
    emptied.push_back(record->Index() * 10 + edit_no);
  };
  t.balance->SetCount(coOne);
  t.table.Open();
  ASSERT_NE(t.custno->Edits(1), nullptr);
  EXPECT_EQ(t.custno->Edits(0)->Text(), "10");
  EXPECT_EQ(t.custno->Edits(1)->Text(), "20");
  EXPECT_EQ(t.name->Edits(0)->Text(), "Smi");
  // Every new edit reports its text once: a filled one through its change, the empty
  // one of Balance (record 3) by the layout's own call.
  EXPECT_EQ(emptied, (std::vector<int>{0, 1, 10, 30}));
  EXPECT_EQ(t.custno->GetValues(0), Variant(std::int32_t{10}));
}

TEST(PanelLayout, WithoutAutoSaveValuesNewEditsStartEmpty) {
  Rows t;
  t.panel->Fields()->SetDefaultFields(false);
  t.name->SetValues(0, Variant("Smi"));
  t.table.Close();
  t.panel->SetAutoSaveValues(false);
  t.table.Open();
  EXPECT_EQ(t.name->Edits(0)->Text(), "");
  EXPECT_EQ(t.name->GetValues(0), Variant("Smi"));  // an edit that starts empty keeps the value
}

// ---- failure paths ----

TEST(PanelLayout, FailingStepRestoresTheCountersAndLeavesThePanelUsable) {
  Rows t;
  t.panel->SetAutoSize(false);
  t.panel->SetAutoEditWidth(false);
  t.panel->SetBounds(0, 0, 150, 100);
  bool fail = false;
  t.panel->count_state_hook = [&](const TFieldRecord*) {
    if (fail) throw std::runtime_error("count");
  };
  fail = true;
  EXPECT_THROW(t.panel->WndChanged(), std::runtime_error);
  EXPECT_FALSE(t.panel->CreatingControls());
  EXPECT_EQ(t.panel->LayoutLevel(), 0);
  EXPECT_FALSE(t.panel->RelayoutPass());

  // A failure in the repeated pass (the horizontal bar goes when CustNo leaves).
  fail = false;
  t.panel->BeginPaint();
  t.custno->SetCount(coNone);
  t.panel->count_state_hook = [&](const TFieldRecord*) {
    if (t.panel->RelayoutPass()) throw std::runtime_error("second pass");
  };
  EXPECT_THROW(t.panel->EndPaint(), std::runtime_error);
  EXPECT_EQ(t.panel->PaintCount(), 0);
  EXPECT_FALSE(t.panel->CreatingControls());
  EXPECT_EQ(t.panel->LayoutLevel(), 0);
  EXPECT_FALSE(t.panel->RelayoutPass());

  t.panel->count_state_hook = nullptr;
  t.custno->SetCount(coTwo);
  ExpectBounds(t.custno->Edits(1), 163, 0, 48, kEditHeight, "CustNo to");
  ExpectBounds(t.name->Edits(0), 85, kRowStep, 88, kEditHeight, "Name edit");
}

// ---- relayout triggers ----

TEST(PanelLayout, ResizeAndInvalidateRelayOutOnlyOutsideALayout) {
  Rows t;
  t.panel->SetAutoSize(false);
  int before = t.panel->paint_calls;
  t.panel->SetBounds(0, 0, 300, 90);
  EXPECT_EQ(t.panel->paint_calls, before + 1);
  before = t.panel->paint_calls;
  t.panel->Invalidate();
  EXPECT_EQ(t.panel->paint_calls, before + 1);
  // A relayout resizes the panel (AutoSize) without starting another one.
  t.panel->SetAutoSize(true);
  EXPECT_EQ(t.panel->Height(), 50);
  EXPECT_EQ(t.panel->LayoutLevel(), 0);
  // With a window, a move arrives as WM_WINDOWPOSCHANGED, whose invalidation does not
  // relay out; the resize it reports does, once.
  t.panel->SetAutoSize(false);
  t.panel->HandleNeeded();
  before = t.panel->paint_calls;
  t.panel->SetBounds(5, 5, 300, 90);
  EXPECT_EQ(t.panel->paint_calls, before + 1);
  EXPECT_FALSE(t.panel->InWindowPosChange());
}

TEST(PanelLayout, AlignmentRelaysOutWhenLeavingClientOrGoingToNone) {
  Rows t;
  int before = t.panel->paint_calls;
  t.panel->SetAlign(alTop);  // from none to top, no parent: nothing to redo
  EXPECT_EQ(t.panel->paint_calls, before);
  t.panel->SetAlign(alNone);
  EXPECT_EQ(t.panel->paint_calls, before + 1);
  t.panel->SetAutoSize(false);
  before = t.panel->paint_calls;
  t.panel->SetAlign(alTop);
  t.panel->SetAlign(alNone);
  EXPECT_EQ(t.panel->paint_calls, before);
}

TEST(PanelLayout, NothingIsLaidOutWhileLoading) {
  Rows t;
  const int before = t.panel->layout_passes;
  t.panel->IncludeState(csLoading);
  t.panel->WndChanged();
  t.panel->Invalidate();
  EXPECT_EQ(t.panel->layout_passes, before);
  t.panel->ExcludeState(csLoading);
}

// ---- the form stream ----

TEST(PanelLayout, PanelReadBackFromTheFormStreamShowsTheSameControlsInTheSamePlaces) {
  RegisterClass(TTestPanel::StaticType());
  PanelWithTable source;
  source.table.Open();
  TForm form(nullptr);
  form.SetName("Form1");
  auto* panel = new TTestPanel(&form);
  panel->SetName("Panel1");
  panel->SetParent(&form);
  panel->SetPosState(psTwoLineFmt);
  panel->SetStepHeight(5);
  panel->Captions()->SetCaption(0, "from");
  TFieldsList& fields = *panel->Fields();
  fields.SetDefaultFields(false);
  TFieldRecord* qty = fields.Add();
  qty->SetFieldName("CustNo");
  qty->SetDisplayLabel("Customer number");
  qty->SetDisplayWidth(6);
  qty->SetButtonStyle(rbsEllipsis);
  TFieldRecord* name = fields.Add();
  name->SetFieldName("Name");
  name->SetCommentVisible(true);
  name->SetCommentWidth(4);
  name->SetCommentTexts(0, "any part");
  name->SetValues(0, Variant("Smi"));
  qty->SetValues(0, Variant(std::int32_t{3}));

  auto snapshot = [](TPanelFieldsSet& p) {
    std::vector<TRect> bounds;
    for (int i = 0; i < p.Fields()->Count(); ++i) {
      TFieldRecord* r = p.Fields()->Items(i);
      for (TControl* c : std::initializer_list<TControl*>{r->Edits(0), r->Edits(1), r->Labels(0),
                                                          r->Labels(1), r->Labels(2),
                                                          r->CommentLabels(0), r->CommentLabels(1)}) {
        bounds.push_back(c != nullptr ? c->BoundsRect() : TRect{-1, -1, -1, -1});
      }
    }
    bounds.push_back(p.BoundsRect());
    return bounds;
  };
  panel->SetDataSource(&source.source);
  const std::vector<TRect> shown = snapshot(*panel);
  EXPECT_NE(qty->Edits(1), nullptr);
  panel->SetDataSource(nullptr);

  TForm copy(nullptr);
  testing_support::ReadForm(testing_support::WriteForm(form), copy);
  auto* loaded = dynamic_cast<TTestPanel*>(copy.FindComponent("Panel1"));
  ASSERT_NE(loaded, nullptr);
  loaded->SetDataSource(&source.source);
  const std::vector<TRect> read = snapshot(*loaded);
  ASSERT_EQ(read.size(), shown.size());
  for (std::size_t i = 0; i < shown.size(); ++i) {
    EXPECT_EQ(read[i], shown[i]) << "control " << i;
  }
  EXPECT_EQ(loaded->Fields()->Items(1)->Edits(0)->Text(), "Smi");
  EXPECT_EQ(loaded->Fields()->Items(1)->CommentLabels(0)->Caption(), "any part");
  EXPECT_TRUE(FieldEdit(*loaded->Fields()->Items(0), 0)->ShowButton());
}

}  // namespace
}  // namespace vantor
