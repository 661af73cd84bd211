#include "platform/data/sqlite_table.h"

#include <sqlite3.h>

#include "platform/data/sqlite_connection.h"
#include "platform/rtl/ansi_strings.h"
#include "platform/rtl/exceptions.h"

namespace vantor {

namespace {

// BEGIN IMMEDIATE ... COMMIT; rolled back when the scope is left by an exception.
class Transaction {
 public:
  explicit Transaction(SQLiteConnection& connection) : connection_(connection) {
    connection_.Exec("BEGIN IMMEDIATE");
  }
  ~Transaction() {
    if (!committed_) sqlite3_exec(connection_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void Commit() {
    connection_.Exec("COMMIT");
    committed_ = true;
  }

 private:
  SQLiteConnection& connection_;
  bool committed_ = false;
};

std::string ColumnString(sqlite3_stmt* stmt, int column) {
  const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
  return p == nullptr ? std::string() : std::string(p);
}

std::string Join(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) {
    if (!out.empty()) out += ';';
    out += n;
  }
  return out;
}

}  // namespace

const TypeInfo& TSQLiteTable::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TSQLiteTable>("TSQLiteTable", &TTable::StaticType())
          .Component()
          .Property("DatabaseName", &TSQLiteTable::DatabaseName, &TSQLiteTable::SetDatabaseName, "")
          .Property("TableName", &TSQLiteTable::TableName, &TSQLiteTable::SetTableName, "")
          .Build();
  return info;
}

TSQLiteTable::TSQLiteTable(TComponent* owner) : TTable(owner) {}

TSQLiteTable::~TSQLiteTable() { DestroyDataSet(); }

void TSQLiteTable::SetDatabaseName(const std::string& name) {
  if (name == database_name_) return;
  if (Active()) Error("Cannot perform this operation on an open dataset");
  database_name_ = name;
}

void TSQLiteTable::SetTableName(const std::string& name) {
  if (name == table_name_) return;
  if (Active()) Error("Cannot perform this operation on an open dataset");
  table_name_ = name;
}

std::unique_ptr<TRowStore> TSQLiteTable::InternalOpen(std::unique_ptr<TRowStore> /*existing*/) {
  if (database_name_.empty()) Error("Missing DatabaseName property");
  if (table_name_.empty()) Error("Missing TableName property");
  connection_ = std::make_unique<SQLiteConnection>(database_name_);
  {
    SQLiteStatement exists(*connection_, "SELECT name FROM sqlite_master WHERE type IN ('table','view') AND name = ?1 COLLATE NOCASE");
    exists.BindText(1, table_name_);
    if (!exists.Step()) {
      Error("Table '" + table_name_ + "' not found in database '" + database_name_ + "'");
    }
  }
  ReadColumns();
  ReadIndexes();
  return ReadRows();
}

void TSQLiteTable::ReadColumns() {
  FieldDefs().Clear();
  rowid_column_ = -1;
  struct Column {
    std::string name;
    std::string declared;
    bool not_null;
    int pk;
  };
  std::vector<Column> columns;
  int pk_count = 0;
  {
    SQLiteStatement info(*connection_, "PRAGMA table_info(" + QuoteIdentifier(table_name_) + ")");
    while (info.Step()) {
      Column c{ColumnString(info.Handle(), 1), ColumnString(info.Handle(), 2),
               sqlite3_column_int(info.Handle(), 3) != 0, sqlite3_column_int(info.Handle(), 5)};
      if (c.pk > 0) ++pk_count;
      columns.push_back(std::move(c));
    }
  }
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const Column& c = columns[i];
    const bool rowid_alias = pk_count == 1 && c.pk == 1 && AnsiSameText(Trim(c.declared), "INTEGER");
    int size = 0;
    const TFieldType type = FieldTypeFromDeclared(c.declared, rowid_alias, size);
    FieldDefs().Add(c.name, type, size, c.not_null && !rowid_alias);
    if (rowid_alias) rowid_column_ = static_cast<int>(i);
  }
  // Only rowid tables can take edits back by rowid.
  try {
    SQLiteStatement probe(*connection_, "SELECT rowid FROM " + QuoteIdentifier(table_name_) + " LIMIT 0");
  } catch (const EDatabaseError&) {
    Error("Table '" + table_name_ + "' has no rowid (WITHOUT ROWID tables are not supported)");
  }
}

void TSQLiteTable::ReadIndexes() {
  IndexDefs().Clear();
  if (rowid_column_ >= 0) {
    IndexDefs().Add("PRIMARY", FieldDefs().Items(rowid_column_).name, {ixPrimary, ixUnique});
  }
  struct IndexInfo {
    std::string name;
    bool unique;
    std::string origin;
    bool partial;
  };
  std::vector<IndexInfo> list;
  {
    SQLiteStatement indexes(*connection_, "PRAGMA index_list(" + QuoteIdentifier(table_name_) + ")");
    while (indexes.Step()) {
      list.push_back(IndexInfo{ColumnString(indexes.Handle(), 1), sqlite3_column_int(indexes.Handle(), 2) != 0,
                               ColumnString(indexes.Handle(), 3), sqlite3_column_int(indexes.Handle(), 4) != 0});
    }
  }
  // SQLite lists the newest index first; keep the order of creation.
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    if (it->partial) continue;  // covers some rows only: no order for the whole table
    std::vector<std::string> fields, desc, nocase;
    bool expression = false;
    SQLiteStatement xinfo(*connection_, "PRAGMA index_xinfo(" + QuoteIdentifier(it->name) + ")");
    while (xinfo.Step()) {
      if (sqlite3_column_int(xinfo.Handle(), 5) == 0) continue;  // not a key column
      if (sqlite3_column_int(xinfo.Handle(), 1) < 0) {
        expression = true;  // an expression (-2) or the rowid (-1)
        continue;
      }
      const std::string name = ColumnString(xinfo.Handle(), 2);
      fields.push_back(name);
      if (sqlite3_column_int(xinfo.Handle(), 3) != 0) desc.push_back(name);
      if (AnsiSameText(ColumnString(xinfo.Handle(), 4), "NOCASE")) nocase.push_back(name);
    }
    if (expression || fields.empty()) continue;
    TIndexOptions options;
    if (it->unique) options.Include(ixUnique);
    if (it->origin == "pk") options.Include(ixPrimary);
    if (desc.size() == fields.size()) options.Include(ixDescending);
    if (nocase.size() == fields.size()) options.Include(ixCaseInsensitive);
    TIndexDef& def = IndexDefs().Add(it->name, Join(fields), options);
    if (!desc.empty() && desc.size() != fields.size()) def.SetDescFields(Join(desc));
    if (!nocase.empty() && nocase.size() != fields.size()) def.SetCaseInsFields(Join(nocase));
  }
}

std::unique_ptr<TRowStore> TSQLiteTable::ReadRows() {
  std::vector<TFieldType> types;
  std::string sql = "SELECT rowid";
  for (int i = 0; i < FieldDefs().Count(); ++i) {
    types.push_back(FieldDefs().Items(i).data_type);
    sql += ", " + QuoteIdentifier(FieldDefs().Items(i).name);
  }
  sql += " FROM " + QuoteIdentifier(table_name_);
  auto store = std::make_unique<TRowStore>(types);
  {
    SQLiteStatement count(*connection_, "SELECT count(*) FROM " + QuoteIdentifier(table_name_));
    if (count.Step()) {
      const auto rows = static_cast<std::size_t>(sqlite3_column_int64(count.Handle(), 0));
      store->Reserve(rows);
      rowids_.reserve(rows);
    }
  }
  rowids_.clear();
  SQLiteStatement select(*connection_, sql);
  sqlite3_stmt* stmt = select.Handle();
  const int columns = FieldDefs().Count();
  while (select.Step()) {
    const RowId row = store->AppendRow();
    rowids_.push_back(sqlite3_column_int64(stmt, 0));
    for (int c = 0; c < columns; ++c) {
      const TFieldDef& def = FieldDefs().Items(c);
      LoadCell(stmt, c + 1, def.data_type, *store, row, c, def.name);
    }
  }
  return store;
}

void TSQLiteTable::InternalClose() {
  TTable::InternalClose();
  connection_.reset();
  rowids_.clear();
  rowids_.shrink_to_fit();
}

void TSQLiteTable::InternalPost(RowId row, std::vector<Variant>& values) {
  CheckUniqueKeys(row, values);
  Transaction transaction(*connection_);
  const int columns = FieldDefs().Count();
  if (row == kNoRow) {
    std::string names, params;
    std::vector<int> bound;
    for (int c = 0; c < columns; ++c) {
      // A null INTEGER PRIMARY KEY is numbered by SQLite.
      if (c == rowid_column_ && values[static_cast<std::size_t>(c)].IsClear()) continue;
      if (!names.empty()) {
        names += ", ";
        params += ", ";
      }
      names += QuoteIdentifier(FieldDefs().Items(c).name);
      params += "?";
      bound.push_back(c);
    }
    const std::string sql = names.empty()
                                ? "INSERT INTO " + QuoteIdentifier(table_name_) + " DEFAULT VALUES"
                                : "INSERT INTO " + QuoteIdentifier(table_name_) + " (" + names + ") VALUES (" + params + ")";
    SQLiteStatement insert(*connection_, sql);
    for (std::size_t i = 0; i < bound.size(); ++i) {
      const int c = bound[i];
      insert.Bind(static_cast<int>(i) + 1, FieldDefs().Items(c).data_type, values[static_cast<std::size_t>(c)]);
    }
    insert.Step();
    pending_rowid_ = sqlite3_last_insert_rowid(connection_->Handle());
    if (rowid_column_ >= 0) {
      if (pending_rowid_ > INT32_MAX) Error("Row number " + std::to_string(pending_rowid_) + " is beyond the integer range");
      values[static_cast<std::size_t>(rowid_column_)] = Variant(static_cast<std::int32_t>(pending_rowid_));
    }
  } else {
    std::string sets;
    for (int c = 0; c < columns; ++c) {
      if (!sets.empty()) sets += ", ";
      sets += QuoteIdentifier(FieldDefs().Items(c).name) + " = ?";
    }
    SQLiteStatement update(*connection_, "UPDATE " + QuoteIdentifier(table_name_) + " SET " + sets + " WHERE rowid = ?");
    for (int c = 0; c < columns; ++c) {
      update.Bind(c + 1, FieldDefs().Items(c).data_type, values[static_cast<std::size_t>(c)]);
    }
    update.BindInt64(columns + 1, rowids_[row]);
    update.Step();
    if (sqlite3_changes(connection_->Handle()) == 0) {
      Error("Record not found in table '" + table_name_ + "' (deleted by another program?)");
    }
    pending_rowid_ = rowid_column_ >= 0 && !values[static_cast<std::size_t>(rowid_column_)].IsClear()
                         ? values[static_cast<std::size_t>(rowid_column_)].AsInteger()
                         : rowids_[row];
  }
  transaction.Commit();
}

void TSQLiteTable::RowWritten(RowId row, bool inserted) {
  TTable::RowWritten(row, inserted);
  if (rowids_.size() <= row) rowids_.resize(static_cast<std::size_t>(row) + 1, 0);
  rowids_[row] = pending_rowid_;
}

void TSQLiteTable::InternalDelete(RowId row) {
  Transaction transaction(*connection_);
  SQLiteStatement remove(*connection_, "DELETE FROM " + QuoteIdentifier(table_name_) + " WHERE rowid = ?");
  remove.BindInt64(1, rowids_[row]);
  remove.Step();
  transaction.Commit();
}

void TSQLiteTable::InternalEmpty() {
  Transaction transaction(*connection_);
  connection_->Exec("DELETE FROM " + QuoteIdentifier(table_name_));
  transaction.Commit();
  rowids_ = {};
}

}  // namespace vantor
