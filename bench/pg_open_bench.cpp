// Opening a million-row table of a PostgreSQL server, each measured next to a baseline
// in the same run (the ratio is what counts):
//   BM_OpenPgTable / BM_OpenPgQuery   vs BM_LibpqSingleRowLoop (the same SELECT read row by
//                                       row with plain libpq, each cell parsed as the
//                                       data sets parse it, nothing kept)
//                                     vs BM_LibpqWholeResult   (psql's way: the whole result
//                                       in libpq's memory, then a loop over its cells)
// The server is a throwaway one (see tests/support/pg_server.h), started once per run;
// VANTOR_BENCH_PG_ROWS sets the row count (default 1000000).

#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <charconv>
#include <cstdlib>
#include <memory>
#include <string>

#include <vantor/platform/postgres/pg_query.h>
#include <vantor/platform/postgres/pg_table.h>
#include "support/pg_server.h"

namespace {

using namespace vantor;

const char* const kSelect = "SELECT id, name, n, ts, amount, flag FROM big";

// The server with the table `big`: id int4 key, name text, n int4, ts timestamp,
// amount numeric(10,2), flag bool.
struct Server {
  std::unique_ptr<testing_support::PgServer> server;
  std::string conninfo;
  std::string error;
  int rows = 1000000;

  Server() {
    if (const char* env = std::getenv("VANTOR_BENCH_PG_ROWS")) rows = std::atoi(env);
    try {
      server = testing_support::PgServer::Start();
      conninfo = server->CreateDatabase("bench");
      testing_support::PgExec(conninfo,
                              "CREATE TABLE big AS SELECT g AS id, md5(g::text) AS name, (g % 1000)::int4 AS n, "
                              "timestamp '2020-01-01' + g * interval '1 second' AS ts, "
                              "((g % 100000) / 100.0)::numeric(10,2) AS amount, g % 3 = 0 AS flag "
                              "FROM generate_series(1, " + std::to_string(rows) + ") g;"
                              "ALTER TABLE big ADD PRIMARY KEY (id)");
      // VACUUM runs on its own, outside the transaction of a multi-statement string.
      testing_support::PgExec(conninfo, "VACUUM ANALYZE big");
    } catch (const std::exception& e) {
      error = e.what();
    }
  }
};

Server& TheServer() {
  static Server server;
  return server;
}

bool Ready(benchmark::State& state) {
  if (!TheServer().error.empty()) {
    state.SkipWithError(TheServer().error.c_str());
    return false;
  }
  return true;
}

// What the data sets do to each cell, without keeping it: integers and booleans parsed,
// texts measured.
std::int64_t Consume(const char* value, int length, int column) {
  if (column == 0 || column == 2) {
    int v = 0;
    std::from_chars(value, value + length, v);
    return v;
  }
  if (column == 5) return value[0] == 't' ? 1 : 0;
  return length;
}

void BM_OpenPgTable(benchmark::State& state) {
  if (!Ready(state)) return;
  for (auto _ : state) {
    TPgTable table(nullptr);
    table.SetConnectionString(TheServer().conninfo);
    table.SetTableName("big");
    table.Open();
    benchmark::DoNotOptimize(table.RecordCount());
  }
  state.SetItemsProcessed(state.iterations() * TheServer().rows);
}

void BM_OpenPgQuery(benchmark::State& state) {
  if (!Ready(state)) return;
  for (auto _ : state) {
    TPgQuery query(nullptr);
    query.SetConnectionString(TheServer().conninfo);
    query.SetSQL(kSelect);
    query.Open();
    benchmark::DoNotOptimize(query.RecordCount());
  }
  state.SetItemsProcessed(state.iterations() * TheServer().rows);
}

void BM_LibpqSingleRowLoop(benchmark::State& state) {
  if (!Ready(state)) return;
  for (auto _ : state) {
    PGconn* conn = PQconnectdb(TheServer().conninfo.c_str());
    PQsendQuery(conn, kSelect);
    PQsetSingleRowMode(conn);
    std::int64_t sum = 0;
    while (PGresult* r = PQgetResult(conn)) {
      if (PQresultStatus(r) == PGRES_SINGLE_TUPLE) {
        for (int c = 0; c < PQnfields(r); ++c) sum += Consume(PQgetvalue(r, 0, c), PQgetlength(r, 0, c), c);
      }
      PQclear(r);
    }
    benchmark::DoNotOptimize(sum);
    PQfinish(conn);
  }
  state.SetItemsProcessed(state.iterations() * TheServer().rows);
}

void BM_LibpqWholeResult(benchmark::State& state) {
  if (!Ready(state)) return;
  for (auto _ : state) {
    PGconn* conn = PQconnectdb(TheServer().conninfo.c_str());
    PGresult* r = PQexec(conn, kSelect);
    std::int64_t sum = 0;
    for (int row = 0; row < PQntuples(r); ++row) {
      for (int c = 0; c < PQnfields(r); ++c) sum += Consume(PQgetvalue(r, row, c), PQgetlength(r, row, c), c);
    }
    benchmark::DoNotOptimize(sum);
    PQclear(r);
    PQfinish(conn);
  }
  state.SetItemsProcessed(state.iterations() * TheServer().rows);
}

BENCHMARK(BM_OpenPgTable)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenPgQuery)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LibpqSingleRowLoop)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LibpqWholeResult)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
