// Finding one customer among a million along the name index (case-insensitive):
//   BM_LocateNormal / BM_LocateFast   the seek's gain for a selective key (target >= 1000x)
//   BM_IncrementalKeystroke           one typed character in usAuto: value change, field
//                                     map rebuild and the seek (target < 1 ms)
#include <benchmark/benchmark.h>

#include <vantor/engines/find_panel.h>
#include "engines_sample.h"

namespace vantor::bench {
namespace {

// Late in the name order, so that a walk from the start passes most of the table.
constexpr const char* kName = "Weber, Zoe";

void LocateWith(benchmark::State& state, TFindOptions options) {
  Customers& c = Customers::Get();
  c.table.SetIndexName("customers_name");
  TDBFindPanel panel(nullptr);
  panel.SetUpdateState(usNone);
  panel.SetDataSource(&c.source);
  TFieldRecord* name = panel.FieldByName("name");
  name->SetCount(coOne);
  name->SetCompare(ctInitial);
  name->SetValues(0, Variant(kName));
  panel.SetFindOptions(options);
  bool found = false;
  for (auto _ : state) {
    c.table.First();
    found = panel.Locate();
    benchmark::DoNotOptimize(found);
  }
  if (!found) state.SkipWithError("not found");
  panel.SetDataSource(nullptr);
}

void BM_LocateFast(benchmark::State& state) { LocateWith(state, foFast); }
BENCHMARK(BM_LocateFast)->Unit(benchmark::kMicrosecond);

void BM_LocateNormal(benchmark::State& state) { LocateWith(state, foNormal); }
BENCHMARK(BM_LocateNormal)->Unit(benchmark::kMicrosecond);

void BM_IncrementalKeystroke(benchmark::State& state) {
  Customers& c = Customers::Get();
  c.table.SetIndexName("customers_name");
  TDBFindPanel panel(nullptr);
  panel.SetDataSource(&c.source);  // usAuto: every value change searches
  TFieldRecord* name = panel.FieldByName("name");
  name->SetCount(coOne);
  name->SetCompare(ctInitial);
  const Variant typed[2] = {Variant("Weber, Z"), Variant("Weber, Zo")};
  int i = 0;
  for (auto _ : state) {
    name->SetValues(0, typed[i ^= 1]);
  }
  benchmark::DoNotOptimize(c.table.RecNo());
  panel.SetDataSource(nullptr);
}
BENCHMARK(BM_IncrementalKeystroke)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vantor::bench
