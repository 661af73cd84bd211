#include <vantor/platform/data/sqlite_query.h>

#include <sqlite3.h>

#include <algorithm>
#include <vector>

#include <vantor/platform/data/sqlite_connection.h>
#include <vantor/platform/data/internal/sqlite_rows.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/exceptions.h>

namespace vantor {

const TypeInfo& TSQLiteQuery::StaticType() {
  static const TypeInfo info =
      DescribeSQLite<TSQLiteQuery>("TSQLiteQuery").Property("SQL", &TSQLiteQuery::SQL, &TSQLiteQuery::SetSQL, "").Build();
  return info;
}

TSQLiteQuery::TSQLiteQuery(TComponent* owner) : TSQLiteDataSet(owner) {}

TSQLiteQuery::~TSQLiteQuery() { DestroyDataSet(); }

std::unique_ptr<TRowStore> TSQLiteQuery::InternalOpen(std::unique_ptr<TRowStore> /*existing*/) {
  const std::unique_ptr<SQLiteConnection> connection = OpenDatabase();
  // The SQL text is the application's own: a message about it quotes it.
  std::unique_ptr<SQLiteStatement> prepared;
  try {
    prepared = std::make_unique<SQLiteStatement>(*connection, sql_);
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
    // Joins repeat column names, and field names are found whatever their case: a name
    // taken in any case gets a number.
    std::string unique = name;
    auto taken = [&names](const std::string& n) {
      return std::any_of(names.begin(), names.end(), [&n](const std::string& t) { return AnsiSameText(t, n); });
    };
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
  const std::vector<TFieldType> first_types = types;
  auto store = ReadAllRows(query, has_row, 0, types);
  FieldDefs().Clear();
  for (int c = 0; c < columns; ++c) {
    const auto i = static_cast<std::size_t>(c);
    // A column widened to text takes texts of any length.
    const bool widened = types[i] != first_types[i];
    FieldDefs().Add(names[i], types[i], widened && types[i] == TFieldType::ftString ? 0 : sizes[i]);
  }
  return store;
}

}  // namespace vantor
