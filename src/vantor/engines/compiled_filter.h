#pragma once
// TCompiledFilter: the filter panel's record test turned, once per filter pass, into tests
// on the stored cells of the data set, so that a pass over many rows does not pay per row
// for what does not change per row. Its answers are those of running the panel's
// FilterRecord on every row, in order: same rows, same case and text rules, same Null
// treatment, same exceptions.
//
// How a pass goes (FilterRows, called by the data set in place of FilterRecord per row):
//  1. Each field-map position the record test would look at becomes a compiled test when
//     its outcome provably depends on the stored cell alone and cannot raise: a plain
//     string field (no handler of its own between the cell and its text) or a number,
//     date or Boolean field. Everything else (calculated and lookup fields, other field
//     classes, values the host cannot compare with the cells) stays with CheckRecord.
//  2. The compiled tests that come before the first general position form the prefix.
//     They are pure, so they run in any order: the cheapest and most selective first
//     (measured on a sample of the candidates), on two threads when there are enough rows.
//  3. Refinement: when every prefix test of the previous pass over the same rows is
//     implied by one of this pass (a longer prefix, a narrower range, one more field), only
//     the rows the previous prefix accepted are candidates; otherwise all rows are.
//  4. The rest runs on the calling thread, row by row in order, through the data set:
//     the application's OnFilterRecord for every row (as FilterRecord calls it), then the
//     prefix's answer, then CheckRecord over the remaining positions.

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

#include <vantor/platform/data/data_set.h>

namespace vantor {

class TDBCustomFilterPanel;

namespace filter_detail {
class Test;
}

class TCompiledFilter : public TBulkRecordFilter {
 public:
  // Rows from which a pass uses a second thread for the prefix: below it the thread costs
  // more than it saves.
  static constexpr std::size_t kParallelRows = 65536;

  // `panel` owns the filter and outlives it; its field map is read at each pass.
  explicit TCompiledFilter(TDBCustomFilterPanel& panel);
  ~TCompiledFilter() override;
  TCompiledFilter(const TCompiledFilter&) = delete;
  TCompiledFilter& operator=(const TCompiledFilter&) = delete;

  void FilterRows(TFilterPass& pass) override;

  // What the last pass did, for tests and measurements.
  struct PassReport {
    std::size_t compiled = 0;    // positions decided from the cells
    std::size_t general = 0;     // positions left to CheckRecord (the prefix ends at the first)
    std::size_t candidates = 0;  // rows the prefix was run on
    bool refined = false;        // candidates were the previous pass's accepted rows
    int threads = 0;             // threads the prefix ran on (0: no prefix)
  };
  const PassReport& LastPass() const { return report_; }
  // Forgets the previous pass: the next one starts from all rows.
  void Forget();

 private:
  using TestList = std::vector<std::unique_ptr<filter_detail::Test>>;
  // The field-map positions a pass leaves to CheckRecord: from .. last (none when from >
  // last). The ones before `from` are in the prefix, or skipped by the record test too.
  struct GeneralPositions {
    int from;
    int last;
    bool Empty() const { return from > last; }
  };

  // The steps of a pass, in the order FilterRows takes them (see above).
  // 1, 2: compiles the positions into `prefix` up to the first that needs the record test.
  GeneralPositions CompilePrefix(const TFilterPass& pass, TestList& prefix);
  // 2, 3: the rows of the candidates that pass `prefix`, in order; keeps both for the next pass.
  std::vector<RowId> RunPrefix(const TFilterPass& pass, TestList prefix);
  // 4, no application handler: appends the rows of `rows` that the general positions accept.
  void AcceptChecked(TFilterPass& pass, GeneralPositions general, std::span<const RowId> rows);
  // 4, with one: appends the rows of the order that the handler, then the prefix (when
  // `prefix_rows` is given: the rows it accepted), then the general positions accept.
  void AcceptThroughHandler(TFilterPass& pass, GeneralPositions general, const std::vector<RowId>* prefix_rows);

  // Whether this pass's prefix may run on the rows the previous prefix accepted only.
  bool RefinementApplies(const TFilterPass& pass, const TestList& prefix) const;
  // Those rows, in the order of this pass.
  std::vector<RowId> Candidates(const TFilterPass& pass) const;

  TDBCustomFilterPanel* panel_;
  PassReport report_;
  // What the previous pass learned: its prefix tests, the rows they accepted (in the order
  // of the pass) and the state of the rows it saw.
  TestList last_prefix_;
  std::vector<RowId> last_accepted_;
  const TDataSet* last_data_set_ = nullptr;
  TRowsStamp last_stamp_;
};

}  // namespace vantor
