// Filtering a million customers by example with three criteria (a name prefix, a city,
// a credit-limit range), each measured next to baselines in the same run:
//   BM_FilterPanel / BM_PlainLoop         the panel's first pass against a loop over the
//                                         same values held in vectors, on one thread
//                                         (target: at most 1.0x)
//   BM_RefiningKeystroke / BM_PlainLoop   one more character of the name prefix, filtered
//                                         again by the panel (target: at most 0.3x)
//   BM_FilterPanel / BM_HandWrittenFilter the same tests written against the fields
//   BM_FilterPanel / BM_SQLiteWhere       for reference
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <vector>

#include <vantor/engines/filter_panel.h>
#include "engines_sample.h"
#include <vantor/platform/data/field.h>
#include <vantor/platform/rtl/ansi_strings.h>

namespace vantor::bench {
namespace {

constexpr double kLow = 1000;
constexpr double kHigh = 5000;

// A filter panel on the customers with the three criteria entered (name prefix `prefix`).
struct ThreeCriteria {
  explicit ThreeCriteria(const char* prefix) : panel(nullptr) {
    Customers& c = Customers::Get();
    panel.SetUpdateState(usNone);
    panel.SetDataSource(&c.source);
    name = panel.FieldByName("name");
    name->SetCount(coOne);
    name->SetCompare(ctInitial);
    name->SetValues(0, Variant(prefix));
    TFieldRecord* city = panel.FieldByName("city");
    city->SetCount(coOne);
    city->SetCompare(ctExact);
    city->SetValues(0, Variant("berlin"));
    TFieldRecord* limit = panel.FieldByName("credit_limit");
    limit->SetCount(coTwo);
    limit->SetValues(0, Variant(kLow));
    limit->SetValues(1, Variant(kHigh));
    panel.ValuesChanged();
  }
  ~ThreeCriteria() { panel.SetDataSource(nullptr); }
  TDBFilterPanel panel;
  TFieldRecord* name = nullptr;
};

void BM_FilterPanel(benchmark::State& state) {
  Customers& c = Customers::Get();
  ThreeCriteria f("S");
  int count = 0;
  for (auto _ : state) {
    f.panel.CompiledFilter().Forget();  // a first pass: nothing learned from the one before
    f.panel.SetFiltered(false);
    f.panel.SetFiltered(true);
    count = c.table.RecordCount();
    benchmark::DoNotOptimize(count);
  }
  state.counters["matches"] = count;
}
BENCHMARK(BM_FilterPanel)->Unit(benchmark::kMillisecond);

// The user types one more character of the name ("S" was filtered before): the panel
// applies the value, the data set filters again and returns to its first record.
void BM_RefiningKeystroke(benchmark::State& state) {
  Customers& c = Customers::Get();
  ThreeCriteria f("S");
  f.panel.SetUpdateState(usAuto);
  f.panel.SetFiltered(true);
  int count = 0;
  for (auto _ : state) {
    state.PauseTiming();
    f.name->SetValues(0, Variant("S"));
    state.ResumeTiming();
    f.name->SetValues(0, Variant("Sc"));
    count = c.table.RecordCount();
    benchmark::DoNotOptimize(count);
  }
  state.counters["matches"] = count;
  state.counters["refined"] = f.panel.CompiledFilter().LastPass().refined ? 1 : 0;
}
BENCHMARK(BM_RefiningKeystroke)->Unit(benchmark::kMillisecond);

// The limit a user can write by hand: the same values in vectors, the same three tests
// with the same case rules, one thread, the matching row numbers collected.
void BM_PlainLoop(benchmark::State& state) {
  Customers& c = Customers::Get();
  std::vector<std::string> names, cities;
  std::vector<double> limits;
  std::vector<bool> limit_null;
  TField* name = c.table.FieldByName("name");
  TField* city = c.table.FieldByName("city");
  TField* limit = c.table.FieldByName("credit_limit");
  for (c.table.First(); !c.table.Eof(); c.table.Next()) {
    names.push_back(name->AsString());
    cities.push_back(city->AsString());
    limit_null.push_back(limit->IsNull());
    limits.push_back(limit->AsFloat());
  }
  std::vector<std::uint32_t> rows;
  for (auto _ : state) {
    rows.clear();
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (!limit_null[i] && limits[i] >= kLow && limits[i] <= kHigh && AnsiStartsText("S", names[i]) &&
          AnsiSameText(cities[i], "berlin")) {
        rows.push_back(static_cast<std::uint32_t>(i));
      }
    }
    benchmark::DoNotOptimize(rows.data());
  }
  state.counters["matches"] = static_cast<double>(rows.size());
}
BENCHMARK(BM_PlainLoop)->Unit(benchmark::kMillisecond);

// The same three tests written directly against the fields, installed the same way.
void BM_HandWrittenFilter(benchmark::State& state) {
  Customers& c = Customers::Get();
  TField* name = c.table.FieldByName("name");
  TField* city = c.table.FieldByName("city");
  TField* limit = c.table.FieldByName("credit_limit");
  c.table.SetOnFilterRecord([&](TDataSet*, bool& accept) {
    accept = AnsiStartsText("S", name->AsString()) && AnsiSameText(city->AsString(), "berlin");
    if (!accept) return;
    const Variant v = limit->AsVariant();
    accept = !v.IsNull() && v.AsDouble() >= kLow && v.AsDouble() <= kHigh;
  });
  int count = 0;
  for (auto _ : state) {
    c.table.SetFiltered(false);
    c.table.SetFiltered(true);
    count = c.table.RecordCount();
    benchmark::DoNotOptimize(count);
  }
  state.counters["matches"] = count;
  c.table.SetFiltered(false);
  c.table.SetOnFilterRecord(TFilterRecordEvent{});
}
BENCHMARK(BM_HandWrittenFilter)->Unit(benchmark::kMillisecond);

// SQLite itself on the same file: the rows of the equivalent WHERE, stepped through.
void BM_SQLiteWhere(benchmark::State& state) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(MillionSamplePath().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db,
                     "SELECT * FROM customers WHERE name LIKE 'S%' AND city = 'berlin' COLLATE NOCASE "
                     "AND credit_limit BETWEEN ?1 AND ?2",
                     -1, &stmt, nullptr);
  sqlite3_bind_double(stmt, 1, kLow);
  sqlite3_bind_double(stmt, 2, kHigh);
  int count = 0;
  for (auto _ : state) {
    count = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) ++count;
    sqlite3_reset(stmt);
    benchmark::DoNotOptimize(count);
  }
  state.counters["matches"] = count;
  sqlite3_finalize(stmt);
  sqlite3_close(db);
}
BENCHMARK(BM_SQLiteWhere)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vantor::bench
