#pragma once
// TSQLiteTable: a table or view of a SQLite database file as a TTable. Open reads the
// columns, the indexes (descending columns, COLLATE NOCASE as case-insensitive, unique and
// primary keys) and every row into memory; Post and Delete write each change back in a
// transaction before the rows in memory change, so a refused change leaves both as they
// were. EmptyTable empties the table of the file in one statement.
//
// Files written by other programs open as they are. The declared type gives the field
// type: INTEGER (ftInteger; ftAutoInc for the INTEGER PRIMARY KEY), SMALLINT, TINYINT
// (ftSmallint), REAL/FLOAT/DOUBLE (ftFloat), MONEY/CURRENCY (ftCurrency), NUMERIC/DECIMAL
// (ftBCD), BOOLEAN (ftBoolean, stored 0/1), DATE, TIME, DATETIME, TIMESTAMP (ISO-8601
// texts, Julian days or Unix times), VARCHAR(n)/CHAR(n) (ftString of Size n), TEXT
// (ftString of any length), CLOB/MEMO (ftMemo), BLOB (ftBlob). Where the cells contradict
// it, or no type is declared, the cells decide (see ChooseFieldType): integers beyond 32
// bits make an ftLargeint, a text among numbers makes the column text. A value is never
// altered to fit and a readable table is never refused.
//
// Another program may change the file between any two steps, so a write finds its row
// again by what identifies the row for its owner: the declared primary key (the rowid
// where the key is the INTEGER PRIMARY KEY). A table without a primary key has only its
// rowid, which SQLite hands out again after a delete: there the row must still hold the
// values it was read with. A write that would change no row, another row or several
// rows raises "The record was changed or deleted by another user ..." and changes
// nothing. Views open read-only. Generated columns are read and cannot be changed.
// An update writes only the columns whose values changed, and dates in the form in which
// each cell came, so untouched cells stay as they were byte for byte.
// The INTEGER PRIMARY KEY appears in IndexDefs as the index "PRIMARY".

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct sqlite3_stmt;

#include <vantor/platform/data/sqlite_data_set.h>
#include <vantor/platform/data/sqlite_dates.h>
#include <vantor/platform/data/table.h>

namespace vantor {

class SQLiteConnection;
class SQLiteStatement;
struct SQLiteRow;


class TSQLiteTable : public TSQLiteDataSet<TTable> {
 public:
  explicit TSQLiteTable(TComponent* owner);
  ~TSQLiteTable() override;
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // The table or view of the database file, its name in any case. Set while closed.
  const std::string& TableName() const { return table_name_; }
  void SetTableName(const std::string& name) { SetWhileClosed(table_name_, name); }

 protected:
  std::unique_ptr<TRowStore> InternalOpen(std::unique_ptr<TRowStore> existing) override;
  void InternalClose() override;
  bool KeepRowsOnClose() const override { return false; }
  bool ReadOnlyDataSet() const override { return is_view_; }
  std::string ReadOnlyMessage() const override;
  void InternalPost(RowId row, std::vector<Variant>& values) override;
  void InternalDelete(RowId row) override;
  void RowWritten(RowId row, bool inserted) override;
  void InternalEmpty() override;

 private:
  // One cell exactly as the file holds it, to find a row again.
  struct RawValue {
    int storage = 0;  // SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, SQLITE_BLOB, SQLITE_NULL
    std::int64_t integer = 0;
    double real = 0;
    std::string bytes;
  };
  using RowKey = std::vector<RawValue>;
  struct Column {
    std::string name;
    std::string declared;
    bool not_null = false;
    int pk = 0;              // position in the primary key, 0 outside it
    bool generated = false;  // computed by the database from other columns
  };
  // The forms of the cells of one date column: a short list of the distinct forms and,
  // per row, which of them the cell was written in.
  struct DateForms {
    std::vector<SQLiteDateForm> forms;
    std::vector<std::uint8_t> by_row;
    const SQLiteDateForm& Of(RowId row) const;
    void Set(RowId row, const SQLiteDateForm& form);
  };

  void ReadColumns();
  void ReadIndexes();
  // Every row, with the field types and sizes the declared types and the cells choose.
  std::unique_ptr<TRowStore> ReadRows(std::vector<TFieldType>& types, std::vector<int>& sizes);
  // The result column of the first table column in a statement whose result is the select list.
  int FirstColumn() const { return rowid_name_.empty() ? 0 : 1; }
  bool RowidFindsRows() const { return key_kind_ == RowKeyKind::kRowid || key_kind_ == RowKeyKind::kCheckedRowid; }
  RowKey KeyOf(const SQLiteRow& cells) const;
  std::size_t KeyCount() const;
  RowKey KeyAt(RowId row) const;
  void SetKeyAt(RowId row, const RowKey& key);
  void BindKey(SQLiteStatement& statement, int first, const RowKey& key) const;
  std::string KeyCondition(int first) const;
  // Runs an INSERT or UPDATE ending in RETURNING select list, and takes back what the
  // database stored (defaults, generated columns, the rowid) into `values`.
  void WriteAndReadBack(SQLiteStatement& statement, std::vector<Variant>& values);
  const SQLiteDateForm* FormFor(int column, RowId row) const;
  // Raises when edits cannot reach the file: a view, or a table without any row key.
  void CheckKeyed() const;
  // Inside the write's transaction: raises the "changed or deleted by another user"
  // sentence unless the file still holds `row` as it was read. Only rows known by a
  // rowid alone need this; a key names its row for its owner.
  void CheckRowUnchanged(RowId row) const;
  [[noreturn]] void RaiseChangedByAnother() const;

  std::string table_name_;
  std::unique_ptr<SQLiteConnection> connection_;
  std::vector<Column> columns_;
  // How a row is found again for a write.
  enum class RowKeyKind : std::uint8_t {
    kNone,           // a view, or a table with neither a rowid nor a primary key
    kRowid,          // the rowid, which is the table's INTEGER PRIMARY KEY
    kCheckedRowid,   // the rowid of a table without a primary key, and the values read
    kPrimaryKey,     // the declared primary key's cells
  };
  bool is_view_ = false;
  bool without_rowid_ = false;
  RowKeyKind key_kind_ = RowKeyKind::kNone;
  std::string rowid_name_;       // "rowid", or an alias no column shadows; empty without one
  std::string select_list_;      // rowid (rowid tables) then every column, quoted
  std::vector<int> key_columns_;  // the declared primary key's columns in key order
  // The key of each row of the store, by row id: its rowid where the rowid finds the row
  // (plain integers, so a million rows take no million allocations), its primary key's
  // cells otherwise; none for a view.
  std::vector<std::int64_t> rowids_;
  std::vector<RowKey> keys_;
  std::vector<DateForms> date_forms_;  // by column (empty for other types)
  int rowid_column_ = -1;         // the INTEGER PRIMARY KEY column, -1 without one
  RowKey pending_key_;
  std::vector<SQLiteDateForm> pending_forms_;
};

}  // namespace vantor
