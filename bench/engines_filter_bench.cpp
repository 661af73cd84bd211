// Filtering a million customers by example with three criteria (a name prefix, a city,
// a credit-limit range), against the same filter written by hand and against SQLite
// running the equivalent WHERE on the same file. Compare the times of one run:
//   BM_FilterPanel / BM_HandWrittenFilter   target: within 3x
//   BM_FilterPanel / BM_SQLiteWhere         for reference
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <vantor/engines/filter_panel.h>
#include "engines_sample.h"
#include <vantor/platform/data/field.h>
#include <vantor/platform/rtl/ansi_strings.h>

namespace vantor::bench {
namespace {

constexpr double kLow = 1000;
constexpr double kHigh = 5000;

void BM_FilterPanel(benchmark::State& state) {
  Customers& c = Customers::Get();
  TDBFilterPanel panel(nullptr);
  panel.SetUpdateState(usNone);
  panel.SetDataSource(&c.source);
  TFieldRecord* name = panel.FieldByName("name");
  name->SetCount(coOne);
  name->SetCompare(ctInitial);
  name->SetValues(0, Variant("S"));
  TFieldRecord* city = panel.FieldByName("city");
  city->SetCount(coOne);
  city->SetCompare(ctExact);
  city->SetValues(0, Variant("berlin"));
  TFieldRecord* limit = panel.FieldByName("credit_limit");
  limit->SetCount(coTwo);
  limit->SetValues(0, Variant(kLow));
  limit->SetValues(1, Variant(kHigh));
  panel.ValuesChanged();
  int count = 0;
  for (auto _ : state) {
    panel.SetFiltered(false);
    panel.SetFiltered(true);
    count = c.table.RecordCount();
    benchmark::DoNotOptimize(count);
  }
  state.counters["matches"] = count;
  panel.SetDataSource(nullptr);
}
BENCHMARK(BM_FilterPanel)->Unit(benchmark::kMillisecond);

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
