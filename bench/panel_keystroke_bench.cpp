// One keystroke in a filter panel that applies at every key (usAuto), on the million
// customers: from the key message reaching the name edit to the refiltered data set
// (its record count taken), next to the refiltering alone with the same criterion in the
// same run. The difference is what the key path itself costs: the key filter, the text
// taken as the value, the field map rebuilt.
//   BM_KeystrokeToFilteredDataSet   what the user waits for after a key
//   BM_RefilterOnly                 the filter with the same value, applied again
#include <benchmark/benchmark.h>

#include <vantor/engines/filter_panel.h>
#include "engines_sample.h"
#include <vantor/panel/field_record_edit.h>
#include <vantor/platform/ui/form.h>
#include <vantor/platform/ui/keyboard_input.h>
#include <vantor/platform/ui/messages.h>

namespace vantor::bench {
namespace {

// A filter panel listing the customers' name, on a shown form, its edit focused.
struct TypingPanel {
  TypingPanel() : form(nullptr) {
    panel = new TDBFilterPanel(&form);
    panel->SetParent(&form);
    panel->Fields()->SetDefaultFields(false);
    panel->Fields()->Clear();
    panel->Fields()->Add()->SetFieldName("name");
    panel->SetDataSource(&Customers::Get().source);
    panel->SetFiltered(true);
    form.Show();
    edit = FieldEdit(*panel->FieldByName("name"), 0);
    edit->SetFocus();
  }
  ~TypingPanel() { panel->SetDataSource(nullptr); }
  TypingPanel(const TypingPanel&) = delete;
  TypingPanel& operator=(const TypingPanel&) = delete;

  TForm form;
  TDBFilterPanel* panel = nullptr;  // owned by the form
  TFieldRecordEdit* edit = nullptr;
};

void BM_KeystrokeToFilteredDataSet(benchmark::State& state) {
  TypingPanel t;
  TSQLiteTable& table = Customers::Get().table;
  int count = 0;
  for (auto _ : state) {
    TypeText(t.edit, "W");  // the name begins with W: the data set is refiltered
    count = table.RecordCount();
    benchmark::DoNotOptimize(count);
    state.PauseTiming();
    SendKey(t.edit, VK_BACK);  // empty again, every record shows
    benchmark::DoNotOptimize(table.RecordCount());
    state.ResumeTiming();
  }
  state.counters["matches"] = count;
}
BENCHMARK(BM_KeystrokeToFilteredDataSet)->Unit(benchmark::kMillisecond);

void BM_RefilterOnly(benchmark::State& state) {
  TypingPanel t;
  TSQLiteTable& table = Customers::Get().table;
  TypeText(t.edit, "W");
  int count = 0;
  for (auto _ : state) {
    t.panel->UpdateDataSet();
    count = table.RecordCount();
    benchmark::DoNotOptimize(count);
  }
  state.counters["matches"] = count;
}
BENCHMARK(BM_RefilterOnly)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vantor::bench
