#include <iostream>

#include <vantor/engines/filter_panel.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/data/sqlite_table.h>

int main() {
  using namespace vantor;

  // The table, read from the database file.
  TSQLiteTable table(nullptr);
  table.SetDatabaseName("shop.db");
  table.SetTableName("customers");
  table.Open();

  // A data source links data-aware components to the table.
  TDataSource source(nullptr);
  source.SetDataSet(&table);

  // The panel lists every field of the table once it is linked.
  TDBFilterPanel panel(nullptr);
  panel.SetUpdateState(usNone);  // apply the values when the program says so
  panel.SetDataSource(&source);

  panel.FindField("city")->SetValues(0, Variant("ber"));
  panel.SetFiltered(true);
  panel.ValuesChanged();
  std::cout << table.RecordCount() << " customers in a city beginning with \"ber\":\n";
  for (table.First(); !table.Eof(); table.Next()) {
    std::cout << "  " << table.FieldByName("name")->AsString() << ", "
              << table.FieldByName("city")->AsString() << '\n';
  }

  // A range: credit limits from 1000 to 2500.
  panel.FindField("city")->SetValues(0, Variant::Null());
  TFieldRecord* limit = panel.FindField("credit_limit");
  limit->SetCount(coTwo);
  limit->SetValues(0, Variant(1000));
  limit->SetValues(1, Variant(2500));
  panel.ValuesChanged();
  std::cout << table.RecordCount() << " customers with a credit limit from 1000 to 2500\n";
}
