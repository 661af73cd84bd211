// A whole design session, as a developer works in a designer: a filter panel taken from
// the palette, bound to the customers table through the inspector, three fields added in
// the fields editor, one field's value entered in the value list editor, the form saved
// as text. A program then loads that text, opens the table, and the panel filters by the
// stored value.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include <vantor/criteria/field_record.h>
#include <vantor/designtime/fields_editor.h>
#include <vantor/designtime/registration.h>
#include "dialogs/support/dialog_fixture.h"
#include <vantor/engines/filter_panel.h>
#include <vantor/platform/core/registry.h>
#include <vantor/platform/design/design_registry.h>
#include <vantor/platform/design/form_designer.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/ui/form.h>
#include "support/form_stream.h"

namespace vantor::dialogs_test {
namespace {

class DesignSessionTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    store = std::filesystem::temp_directory_path() /
            ("vantor_design_session_" + std::to_string(::getpid()) + ".reg");
    TRegistry::SetStorePath(store.string());
    RegisterClass(TDataSource::StaticType());
  }
  void TearDown() override {
    DialogTest::TearDown();
    TRegistry::SetStorePath("");
    std::filesystem::remove(store);
  }
  std::filesystem::path store;
  TScopedDesignRegistry registrations;
};

// Sets a published property through the editor the designer would use.
void SetProperty(TFormDesigner& designer, TPersistent* target, const char* name, const std::string& value) {
  const PropInfo* prop = target->ClassType().FindProperty(name);
  ASSERT_NE(prop, nullptr) << name;
  GetPropertyEditor(designer, {target}, *prop)->SetValue(value);
}

TEST_F(DesignSessionTest, AFormDesignedWithTheEditorsFiltersWhenAProgramLoadsIt) {
  Register();
  std::string city = TextOf(3, "city");
  ASSERT_FALSE(city.empty());
  const std::vector<int> with_city = IdsWhere("city", city);
  const int total = Table().RecordCount();

  std::string text;
  std::vector<std::uint8_t> binary;
  {
    TForm* form = Keep(new TForm(nullptr));
    form->SetName("Form1");
    TFormDesigner designer(form);
    const TypeInfo* palette_class = registrations.Registry().FindPaletteClass("TDBFilterPanel");
    ASSERT_NE(palette_class, nullptr);
    auto* panel = dynamic_cast<TDBFilterPanel*>(designer.CreateComponent(*palette_class, form));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->Name(), "DBFilterPanel1");
    auto* source = dynamic_cast<TDataSource*>(designer.CreateComponent(TDataSource::StaticType(), form));
    source->SetDataSet(&Table());
    SetProperty(designer, panel, "DataSource", "DataSource1");
    SetProperty(designer, panel, "Filtered", "True");
    EXPECT_EQ(panel->GetDataSource(), source);

    GetComponentEditor(panel, designer)->ExecuteVerb(0);
    ScriptedUser().Click("buAdd").Click("buAdd").Click("buAdd");
    ScriptedUser().PlayNow();
    ASSERT_EQ(panel->Fields()->Count(), 3);
    const PropInfo& field_name = *TFieldRecord::StaticType().FindProperty("FieldName");
    const std::vector<std::string> names = {"name", "city", "visits"};
    for (int i = 0; i < 3; ++i) {
      auto editor = GetPropertyEditor(designer, {panel->Fields()->Items(i)}, field_name);
      std::vector<std::string> offered;
      editor->GetValues([&offered](const std::string& v) { offered.push_back(v); });
      ASSERT_NE(std::find(offered.begin(), offered.end(), names[static_cast<std::size_t>(i)]), offered.end());
      editor->SetValue(names[static_cast<std::size_t>(i)]);
    }
    TFieldsEditDlg* dlg = nullptr;
    for (int i = 0; i < Application->ComponentCount() && dlg == nullptr; ++i) {
      dlg = dynamic_cast<TFieldsEditDlg*>(Application->Components(i));
    }
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->lbFields->Items()->ToVector(),
              (std::vector<std::string>{" 0 - name", " 1 - city", " 2 - visits"}));
    ScriptedUser().ClickAt("lbFields", {5, dlg->lbFields->ItemRect(1).Top + 3});
    ScriptedUser().PlayNow();
    // The value list editor is modal: its own loop plays these steps.
    ScriptedUser().Type(city).Click("buOk");
    dlg->buSetDataClick(dlg->buSetData);
    EXPECT_EQ(panel->Fields()->Items(1)->GetValues(0), Variant(city));
    ScriptedUser().CloseWindow();
    ScriptedUser().PlayNow();
    Application->ProcessMessages();
    EXPECT_TRUE(designer.IsModified());

    binary = testing_support::WriteForm(*form);
    text = testing_support::FormText(binary);
  }
  // The saved text reads as a person would write it, and comes back to the same bytes.
  EXPECT_NE(text.find("object DBFilterPanel1: TDBFilterPanel"), std::string::npos) << text;
  EXPECT_NE(text.find("FieldName = 'city'"), std::string::npos) << text;
  EXPECT_NE(text.find("DataSource = DataSource1"), std::string::npos) << text;
  const std::vector<std::uint8_t> back = testing_support::FormBytes(text);
  EXPECT_EQ(back, binary);

  // A program loads the text form and opens the table.
  TForm* loaded = Keep(new TForm(nullptr));
  testing_support::ReadForm(back, *loaded);
  auto* panel = dynamic_cast<TDBFilterPanel*>(loaded->FindComponent("DBFilterPanel1"));
  auto* source = dynamic_cast<TDataSource*>(loaded->FindComponent("DataSource1"));
  ASSERT_NE(panel, nullptr);
  ASSERT_NE(source, nullptr);
  ASSERT_EQ(panel->Fields()->Count(), 3);
  EXPECT_EQ(panel->Fields()->Items(1)->GetValues(0), Variant(city));
  Table().Close();
  source->SetDataSet(&Table());
  Table().Open();
  const std::vector<int> visible = VisibleIds();
  EXPECT_FALSE(visible.empty());
  EXPECT_LT(visible.size(), static_cast<std::size_t>(total));
  for (int id : with_city) EXPECT_NE(std::find(visible.begin(), visible.end(), id), visible.end()) << id;
  for (int id : visible) {
    const std::string shown = TextOf(id, "city");
    EXPECT_TRUE(AnsiSameText(shown.substr(0, city.size()), city)) << id << " " << shown;
  }
  source->SetDataSet(nullptr);
}

}  // namespace
}  // namespace vantor::dialogs_test
