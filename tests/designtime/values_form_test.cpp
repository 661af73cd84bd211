// The value list editor driven as a developer uses it: keys typed into its edits, the
// edits left, OK and Cancel clicked, on records of a filter panel bound to the customers
// table (name is text, visits a small integer, active a Boolean).

#include <vantor/designtime/values_form.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <vantor/criteria/field_record.h>
#include "dialogs/support/dialog_fixture.h"
#include <vantor/engines/filter_panel.h>
#include <vantor/platform/ui/form.h>
#include <vantor/platform/ui/keyboard_input.h>
#include <vantor/platform/ui/system.h>

namespace vantor::dialogs_test {
namespace {

class ValuesFormTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    root = Keep(new TForm(nullptr));
    root->SetName("Form1");
    panel = new TDBFilterPanel(root);
    panel->SetName("Panel1");
    panel->SetParent(root);
    panel->SetDataSource(&Source());
    ClearBeepLog();
  }

  TFieldRecord* Record(const std::string& field) {
    TFieldRecord* r = panel->Fields()->Add();
    r->SetFieldName(field);
    return r;
  }

  // Shows the editor for `record` and plays the steps queued before.
  TModalResult Edit(TFieldRecord* record) {
    std::unique_ptr<TfmValues> form(NewForm<TfmValues>(Application));
    form->FieldRecord = record;
    const TModalResult result = form->ShowModal();
    last_caption = form->Caption();
    return result;
  }

  // Steps: focus value edit `i` (or comment edit `i`) of the showing editor and type.
  static void TypeIntoValue(int i, const std::string& text) {
    ScriptedUser().Run([i](TForm& f) {
      auto& form = static_cast<TfmValues&>(f);
      form.FocusControl(form.ValueEdits[static_cast<std::size_t>(i)]);
    });
    if (!text.empty()) ScriptedUser().Type(text);
  }
  static void TypeIntoComment(int i, const std::string& text) {
    ScriptedUser().Run([i](TForm& f) {
      auto& form = static_cast<TfmValues&>(f);
      form.FocusControl(form.CommentEdits[static_cast<std::size_t>(i)]);
    });
    ScriptedUser().Type(text);
  }
  // Steps: select the whole text of the focused edit and delete it.
  static void ClearFocused() {
    ScriptedUser().Press(VK_END).Press(VK_HOME, {ssShift}).Press(VK_DELETE);
  }

  TForm* root = nullptr;
  TDBFilterPanel* panel = nullptr;
  std::string last_caption;
};

TEST_F(ValuesFormTest, ShowsTheRecordAndItsFieldNameAndLaysOutItsEdits) {
  TFieldRecord* visits = Record("visits");
  visits->SetValues(0, Variant(7));
  visits->SetCommentTexts(1, "up to");
  TfmValues* seen = nullptr;
  ScriptedUser().Run([&seen](TForm& f) { seen = &static_cast<TfmValues&>(f); });
  ScriptedUser().Run([](TForm& f) {
    auto& form = static_cast<TfmValues&>(f);
    EXPECT_EQ(form.ValueEdits[0]->Text(), "7");
    EXPECT_EQ(form.ValueEdits[1]->Text(), "");
    EXPECT_EQ(form.CommentEdits[1]->Text(), "up to");
    EXPECT_EQ(form.ValueEdits[1]->Top(), 26);
    EXPECT_EQ(form.CommentEdits[0]->Left(), 95);
    EXPECT_EQ(form.CommentEdits[0]->Width(), 185);
    EXPECT_EQ(form.ValueEdits[0]->Width(), 110);
    EXPECT_EQ(form.ValueEdits[0]->Alignment(), taRightJustify);  // a number's alignment
    EXPECT_EQ(form.ClientWidth(), 284);
    EXPECT_EQ(form.ClientHeight(), 127);
  });
  ScriptedUser().Click("buCancel");
  EXPECT_EQ(Edit(visits), mrCancel);
  EXPECT_EQ(last_caption, "visits");
  EXPECT_NE(seen, nullptr);

  std::unique_ptr<TfmValues> unused(NewForm<TfmValues>(Application));
  EXPECT_EQ(unused->Caption(), "Values, Comments");  // until a record is shown
}

TEST_F(ValuesFormTest, OkStoresChangedValuesClearedAsNullAndKeepsUntouchedOnes) {
  TFieldRecord* name = Record("name");
  name->SetValues(0, Variant("Weber"));
  name->SetValues(1, Variant("Berlin"));
  // Changed behind the form after it showed "Weber": the untouched edit does not write.
  ScriptedUser().Run([name](TForm&) { name->SetValues(0, Variant("Meier")); });
  TypeIntoValue(1, "");
  ClearFocused();
  ScriptedUser().Click("buOk");
  EXPECT_EQ(Edit(name), mrOk);
  EXPECT_EQ(name->GetValues(0), Variant("Meier"));
  EXPECT_TRUE(name->GetValues(1).IsNull());

  TypeIntoValue(0, "x");
  ScriptedUser().Click("buCancel");
  EXPECT_EQ(Edit(name), mrCancel);
  EXPECT_EQ(name->GetValues(0), Variant("Meier"));  // Cancel writes nothing
}

TEST_F(ValuesFormTest, ABooleanTakesTypedTAsTrueAndShowsItNextTime) {
  TFieldRecord* active = Record("active");
  TypeIntoValue(0, "t");
  ScriptedUser().Click("buOk");
  EXPECT_EQ(Edit(active), mrOk);
  EXPECT_EQ(active->GetValues(0), Variant(true));
  ScriptedUser().Run([](TForm& f) { EXPECT_EQ(static_cast<TfmValues&>(f).ValueEdits[0]->Text(), "True"); });
  ScriptedUser().Click("buCancel");
  Edit(active);
}

TEST_F(ValuesFormTest, KeysTheFieldTypeRefusesAreDroppedWithABeep) {
  TFieldRecord* visits = Record("visits");
  TypeIntoValue(0, "1a2");
  TypeIntoComment(0, "any text at all");  // comments take every key
  ScriptedUser().Click("buOk");
  EXPECT_EQ(Edit(visits), mrOk);
  EXPECT_TRUE(VarEquals(visits->GetValues(0), Variant(12)));
  EXPECT_EQ(visits->GetCommentTexts(0), "any text at all");
  EXPECT_EQ(BeepLog(), std::vector<std::uint32_t>{MB_OK});

  // A record whose field the data set does not have takes no printable key at all.
  ClearBeepLog();
  TFieldRecord* ghost = Record("nosuch");
  TypeIntoValue(0, "a1 ");
  ScriptedUser().Click("buOk");
  EXPECT_EQ(Edit(ghost), mrOk);
  EXPECT_TRUE(ghost->GetValues(0).IsNull());
  EXPECT_EQ(BeepLog().size(), 3u);
}

TEST_F(ValuesFormTest, ARejectedTextIsReportedOnLeavingAndKeepsTheFormOpenOnOk) {
  TFieldRecord* visits = Record("visits");
  TypeIntoComment(0, "new");
  TypeIntoValue(0, "5");
  TypeIntoValue(1, "1-");        // the keys pass, the text does not convert
  ScriptedUser().Click("buOk");  // leaving the edit reports it
  ScriptedUser().Run([this](TForm&) { EXPECT_EQ(Messages().size(), 1u); });
  ScriptedUser().Click("buOk");  // OK reports it again and does not close
  ScriptedUser().Run([visits](TForm& f) {
    // What was typed is still there to correct; the first value is already stored.
    EXPECT_EQ(static_cast<TfmValues&>(f).ValueEdits[1]->Text(), "1-");
    EXPECT_EQ(f.ModalResult(), mrNone);
    EXPECT_TRUE(VarEquals(visits->GetValues(0), Variant(5)));
    EXPECT_EQ(visits->GetCommentTexts(0), "");
  });
  TypeIntoValue(1, "");
  ScriptedUser().Press(VK_END).Press(VK_BACK);
  ScriptedUser().Click("buOk");
  EXPECT_EQ(Edit(visits), mrOk);
  EXPECT_TRUE(VarEquals(visits->GetValues(1), Variant(1)));
  EXPECT_EQ(visits->GetCommentTexts(0), "new");
  const std::vector<std::string> shown = Messages();
  ASSERT_GE(shown.size(), 2u);
  for (const std::string& text : shown) EXPECT_EQ(text, shown[0]);
  EXPECT_NE(shown[0].find("1-"), std::string::npos) << shown[0];
}

// Activated again while it shows (another window closing over it), the editor keeps what
// was typed and does not read the record again.
TEST_F(ValuesFormTest, ASecondActivationKeepsWhatWasTypedAndReadsNothingAgain) {
  TFieldRecord* visits = Record("visits");
  visits->SetValues(0, Variant(7));
  visits->SetValues(1, Variant(8));
  TypeIntoValue(0, "");
  ClearFocused();
  ScriptedUser().Type("12");
  std::string typed, untouched;
  ScriptedUser().Run([&](TForm& f) {
    visits->SetValues(1, Variant(9));  // behind the editor's back
    TForm other(nullptr, TCreateNew{});
    other.Show();
    other.Hide();
    ASSERT_EQ(Screen->ActiveForm(), &f);
    auto& form = static_cast<TfmValues&>(f);
    typed = form.ValueEdits[0]->Text();
    untouched = form.ValueEdits[1]->Text();
  });
  ScriptedUser().Click("buOk");
  EXPECT_EQ(Edit(visits), mrOk);
  EXPECT_EQ(typed, "12");
  EXPECT_EQ(untouched, "8");
  EXPECT_TRUE(VarEquals(visits->GetValues(0), Variant(12)));
  EXPECT_TRUE(VarEquals(visits->GetValues(1), Variant(9))) << "an edit left alone changes nothing";
}

TEST_F(ValuesFormTest, CommentsAreWrittenBackOnOkEvenUnchanged) {
  TFieldRecord* name = Record("name");
  name->SetCommentTexts(0, "from");
  name->SetCommentTexts(1, "to");
  // Changed behind the form's back after it showed them: OK writes the edits' texts anyway.
  ScriptedUser().Run([name](TForm&) {
    name->SetCommentTexts(0, "changed");
    name->SetCommentTexts(1, "elsewhere");
  });
  ScriptedUser().Click("buOk");
  EXPECT_EQ(Edit(name), mrOk);
  EXPECT_EQ(name->GetCommentTexts(0), "from");
  EXPECT_EQ(name->GetCommentTexts(1), "to");

  std::unique_ptr<TfmValues> form(NewForm<TfmValues>(Application));  // no record: nothing to do
  ScriptedUser().Type("abc").Click("buOk");
  EXPECT_EQ(form->ShowModal(), mrOk);
}

}  // namespace
}  // namespace vantor::dialogs_test
