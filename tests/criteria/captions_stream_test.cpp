#include <gtest/gtest.h>

#include <string>

#include <vantor/criteria/compare_options.h>
#include <vantor/criteria/count_options.h>
#include <vantor/criteria/field_captions.h>
#include <vantor/criteria/style_options.h>
#include "panel/support/test_panel.h"
#include <vantor/platform/ui/form.h>
#include "support/form_stream.h"

namespace vantor {
namespace {

using testing::TTestPanel;

// Writes a form holding `panel` at design time and reads it into a fresh form; the
// copy of the panel is returned (owned by `into`).
TTestPanel* RoundTrip(TForm& form, TForm& into) {
  RegisterClass(TTestPanel::StaticType());
  into.SetDesigning(true);
  testing_support::ReadForm(testing_support::WriteForm(form), into);
  return dynamic_cast<TTestPanel*>(into.FindComponent("Panel1"));
}

TEST(FieldCaptions, EmptyCaptionWrittenAtDesignTimeLoadsBackEmpty) {
  TForm form(nullptr);
  form.SetName("Form1");
  auto* panel = new TTestPanel(&form);
  panel->SetName("Panel1");
  panel->SetParent(&form);
  form.SetDesigning(true);
  panel->Captions()->SetCaption(0, "");
  panel->Captions()->SetCaption(1, "  ");
  TForm into(nullptr);
  TTestPanel* copy = RoundTrip(form, into);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->Captions()->GetCaption(0), "");
  EXPECT_EQ(copy->Captions()->GetCaption(1), "  ");
}

TEST(OptionStream, OptionSetsCaptionsAndStyleSurviveTheFormStream) {
  TForm form(nullptr);
  form.SetName("Form1");
  auto* panel = new TTestPanel(&form);
  panel->SetName("Panel1");
  panel->SetParent(&form);
  panel->CountOptions()->SetCount(5, coTwo);
  panel->CompareOptions()->SetCaseInsensitive(false);
  panel->CompareOptions()->SetCompare(2, ctInitial);
  panel->Captions()->SetCaption(0, "from");
  panel->StyleOptions()->SetEditColor(clYellow);
  panel->StyleOptions()->GetEditFont()->SetSize(12);
  TForm into(nullptr);
  TTestPanel* copy = RoundTrip(form, into);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->CountOptions()->GetCount(5), coTwo);
  EXPECT_FALSE(copy->CompareOptions()->GetCaseInsensitive());
  EXPECT_EQ(copy->CompareOptions()->GetCompare(2), ctInitial);
  EXPECT_EQ(copy->Captions()->GetCaption(0), "from");
  EXPECT_EQ(copy->Captions()->GetCaption(1), "on");
  EXPECT_EQ(copy->StyleOptions()->GetEditColor(), clYellow);
  EXPECT_EQ(copy->StyleOptions()->GetEditFont()->Size(), 12);
  EXPECT_FALSE(copy->StyleOptions()->GetParentEditFont());
  EXPECT_TRUE(copy->StyleOptions()->GetParentTextFont());
}

}  // namespace
}  // namespace vantor
