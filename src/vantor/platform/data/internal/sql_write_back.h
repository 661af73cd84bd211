#pragma once
// How the SQL tables (SQLite, PostgreSQL) write a record back, once for both, each
// database's spelling given by its dialect. Which key identifies a row, and how the
// stored row is read back, stay with each table.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <vantor/platform/data/row_store.h>
#include <vantor/platform/rtl/variant.h>

namespace vantor {

// What differs between the databases in the statements of a write.
struct SqlDialect {
  std::string (*quote)(std::string_view identifier);  // a column name as it stands in SQL
  const char* parameter_prefix;  // of a numbered parameter: "?" for ?1, "$" for $1
  const char* key_match;         // how a key column is compared with its parameter: " = ", " IS "
  const char* begin;             // opens the transaction of a write

  std::string Parameter(std::size_t k) const { return parameter_prefix + std::to_string(k); }
};

// A write's transaction: begun on construction, committed by Commit; a scope left without
// Commit (an error on the way) rolls it back. `Connection` has Exec(sql), which raises on
// failure, and Rollback(), which never raises.
template <typename Connection>
class SqlTransaction {
 public:
  SqlTransaction(const SqlDialect& dialect, Connection& connection) : connection_(connection) {
    connection_.Exec(dialect.begin);
  }
  ~SqlTransaction() { if (!committed_) connection_.Rollback(); }
  SqlTransaction(const SqlTransaction&) = delete;
  SqlTransaction& operator=(const SqlTransaction&) = delete;
  void Commit() {
    connection_.Exec("COMMIT");
    committed_ = true;
  }

 private:
  Connection& connection_;
  bool committed_ = false;
};

// The columns a post writes, by number and by name.
struct SqlWrittenColumns {
  std::vector<int> numbers;
  std::vector<std::string> names;
};

// Of a new record (`held` null) the columns given a value, else those whose value differs
// from row `row` of `held`. `Column` has `name` and `generated`; a generated column among
// them is refused through `fail`, which raises with the sentence it is given.
template <typename Column, typename Fail>
SqlWrittenColumns WrittenColumns(const std::vector<Column>& columns, const std::vector<Variant>& values,
                                 const TRowStore* held, RowId row, Fail&& fail) {
  SqlWrittenColumns written;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const int c = static_cast<int>(i);
    if (held == nullptr ? values[i].IsClear() : values[i] == held->Get(row, c)) continue;
    if (columns[i].generated) {
      fail("Column '" + columns[i].name + "' is computed by the database from other columns; its value cannot be changed");
    }
    written.numbers.push_back(c);
    written.names.push_back(columns[i].name);
  }
  return written;
}

// "a IS ?3 AND b IS ?4": the `key` columns of `columns` (numbers; `Column` has `name`) each
// matched with a parameter, from parameter `first` on.
template <typename Column>
std::string SqlKeyCondition(const SqlDialect& dialect, const std::vector<Column>& columns, const std::vector<int>& key,
                            int first) {
  std::string where;
  for (std::size_t k = 0; k < key.size(); ++k) {
    where += (k == 0 ? "" : " AND ") + dialect.quote(columns[static_cast<std::size_t>(key[k])].name) +
             dialect.key_match + dialect.Parameter(static_cast<std::size_t>(first) + k);
  }
  return where;
}

// The statements of a write to `table` (as it stands in SQL: quoted, perhaps qualified).
// The values of `columns` are parameters 1 to n, those of an UPDATE's key condition follow.
std::string SqlInsert(const SqlDialect& dialect, std::string_view table, const std::vector<std::string>& columns);
std::string SqlUpdate(const SqlDialect& dialect, std::string_view table, const std::vector<std::string>& columns,
                      std::string_view key_condition);
std::string SqlDelete(std::string_view table, std::string_view key_condition);

}  // namespace vantor
