// The layout of a criteria panel with 200 fields (100 one-value text fields, 100 integer
// ranges), against creating the same controls by hand in the same run (a label and one
// or two edits per row, with their font, bounds and parent set, then freed). Each
// benchmark reports its CPU time per pass and, as "x_by_hand", that time over the CPU
// time of the hand-made rows measured just before it:
//   BM_LayoutBuild      every row's controls created by one pass   target: under 1 ms
//   BM_LayoutPass       a pass over rows whose controls all exist
//   BM_LayoutValueEdit  one field's value changed, then a pass      target: under 0.1 ms
//   BM_ValueEditAlone   the value change by itself (it writes one edit's text and asks
//                       for no relayout)
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdint>
#include <string>
#include <vector>

#include <vantor/criteria/field_record.h>
#include <vantor/panel/field_record_edit.h>
#include <vantor/panel/panel_fields_set.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/data/table.h>
#include <vantor/platform/ui/label.h>

namespace vantor::bench {
namespace {

constexpr int kFields = 200;

// A plain criteria panel with records of the base class.
class LayoutPanel : public TPanelFieldsSet {
 public:
  explicit LayoutPanel(TComponent* owner) : TPanelFieldsSet(owner) {
    CreateFieldsList(TFieldRecord::StaticType());
  }
  ~LayoutPanel() override { ReleaseDataSet(); }
};

// An open table of 200 columns and a panel showing all of them.
struct Rows {
  Rows() : table(nullptr), source(nullptr), panel(nullptr) {
    for (int i = 0; i < kFields; ++i) {
      std::string name = "F";
      name += std::to_string(i);
      if (i % 2 == 0) {
        table.FieldDefs().Add(name, TFieldType::ftString, 20);
      } else {
        table.FieldDefs().Add(name, TFieldType::ftInteger);
      }
    }
    table.Open();
    source.SetDataSet(&table);
    panel.SetUpdateState(usNone);
    panel.SetDataSource(&source);
  }
  ~Rows() { panel.SetDataSource(nullptr); }
  TTable table;
  TDataSource source;
  LayoutPanel panel;
};

// The same controls made by hand: per row a label and one edit, a second edit for the
// ranges, each given its font, bounds and parent. Returns them, for the caller to free
// outside the timing (as the layout's timing leaves out freeing the previous rows).
std::vector<TControl*> MakeRowsByHand(TWinControl& box, const TFont& font) {
  std::vector<TControl*> made;
  made.reserve(kFields * 3);
  for (int i = 0; i < kFields; ++i) {
    auto* label = new TLabel(&box);
    label->SetParentFont(false);
    label->SetFont(&font);
    std::string caption = "F";
    caption += std::to_string(i);
    label->SetCaption(caption);
    label->SetBounds(1, i * 23 + 4, label->Width(), label->Height());
    label->SetParent(&box);
    made.push_back(label);
    for (int slot = 0; slot < (i % 2 == 0 ? 1 : 2); ++slot) {
      auto* edit = new TFieldRecordEdit(&box);
      edit->SetParentFont(false);
      edit->SetFont(&font);
      edit->SetBounds(60 + slot * 100, i * 23, 88, edit->Height());
      edit->SetParent(&box);
      edit->SetTabOrder(static_cast<int>(made.size()));
      made.push_back(edit);
    }
  }
  return made;
}

void FreeRows(std::vector<TControl*>& made) {
  for (auto it = made.rbegin(); it != made.rend(); ++it) delete *it;
  made.clear();
}

// CPU time of this thread, in seconds: the machine may be shared, and the ratios should
// not depend on what else runs.
double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Seconds per hand-made set of rows, measured over enough repetitions.
double HandMadeSeconds() {
  TWinControl box(nullptr);
  TFont font;
  constexpr int kRuns = 20;
  double seconds = 0;
  for (int i = 0; i < kRuns; ++i) {
    const double start = CpuSeconds();
    std::vector<TControl*> made = MakeRowsByHand(box, font);
    seconds += CpuSeconds() - start;
    FreeRows(made);
  }
  return seconds / kRuns;
}

void Report(benchmark::State& state, double loop_seconds, double by_hand) {
  const double per_pass = loop_seconds / static_cast<double>(state.iterations());
  state.counters["us_per_pass"] = per_pass * 1e6;
  state.counters["x_by_hand"] = per_pass / by_hand;
}

void BM_RowsByHand(benchmark::State& state) {
  TWinControl box(nullptr);
  TFont font;
  for (auto _ : state) {
    std::vector<TControl*> made = MakeRowsByHand(box, font);
    state.PauseTiming();
    FreeRows(made);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_RowsByHand)->Unit(benchmark::kMicrosecond);

void BM_LayoutBuild(benchmark::State& state) {
  Rows rows;
  const double by_hand = HandMadeSeconds();
  TFieldsList& fields = *rows.panel.Fields();
  double seconds = 0;
  for (auto _ : state) {
    state.PauseTiming();
    for (int i = 0; i < fields.Count(); ++i) fields.Items(i)->DestroyComponents();
    state.ResumeTiming();
    const double start = CpuSeconds();
    rows.panel.PaintComponent();
    seconds += CpuSeconds() - start;
  }
  Report(state, seconds, by_hand);
}
BENCHMARK(BM_LayoutBuild)->Unit(benchmark::kMicrosecond);

void BM_LayoutPass(benchmark::State& state) {
  Rows rows;
  const double by_hand = HandMadeSeconds();
  const double start = CpuSeconds();
  for (auto _ : state) rows.panel.PaintComponent();
  Report(state, CpuSeconds() - start, by_hand);
}
BENCHMARK(BM_LayoutPass)->Unit(benchmark::kMicrosecond);

void BM_LayoutValueEdit(benchmark::State& state) {
  Rows rows;
  const double by_hand = HandMadeSeconds();
  TFieldRecord* record = rows.panel.Fields()->Items(1);
  std::int32_t value = 0;
  const double start = CpuSeconds();
  for (auto _ : state) {
    record->SetValues(0, Variant(++value));
    rows.panel.PaintComponent();
  }
  Report(state, CpuSeconds() - start, by_hand);
}
BENCHMARK(BM_LayoutValueEdit)->Unit(benchmark::kMicrosecond);

void BM_ValueEditAlone(benchmark::State& state) {
  Rows rows;
  const double by_hand = HandMadeSeconds();
  TFieldRecord* record = rows.panel.Fields()->Items(1);
  std::int32_t value = 0;
  const double start = CpuSeconds();
  for (auto _ : state) record->SetValues(0, Variant(++value));
  Report(state, CpuSeconds() - start, by_hand);
}
BENCHMARK(BM_ValueEditAlone)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vantor::bench
