// Filtering a million-row table of a PostgreSQL server by example, the criteria pushed
// down to the server against loading the whole table and filtering it on the client,
// in the same run:
//   BM_FilterPushedDown / BM_FilterOnClient   a name prefix and an amount range, entered
//                                             anew each time (two prefixes in turn)
// The server is a throwaway one the program starts itself (as the tests do); the table
// has an index on the name that a LIKE prefix can use.
#include <benchmark/benchmark.h>

#include <string>

#include <vantor/engines/filter_panel.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/postgres/pg_table.h>
#include "pg_bench_database.h"

namespace vantor::bench {
namespace {

constexpr int kRows = 1'000'000;

// The server and its table, made once for the program.
const std::string* ConnInfo() {
  return PgBenchDatabase(
      "CREATE TABLE big (id integer PRIMARY KEY, name varchar(40), city varchar(40), amount integer);"
      "INSERT INTO big SELECT i, 'c' || i, 'city' || (i % 97), i % 1000 "
      "FROM generate_series(1, " + std::to_string(kRows) + ") AS i;"
      "CREATE INDEX big_name ON big (name text_pattern_ops);"
      "ANALYZE big");
}

// A filter panel on the table, with an amount range and a name prefix entered.
struct Filtering {
  explicit Filtering(bool push_down) : table(nullptr), source(nullptr), panel(nullptr) {
    table.SetConnectionString(*ConnInfo());
    table.SetTableName("big");
    table.SetPushDown(push_down);
    table.Open();
    source.SetDataSet(&table);
    panel.SetDataSource(&source);
    TFieldRecord* amount = panel.FieldByName("amount");
    amount->SetCount(coTwo);
    amount->SetValues(0, Variant(100));
    amount->SetValues(1, Variant(900));
    name = panel.FieldByName("name");
    name->SetCount(coOne);
    name->SetCompare(ctInitial);
    name->SetCaseInsensitive(false);
    name->SetValues(0, Variant("c12345"));
    panel.SetFiltered(true);
  }
  ~Filtering() {
    panel.SetDataSource(nullptr);
    source.SetDataSet(nullptr);
  }
  // The other prefix, so that each time the filter is built anew.
  int Next(bool reload) {
    flip = !flip;
    if (reload) table.Requery();
    name->SetValues(0, Variant(flip ? "c54321" : "c12345"));
    return table.RecordCount();
  }
  TPgTable table;
  TDataSource source;
  TDBFilterPanel panel;
  TFieldRecord* name = nullptr;
  bool flip = false;
};

void BM_FilterPushedDown(benchmark::State& state) {
  if (ConnInfo() == nullptr) return state.SkipWithError("no PostgreSQL server binaries");
  Filtering f(true);
  for (auto _ : state) benchmark::DoNotOptimize(f.Next(false));
  state.counters["rows_read"] = static_cast<double>(f.table.RowsRead());
}
BENCHMARK(BM_FilterPushedDown)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_FilterOnClient(benchmark::State& state) {
  if (ConnInfo() == nullptr) return state.SkipWithError("no PostgreSQL server binaries");
  Filtering f(false);
  for (auto _ : state) benchmark::DoNotOptimize(f.Next(true));
  state.counters["rows_read"] = static_cast<double>(f.table.RowsRead());
}
BENCHMARK(BM_FilterOnClient)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace vantor::bench
