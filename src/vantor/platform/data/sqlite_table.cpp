#include <vantor/platform/data/sqlite_table.h>

#include <sqlite3.h>

#include <algorithm>
#include <cassert>

#include <vantor/platform/data/sqlite_connection.h>
#include <vantor/platform/data/internal/sql_write_back.h>
#include <vantor/platform/data/internal/sqlite_rows.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/exceptions.h>

namespace vantor {

namespace {

// SQLite numbers its parameters ?1, ?2 ... A key cell is matched with IS, not =: SQLite
// lets a primary key of a rowid table hold NULL, and such a row is found again too
// (several of them make the write change more than one row: refused). IMMEDIATE takes the
// write lock before the checks inside the transaction read, so no other writer comes
// between them and the write.
const SqlDialect kDialect{QuoteIdentifier, "?", " IS ", "BEGIN IMMEDIATE"};

std::string ColumnString(sqlite3_stmt* stmt, int column) {
  const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
  return p == nullptr ? std::string() : std::string(p);
}

}  // namespace

const TypeInfo& TSQLiteTable::StaticType() {
  static const TypeInfo info = DescribeSQLite<TSQLiteTable>("TSQLiteTable")
                                   .Property("TableName", &TSQLiteTable::TableName, &TSQLiteTable::SetTableName, "")
                                   .Build();
  return info;
}

TSQLiteTable::TSQLiteTable(TComponent* owner) : TSQLiteDataSet(owner) {}

TSQLiteTable::~TSQLiteTable() { DestroyDataSet(); }

std::string TSQLiteTable::ReadOnlyMessage() const {
  return "'" + table_name_ + "' is a view: its records are shown as the database computes them and cannot be changed";
}

const SQLiteDateForm& TSQLiteTable::DateForms::Of(RowId row) const {
  // A column with no date cell read yet has no forms; its cells are null.
  static const SQLiteDateForm kNone;
  if (forms.empty()) return kNone;
  return forms[row < by_row.size() ? by_row[row] : 0];
}

void TSQLiteTable::DateForms::Set(RowId row, const SQLiteDateForm& form) {
  std::size_t i = 0;
  while (i < forms.size() && !(forms[i] == form)) ++i;
  // More than 256 distinct forms in one column: the rest share the first one.
  if (i == forms.size()) {
    if (forms.size() < 256) forms.push_back(form);
    else i = 0;
  }
  if (by_row.size() <= row) by_row.resize(static_cast<std::size_t>(row) + 1, 0);
  by_row[row] = static_cast<std::uint8_t>(i);
}

std::unique_ptr<TRowStore> TSQLiteTable::InternalOpen(std::unique_ptr<TRowStore> /*existing*/) {
  // Both names are asked for before the file is opened.
  if (DatabaseName().empty()) Error("Missing DatabaseName property");
  if (table_name_.empty()) Error("Missing TableName property");
  connection_ = OpenDatabase();
  {
    SQLiteStatement exists(*connection_,
                           "SELECT type, name FROM sqlite_master WHERE type IN ('table','view') AND name = ?1 COLLATE NOCASE");
    exists.BindText(1, table_name_);
    if (!exists.Step()) {
      Error("There is no table or view '" + table_name_ + "' in " + DatabaseName());
    }
    is_view_ = ColumnString(exists.Handle(), 0) == "view";
  }
  ReadColumns();
  std::vector<TFieldType> types;
  std::vector<int> sizes;
  auto store = ReadRows(types, sizes);
  FieldDefs().Clear();
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    const bool rowid_alias = static_cast<int>(i) == rowid_column_;
    const int size = types[i] == TFieldType::ftString ? sizes[i] : 0;
    FieldDefs().Add(columns_[i].name, types[i], size, columns_[i].not_null && !rowid_alias && !columns_[i].generated);
  }
  ReadIndexes();
  return store;
}

void TSQLiteTable::ReadColumns() {
  columns_.clear();
  rowid_column_ = -1;
  key_columns_.clear();
  int pk_count = 0;
  {
    // table_xinfo also lists generated columns (hidden 2 and 3); hidden 1 are the
    // hidden columns of virtual tables, which a plain SELECT does not show either.
    SQLiteStatement info(*connection_, "PRAGMA table_xinfo(" + QuoteIdentifier(table_name_) + ")");
    while (info.Step()) {
      const int hidden = sqlite3_column_int(info.Handle(), 6);
      if (hidden == 1) continue;
      Column c{ColumnString(info.Handle(), 1), ColumnString(info.Handle(), 2), sqlite3_column_int(info.Handle(), 3) != 0,
               sqlite3_column_int(info.Handle(), 5), hidden == 2 || hidden == 3};
      if (c.pk > 0) ++pk_count;
      columns_.push_back(std::move(c));
    }
  }
  if (columns_.empty()) Error("'" + table_name_ + "' in " + DatabaseName() + " has no columns that can be read");
  // The rowid under a name that no column takes for itself.
  rowid_name_.clear();
  if (!is_view_) {
    for (const char* name : {"rowid", "_rowid_", "oid"}) {
      const bool shadowed = std::any_of(columns_.begin(), columns_.end(),
                                        [name](const Column& c) { return AnsiSameText(c.name, name); });
      if (!shadowed) {
        rowid_name_ = name;
        break;
      }
    }
    // Every name of the rowid taken by a column: rows are found by their primary key.
    without_rowid_ = rowid_name_.empty();
    if (!without_rowid_) {
      try {
        SQLiteStatement probe(*connection_, "SELECT " + rowid_name_ + " FROM " + QuoteIdentifier(table_name_) + " LIMIT 0");
      } catch (const EDatabaseError&) {
        without_rowid_ = true;
        rowid_name_.clear();
      }
    }
  }
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    const Column& c = columns_[i];
    if (!is_view_ && !without_rowid_ && pk_count == 1 && c.pk == 1 && AnsiSameText(Trim(c.declared), "INTEGER")) {
      rowid_column_ = static_cast<int>(i);
    }
  }
  for (int k = 1; k <= pk_count; ++k) {
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      if (columns_[i].pk == k) key_columns_.push_back(static_cast<int>(i));
    }
  }
  if (is_view_) key_kind_ = RowKeyKind::kNone;
  else if (rowid_column_ >= 0) key_kind_ = RowKeyKind::kRowid;
  else if (!key_columns_.empty()) key_kind_ = RowKeyKind::kPrimaryKey;
  else if (!rowid_name_.empty()) key_kind_ = RowKeyKind::kCheckedRowid;
  else key_kind_ = RowKeyKind::kNone;
  select_list_ = rowid_name_;
  for (const Column& c : columns_) select_list_ += (select_list_.empty() ? "" : ", ") + QuoteIdentifier(c.name);
}

void TSQLiteTable::ReadIndexes() {
  IndexDefs().Clear();
  if (is_view_) return;
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
    TListedIndex index;
    index.name = it->name;
    bool expression = false;
    SQLiteStatement xinfo(*connection_, "PRAGMA index_xinfo(" + QuoteIdentifier(it->name) + ")");
    while (xinfo.Step()) {
      if (sqlite3_column_int(xinfo.Handle(), 5) == 0) continue;  // not a key column
      if (sqlite3_column_int(xinfo.Handle(), 1) < 0) {
        expression = true;  // an expression (-2) or the rowid (-1)
        continue;
      }
      const std::string name = ColumnString(xinfo.Handle(), 2);
      index.fields.push_back(name);
      if (sqlite3_column_int(xinfo.Handle(), 3) != 0) index.descending.push_back(name);
      if (AnsiSameText(ColumnString(xinfo.Handle(), 4), "NOCASE")) index.case_insensitive.push_back(name);
    }
    if (expression) continue;
    if (it->unique) index.options.Include(ixUnique);
    if (it->origin == "pk") index.options.Include(ixPrimary);
    IndexDefs().AddListed(index);
  }
}

TSQLiteTable::RowKey TSQLiteTable::KeyOf(const SQLiteRow& cells) const {
  RowKey key;
  auto raw = [&cells](int column) {
    const SQLiteCell cell = cells[column];
    RawValue v;
    v.storage = cell.storage;
    if (v.storage == SQLITE_INTEGER) v.integer = cell.integer;
    if (v.storage == SQLITE_FLOAT) v.real = cell.real;
    if (v.storage == SQLITE_TEXT || v.storage == SQLITE_BLOB) v.bytes.assign(cell.bytes);
    return v;
  };
  if (RowidFindsRows()) {
    key.push_back(raw(0));
  } else {
    for (int c : key_columns_) key.push_back(raw(FirstColumn() + c));
  }
  return key;
}

std::string TSQLiteTable::KeyCondition(int first) const {
  if (RowidFindsRows()) return rowid_name_ + " = ?" + std::to_string(first);
  return SqlKeyCondition(kDialect, columns_, key_columns_, first);
}

std::size_t TSQLiteTable::KeyCount() const { return RowidFindsRows() ? rowids_.size() : keys_.size(); }

TSQLiteTable::RowKey TSQLiteTable::KeyAt(RowId row) const {
  assert(row < KeyCount());  // callers check the row against KeyCount first
  if (!RowidFindsRows()) return keys_[row];
  RawValue rowid;
  rowid.storage = SQLITE_INTEGER;
  rowid.integer = rowids_[row];
  return {rowid};
}

void TSQLiteTable::SetKeyAt(RowId row, const RowKey& key) {
  if (!RowidFindsRows()) {
    if (keys_.size() <= row) keys_.resize(static_cast<std::size_t>(row) + 1);
    keys_[row] = key;
    return;
  }
  // A rowid is always an integer; KeyOf took it as one.
  assert(key.size() == 1 && key[0].storage == SQLITE_INTEGER);
  if (rowids_.size() <= row) rowids_.resize(static_cast<std::size_t>(row) + 1);
  rowids_[row] = key[0].integer;
}

void TSQLiteTable::BindKey(SQLiteStatement& statement, int first, const RowKey& key) const {
  sqlite3_stmt* stmt = statement.Handle();
  for (std::size_t k = 0; k < key.size(); ++k) {
    const RawValue& v = key[k];
    const int p = first + static_cast<int>(k);
    switch (v.storage) {
      case SQLITE_INTEGER: sqlite3_bind_int64(stmt, p, v.integer); break;
      case SQLITE_FLOAT: sqlite3_bind_double(stmt, p, v.real); break;
      case SQLITE_TEXT: statement.BindText(p, v.bytes); break;
      case SQLITE_BLOB: sqlite3_bind_blob64(stmt, p, v.bytes.data(), v.bytes.size(), SQLITE_TRANSIENT); break;
      default: sqlite3_bind_null(stmt, p); break;
    }
  }
}

std::unique_ptr<TRowStore> TSQLiteTable::ReadRows(std::vector<TFieldType>& types, std::vector<int>& sizes) {
  std::vector<TFieldType> declared;
  sizes.assign(columns_.size(), 0);
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    declared.push_back(FieldTypeFromDeclared(columns_[i].declared, static_cast<int>(i) == rowid_column_, sizes[i]));
  }
  std::size_t expected = 0;
  {
    SQLiteStatement count(*connection_, "SELECT count(*) FROM " + QuoteIdentifier(table_name_));
    if (count.Step()) expected = static_cast<std::size_t>(sqlite3_column_int64(count.Handle(), 0));
  }
  SQLiteStatement select(*connection_, "SELECT " + select_list_ + " FROM " + QuoteIdentifier(table_name_));
  const bool has_row = select.Step();
  auto restart = [this] {
    rowids_.clear();
    keys_.clear();
    date_forms_.assign(columns_.size(), DateForms{});
  };
  auto row_read = [this, &types](const TRowStore& store, RowId row, const SQLiteRow& cells,
                                  const std::vector<SQLiteDateForm>& forms) {
    if (key_kind_ == RowKeyKind::kNone) {
    } else if (RowidFindsRows()) {
      rowids_.push_back(cells[0].integer);
    } else {
      keys_.push_back(KeyOf(cells));
    }
    for (std::size_t c = 0; c < columns_.size(); ++c) {
      if (StorageKindOf(types[c]) == TStorageKind::skDate && !store.IsNull(row, static_cast<int>(c))) {
        date_forms_[c].Set(row, forms[c]);
      }
    }
  };
  return ReadAllRowsChoosingTypes(select, has_row, FirstColumn(), declared, types, sizes, expected, restart, row_read);
}

void TSQLiteTable::InternalClose() {
  TTable::InternalClose();
  connection_.reset();
  rowids_ = {};
  keys_ = {};
  date_forms_ = {};
}

const SQLiteDateForm* TSQLiteTable::FormFor(int column, RowId row) const {
  const auto c = static_cast<std::size_t>(column);
  if (c >= date_forms_.size()) return nullptr;
  const DateForms& forms = date_forms_[c];
  if (forms.forms.empty()) return nullptr;
  // A new row takes the form of the column's first cell: the form the file uses.
  return &forms.Of(row == kNoRow ? 0 : row);
}

void TSQLiteTable::WriteAndReadBack(SQLiteStatement& statement, std::vector<Variant>& values) {
  if (!statement.Step()) RaiseChangedByAnother();
  std::vector<TFieldType> types;
  for (int c = 0; c < FieldDefs().Count(); ++c) types.push_back(FieldDefs().Items(c).data_type);
  TRowStore back(types);
  const RowId row = back.AppendRow();
  SQLiteRowBatch read_back(TextColumns(FirstColumn(), types));
  read_back.Add(statement.Handle());
  const SQLiteRow cells{&read_back, 0};
  const int misfit = LoadRow(cells, FirstColumn(), types, back, row, &pending_forms_);
  if (misfit >= 0) {
    // A number is named as the file holds it; a text or blob may be long or unprintable.
    const int cell = FirstColumn() + misfit;
    const int storage = cells[cell].storage;
    const std::string what = storage == SQLITE_INTEGER || storage == SQLITE_FLOAT
                                 ? ColumnString(statement.Handle(), cell)
                                 : std::string("a value");
    Error("The database stored " + what + " in column '" + columns_[static_cast<std::size_t>(misfit)].name +
          "', which this field cannot show; the change was not stored");
  }
  pending_key_ = KeyOf(cells);
  for (std::size_t c = 0; c < columns_.size(); ++c) values[c] = back.Get(row, static_cast<int>(c));
  // A key that names one row gives one row back; a second one (rows sharing a NULL key)
  // means the write reached rows the record does not stand for: the caller's
  // transaction rolls it back.
  if (statement.Step()) RaiseChangedByAnother();
}

void TSQLiteTable::RaiseChangedByAnother() const {
  Error("The record was changed or deleted by another user since it was read from '" + table_name_ +
        "'; nothing was changed");
}

void TSQLiteTable::CheckRowUnchanged(RowId row) const {
  if (key_kind_ != RowKeyKind::kCheckedRowid) return;
  SQLiteStatement select(*connection_,
                         "SELECT " + select_list_ + " FROM " + QuoteIdentifier(table_name_) + " WHERE " + KeyCondition(1));
  BindKey(select, 1, KeyAt(row));
  if (!select.Step()) RaiseChangedByAnother();
  std::vector<TFieldType> types;
  for (int c = 0; c < FieldDefs().Count(); ++c) types.push_back(FieldDefs().Items(c).data_type);
  TRowStore now(types);
  const RowId at = now.AppendRow();
  SQLiteRowBatch cells(TextColumns(FirstColumn(), types));
  cells.Add(select.Handle());
  if (LoadRow(SQLiteRow{&cells, 0}, FirstColumn(), types, now, at) >= 0) RaiseChangedByAnother();
  for (int c = 0; c < FieldDefs().Count(); ++c) {
    if (!(now.Get(at, c) == Store()->Get(row, c))) RaiseChangedByAnother();
  }
}

void TSQLiteTable::CheckKeyed() const {
  if (is_view_) Error(ReadOnlyMessage());
  if (key_kind_ == RowKeyKind::kNone) {
    Error("'" + table_name_ + "' has neither a rowid nor a primary key by which a changed record could be found "
          "again; it can be read but not changed");
  }
}

void TSQLiteTable::InternalPost(RowId row, std::vector<Variant>& values) {
  CheckKeyed();
  if (row != kNoRow && row >= KeyCount()) Error("The record cannot be found again in '" + table_name_ + "'");
  CheckUniqueKeys(row, values);
  const SqlWrittenColumns written =
      WrittenColumns(columns_, values, row == kNoRow ? nullptr : Store(), row,
                     [this](const std::string& message) { Error(message); });
  if (row != kNoRow && written.numbers.empty()) {
    pending_key_ = KeyAt(row);
    pending_forms_.clear();
    return;
  }
  SqlTransaction transaction(kDialect, *connection_);
  const int count = static_cast<int>(written.numbers.size());
  const std::string table = QuoteIdentifier(table_name_);
  const std::string sql = row == kNoRow ? SqlInsert(kDialect, table, written.names)
                                        : SqlUpdate(kDialect, table, written.names, KeyCondition(count + 1));
  if (row != kNoRow) CheckRowUnchanged(row);
  SQLiteStatement write(*connection_, sql + " RETURNING " + select_list_);
  for (int k = 0; k < count; ++k) {
    const int c = written.numbers[static_cast<std::size_t>(k)];
    write.Bind(k + 1, FieldDefs().Items(c).data_type, values[static_cast<std::size_t>(c)], FormFor(c, row));
  }
  if (row != kNoRow) BindKey(write, count + 1, KeyAt(row));
  WriteAndReadBack(write, values);
  transaction.Commit();
}

void TSQLiteTable::RowWritten(RowId row, bool inserted) {
  TTable::RowWritten(row, inserted);
  SetKeyAt(row, pending_key_);
  for (std::size_t c = 0; c < pending_forms_.size() && c < date_forms_.size(); ++c) {
    if (StorageKindOf(FieldDefs().Items(static_cast<int>(c)).data_type) == TStorageKind::skDate) {
      date_forms_[c].Set(row, pending_forms_[c]);
    }
  }
}

void TSQLiteTable::InternalDelete(RowId row) {
  CheckKeyed();
  if (row >= KeyCount()) Error("The record cannot be found again in '" + table_name_ + "'");
  SqlTransaction transaction(kDialect, *connection_);
  CheckRowUnchanged(row);
  SQLiteStatement remove(*connection_, SqlDelete(QuoteIdentifier(table_name_), KeyCondition(1)));
  BindKey(remove, 1, KeyAt(row));
  remove.Step();
  // None: deleted or re-keyed meanwhile; more: rows sharing a NULL key. Either way not
  // the one record shown, so the transaction is rolled back.
  if (sqlite3_changes(connection_->Handle()) != 1) RaiseChangedByAnother();
  transaction.Commit();
}

void TSQLiteTable::InternalEmpty() {
  if (is_view_) Error(ReadOnlyMessage());
  SqlTransaction transaction(kDialect, *connection_);
  connection_->Exec("DELETE FROM " + QuoteIdentifier(table_name_));
  transaction.Commit();
  rowids_ = {};
  keys_ = {};
}

}  // namespace vantor
