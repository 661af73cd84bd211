// The in-memory table and the SQLite table on a million rows, each measured next to a
// baseline in the same run (the ratio is what counts):
//   BM_GotoNearest        vs BM_LowerBoundBaseline   (seek on an index vs std::lower_bound)
//   BM_FilteredWalk       vs BM_PlainWalk            (walk with an accept-all filter vs without)
//                         and BM_RawLoopBaseline     (a loop over a vector of the same values)
//   BM_OpenSQLiteTable    vs BM_SQLiteStepBaseline   (Open vs SQLite's own step loop)
//   BM_AppendAutoInc      vs BM_AppendPlain          (numbering each new row vs numbers given)
//   BM_EmptyTable         vs BM_AppendPlain          (dropping the rows vs adding them)
// BM_PlainWalk reports the row store's memory against the raw bytes of the values.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <vantor/platform/data/sample_database.h>
#include <vantor/platform/data/sqlite_table.h>
#include <vantor/platform/data/table.h>

namespace {

using namespace vantor;

constexpr int kRows = 1000000;

// One table of kRows rows with an integer key (random, indexed) and a text column.
struct KeyedTable {
  TComponent owner{nullptr};
  TTable* table = nullptr;
  std::vector<std::int32_t> sorted_keys;
  std::vector<std::int32_t> keys_in_row_order;

  KeyedTable() {
    table = new TTable(&owner);
    table->FieldDefs().Add("key", TFieldType::ftInteger);
    table->FieldDefs().Add("name", TFieldType::ftString, 24);
    table->IndexDefs().Add("by_key", "key", {});
    table->Open();
    std::mt19937 rng(7);
    TField* key = table->FieldByName("key");
    TField* name = table->FieldByName("name");
    table->DisableControls();
    for (int i = 0; i < kRows; ++i) {
      const auto k = static_cast<std::int32_t>(rng() % 100000000u);
      table->Append();
      key->SetAsInteger(k);
      name->SetAsString("Customer " + std::to_string(i));
      table->Post();
      keys_in_row_order.push_back(k);
    }
    table->EnableControls();
    table->SetIndexName("by_key");
    sorted_keys = keys_in_row_order;
    std::sort(sorted_keys.begin(), sorted_keys.end());
  }
};

KeyedTable& Keyed() {
  static KeyedTable t;
  return t;
}

std::vector<std::int32_t> Probes() {
  std::mt19937 rng(11);
  std::vector<std::int32_t> p(4096);
  for (auto& v : p) v = static_cast<std::int32_t>(rng() % 100000000u);
  return p;
}

void BM_LowerBoundBaseline(benchmark::State& state) {
  const auto& keys = Keyed().sorted_keys;
  const auto probes = Probes();
  std::size_t i = 0;
  for (auto _ : state) {
    auto it = std::lower_bound(keys.begin(), keys.end(), probes[i++ & 4095]);
    benchmark::DoNotOptimize(it);
  }
}
BENCHMARK(BM_LowerBoundBaseline);

void BM_GotoNearest(benchmark::State& state) {
  TTable& t = *Keyed().table;
  TField* key = t.FieldByName("key");
  const auto probes = Probes();
  std::size_t i = 0;
  for (auto _ : state) {
    t.SetKey();
    key->SetAsInteger(probes[i++ & 4095]);
    t.GotoNearest();
    benchmark::DoNotOptimize(t.RecNo());
  }
}
BENCHMARK(BM_GotoNearest);

std::int64_t Walk(TTable& t) {
  TField* key = t.FieldByName("key");
  std::int64_t sum = 0;
  for (t.First(); !t.Eof(); t.Next()) sum += key->AsInteger();
  return sum;
}

void BM_RawLoopBaseline(benchmark::State& state) {
  const auto& keys = Keyed().keys_in_row_order;
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (std::int32_t k : keys) sum += k;
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_RawLoopBaseline)->Unit(benchmark::kMillisecond);

void BM_PlainWalk(benchmark::State& state) {
  TTable& t = *Keyed().table;
  t.SetFiltered(false);
  for (auto _ : state) benchmark::DoNotOptimize(Walk(t));
  state.counters["store_bytes"] = static_cast<double>(t.RowStoreMemory());
  state.counters["raw_bytes"] = static_cast<double>(t.RowStoreRawBytes());
  state.counters["memory_ratio"] = static_cast<double>(t.RowStoreMemory()) / static_cast<double>(t.RowStoreRawBytes());
}
BENCHMARK(BM_PlainWalk)->Unit(benchmark::kMillisecond);

void BM_FilteredWalk(benchmark::State& state) {
  TTable& t = *Keyed().table;
  t.SetOnFilterRecord([](TDataSet*, bool& accept) { accept = true; });
  for (auto _ : state) {
    t.SetFiltered(true);  // re-reads every row through the callback
    benchmark::DoNotOptimize(Walk(t));
    t.SetFiltered(false);
  }
}
BENCHMARK(BM_FilteredWalk)->Unit(benchmark::kMillisecond);

constexpr int kAppendRows = 100000;

// A fresh open table of an id (auto-numbered or not) and a name, indexed by name.
std::unique_ptr<TTable> NewTable(TComponent& owner, TFieldType id_type) {
  auto t = std::make_unique<TTable>(&owner);
  t->FieldDefs().Add("id", id_type);
  t->FieldDefs().Add("name", TFieldType::ftString, 24);
  t->IndexDefs().Add("by_name", "name", {});
  t->Open();
  return t;
}

void AppendRows(TTable& t, bool number) {
  TField* id = t.FieldByName("id");
  TField* name = t.FieldByName("name");
  for (int i = 0; i < kAppendRows; ++i) {
    t.Append();
    if (number) id->SetAsInteger(i + 1);
    name->SetAsString("Customer " + std::to_string(i));
    t.Post();
  }
}

void BM_AppendPlain(benchmark::State& state) {
  TComponent owner(nullptr);
  for (auto _ : state) {
    auto t = NewTable(owner, TFieldType::ftInteger);
    AppendRows(*t, true);
    benchmark::DoNotOptimize(t->RecordCount());
  }
}
BENCHMARK(BM_AppendPlain)->Unit(benchmark::kMillisecond);

void BM_AppendAutoInc(benchmark::State& state) {
  TComponent owner(nullptr);
  for (auto _ : state) {
    auto t = NewTable(owner, TFieldType::ftAutoInc);
    AppendRows(*t, false);
    benchmark::DoNotOptimize(t->RecordCount());
  }
}
BENCHMARK(BM_AppendAutoInc)->Unit(benchmark::kMillisecond);

void BM_EmptyTable(benchmark::State& state) {
  TComponent owner(nullptr);
  for (auto _ : state) {
    state.PauseTiming();
    auto t = NewTable(owner, TFieldType::ftInteger);
    AppendRows(*t, true);
    t->SetIndexName("by_name");
    state.ResumeTiming();
    t->EmptyTable();
    benchmark::DoNotOptimize(t->RecordCount());
    state.PauseTiming();
    t.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_EmptyTable)->Unit(benchmark::kMillisecond)->Iterations(5);  // filling dominates otherwise

const std::string& SampleFile() {
  static const std::string path = [] {
    std::string p = "/tmp/vantor_bench_sample_" + std::to_string(kRows) + ".db";
    CreateSampleDatabase(p, kRows, 0);
    return p;
  }();
  return path;
}

void BM_SQLiteStepBaseline(benchmark::State& state) {
  const std::string& path = SampleFile();
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM customers", -1, &s, nullptr);
    const int columns = sqlite3_column_count(s);
    std::int64_t bytes = 0;
    while (sqlite3_step(s) == SQLITE_ROW) {
      for (int c = 0; c < columns; ++c) {
        switch (sqlite3_column_type(s, c)) {
          case SQLITE_INTEGER: bytes += sqlite3_column_int64(s, c); break;
          case SQLITE_FLOAT: bytes += static_cast<std::int64_t>(sqlite3_column_double(s, c)); break;
          case SQLITE_NULL: break;
          default: bytes += sqlite3_column_bytes(s, c); break;
        }
      }
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    benchmark::DoNotOptimize(bytes);
  }
}
BENCHMARK(BM_SQLiteStepBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenSQLiteTable(benchmark::State& state) {
  const std::string& path = SampleFile();
  TComponent owner(nullptr);
  TSQLiteTable t(&owner);
  t.SetDatabaseName(path);
  t.SetTableName("customers");
  for (auto _ : state) {
    t.Open();
    benchmark::DoNotOptimize(t.RecordCount());
    state.PauseTiming();
    state.counters["memory_ratio"] = static_cast<double>(t.RowStoreMemory()) / static_cast<double>(t.RowStoreRawBytes());
    t.Close();
    state.ResumeTiming();
  }
}
// Wall time: the rows are stepped on a second thread while this one converts them.
BENCHMARK(BM_OpenSQLiteTable)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
