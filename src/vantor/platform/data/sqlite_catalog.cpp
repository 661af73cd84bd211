#include <vantor/platform/data/sqlite_catalog.h>

#include <sqlite3.h>

#include <string_view>

#include <vantor/platform/data/sqlite_connection.h>

namespace vantor {

SQLiteCatalog ReadSQLiteCatalog(const SQLiteConnection& db) {
  // The underscore is escaped: unescaped, LIKE would take it for any character and hide a
  // user's table named "sqlite1" or "sqlitedata" along with SQLite's own.
  SQLiteStatement list(db,
                       "SELECT type, name FROM sqlite_master WHERE type IN ('table', 'view')"
                       " AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name");
  SQLiteCatalog catalog;
  while (list.Step()) {
    const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(list.Handle(), 0));
    const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(list.Handle(), 1));
    if (type == nullptr || name == nullptr) continue;  // a damaged schema row names nothing to open
    (std::string_view(type) == "view" ? catalog.views : catalog.tables).emplace_back(name);
  }
  return catalog;
}

}  // namespace vantor
