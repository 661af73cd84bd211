// The fields editor and the registration, driven as a developer drives them in a
// designer: the context-menu verb opens the window, buttons are clicked, lines are
// dragged, questions answered; the inspector's selection is the designer's.

#include <vantor/designtime/fields_editor.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include <vantor/criteria/field_record.h>
#include <vantor/designtime/registration.h>
#include <vantor/dialogs/filter_dialog.h>
#include <vantor/dialogs/find_dialog.h>
#include "dialogs/support/dialog_fixture.h"
#include <vantor/engines/filter_panel.h>
#include <vantor/engines/find_panel.h>
#include <vantor/platform/core/registry.h>
#include <vantor/platform/design/design_registry.h>
#include <vantor/platform/design/form_designer.h>
#include <vantor/platform/ui/bitmap.h>
#include <vantor/platform/ui/form.h>

namespace vantor::dialogs_test {
namespace {

class FieldsEditorTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    store = std::filesystem::temp_directory_path() /
            ("vantor_fields_editor_" + std::to_string(::getpid()) + ".reg");
    std::filesystem::remove(store);
    TRegistry::SetStorePath(store.string());
    Register();
    root = Keep(new TForm(nullptr));
    root->SetName("Form1");
    designer = std::make_unique<TFormDesigner>(root);
    panel = new TDBFilterPanel(root);
    panel->SetName("Panel1");
    panel->SetParent(root);
    panel->SetDataSource(&Source());
  }
  void TearDown() override {
    // The windows still open go before the components they edit.
    Application->ProcessMessages();
    for (TFieldsEditDlg* dlg : Windows()) delete dlg;
    designer.reset();
    DialogTest::TearDown();
    TRegistry::SetStorePath("");
    std::filesystem::remove(store);
  }

  // Opens the fields editor of `c` through its context-menu verb.
  TFieldsEditDlg* Open(TComponent* c) {
    auto editor = GetComponentEditor(c, *designer);
    EXPECT_EQ(editor->GetVerbCount(), 1);
    EXPECT_EQ(editor->GetVerb(0), "Fields Editor...");
    editor->ExecuteVerb(0);
    const auto windows = Windows();
    EXPECT_EQ(windows.size(), 1u);
    return windows.empty() ? nullptr : windows.back();
  }
  static std::vector<TFieldsEditDlg*> Windows() {
    std::vector<TFieldsEditDlg*> found;
    for (int i = 0; i < Application->ComponentCount(); ++i) {
      if (auto* dlg = dynamic_cast<TFieldsEditDlg*>(Application->Components(i))) found.push_back(dlg);
    }
    return found;
  }
  static std::vector<std::string> Lines(TFieldsEditDlg* dlg) { return dlg->lbFields->Items()->ToVector(); }
  TPersistent* Selected() const {
    return designer->GetSelections().empty() ? nullptr : designer->GetSelections()[0];
  }
  std::vector<std::string> FieldNames(TFieldsList* list) {
    std::vector<std::string> names;
    for (TFieldRecord* r : list->Records()) names.push_back(r->GetFieldName());
    return names;
  }
  std::vector<std::string> TableFields() {
    std::vector<std::string> names;
    for (int i = 0; i < Table().FieldCount(); ++i) names.push_back(Table().Fields(i)->FieldName());
    return names;
  }
  // The middle of line `index` of the list box.
  static TPoint LinePoint(TFieldsEditDlg* dlg, int index) {
    const TRect r = dlg->lbFields->ItemRect(index);
    return {r.Left + 5, (r.Top + r.Bottom) / 2};
  }

  TScopedDesignRegistry registrations;
  std::filesystem::path store;
  TForm* root = nullptr;
  std::unique_ptr<TFormDesigner> designer;
  TDBFilterPanel* panel = nullptr;
};

TEST_F(FieldsEditorTest, RegisterPutsTheFourComponentsOnTheirPageWithTheirEditors) {
  EXPECT_EQ(registrations.Registry().PaletteClasses("Vantor"),
            (std::vector<const TypeInfo*>{&TDBFilterPanel::StaticType(), &TDBFindPanel::StaticType(),
                                          &TDBFilterDialog::StaticType(), &TDBFindDialog::StaticType()}));
  EXPECT_EQ(registrations.Registry().PalettePages(), std::vector<std::string>{"Vantor"});
  EXPECT_EQ(registrations.Registry().FindPaletteClass("TDBFindComponent"), nullptr);
  EXPECT_EQ(registrations.Registry().FindPaletteClass("TDBFilterComponent"), nullptr);
  for (const char* image : {"TDBFILTERPANEL", "TDBFINDPANEL", "TDBFILTERDIALOG", "TDBFINDDIALOG"}) {
    TBitmap bitmap;
    bitmap.LoadFromResourceName(image);
    EXPECT_EQ(bitmap.Width(), 24);
    EXPECT_EQ(bitmap.Height(), 24);
  }

  auto* find_dialog = new TDBFindDialog(root);
  auto* find_panel = new TDBFindPanel(root);
  const PropInfo& fields = *TPanelFieldsSet::StaticType().FindProperty("Fields");
  const auto& reg = registrations.Registry();
  EXPECT_EQ(reg.FindPropertyEditor(fields, *find_panel)->name, "TPanelFieldsProperty");
  EXPECT_EQ(reg.FindPropertyEditor(*TFieldsSet::StaticType().FindProperty("Fields"), *find_dialog)->name,
            "TFieldsProperty");
  EXPECT_EQ(reg.FindComponentEditor(TDBFilterDialog::StaticType())->name, "TFieldsEditor");
  EXPECT_EQ(reg.FindComponentEditor(find_panel->ClassType())->name, "TPanelFieldsEditor");
  auto editor = GetPropertyEditor(*designer, {find_panel}, fields);
  EXPECT_EQ(editor->GetAttributes().ToMask(), 68u);
  EXPECT_EQ(editor->GetValue(), "(TFieldsList)");
}

TEST_F(FieldsEditorTest, AFieldNameOffersTheDataSetsFieldsAlsoForTwoSelectedRecords) {
  TFieldRecord* a = panel->Fields()->Add();
  TFieldRecord* b = panel->Fields()->Add();
  const PropInfo& name = *TFieldRecord::StaticType().FindProperty("FieldName");
  auto editor = GetPropertyEditor(*designer, {a, b}, name);
  EXPECT_EQ(editor->GetAttributes().ToMask(), 41u);
  std::vector<std::string> values;
  editor->GetValues([&values](const std::string& v) { values.push_back(v); });
  EXPECT_EQ(values, TableFields());
  editor->SetValue("city");
  EXPECT_EQ(a->GetFieldName(), "city");
  EXPECT_EQ(b->GetFieldName(), "city");
  bool offered = false;
  for (const auto& e : GetComponentProperties(*designer, {a, b})) offered = offered || e->GetName() == "FieldName";
  EXPECT_TRUE(offered);
  // A record of a panel without a data source offers nothing.
  auto* lone = new TDBFilterPanel(root);
  TFieldRecord* c = lone->Fields()->Add();
  values.clear();
  GetPropertyEditor(*designer, {c}, name)->GetValues([&values](const std::string& v) { values.push_back(v); });
  EXPECT_TRUE(values.empty());
}

TEST_F(FieldsEditorTest, ADefaultListShowsNoLinesAndAddReplacesItWithOneRecord) {
  TFieldsEditDlg* dlg = Open(panel);
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(dlg->Caption(), "Editing Panel1.Fields");
  EXPECT_TRUE(Lines(dlg).empty());
  EXPECT_FALSE(dlg->buSetData->Enabled());
  EXPECT_FALSE(dlg->buUpdate->Enabled());
  EXPECT_EQ(Selected(), panel->Fields());  // the inspector shows the list
  // A second request brings the same window forward.
  GetComponentEditor(panel, *designer)->ExecuteVerb(0);
  EXPECT_EQ(Windows().size(), 1u);

  ScriptedUser().Click("buAdd");
  ScriptedUser().PlayNow();
  ASSERT_EQ(panel->Fields()->Count(), 1);
  EXPECT_FALSE(panel->Fields()->DefaultFields());
  EXPECT_EQ(Lines(dlg), std::vector<std::string>{" 0 - TFieldRecord"});
  EXPECT_EQ(Selected(), panel->Fields()->Items(0));
  EXPECT_TRUE(designer->IsModified());
  EXPECT_TRUE(dlg->buSetData->Enabled());
  // A name set in the inspector shows in the line at once.
  panel->Fields()->Items(0)->SetFieldName("city");
  EXPECT_EQ(Lines(dlg), std::vector<std::string>{" 0 - city"});
}

TEST_F(FieldsEditorTest, AddAllAsksOnlyWhenThereAreLinesAndFollowsTheAnswer) {
  TFieldsEditDlg* dlg = Open(panel);
  ScriptedUser().Click("buAddAll");  // no lines: no question
  ScriptedUser().PlayNow();
  const std::vector<std::string> all = TableFields();
  EXPECT_EQ(FieldNames(panel->Fields()), all);
  EXPECT_EQ(Selected(), panel->Fields()->Items(0));

  ScriptedUser().Click("buAddAll").Answer(mrCancel);
  ScriptedUser().PlayNow();
  EXPECT_EQ(FieldNames(panel->Fields()), all);
  ScriptedUser().Click("buAddAll").Answer(mrNo);
  ScriptedUser().PlayNow();
  std::vector<std::string> twice = all;
  twice.insert(twice.end(), all.begin(), all.end());
  EXPECT_EQ(FieldNames(panel->Fields()), twice);
  EXPECT_EQ(Lines(dlg).size(), twice.size());
  ScriptedUser().Click("buAddAll").Answer(mrYes);
  ScriptedUser().PlayNow();
  EXPECT_EQ(FieldNames(panel->Fields()), all);
  EXPECT_EQ(Lines(dlg).back(), " " + std::to_string(all.size() - 1) + " - " + all.back());
  EXPECT_EQ(Messages(), std::vector<std::string>(3, "Delete existing fields?"));
}

TEST_F(FieldsEditorTest, DeleteSelectsTheLineBeforeTheLastAndTheListAfterTheOnly) {
  TFieldsEditDlg* dlg = Open(panel);
  ScriptedUser().Click("buAdd").Click("buAdd").Click("buAdd");
  ScriptedUser().PlayNow();
  panel->Fields()->Items(1)->SetFieldName("name");
  ScriptedUser().ClickAt("lbFields", LinePoint(dlg, 2)).Click("buDelete");
  ScriptedUser().PlayNow();
  EXPECT_EQ(panel->Fields()->Count(), 2);
  EXPECT_EQ(dlg->lbFields->ItemIndex(), 1);
  EXPECT_EQ(Selected(), panel->Fields()->Items(1));
  ScriptedUser().ClickAt("lbFields", LinePoint(dlg, 0)).Click("buDelete");
  ScriptedUser().PlayNow();
  EXPECT_EQ(Lines(dlg), std::vector<std::string>{" 0 - name"});
  EXPECT_EQ(Selected(), panel->Fields()->Items(0));  // the same index stays selected
  ScriptedUser().Click("buDelete");
  ScriptedUser().PlayNow();
  EXPECT_TRUE(panel->Fields()->DefaultFields());
  EXPECT_TRUE(Lines(dlg).empty());
  EXPECT_EQ(Selected(), panel->Fields());
}

TEST_F(FieldsEditorTest, DeleteAllAsksAndOnYesGivesTheDefaultListBack) {
  TFieldsEditDlg* dlg = Open(panel);
  ScriptedUser().Click("buDeleteAll").Answer(mrYes);  // asked even without lines
  ScriptedUser().PlayNow();
  EXPECT_TRUE(panel->Fields()->DefaultFields());
  EXPECT_FALSE(designer->IsModified());
  ScriptedUser().Click("buAdd").Click("buAdd").Click("buDeleteAll").Answer(mrNo);
  ScriptedUser().PlayNow();
  EXPECT_EQ(panel->Fields()->Count(), 2);
  ScriptedUser().Click("buDeleteAll").Answer(mrYes);
  ScriptedUser().PlayNow();
  EXPECT_TRUE(panel->Fields()->DefaultFields());
  EXPECT_TRUE(Lines(dlg).empty());
  EXPECT_EQ(Selected(), panel->Fields());
  EXPECT_EQ(Messages(), std::vector<std::string>(3, "Delete all fields?"));
}

TEST_F(FieldsEditorTest, MovingByButtonsAndByDraggingBelowTheLastLine) {
  TFieldsEditDlg* dlg = Open(panel);
  ScriptedUser().Click("buAddAll");
  ScriptedUser().PlayNow();
  const std::string first = panel->Fields()->Items(0)->GetFieldName();
  const std::string second = panel->Fields()->Items(1)->GetFieldName();
  const int last = panel->Fields()->Count() - 1;
  // Below the last line: the dragged record goes to the end.
  const TRect bottom = dlg->lbFields->ItemRect(last);
  ScriptedUser().Drag("lbFields", LinePoint(dlg, 0), "lbFields", {5, bottom.Bottom + 10});
  ScriptedUser().PlayNow();
  EXPECT_EQ(panel->Fields()->Items(last)->GetFieldName(), first);
  EXPECT_EQ(panel->Fields()->Items(0)->GetFieldName(), second);
  EXPECT_EQ(Selected(), panel->Fields()->Items(last));
  EXPECT_EQ(Lines(dlg)[static_cast<std::size_t>(last)], " " + std::to_string(last) + " - " + first);

  ScriptedUser().Click("buMoveUp");
  ScriptedUser().PlayNow();
  EXPECT_EQ(panel->Fields()->Items(last - 1)->GetFieldName(), first);
  ScriptedUser().Click("buMoveDown").Click("buMoveDown");  // the second is refused at the end
  ScriptedUser().PlayNow();
  EXPECT_EQ(panel->Fields()->Items(last)->GetFieldName(), first);
  EXPECT_EQ(dlg->lbFields->ItemIndex(), last);
}

TEST_F(FieldsEditorTest, MovingTheFirstLineUpOrTheLastLineDownChangesNothing) {
  TFieldsEditDlg* dlg = Open(panel);
  ScriptedUser().Click("buAddAll");
  ScriptedUser().PlayNow();
  const std::vector<std::string> names = FieldNames(panel->Fields());
  const int last = static_cast<int>(names.size()) - 1;
  designer->ClearModified();
  ScriptedUser().ClickAt("lbFields", LinePoint(dlg, 0)).Click("buMoveUp");
  ScriptedUser().PlayNow();
  EXPECT_EQ(dlg->lbFields->ItemIndex(), 0);
  ScriptedUser().ClickAt("lbFields", LinePoint(dlg, last)).Click("buMoveDown");
  ScriptedUser().PlayNow();
  EXPECT_EQ(dlg->lbFields->ItemIndex(), last);
  EXPECT_EQ(FieldNames(panel->Fields()), names);
  EXPECT_EQ(Lines(dlg).back(), " " + std::to_string(last) + " - " + names.back());
  EXPECT_FALSE(designer->IsModified());
  EXPECT_TRUE(Messages().empty());
}

// Each panel's list gets a window of its own; asking again for a list brings its window.
TEST_F(FieldsEditorTest, TwoPanelsOpenTwoWindowsEachOnItsOwnList) {
  auto* second = new TDBFilterPanel(root);
  second->SetName("Panel2");
  second->SetParent(root);
  second->SetDataSource(&Source());
  TFieldsEditDlg* first = Open(panel);
  GetComponentEditor(second, *designer)->ExecuteVerb(0);
  std::vector<TFieldsEditDlg*> windows = Windows();
  ASSERT_EQ(windows.size(), 2u);
  TFieldsEditDlg* other = windows[0] == first ? windows[1] : windows[0];
  EXPECT_EQ(other->FieldsList, second->Fields());
  EXPECT_EQ(other->Caption(), "Editing Panel2.Fields");
  EXPECT_NE(other->Name(), first->Name());
  ScriptedUser().Click("buAdd");
  ScriptedUser().PlayNow();  // in the window shown last, the second panel's
  EXPECT_EQ(second->Fields()->Count(), 1);
  EXPECT_TRUE(panel->Fields()->DefaultFields());
  GetComponentEditor(panel, *designer)->ExecuteVerb(0);
  EXPECT_EQ(Windows().size(), 2u);
}

TEST_F(FieldsEditorTest, TheWindowSizeComesBackFromTheRegistryForAnyList) {
  TFieldsEditDlg* dlg = Open(panel);
  dlg->SetBounds(dlg->Left(), dlg->Top(), 400, 300);
  ScriptedUser().CloseWindow();
  ScriptedUser().PlayNow();
  Application->ProcessMessages();
  EXPECT_TRUE(Windows().empty());
  EXPECT_EQ(Selected(), panel);  // a panel on a form selects itself
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("Software\\Corvale\\Collection Editor\\TFieldsList", false));
  EXPECT_EQ(reg.ReadInteger("Width"), 400);

  auto* dialog = new TDBFilterDialog(root);
  dialog->SetName("FilterDialog1");
  TFieldsEditDlg* other = Open(dialog);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(other->Width(), 400);
  EXPECT_EQ(other->Height(), 300);
  EXPECT_EQ(other->Caption(), "Editing FilterDialog1.Fields");
  ScriptedUser().CloseWindow();
  ScriptedUser().PlayNow();
  Application->ProcessMessages();
  EXPECT_EQ(Selected(), dialog);  // a dialog component's editor selects the component
}

TEST_F(FieldsEditorTest, EditDataStoresValuesAndUpdateDataAppliesThem) {
  TFieldsEditDlg* dlg = Open(panel);
  panel->SetFiltered(true);
  ScriptedUser().Click("buAdd");
  ScriptedUser().PlayNow();
  panel->Fields()->Items(0)->SetFieldName("city");
  designer->ClearModified();
  const std::string city = TextOf(1, "city");
  ASSERT_FALSE(city.empty());
  const std::vector<int> with_city = IdsWhere("city", city);
  const int total = Table().RecordCount();
  // The value list editor is modal: its own loop plays these steps.
  ScriptedUser().Type(city).Click("buOk");
  dlg->buSetDataClick(dlg->buSetData);
  EXPECT_TRUE(designer->IsModified());
  EXPECT_EQ(panel->Fields()->Items(0)->GetValues(0), Variant(city));
  dlg->buUpdateClick(dlg->buUpdate);
  const std::vector<int> visible = VisibleIds();
  EXPECT_LT(visible.size(), static_cast<std::size_t>(total));
  for (int id : with_city) EXPECT_NE(std::find(visible.begin(), visible.end(), id), visible.end()) << id;
}

TEST_F(FieldsEditorTest, TheWindowGoesWhenThePanelGoes) {
  auto* doomed = new TDBFilterPanel(root);
  ASSERT_NE(Open(doomed), nullptr);
  delete doomed;
  Application->ProcessMessages();
  EXPECT_TRUE(Windows().empty());
}

}  // namespace
}  // namespace vantor::dialogs_test
