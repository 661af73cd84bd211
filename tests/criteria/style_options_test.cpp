#include <vantor/criteria/style_options.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "panel/support/test_panel.h"
#include "support/stored_properties.h"
#include <vantor/platform/ui/form.h>
#include <vantor/platform/ui/label.h>
#include <vantor/platform/ui/mask_edit.h>
#include <vantor/platform/ui/messages.h>

namespace vantor {
namespace {

using testing::TTestPanel;
using testing_support::StoredProperties;

// A form holding a panel: the panel's parent, whose font and colour it can follow.
struct PanelOnForm {
  PanelOnForm() : form(new TForm(nullptr)), panel(new TTestPanel(form.get())) {
    panel->SetParent(form.get());
  }
  std::unique_ptr<TForm> form;
  TTestPanel* panel;  // owned by the form
};

TEST(StyleOptions, NewPanelStoresNoneOfItsStyleProperties) {
  TTestPanel panel(nullptr);
  const TStyleOptions& style = *panel.StyleOptions();
  EXPECT_EQ(style.GetEditColor(), clWindow);
  EXPECT_FALSE(style.GetParentEditColor());
  EXPECT_TRUE(style.GetParentTextFont());
  EXPECT_TRUE(style.GetParentEditFont());
  EXPECT_EQ(style.PendingParentFont(), -1);
  EXPECT_EQ(style.PendingParentColor(), -1);
  EXPECT_TRUE(StoredProperties(style).empty());
}

TEST(StyleOptions, EditColorChangeStopsFollowingTheParentAndRelaysOut) {
  TTestPanel panel(nullptr);
  TStyleOptions& style = *panel.StyleOptions();
  const int paints = panel.paint_calls;
  style.SetEditColor(clWindow);
  EXPECT_EQ(panel.paint_calls, paints);
  style.SetParentEditColor(true);
  style.SetEditColor(clYellow);
  EXPECT_EQ(style.GetEditColor(), clYellow);
  EXPECT_FALSE(style.GetParentEditColor());
  EXPECT_EQ(panel.paint_calls, paints + 1);
  EXPECT_EQ(StoredProperties(style), std::vector<std::string>{"EditColor"});
  style.SetParentEditColor(true);
  EXPECT_EQ(StoredProperties(style), std::vector<std::string>{"ParentEditColor"});
}

TEST(StyleOptions, IndexZeroIsThePanelsOwnColourAndFont) {
  TTestPanel panel(nullptr);
  TStyleOptions& style = *panel.StyleOptions();
  EXPECT_EQ(style.GetPanelColor(), clBtnFace);
  style.SetPanelColor(clRed);
  EXPECT_EQ(panel.Color(), clRed);
  EXPECT_FALSE(style.GetPanelParentColor());
  EXPECT_EQ(style.GetFont(0), panel.Font());
  EXPECT_EQ(StoredProperties(style), std::vector<std::string>{"Color"});
}

TEST(StyleOptions, ChangingEditFontClearsParentEditFont) {
  TTestPanel panel(nullptr);
  TStyleOptions& style = *panel.StyleOptions();
  const int paints = panel.paint_calls;
  style.GetEditFont()->SetSize(14);
  EXPECT_FALSE(style.GetParentEditFont());
  EXPECT_EQ(panel.paint_calls, paints + 1);
  EXPECT_EQ(StoredProperties(style), std::vector<std::string>{"EditFont"});
}

TEST(StyleOptions, ParentEditFontBackOnCopiesTheParentsFontOnTheNotification) {
  PanelOnForm f;
  TStyleOptions& style = *f.panel->StyleOptions();
  style.GetEditFont()->SetSize(14);
  f.form->Font()->SetSize(11);
  EXPECT_EQ(style.GetEditFont()->Size(), 14);

  style.SetParentEditFont(true);  // sends the notification at once
  EXPECT_EQ(style.PendingParentFont(), -1);
  EXPECT_TRUE(style.GetParentEditFont());
  EXPECT_EQ(style.GetEditFont()->Size(), 11);
  // The text font had not stopped following and is left as it was by this notice.
  f.form->Font()->SetSize(9);
  EXPECT_EQ(style.GetEditFont()->Size(), 9);
  EXPECT_EQ(style.GetTextFont()->Size(), 9);
  EXPECT_EQ(f.panel->Font()->Size(), 9);
}

TEST(StyleOptions, ParentColorChangeReachesEditsThatFollowIt) {
  PanelOnForm f;
  TStyleOptions& style = *f.panel->StyleOptions();
  style.SetParentEditColor(true);
  f.form->SetColor(clGreen);
  EXPECT_EQ(style.GetEditColor(), clGreen);
  EXPECT_TRUE(style.GetParentEditColor());
  // The panel's own colour is its own (clBtnFace) until it is told to follow.
  EXPECT_EQ(f.panel->Color(), clBtnFace);
  style.SetPanelParentColor(true);
  EXPECT_EQ(f.panel->Color(), clGreen);
}

TEST(StyleOptions, ParentNotificationRelaysOutOnlyOnce) {
  PanelOnForm f;
  const int paints = f.panel->paint_calls;
  f.form->Font()->SetSize(15);
  EXPECT_EQ(f.panel->paint_calls, paints + 1);
}

// A panel made in code and configured before it has a parent: once it is put on a form,
// every font and colour whose parent flag is set shows the form's, whichever flags were
// set (or left) before, and so do the rows.
TEST(StyleOptions, APanelConfiguredWithoutAParentFollowsTheFormItIsPutOn) {
  struct Case {
    bool text_font_again, edit_font_again, parent_color, parent_edit_color;
  };
  for (const Case c : {Case{false, false, false, false}, Case{true, false, false, false},
                       Case{false, true, false, false}, Case{false, false, true, false},
                       Case{false, false, false, true}, Case{true, false, true, true}}) {
    SCOPED_TRACE(::testing::Message() << c.text_font_again << c.edit_font_again << c.parent_color
                                      << c.parent_edit_color);
    TForm form(nullptr);
    form.Font()->SetSize(12);
    form.SetColor(clTeal);
    testing::PanelWithTable t;
    t.table.Open();
    TStyleOptions& style = *t.panel->StyleOptions();
    for (int i : {1, 2}) {
      if (i == 1 ? c.text_font_again : c.edit_font_again) {
        style.SetParentFont(i, false);
        style.SetParentFont(i, true);
      }
    }
    if (c.parent_color) style.SetPanelParentColor(true);
    if (c.parent_edit_color) style.SetParentEditColor(true);
    t.panel->SetParent(&form);
    for (int i : {0, 1, 2}) EXPECT_EQ(style.GetFont(i)->Size(), 12) << "font " << i;
    EXPECT_EQ(t.panel->Color(), c.parent_color ? clTeal : clBtnFace);
    EXPECT_EQ(style.GetEditColor(), c.parent_edit_color ? clTeal : clWindow);
    const TFieldRecord& name = *t.panel->FieldByName("Name");
    ASSERT_NE(name.Edits(0), nullptr);
    EXPECT_EQ(name.Labels(0)->Font()->Size(), 12);
    EXPECT_EQ(name.Edits(0)->Font()->Size(), 12);
    EXPECT_EQ(name.Edits(0)->Color(), style.GetEditColor());
    t.panel->SetParent(nullptr);
  }
}

// ---- the dialog variant ----

class TDialogStylePanel : public TTestPanel {
 public:
  explicit TDialogStylePanel(TComponent* owner) : TTestPanel(owner) { RecreateStyleOptions(); }

 protected:
  std::unique_ptr<TStyleOptions> CreateStyleOptions() override {
    return std::make_unique<TFSStyleOptions>(this);
  }
};

TEST(FSStyleOptions, DialogOnAFormReportsTheFormsFontAndColour) {
  TForm form(nullptr);
  TComponent* dialog = new TComponent(&form);  // the dialog component on the form
  auto* panel = new TDialogStylePanel(dialog);
  auto* style = dynamic_cast<TFSStyleOptions*>(panel->StyleOptions());
  ASSERT_NE(style, nullptr);
  EXPECT_EQ(style->ParentForm(), &form);
  form.Font()->SetSize(13);
  form.SetColor(clTeal);
  EXPECT_EQ(style->GetFont(0)->Size(), 13);
  EXPECT_EQ(style->GetTextFont()->Size(), 13);
  EXPECT_EQ(style->GetEditFont()->Size(), 13);
  EXPECT_TRUE(style->GetParentFont(2));  // following is no explicit change
  EXPECT_EQ(style->GetColor(0), clTeal);

  style->GetEditFont()->SetSize(20);
  EXPECT_FALSE(style->GetParentFont(2));
  form.Font()->SetSize(8);
  EXPECT_EQ(style->GetEditFont()->Size(), 20);
  style->SetParentFont(2, true);
  EXPECT_EQ(style->GetEditFont()->Size(), 8);
}

TEST(FSStyleOptions, OwnerThatIsNoWindowedControlLeavesTheOwnValues) {
  TComponent module(nullptr);  // a data module holding the dialog
  TComponent* dialog = new TComponent(&module);
  auto* panel = new TDialogStylePanel(dialog);
  auto* style = dynamic_cast<TFSStyleOptions*>(panel->StyleOptions());
  ASSERT_NE(style, nullptr);
  EXPECT_EQ(style->ParentForm(), nullptr);
  EXPECT_EQ(style->GetColor(0), clBtnFace);
  EXPECT_EQ(style->GetColor(1), clWindow);
  style->SetParentColor(1, true);
  EXPECT_EQ(style->GetColor(1), clWindow);
  EXPECT_TRUE(style->GetCtl3D());
  style->SetCtl3D(false);
  EXPECT_FALSE(style->GetCtl3D());
  EXPECT_FALSE(style->GetParentCtl3D());
}

TEST(FSStyleOptions, ColourSetExplicitlyRelaysOutAndStopsFollowing) {
  TForm form(nullptr);
  TComponent* dialog = new TComponent(&form);
  auto* panel = new TDialogStylePanel(dialog);
  TStyleOptions& style = *panel->StyleOptions();
  const int paints = panel->paint_calls;
  style.SetColor(0, clRed);
  EXPECT_EQ(style.GetColor(0), clRed);
  EXPECT_FALSE(style.GetParentColor(0));
  EXPECT_EQ(panel->paint_calls, paints + 1);
  form.SetColor(clBlue);
  EXPECT_EQ(style.GetColor(0), clRed);
  style.SetParentColor(0, true);
  EXPECT_EQ(style.GetColor(0), clBlue);
  EXPECT_EQ(panel->paint_calls, paints + 2);
}

}  // namespace
}  // namespace vantor
