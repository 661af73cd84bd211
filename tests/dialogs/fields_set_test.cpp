// The dialog host: the component's properties kept in its panel, the form it shows (size,
// place, caption, fonts, buttons), the close protocol, the snapshot for Cancel, the
// balance of the brackets on every path, and the form stream.

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

#include <vantor/dialogs/dialog_panel.h>
#include <vantor/dialogs/filter_dialog.h>
#include <vantor/dialogs/filter_form.h>
#include <vantor/dialogs/find_dialog.h>
#include "dialogs/support/dialog_fixture.h"
#include <vantor/platform/ui/form.h>
#include <vantor/platform/ui/label.h>
#include <vantor/platform/ui/mask_edit.h>
#include <vantor/platform/ui/scrolling_win_control.h>
#include "support/form_stream.h"

namespace vantor::dialogs_test {
namespace {

class FieldsSetTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    dialog = NewDialog<TDBFilterDialog>("FilterDialog1");
  }
  void SetName(const std::string& value) { dialog->FieldByName("name")->SetValues(0, Variant(value)); }
  std::string Name() const { return dialog->FieldByName("name")->GetValues(0).AsString(); }

  // The form's bounds as the step saw them.
  struct Seen {
    TRect bounds;
    int client_width = 0;
    int client_height = 0;
    bool vert_bar = false;
  };
  static Seen Look(TForm& form, TFieldsSet& d) {
    return {form.BoundsRect(), form.ClientWidth(), form.ClientHeight(),
            d.PanelFieldsSet()->ScrollBox()->VertScrollBar()->Visible()};
  }

  TDBFilterDialog* dialog = nullptr;
};

// ---- the component ----

TEST_F(FieldsSetTest, PropertiesAreKeptInTheInnerPanelWithTheDialogDefaults) {
  TPanelFieldsSet& panel = *dialog->PanelFieldsSet();
  EXPECT_EQ(panel.Owner(), dialog);
  EXPECT_EQ(panel.Parent(), nullptr);
  EXPECT_NE(dynamic_cast<TDBFilterComponent*>(&panel), nullptr);
  EXPECT_EQ(static_cast<TDBFilterComponent&>(panel).FieldsSet(), dialog);
  EXPECT_TRUE(dialog->GetChangeCursor()) << "the panel's own default is off";
  EXPECT_EQ(dialog->GetVertMargin(), 50);
  EXPECT_EQ(dialog->GetHorzMargin(), 0);
  EXPECT_EQ(dialog->GetOptions(), (TStateOptions{soClear, soSetup, soNext}));
  EXPECT_EQ(dialog->GetOptions().ToMask(), 11);
  EXPECT_FALSE(panel.ParentFont());
  EXPECT_FALSE(panel.ParentColor());
  EXPECT_NE(dynamic_cast<TFSStyleOptions*>(dialog->StyleOptions()), nullptr);
  EXPECT_EQ(panel.Align(), alClient);
  EXPECT_EQ(dialog->GetUpdateState(), usAuto);

  dialog->SetStepHeight(7);
  dialog->SetPosState(psTwoLine);
  dialog->SetAutoSaveValues(false);
  dialog->SetBorderWidth(4);
  EXPECT_EQ(panel.GetStepHeight(), 7);
  EXPECT_EQ(panel.GetPosState(), psTwoLine);
  EXPECT_FALSE(panel.GetAutoSaveValues());
  EXPECT_EQ(panel.BorderWidth(), 4);
  EXPECT_EQ(dialog->Fields(), panel.Fields());
  EXPECT_EQ(dialog->FieldByName("city"), panel.FindField("CITY"));
  int changes = 0;
  dialog->OnEditChange() = [&](TFieldRecord*, int) { ++changes; };
  EXPECT_TRUE(panel.OnEditChange.Assigned());

  auto find = std::make_unique<TDBFindDialog>(nullptr);
  EXPECT_TRUE(find->GetShowBox());
  EXPECT_EQ(find->GetUpdateState(), usNone);
  EXPECT_TRUE(find->GetRestart());
  EXPECT_EQ(find->GetFindOptions(), foFast);
}

TEST_F(FieldsSetTest, APanelWithoutADialogOwnerStaysInert) {
  TForm owner(nullptr);
  auto* panel = new TDBFindComponent(&owner);
  EXPECT_EQ(panel->FieldsSet(), nullptr);
  EXPECT_EQ(panel->GetComponentState(), TComponentState{csLoading});
  panel->SetParent(&owner);
  panel->SetDataSource(&Source());
  panel->WndChanged();
  EXPECT_EQ(panel->Fields()->Count(), 0) << "a loading panel builds no list";
  EXPECT_EQ(panel->ScrollBox()->ControlCount(), 0);
}

// ---- the form's size and place ----

TEST_F(FieldsSetTest, TheFormGrowsAroundItsFieldsAndIsCentred) {
  Seen seen;
  ScriptedUser().Run([&](TForm& form) { seen = Look(form, *dialog); }).Click("bbCancel");
  dialog->Execute();
  EXPECT_GT(seen.bounds.Height(), 188);
  EXPECT_LT(seen.bounds.Height(), Screen->Height() - dialog->GetVertMargin());
  EXPECT_EQ(seen.bounds.Top, (Screen->Height() - seen.bounds.Height()) / 2);
  EXPECT_EQ(seen.bounds.Left, (Screen->Width() - seen.bounds.Width()) / 2);
  const int frame = seen.bounds.Width() - seen.client_width;
  EXPECT_GE(seen.bounds.Width(), 320 + 2 * dialog->GetBorderWidth() + 2 + frame);
  EXPECT_FALSE(seen.vert_bar);
}

TEST_F(FieldsSetTest, ManyFieldsStopTheFormAtTheScreenLessTheMarginsAndThePanelScrolls) {
  Screen->SetHeight(300);
  Screen->SetWidth(500);
  dialog->SetHorzMargin(40);
  dialog->SetVertMargin(60);
  Seen seen;
  ScriptedUser().Run([&](TForm& form) { seen = Look(form, *dialog); }).Click("bbCancel");
  dialog->Execute();
  EXPECT_EQ(seen.bounds.Height(), 300 - 60);
  EXPECT_EQ(seen.bounds.Top, 30);
  EXPECT_LE(seen.bounds.Width(), 500 - 40);
  EXPECT_TRUE(seen.vert_bar);
}

TEST_F(FieldsSetTest, TitleAndMarginsChangedWhileTheFormShowsRelayItOutAtOnce) {
  Screen->SetHeight(300);
  std::string caption;
  Seen before, after;
  ScriptedUser()
      .Run([&](TForm& form) {
        before = Look(form, *dialog);
        dialog->SetTitle("Choose customers");
        dialog->SetVertMargin(100);
        after = Look(form, *dialog);
        caption = form.Caption();
      })
      .Click("bbCancel");
  dialog->Execute();
  EXPECT_EQ(caption, "Choose customers");
  EXPECT_EQ(before.bounds.Height(), 250);
  EXPECT_EQ(after.bounds.Height(), 200);
  EXPECT_EQ(after.bounds.Top, 50);
}

TEST_F(FieldsSetTest, OptionsChangedWhileTheFormShowsShowAndHideTheButtonsAtOnce) {
  struct Buttons {
    bool clear = false, setup = false, help = false;
    bool operator==(const Buttons&) const = default;
  };
  Buttons before, after;
  int help_left = 0, cancel_right = 0;
  dialog->OnFormActivate = [&](TObject* sender) {
    auto& f = *dynamic_cast<TfmFieldsSet*>(sender);
    const auto look = [&f] {
      return Buttons{f.bbClear->IsVisibleOnScreen(), f.bbSetup->IsVisibleOnScreen(), f.bbHelp->IsVisibleOnScreen()};
    };
    before = look();
    dialog->SetOptions({soHelp});
    after = look();
    help_left = f.paHelp->Left();
    cancel_right = f.paCancel->BoundsRect().Right;
  };
  ScriptedUser().Click("bbCancel");
  dialog->Execute();
  EXPECT_EQ(before, (Buttons{true, true, false}));
  EXPECT_EQ(after, (Buttons{false, false, true}));
  EXPECT_EQ(help_left, cancel_right) << "Help stands right of Cancel";
}

// Margins, borders and fields as large as an int holds: the form stops at the largest int
// instead of wrapping, and the run ends as usual.
TEST_F(FieldsSetTest, ExtremeMarginsBordersAndWidthsStopTheFormAtTheLargestInt) {
  dialog->SetHorzMargin(INT_MIN);
  dialog->SetVertMargin(INT_MIN);
  dialog->SetAutoEditWidth(false);
  dialog->FieldByName("name")->SetDisplayWidth(300'000'000);
  TRect seen;
  ScriptedUser().Run([&](TForm& form) { seen = form.BoundsRect(); }).Click("bbCancel");
  EXPECT_FALSE(dialog->Execute());
  EXPECT_EQ(seen.Right, INT_MAX);
  EXPECT_EQ(seen.Left, 0) << "never placed left of the screen";
  dialog->SetBorderWidth(INT_MAX);
  ScriptedUser().Run([&](TForm& form) { seen = form.BoundsRect(); }).Click("bbCancel");
  EXPECT_FALSE(dialog->Execute());
  EXPECT_EQ(seen.Bottom, INT_MAX);
}

// A dialog made in code on a form and configured before it shows: every font and colour
// whose parent flag is set shows the form's, whichever flags were set (or left) before.
TEST_F(FieldsSetTest, ADialogConfiguredInCodeFollowsTheFormItWasPlacedOn) {
  for (int flag : {-1, 0, 1, 2}) {  // none set; Color, TextFont set again; EditColor
    SCOPED_TRACE(flag);
    TForm owner(nullptr);
    owner.Font()->SetSize(12);
    owner.SetColor(clTeal);
    auto* placed = new TDBFilterDialog(&owner);
    placed->SetDataSource(&Source());
    TStyleOptions& style = *placed->StyleOptions();
    for (bool value : {false, true}) {
      if (flag == 0) style.SetParentColor(0, value);
      if (flag == 1) style.SetParentFont(1, value);
    }
    if (flag == 2) style.SetParentEditColor(true);
    std::vector<TColor> colors;  // form, panel, edit
    std::vector<int> sizes;      // form, button bar, label, edit
    ScriptedUser()
        .Run([&](TForm& form) {
          auto& f = static_cast<TfmFieldsSet&>(form);
          const TFieldRecord& name = *placed->FieldByName("name");
          colors = {f.Color(), placed->PanelFieldsSet()->Color(), name.Edits(0)->Color()};
          sizes = {f.Font()->Size(), f.paTop->Font()->Size(), name.Labels(0)->Font()->Size(),
                   name.Edits(0)->Font()->Size()};
        })
        .Click("bbCancel");
    placed->Execute();
    EXPECT_EQ(colors, (std::vector<TColor>{clTeal, clTeal, flag == 2 ? clTeal : clWindow}));
    EXPECT_EQ(sizes, (std::vector<int>{12, 12, 12, 12}));
  }
}

TEST_F(FieldsSetTest, ResizingTheFormReflowsTheFieldsWithoutResizingOrCentringIt) {
  TRect resized;
  TRect seen;
  int panel_width = 0;
  ScriptedUser()
      .Run([&](TForm& form) {
        resized = TRect{form.Left() + 15, form.Top() + 10, form.Left() + form.Width() + 115,
                        form.Top() + form.Height() + 60};
        form.SetBoundsRect(resized);
        seen = form.BoundsRect();
        panel_width = dialog->PanelFieldsSet()->Width();
      })
      .Click("bbCancel");
  dialog->Execute();
  EXPECT_EQ(seen, resized);
  EXPECT_EQ(panel_width, resized.Width() - 2 * FrameMetrics(bsSizeable).left);
}

TEST_F(FieldsSetTest, TheButtonBarsNeverUseMoreThanFourteenPoints) {
  dialog->StyleOptions()->GetFont(0)->SetSize(20);
  dialog->StyleOptions()->GetFont(1)->SetSize(18);
  int top = 0, bottom = 0, form_font = 0, ok = 0;
  ScriptedUser()
      .Run([&](TForm& form) {
        auto& f = static_cast<TfmFieldsSet&>(form);
        top = f.paTop->Font()->Size();
        bottom = f.paBottom->Font()->Size();
        ok = f.bbOk->Font()->Size();
        form_font = f.Font()->Size();
      })
      .Click("bbCancel");
  dialog->Execute();
  EXPECT_EQ(top, 14);
  EXPECT_EQ(bottom, 14);
  EXPECT_EQ(ok, 14);
  EXPECT_EQ(form_font, 18);
}

TEST_F(FieldsSetTest, TheFormsFontDoesNotReachThePanelsOwnFonts) {
  const int text_size = dialog->StyleOptions()->GetFont(1)->Size();
  int seen = 0;
  ScriptedUser()
      .Run([&](TForm& form) {
        TFont big;
        big.SetSize(30);
        form.SetFont(&big);
        seen = dialog->StyleOptions()->GetFont(1)->Size();
      })
      .Click("bbCancel");
  dialog->Execute();
  EXPECT_EQ(seen, text_size);
}

// ---- the close protocol and the snapshot ----

TEST_F(FieldsSetTest, OnFormCloseTurningOkIntoCancelRestoresTheValues) {
  SetName("Kept");
  dialog->OnFormClose = [](TObject*, TCloseState& state) {
    if (state == csOk) state = csCancel;
  };
  ScriptedUser().Run([&](TForm&) { SetName("Typed"); }).Click("bbOk");
  EXPECT_FALSE(dialog->Execute());
  EXPECT_EQ(Name(), "Kept");
}

TEST_F(FieldsSetTest, OnFormCloseTurningCancelIntoOkKeepsTheEditedValues) {
  SetName("Kept");
  dialog->OnFormClose = [](TObject*, TCloseState& state) {
    if (state == csCancel) state = csOk;
  };
  ScriptedUser().Run([&](TForm&) { SetName("Typed"); }).Click("bbCancel");
  EXPECT_TRUE(dialog->Execute());
  EXPECT_EQ(Name(), "Typed");
}

TEST_F(FieldsSetTest, ACloseAnsweredNoneKeepsTheFormAndItsSnapshotOpen) {
  SetName("Kept");
  int asked = 0;
  dialog->OnFormClose = [&](TObject*, TCloseState& state) {
    if (++asked == 1) state = csNone;
  };
  int nesting_after_none = -1;
  ScriptedUser()
      .Run([&](TForm&) { SetName("Typed"); })
      .Click("bbOk")
      .Run([&](TForm&) { nesting_after_none = ListNesting(*dialog); })
      .Click("bbCancel");
  EXPECT_FALSE(dialog->Execute());
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(nesting_after_none, 1);
  EXPECT_EQ(Name(), "Kept");
  EXPECT_EQ(ListNesting(*dialog), 0);
}

TEST_F(FieldsSetTest, WithoutAutoSaveValuesEveryShowingStartsEmptyAndCancelRestores) {
  SetName("Kept");
  dialog->SetAutoSaveValues(false);
  bool empty = false;
  ScriptedUser().Run([&](TForm&) { empty = dialog->FieldByName("name")->GetValues(0).IsNull(); }).Click("bbCancel");
  EXPECT_FALSE(dialog->Execute());
  EXPECT_TRUE(empty);
  EXPECT_EQ(Name(), "Kept");
}

TEST_F(FieldsSetTest, ClearAllEmptiesEveryValue) {
  SetName("Kept");
  dialog->FieldByName("city")->SetValues(0, Variant("Oslo"));
  ScriptedUser().Click("bbClear").Click("bbOk");
  EXPECT_TRUE(dialog->Execute());
  EXPECT_TRUE(dialog->FieldByName("name")->GetValues(0).IsNull());
  EXPECT_TRUE(dialog->FieldByName("city")->GetValues(0).IsNull());
}

TEST_F(FieldsSetTest, TheFocusedEditsExitHandlerRunsWhenTheFormCloses) {
  std::vector<std::string> exits;
  dialog->OnEditExit() = [&](TFieldRecord* record, int edit_no) {
    exits.push_back(record->GetFieldName() + "/" + std::to_string(edit_no));
  };
  ScriptedUser()
      .Run([&](TForm& form) {
        TCustomMaskEdit* edit = dialog->FieldByName("city")->Edits(0);
        ASSERT_NE(edit, nullptr);
        form.FocusControl(edit);
        exits.clear();  // leaving the edit the focus came from
      })
      .Press(VK_RETURN);
  EXPECT_TRUE(dialog->Execute());
  EXPECT_EQ(exits, std::vector<std::string>{"city/0"});
}

TEST_F(FieldsSetTest, ComingBackFromAnotherFormKeepsOneBracketAndTheFirstSnapshot) {
  SetName("Kept");
  int activations = 0;
  dialog->OnFormActivate = [&](TObject*) { ++activations; };
  RegisterSetupForm(TDBFilterDialog::StaticType(), [this](TFieldsSet&) {
    std::unique_ptr<TForm> other(NewForm<TForm>(nullptr));
    SetName("Set in another form");
    return other->ShowModal() == mrOk;
  });
  int nesting = -1;
  ScriptedUser()
      .Run([&](TForm&) { SetName("Typed"); })
      .Click("bbSetup")
      .Run([](TForm& other) { other.SetModalResult(mrOk); })
      .Run([&](TForm&) { nesting = ListNesting(*dialog); })
      .Click("bbCancel");
  EXPECT_FALSE(dialog->Execute());
  EXPECT_EQ(activations, 2);
  EXPECT_EQ(nesting, 1);
  EXPECT_EQ(Name(), "Kept");
  EXPECT_EQ(ListNesting(*dialog), 0);
}

// ---- every way out leaves the brackets balanced ----

TEST_F(FieldsSetTest, AnErrorLeavingTheRunFreesTheFormAndRestoresTheValues) {
  SetName("Kept");
  Application->OnException = [](TObject*, const std::exception&) { throw; };
  ScriptedUser().Run([&](TForm&) {
    SetName("Typed");
    throw std::runtime_error("handler failed");
  });
  EXPECT_THROW(dialog->Execute(), std::runtime_error);
  EXPECT_EQ(dialog->Form(), nullptr);
  EXPECT_EQ(dialog->PanelFieldsSet()->Parent(), nullptr);
  EXPECT_EQ(ListNesting(*dialog), 0);
  EXPECT_EQ(PanelNesting(*dialog), 0);
  EXPECT_EQ(Name(), "Kept");

  // A run whose script runs out leaves the same way, and the next run works.
  Application->OnException = nullptr;
  EXPECT_THROW(dialog->Execute(), EScriptError);
  EXPECT_EQ(ListNesting(*dialog), 0);
  ScriptedUser().Run([&](TForm&) { SetName("Confirmed"); }).Click("bbOk");
  EXPECT_TRUE(dialog->Execute());
  EXPECT_EQ(Name(), "Confirmed");
}

TEST_F(FieldsSetTest, AnErrorReportedInsideTheRunLetsTheUserGoOn) {
  SetName("Kept");
  dialog->OnFormActivate = [](TObject*) { throw EInvalidOperation("activation failed"); };
  ScriptedUser()
      .Run([&](TForm&) { SetName("Typed"); })
      .Run([&](TForm&) { dialog->Execute(); })
      .Click("bbOk");
  EXPECT_TRUE(dialog->Execute());
  EXPECT_EQ(Name(), "Typed");
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_EQ(Messages()[0], "activation failed.");
  EXPECT_NE(Messages()[1].find("while it shows"), std::string::npos) << Messages()[1];
  EXPECT_EQ(ListNesting(*dialog), 0);
  EXPECT_EQ(PanelNesting(*dialog), 0);
}

// ---- the form stream ----

TEST_F(FieldsSetTest, AFormWithBothDialogsWrittenAndReadBackRunsTheSameWay) {
  RegisterClass(TDataSource::StaticType());
  RegisterClass(TSQLiteTable::StaticType());
  const std::vector<int> ids = VisibleIds();
  const std::string third = TextOf(ids[2], "name");
  const int first_match = IdsWhere("name", third).front();
  const std::string city = TextOf(ids[0], "city");
  const std::vector<int> in_city = IdsWhere("city", city);

  // A form with its own table of the sample database, a source and both dialogs.
  auto form = std::make_unique<TForm>(nullptr);
  form->SetName("Form1");
  auto* table = new TSQLiteTable(form.get());
  table->SetName("Customers");
  table->SetDatabaseName(SampleDatabase());
  table->SetTableName("customers");
  table->Open();
  auto* source = new TDataSource(form.get());
  source->SetName("DataSource1");
  source->SetDataSet(table);
  auto* find = new TDBFindDialog(form.get());
  find->SetName("FindDialog1");
  find->SetDataSource(source);
  find->SetTitle("Look up");
  find->SetOptions({soClear, soHelp});
  find->SetFindOptions(foNormal);
  find->Fields()->SetDefaultFields(false);
  find->FieldByName("name")->SetCompare(ctExact);
  find->FieldByName("name")->SetCaseInsensitive(false);
  find->FieldByName("name")->SetValues(0, Variant(third));
  auto* filter = new TDBFilterDialog(form.get());
  filter->SetName("FilterDialog1");
  filter->SetDataSource(source);
  filter->SetVertMargin(80);
  filter->Fields()->SetDefaultFields(false);
  filter->FieldByName("city")->SetCompare(ctExact);
  filter->FieldByName("city")->SetValues(0, Variant(city));

  const std::vector<std::uint8_t> binary = testing_support::WriteForm(*form);
  const std::string form_text = testing_support::FormText(binary);
  EXPECT_NE(form_text.find("object FindDialog1: TDBFindDialog"), std::string::npos) << form_text;
  EXPECT_NE(form_text.find("Values = "), std::string::npos) << form_text;
  EXPECT_EQ(form_text.find("TDBFindComponent"), std::string::npos) << "the panel is no component of the stream";
  form.reset();

  auto copy = std::make_unique<TForm>(nullptr);
  testing_support::ReadForm(binary, *copy);
  auto* table2 = dynamic_cast<TSQLiteTable*>(copy->FindComponent("Customers"));
  auto* find2 = dynamic_cast<TDBFindDialog*>(copy->FindComponent("FindDialog1"));
  auto* filter2 = dynamic_cast<TDBFilterDialog*>(copy->FindComponent("FilterDialog1"));
  ASSERT_NE(table2, nullptr);
  ASSERT_NE(find2, nullptr);
  ASSERT_NE(filter2, nullptr);
  ASSERT_TRUE(table2->Active());
  EXPECT_EQ(find2->GetTitle(), "Look up");
  EXPECT_EQ(find2->GetOptions(), (TStateOptions{soClear, soHelp}));
  EXPECT_EQ(find2->GetFindOptions(), foNormal);
  EXPECT_EQ(filter2->GetVertMargin(), 80);
  EXPECT_EQ(find2->FieldByName("name")->GetValues(0).AsString(), third);

  // The values read from the stream are the ones the runs use.
  table2->Last();
  ScriptedUser().Click("bbOk");
  EXPECT_TRUE(find2->Execute());
  EXPECT_EQ(table2->FieldByName("id")->AsInteger(), first_match);
  ScriptedUser().Click("cbFiltered").Click("bbOk");
  EXPECT_TRUE(filter2->Execute());
  std::vector<int> visible;
  for (table2->First(); !table2->Eof(); table2->Next()) visible.push_back(table2->FieldByName("id")->AsInteger());
  EXPECT_EQ(visible, in_city);
  copy.reset();
}

}  // namespace
}  // namespace vantor::dialogs_test
