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
// Edits find their row by its primary key, as the server holds it: a key column whose
// cells the client holds coarser than the server (times, timestamps) is read a second
// time as the server's text, kept beside the row after the fields' columns, and the row
// is found by that. An update or delete that changes no row means another user changed
// or deleted it: that is an error, and the data set stays as it was. Uniqueness is the
// server's to check (it holds every row; this table may not). A table without a primary
// key (and a view) is read only, with a sentence saying why, and refuses every write.
// An insert leaves unset columns to the server's defaults (sequences, identity columns)
// and reads back what the server stored. EmptyTable deletes the rows of the server
// condition (all rows without one).
//
// Each reading looks the table up in the catalog again; what it finds (columns, keys,
// indexes) becomes the table's only with the rows read, so that a failed Requery after
// another user changed the columns leaves fields, columns and rows as they were.
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

#include <vantor/platform/postgres/pg_data_set.h>
#include <vantor/platform/postgres/pg_keyset.h>
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
  void ReadingTaken() override;
  void DefineFields(const std::vector<PgColumn>& columns) override;
  bool ReadOnlyDataSet() const override { return !source_.keyed; }
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
    unsigned type = 0;         // pg_attribute.atttypid
  };
  // What a reading learns of the table from the catalog.
  struct Source {
    unsigned oid = 0;
    std::string qualified;  // "schema"."table", quoted
    char kind = 'r';        // pg_class.relkind
    std::vector<Column> columns;
    std::vector<int> key_columns;  // the primary key's columns, in key order
    // Per key column, the store column whose cell finds the row: the column's own where
    // the client holds it exactly (PgCellIsExact), else one after the table's columns
    // holding the server's text of it.
    std::vector<int> key_cells;
    std::vector<TListedIndex> indexes;  // those whose order the client can rebuild
    bool keyed = false;
    std::size_t window_rows = 0;  // rows read at a time on demand; 0: all at once
  };

  // Catalog and reading (pg_table.cpp).
  void FindTable(Source& source);
  // The column of an index expression lower(column) or upper(column), else -1.
  static int CaseFoldedColumn(const std::vector<Column>& columns, std::string_view expression);
  void ReadCatalog(Source& source);
  // The table's columns; returns their attribute numbers, by which indexes name them.
  std::vector<int> ReadColumns(Source& source);
  // Gives each column its field name (see Column::field_name).
  static void NameFields(std::vector<Column>& columns);
  // The indexes and the primary key of the table whose columns `attnums` numbers.
  void ReadIndexes(Source& source, const std::vector<int>& attnums);
  // Takes row `r` of the catalog's index list into `source`: its index, if the client can
  // order by it, and the key columns, if it is the primary key.
  static void AddIndex(Source& source, const std::vector<int>& attnums, const PgResult& list, int r);
  // What every reading selects: the columns, then the server's text of the key columns
  // the client does not hold exactly.
  static std::string SelectList(const Source& source);
  // Write-back (pg_table_write.cpp).
  // "col1 = $n AND col2 = $n+1 ..." over the primary key.
  std::string KeyCondition(int first) const;
  void AddKeyParams(PgParams& params, RowId row) const;
  // The error of a write that found no row to change.
  [[noreturn]] void ChangedByAnotherUser() const;
  // Runs an INSERT or UPDATE ending in RETURNING what a reading selects, and takes the
  // stored row back into `values`.
  void WriteAndReadBack(const std::string& sql, const PgParams& params, bool inserting, std::vector<Variant>& values);
  // Keyset windows (pg_table_windows.cpp).
  // The current order as the server is asked for it.
  std::vector<PgKeyPart> KeyParts();
  // Reads the rows that meet `condition` and `keyset` besides what every reading asks,
  // in `order`, up to `limit` of them (0: all), into the store, and lists them in `rows`.
  void ReadOrdered(const std::string& condition, const PgConditionSql& keyset, const std::string& order,
                   std::size_t limit, std::vector<RowId>& rows);
  // The order's values at which `window` starts; none for the first or last rows.
  std::vector<Variant> WindowKey(const TRowWindow& window) const;
  // Whether texts of column c are ordered by bytes without COLLATE "C".
  bool PlainCollation(std::size_t c);
  // Whether the server orders the timestamps of column c as the client orders their day
  // numbers: none lies before 1899-12-30. Asked once per opening.
  bool OrdersAsDayNumbers(std::size_t c);

  std::string table_name_;
  Source source_;                       // of the rows held
  std::optional<Source> read_source_;   // of the last reading, until its rows are taken
  std::vector<PgColumn> read_columns_;  // as the rows were read (types, widened columns)
  int fetch_rows_ = 0;
  std::optional<bool> default_bytewise_;  // asked once per connection
  std::map<std::size_t, bool> day_ordered_;  // by column, see OrdersAsDayNumbers
};

}  // namespace vantor
