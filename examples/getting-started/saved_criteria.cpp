#include <iostream>

#include <vantor/engines/filter_panel.h>
#include <vantor/engines/register_engines.h>
#include <vantor/platform/core/object_text.h>
#include <vantor/platform/core/reader.h>
#include <vantor/platform/core/stream.h>
#include <vantor/platform/core/writer.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/data/sqlite_table.h>
#include <vantor/platform/ui/form.h>

using namespace vantor;

// A form with a filter panel for the city, with "ber" entered, written as text.
void SaveCriteria(const std::string& path) {
  TForm form(nullptr);
  form.SetName("CustomerForm");
  auto* panel = new TDBFilterPanel(&form);  // owned, and freed, by the form
  panel->SetName("CityFilter");
  panel->SetParent(&form);
  panel->SetUpdateState(usNone);
  TFieldsList& fields = *panel->Fields();
  fields.SetDefaultFields(false);  // the list is chosen, not every field of the table
  TFieldRecord* city = fields.Add();
  city->SetFieldName("city");
  city->SetDisplayLabel("City");
  city->SetValues(0, Variant("ber"));

  TMemoryStream binary;
  TWriter(binary).WriteRootComponent(&form);
  binary.SetPosition(0);
  TFileStream file(path, fmCreate);
  ObjectBinaryToText(binary, file);
}

// Reads the form back and filters the table with the criteria it keeps.
void FilterWithSavedCriteria(const std::string& path) {
  RegisterEngineClasses();  // so that the reader can make the panel from its class name

  TFileStream file(path, fmOpenRead);
  TMemoryStream binary;
  ObjectTextToBinary(file, binary);
  binary.SetPosition(0);
  TForm form(nullptr);
  TReader(binary).ReadRootComponent(&form);
  auto* panel = dynamic_cast<TDBFilterPanel*>(form.FindComponent("CityFilter"));

  TSQLiteTable table(nullptr);
  table.SetDatabaseName("shop.db");
  table.SetTableName("customers");
  table.Open();
  TDataSource source(nullptr);
  source.SetDataSet(&table);

  panel->SetDataSource(&source);
  panel->SetFiltered(true);
  panel->ValuesChanged();  // values read from a form apply at the first update
  std::cout << panel->Fields()->Items(0)->GetDisplayLabel() << " = \""
            << panel->Fields()->Items(0)->GetValues(0).AsString() << "\": "
            << table.RecordCount() << " customers\n";
}

int main() {
  SaveCriteria("customers.vfm");
  FilterWithSavedCriteria("customers.vfm");
}
