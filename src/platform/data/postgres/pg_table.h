#pragma once
// TPgTable: a table (or view) of a PostgreSQL database as a TTable. Open reads the
// columns, the indexes and every row into memory (in primary key order when there is
// one); Post and Delete write each change back in a transaction before the rows in memory
// change, so a refused change leaves both as they were.
//
// TableName may be schema-qualified ("sales.orders") and is looked up as the server
// looks names up (search_path; unquoted names in lower case), then, failing that, as the
// one visible table of that name in any letter case.
//
// Indexes come from the catalog: B-tree indexes over columns, with their column order,
// descending columns, uniqueness and the primary key. A key lower(column) or
// upper(column) makes that column case-insensitive in the index (the rows are ordered by
// the client's own case rule, which may differ from the server's lower() for a few
// letters such as "ß"). Other expressions, partial indexes and indexes with a
// nondeterministic collation are left out: they have no order the client can rebuild.
//
// Edits find their row by its primary key; a table without one (and a view) is read
// only, with a sentence saying why. An insert leaves unset columns to the server's
// defaults (sequences, identity columns) and reads back what the server stored.
//
// FetchRows above 0 reads a table with a primary key on demand instead (see TTable):
// Open reads the first FetchRows rows of the current order, and each walk or seek asks the
// server for FetchRows more from where it goes on, with a keyset query in the order of
// the index (its columns, then the primary key), so a seek into a million rows reads
// only the rows it lands among. Orders the server cannot give exactly as the client sorts
// (a time with microseconds, timestamps before 1900, char(n), capitals where the server's
// upper() differs) and a record filter read every row instead.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <vantor/platform/data/postgres/pg_data_set.h>
#include <vantor/platform/data/postgres/pg_keyset.h>
#include <vantor/platform/data/table.h>

namespace vantor {

class TPgTable : public TPgDataSet<TTable> {
 public:
  explicit TPgTable(TComponent* owner);
  ~TPgTable() override;
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // The table, optionally schema-qualified. Set while closed.
  const std::string& TableName() const { return table_name_; }
  void SetTableName(const std::string& name) { SetWhileClosed(table_name_, name); }
  // Rows read at a time on demand; 0 (the default): every row at Open. Takes effect at
  // the next Open or Requery.
  int FetchRows() const { return fetch_rows_; }
  void SetFetchRows(int rows) { fetch_rows_ = rows < 0 ? 0 : rows; }

 protected:
  Rows ReadRows() override;
  void DefineFields(const std::vector<PgColumn>& columns) override;
  bool ReadOnlyDataSet() const override { return !keyed_; }
  std::string ReadOnlyMessage() const override;
  void InternalPost(RowId row, std::vector<Variant>& values) override;
  void InternalDelete(RowId row) override;
  void InternalEmpty() override;
  void InternalClose() override;
  void ReadWindow(const TRowWindow& window, std::vector<RowId>& rows) override;
  bool ServesOrder() override;
  std::vector<int> TieColumns() const override;

 private:
  struct Column {
    std::string name;
    std::string field_name;  // the name, numbered when another column differs only in case
    bool not_null = false;
    bool has_default = false;  // a default, a sequence or an identity fills it on insert
    bool generated = false;    // computed by the server from other columns
    unsigned collation = 0;    // pg_attribute.attcollation: 0 none, 100 the database's
  };
  struct Index {
    std::string name;
    std::vector<std::string> fields;
    std::vector<std::string> descending;
    std::vector<std::string> case_insensitive;
    bool unique = false;
    bool primary = false;
  };

  void FindTable();
  // The column of an index expression lower(column) or upper(column), else -1.
  int CaseFoldedColumn(std::string_view expression) const;
  void ReadCatalog();
  // "col1 = $n AND col2 = $n+1 ..." over the primary key.
  std::string KeyCondition(int first) const;
  void AddKeyParams(PgParams& params, RowId row) const;
  // Runs an INSERT or UPDATE ending in RETURNING every column, and takes the stored
  // row back into `values`.
  void WriteAndReadBack(const std::string& sql, const PgParams& params, std::vector<Variant>& values);
  // The current order as the server is asked for it.
  std::vector<PgKeyPart> KeyParts();
  // Whether texts of column c are ordered by bytes without COLLATE "C".
  bool PlainCollation(std::size_t c);
  // Whether the server orders the timestamps of column c as the client orders their day
  // numbers: none lies before 1899-12-30. Asked once per opening.
  bool OrdersAsDayNumbers(std::size_t c);

  std::string table_name_;
  unsigned table_oid_ = 0;
  std::string qualified_;  // "schema"."table", quoted
  char kind_ = 'r';        // pg_class.relkind
  std::vector<Column> columns_;
  std::vector<int> key_columns_;  // the primary key's columns, in key order
  std::vector<Index> indexes_;
  std::vector<PgColumn> read_columns_;  // as the rows were read (types, widened columns)
  bool keyed_ = false;
  int fetch_rows_ = 0;
  std::optional<bool> default_bytewise_;  // asked once per connection
  std::map<std::size_t, bool> day_ordered_;  // by column, see OrdersAsDayNumbers
};

}  // namespace vantor
