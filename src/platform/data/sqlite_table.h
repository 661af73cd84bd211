#pragma once
// TSQLiteTable: a table of a SQLite database file as a TTable. Open reads the columns
// (field types from the declared column types), the indexes (descending columns,
// COLLATE NOCASE as case-insensitive, unique and primary keys) and every row into memory;
// Post and Delete write each change back in a transaction, by rowid, before the rows in
// memory change, so a refused change leaves both as they were. EmptyTable empties the
// table of the file in one statement.
//
// Declared types: INTEGER (ftInteger; ftAutoInc for the INTEGER PRIMARY KEY), SMALLINT,
// TINYINT (ftSmallint), REAL/FLOAT/DOUBLE (ftFloat), MONEY/CURRENCY (ftCurrency),
// NUMERIC/DECIMAL (ftBCD), BOOLEAN (ftBoolean, stored 0/1), DATE, TIME, DATETIME
// (ISO-8601 texts 'YYYY-MM-DD', 'HH:MM:SS', 'YYYY-MM-DD HH:MM:SS'), VARCHAR(n)/CHAR(n)
// (ftString of Size n), TEXT/CLOB/MEMO and untyped columns (ftMemo), BLOB (ftBlob).
// The INTEGER PRIMARY KEY appears in IndexDefs as the index "PRIMARY".

#include <memory>
#include <string>
#include <vector>

#include "platform/data/table.h"

namespace vantor {

class SQLiteConnection;

class TSQLiteTable : public TTable {
 public:
  explicit TSQLiteTable(TComponent* owner);
  ~TSQLiteTable() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // The database file; it must exist (it is never created). Set while closed.
  const std::string& DatabaseName() const { return database_name_; }
  void SetDatabaseName(const std::string& name);
  const std::string& TableName() const { return table_name_; }
  void SetTableName(const std::string& name);

 protected:
  std::unique_ptr<TRowStore> InternalOpen(std::unique_ptr<TRowStore> existing) override;
  void InternalClose() override;
  bool KeepRowsOnClose() const override { return false; }
  void InternalPost(RowId row, std::vector<Variant>& values) override;
  void InternalDelete(RowId row) override;
  void RowWritten(RowId row, bool inserted) override;
  void InternalEmpty() override;

 private:
  void ReadColumns();
  void ReadIndexes();
  std::unique_ptr<TRowStore> ReadRows();

  std::string database_name_;
  std::string table_name_;
  std::unique_ptr<SQLiteConnection> connection_;
  std::vector<std::int64_t> rowids_;  // by row id of the store
  int rowid_column_ = -1;             // the INTEGER PRIMARY KEY column, -1 without one
  std::int64_t pending_rowid_ = 0;
};

}  // namespace vantor
