// The find dialog over the customers table: OK, Next, the messages, the search mode and
// when the search runs.

#include <gtest/gtest.h>

#include <vantor/dialogs/find_dialog.h>
#include <vantor/dialogs/find_form.h>
#include "dialogs/support/dialog_fixture.h"
#include <vantor/platform/rtl/string_table.h>

namespace vantor::dialogs_test {
namespace {

class FindDialogTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    dialog = NewDialog<TDBFindDialog>("FindDialog1");
  }
  // Looks for records whose name is exactly `name`, letter case included.
  void EnterName(const std::string& name) {
    TFieldRecord* record = dialog->FieldByName("name");
    record->SetCompare(ctExact);
    record->SetCaseInsensitive(false);
    record->SetValues(0, Variant(name));
  }
  // A name that more than one record has, and those records' ids.
  std::pair<std::string, std::vector<int>> SharedName() {
    for (int id : VisibleIds()) {
      const std::string name = TextOf(id, "name");
      std::vector<int> ids = IdsWhere("name", name);
      if (ids.size() >= 2) return {name, ids};
    }
    return {};
  }

  TDBFindDialog* dialog = nullptr;
};

TEST_F(FindDialogTest, OkFindsTheFirstMatchingRecordAfterTheFormHasGone) {
  const std::vector<int> ids = VisibleIds();
  ASSERT_GE(ids.size(), 3u);
  const std::string name = TextOf(ids[2], "name");
  const std::vector<int> matches = IdsWhere("name", name);
  ASSERT_FALSE(matches.empty());
  GoTo(ids.back());
  int current_while_showing = 0;
  ScriptedUser()
      .Run([&](TForm&) { EnterName(name); })
      .Run([&](TForm&) { current_while_showing = CurrentId(); })
      .Click("bbOk");
  EXPECT_TRUE(dialog->Execute());
  EXPECT_EQ(current_while_showing, ids.back()) << "the panel searched while the form showed";
  EXPECT_EQ(CurrentId(), matches.front());
  EXPECT_EQ(matches.front(), ids[2]) << "the third record is the first with its name";
  EXPECT_TRUE(dialog->GetRestart());
  EXPECT_EQ(dialog->Form(), nullptr);
  EXPECT_EQ(dialog->PanelFieldsSet()->Parent(), nullptr);
  EXPECT_EQ(ListNesting(*dialog), 0);
  EXPECT_EQ(PanelNesting(*dialog), 0);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(dialog->FieldByName("name")->GetValues(0).AsString(), name);
}

TEST_F(FindDialogTest, NextMovesToTheFollowingMatchAndPastTheLastSaysSo) {
  const auto [name, matches] = SharedName();
  ASSERT_GE(matches.size(), 2u) << "the sample data has names shared by several customers";
  EnterName(name);
  GoTo(matches[0]);
  dialog->SetOptions({soClear, soSetup, soNext});
  ScriptedUser().Click("bbNext");
  EXPECT_TRUE(dialog->Execute());
  EXPECT_EQ(CurrentId(), matches[1]);
  EXPECT_FALSE(dialog->GetRestart());

  GoTo(matches.back());
  ScriptedUser().Click("bbNext");
  EXPECT_TRUE(dialog->Execute()) << "not finding a record is no error";
  EXPECT_EQ(CurrentId(), matches.back());
  EXPECT_EQ(Messages(), std::vector<std::string>{LoadStr(SNextRecordNotFound)});
  EXPECT_EQ(LoadStr(SNextRecordNotFound), "The following record is not found");
  EXPECT_FALSE(dialog->GetRestart()) << "Restart keeps the last button's value";
}

TEST_F(FindDialogTest, OkWithValuesThatMatchNothingShowsTheBoxOnlyWithShowBox) {
  EnterName("No customer is called this");
  const int start = VisibleIds()[4];
  GoTo(start);
  ScriptedUser().Click("bbOk");
  EXPECT_TRUE(dialog->Execute());
  EXPECT_EQ(CurrentId(), start);
  EXPECT_EQ(Messages(), std::vector<std::string>{"The record is not found"});

  Application->ClearMessageBoxes();
  dialog->SetShowBox(false);
  ScriptedUser().Click("bbOk");
  EXPECT_TRUE(dialog->Execute());
  EXPECT_TRUE(Messages().empty());
}

TEST_F(FindDialogTest, ASearchRunsExactlyOnceWhateverTheUpdateState) {
  EnterName("No customer is called this");
  for (TUpdateState state : {usNone, usAuto, usExit}) {
    Application->ClearMessageBoxes();
    dialog->SetUpdateState(state);
    Application->ClearMessageBoxes();  // usAuto applies the values at once
    ScriptedUser()
        .Run([&](TForm&) { dialog->FieldByName("name")->SetValues(0, Variant("Nobody at all")); })
        .Click("bbOk");
    EXPECT_TRUE(dialog->Execute());
    EXPECT_EQ(Messages().size(), 1u) << "update state " << static_cast<int>(state);
  }
}

TEST_F(FindDialogTest, CancelRestoresTheValuesAndDoesNotSearch) {
  EnterName("Before");
  const int start = VisibleIds()[1];
  GoTo(start);
  ScriptedUser()
      .Run([&](TForm&) { dialog->FieldByName("name")->SetValues(0, Variant("Typed")); })
      .Click("bbCancel");
  EXPECT_FALSE(dialog->Execute());
  EXPECT_EQ(dialog->FieldByName("name")->GetValues(0).AsString(), "Before");
  EXPECT_EQ(CurrentId(), start);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(ListNesting(*dialog), 0);
}

TEST_F(FindDialogTest, OptionsDecideTheButtonsOfTheFindForm) {
  std::vector<std::string> seen;
  auto record = [&](TForm& form) {
    auto& f = static_cast<TfmFind&>(form);
    seen.push_back(std::string(f.paTop->Visible() ? "top " : "") + (f.paNext->Visible() ? "next " : "") +
                   (f.paHelp->Visible() ? "help" : ""));
    if (f.paNext->Visible()) {
      EXPECT_EQ(f.paNext->Left(), f.paOk->Left() + f.paOk->Width());
    }
  };
  ScriptedUser().Run(record).Click("bbCancel");
  dialog->Execute();
  dialog->SetOptions({});
  ScriptedUser().Run(record).Click("bbCancel");
  dialog->Execute();
  dialog->SetOptions({soHelp, soNext});
  ScriptedUser().Run(record).Click("bbHelp").Click("bbCancel");
  dialog->SetHelpContext(77);
  dialog->Execute();
  EXPECT_EQ(seen, (std::vector<std::string>{"top next ", "", "next help"}));
  EXPECT_EQ(Application->HelpLog(), std::vector<THelpContext>{77});
}

TEST_F(FindDialogTest, AnEmptyTitleShowsTheCaptionOfTheDescription) {
  std::string caption;
  ScriptedUser().Run([&](TForm& form) { caption = form.Caption(); }).Click("bbCancel");
  dialog->Execute();
  EXPECT_EQ(caption, "Find");
  dialog->SetTitle("Look up a customer");
  ScriptedUser().Run([&](TForm& form) { caption = form.Caption(); }).Click("bbCancel");
  dialog->Execute();
  EXPECT_EQ(caption, "Look up a customer");
}

}  // namespace
}  // namespace vantor::dialogs_test
