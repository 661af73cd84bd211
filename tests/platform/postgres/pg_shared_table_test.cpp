// A PostgreSQL table open here while another client writes to it, in random steps (see
// support/shared_table_harness.h): read whole, read on demand by the key or by a value, and
// without a key.

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <iostream>
#include <memory>
#include <stdexcept>

#include <vantor/platform/postgres/pg_table.h>
#include "support/pg_environment.h"
#include "support/shared_table_harness.h"

namespace vantor::testing_support {
namespace {

class PgShared : public SharedTableBackend {
 public:
  PgShared(std::string conninfo, const char* columns, int fetch_rows, bool keyed, const char* order)
      : conninfo_(std::move(conninfo)), columns_(columns), fetch_rows_(fetch_rows), keyed_(keyed), order_(order) {
    other_ = PQconnectdb(conninfo_.c_str());
    if (PQstatus(other_) != CONNECTION_OK) throw std::runtime_error(PQerrorMessage(other_));
  }
  ~PgShared() override {
    PQfinish(other_);
    PgExec(conninfo_, "DROP TABLE IF EXISTS shared");
  }

  std::string CreateTable() const override {
    return std::string("CREATE TABLE shared ") + columns_ + "; CREATE INDEX shared_v ON shared (v)";
  }
  std::string OrderField() const override { return order_; }
  bool KeyIdentifies() const override { return keyed_; }
  bool ReadsWhole() const override { return fetch_rows_ == 0; }
  void OtherExec(const std::string& sql) override { Run(sql, PGRES_COMMAND_OK); }
  std::vector<std::string> OtherRows(const std::string& sql) override {
    PGresult* result = Run(sql, PGRES_TUPLES_OK);
    std::vector<std::string> rows;
    for (int r = 0; r < PQntuples(result); ++r) {
      std::string row;
      for (int c = 0; c < PQnfields(result); ++c) {
        row += (c == 0 ? "" : "|") + std::string(PQgetisnull(result, r, c) ? "NULL" : PQgetvalue(result, r, c));
      }
      rows.push_back(std::move(row));
    }
    PQclear(result);
    return rows;
  }
  std::unique_ptr<TTable> Open() override {
    auto table = std::make_unique<TPgTable>(nullptr);
    table->SetConnectionString(conninfo_);
    table->SetTableName("shared");
    table->SetFetchRows(fetch_rows_);
    table->SetIndexFieldNames(order_);
    table->Open();
    return table;
  }
  // Requery reads every row; a new opening reads on demand again.
  void Reread(TTable& table) override {
    if (++rereads_ % 2 == 0) {
      static_cast<TPgTable&>(table).Requery();
      return;
    }
    table.Close();
    table.Open();
  }

 private:
  // The result of `sql` when it has `status`; else throws with the server's message.
  PGresult* Run(const std::string& sql, ExecStatusType status) {
    PGresult* result = PQexec(other_, sql.c_str());
    if (PQresultStatus(result) == status) {
      if (status == PGRES_COMMAND_OK) PQclear(result);
      return status == PGRES_COMMAND_OK ? nullptr : result;
    }
    const std::string message = PQresultErrorMessage(result);
    PQclear(result);
    throw std::runtime_error(message + " in " + sql);
  }

  std::string conninfo_;
  const char* columns_;
  int fetch_rows_;
  bool keyed_;
  std::string order_;
  int rereads_ = 0;
  PGconn* other_ = nullptr;
};

class PgSharedTable : public PgTest {};

TEST_F(PgSharedTable, WritesReachTheRowShownOrAreRefusedWhateverAnotherClientDoesInBetween) {
  struct Layout {
    const char* name;
    const char* columns;
    int fetch_rows;
    bool keyed;
    const char* order;
  };
  const Layout layouts[] = {
      {"text key, read whole", "(k text PRIMARY KEY, ident int4, v int4)", 0, true, "k"},
      {"text key, read on demand", "(k text PRIMARY KEY, ident int4, v int4)", 4, true, "k"},
      {"integer key, read on demand by value", "(k int8 PRIMARY KEY, ident int4, v int4)", 3, true, "v"},
      {"text key, read on demand by value", "(k text PRIMARY KEY, ident int4, v int4)", 2, true, "v"},
      {"no key", "(k int4, ident int4, v int4)", 0, false, "v"},
  };
  for (const Layout& layout : layouts) {
    SharedTableRun total;
    for (unsigned seed = 1; seed <= 3; ++seed) {
      SCOPED_TRACE(std::string(layout.name) + ", seed " + std::to_string(seed));
      PgShared backend(ConnInfo(), layout.columns, layout.fetch_rows, layout.keyed, layout.order);
      total += RunSharedTable(backend, seed, 120);
      if (HasFailure()) return;
    }
    std::cout << "[ shared ] PostgreSQL, " << layout.name << ": " << total.steps << " steps, " << total.writes_done
              << " writes done, " << total.writes_refused << " refused, " << total.readings << " readings checked\n";
    EXPECT_GT(total.writes_refused, 0);
    // Without a key the table is read only: every write is refused.
    if (layout.keyed) {
      EXPECT_GT(total.writes_done, 0);
    } else {
      EXPECT_EQ(total.writes_done, 0);
    }
  }
}

}  // namespace
}  // namespace vantor::testing_support
