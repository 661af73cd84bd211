// Loads a form made in the designer program (a text form file with a table, a data source,
// a filter panel and a grid), binds its table to a database and shows it: in a window where
// a display is there, else it prints the records the criteria stored in the form let through,
// or draws the form into a PNG file.
//
//   form_file FORM [DATABASE] [--png FILE]      DATABASE: the sample database by default

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <vantor/dialogs/form_resource.h>
#include <vantor/engines/filter_panel.h>
#include <vantor/engines/register_engines.h>
#include <vantor/platform/data/data_classes.h>
#include <vantor/platform/data/sample_database.h>
#include <vantor/platform/data/sqlite_table.h>
#include <vantor/platform/dbctrls/db_grid.h>
#include <vantor/platform/raster/render.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/ui/application.h>
#include <vantor/platform/ui/form.h>
#include <vantor/platform/x11/x11_host.h>

using namespace vantor;

// Prints the criteria the form keeps ("city = Ber", "visits from 10 to 20"), how many
// records they let through and the first ten of those: the table's first two fields (a key
// and a name, as a rule), then the criteria's.
void PrintRecords(TDBFilterPanel& panel, TDataSet& table) {
  std::vector<TField*> shown = {table.Fields(0), table.Fields(1)};
  for (int i = 0; i < panel.Fields()->Count(); ++i) {
    const TFieldRecord& c = *panel.Fields()->Items(i);
    const std::string low = c.GetValues(0).AsString();
    std::cout << c.GetFieldName()
              << (c.GetCount() == coTwo ? " from " + low + " to " + c.GetValues(1).AsString() : " = " + low) << '\n';
    shown.push_back(table.FieldByName(c.GetFieldName()));
  }
  std::cout << table.RecordCount() << " records\n";
  table.First();
  for (int row = 0; row < 10 && !table.Eof(); ++row, table.Next()) {
    for (std::size_t f = 0; f < shown.size(); ++f) std::cout << (f == 0 ? "" : " | ") << shown[f]->AsString();
    std::cout << '\n';
  }
}

int main(int argc, char** argv) {
  std::string form_file, database, png;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--png" && i + 1 < argc) png = argv[++i];
    else if (form_file.empty()) form_file = arg;
    else database = arg;
  }
  if (form_file.empty()) {
    std::cerr << "usage: form_file FORM [DATABASE] [--png FILE]\n";
    return 2;
  }
  try {
    // A window host first, so that the form's controls are made for it.
    std::unique_ptr<TX11Host> host = png.empty() ? InstallX11HostIfDisplay() : nullptr;
    // The reader makes each component of the form from its class name.
    RegisterFormClasses();
    RegisterDataClasses();
    RegisterDBControlClasses();
    RegisterEngineClasses();
    std::ifstream in(form_file);
    if (!in) throw EReadError("Cannot read " + form_file);
    std::ostringstream text;
    text << in.rdbuf();
    TForm form(nullptr, TCreateNew{});
    form.ReadDescription(text.str());

    // The form names the database the designer used; the table opens on this program's.
    if (database.empty()) {
      database = SampleDatabasePath();
      EnsureSampleDatabase(database, [](const std::string& path) { std::cerr << "writing " << path << "...\n"; });
    }
    auto* table = DescribedControl<TSQLiteTable>(form, "SQLiteTable1");
    table->SetDatabaseName(database);
    table->Open();  // the panel filters by the values stored in the form from here on

    if (host) {
      form.ShowModal();
    } else if (!png.empty()) {
      form.Show();
      Application->ProcessMessages();
      SaveControlToPng(form, png);
    } else {
      PrintRecords(*DescribedControl<TDBFilterPanel>(form, "DBFilterPanel1"), *table);
    }
    return 0;
  } catch (const Exception& e) {
    std::cerr << "form_file: " << e.Message() << '\n';
    return 1;
  }
}
