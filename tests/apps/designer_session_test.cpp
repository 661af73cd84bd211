// The designer program as a user meets it: a whole design session run from a script (a
// filter panel bound to the sample database's customers, fields added in the fields
// editor, a range entered in the value list editor, the form saved), the saved form
// loaded by a program that then filters by the stored values, and what the program says
// when a line is wrong.
#include "apps/support/designer_fixture.h"
#include "designer/designer_session.h"

#include <vantor/engines/filter_panel.h>
#include <vantor/engines/register_engines.h>
#include <vantor/platform/core/object_text.h>
#include <vantor/platform/core/reader.h>
#include <vantor/platform/core/registry.h>
#include <vantor/platform/core/stream.h>
#include <vantor/platform/data/data_classes.h>
#include <vantor/platform/data/sample_database.h>
#include <vantor/platform/data/sqlite_connection.h>
#include <vantor/platform/data/sqlite_table.h>
#include <vantor/platform/ui/application.h>
#include <vantor/platform/ui/form.h>
#include <vantor/platform/rtl/variant.h>
#include <vantor/platform/ui/scripted_user.h>

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using namespace vantor;

struct Outcome {
  int code = -1;
  std::string out;
  std::string err;
};

class DesignerRun : public testing_support::DesignerFixture {
 protected:
  static void SetUpTestSuite() { MakeFolder("vantor_designer", 3000); }

  static Outcome Designer(const std::vector<std::string>& args) {
    std::vector<std::string_view> views(args.begin(), args.end());
    std::ostringstream out, err;
    Outcome o;
    o.code = designer::Main(views, "designer", out, err);
    o.out = out.str();
    o.err = err.str();
    return o;
  }
  static Outcome Script(const std::string& name, const std::string& text) {
    std::ofstream(Path(name)) << text;
    return Designer({"--script", Path(name)});
  }
  static int SQLiteCount(const std::string& where) {
    SQLiteConnection db(Path("sample.db"));
    SQLiteStatement count(db, "SELECT count(*) FROM customers WHERE " + where);
    EXPECT_TRUE(count.Step());
    return sqlite3_column_int(count.Handle(), 0);
  }

  // The session that binds a filter panel to the customers, adds three fields, enters
  // the range 10..20 for visits in the value list editor and saves the form.
  static std::string SessionScript() {
    return "new Form1\n"
           "drop TSQLiteTable\n"
           "set SQLiteTable1.DatabaseName " + Path("sample.db") + "\n"
           "values SQLiteTable1.Active\n"
           "set SQLiteTable1.TableName customers\n"
           "set SQLiteTable1.Active True\n"
           "drop TDataSource\n"
           "set DataSource1.DataSet SQLiteTable1\n"
           "drop TDBFilterPanel\n"
           "values DBFilterPanel1.DataSource\n"
           "set DBFilterPanel1.DataSource DataSource1\n"
           "set DBFilterPanel1.Filtered True\n"
           "verbs DBFilterPanel1\n"
           "# the fields editor: three fields, named through the field-name list\n"
           "verb DBFilterPanel1 0\n"
           "click buAdd\n"
           "click buAdd\n"
           "click buAdd\n"
           "set DBFilterPanel1.Fields[0].FieldName name\n"
           "set DBFilterPanel1.Fields[1].FieldName city\n"
           "set DBFilterPanel1.Fields[2].FieldName visits\n"
           "set DBFilterPanel1.Fields[2].Count coTwo\n"
           "window\n"
           "# the value list editor of the third field\n"
           "click lbFields 2\n"
           "selection\n"
           "click buSetData\n"
           "type 10\n"
           "press Tab\n"
           "type 20\n"
           "click buOk\n"
           "close\n"
           "selection\n"
           "window\n"
           "get DBFilterPanel1.Fields[2].FieldName\n"
           "props DBFilterPanel1.Fields\n"
           "save " + Path("form.txt") + "\n"
           "save " + Path("form.bin") + " binary\n";
  }

};

TEST_F(DesignerRun, AFormDesignedByScriptFiltersWhenAProgramLoadsIt) {
  const Outcome run = Script("session.txt", SessionScript());
  ASSERT_EQ(run.code, 0) << run.err << run.out;
  EXPECT_EQ(run.err, "");
  // What the session printed on the way: the names the designer gave, the values offered,
  // the verb, the editor's lines, the field the click selected and the items.
  for (const char* line : {"dropped SQLiteTable1: TSQLiteTable\n", "dropped DBFilterPanel1: TDBFilterPanel\n",
                           "False\nTrue\n", "DataSource1\n", "0: Fields Editor...\n",
                           "window FieldsEditDlg: TFieldsEditDlg 'Editing DBFilterPanel1.Fields'\n",
                           "' 0 - name'\n", "' 1 - city'\n", "> ' 2 - visits'\n",
                           "DBFilterPanel1.Fields[2]: TFilterRecord\n",
                           // Closing the fields editor puts its panel back into the inspector.
                           "DBFilterPanel1: TDBFilterPanel\n(no window)\nvisits\n",
                           "[0] name: TFilterRecord\n[1] city: TFilterRecord\n[2] visits: TFilterRecord\n"}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n--- in ---\n" << run.out;
  }

  // The text reads as a person writes it, and comes back to the binary file byte for byte.
  const std::string text = Contents(Path("form.txt"));
  for (const char* line : {"object Form1: TForm\n", "  object DBFilterPanel1: TDBFilterPanel\n",
                           "    DataSource = DataSource1\n", "        FieldName = 'visits'\n",
                           "    Filtered = True\n", "    TableName = 'customers'\n", "    DataSet = SQLiteTable1\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n--- in ---\n" << text;
  }
  const std::string binary = Contents(Path("form.bin"));
  TMemoryStream text_in(text);
  TMemoryStream to_binary;
  ObjectTextToBinary(text_in, to_binary);
  EXPECT_EQ(to_binary.ToString(), binary);
  TMemoryStream binary_in(binary);
  TMemoryStream to_text;
  ObjectBinaryToText(binary_in, to_text);
  EXPECT_EQ(to_text.ToString(), text);

  // A program reads the form as it is saved: the table opens, the panel filters by the
  // stored range, and the count is SQLite's own for the same condition.
  RegisterFormClasses();
  RegisterEngineClasses();
  RegisterDataClasses();
  TMemoryStream in(to_binary.Bytes());
  std::unique_ptr<TComponent> form(TReader(in).ReadRootComponent(nullptr));
  auto* panel = dynamic_cast<TDBFilterPanel*>(form->FindComponent("DBFilterPanel1"));
  auto* table = dynamic_cast<TSQLiteTable*>(form->FindComponent("SQLiteTable1"));
  ASSERT_NE(panel, nullptr);
  ASSERT_NE(table, nullptr);
  ASSERT_TRUE(table->Active());
  ASSERT_EQ(panel->Fields()->Count(), 3);
  EXPECT_EQ(VarCompare(panel->Fields()->Items(2)->GetValues(0), Variant(10)), 0);
  EXPECT_EQ(VarCompare(panel->Fields()->Items(2)->GetValues(1), Variant(20)), 0);
  const int expected = SQLiteCount("visits BETWEEN 10 AND 20");
  ASSERT_GT(expected, 0);
  ASSERT_LT(expected, 3000);
  EXPECT_EQ(table->RecordCount(), expected);
  for (table->First(); !table->Eof(); table->Next()) {
    const int visits = table->FieldByName("visits")->AsInteger();
    ASSERT_TRUE(visits >= 10 && visits <= 20) << visits;
  }

  // The designer opens what it saved and saves it again unchanged, from text and from binary.
  const Outcome again = Designer({"open " + Path("form.txt"), "save " + Path("again.txt"),
                                  "open " + Path("form.bin"), "save " + Path("again.bin") + " binary"});
  ASSERT_EQ(again.code, 0) << again.err;
  EXPECT_EQ(Contents(Path("again.txt")), text);
  EXPECT_EQ(Contents(Path("again.bin")), binary);
}

// The session kept beside the designer writes the very form that the form file example
// loads: the example's copy is what the designer makes of the script.
TEST_F(DesignerRun, TheCustomersSessionWritesTheFormTheFormFileExampleLoads) {
  // The script names its files as a person runs it, from the folder of sample.db.
  struct WorkingFolder {
    explicit WorkingFolder(const fs::path& folder) : before(fs::current_path()) { fs::current_path(folder); }
    ~WorkingFolder() { fs::current_path(before); }
    fs::path before;
  };
  Outcome run;
  {
    WorkingFolder here(dir_);
    run = Designer({"--script", VANTOR_SOURCE_DIR "/apps/designer/customers_form.txt"});
  }
  ASSERT_EQ(run.code, 0) << run.err << run.out;
  EXPECT_EQ(Contents(Path("customers.vfm")), Contents(VANTOR_SOURCE_DIR "/examples/form_file/customers.vfm"));
}

TEST_F(DesignerRun, TheFieldsEditorIsDrivenLikeAUsersWindow) {
  // The Fields property's editor button opens the fields editor. Add All asks before it
  // appends to existing fields; dragging a line past the last one
  // moves it to the end; deleting the last line selects the one before.
  const Outcome run = Designer({"new Form1", "drop TSQLiteTable", "set SQLiteTable1.DatabaseName " + Path("sample.db"),
                                "set SQLiteTable1.TableName customers", "set SQLiteTable1.Active True",
                                "drop TDataSource", "set DataSource1.DataSet SQLiteTable1", "drop TDBFindPanel",
                                "set DBFindPanel1.DataSource DataSource1", "edit DBFindPanel1.Fields", "click buAdd",
                                "set DBFindPanel1.Fields[0].FieldName city", "click buAddAll", "answer no",
                                "drag lbFields 0 99", "click lbFields 1", "selection", "click lbFields 13",
                                "click buDelete", "selection", "props DBFindPanel1.Fields"});
  ASSERT_EQ(run.code, 0) << run.err << run.out;
  EXPECT_NE(run.out.find("message: Delete existing fields? [No]\n"), std::string::npos) << run.out;
  // One field plus the table's thirteen, the first dragged to the end, then the last deleted.
  EXPECT_NE(run.out.find("DBFindPanel1.Fields[1]: TFindRecord\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("DBFindPanel1.Fields[12]: TFindRecord\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("[0] id: TFindRecord\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("[12] notes: TFindRecord\n"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("[13]"), std::string::npos) << run.out;
  // The session ends with changes that no save took.
  EXPECT_NE(run.err.find("note: Form1 has changes that were not saved"), std::string::npos) << run.err;
}

TEST_F(DesignerRun, TwoPanelsHaveAFieldsEditorWindowEach) {
  const Outcome run = Script("two_editors.txt", "new Form1\n"
                                                "drop TDBFilterPanel\n"
                                                "drop TDBFilterPanel\n"
                                                "verb DBFilterPanel1 0\n"
                                                "verb DBFilterPanel2 0\n"
                                                "window\n"
                                                "click buAdd\n"
                                                "props DBFilterPanel2.Fields\n"
                                                "props DBFilterPanel1.Fields\n");
  ASSERT_EQ(run.code, 0) << run.err << run.out;
  EXPECT_NE(run.out.find("window FieldsEditDlg_1: TFieldsEditDlg 'Editing DBFilterPanel2.Fields'\n"),
            std::string::npos) << run.out;
  // The click went to the second panel's list (one item); the first has none.
  EXPECT_NE(run.out.find(": TFilterRecord\n(no items)\n"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("[1]"), std::string::npos) << run.out;
}

TEST_F(DesignerRun, AWrongLineStopsTheRunWithItsNumberAndTheReason) {
  struct Case {
    std::vector<std::string> args;
    std::string error;
  };
  const std::vector<Case> cases = {
      {{"new Form1", "drop TNoSuchThing"}, "argument 2: there is no class 'TNoSuchThing' on the palette"},
      {{"new Form1", "drop TForm"}, "argument 2: TForm is not on the palette"},
      {{"drop TDBFilterPanel"}, "argument 1: no form is open: new NAME or open FILE starts one"},
      {{"new Form1", "get Panel9.Caption"}, "argument 2: there is no component 'Panel9' on Form1 (components: Form1)"},
      {{"new Form1", "set Form1.Colour clRed"}, "argument 2: TForm has no published property 'Colour'"},
      {{"new Form1", "drop TDBFilterPanel", "set DBFilterPanel1.Filtered maybe"},
       "argument 3: Invalid property value (values DBFilterPanel1.Filtered lists the values)"},
      {{"new Form1", "set Form1.Width wide"}, "argument 2: 'wide' is not a valid integer value"},
      {{"new Form1", "drop TDBFilterPanel", "set DBFilterPanel1.DataSource Form1"},
       "argument 3: Invalid property value"},
      {{"new Form1", "drop TDBFilterPanel", "get DBFilterPanel1.Fields[0].FieldName"},
       "argument 3: DBFilterPanel1.Fields has 0 items; [0] is none of them"},
      {{"new Form1", "drop TDBFilterPanel", "get DBFilterPanel1.Fields[0]"}, "is an item; name one of its properties"},
      {{"new Form1", "get Form1"}, "'Form1' names a component; name one of its properties"},
      {{"new Form1", "get Form1.Width.Height"}, "Form1.Width is a value, not an object"},
      {{"new Form1", "drop TDBFilterPanel", "set DBFilterPanel1.Fields x"},
       "DBFilterPanel1.Fields cannot be typed; edit DBFilterPanel1.Fields opens its editor"},
      {{"new Form1", "drop TDBFilterPanel", "verb DBFilterPanel1 1"}, "'1' is no verb of DBFilterPanel1 (verbs 0..0"},
      {{"new Form1", "verb Form1 0"}, "argument 2: Form1 has no verbs"},
      {{"new Form1", "values Form1.Width"}, "Form1.Width offers no list of values"},
      {{"new Form1 TDBFilterPanel"}, "'TDBFilterPanel' is no form class"},
      {{"new Form1", "delete Form1"}, "Form1 is the form itself"},
      {{"open " + Path("missing.txt")}, "argument 1: cannot read " + Path("missing.txt")},
      {{"new Form1", "click buAdd"}, "argument 2: no window shows to take this input"},
      {{"new Form1", "drop TDBFilterPanel", "verb DBFilterPanel1 0", "click buNothing"},
       "argument 4: form FieldsEditDlg has no control named buNothing"},
      {{"new Form1", "drop TDBFilterPanel", "verb DBFilterPanel1 0", "click lbFields 0"},
       "argument 4: lbFields has 0 lines; line 0 is none of them"},
      {{"new Form1", "drop TDBFilterPanel", "verb DBFilterPanel1 0", "click buAdd", "answer yes"},
       "argument 5: no message box shows to take this answer"},
      {{"new Form1", "drop TDBFilterPanel", "verb DBFilterPanel1 0", "click buAdd", "click buDeleteAll"},
       "argument 5: message box \"Delete all fields?\" has no scripted answer"},
  };
  for (const Case& c : cases) {
    const Outcome o = Designer(c.args);
    EXPECT_EQ(o.code, 2) << c.error;
    EXPECT_NE(o.err.find(c.error), std::string::npos) << "expected: " << c.error << "\n got: " << o.err;
  }
  // The failing line is shown under the message.
  const Outcome o = Designer({"new Form1", "set Form1.Width wide"});
  EXPECT_NE(o.err.find("\n    set Form1.Width wide\n"), std::string::npos) << o.err;
}

TEST_F(DesignerRun, ErrorsInsideAWindowNameTheInputLineThatCausedThem) {
  const std::string setup = "new Form1\n"
                            "drop TSQLiteTable\n"
                            "set SQLiteTable1.DatabaseName " + Path("sample.db") + "\n"
                            "set SQLiteTable1.TableName customers\n"
                            "set SQLiteTable1.Active True\n"
                            "drop TDataSource\n"
                            "set DataSource1.DataSet SQLiteTable1\n"
                            "drop TDBFilterPanel\n"
                            "set DBFilterPanel1.DataSource DataSource1\n"
                            "verb DBFilterPanel1 0\n"
                            "click buAdd\n"
                            "set DBFilterPanel1.Fields[0].FieldName visits\n"
                            "click lbFields 0\n"
                            "click buSetData\n";
  // A text the field's type rejects: the value list editor reports it at OK and stays open.
  Outcome bad = Script("bad_value.txt", setup + "type 1-2\nclick buOk\nclick buCancel\nsave " + Path("x.txt") + "\n");
  EXPECT_EQ(bad.code, 2);
  EXPECT_NE(bad.err.find("bad_value.txt: line 16: '1-2' is not a valid integer value\n    click buOk\n"),
            std::string::npos)
      << bad.err;
  EXPECT_FALSE(fs::exists(Path("x.txt")));

  // The input ends while the modal value list editor is still open.
  Outcome open = Script("open_window.txt", "# comment lines count\n" + setup + "type 12\n");
  EXPECT_EQ(open.code, 2);
  EXPECT_NE(open.err.find("open_window.txt: line 16: the window fmValues still waits for input after this line"),
            std::string::npos)
      << open.err;

  // Script lines that do not parse are found before anything runs.
  Outcome parse = Script("parse.txt", "new Form1\nsave " + Path("y.txt") + "\nset Form1.Caption 'open\n");
  EXPECT_EQ(parse.code, 2);
  EXPECT_NE(parse.err.find("parse.txt: line 3: a quote is not closed"), std::string::npos) << parse.err;
  EXPECT_FALSE(fs::exists(Path("y.txt")));
}

TEST_F(DesignerRun, CommandLine) {
  const Outcome help = Designer({"--help"});
  EXPECT_EQ(help.code, 0);
  EXPECT_NE(help.out.find("usage: designer --script FILE"), std::string::npos);
  EXPECT_EQ(Designer({}).code, 2);
  const Outcome option = Designer({"--verbose"});
  EXPECT_EQ(option.code, 2);
  EXPECT_NE(option.err.find("unknown option --verbose"), std::string::npos) << option.err;
  const Outcome missing = Designer({"--script", Path("none.txt")});
  EXPECT_EQ(missing.code, 2);
  EXPECT_NE(missing.err.find("cannot read " + Path("none.txt")), std::string::npos) << missing.err;
  // The palette: the host's pages, then the package's page with its four components in order.
  const Outcome palette = Designer({"palette"});
  EXPECT_EQ(palette.code, 0);
  EXPECT_NE(palette.out.find("Data Access: TDataSource TSQLiteTable TSQLiteQuery\n"), std::string::npos);
  EXPECT_NE(palette.out.find("Vantor: TDBFilterPanel TDBFindPanel TDBFilterDialog TDBFindDialog\n"), std::string::npos)
      << palette.out;
}

}  // namespace
