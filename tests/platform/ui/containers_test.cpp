#include <gtest/gtest.h>

#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/ui/custom_panel.h>
#include <vantor/platform/ui/label.h>
#include <vantor/platform/ui/scrolling_win_control.h>

namespace vantor {
namespace {

// Restores the new-style look after a test that turns it off.
struct OldStyleLook {
  OldStyleLook() { SetNewStyleControls(false); }
  ~OldStyleLook() { SetNewStyleControls(true); }
  OldStyleLook(const OldStyleLook&) = delete;
  OldStyleLook& operator=(const OldStyleLook&) = delete;
};

TEST(PanelGeometry, ChildrenAlignInsideBorderAndBevels) {
  TPanel panel(nullptr);
  panel.SetBounds(0, 0, 200, 100);
  panel.SetBorderWidth(2);
  panel.SetBevelInner(bvLowered);
  EXPECT_EQ(panel.FrameSize(), 4);  // raised outer bevel 1, border 2, inner bevel 1
  auto* child = new TPanel(&panel);
  child->SetParent(&panel);
  child->SetAlign(alClient);
  EXPECT_EQ(panel.ClientRect(), Rect(0, 0, 200, 100));
  EXPECT_EQ(child->BoundsRect(), Bounds(4, 4, 192, 92));

  panel.SetBevelOuter(bvNone);  // the frame shrinks and the child follows
  EXPECT_EQ(child->BoundsRect(), Bounds(3, 3, 194, 94));
  panel.SetBevelWidth(3);
  EXPECT_EQ(child->BoundsRect(), Bounds(5, 5, 190, 90));
}

TEST(PanelGeometry, SingleBorderIsASunkenEdgeOrAOnePixelLine) {
  TPanel panel(nullptr);
  panel.SetBounds(0, 0, 200, 100);
  auto* child = new TPanel(&panel);
  child->SetParent(&panel);
  child->SetAlign(alClient);
  panel.SetBorderStyle(bsSingle);
  EXPECT_EQ(panel.ClientRect(), Rect(0, 0, 196, 96));
  EXPECT_EQ(child->BoundsRect(), Bounds(1, 1, 194, 94));  // inside the raised bevel
  EXPECT_EQ(panel.ClientOrigin(), Point(2, 2));
  panel.SetCtl3D(false);
  EXPECT_EQ(panel.ClientRect(), Rect(0, 0, 198, 98));
  EXPECT_EQ(child->BoundsRect(), Bounds(1, 1, 196, 96));
  OldStyleLook old_look;
  panel.SetCtl3D(true);
  EXPECT_EQ(panel.ClientRect(), Rect(0, 0, 198, 98));  // the old look has no sunken edges
}

TEST(PanelGeometry, NestedPanelsAlignInCreationOrder) {
  TPanel outer(nullptr);
  outer.SetBounds(0, 0, 300, 200);  // default frame: raised bevel of 1
  auto add = [&](TWinControl* parent, TAlign align, int size) {
    auto* p = new TPanel(&outer);
    p->SetBounds(0, 0, size, size);
    p->SetParent(parent);
    p->SetAlign(align);
    return p;
  };
  TPanel* header = add(&outer, alTop, 50);
  TPanel* footer = add(&outer, alBottom, 30);
  TPanel* body = add(&outer, alClient, 10);
  TPanel* side = add(header, alLeft, 40);
  TPanel* rest = add(header, alClient, 10);
  EXPECT_EQ(header->BoundsRect(), Bounds(1, 1, 298, 50));
  EXPECT_EQ(footer->BoundsRect(), Bounds(1, 169, 298, 30));
  EXPECT_EQ(body->BoundsRect(), Bounds(1, 51, 298, 118));
  EXPECT_EQ(side->BoundsRect(), Bounds(1, 1, 40, 48));
  EXPECT_EQ(rest->BoundsRect(), Bounds(41, 1, 256, 48));
  outer.SetWidth(400);
  EXPECT_EQ(rest->BoundsRect(), Bounds(41, 1, 356, 48));
}

TEST(PanelPaint, RecordsBevelsBackgroundAndCentredCaption) {
  TPanel panel(nullptr);
  panel.SetBounds(0, 0, 100, 41);
  panel.SetCaption("Hi");
  panel.HandleNeeded();
  panel.Repaint();
  const auto& ops = panel.Surface().ops;
  ASSERT_EQ(ops.size(), 4u + 1u + 1u);  // one bevel ring, fill, caption
  EXPECT_EQ(ops[0].pen_color, clBtnHighlight);
  EXPECT_EQ(ops[2].pen_color, clBtnShadow);
  EXPECT_EQ(ops[4].kind, TCanvasOpKind::FillRect);
  EXPECT_EQ(ops[4].rect, Rect(1, 1, 99, 40));
  EXPECT_EQ(ops[4].brush_color, clBtnFace);
  EXPECT_EQ(ops[5].kind, TCanvasOpKind::TextRect);
  EXPECT_EQ(ops[5].text, "Hi");
  const int width = 8 + 3;  // H and i at the 8-point size
  EXPECT_EQ(ops[5].at, Point(1 + (98 - width) / 2, (40 + 1 - 13) / 2));
}

TEST(ScrollBoxGeometry, BarsTakeTheirWidthWhenTheContentIsLarger) {
  TScrollBox box(nullptr);
  box.SetBounds(0, 0, 100, 80);
  EXPECT_EQ(box.ClientRect(), Rect(0, 0, 96, 76));  // sunken edge of 2
  auto* wide = new TPanel(&box);
  wide->SetParent(&box);
  wide->SetBounds(0, 0, 150, 20);
  EXPECT_TRUE(box.HorzScrollBar()->IsScrollBarVisible());
  EXPECT_FALSE(box.VertScrollBar()->IsScrollBarVisible());
  EXPECT_EQ(box.HorzScrollBar()->Range(), 150);
  EXPECT_EQ(box.ClientRect(), Rect(0, 0, 96, 60));
  auto* low = new TPanel(&box);
  low->SetParent(&box);
  low->SetBounds(0, 70, 20, 10);
  EXPECT_TRUE(box.VertScrollBar()->IsScrollBarVisible());
  EXPECT_EQ(box.ClientRect(), Rect(0, 0, 80, 60));
  EXPECT_EQ(box.ClientWidth(), 96 - GetSystemMetrics(SM_CXVSCROLL));
}

TEST(ScrollBoxGeometry, ScrollingMovesTheChildrenWithinTheRange) {
  TScrollBox box(nullptr);
  box.SetBorderStyle(bsNone);
  box.SetBounds(0, 0, 100, 100);
  auto* child = new TPanel(&box);
  child->SetParent(&box);
  child->SetBounds(10, 10, 200, 50);
  ASSERT_EQ(box.ClientRect(), Rect(0, 0, 100, 84));
  EXPECT_EQ(box.HorzScrollBar()->ScrollRange(), 110);
  box.HorzScrollBar()->SetPosition(30);
  EXPECT_EQ(child->Left(), -20);
  box.HorzScrollBar()->SetPosition(1000);
  EXPECT_EQ(box.HorzScrollBar()->Position(), 110);
  EXPECT_EQ(child->Left(), -100);
  EXPECT_EQ(box.HorzScrollBar()->Range(), 210);  // the range does not move with the scroll
  box.HorzScrollBar()->SetPosition(0);
  EXPECT_EQ(child->Left(), 10);
  // A larger box needs no bar: the position comes back to 0.
  box.HorzScrollBar()->SetPosition(50);
  box.SetWidth(400);
  EXPECT_FALSE(box.HorzScrollBar()->IsScrollBarVisible());
  EXPECT_EQ(box.HorzScrollBar()->Position(), 0);
  EXPECT_EQ(child->Left(), 10);
}

// A panel that refuses to move while it is told so.
class TStuckPanel : public TPanel {
 public:
  using TPanel::TPanel;
  void SetBounds(int left, int top, int width, int height) override {
    if (stuck) throw EInvalidOperation("The panel cannot move");
    TPanel::SetBounds(left, top, width, height);
  }
  bool stuck = false;
};

TEST(ScrollBoxGeometry, AChildThatFailsToMoveLeavesTheBoxAligningItsChildren) {
  TScrollBox box(nullptr);
  box.SetBorderStyle(bsNone);
  box.SetBounds(0, 0, 100, 100);
  auto* stuck = new TStuckPanel(&box);
  stuck->SetParent(&box);
  stuck->SetBounds(0, 30, 50, 50);
  auto* header = new TPanel(&box);
  header->SetParent(&box);
  header->SetHeight(20);
  header->SetAlign(alTop);
  stuck->stuck = true;
  EXPECT_THROW(box.ScrollBy(0, -10), EInvalidOperation);
  stuck->stuck = false;
  // The scroll's alignment bracket is closed: aligned children follow the box again.
  EXPECT_FALSE(box.AlignDisabled());
  box.SetWidth(300);
  EXPECT_EQ(header->BoundsRect(), Bounds(0, 0, 300, 20));
}

TEST(ScrollBoxGeometry, ExplicitRangesWithoutAutoScroll) {
  TScrollingWinControl box(nullptr);
  box.SetBounds(0, 0, 100, 100);
  box.VertScrollBar()->SetRange(300);
  EXPECT_FALSE(box.AutoScroll());  // an explicit range ends the automatic one
  EXPECT_TRUE(box.VertScrollBar()->IsScrollBarVisible());
  EXPECT_EQ(box.Height() - box.ClientHeight(), 0);
  EXPECT_EQ(box.Width() - box.ClientWidth(), 16);
  box.VertScrollBar()->SetVisible(false);
  EXPECT_EQ(box.ClientRect(), Rect(0, 0, 100, 100));
  box.HorzScrollBar()->SetRange(100);  // not larger than the client width: no bar
  EXPECT_FALSE(box.HorzScrollBar()->IsScrollBarVisible());
  box.HorzScrollBar()->SetRange(101);
  EXPECT_EQ(box.Height() - box.ClientHeight(), GetSystemMetrics(SM_CYHSCROLL));
}

TEST(ScrollBoxGeometry, ClientAlignedChildFollowsTheBarsAppearing) {
  TScrollingWinControl box(nullptr);
  box.SetBounds(0, 0, 100, 100);
  auto* fill = new TPanel(&box);
  fill->SetParent(&box);
  fill->SetAlign(alClient);
  EXPECT_EQ(fill->BoundsRect(), Bounds(0, 0, 100, 100));
  box.HorzScrollBar()->SetRange(500);
  EXPECT_EQ(fill->BoundsRect(), Bounds(0, 0, 500, 84));
  int resizes = 0;
  box.OnResize = [&](TObject*) { ++resizes; };
  box.HorzScrollBar()->SetVisible(false);
  EXPECT_EQ(fill->BoundsRect(), Bounds(0, 0, 100, 100));
  EXPECT_EQ(resizes, 1);  // a client-area change is reported like a resize
}

TEST(LabelGeometry, AutoSizeMeasuresTheCaptionInItsFont) {
  TLabel label(nullptr);
  EXPECT_EQ(label.Width(), 3);  // an empty caption measures as one blank
  EXPECT_EQ(label.Height(), 13);
  label.SetCaption("with");
  EXPECT_EQ(label.Width(), 23);
  EXPECT_EQ(label.Height(), 13);
  label.SetCaption("A");
  EXPECT_EQ(label.Width(), 8);
  label.Font()->SetSize(12);
  EXPECT_EQ(label.Width(), 11);
  EXPECT_EQ(label.Height(), 19);
  label.Font()->SetSize(8);
  label.Font()->SetStyle({fsBold});
  EXPECT_EQ(label.Width(), 9);
  label.SetCaption("a\nbb");
  EXPECT_EQ(label.Width(), 16);  // the wider line: two bold b of 7 + 1
  EXPECT_EQ(label.Height(), 26);
}

TEST(LabelGeometry, AccelMarksAreNotMeasuredAndRightJustifiedKeepsItsRightEdge) {
  TLabel label(nullptr);
  label.SetCaption("&File");
  EXPECT_EQ(label.DisplayText(), "File");
  TFont font;
  EXPECT_EQ(label.Width(), TextWidth(font, "File"));
  label.SetCaption("A&&B");
  EXPECT_EQ(label.DisplayText(), "A&B");
  label.SetShowAccelChar(false);
  EXPECT_EQ(label.DisplayText(), "A&&B");

  label.SetAlignment(taRightJustify);
  label.SetCaption("AAA");
  label.SetLeft(100);
  const int right = label.Left() + label.Width();
  label.SetCaption("A");
  EXPECT_EQ(label.Left() + label.Width(), right);
  EXPECT_EQ(label.Width(), 8);

  label.SetAutoSize(false);
  label.SetCaption("much longer text");
  EXPECT_EQ(label.Width(), 8);
}

TEST(LabelGeometry, FollowsItsParentsFontAndWordWraps) {
  TPanel panel(nullptr);
  auto* label = new TLabel(&panel);
  label->SetParent(&panel);
  label->SetCaption("A");
  panel.Font()->SetSize(12);
  EXPECT_EQ(label->Width(), 11);
  EXPECT_EQ(label->Height(), 19);
  panel.Font()->SetSize(8);
  label->SetCaption("aaa bbb ccc");
  label->SetAutoSize(false);
  label->SetWidth(50);  // "aaa bbb" is 45 pixels wide
  label->SetWordWrap(true);
  label->SetAutoSize(true);
  EXPECT_EQ(label->Lines(), (std::vector<std::string>{"aaa bbb", "ccc"}));
  EXPECT_EQ(label->Height(), 26);
  EXPECT_EQ(label->Width(), 50);
}

TEST(LabelPaint, DrawsOnTheParentSurfaceAtItsPlace) {
  TPanel panel(nullptr);
  panel.SetBevelOuter(bvNone);
  auto* label = new TLabel(&panel);
  label->SetParent(&panel);
  label->SetBounds(10, 20, 0, 0);
  label->SetCaption("Name");
  panel.HandleNeeded();
  panel.Repaint();
  const auto& ops = panel.Surface().ops;
  ASSERT_EQ(ops.size(), 1u + 2u);  // panel fill, label fill, label text
  EXPECT_EQ(ops[1].kind, TCanvasOpKind::FillRect);
  EXPECT_EQ(ops[1].rect, Bounds(10, 20, label->Width(), 13));
  EXPECT_EQ(ops[1].brush_color, clBtnFace);  // the label follows the panel's colour
  EXPECT_EQ(ops[2].text, "Name");
  EXPECT_EQ(ops[2].at, Point(10, 20));
  label->SetEnabled(false);
  panel.Repaint();
  ASSERT_EQ(panel.Surface().ops.size(), 1u + 3u);
  EXPECT_EQ(panel.Surface().ops[2].font_color, clBtnHighlight);
  EXPECT_EQ(panel.Surface().ops[3].font_color, clBtnShadow);
}

}  // namespace
}  // namespace vantor
