// The dialogs as their users drive them: values typed into the dialog's panel with the
// keyboard, then OK, Enter or Cancel.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <vantor/dialogs/filter_dialog.h>
#include <vantor/dialogs/filter_form.h>
#include <vantor/dialogs/find_dialog.h>
#include "dialogs/support/dialog_fixture.h"
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/ui/check_box.h>
#include <vantor/platform/ui/keyboard_input.h>
#include <vantor/platform/ui/mask_edit.h>
#include <vantor/platform/ui/messages.h>

namespace vantor::dialogs_test {
namespace {

class TypingInDialogTest : public DialogTest {
 protected:
  // A step that clicks into the first edit of the named field, as the user does.
  static void ClickInto(TFieldsSet& dialog, const std::string& field) {
    ScriptedUser().Run([&dialog, field](TForm&) {
      TCustomMaskEdit* edit = dialog.FieldByName(field)->Edits(0);
      ASSERT_NE(edit, nullptr) << "the showing dialog has an edit for " << field;
      ClickAt(edit, 4, edit->Height() / 2);
    });
  }
  // The ids, in the current order, of the records whose `field` begins with `prefix`
  // whatever the letter case.
  std::vector<int> IdsBeginningWith(const std::string& field, const std::string& prefix) {
    std::vector<int> ids;
    for (int id : VisibleIds()) {
      if (AnsiUpperCase(TextOf(id, field)).starts_with(AnsiUpperCase(prefix))) ids.push_back(id);
    }
    return ids;
  }
  // A prefix of the name of the record in the middle of the table, long enough to be
  // selective and short enough to be shared.
  std::string SomeNamePrefix() {
    const std::vector<int> ids = VisibleIds();
    return TextOf(ids[ids.size() / 2], "name").substr(0, 3);
  }
};

TEST_F(TypingInDialogTest, AFindTypedIntoTheDialogAndEnterLandsOnTheFirstMatch) {
  auto* dialog = NewDialog<TDBFindDialog>("FindDialog1");
  TFieldRecord* name = dialog->FieldByName("name");
  name->SetCompare(ctInitial);
  name->SetCaseInsensitive(true);
  const std::string prefix = SomeNamePrefix();
  const std::vector<int> matches = IdsBeginningWith("name", AnsiLowerCase(prefix));
  ASSERT_FALSE(matches.empty());
  GoTo(VisibleIds().back());

  ClickInto(*dialog, "name");
  ScriptedUser().Type(AnsiLowerCase(prefix)).Press(VK_RETURN);
  EXPECT_TRUE(dialog->Execute());
  EXPECT_EQ(name->GetValues(0).AsString(), AnsiLowerCase(prefix)) << "the typed text is the value";
  EXPECT_EQ(CurrentId(), matches.front());
  EXPECT_EQ(dialog->Form(), nullptr);
  EXPECT_EQ(ListNesting(*dialog), 0);
}

TEST_F(TypingInDialogTest, AFilterTypedIntoTheDialogWithFilteredTickedShowsTheMatches) {
  auto* dialog = NewDialog<TDBFilterDialog>("FilterDialog1");
  TFieldRecord* name = dialog->FieldByName("name");
  name->SetCompare(ctInitial);
  name->SetCaseInsensitive(true);
  const std::string prefix = SomeNamePrefix();
  const std::vector<int> matches = IdsBeginningWith("name", prefix);
  ASSERT_FALSE(matches.empty());
  ASSERT_LT(matches.size(), VisibleIds().size()) << "a prefix that leaves records out";

  ClickInto(*dialog, "name");
  ScriptedUser().Type(prefix).Run([](TForm& form) {
    TCheckBox* box = static_cast<TfmFilter&>(form).cbFiltered;
    if (!box->Checked()) ClickAt(box, box->Width() / 2, box->Height() / 2);
  });
  ScriptedUser().Click("bbOk");
  EXPECT_TRUE(dialog->Execute());
  EXPECT_TRUE(Table().Filtered());
  EXPECT_EQ(VisibleIds(), matches);

  // Typed over and cancelled: the confirmed prefix and its records come back.
  ClickInto(*dialog, "name");
  ScriptedUser().Press(VK_END).Type("zzz").Click("bbCancel");
  EXPECT_FALSE(dialog->Execute());
  EXPECT_EQ(name->GetValues(0).AsString(), prefix);
  EXPECT_EQ(VisibleIds(), matches);
  EXPECT_EQ(PanelNesting(*dialog), 0);
}

}  // namespace
}  // namespace vantor::dialogs_test
