// The filter dialog over the customers table: the "Filtered" box, OK and Cancel, and the
// filter applied once when the form has closed.

#include <gtest/gtest.h>

#include <algorithm>

#include <vantor/dialogs/filter_dialog.h>
#include <vantor/dialogs/filter_form.h>
#include "dialogs/support/dialog_fixture.h"
#include <vantor/platform/ui/keyboard_input.h>

namespace vantor::dialogs_test {
namespace {

class FilterDialogTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    dialog = NewDialog<TDBFilterDialog>("FilterDialog1");
    city = TextOf(VisibleIds()[0], "city");
    ASSERT_FALSE(city.empty());
    expected = IdsWhere("city", city);
  }
  void EnterCity(const std::string& value) {
    TFieldRecord* record = dialog->FieldByName("city");
    record->SetCompare(ctExact);
    record->SetValues(0, Variant(value));
  }
  // A step that ticks or clears the "Filtered" box with a click, as the user does.
  void SetBox(bool checked) {
    ScriptedUser().Run([this, checked](TForm& form) {
      TCheckBox* box = static_cast<TfmFilter&>(form).cbFiltered;
      box_was = box->Checked();
      if (box_was != checked) ClickAt(box, box->Width() / 2, box->Height() / 2);
    });
  }

  TDBFilterDialog* dialog = nullptr;
  std::string city;
  std::vector<int> expected;
  bool box_was = false;
};

TEST_F(FilterDialogTest, FilteredTickedAndOkShowsOnlyTheMatchingRecordsFromTheFirst) {
  SetBox(true);
  ScriptedUser().Run([&](TForm&) { EnterCity(city); }).Click("bbOk");
  EXPECT_TRUE(dialog->Execute());
  EXPECT_TRUE(dialog->GetFiltered());
  EXPECT_TRUE(Table().Filtered());
  EXPECT_EQ(VisibleIds(), expected);
  EXPECT_EQ(CurrentId(), expected.front());
  EXPECT_EQ(ListNesting(*dialog), 0);
  EXPECT_EQ(PanelNesting(*dialog), 0);

  // The next showing starts with the box ticked; clearing it and OK shows every record.
  SetBox(false);
  ScriptedUser().Click("bbOk");
  EXPECT_TRUE(dialog->Execute());
  EXPECT_TRUE(box_was);
  EXPECT_FALSE(dialog->GetFiltered());
  EXPECT_GT(VisibleIds().size(), expected.size());
}

TEST_F(FilterDialogTest, CancelRestoresTheValuesKeepsFilteredAndReappliesTheRestoredFilter) {
  EnterCity(city);
  dialog->SetFiltered(true);
  ASSERT_EQ(VisibleIds(), expected);
  SetBox(false);
  ScriptedUser().Run([&](TForm&) { EnterCity("Nowhere at all"); }).Click("bbCancel");
  EXPECT_FALSE(dialog->Execute());
  EXPECT_EQ(dialog->FieldByName("city")->GetValues(0).AsString(), city);
  EXPECT_TRUE(dialog->GetFiltered());
  EXPECT_EQ(VisibleIds(), expected);
  EXPECT_EQ(ListNesting(*dialog), 0);
}

TEST_F(FilterDialogTest, WithoutADataSourceOkLeavesFilteredAlone) {
  dialog->SetDataSource(nullptr);
  SetBox(true);
  ScriptedUser().Click("bbOk");
  EXPECT_TRUE(dialog->Execute());
  EXPECT_FALSE(dialog->GetFiltered());
}

TEST_F(FilterDialogTest, ValuesWaitingForAnExitAreAppliedOnceTheFormCloses) {
  dialog->SetUpdateState(usExit);
  SetBox(true);
  ScriptedUser().Run([&](TForm&) { EnterCity(city); }).Click("bbOk");
  EXPECT_TRUE(dialog->Execute());
  EXPECT_EQ(VisibleIds(), expected);
}

TEST_F(FilterDialogTest, WithoutClearAndSetupTheTopBarStillHoldsTheFilteredBox) {
  dialog->SetOptions({});
  bool top = false;
  bool box = false;
  ScriptedUser()
      .Run([&](TForm& form) {
        auto& f = static_cast<TfmFilter&>(form);
        top = f.paTop->Visible();
        box = f.cbFiltered->Visible() && !f.paClear->Visible() && !f.paSetup->Visible();
      })
      .Click("bbCancel");
  dialog->Execute();
  EXPECT_TRUE(top);
  EXPECT_TRUE(box);
}

TEST_F(FilterDialogTest, TheFilterFormKeepsTheLayoutOfItsDescription) {
  int clear_width = 0, setup_left = 0, filtered_left = 0;
  std::string caption, box_caption;
  ScriptedUser()
      .Run([&](TForm& form) {
        auto& f = static_cast<TfmFilter&>(form);
        clear_width = f.paClear->Width();
        setup_left = f.paSetup->Left();
        filtered_left = f.paFiltered->Left();
        caption = f.Caption();
        box_caption = f.cbFiltered->Caption();
      })
      .Click("bbCancel");
  dialog->Execute();
  EXPECT_EQ(caption, "Filter");
  EXPECT_EQ(box_caption, "Filtered");
  EXPECT_EQ(clear_width, 110);
  EXPECT_LT(setup_left, filtered_left);
}

}  // namespace
}  // namespace vantor::dialogs_test
