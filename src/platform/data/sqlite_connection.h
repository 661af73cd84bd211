#pragma once
// SQLite plumbing shared by the SQLite data sets: an open database file, prepared
// statements, the choice of field types from declared types and cell contents, and the
// typed transfer of values between statement columns and a row store.
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

// What the cells of one column hold: the count of each storage class and the range of
// the integers (both 0 without integers). Gathered while the rows are read.
struct SQLiteColumnContents {
  std::int64_t integers = 0;
  std::int64_t reals = 0;
  std::int64_t texts = 0;
  std::int64_t blobs = 0;
  std::int64_t min_integer = 0;
  std::int64_t max_integer = 0;

  // Counts the cell of result column `column` of the current row of `stmt`, of storage
  // class `storage`; called before the cell is read in any other way, which may convert it.
  void Add(int storage, sqlite3_stmt* stmt, int column);
};

// The field type for a column: the declared one, unless the cells contradict it, then
// the narrowest that holds every cell: a larger integer type for integers beyond the
// declared range, ftFloat for reals among integers, text (ftString of any length) for
// texts or blobs among numbers. An untyped column takes the type its cells share.
TFieldType ChooseFieldType(TFieldType declared, const SQLiteColumnContents& contents, int& size);

// The type to read a column as after one of its cells (of SQLite storage class
// `storage`) did not fit `type`: ftLargeint for an integer beyond 32 bits, ftFloat for a
// real among integers or currencies, else text. Text takes every cell.
TFieldType WidenFieldType(TFieldType type, int storage);

// Reads column `column` of the current result row into `store` at (row, store_column),
// converting to the store column's kind. Dates are ISO-8601 texts, Julian days or Unix
// times; `date_form` (may be null) receives the form of a date cell. False, with the
// cell untouched, for a value that does not fit the type: the caller widens the column.
[[nodiscard]] bool LoadCell(sqlite3_stmt* stmt, int column, TFieldType type, TRowStore& store, RowId row, int store_column,
              SQLiteDateForm* date_form = nullptr);

// Reads the current result row of `stmt` into `store` at `row`: result column first + c
// into store column c, of type types[c]. `date_forms` (may be null) receives the date
// form of each cell, `contents` (may be null) counts each cell read. The first column
// whose cell does not fit its type, or -1 when all fit.
[[nodiscard]] int LoadRow(sqlite3_stmt* stmt, int first, const std::vector<TFieldType>& types, TRowStore& store, RowId row,
            std::vector<SQLiteDateForm>* date_forms = nullptr,
            std::vector<SQLiteColumnContents>* contents = nullptr);

// Sees a row just read whole, while the statement still stands on it, with the date forms
// of its cells.
using SQLiteRowRead = std::function<void(const TRowStore& store, RowId row, const std::vector<SQLiteDateForm>& forms)>;

// Every row of `select` in a new row store laid out as for LoadRow; the caller has stepped
// `select` once, `has_row` being what that step answered. A cell that its column's type
// cannot hold widens that type in `types` (WidenFieldType) and the rows are read again
// from the start; text takes every cell, so this ends. `restart` is called before each
// reading (the first one too), `row_read` after each row; either may be empty.
[[nodiscard]] std::unique_ptr<TRowStore> ReadAllRows(SQLiteStatement& select, bool has_row, int first, std::vector<TFieldType>& types,
                                       std::size_t expected_rows = 0, const std::function<void()>& restart = {},
                                       const SQLiteRowRead& row_read = {});

// Every row of `select` as ReadAllRows reads them, with the column types chosen from the
// cells (ChooseFieldType) instead of given. `declared` holds each column's declared type
// (ftUnknown where none) and `sizes` its declared size; on return `types` and `sizes` are
// the chosen ones. The rows are read once under the declared types while the cells are
// counted; only when the cells choose another type for some column are they read again.
[[nodiscard]] std::unique_ptr<TRowStore> ReadAllRowsChoosingTypes(SQLiteStatement& select, bool has_row, int first,
                                                    const std::vector<TFieldType>& declared,
                                                    std::vector<TFieldType>& types, std::vector<int>& sizes,
                                                    std::size_t expected_rows = 0,
                                                    const std::function<void()>& restart = {},
                                                    const SQLiteRowRead& row_read = {});

// The message for a database file that cannot be opened, as a sentence for a person:
// "file.db is not an SQLite database", "file.db is a directory, not a database file".
std::string OpenFailureMessage(const std::string& path, int result_code);

// "name" with embedded quotes doubled, for identifiers in generated SQL.
std::string QuoteIdentifier(std::string_view name);

}  // namespace vantor
