#include "engines/support/contacts.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include <vantor/platform/data/sqlite_table.h>
#include "support/sqlite_file.h"

namespace vantor::engines_test {
namespace {

using testing_support::SqlLiteral;
using testing_support::SQLiteExec;
using testing_support::TempDbPath;

struct Row {
  int id;
  const char* name;
  const char* city;
  int amount;  // -1: null
  const char* note;
};

constexpr Row kRows[kContactRows] = {
    {1, "Smith", "Berlin", 10, "first"}, {2, "smith", "Bern", 15, nullptr},
    {3, "SMITH", "Paris", 20, "loud"},   {4, "Goldsmith", "Berlin", 21, nullptr},
    {5, "Smithers", "Rome", 5, nullptr}, {6, "Adams", "Berlin", 12, "early"},
    {7, "Baker", "Bern", 25, nullptr},   {8, "Bob", "Paris", 18, nullptr},
    {9, "Dan", "Rome", 30, nullptr},     {10, "Eve", "Berlin", 9, nullptr},
    {11, "Al", "Paris", 14, nullptr},    {12, "D", "Rome", 20, nullptr},
    {13, "Smyth", nullptr, -1, nullptr},
};

// Files made by this test program, removed at exit.
std::vector<std::string>& MadeFiles() {
  static std::vector<std::string> files;
  return files;
}

void RemoveMadeFiles() {
  for (const std::string& f : MadeFiles()) std::remove(f.c_str());
}

void WriteContactsDatabase(const std::string& path) {
  std::string sql =
      "BEGIN;"
      "CREATE TABLE contacts (id INTEGER, name VARCHAR(20), city VARCHAR(20), amount INTEGER, note CLOB);";
  for (const Row& r : kRows) {
    sql += "INSERT INTO contacts VALUES (" + std::to_string(r.id) + ", " + SqlLiteral(r.name) + ", " +
           SqlLiteral(r.city) + ", " + (r.amount < 0 ? std::string("NULL") : std::to_string(r.amount)) + ", " +
           SqlLiteral(r.note) + ");";
  }
  SQLiteExec(path, sql +
                       "CREATE INDEX by_name ON contacts (name COLLATE NOCASE);"
                       "CREATE INDEX by_name_cs ON contacts (name);"
                       "CREATE INDEX by_name_desc ON contacts (name DESC);"
                       "CREATE INDEX by_amount ON contacts (amount);"
                       "CREATE INDEX by_amount_desc ON contacts (amount DESC);"
                       "CREATE INDEX by_city_name ON contacts (city, name);"
                       "COMMIT");
}

}  // namespace

TTable* MemoryContacts::Make(TComponent* owner) {
  auto* table = new TTable(owner);
  table->SetName("Contacts");
  table->FieldDefs().Add("id", TFieldType::ftInteger);
  table->FieldDefs().Add("name", TFieldType::ftString, 20);
  table->FieldDefs().Add("city", TFieldType::ftString, 20);
  table->FieldDefs().Add("amount", TFieldType::ftInteger);
  table->FieldDefs().Add("note", TFieldType::ftMemo);
  table->IndexDefs().Add("by_name", "name", {ixCaseInsensitive});
  table->IndexDefs().Add("by_name_cs", "name", {});
  table->IndexDefs().Add("by_name_desc", "name", {ixDescending});
  table->IndexDefs().Add("by_amount", "amount", {});
  table->IndexDefs().Add("by_amount_desc", "amount", {ixDescending});
  table->IndexDefs().Add("by_city_name", "city;name", {});
  table->Open();
  for (const Row& r : kRows) {
    table->Append();
    table->FieldByName("id")->SetAsInteger(r.id);
    if (r.name != nullptr) table->FieldByName("name")->SetAsString(r.name);
    if (r.city != nullptr) table->FieldByName("city")->SetAsString(r.city);
    if (r.amount >= 0) table->FieldByName("amount")->SetAsInteger(r.amount);
    if (r.note != nullptr) table->FieldByName("note")->SetAsString(r.note);
    table->Post();
  }
  table->Close();
  return table;
}

TTable* SQLiteContacts::Make(TComponent* owner) {
  static std::once_flag cleanup;
  // The list exists before the handler is registered, so it outlives the handler.
  std::call_once(cleanup, [] {
    MadeFiles();
    std::atexit(RemoveMadeFiles);
  });
  const std::string path = TempDbPath("contacts");
  WriteContactsDatabase(path);
  MadeFiles().push_back(path);
  auto* table = new TSQLiteTable(owner);
  table->SetName("Contacts");
  table->SetDatabaseName(path);
  table->SetTableName("contacts");
  return table;
}

int CurrentId(TDataSet& data_set) {
  if (data_set.IsEmpty()) return 0;
  return data_set.FieldByName("id")->AsInteger();
}

std::vector<int> VisibleIds(TDataSet& data_set) {
  std::vector<int> ids;
  TBookmarkHolder keep(data_set);
  data_set.DisableControls();
  for (data_set.First(); !data_set.Eof(); data_set.Next()) ids.push_back(data_set.FieldByName("id")->AsInteger());
  if (data_set.BookmarkValid(keep.Get())) keep.Restore();
  data_set.EnableControls();
  return ids;
}

}  // namespace vantor::engines_test
