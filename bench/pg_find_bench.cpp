// Finding the first record by example in a million-row table of a PostgreSQL server: the
// find panel searches for a name prefix, another one each time, in the same run:
//   BM_OpenAndFindFastOnDemand    the table opened, read on demand (FetchRows), and foFast:
//                                 one seek along the name index on the server, a window read
//   BM_OpenAndFindNormalOnDemand  the same with foNormal: a walk from the first record, a
//                                 window at a time, to the match
//   BM_OpenAndFindFastWholeTable  the table read whole at Open, foFast along the index in memory
//   BM_FindFastOnDemand           the table open already (on demand): the seek alone
// The server is a throwaway one the program starts itself (as the tests do).
#include <benchmark/benchmark.h>

#include <string>

#include <vantor/engines/find_panel.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/postgres/pg_table.h>
#include "pg_bench_database.h"

namespace vantor::bench {
namespace {

constexpr int kRows = 1'000'000;

// The server and its table, made once for the program. Names are 'n' and six digits in an
// order unrelated to the key, so a walk in key order meets a prefix anywhere.
const std::string* ConnInfo() {
  return PgBenchDatabase(
      "CREATE TABLE big (id integer PRIMARY KEY, name text, amount integer);"
      "INSERT INTO big SELECT i, 'n' || lpad(((i::bigint * 7919) % " + std::to_string(kRows) +
          ")::text, 6, '0'), i % 1000 FROM generate_series(1, " + std::to_string(kRows) + ") AS i;"
      "CREATE INDEX big_name ON big (name); ANALYZE big");
}

// Opens the table (read on demand when fetch_rows > 0), finds the first name that begins
// with the next prefix, and answers the id found.
struct Finding {
  Finding(int fetch_rows, TFindOptions mode) : table(nullptr), source(nullptr), panel(nullptr) {
    table.SetConnectionString(*ConnInfo());
    table.SetTableName("big");
    table.SetIndexName("big_name");
    table.SetFetchRows(fetch_rows);
    source.SetDataSet(&table);
    panel.SetDataSource(&source);
    panel.SetUpdateState(usNone);
    panel.SetShowBox(false);
    panel.SetFindOptions(mode);
  }
  ~Finding() {
    panel.SetDataSource(nullptr);
    source.SetDataSet(nullptr);
  }
  int Next(bool reopen) {
    if (reopen || !table.Active()) {
      table.Close();
      table.Open();
    }
    const std::size_t before = table.RowsRead();
    // Prefixes spread over the table: n1234.., n2345.., ...
    prefix = (prefix + 1111) % 10000;
    TFieldRecord* name = panel.FieldByName("name");
    name->SetCompare(ctInitial);
    name->SetCaseInsensitive(false);
    name->SetValues(0, Variant("n" + std::to_string(10000 + prefix).substr(1)));
    panel.SetRestart(true);
    const int found = panel.Locate() ? table.FieldByName("id")->AsInteger() : 0;
    rows_read += table.RowsRead() - (reopen ? 0 : before);
    return found;
  }
  TPgTable table;
  TDataSource source;
  TDBFindPanel panel;
  int prefix = 0;
  std::size_t rows_read = 0;
};

void Run(benchmark::State& state, int fetch_rows, TFindOptions mode, bool reopen) {
  if (ConnInfo() == nullptr) return state.SkipWithError("no PostgreSQL server binaries");
  Finding f(fetch_rows, mode);
  if (!reopen) f.Next(true);
  f.rows_read = 0;
  for (auto _ : state) benchmark::DoNotOptimize(f.Next(reopen));
  state.counters["rows_read"] = static_cast<double>(f.rows_read) / static_cast<double>(state.iterations());
}

void BM_OpenAndFindFastOnDemand(benchmark::State& state) { Run(state, 200, foFast, true); }
BENCHMARK(BM_OpenAndFindFastOnDemand)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_OpenAndFindNormalOnDemand(benchmark::State& state) { Run(state, 2000, foNormal, true); }
BENCHMARK(BM_OpenAndFindNormalOnDemand)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_OpenAndFindFastWholeTable(benchmark::State& state) { Run(state, 0, foFast, true); }
BENCHMARK(BM_OpenAndFindFastWholeTable)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FindFastOnDemand(benchmark::State& state) { Run(state, 200, foFast, false); }
BENCHMARK(BM_FindFastOnDemand)->Unit(benchmark::kMillisecond)->Iterations(9);

}  // namespace
}  // namespace vantor::bench
