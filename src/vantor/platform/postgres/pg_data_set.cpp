#include <vantor/platform/postgres/pg_data_set.h>

#include <libpq-fe.h>

#include <algorithm>
#include <utility>

#include <vantor/platform/core/temporary_change.h>
#include <vantor/platform/postgres/pg_condition.h>
#include <vantor/platform/postgres/internal/pg_types.h>
#include <vantor/platform/data/table.h>
#include <vantor/platform/rtl/exceptions.h>

namespace vantor {

namespace {

// Why a reading stopped before its end.
enum class Stop { None, Cancelled, TooManyRows, Widened, ColumnsChanged };

std::vector<PgColumn> Describe(const pg_result* result, const std::vector<PgColumn>& before) {
  std::vector<PgColumn> columns;
  const int count = PQnfields(result);
  for (int c = 0; c < count; ++c) {
    PgColumn column;
    column.name = PQfname(result, c);
    column.oid = PQftype(result, c);
    column.typmod = PQfmod(result, c);
    column.type = PgFieldType(column.oid, column.typmod, column.size);
    // A column widened by an earlier pass stays text (the server's answer is the same).
    const auto i = static_cast<std::size_t>(c);
    if (i < before.size() && before[i].widened) {
      column.widened = true;
      column.type = WidenedPgType();
      column.size = 0;
    }
    columns.push_back(std::move(column));
  }
  return columns;
}

// Whether two readings' columns are read into the same fields.
bool SameColumns(const std::vector<PgColumn>& a, const std::vector<PgColumn>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const PgColumn& x, const PgColumn& y) {
    return x.name == y.name && x.oid == y.oid && x.typmod == y.typmod && x.type == y.type && x.size == y.size &&
           x.widened == y.widened;
  });
}

std::vector<TFieldType> TypesOf(const std::vector<PgColumn>& columns) {
  std::vector<TFieldType> types;
  for (const PgColumn& c : columns) types.push_back(c.type);
  return types;
}

}  // namespace

template <class Base>
void TPgDataSet<Base>::SetWhileClosed(std::string& property, const std::string& value) {
  if (value == property) return;
  if (this->Active()) this->Error("Cannot perform this operation on an open dataset");
  property = value;
}

template <class Base>
void TPgDataSet<Base>::SetServerCondition(std::string sql, std::vector<Variant> params) {
  condition_ = std::move(sql);
  condition_params_ = condition_.empty() ? std::vector<Variant>{} : std::move(params);
}

template <class Base>
PgParams TPgDataSet<Base>::ConditionParams() const {
  PgParams params;
  for (const Variant& v : condition_params_) params.push_back(PgParamText(v));
  for (const Variant& v : FilterSql().params) params.push_back(PgParamText(v));
  return params;
}

template <class Base>
PgConnection& TPgDataSet<Base>::Connection() {
  if (!connection_) {
    auto made = std::make_unique<PgConnection>(connection_string_, time_zone_);
    std::lock_guard lock(connection_mutex_);
    connection_ = std::move(made);
  }
  return *connection_;
}

template <class Base>
void TPgDataSet<Base>::CancelQuery() {
  cancel_requested_ = true;
  std::lock_guard lock(connection_mutex_);
  if (connection_) connection_->Cancel();
}

template <class Base>
typename TPgDataSet<Base>::Rows TPgDataSet<Base>::ReadSelect(const std::string& select, const PgParams& params,
                                                             bool quote_sql, TRowStore* into) {
  PgConnection& connection = Connection();
  connection.SetStatementTimeout(statement_timeout_);
  // A window read on demand by a walk or a seek is an operation of its own, as Open and
  // Requery are: a cancel asked for before it began was meant for another. A window of an
  // Open or Requery is part of that, and a cancel that came between its statements found
  // none to stop: it stops this one.
  if (into != nullptr && !operation_running_) cancel_requested_ = false;
  if (cancel_requested_) this->Error("The query was cancelled");
  last_select_ = select;
  last_params_ = params;
  pg_conn* conn = connection.Handle();
  std::vector<const char*> values;
  for (const auto& p : params) values.push_back(p ? p->c_str() : nullptr);
  std::vector<PgColumn> columns;
  for (;;) {  // once, or again after a column had to be widened to text
    if (PQsendQueryParams(conn, select.c_str(), static_cast<int>(values.size()), nullptr, values.data(), nullptr,
                          nullptr, 0) == 0 ||
        PQsetSingleRowMode(conn) == 0) {
      this->Error(connection.Failure(nullptr, select, quote_sql));
    }
    Rows rows;
    TRowStore* store = nullptr;
    const std::size_t held = into != nullptr ? into->LiveCount() : 0;
    Stop stop = Stop::None;
    std::string failure;
    const std::size_t max_rows = static_cast<std::size_t>(max_rows_);
    // Every result is taken, also after a stop, so that the connection is idle again.
    while (PgResult result{PQgetResult(conn)}) {
      const ExecStatusType status = PQresultStatus(result.Handle());
      if (status == PGRES_SINGLE_TUPLE || status == PGRES_TUPLES_OK) {
        if (stop != Stop::None) continue;
        if (store == nullptr) {
          rows.columns = Describe(result.Handle(), into != nullptr ? filter_columns_ : columns);
          if (into != nullptr) {
            // The rows join those read at the opening, column for column; the rest of a
            // result that does not fit them is read and dropped.
            if (!SameColumns(rows.columns, filter_columns_)) {
              stop = Stop::ColumnsChanged;
              continue;
            }
            store = into;
          } else {
            rows.store = std::make_unique<TRowStore>(TypesOf(rows.columns));
            store = rows.store.get();
          }
        }
        if (status != PGRES_SINGLE_TUPLE) continue;
        if (cancel_requested_) {
          stop = Stop::Cancelled;
        } else if (max_rows > 0 && store->LiveCount() >= max_rows) {
          stop = Stop::TooManyRows;
        }
        if (stop != Stop::None) {
          connection.Cancel();
          continue;
        }
        const RowId row = store->AppendRow();
        for (int c = 0; c < store->ColumnCount(); ++c) {
          if (PQgetisnull(result.Handle(), 0, c) != 0) continue;  // a new row's cells are null
          PgColumn& column = rows.columns[static_cast<std::size_t>(c)];
          const std::string_view text(PQgetvalue(result.Handle(), 0, c),
                                      static_cast<std::size_t>(PQgetlength(result.Handle(), 0, c)));
          if (!LoadPgCell(text, column.oid, column.type, *store, row, c)) {
            // The rest is read and dropped rather than cancelled: the statement sent next
            // would otherwise risk meeting a cancel that came too late for this one.
            column.widened = true;
            stop = Stop::Widened;
            break;
          }
        }
      } else if (status == PGRES_COMMAND_OK) {
        if (failure.empty()) failure = "The SQL text returns no result set: \"" + select + "\"";
      } else if (stop == Stop::None && failure.empty()) {
        failure = connection.Failure(result.Handle(), select, quote_sql);
      }
    }
    // A cancel that came after the last row changes nothing.
    if (stop == Stop::None && !failure.empty()) this->Error(failure);
    switch (stop) {
      case Stop::None:
        if (store == nullptr) this->Error("The SQL text returns no result set: \"" + select + "\"");
        if (into != nullptr) rows_read_ += into->LiveCount() - held;
        return rows;
      case Stop::Cancelled: this->Error("The query was cancelled");
      case Stop::ColumnsChanged:
        this->Error("The columns of the table were changed by another user since it was opened; close it and open "
                    "it again");
      case Stop::TooManyRows:
        this->Error("The result has more than " + std::to_string(max_rows_) +
                    " records, the most that MaxRows allows; narrow the selection down or raise MaxRows");
      case Stop::Widened:
        if (into != nullptr) {
          const auto widened = std::find_if(rows.columns.begin(), rows.columns.end(),
                                            [](const PgColumn& c) { return c.widened; });
          this->Error("Column '" + widened->name +
                      "' holds a value that its field cannot show exactly; a table read on demand keeps the "
                      "types its columns had when it opened, so set FetchRows to 0 to read it whole, which "
                      "shows such a column as text");
        }
        columns = std::move(rows.columns);
        break;
    }
  }
}

template <class Base>
std::unique_ptr<TRowStore> TPgDataSet<Base>::InternalOpen(std::unique_ptr<TRowStore> /*existing*/) {
  Rows rows;
  if (pending_.store) {
    rows = std::move(pending_);
  } else {
    cancel_requested_ = false;
    try {
      rows = ReadRows();
    } catch (...) {
      // A data set that did not open holds no connection: the next Open connects anew,
      // with the properties it has then.
      std::lock_guard lock(connection_mutex_);
      connection_.reset();
      throw;
    }
  }
  ReadingTaken();
  DefineFields(rows.columns);
  filter_columns_ = rows.columns;
  rows_read_ = rows.store->LiveCount();
  return std::move(rows.store);
}

template <class Base>
void TPgDataSet<Base>::AfterBind() {
  TemporaryChange running(operation_running_, true);
  Base::AfterBind();
}

template <class Base>
void TPgDataSet<Base>::InternalClose() {
  Base::InternalClose();
  if (requerying_) return;
  std::lock_guard lock(connection_mutex_);
  connection_.reset();
  upper_agrees_.reset();
  filter_ = TServerCondition::True();
}

template <class Base>
void TPgDataSet<Base>::Requery() {
  this->CheckActive();
  this->CheckBrowseMode();
  cancel_requested_ = false;
  TemporaryChange running(operation_running_, true);
  Rows fresh = ReadRows();  // raises with nothing changed yet
  const int rec_no = this->RecNo();
  TControlsDisabled quiet(*this);
  if (SameColumns(fresh.columns, filter_columns_)) {
    // The fields read the new rows as they read the old ones: they stay, and so does
    // everything that holds them (a filter's criteria, a grid's columns).
    ReadingTaken();
    filter_columns_ = std::move(fresh.columns);
    rows_read_ = fresh.store->LiveCount();
    this->ReplaceRows(std::move(fresh.store));
  } else {
    pending_ = std::move(fresh);
    TemporaryChange keep_connection(requerying_, true);
    this->Close();
    this->Open();
  }
  if (rec_no > 1) this->MoveBy(rec_no - 1);
}

template <class Base>
bool TPgDataSet<Base>::UpperAgrees() {
  if (!upper_agrees_) upper_agrees_ = PgUpperAgrees(Connection());
  return *upper_agrees_;
}

template <class Base>
bool TPgDataSet<Base>::SetServerFilter(const TServerCondition& condition) {
  TServerCondition wanted = push_down_ && this->Active() ? condition : TServerCondition::True();
  if (wanted == filter_) return true;
  if (wanted.UsesUpper()) UpperAgrees();
  ApplyFilter(std::move(wanted));
  return true;
}

template <class Base>
void TPgDataSet<Base>::SetPushDown(bool value) {
  if (value == push_down_) return;
  push_down_ = value;
  if (!push_down_ && !filter_.IsTrue()) ApplyFilter(TServerCondition::True());
}

template <class Base>
void TPgDataSet<Base>::ApplyFilter(TServerCondition filter) {
  TServerCondition previous = std::exchange(filter_, std::move(filter));
  if (!this->Active()) return;
  try {
    Requery();
  } catch (...) {
    // The rows shown are still those of the previous condition: so is the condition, or
    // asking for the same again later would be taken for done.
    filter_ = std::move(previous);
    throw;
  }
}

template <class Base>
PgConditionSql TPgDataSet<Base>::FilterSql() const {
  // The fields read the first columns, one each (DefineFields): a term names a field.
  std::vector<PgConditionColumn> columns;
  const auto fields = static_cast<std::size_t>(this->FieldDefs().Count());
  for (std::size_t c = 0; c < filter_columns_.size() && c < fields; ++c) {
    const std::string& field = this->FieldDefs().Items(static_cast<int>(c)).name;
    columns.push_back({filter_columns_[c].name, filter_columns_[c].oid, field});
  }
  return RenderPgCondition(filter_, columns, upper_agrees_.value_or(false),
                           static_cast<int>(condition_params_.size()) + 1);
}

template <class Base>
std::string TPgDataSet<Base>::ReadCondition() const {
  const std::string filter = FilterSql().sql;
  if (filter.empty()) return condition_;
  if (condition_.empty()) return filter;
  return "(" + condition_ + ") AND " + filter;
}

// The two PostgreSQL data sets: their members defined here are made once, for them.
template class TPgDataSet<TDataSet>;
template class TPgDataSet<TTable>;

}  // namespace vantor
