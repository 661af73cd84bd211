#pragma once
// SQLite plumbing shared by the SQLite data sets: an open database file, prepared
// statements and the field types of declared column types. Reading result rows into a
// row store is in sqlite_rows.h.
//
// Every failure raises EDatabaseError with a sentence about the file, not the SQL that
// failed: "orders.db is not an SQLite database", "orders.db is in use by another
// program; try again when it is done", "orders.db: no such table: custmers".

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <vantor/platform/data/row_store.h>
#include <vantor/platform/data/sqlite_dates.h>
#include <vantor/platform/rtl/field_type.h>
#include <vantor/platform/rtl/variant.h>

struct sqlite3;
struct sqlite3_stmt;

namespace vantor {

// An open database file. The file must exist: it is opened for reading and writing (for
// reading only when it may not be written) and never created, so a misspelt name is an
// error instead of a new empty database. One thread uses a connection at a time (SQLite
// does no locking of its own for it).
class SQLiteConnection {
 public:
  explicit SQLiteConnection(const std::string& path);
  ~SQLiteConnection();
  SQLiteConnection(const SQLiteConnection&) = delete;
  SQLiteConnection& operator=(const SQLiteConnection&) = delete;

  sqlite3* Handle() const { return db_; }
  const std::string& Path() const { return path_; }
  // Runs statements without results (BEGIN, COMMIT, DDL).
  void Exec(const std::string& sql);
  // Ends the open transaction, if any, with ROLLBACK. Never raises: it runs while the
  // error that abandoned the transaction unwinds, and that error is the one to report.
  void Rollback() noexcept;
  // Raises EDatabaseError with a sentence for SQLite's last error (the SQL is not shown).
  [[noreturn]] void Fail(const std::string& sql) const;

 private:
  sqlite3* db_ = nullptr;
  std::string path_;
};

// A prepared statement, finalized on destruction.
class SQLiteStatement {
 public:
  SQLiteStatement(const SQLiteConnection& connection, const std::string& sql);
  ~SQLiteStatement();
  SQLiteStatement(const SQLiteStatement&) = delete;
  SQLiteStatement& operator=(const SQLiteStatement&) = delete;

  sqlite3_stmt* Handle() const { return stmt_; }
  const std::string& Sql() const { return sql_; }
  // True while a row is available; false when done; raises on an error.
  bool Step();
  void Reset();
  // Binds a value of a field type (1-based parameter); Null binds NULL. Dates go in
  // `form` (a type's default form without one), 64-bit integers whole.
  void Bind(int parameter, TFieldType type, const Variant& value, const SQLiteDateForm* form = nullptr);
  void BindInt64(int parameter, std::int64_t value);
  void BindText(int parameter, std::string_view value);

 private:
  const SQLiteConnection* connection_;
  sqlite3_stmt* stmt_ = nullptr;
  std::string sql_;
};

// The field type and size for a declared column type ("VARCHAR(40)", "MONEY", "DATE").
// `rowid_alias` marks an INTEGER PRIMARY KEY column, which becomes ftAutoInc. A column
// without a declared type gives ftUnknown: its cells decide (ChooseFieldType).
TFieldType FieldTypeFromDeclared(std::string_view declared, bool rowid_alias, int& size);

// The message for a database file that cannot be opened, as a sentence for a person:
// "file.db is not an SQLite database", "file.db is a directory, not a database file".
std::string OpenFailureMessage(const std::string& path, int result_code);

// "name" with embedded quotes doubled, for identifiers in generated SQL.
std::string QuoteIdentifier(std::string_view name);

}  // namespace vantor
