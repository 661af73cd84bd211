#include <iostream>

#include <vantor/engines/find_panel.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/data/sqlite_table.h>

int main() {
  using namespace vantor;

  TSQLiteTable table(nullptr);
  table.SetDatabaseName("shop.db");
  table.SetTableName("customers");
  table.Open();
  table.SetIndexName("customers_name");  // the index of shop.sql, on the name

  TDataSource source(nullptr);
  source.SetDataSet(&table);

  TDBFindPanel panel(nullptr);
  panel.SetUpdateState(usNone);
  panel.SetDataSource(&source);
  panel.FindField("name")->SetValues(0, Variant("Web"));

  // The first match, then each next one, until there is none.
  panel.SetRestart(true);
  while (panel.Locate()) {
    std::cout << table.FieldByName("name")->AsString() << " in "
              << table.FieldByName("city")->AsString() << '\n';
    panel.SetRestart(false);
  }
}
