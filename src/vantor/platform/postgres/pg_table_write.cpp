#include <vantor/platform/postgres/pg_table.h>

#include <libpq-fe.h>

#include <vantor/platform/data/internal/sql_write_back.h>
#include <vantor/platform/postgres/internal/pg_types.h>

namespace vantor {

namespace {

// PostgreSQL numbers its parameters $1, $2 ...; a parameter takes the type of the key column
// it is compared with, so the server reads its text of the key exactly.
const SqlDialect kDialect{PgQuoteIdentifier, "$", " = ", "BEGIN"};

}  // namespace

std::string TPgTable::KeyCondition(int first) const {
  return SqlKeyCondition(kDialect, source_.columns, source_.key_columns, first);
}

void TPgTable::AddKeyParams(PgParams& params, RowId row) const {
  for (std::size_t k = 0; k < source_.key_cells.size(); ++k) {
    const int cell = source_.key_cells[k];
    const Variant value = Store()->Get(row, cell);
    // The server's own text of a key the client holds coarser is sent as it is.
    params.push_back(cell == source_.key_columns[k] ? PgParamText(value, FieldDefs().Items(cell).data_type)
                                                    : PgParamText(value));
  }
}

void TPgTable::ChangedByAnotherUser() const {
  Error("The record was changed or deleted by another user; '" + table_name_ + "' no longer holds it as it was read");
}

void TPgTable::WriteAndReadBack(const std::string& sql, const PgParams& params, bool inserting,
                                std::vector<Variant>& values) {
  const PgResult result = Connection().Exec(sql, params);
  if (result.Rows() != 1 && inserting) {
    Error("'" + table_name_ + "' did not store the record: a trigger or rule of the database dropped it");
  }
  // The key finds one row or none: none means another user changed or deleted it.
  if (result.Rows() != 1) ChangedByAnotherUser();
  TRowStore back([this] {
    std::vector<TFieldType> types;
    for (const PgColumn& c : read_columns_) types.push_back(c.type);
    return types;
  }());
  const RowId row = back.AppendRow();
  for (int c = 0; c < back.ColumnCount(); ++c) {
    if (result.IsNull(0, c)) continue;
    const PgColumn& column = read_columns_[static_cast<std::size_t>(c)];
    const std::string text = result.Text(0, c);
    if (!LoadPgCell(text, column.oid, column.type, back, row, c)) {
      Error("The server stored " + text + " in column '" + column.name + "', which this field cannot show; the change was not stored");
    }
  }
  for (int c = 0; c < back.ColumnCount(); ++c) values[static_cast<std::size_t>(c)] = back.Get(row, c);
}

void TPgTable::InternalPost(RowId row, std::vector<Variant>& values) {
  if (!source_.keyed) Error(ReadOnlyMessage());
  // No client check of unique keys: the server holds every row and checks them all, where
  // this table may hold some only, or stale ones, or keys held coarser than the server's.
  const SqlWrittenColumns written =
      WrittenColumns(source_.columns, values, row == kNoRow ? nullptr : Store(), row,
                     [this](const std::string& message) { Error(message); });
  // An edit that changed nothing sends nothing: the record stays as it was read.
  if (row != kNoRow && written.numbers.empty()) return;
  PgParams params;
  for (int c : written.numbers) {
    params.push_back(PgParamText(values[static_cast<std::size_t>(c)], FieldDefs().Items(c).data_type));
  }
  const int count = static_cast<int>(written.numbers.size());
  const std::string sql = row == kNoRow ? SqlInsert(kDialect, source_.qualified, written.names)
                                        : SqlUpdate(kDialect, source_.qualified, written.names, KeyCondition(count + 1));
  if (row != kNoRow) AddKeyParams(params, row);
  SqlTransaction transaction(kDialect, Connection());
  WriteAndReadBack(sql + " RETURNING " + SelectList(source_), params, row == kNoRow, values);
  transaction.Commit();
}

void TPgTable::InternalDelete(RowId row) {
  if (!source_.keyed) Error(ReadOnlyMessage());
  PgParams params;
  AddKeyParams(params, row);
  SqlTransaction transaction(kDialect, Connection());
  const PgResult result = Connection().Exec(SqlDelete(source_.qualified, KeyCondition(1)), params);
  // The key finds one row or none: none means another user changed or deleted it.
  if (std::string(PQcmdTuples(result.Handle())) != "1") ChangedByAnotherUser();
  transaction.Commit();
}

void TPgTable::InternalEmpty() {
  if (!source_.keyed) Error(ReadOnlyMessage());
  // The table's rows are those of its own server condition: the others stay. (The record
  // filter's rows go too, as a table's hidden rows do.)
  std::string sql = "DELETE FROM " + source_.qualified;
  PgParams params;
  if (!ServerCondition().empty()) {
    sql += " WHERE " + ServerCondition();
    for (const Variant& v : ServerConditionParams()) params.push_back(PgParamText(v));
  }
  SqlTransaction transaction(kDialect, Connection());
  Connection().Exec(sql, params);
  transaction.Commit();
}

}  // namespace vantor
