// The designer in its window, as a person uses it: clicks on the palette and Drop, a
// component chosen in the list, properties typed into the value box with Enter, the
// fields editor run from the verbs, the form saved; its picture made without a display;
// and the program in a real window on a virtual X server, driven with xdotool.
#include "apps/support/designer_fixture.h"
#include "designer/designer_window.h"

#include <vantor/engines/filter_panel.h>
#include <vantor/engines/register_engines.h>
#include <vantor/platform/core/object_text.h>
#include <vantor/platform/core/reader.h>
#include <vantor/platform/core/registry.h>
#include <vantor/platform/core/stream.h>
#include <vantor/platform/data/data_classes.h>
#include <vantor/platform/data/sample_database.h>
#include <vantor/platform/data/sqlite_table.h>
#include <vantor/platform/rtl/variant.h>
#include <vantor/platform/ui/application.h>
#include <vantor/platform/ui/button.h>
#include <vantor/platform/ui/combo_box.h>
#include <vantor/platform/ui/custom_edit.h>
#include <vantor/platform/ui/keyboard_input.h>
#include <vantor/platform/ui/list_box.h>
#include <vantor/platform/ui/messages.h>
#include <vantor/platform/raster/raster_image.h>
#include <vantor/platform/ui/screen.h>
#include <vantor/platform/ui/scripted_user.h>
#include "support/virtual_display.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace vantor;
using designer::DesignerWindow;
using designer::ParseScript;

class DesignerWindowTest : public testing_support::DesignerFixture {
 protected:
  static void SetUpTestSuite() { MakeFolder("vantor_designer_window", 2000); }

  static void Press(TButton* button) { ClickAt(button, button->Width() / 2, button->Height() / 2); }
  // A click on the line of a list box that reads `text`.
  static void ClickLine(TListBox* list, const std::string& text) {
    const int line = list->Items()->IndexOf(text);
    ASSERT_GE(line, 0) << text << " is not in " << list->Name();
    ClickListLine(list, line);
  }
  // A click on a line the list shows; a line further down is reached as a person
  // does, with the Down key from the last line shown.
  static void ClickListLine(TListBox* list, int line) {
    const int shown = std::min(line, list->TopIndex() + list->VisibleLines() - 1);
    const TRect r = list->ItemRect(shown);
    ClickAt(list, 5, (r.Top + r.Bottom) / 2);
    for (int i = shown; i < line; ++i) SendKey(list, VK_DOWN);
    ASSERT_EQ(list->ItemIndex(), line);
  }
  // Opens the page box and clicks the page in its list.
  static void ChoosePage(DesignerWindow& w, const std::string& page) {
    ClickAt(w.cbPages, w.cbPages->Width() / 2, w.cbPages->Height() / 2);
    ASSERT_TRUE(w.cbPages->DroppedDown());
    const TRect r = w.cbPages->DropDownItemRect(w.cbPages->Items()->IndexOf(page));
    ClickAt(w.cbPages, r.Left + 5, (r.Top + r.Bottom) / 2);
    ASSERT_EQ(w.cbPages->GetText(), page);
  }
  // Clicks the property's line, empties the value box with Backspace, types the value
  // and presses Enter; what the window's status line says then.
  static std::string TypeProperty(DesignerWindow& w, const std::string& name, const std::string& value) {
    int line = -1;
    for (int i = 0; i < w.lbProps->Items()->Count(); ++i) {
      if (w.lbProps->Items()->Strings(i).starts_with(name + " = ")) line = i;
    }
    EXPECT_GE(line, 0) << name << " is not among the properties of " << w.Inspected();
    if (line < 0) return {};
    ClickListLine(w.lbProps, line);
    ClickAt(w.cbValue, 5, w.cbValue->Height() / 2);
    for (std::size_t n = w.cbValue->GetText().size(); n > 0; --n) SendKey(w.cbValue, VK_BACK);
    TypeText(w.cbValue, value);
    SendKey(w.cbValue, VK_RETURN);
    return w.StatusText();
  }
  static std::set<std::string> Offered(const DesignerWindow& w) {
    std::set<std::string> values;
    for (int i = 0; i < w.cbValue->Items()->Count(); ++i) values.insert(w.cbValue->Items()->Strings(i));
    return values;
  }

};

TEST_F(DesignerWindowTest, ClicksAndTypingInTheWindowDesignAFormThatFiltersWhenLoaded) {
  std::ostringstream echo;
  DesignerWindow w(echo);
  w.Show();
  Press(w.btNew);
  EXPECT_EQ(w.Inspected(), "Form1");
  EXPECT_EQ(w.Caption(), "Vantor designer - Form1");

  ChoosePage(w, "Data Access");
  ClickLine(w.lbClasses, "TSQLiteTable");
  Press(w.btDrop);
  EXPECT_EQ(w.StatusText(), "  dropped SQLiteTable1: TSQLiteTable");
  EXPECT_EQ(w.Inspected(), "SQLiteTable1") << "the dropped component is selected and inspected";
  EXPECT_EQ(w.lbComponents->Items()->Strings(w.lbComponents->ItemIndex()), "SQLiteTable1");
  TypeProperty(w, "DatabaseName", Path("sample.db"));
  TypeProperty(w, "TableName", "customers");
  // A value-list property offers its editor's values in the box.
  TypeProperty(w, "Active", "True");
  EXPECT_EQ(Offered(w), (std::set<std::string>{"False", "True"}));
  EXPECT_NE(echo.str().find("set SQLiteTable1.Active True\n"), std::string::npos) << echo.str();

  ClickLine(w.lbClasses, "TDataSource");
  Press(w.btDrop);
  EXPECT_EQ(w.Inspected(), "DataSource1");
  TypeProperty(w, "DataSet", "SQLiteTable1");
  EXPECT_TRUE(Offered(w).count("SQLiteTable1")) << "the component references on the form are offered";

  ChoosePage(w, "Vantor");
  ClickLine(w.lbClasses, "TDBFilterPanel");
  Press(w.btDrop);
  TypeProperty(w, "DataSource", "DataSource1");
  // A value the editor refuses: its message in the status line, the typed text kept
  // for correcting, the property as it was.
  const std::string refused = TypeProperty(w, "Filtered", "maybe");
  EXPECT_EQ(refused, "  Error: Invalid property value (values DBFilterPanel1.Filtered lists the values)");
  EXPECT_EQ(w.cbValue->GetText(), "maybe");
  EXPECT_EQ(w.GetSession().EditorFor("DBFilterPanel1.Filtered")->GetValue(), "False");
  TypeProperty(w, "Filtered", "True");

  // The verbs of the selected component; "Fields Editor..." opens the fields editor,
  // which a user then drives in its own window.
  ClickLine(w.lbComponents, "Form1");
  EXPECT_EQ(w.lbVerbs->Items()->Count(), 0);
  ClickLine(w.lbComponents, "DBFilterPanel1");
  ASSERT_EQ(w.lbVerbs->Items()->Count(), 1);
  ClickLine(w.lbVerbs, "Fields Editor...");
  Press(w.btVerb);
  TForm* editor = Screen->ActiveForm();
  ASSERT_NE(editor, nullptr);
  ASSERT_EQ(editor->Name(), "FieldsEditDlg");
  auto press_in_editor = [editor](const char* name) {
    TControl* button = TScriptedUser::FindControl(*editor, name);
    ClickAt(button, button->Width() / 2, button->Height() / 2);
  };
  press_in_editor("buAdd");
  // The field the editor selects is the inspector's object.
  EXPECT_EQ(w.Inspected(), "DBFilterPanel1.Fields[0]");
  TypeProperty(w, "FieldName", "city");
  EXPECT_TRUE(Offered(w).count("city")) << "the table's field names are offered";
  // The value list editor of that field (modal: it plays the queued input), then the
  // fields editor closed with its close box.
  ScriptedUser().Type("Ber").Click("buOk");
  press_in_editor("buSetData");
  EXPECT_TRUE(ScriptedUser().Empty());
  editor->Perform(WM_CLOSE, 0, 0);
  Application->ProcessMessages();
  EXPECT_EQ(w.Inspected(), "DBFilterPanel1") << "the panel is selected again when its editor closes";

  // Saved under the name typed into the File edit.
  ClickAt(w.edFile, 5, 5);
  TypeText(w.edFile, Path("window.txt"));
  Press(w.btSave);
  EXPECT_EQ(w.StatusText(), "  saved Form1 to " + Path("window.txt") + " (text)");
  EXPECT_EQ(w.Caption(), "Vantor designer - Form1");
  const std::string text = Contents(Path("window.txt"));
  for (const char* line : {"object Form1: TForm\n", "  object DBFilterPanel1: TDBFilterPanel\n",
                           "    DataSource = DataSource1\n", "    Filtered = True\n", "        FieldName = 'city'\n",
                           "    DataSet = SQLiteTable1\n", "    TableName = 'customers'\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n--- in ---\n" << text;
  }

  // A program loads it: the table opens and the panel filters by the value typed in the
  // value list editor.
  RegisterFormClasses();
  RegisterEngineClasses();
  RegisterDataClasses();
  TMemoryStream text_in(text);
  TMemoryStream binary;
  ObjectTextToBinary(text_in, binary);
  binary.SetPosition(0);
  std::unique_ptr<TComponent> form(TReader(binary).ReadRootComponent(nullptr));
  auto* panel = dynamic_cast<TDBFilterPanel*>(form->FindComponent("DBFilterPanel1"));
  auto* table = dynamic_cast<TSQLiteTable*>(form->FindComponent("SQLiteTable1"));
  ASSERT_NE(panel, nullptr);
  ASSERT_NE(table, nullptr);
  ASSERT_EQ(panel->Fields()->Count(), 1);
  EXPECT_EQ(VarCompare(panel->Fields()->Items(0)->GetValues(0), Variant(std::string("Ber"))), 0);
  ASSERT_TRUE(table->Active());
  int all = 0;
  for (table->First(); !table->Eof(); table->Next()) {
    const std::string city = table->FieldByName("city")->AsString();
    ASSERT_TRUE(city.size() >= 3 && (city.starts_with("Ber") || city.starts_with("ber") || city.starts_with("BER")))
        << city;
    ++all;
  }
  EXPECT_GT(all, 0);
  EXPECT_LT(all, 2000);
}

TEST_F(DesignerWindowTest, OpenAndNewReplaceTheFormAndAMissingFileNameIsAsked) {
  std::ostringstream echo;
  DesignerWindow w(echo);
  w.Show();
  Press(w.btSave);
  EXPECT_EQ(w.StatusText(), "  Type the file name into the File edit first");
  Press(w.btNew);
  ClickLine(w.lbClasses, "TButton");
  Press(w.btDrop);
  TypeProperty(w, "Caption", "Go on");
  TypeText(w.edFile, Path("small.txt"));
  Press(w.btSave);
  // A double click on a class drops one too.
  const TRect line = w.lbClasses->ItemRect(w.lbClasses->ItemIndex());
  DoubleClickAt(w.lbClasses, 5, (line.Top + line.Bottom) / 2);
  EXPECT_EQ(w.lbComponents->Items()->Count(), 3) << "the form, Button1 and the button dropped by the double click";
  Press(w.btNew);
  EXPECT_EQ(w.lbComponents->Items()->Count(), 1) << "a new form holds no components";
  Press(w.btOpen);
  EXPECT_EQ(w.lbComponents->Items()->Count(), 2) << "the file was saved before the second button";
  EXPECT_EQ(w.GetSession().EditorFor("Button1.Caption")->GetValue(), "Go on");
  // An unreadable file: the reason in the status line, the form kept.
  for (std::size_t n = w.edFile->Text().size(); n > 0; --n) SendKey(w.edFile, VK_BACK);
  TypeText(w.edFile, Path("missing.txt"));
  Press(w.btOpen);
  EXPECT_NE(w.StatusText().find("Error: cannot read " + Path("missing.txt")), std::string::npos) << w.StatusText();
  EXPECT_EQ(w.lbComponents->Items()->Count(), 2);
}

TEST_F(DesignerWindowTest, AScriptRunBeforeLeavesItsSelectionInTheInspector) {
  std::ostringstream echo;
  DesignerWindow w(echo);
  std::istringstream script("new Form2\ndrop TDBFindPanel\nrename DBFindPanel1 Finder\n");
  w.RunScript(ParseScript(script));
  EXPECT_EQ(w.Inspected(), "Finder");
  EXPECT_EQ(w.Caption(), "Vantor designer - Form2 (modified)");
  EXPECT_EQ(w.lbComponents->Items()->Strings(w.lbComponents->ItemIndex()), "Finder");
  EXPECT_EQ(w.lbVerbs->Items()->Count(), 1);
  EXPECT_NE(echo.str().find("rename DBFindPanel1 Finder\ndropped DBFindPanel1: TDBFindPanel\n"), std::string::npos) << echo.str();
}

TEST_F(DesignerWindowTest, TheScreenshotShowsTheWindowAfterTheScript) {
  std::ofstream(Path("shot.txt")) << "new Form1\ndrop TDBFilterPanel\n";
  const std::string png = Path("designer.png");
  const std::string script = Path("shot.txt");
  const std::vector<std::string_view> args{"--screenshot", png, "--script", script};
  std::ostringstream out, err;
  ASSERT_EQ(designer::WindowMain(args, "designer", out, err), 0) << err.str();
  const TRasterImage image = TRasterImage::LoadPng(png);
  EXPECT_EQ(image.Width(), 760);
  EXPECT_EQ(image.Height(), 520);
  std::set<std::uint32_t> colours;
  for (int y = 0; y < image.Height(); y += 7) {
    for (int x = 0; x < image.Width(); x += 7) colours.insert(image.Pixel(x, y));
  }
  EXPECT_GT(colours.size(), 4u) << "the controls are drawn, not an empty window";
  EXPECT_NE(out.str().find("drop TDBFilterPanel\n"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("designer: " + png + " written\n"), std::string::npos) << out.str();

  // A script line that fails stops before the picture, with its line.
  std::ofstream(Path("bad.txt")) << "new Form1\ndrop TNothing\n";
  const std::string bad_png = Path("bad.png");
  const std::string bad_script = Path("bad.txt");
  const std::vector<std::string_view> bad{"--screenshot", bad_png, "--script", bad_script};
  EXPECT_EQ(designer::WindowMain(bad, "designer", out, err), 2);
  EXPECT_NE(err.str().find("line 2: there is no class 'TNothing'"), std::string::npos) << err.str();
  EXPECT_FALSE(fs::exists(Path("bad.png")));
}

// --- The real window ---

TEST_F(DesignerWindowTest, InARealWindowAClickDropsAndSaveWritesTheFile) {
  using namespace std::chrono_literals;
  const std::string xvfb = vantor::testing::Which("Xvfb");
  if (xvfb.empty()) GTEST_SKIP() << "Xvfb is not installed (make deps installs it): no real-window test";
  ASSERT_FALSE(vantor::testing::Which("xdotool").empty()) << "xdotool is missing (make deps installs it)";
  vantor::testing::VirtualDisplay display(xvfb);
  ASSERT_TRUE(display.Ready()) << "Xvfb did not start";
  const auto env = display.Environment();
  vantor::testing::Process program({VANTOR_DESIGNER_PROGRAM, "--window"}, env, Path("window.log"));
  ASSERT_TRUE(program.Started());
  // Points in the window's client area, from the window's fixed layout.
  auto click = [&](int x, int y) {
    return vantor::testing::RunToEnd({"xdotool", "search", "--sync", "--name", "Vantor designer", "windowfocus",
                                      "--sync", "mousemove", "--window", "%1", std::to_string(x), std::to_string(y),
                                      "click", "1"},
                                     env);
  };
  // The palette's first page: line 3 is TButton (TLabel, TEdit, TButton).
  ASSERT_EQ(click(20, 82 + 2 + 16 * 2 + 8), 0);
  ASSERT_EQ(click(90, 430), 0);  // Drop
  const std::string saved = Path("real.txt");
  ASSERT_EQ(click(60, 17), 0);  // the File edit
  ASSERT_EQ(vantor::testing::RunToEnd({"xdotool", "type", "--delay", "30", saved}, env), 0);
  ASSERT_EQ(click(550, 17), 0);  // Save
  std::string text;
  for (auto deadline = std::chrono::steady_clock::now() + 30s; std::chrono::steady_clock::now() < deadline;) {
    text = Contents(saved);
    if (text.find("end\n") != std::string::npos && text.rfind("end\n") + 4 == text.size()) break;
    std::this_thread::sleep_for(100ms);
  }
  EXPECT_NE(text.find("object Form1: TForm\n"), std::string::npos) << text << Contents(Path("window.log"));
  EXPECT_NE(text.find("  object Button1: TButton\n"), std::string::npos) << text << Contents(Path("window.log"));
  EXPECT_TRUE(program.Running());
}

}  // namespace
