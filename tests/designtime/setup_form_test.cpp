// The setup forms of the find and filter dialogs, driven through their controls: a
// scratch copy written back only on OK, the per-type and per-field pages, the "Default
// value" markers, the rules between options shown at once, and the search mode.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include <vantor/designtime/register_designtime.h>
#include <vantor/designtime/setup_filter_dialog_form.h>
#include <vantor/designtime/setup_find_dialog_form.h>
#include <vantor/dialogs/filter_dialog.h>
#include <vantor/dialogs/find_dialog.h>
#include "dialogs/support/dialog_fixture.h"
#include <vantor/platform/ui/form.h>
#include <vantor/platform/ui/keyboard_input.h>
#include "support/form_stream.h"

namespace vantor::dialogs_test {
namespace {

class SetupFormTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    RegisterSetupForms();
    RegisterClass(TDataSource::StaticType());
    root = Keep(new TForm(nullptr));
    root->SetName("Form1");
    auto* source = new TDataSource(root);
    source->SetName("DataSource1");
    source->SetDataSet(&Table());
    filter = new TDBFilterDialog(root);
    filter->SetName("FilterDialog1");
    filter->SetDataSource(source);
    find = new TDBFindDialog(root);
    find->SetName("FindDialog1");
    find->SetDataSource(source);
  }

  // The form stream of the root with both dialogs.
  std::vector<std::uint8_t> Stream() { return testing_support::WriteForm(*root); }
  // Steps that choose item `index` of a drop-down with the keyboard, as the user does.
  static void Choose(const std::string& box, int index) {
    ScriptedUser().Focus(box).Press(VK_HOME);
    for (int i = 0; i < index; ++i) ScriptedUser().Press(VK_DOWN);
  }
  // Chooses item `index` of `box` with the keyboard, now (from inside a step).
  static void ChooseNow(TForm& form, TComboBox* box, int index) {
    form.FocusControl(box);
    SendKey(box, VK_HOME);
    for (int i = 0; i < index; ++i) SendKey(box, VK_DOWN);
  }
  // A step that chooses the field `name` of `dialog` in cbFields.
  static void ChooseField(TFieldsSet* dialog, const std::string& name) {
    ScriptedUser().Run([dialog, name](TForm& form) {
      TComboBox* fields = Setup(form).cbFields;
      const int index = fields->Items()->IndexOf(dialog->FieldByName(name)->GetDisplayLabel());
      ASSERT_GT(index, 0) << name;
      ChooseNow(form, fields, index);
    });
  }
  static TfmSetupRecord& Setup(TForm& form) { return static_cast<TfmSetupRecord&>(form); }

  TForm* root = nullptr;
  TDBFilterDialog* filter = nullptr;
  TDBFindDialog* find = nullptr;
};

TEST_F(SetupFormTest, CancelAfterChangesLeavesTheComponentUnchangedByteForByte) {
  filter->FieldByName("name")->SetValues(0, Variant("Keep"));
  filter->Fields()->SetDefaultFields(false);
  const std::vector<std::uint8_t> before = Stream();
  Choose("cbcString", 2);
  Choose("cbvInteger", 0);
  ScriptedUser().Click("cbCaseSensitive").Click("cbAutoEditWidth").Run([](TForm& form) {
    Setup(form).mdHorzMargin->SetText("33");
  });
  ChooseField(filter, "city");
  Choose("cbCompare", 2);
  TCompareType scratch_string = ctExact;
  TCompareType scratch_city = ctExact;
  ScriptedUser()
      .Run([&](TForm& form) {
        TFieldsSet& scratch = *Setup(form).Scratch();
        scratch_string = scratch.CompareOptions()->GetCompare(5);
        scratch_city = scratch.FieldByName("city")->GetCompare();
      })
      .Click("bbCancel");
  EXPECT_FALSE(filter->ShowSetupForm());
  EXPECT_EQ(scratch_string, ctInternal) << "the copy was changed";
  EXPECT_EQ(scratch_city, ctInternal);
  EXPECT_EQ(Stream(), before);
}

TEST_F(SetupFormTest, OkWritesTheDefaultsTheSwitchesAndTheMargins) {
  ScriptedUser().Click("cbAutoSaveValues").Run([](TForm& form) {
    Setup(form).mdHorzMargin->SetText("12");
    Setup(form).mdVertMargin->SetText("70");
  });
  Choose("cbcDateTime", 1);
  ScriptedUser().Click("bbOk");
  EXPECT_TRUE(filter->ShowSetupForm());
  EXPECT_FALSE(filter->GetAutoSaveValues());
  EXPECT_EQ(filter->GetHorzMargin(), 12);
  EXPECT_EQ(filter->GetVertMargin(), 70);
  EXPECT_EQ(filter->CompareOptions()->GetCompare(1), ctInitial);
}

TEST_F(SetupFormTest, PartialComparisonPushesATwoFieldCountBackToOneOnThePage) {
  filter->CountOptions()->SetCount(5, coTwo);
  int count_shown = -1;
  Choose("cbcString", 2);
  ScriptedUser().Run([&](TForm& form) { count_shown = Setup(form).cbvString->ItemIndex(); }).Click("bbOk");
  EXPECT_TRUE(filter->ShowSetupForm());
  EXPECT_EQ(count_shown, static_cast<int>(coOne));
  EXPECT_EQ(filter->CompareOptions()->GetCompare(5), ctInternal);
  EXPECT_EQ(filter->CountOptions()->GetCount(5), coOne);
}

TEST_F(SetupFormTest, AFieldShowsDefaultValueUntilItsOptionIsSetEvenToTheSameValue) {
  std::string before, after, count_mark;
  ChooseField(filter, "name");
  ScriptedUser().Run([&](TForm& form) {
    before = Setup(form).laCompare->Caption();
    ASSERT_EQ(Setup(form).SelectedRecord()->GetFieldName(), "name");
  });
  // Away and back: the same compare, now set explicitly.
  ScriptedUser().Focus("cbCompare").Press(VK_DOWN).Press(VK_UP);
  ScriptedUser()
      .Run([&](TForm& form) {
        after = Setup(form).laCompare->Caption();
        count_mark = Setup(form).laCount->Caption();
      })
      .Click("bbOk");
  const TCompareType compare = filter->FieldByName("name")->GetCompare();
  EXPECT_TRUE(filter->ShowSetupForm());
  EXPECT_EQ(before, "Default value");
  EXPECT_EQ(after, "");
  EXPECT_EQ(count_mark, "Default value");
  EXPECT_TRUE(filter->FieldByName("name")->IsAssigned(frvCompare));
  EXPECT_EQ(filter->FieldByName("name")->GetCompare(), compare);
  EXPECT_FALSE(filter->FieldByName("name")->IsAssigned(frvCount));
}

TEST_F(SetupFormTest, TheCaseBoxOfAFieldShowsForTextFieldsOnly) {
  std::vector<std::string> seen;
  ScriptedUser().Run([&](TForm& form) {
    TfmSetupRecord& setup = Setup(form);
    for (int i = 1; i < setup.cbFields->Items()->Count(); ++i) {
      setup.cbFields->SetItemIndex(i);
      setup.cbFieldsClick(setup.cbFields);
      const std::string name = setup.SelectedRecord()->GetFieldName();
      if (name == "id" || name == "name") {
        seen.push_back(name + (setup.cbFieldCaseSensitive->Visible() ? " box" : "") +
                       (setup.laCaseSensitive->Caption().empty() ? "" : " marked"));
      }
    }
  });
  ScriptedUser().Click("bbCancel");
  filter->ShowSetupForm();
  EXPECT_EQ(seen, (std::vector<std::string>{"id", "name box marked"}));
}

TEST_F(SetupFormTest, HiddenRecordsAreNotOfferedAndKeepTheirOptions) {
  filter->Fields()->SetDefaultFields(false);
  TFieldRecord* city = filter->FieldByName("city");
  city->SetVisible(false);
  city->SetCompare(ctInternal);
  std::vector<std::string> offered;
  ScriptedUser()
      .Run([&](TForm& form) {
        TStrings& items = *Setup(form).cbFields->Items();
        for (int i = 0; i < items.Count(); ++i) offered.push_back(items[i]);
      })
      .Click("bbOk");
  EXPECT_TRUE(filter->ShowSetupForm());
  EXPECT_EQ(offered.front(), "Default options");
  EXPECT_EQ(std::count(offered.begin(), offered.end(), city->GetDisplayLabel()), 0);
  EXPECT_EQ(city->GetCompare(), ctInternal);
  EXPECT_TRUE(city->IsAssigned(frvCompare));
}

TEST_F(SetupFormTest, TheFindSetupHasTheMemoRowAndTheSearchMode) {
  find->SetFindOptions(foNormal);
  int mode_shown = -1;
  bool memo = false;
  ScriptedUser().Run([&](TForm& form) {
    auto& setup = static_cast<TfmSetupFindDialog&>(form);
    mode_shown = setup.cbFindOptions->ItemIndex();
    memo = setup.cbcMemo->Tag() == 4 && setup.cbvMemo->Tag() == 4;
  });
  Choose("cbFindOptions", 1);
  Choose("cbcMemo", 0);
  ScriptedUser().Click("bbOk");
  EXPECT_TRUE(find->ShowSetupForm());
  EXPECT_EQ(mode_shown, static_cast<int>(foNormal));
  EXPECT_TRUE(memo);
  EXPECT_EQ(find->GetFindOptions(), foIndexNearest);
  EXPECT_EQ(find->CompareOptions()->GetCompare(4), ctExact);
}

TEST_F(SetupFormTest, ANonExactCompareOfAKeyFieldLeavesTheIndexSearchModes) {
  Table().Close();
  Table().SetIndexName("customers_name");
  Table().Open();
  find->SetFindOptions(foIndexExact);
  find->FieldByName("name")->SetCompare(ctExact);
  TFindOptions scratch_mode = foIndexExact;
  ChooseField(find, "name");
  Choose("cbCompare", 1);
  ScriptedUser()
      .Run([&](TForm& form) { scratch_mode = static_cast<TDBFindDialog*>(Setup(form).Scratch())->GetFindOptions(); })
      .Click("bbOk");
  EXPECT_TRUE(find->ShowSetupForm());
  EXPECT_EQ(scratch_mode, foFast);
  EXPECT_EQ(find->GetFindOptions(), foFast);
  EXPECT_EQ(find->FieldByName("name")->GetCompare(), ctInitial);
}

TEST_F(SetupFormTest, AMarginThatIsNoNumberIsReportedAndTheFormStaysOpen) {
  ScriptedUser()
      .Run([](TForm& form) {
        Setup(form).mdHorzMargin->SetText("25");
        Setup(form).mdVertMargin->SetText("lots");
      })
      .Click("bbOk")
      .Click("bbCancel");
  EXPECT_FALSE(filter->ShowSetupForm());
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "'lots' is not a valid integer value.");
  EXPECT_EQ(filter->GetHorzMargin(), 25) << "what was copied before the bad margin stays";
  EXPECT_EQ(filter->GetVertMargin(), 50);
  EXPECT_EQ(filter->PanelFieldsSet()->UpdateCount(), 0);
}

TEST_F(SetupFormTest, AFontAboveFourteenPointsIsShownAtFourteen) {
  filter->StyleOptions()->GetFont(0)->SetSize(22);
  int size = 0;
  std::string caption;
  ScriptedUser()
      .Run([&](TForm& form) {
        size = form.Font()->Size();
        caption = form.Caption();
      })
      .Click("bbCancel");
  filter->ShowSetupForm();
  EXPECT_EQ(size, 14);
  EXPECT_EQ(caption, "Setup");
}

TEST_F(SetupFormTest, SetupFromTheShowingDialogRelaysItOutOnceAndKeepsItsSession) {
  Screen->SetHeight(300);
  int height_after = 0;
  int nesting_after = -1;
  filter->FieldByName("name")->SetValues(0, Variant("Kept"));
  ScriptedUser()
      .Run([&](TForm&) { filter->FieldByName("name")->SetValues(0, Variant("Typed")); })
      .Click("bbSetup")
      .Run([](TForm& form) { Setup(form).mdVertMargin->SetText("100"); })
      .Click("bbOk")
      .Run([&](TForm& form) {
        height_after = form.Height();
        nesting_after = filter->Fields()->UpdateCount();
      })
      .Click("bbCancel");
  EXPECT_FALSE(filter->Execute());
  EXPECT_EQ(height_after, 200);
  EXPECT_EQ(nesting_after, 1);
  EXPECT_EQ(filter->GetVertMargin(), 100);
  EXPECT_EQ(filter->FieldByName("name")->GetValues(0).AsString(), "Kept");
  EXPECT_EQ(filter->Fields()->UpdateCount(), 0);
}

}  // namespace
}  // namespace vantor::dialogs_test
