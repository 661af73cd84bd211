#include "platform/data/sqlite_query.h"

#include <sqlite3.h>

#include <vector>

#include "platform/data/sqlite_connection.h"
#include "platform/rtl/exceptions.h"

namespace vantor {

const TypeInfo& TSQLiteQuery::StaticType() {
  static const TypeInfo info = TypeBuilder<TSQLiteQuery>("TSQLiteQuery", &TDataSet::StaticType())
                                   .Component()
                                   .Property("DatabaseName", &TSQLiteQuery::DatabaseName, &TSQLiteQuery::SetDatabaseName, "")
                                   .Property("SQL", &TSQLiteQuery::SQL, &TSQLiteQuery::SetSQL, "")
                                   .Build();
  return info;
}

TSQLiteQuery::TSQLiteQuery(TComponent* owner) : TDataSet(owner) {}

TSQLiteQuery::~TSQLiteQuery() { DestroyDataSet(); }

void TSQLiteQuery::SetDatabaseName(const std::string& name) {
  if (name == database_name_) return;
  if (Active()) Error("Cannot perform this operation on an open dataset");
  database_name_ = name;
}

void TSQLiteQuery::SetSQL(const std::string& sql) {
  if (sql == sql_) return;
  if (Active()) Error("Cannot perform this operation on an open dataset");
  sql_ = sql;
}

std::unique_ptr<TRowStore> TSQLiteQuery::InternalOpen(std::unique_ptr<TRowStore> /*existing*/) {
  if (database_name_.empty()) Error("Missing DatabaseName property");
  SQLiteConnection connection(database_name_);
  SQLiteStatement query(connection, sql_);
  sqlite3_stmt* stmt = query.Handle();
  const int columns = sqlite3_column_count(stmt);
  if (columns == 0) Error("The SQL text returns no result set: \"" + sql_ + "\"");

  // Rows are read first: computed columns take their type from their first value.
  bool has_row = query.Step();
  FieldDefs().Clear();
  std::vector<std::string> names;
  for (int c = 0; c < columns; ++c) {
    std::string name = sqlite3_column_name(stmt, c);
    // Joins repeat column names; the later ones get a number.
    std::string unique = name;
    for (int n = 1; FieldDefs().IndexOf(unique) >= 0; ++n) unique = name + "_" + std::to_string(n);
    const char* declared = sqlite3_column_decltype(stmt, c);
    int size = 0;
    TFieldType type = TFieldType::ftString;
    if (declared != nullptr) {
      type = FieldTypeFromDeclared(declared, false, size);
    } else {
      size = 255;
      switch (has_row ? sqlite3_column_type(stmt, c) : SQLITE_TEXT) {
        case SQLITE_INTEGER: type = TFieldType::ftInteger, size = 0; break;
        case SQLITE_FLOAT: type = TFieldType::ftFloat, size = 0; break;
        case SQLITE_BLOB: type = TFieldType::ftBlob, size = 0; break;
        default: break;
      }
    }
    FieldDefs().Add(unique, type, size);
    names.push_back(unique);
  }
  std::vector<TFieldType> types;
  for (int c = 0; c < columns; ++c) types.push_back(FieldDefs().Items(c).data_type);
  auto store = std::make_unique<TRowStore>(types);
  while (has_row) {
    const RowId row = store->AppendRow();
    for (int c = 0; c < columns; ++c) {
      LoadCell(stmt, c, types[static_cast<std::size_t>(c)], *store, row, c, names[static_cast<std::size_t>(c)]);
    }
    has_row = query.Step();
  }
  return store;
}

}  // namespace vantor
