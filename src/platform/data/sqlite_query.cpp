#include "platform/data/sqlite_query.h"

#include <sqlite3.h>

#include <algorithm>
#include <cassert>
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
  // The SQL text is the application's own: a message about it quotes it.
  std::unique_ptr<SQLiteStatement> prepared;
  try {
    prepared = std::make_unique<SQLiteStatement>(connection, sql_);
  } catch (const EDatabaseError& e) {
    Error(e.Message() + ", in the query \"" + sql_ + "\"");
  }
  SQLiteStatement& query = *prepared;
  sqlite3_stmt* stmt = query.Handle();
  const int columns = sqlite3_column_count(stmt);
  if (columns == 0) Error("The SQL text returns no result set: \"" + sql_ + "\"");

  // Rows are read first: computed columns take their type from their first value.
  const bool has_row = query.Step();
  std::vector<std::string> names;
  std::vector<TFieldType> types;
  std::vector<int> sizes;
  for (int c = 0; c < columns; ++c) {
    std::string name = sqlite3_column_name(stmt, c);
    // Joins repeat column names; the later ones get a number.
    std::string unique = name;
    auto taken = [&names](const std::string& n) { return std::find(names.begin(), names.end(), n) != names.end(); };
    for (int n = 1; taken(unique); ++n) unique = name + "_" + std::to_string(n);
    const char* declared = sqlite3_column_decltype(stmt, c);
    int size = 0;
    TFieldType type = declared != nullptr ? FieldTypeFromDeclared(declared, false, size) : TFieldType::ftUnknown;
    if (type == TFieldType::ftUnknown) {
      switch (has_row ? sqlite3_column_type(stmt, c) : SQLITE_TEXT) {
        case SQLITE_INTEGER: type = TFieldType::ftInteger; break;
        case SQLITE_FLOAT: type = TFieldType::ftFloat; break;
        case SQLITE_BLOB: type = TFieldType::ftBlob; break;
        default: type = TFieldType::ftString; break;
      }
    }
    names.push_back(unique);
    types.push_back(type);
    sizes.push_back(size);
  }
  // A cell that does not fit its column's type widens the column, and the rows are read
  // again: every column can widen at most a few times (up to text, which takes anything).
  for (;;) {
    auto store = std::make_unique<TRowStore>(types);
    int misfit = -1;
    int storage = SQLITE_NULL;
    for (bool more = has_row; more && misfit < 0; more = query.Step()) {
      const RowId row = store->AppendRow();
      for (int c = 0; c < columns; ++c) {
        if (!LoadCell(stmt, c, types[static_cast<std::size_t>(c)], *store, row, c)) {
          misfit = c;
          storage = sqlite3_column_type(stmt, c);
          break;
        }
      }
    }
    if (misfit < 0) {
      FieldDefs().Clear();
      for (int c = 0; c < columns; ++c) {
        const auto i = static_cast<std::size_t>(c);
        FieldDefs().Add(names[i], types[i], types[i] == TFieldType::ftString && sizes[i] == 0 ? 0 : sizes[i]);
      }
      return store;
    }
    const auto i = static_cast<std::size_t>(misfit);
    types[i] = WidenFieldType(types[i], storage);
    if (types[i] == TFieldType::ftString) sizes[i] = 0;
    query.Reset();
    const bool again = query.Step();
    // The same statement over the same file: the first row is there again.
    assert(again == has_row);
    (void)again;
  }
}

}  // namespace vantor
