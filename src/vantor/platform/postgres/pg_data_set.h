#pragma once
// TPgDataSet: what the two PostgreSQL data sets have in common, the table (TPgTable, a
// TTable) and the query (TPgQuery, a plain TDataSet): the connection, the reading of a
// result into the row store as it streams in, the row-limit guard, cancelling, and a
// condition that narrows the rows read on the server. It is a base between each of them
// and the data set class it extends, instantiated for those two classes only.
//
// Reading: the result comes row by row (single-row mode), each row converted into the
// row store on arrival, so a large result is never held twice. More rows than MaxRows
// stop the reading with a message naming the limit; the data set stays as it was.
//
// Cancelling: CancelQuery may be called from another thread (or a timer) while Open,
// Requery or a table's reading on demand (a walk, a seek) waits for the server. The
// server stops the statement, the call raises "The query was cancelled", and the data set
// is left as it was before: closed after a cancelled Open, with its old rows after a
// cancelled Requery or window; the connection stays usable. A cancel that comes between
// two statements of one operation (the questions an Open asks of the catalog, then its
// first window) stops the next one. StatementTimeout is the backstop for statements
// nobody cancels.
//
// Call order: properties (while closed) -> Open -> [SetServerCondition -> Requery] ...
// -> Close. The connection is made at Open and released at Close.

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <vantor/platform/core/type_info.h>
#include <vantor/platform/postgres/pg_condition.h>
#include <vantor/platform/postgres/pg_connection.h>
#include <vantor/platform/data/row_store.h>
#include <vantor/platform/data/server_condition.h>
#include <vantor/platform/rtl/field_type.h>
#include <vantor/platform/rtl/variant.h>

namespace vantor {

class TComponent;

// One column of a result: its name, the server's type and the field type it is read as.
struct PgColumn {
  std::string name;
  unsigned oid = 0;
  int typmod = -1;
  TFieldType type = TFieldType::ftUnknown;
  int size = 0;
  bool widened = false;  // a cell did not fit the mapped type: read as text
};

template <class Base>
class TPgDataSet : public Base {
 public:
  static constexpr int kDefaultMaxRows = 10'000'000;

  explicit TPgDataSet(TComponent* owner) : Base(owner) {}

  // Connection parameters ("host=... dbname=... user=..." or a postgresql:// URI); empty:
  // the standard PG* environment variables decide. Set while closed.
  const std::string& ConnectionString() const { return connection_string_; }
  void SetConnectionString(const std::string& value) { SetWhileClosed(connection_string_, value); }
  // The session's time zone, in which timestamps with a time zone are shown ("UTC" by
  // default, so that a program shows the same on every machine). Set while closed.
  const std::string& TimeZone() const { return time_zone_; }
  void SetTimeZone(const std::string& value) { SetWhileClosed(time_zone_, value); }
  // The most rows a result may have; 0 = no limit.
  int MaxRows() const { return max_rows_; }
  void SetMaxRows(int value) { max_rows_ = value < 0 ? 0 : value; }
  // Milliseconds after which the server stops a statement; 0 = never.
  int StatementTimeout() const { return statement_timeout_; }
  void SetStatementTimeout(int value) { statement_timeout_ = value < 0 ? 0 : value; }

  // Stops the Open or Requery running now (see the header comment). Any thread.
  void CancelQuery();

  // A condition that narrows the rows read to those the server finds it true for, as
  // SQL over the data set's columns with parameters $1, $2 ... bound to `params` (never
  // spliced into the text). Takes effect at the next Open or Requery; an empty `sql`
  // removes it.
  void SetServerCondition(std::string sql, std::vector<Variant> params = {});
  const std::string& ServerCondition() const { return condition_; }
  const std::vector<Variant>& ServerConditionParams() const { return condition_params_; }

  // Reads the rows from the server again (with the current server condition) and shows
  // them, staying on the same record number where it can. A failure or a cancel leaves
  // the rows that were shown.
  void Requery();

  // The record filter's server condition (see TDataSet), AND-ed with the server condition
  // above and rendered over the columns read; the rows are read again when it changes.
  // Terms the server cannot be trusted with are left out (TRUE); capitals are asked only
  // when the server's upper() is the client's, which is checked once per connection.
  // Dropped at Close (the next Open may read other columns).
  bool SetServerFilter(const TServerCondition& condition) override;
  // Whether SetServerFilter narrows at all (true by default); switching it off reads all
  // rows again at once when a condition was in force.
  bool PushDown() const { return push_down_; }
  void SetPushDown(bool value);
  // Rows the last reading brought from the server: what the server condition let through.
  std::size_t RowsRead() const { return rows_read_; }
  // The last statement that read rows and its parameters in text form (for a look at what
  // the server was asked: to log it, or to EXPLAIN it).
  const std::string& LastSelect() const { return last_select_; }
  const PgParams& LastParams() const { return last_params_; }

 protected:
  // The type description of the data set C up to its own properties.
  template <class C>
  static TypeBuilder<C> DescribePg(std::string name) {
    TypeBuilder<C> builder(std::move(name), &Base::StaticType());
    builder.Component()
        .Property("ConnectionString", &C::ConnectionString, &C::SetConnectionString, "")
        .Property("TimeZone", &C::TimeZone, &C::SetTimeZone, "UTC")
        .Property("MaxRows", &C::MaxRows, &C::SetMaxRows, kDefaultMaxRows)
        .Property("StatementTimeout", &C::StatementTimeout, &C::SetStatementTimeout, 0)
        .Property("PushDown", &C::PushDown, &C::SetPushDown, true);
    return builder;
  }

  struct Rows {
    std::unique_ptr<TRowStore> store;
    std::vector<PgColumn> columns;
  };
  // Reads the data set's rows (and whatever it learns of its source on the way).
  virtual Rows ReadRows() = 0;
  // Describes the columns read by ReadRows in FieldDefs (and IndexDefs): one field per
  // column, in their order, for the first columns (a descendant may read more after them
  // for itself).
  virtual void DefineFields(const std::vector<PgColumn>& columns) = 0;
  // Called when the rows of the last ReadRows become the data set's: at Open (before
  // DefineFields), and at a Requery that keeps the fields. Whatever ReadRows learned of the
  // source is taken then, so that a reading that fails changes nothing.
  virtual void ReadingTaken() {}

  std::unique_ptr<TRowStore> InternalOpen(std::unique_ptr<TRowStore> existing) override;
  void InternalClose() override;
  bool KeepRowsOnClose() const override { return false; }
  // The windows an opening reads (a table read on demand) are part of the Open.
  void AfterBind() override;

  // Stores a property that may change only while the data set is closed.
  void SetWhileClosed(std::string& property, const std::string& value);
  // The open connection, made when there is none.
  PgConnection& Connection();
  // Runs `select` and reads its rows as they arrive. The columns are described from
  // the result; `quote_sql` quotes the statement in error messages (the application's
  // own text). Honours MaxRows, CancelQuery and StatementTimeout. With `into`, the rows
  // are appended to that store (the data set's own, whose columns the select reads) and
  // counted in RowsRead; a cell its column cannot hold is an error then, since the
  // column's type is fixed already, and so is a result whose columns are not those the
  // store was read with (another user changed the table's columns meanwhile).
  Rows ReadSelect(const std::string& select, const PgParams& params, bool quote_sql, TRowStore* into = nullptr);
  // Whether the server's upper() is the client's (see PgUpperAgrees), asked once per connection.
  bool UpperAgrees();
  // What a reading asks of the server: the server condition and the record filter's,
  // AND-ed ("" for none), and their parameters in text form.
  std::string ReadCondition() const;
  PgParams ConditionParams() const;

 private:
  // The record filter's condition as SQL, numbered after the server condition's parameters.
  PgConditionSql FilterSql() const;
  // Makes `filter` the record filter's condition and reads the rows again (when open);
  // a failed reading leaves the previous condition with the rows it read.
  void ApplyFilter(TServerCondition filter);

  std::string connection_string_;
  std::string time_zone_ = "UTC";
  int max_rows_ = kDefaultMaxRows;
  int statement_timeout_ = 0;
  std::string condition_;
  std::vector<Variant> condition_params_;
  bool push_down_ = true;
  TServerCondition filter_;                // the record filter's, as given
  std::vector<PgColumn> filter_columns_;   // of the last reading, for rendering filter_
  std::size_t rows_read_ = 0;
  std::string last_select_;
  PgParams last_params_;
  std::optional<bool> upper_agrees_;       // asked once per connection

  // Guards connection_ against CancelQuery from another thread.
  std::mutex connection_mutex_;
  std::unique_ptr<PgConnection> connection_;
  std::atomic<bool> cancel_requested_{false};
  Rows pending_;          // rows read by Requery, taken by the Open it runs
  bool requerying_ = false;  // Close keeps the connection for the Open that follows
  // An Open or Requery is under way: the windows it reads belong to it, and so does a
  // cancel asked for meanwhile.
  bool operation_running_ = false;
};

}  // namespace vantor
