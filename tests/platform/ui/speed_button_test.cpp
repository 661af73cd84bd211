#include <gtest/gtest.h>

#include <vantor/platform/core/component.h>
#include <vantor/platform/ui/custom_edit.h>
#include <vantor/platform/ui/custom_panel.h>
#include <vantor/platform/ui/keyboard_input.h>
#include <vantor/platform/ui/label.h>
#include <vantor/platform/ui/mask_edit.h>
#include <vantor/platform/ui/scrolling_win_control.h>
#include <vantor/platform/ui/speed_button.h>
#include <vantor/platform/ui/ui_classes.h>

namespace vantor {
namespace {

// Gives access to the protected Paint, as an edit that paints its own button does.
class PaintableButton : public TSpeedButton {
 public:
  using TSpeedButton::TSpeedButton;
  void PaintNow() { Paint(); }
};

TEST(SpeedButton, PaintsTheEllipsisGlyphCentredOnItsParentSurface) {
  TPanel host(nullptr);
  host.SetBevelOuter(bvNone);
  auto* button = new PaintableButton(&host);
  button->SetParent(&host);
  button->Glyph()->LoadFromResourceName("BTNSPOTS");
  button->SetBounds(100, 0, 16, 17);
  host.Surface().ops.clear();
  button->PaintNow();
  const auto& ops = host.Surface().ops;
  ASSERT_FALSE(ops.empty());
  const TCanvasOp& glyph = ops.back();
  EXPECT_EQ(glyph.kind, TCanvasOpKind::Draw);
  EXPECT_EQ(glyph.at, Point(100 + 3, 6));  // (16 - 10) / 2, (17 - 5) / 2
  EXPECT_EQ(glyph.bitmap_width, 10);
  EXPECT_EQ(glyph.bitmap_height, 5);
  EXPECT_EQ(glyph.bitmap_pixels[10], clBlack);  // second row starts with a dot
}

TEST(SpeedButton, ClickFiresOnReleaseOverTheButtonAndPressedGlyphMovesDown) {
  TPanel host(nullptr);
  auto* button = new PaintableButton(&host);
  button->SetParent(&host);
  button->SetBounds(10, 10, 20, 20);
  button->Glyph()->LoadFromResourceName("BTNSPOTS");
  int clicks = 0;
  button->OnClick = [&](TObject* sender) {
    EXPECT_EQ(sender, button);
    ++clicks;
  };
  ClickAt(button, 5, 5);
  EXPECT_EQ(clicks, 1);
  // Pressed and released outside: no click.
  host.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(15, 15));
  EXPECT_EQ(button->State(), bsDown);
  host.Surface().ops.clear();
  button->PaintNow();
  EXPECT_EQ(host.Surface().ops.back().at, Point(10 + 5 + 1, 10 + 7 + 1));
  host.Perform(WM_LBUTTONUP, 0, MakeLParam(100, 100));  // the capture brings it to the button
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(button->State(), bsUp);
}

TEST(SpeedButton, GroupedButtonsStayDownOneAtATime) {
  TPanel host(nullptr);
  auto* a = new TSpeedButton(&host);
  auto* b = new TSpeedButton(&host);
  for (TSpeedButton* s : {a, b}) {
    s->SetParent(&host);
    s->SetGroupIndex(1);
  }
  b->SetLeft(30);
  ClickAt(a, 1, 1);
  EXPECT_TRUE(a->Down());
  ClickAt(b, 1, 1);
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down());
  ClickAt(b, 1, 1);  // the last one down stays down without AllowAllUp
  EXPECT_TRUE(b->Down());
  b->SetAllowAllUp(true);
  ClickAt(b, 1, 1);
  EXPECT_FALSE(b->Down());
}

TEST(UiClasses, RegisteredClassesAreCreatedByNameWithTheirProperties) {
  RegisterUiClasses();
  TComponent owner(nullptr);
  for (const char* name : {"TPanel", "TScrollBox", "TLabel", "TEdit", "TMaskEdit", "TSpeedButton"}) {
    SCOPED_TRACE(name);
    const TypeInfo& type = FindClass(name);
    TComponent* c = type.CreateComponent()(&owner);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->ClassName(), name);
    EXPECT_EQ(c->Owner(), &owner);
    EXPECT_NE(type.FindProperty("Left"), nullptr);
    EXPECT_NE(type.FindProperty("Visible"), nullptr);
  }
  const TypeInfo& mask = FindClass("TMaskEdit");
  const PropInfo* edit_mask = mask.FindProperty("EditMask");
  ASSERT_NE(edit_mask, nullptr);
  auto* edit = dynamic_cast<TMaskEdit*>(mask.CreateComponent()(&owner));
  edit_mask->set_string(*edit, "000;0;_");
  mask.FindProperty("Text")->set_string(*edit, "12");
  EXPECT_EQ(edit->EditText(), "12_");
  EXPECT_EQ(mask.FindProperty("Text")->get_string(*edit), "12");

  // Defaults decide what the stream writes: a fresh panel holds its defaults.
  TPanel panel(nullptr);
  const TypeInfo& p = TPanel::StaticType();
  EXPECT_TRUE(p.FindProperty("BevelOuter")->IsDefault(panel));
  EXPECT_TRUE(p.FindProperty("Align")->IsDefault(panel));
  panel.SetBevelOuter(bvLowered);
  EXPECT_FALSE(p.FindProperty("BevelOuter")->IsDefault(panel));
  EXPECT_FALSE(p.FindProperty("Font")->IsStored(panel));  // follows its parent's font
  panel.Font()->SetSize(10);
  EXPECT_TRUE(p.FindProperty("Font")->IsStored(panel));
  const PropInfo* scroll = TScrollBox::StaticType().FindProperty("VertScrollBar");
  ASSERT_NE(scroll, nullptr);
  EXPECT_EQ(scroll->kind, TPropKind::Object);
}

}  // namespace
}  // namespace vantor
