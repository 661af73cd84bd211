#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/ui/control.h>
#include <vantor/platform/ui/custom_control.h>
#include <vantor/platform/ui/custom_panel.h>
#include <vantor/platform/ui/keyboard_input.h>
#include <vantor/platform/ui/win_control.h>

namespace vantor {
namespace {

// A container that records the messages it receives.
class SpyWin : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  std::vector<std::uint32_t> log;
  int resizes = 0;
  bool refuse_children = false;
  void WndProc(TMessage& m) override {
    log.push_back(m.Msg);
    TCustomControl::WndProc(m);
  }
  void ValidateInsert(TComponent* c) override {
    if (refuse_children) throw EInvalidOperation("no children here");
    TCustomControl::ValidateInsert(c);
  }
  int Count(std::uint32_t msg) const {
    return static_cast<int>(std::count(log.begin(), log.end(), msg));
  }

 protected:
  void Resize() override {
    ++resizes;
    TCustomControl::Resize();
  }
};

class Box : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;
  int paints = 0;

 protected:
  void Paint() override {
    ++paints;
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
  }
};

TEST(Messages, KeepTheWindowSystemNumbers) {
  EXPECT_EQ(WM_SIZE, 0x0005u);
  EXPECT_EQ(WM_SETFOCUS, 0x0007u);
  EXPECT_EQ(WM_KILLFOCUS, 0x0008u);
  EXPECT_EQ(WM_PAINT, 0x000Fu);
  EXPECT_EQ(WM_WINDOWPOSCHANGED, 0x0047u);
  EXPECT_EQ(WM_NCHITTEST, 0x0084u);
  EXPECT_EQ(WM_GETDLGCODE, 0x0087u);
  EXPECT_EQ(WM_KEYDOWN, 0x0100u);
  EXPECT_EQ(WM_KEYUP, 0x0101u);
  EXPECT_EQ(WM_CHAR, 0x0102u);
  EXPECT_EQ(WM_MOUSEMOVE, 0x0200u);
  EXPECT_EQ(WM_MBUTTONDBLCLK, 0x0209u);
  EXPECT_EQ(EM_GETRECT, 0xB2u);
  EXPECT_EQ(EM_SETRECTNP, 0xB4u);
  EXPECT_EQ(EM_GETMARGINS, 0xD4u);
  EXPECT_EQ(CM_BASE, 0xB000u);
  EXPECT_EQ(CM_PARENTFONTCHANGED, 0xB008u);
  EXPECT_EQ(CM_PARENTCOLORCHANGED, 0xB009u);
  EXPECT_EQ(CM_COLORCHANGED, 0xB00Du);
  EXPECT_EQ(CM_FONTCHANGED, 0xB00Eu);
  EXPECT_EQ(CM_CURSORCHANGED, 0xB00Fu);
  EXPECT_EQ(CM_CTL3DCHANGED, 0xB010u);
  EXPECT_EQ(CM_ENTER, 0xB01Au);
  EXPECT_EQ(CM_EXIT, 0xB01Bu);
  EXPECT_EQ(DLGC_WANTALLKEYS, 4);
  EXPECT_EQ(crHourGlass, -11);
  EXPECT_EQ(crDefault, 0);
  EXPECT_EQ(GetXLParam(MakeLParam(-3, 7)), -3);
  EXPECT_EQ(GetYLParam(MakeLParam(-3, 7)), 7);
}

TEST(ControlGeometry, BoundsClientAreaAndScreenMapping) {
  SpyWin root(nullptr);
  root.SetBounds(100, 50, 300, 200);
  auto* child = new SpyWin(&root);
  child->SetParent(&root);
  child->SetBounds(10, 20, 50, 40);
  auto* box = new Box(&root);
  box->SetParent(child);
  box->SetBounds(5, 6, 7, 8);
  EXPECT_EQ(child->BoundsRect(), Bounds(10, 20, 50, 40));
  EXPECT_EQ(child->ClientRect(), Rect(0, 0, 50, 40));
  EXPECT_EQ(box->ClientOrigin(), Point(100 + 10 + 5, 50 + 20 + 6));
  EXPECT_EQ(box->ClientToScreen({1, 1}), Point(116, 77));
  EXPECT_EQ(child->ScreenToClient({110, 70}), Point(0, 0));
  child->SetClientWidth(60);
  EXPECT_EQ(child->Width(), 60);
  child->SetWidth(-5);
  EXPECT_EQ(child->Width(), 0);  // sizes never go negative
}

// Sizes as large as an int holds end the control at the largest int: its edges, its
// client origin, the screen mapping and the space left to aligned controls stay
// representable, and asking again for the same size is no change.
TEST(ControlGeometry, HugeSizesEndAtTheLargestIntInsteadOfWrapping) {
  SpyWin root(nullptr);
  root.SetBounds(100, 50, 300, 200);
  auto* box = new Box(&root);
  box->SetParent(&root);
  box->SetBounds(1000, 2000, INT_MAX, INT_MAX);
  EXPECT_EQ(box->BoundsRect(), Rect(1000, 2000, INT_MAX, INT_MAX));
  box->ResetInvalidateCount();
  box->SetWidth(INT_MAX);
  EXPECT_EQ(box->InvalidateCount(), 0) << "the same size, cut again, is no change";
  box->SetLeft(INT_MAX);
  EXPECT_EQ(box->ClientToScreen({10, INT_MAX}), Point(INT_MAX, INT_MAX));
  EXPECT_EQ(box->ScreenToClient({INT_MIN, 0}), Point(INT_MIN, -2050));
  auto* top = new SpyWin(&root);
  auto* below = new SpyWin(&root);
  for (SpyWin* w : {top, below}) {
    w->SetParent(&root);
    w->SetHeight(INT_MAX);
    w->SetAlign(alTop);
  }
  EXPECT_EQ(below->BoundsRect(), Rect(0, INT_MAX, 300, INT_MAX));
  EXPECT_EQ(below->ClientOrigin(), Point(100, INT_MAX));
  // A frame as wide as an int holds paints the rings that fit, and no more.
  TPanel panel(nullptr);
  panel.SetBounds(0, 0, 40, 30);
  panel.SetBorderWidth(INT_MAX);
  panel.HandleNeeded();
  panel.Repaint();
  EXPECT_LT(panel.Surface().ops.size(), 200u);
}

TEST(ControlGeometry, ResizeFiresOnSizeChangesOnly) {
  SpyWin w(nullptr);
  int events = 0;
  w.OnResize = [&](TObject*) { ++events; };
  w.SetBounds(0, 0, 10, 10);
  w.SetBounds(5, 5, 10, 10);  // moved only
  w.SetWidth(20);
  EXPECT_EQ(w.resizes, 2);
  EXPECT_EQ(events, 2);
}

TEST(ControlGeometry, WindowGetsWindowPosChangedAndSizeOnEveryBoundsChange) {
  SpyWin w(nullptr);
  w.SetBounds(0, 0, 10, 10);
  w.HandleNeeded();
  ASSERT_TRUE(w.HandleAllocated());
  EXPECT_EQ(TWinControl::FindControl(w.Handle()), &w);
  w.log.clear();
  w.SetBounds(0, 0, 30, 10);
  EXPECT_EQ(w.Count(WM_WINDOWPOSCHANGED), 1);
  EXPECT_EQ(w.Count(WM_SIZE), 1);
  w.log.clear();
  w.SetLeft(4);  // moved: position message, no size message
  EXPECT_EQ(w.Count(WM_WINDOWPOSCHANGED), 1);
  EXPECT_EQ(w.Count(WM_SIZE), 0);
  EXPECT_EQ(w.resizes, 3);  // before the window, at its creation, and after
}

// Every child here starts at the same place, (0, 0): at equal positions the control
// created first stands first, so the stack follows the order of creation.
TEST(ControlAlignment, TopBottomLeftRightClientFromOnePlaceStackInCreationOrder) {
  SpyWin root(nullptr);
  root.SetBounds(0, 0, 200, 100);
  auto make = [&](TAlign a, int w, int h) {
    auto* c = new SpyWin(&root);
    c->SetBounds(0, 0, w, h);
    c->SetAlign(a);
    c->SetParent(&root);
    return c;
  };
  SpyWin* top1 = make(alTop, 10, 10);
  SpyWin* bottom = make(alBottom, 10, 15);
  SpyWin* top2 = make(alTop, 10, 20);
  SpyWin* left = make(alLeft, 30, 5);
  SpyWin* right = make(alRight, 40, 5);
  SpyWin* client = make(alClient, 1, 1);
  EXPECT_EQ(top1->BoundsRect(), Bounds(0, 0, 200, 10));
  EXPECT_EQ(top2->BoundsRect(), Bounds(0, 10, 200, 20));
  EXPECT_EQ(bottom->BoundsRect(), Bounds(0, 85, 200, 15));
  EXPECT_EQ(left->BoundsRect(), Bounds(0, 30, 30, 55));
  EXPECT_EQ(right->BoundsRect(), Bounds(160, 30, 40, 55));
  EXPECT_EQ(client->BoundsRect(), Bounds(30, 30, 130, 55));

  // The parent's new size re-places every aligned child.
  root.SetBounds(0, 0, 300, 200);
  EXPECT_EQ(bottom->BoundsRect(), Bounds(0, 185, 300, 15));
  EXPECT_EQ(client->BoundsRect(), Bounds(30, 30, 230, 155));
  // A hidden child gives its share back.
  top2->Hide();
  EXPECT_EQ(client->BoundsRect(), Bounds(30, 10, 230, 175));
  // A child's height change moves the ones below it.
  top1->SetHeight(25);
  EXPECT_EQ(left->BoundsRect(), Bounds(0, 25, 30, 160));
}

TEST(ControlAlignment, RightAlignedHoldersStandInTheOrderOfTheirLeft) {
  // A dialog's button bar: holders designed left to right as OK, Next (hidden), Cancel,
  // Help (hidden), and made in that order too; the first made does not go right.
  SpyWin bar(nullptr);
  bar.SetBounds(0, 0, 352, 31);
  auto holder = [&](int left, int width, bool visible) {
    auto* c = new SpyWin(&bar);
    c->SetBounds(left, 0, width, 31);
    c->SetVisible(visible);
    c->SetAlign(alRight);
    c->SetParent(&bar);
    return c;
  };
  bar.DisableAlign();  // as a form is read: aligned once, at the end
  SpyWin* ok = holder(111, 80, true);
  SpyWin* next = holder(191, 80, false);
  SpyWin* cancel = holder(191, 80, true);
  SpyWin* help = holder(271, 81, false);
  bar.EnableAlign();
  EXPECT_EQ(cancel->BoundsRect(), Bounds(272, 0, 80, 31));
  EXPECT_EQ(ok->BoundsRect(), Bounds(192, 0, 80, 31));
  // Help placed right of Cancel.
  help->Show();
  help->SetLeft(cancel->Left() + cancel->Width());
  EXPECT_EQ(help->Left(), 271);
  EXPECT_EQ(cancel->Left(), 191);
  EXPECT_EQ(ok->Left(), 111);
  // Next placed right after OK: it meets Cancel's Left, and the earlier created of the
  // two stands left.
  next->Show();
  next->SetLeft(ok->Left() + ok->Width());
  EXPECT_EQ(help->Left(), 271);
  EXPECT_EQ(cancel->Left(), 191);
  EXPECT_EQ(next->Left(), 111);
  EXPECT_EQ(ok->Left(), 31);
  // Moving a holder far left moves it to the far end of the stack.
  help->SetLeft(0);
  EXPECT_EQ(help->Left(), 31);
  EXPECT_EQ(cancel->Left(), 272);
}

TEST(ControlAlignment, LeftTopAndBottomAlignedControlsFollowTheirPositionToo) {
  SpyWin root(nullptr);
  root.SetBounds(0, 0, 400, 300);
  auto make = [&](TAlign a, TRect bounds) {
    auto* c = new SpyWin(&root);
    c->SetBoundsRect(bounds);
    c->SetAlign(a);
    c->SetParent(&root);
    return c;
  };
  // Made as a form is read: every control at its designed place, aligned once at the end.
  root.DisableAlign();
  SpyWin* setup = make(alLeft, Bounds(112, 0, 112, 31));  // made first, standing right
  SpyWin* clear = make(alLeft, Bounds(0, 0, 112, 31));
  SpyWin* low = make(alTop, Bounds(0, 80, 10, 20));
  SpyWin* high = make(alTop, Bounds(0, 5, 10, 10));
  SpyWin* upper = make(alBottom, Bounds(0, 100, 10, 15));
  SpyWin* lower = make(alBottom, Bounds(0, 250, 10, 25));
  root.EnableAlign();
  // Top ones from the top down by Top, bottom ones from the bottom up by Top.
  EXPECT_EQ(high->BoundsRect(), Bounds(0, 0, 400, 10));
  EXPECT_EQ(low->BoundsRect(), Bounds(0, 10, 400, 20));
  EXPECT_EQ(lower->BoundsRect(), Bounds(0, 275, 400, 25));
  EXPECT_EQ(upper->BoundsRect(), Bounds(0, 260, 400, 15));
  EXPECT_EQ(clear->BoundsRect(), Bounds(0, 30, 112, 230));
  EXPECT_EQ(setup->BoundsRect(), Bounds(112, 30, 112, 230));
  // Clear hidden: Setup takes its place. Shown again, Clear meets Setup at Left 0, and
  // being made later it stands right of it, until its Left puts it first.
  clear->Hide();
  EXPECT_EQ(setup->Left(), 0);
  clear->Show();
  EXPECT_EQ(setup->Left(), 0);
  EXPECT_EQ(clear->Left(), 112);
  clear->SetLeft(-1);
  EXPECT_EQ(clear->Left(), 0);
  EXPECT_EQ(setup->Left(), 112);
}

TEST(ControlParent, SetParentValidatesAndRefusesCycles) {
  SpyWin a(nullptr);
  auto* b = new SpyWin(&a);
  b->SetParent(&a);
  EXPECT_EQ(a.ControlCount(), 1);
  EXPECT_EQ(b->GetParentComponent(), &a);
  EXPECT_THROW(a.SetParent(b), EInvalidOperation);
  EXPECT_THROW(b->SetParent(b), EInvalidOperation);

  SpyWin other(nullptr);
  other.refuse_children = true;
  EXPECT_THROW(b->SetParent(&other), EInvalidOperation);
  EXPECT_EQ(b->Parent(), &a);  // a refused move leaves the control where it was
  b->SetParent(nullptr);
  EXPECT_EQ(a.ControlCount(), 0);
  EXPECT_EQ(b->TabOrder(), -1);
  b->SetParentComponent(&a);
  EXPECT_EQ(b->Parent(), &a);
}

TEST(ControlParent, DestroyingAParentFreesItsChildren) {
  TComponent owner(nullptr);
  auto* parent = new SpyWin(&owner);
  auto* child = new SpyWin(&owner);
  auto* box = new Box(&owner);
  child->SetParent(parent);
  box->SetParent(child);
  EXPECT_EQ(owner.ComponentCount(), 3);
  delete parent;
  EXPECT_EQ(owner.ComponentCount(), 0);
}

TEST(ParentFollowing, FontFollowsUntilSetAndAgainWhenParentFontIsTrue) {
  SpyWin parent(nullptr);
  auto* child = new SpyWin(&parent);
  auto* box = new Box(&parent);
  child->SetParent(&parent);
  box->SetParent(child);
  child->log.clear();
  parent.Font()->SetSize(12);
  EXPECT_EQ(child->Font()->Size(), 12);
  EXPECT_EQ(box->Font()->Size(), 12);  // passed on down the tree
  EXPECT_EQ(child->Count(CM_PARENTFONTCHANGED), 1);
  EXPECT_TRUE(child->ParentFont());

  child->Font()->SetStyle({fsBold});
  EXPECT_FALSE(child->ParentFont());
  parent.Font()->SetName("Arial");
  EXPECT_EQ(child->Font()->Name(), "MS Sans Serif");
  EXPECT_EQ(box->Font()->Name(), "MS Sans Serif");  // follows its own parent, the child

  child->SetParentFont(true);
  EXPECT_EQ(child->Font()->Name(), "Arial");
  EXPECT_TRUE(child->Font()->Style().Empty());
  EXPECT_TRUE(child->ParentFont());
  EXPECT_FALSE(child->IsFontStored());
}

TEST(ParentFollowing, MessageMayCarryTheFontOrColourItself) {
  SpyWin parent(nullptr);
  auto* child = new SpyWin(&parent);
  child->SetParent(&parent);
  TFont carried;
  carried.SetName("Courier");
  child->Perform(CM_PARENTFONTCHANGED, 1, reinterpret_cast<std::intptr_t>(&carried));
  EXPECT_EQ(child->Font()->Name(), "Courier");
  EXPECT_TRUE(child->ParentFont());
  child->Perform(CM_PARENTCOLORCHANGED, 1, clRed);
  EXPECT_EQ(child->Color(), clRed);
  EXPECT_TRUE(child->ParentColor());
}

TEST(ParentFollowing, ColourCtl3DAndHintFollowTheParent) {
  SpyWin parent(nullptr);
  auto* child = new SpyWin(&parent);
  child->SetParent(&parent);
  parent.SetColor(clBtnFace);
  EXPECT_EQ(child->Color(), clBtnFace);
  child->SetColor(clWindow);
  EXPECT_FALSE(child->ParentColor());
  parent.SetColor(clRed);
  EXPECT_EQ(child->Color(), clWindow);
  child->SetParentColor(true);
  EXPECT_EQ(child->Color(), clRed);

  parent.SetCtl3D(false);
  EXPECT_FALSE(child->Ctl3D());
  EXPECT_TRUE(child->ParentCtl3D());
  child->SetCtl3D(true);
  EXPECT_FALSE(child->ParentCtl3D());

  parent.SetShowHint(true);
  EXPECT_TRUE(child->ShowHint());
  EXPECT_TRUE(child->ParentShowHint());

  // A control inserted later takes the parent's values at once.
  auto* late = new Box(&parent);
  late->SetParent(&parent);
  EXPECT_EQ(late->Color(), clRed);
}

TEST(ControlMessages, CursorAndCaptionChangesNotify) {
  SpyWin w(nullptr);
  w.SetCursor(crHourGlass);
  w.SetCursor(crHourGlass);
  EXPECT_EQ(w.Count(CM_CURSORCHANGED), 1);
  w.SetCaption("Hello");
  EXPECT_EQ(w.Caption(), "Hello");
  EXPECT_EQ(w.Count(WM_SETTEXT), 1);
  EXPECT_EQ(w.Count(CM_TEXTCHANGED), 1);
  std::string got;
  w.Perform(WM_GETTEXT, 0, reinterpret_cast<std::intptr_t>(&got));
  EXPECT_EQ(got, "Hello");
  SpyWin named(nullptr);
  named.SetName("Panel1");
  EXPECT_EQ(named.Caption(), "Panel1");  // a fresh control shows its name
  named.SetName("Panel2");
  EXPECT_EQ(named.Caption(), "Panel2");
  named.SetCaption("Mine");
  named.SetName("Panel3");
  EXPECT_EQ(named.Caption(), "Mine");
}

TEST(ControlMessages, HitTestAnswersClientBorderAndNowhere) {
  SpyWin w(nullptr);
  w.SetBounds(10, 10, 100, 50);
  EXPECT_EQ(w.Perform(WM_NCHITTEST, 0, MakeLParam(20, 20)), HTCLIENT);
  EXPECT_EQ(w.Perform(WM_NCHITTEST, 0, MakeLParam(5, 5)), HTNOWHERE);
}

TEST(ControlMouse, ClickNeedsButtonUpOverTheControlAndEventsCarryPositions) {
  SpyWin w(nullptr);
  w.SetBounds(0, 0, 50, 50);
  std::vector<std::string> events;
  w.OnMouseDown = [&](TObject*, TMouseButton b, TShiftState s, int x, int y) {
    events.push_back("down " + std::to_string(static_cast<int>(b)) + " " + std::to_string(x) +
                     "," + std::to_string(y) + (s.Contains(ssShift) ? " shift" : ""));
  };
  w.OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
    events.push_back("up " + std::to_string(x) + "," + std::to_string(y));
  };
  w.OnClick = [&](TObject*) { events.push_back("click"); };
  ClickAt(&w, 3, 4, {ssShift});
  EXPECT_EQ(events, (std::vector<std::string>{"down 0 3,4 shift", "click", "up 3,4"}));
  events.clear();
  w.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(3, 4));
  w.Perform(WM_LBUTTONUP, 0, MakeLParam(-1, 70));  // released outside
  EXPECT_EQ(events, (std::vector<std::string>{"down 0 3,4", "up -1,70"}));
  EXPECT_FALSE(w.MouseCapture());
}

TEST(ControlMouse, GraphicChildGetsMessagesThroughItsParentInItsOwnCoordinates) {
  SpyWin w(nullptr);
  w.SetBounds(0, 0, 100, 100);
  auto* box = new Box(&w);
  box->SetParent(&w);
  box->SetBounds(20, 30, 10, 10);
  int clicks = 0;
  int x = -1;
  box->OnClick = [&](TObject*) { ++clicks; };
  box->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int mx, int) { x = mx; };
  int parent_clicks = 0;
  w.OnClick = [&](TObject*) { ++parent_clicks; };
  ClickAt(box, 2, 2);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(x, 2);
  EXPECT_EQ(parent_clicks, 0);
  ClickAt(&w, 80, 80);
  EXPECT_EQ(parent_clicks, 1);
}

TEST(ControlPaint, InvalidationsAreCountedAndPaintingRecorded) {
  SpyWin w(nullptr);
  w.SetBounds(0, 0, 100, 100);
  auto* box = new Box(&w);
  box->SetParent(&w);
  box->SetBounds(20, 30, 10, 10);
  box->SetColor(clRed);
  w.HandleNeeded();
  box->ResetInvalidateCount();
  box->SetColor(clBlue);
  EXPECT_EQ(box->InvalidateCount(), 1);
  EXPECT_TRUE(w.PaintPending());
  w.Update();
  EXPECT_FALSE(w.PaintPending());
  EXPECT_EQ(box->paints, 1);
  const auto& ops = w.Surface().ops;
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_EQ(ops[0].rect, Bounds(20, 30, 10, 10));  // the child paints on its parent's surface
  EXPECT_EQ(ops[0].brush_color, clBlue);
  w.Update();  // nothing pending
  EXPECT_EQ(box->paints, 1);
}

}  // namespace
}  // namespace vantor
