#include "people.h"

#include <cstdio>

#include <vantor/platform/rtl/datetime.h>
#include "support/sqlite_file.h"

namespace vantor::testing_support {

namespace {

struct Person {
  const char* name;
  const char* city;
  const char* amount;
  int qty;
  const char* born;
  bool active;
};

constexpr Person kPeople[kPeopleRows] = {
    {"Smith", "Berlin", "100.00", 5, "1980-01-02", true},  {"smith", "Paris", "250.50", 3, nullptr, false},
    {"Adams", nullptr, "75.25", 10, "1975-05-05", true},   {"SMITH", "Berlin", "250.50", 1, "1990-12-31", true},
    {"Baker", "Rome", "10.00", 7, "1985-07-07", false},    {"Zed", "Berlin", nullptr, 2, "2000-01-01", true},
    {"Miller", "Paris", "500.00", 4, "1970-03-03", false},
};

}  // namespace

void WritePeopleDatabase(const std::string& path) {
  std::string sql =
      "CREATE TABLE people (id INTEGER PRIMARY KEY, name VARCHAR(30) NOT NULL, city VARCHAR(20),"
      " amount MONEY, qty SMALLINT, born DATE, active BOOLEAN);"
      "CREATE INDEX by_name ON people (name COLLATE NOCASE);"
      "CREATE INDEX by_amount_desc ON people (amount DESC);"
      "CREATE INDEX by_city_name ON people (city, name);";
  for (const Person& p : kPeople) {
    sql += "INSERT INTO people (name, city, amount, qty, born, active) VALUES (" + SqlLiteral(p.name) + ", " +
           SqlLiteral(p.city) + ", " + (p.amount ? p.amount : "NULL") + ", " + std::to_string(p.qty) + ", " +
           SqlLiteral(p.born) + ", " + (p.active ? "1" : "0") + ");";
  }
  SQLiteExec(path, sql);
}

TTable* MemoryPeople::Make(TComponent* owner) {
  auto* t = new TTable(owner);
  t->FieldDefs().Add("id", TFieldType::ftAutoInc);
  t->FieldDefs().Add("name", TFieldType::ftString, 30, true);
  t->FieldDefs().Add("city", TFieldType::ftString, 20);
  t->FieldDefs().Add("amount", TFieldType::ftCurrency);
  t->FieldDefs().Add("qty", TFieldType::ftSmallint);
  t->FieldDefs().Add("born", TFieldType::ftDate);
  t->FieldDefs().Add("active", TFieldType::ftBoolean);
  t->IndexDefs().Add("PRIMARY", "id", {ixPrimary, ixUnique});
  t->IndexDefs().Add("by_name", "name", {ixCaseInsensitive});
  t->IndexDefs().Add("by_amount_desc", "amount", {ixDescending});
  t->IndexDefs().Add("by_city_name", "city;name", {});
  t->Open();
  for (const Person& p : kPeople) {
    t->Append();
    t->FieldByName("name")->SetAsString(p.name);
    if (p.city) t->FieldByName("city")->SetAsString(p.city);
    if (p.amount) t->FieldByName("amount")->SetAsString(p.amount);
    t->FieldByName("qty")->SetAsInteger(p.qty);
    if (p.born) {
      int y = 0, m = 0, d = 0;
      std::sscanf(p.born, "%d-%d-%d", &y, &m, &d);
      t->FieldByName("born")->SetAsDateTime(EncodeDate(y, m, d));
    }
    t->FieldByName("active")->SetAsBoolean(p.active);
    t->Post();
  }
  t->Close();
  return t;
}

TTable* SQLitePeople::Make(TComponent* owner) {
  const std::string path = TempDbPath("people");
  WritePeopleDatabase(path);
  auto* t = new TSQLiteTable(owner);
  t->SetDatabaseName(path);
  t->SetTableName("people");
  return t;
}

std::string IdsInOrder(TTable& table) {
  std::string out;
  table.First();
  while (!table.Eof()) {
    if (!out.empty()) out += ' ';
    out += table.FieldByName("id")->AsString();
    table.Next();
  }
  return out;
}

}  // namespace vantor::testing_support
