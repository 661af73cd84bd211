// A table that reads its rows on demand, a window at a time, from a source that hands
// them out in the order of an index: every walk, seek, edit and bookmark must give what the
// same table gives holding every row, and a seek must read only the rows around where it
// lands. The source here is a plain list of rows kept in a row store of its own.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <vantor/platform/data/row_store.h>
#include <vantor/platform/data/table.h>
#include <vantor/platform/rtl/exceptions.h>
#include "support/cursor_steps.h"

namespace vantor {
namespace {

using testing_support::CursorStep;
using testing_support::CursorSteps;
using testing_support::Place;
using testing_support::RunCursorSteps;
using testing_support::Walk;

// Columns: id (the source's key), name, amount.
const std::vector<TFieldType> kTypes = {TFieldType::ftInteger, TFieldType::ftString, TFieldType::ftInteger};

class WindowedTable : public TTable {
 public:
  // window 0: every row read at Open (the reference).
  WindowedTable(TRowStore& source, std::size_t window) : TTable(nullptr), source_(source), window_(window) {
    FieldDefs().Add("id", TFieldType::ftInteger, 0, true);
    FieldDefs().Add("name", TFieldType::ftString, 20);
    FieldDefs().Add("amount", TFieldType::ftInteger);
    IndexDefs().Add("by_name", "name", TIndexOptions{ixCaseInsensitive});
    IndexDefs().Add("by_name_cs", "name", TIndexOptions{});
    TIndexDef& mixed = IndexDefs().Add("by_amount", "amount;name", TIndexOptions{});
    mixed.SetDescFields("amount");
  }
  ~WindowedTable() override { DestroyDataSet(); }

  std::size_t rows_read = 0;
  std::size_t windows = 0;
  bool serves = true;

  // Reads the source again from the start, as a server table does when what it asks for
  // changes.
  void Reread() { ReplaceRows(std::make_unique<TRowStore>(kTypes)); }

 protected:
  std::unique_ptr<TRowStore> InternalOpen(std::unique_ptr<TRowStore>) override {
    SetWindowRows(window_);
    auto store = std::make_unique<TRowStore>(kTypes);
    if (window_ == 0) {
      for (RowId s = 0; s < source_.RowLimit(); ++s) {
        if (source_.IsLive(s)) Copy(s, *store);
      }
    }
    return store;
  }
  bool KeepRowsOnClose() const override { return false; }
  std::vector<int> TieColumns() const override { return {0}; }
  bool ServesOrder() override { return serves; }

  void ReadWindow(const TRowWindow& window, std::vector<RowId>& rows) override {
    ++windows;
    std::vector<RowId> sorted = SourceOrder();
    const auto n = static_cast<std::ptrdiff_t>(sorted.size());
    std::ptrdiff_t at = 0;
    int step = 1;
    switch (window.start) {
      case TWindowStart::wsAll:
      case TWindowStart::wsFirst: break;
      case TWindowStart::wsLast:
        at = n - 1;
        step = -1;
        break;
      case TWindowStart::wsAfterRow:
        while (at < n && CompareToHeld(sorted[static_cast<std::size_t>(at)], window.row) <= 0) ++at;
        break;
      case TWindowStart::wsBeforeRow:
        at = n - 1;
        step = -1;
        while (at >= 0 && CompareToHeld(sorted[static_cast<std::size_t>(at)], window.row) >= 0) --at;
        break;
      case TWindowStart::wsKey:
        while (at < n && CompareToKey(sorted[static_cast<std::size_t>(at)], window.key) < 0) ++at;
        break;
    }
    for (; at >= 0 && at < n && (window.limit == 0 || rows.size() < window.limit); at += step) {
      rows.push_back(Copy(sorted[static_cast<std::size_t>(at)], *Store()));
      ++rows_read;
    }
  }

  // The partial table's edits reach the source first, as a server's would; the reference
  // makes the same edits in its own rows only.
  void InternalPost(RowId row, std::vector<Variant>& values) override {
    TTable::InternalPost(row, values);
    if (window_ == 0) return;
    RowId s = row == kNoRow ? source_.AppendRow() : SourceRow(row);
    for (int c = 0; c < source_.ColumnCount(); ++c) source_.Set(s, c, values[static_cast<std::size_t>(c)]);
  }
  void InternalDelete(RowId row) override {
    if (window_ != 0) source_.DeleteRow(SourceRow(row));
  }

 private:
  RowId Copy(RowId s, TRowStore& into) {
    const RowId r = into.AppendRow();
    for (int c = 0; c < source_.ColumnCount(); ++c) into.Set(r, c, source_.Get(s, c));
    return r;
  }
  RowId SourceRow(RowId held) const {
    for (RowId s = 0; s < source_.RowLimit(); ++s) {
      if (source_.IsLive(s) && source_.Get(s, 0) == Store()->Get(held, 0)) return s;
    }
    throw EDatabaseError("not in the source");
  }
  int Compare(RowId s, const std::vector<Variant>& values, std::size_t count) const {
    const std::vector<KeyPart>& parts = OrderParts();
    for (std::size_t i = 0; i < count; ++i) {
      const int c = source_.CompareCellToValue(parts[i].column, s, values[i], parts[i].case_insensitive);
      if (c != 0) return parts[i].descending ? -c : c;
    }
    return 0;
  }
  int CompareToHeld(RowId s, RowId held) const {
    std::vector<Variant> values;
    for (const KeyPart& p : OrderParts()) values.push_back(Store()->Get(held, p.column));
    return Compare(s, values, values.size());
  }
  int CompareToKey(RowId s, const std::vector<Variant>& key) const { return Compare(s, key, key.size()); }
  std::vector<RowId> SourceOrder() const {
    std::vector<RowId> sorted;
    for (RowId s = 0; s < source_.RowLimit(); ++s) {
      if (source_.IsLive(s)) sorted.push_back(s);
    }
    std::sort(sorted.begin(), sorted.end(), [this](RowId a, RowId b) {
      for (const KeyPart& p : OrderParts()) {
        const int c = source_.CompareCells(p.column, a, b, p.case_insensitive);
        if (c != 0) return p.descending ? c > 0 : c < 0;
      }
      return false;
    });
    return sorted;
  }

  TRowStore& source_;
  std::size_t window_;
};

const std::vector<std::string> kNames = {"smith", "Smith", "SMITH", "smithe", "jones", "Jones", "ıZ", "IA", "ia",
                                         "Åsa",   "asa",   "b",     "B",      "",      "zeta",  "Zeta"};

void FillSource(TRowStore& source, std::mt19937& rng, int rows) {
  std::vector<int> ids(static_cast<std::size_t>(rows));
  for (int i = 0; i < rows; ++i) ids[static_cast<std::size_t>(i)] = i * 3 + 1;
  std::shuffle(ids.begin(), ids.end(), rng);
  for (int id : ids) {
    const RowId r = source.AppendRow();
    source.SetInt(r, 0, id);
    if (rng() % 9 != 0) source.SetText(r, 1, kNames[rng() % kNames.size()]);
    if (rng() % 7 != 0) source.SetInt(r, 2, static_cast<std::int32_t>(rng() % 12));
  }
}

// A source of `rows` random rows; over it a table holding every row, and one that reads
// `window` rows at a time; both open in the order `index`.
struct WholeAndPartial {
  WholeAndPartial(std::mt19937& rng, int rows, std::size_t window, const std::string& index)
      : source(kTypes), whole(source, 0), partial(source, window) {
    FillSource(source, rng, rows);
    for (WindowedTable* t : {&whole, &partial}) {
      t->SetIndexName(index);
      t->Open();
    }
  }

  TRowStore source;
  WindowedTable whole;
  WindowedTable partial;
};

// A key to seek in `index`: a number for the amounts, else the first letters of a name.
Variant RandomKey(std::mt19937& rng, const std::string& index) {
  if (rng() % 8 == 0) return Variant::Null();
  if (index == "by_amount") return Variant(static_cast<std::int32_t>(rng() % 14) - 1);
  return Variant(kNames[rng() % kNames.size()].substr(0, rng() % 3 + 1));
}

// Besides the moves: an edit of the amount, now and then a delete, an append.
std::vector<std::function<CursorStep(std::mt19937&, int)>> Writes() {
  return {
      [](std::mt19937& rng, int) -> CursorStep {
        const auto amount = static_cast<std::int32_t>(rng() % 12);
        return {"Edit amount " + std::to_string(amount), [amount](TTable& t) {
                  if (t.IsEmpty()) return;
                  t.Edit();
                  t.FieldByName("amount")->SetAsInteger(amount);
                  t.Post();
                }};
      },
      [](std::mt19937& rng, int) -> CursorStep {
        if (rng() % 4 != 0) return {};
        return {"Delete", [](TTable& t) {
                  if (!t.IsEmpty()) t.Delete();
                }};
      },
      [](std::mt19937&, int step) -> CursorStep {
        return {"Append", [step](TTable& t) {
                  t.Append();
                  t.FieldByName("id")->SetAsInteger(10000 + step);
                  t.FieldByName("name")->SetAsString(kNames[static_cast<std::size_t>(step) % kNames.size()]);
                  t.Post();
                }};
      },
  };
}

TEST(PartialRows, EveryMoveSeekAndEditMatchesTheWholeTable) {
  CursorSteps steps;
  steps.indexes = {"", "by_name", "by_name_cs", "by_amount"};
  steps.key = RandomKey;
  steps.writes = Writes();
  for (unsigned seed = 1; seed <= 12; ++seed) {
    std::mt19937 rng(seed);
    WholeAndPartial t(rng, 150, 1 + seed % 5, steps.indexes[seed % steps.indexes.size()]);
    ASSERT_TRUE(t.partial.PartialRows());
    RunCursorSteps(t.whole, t.partial, rng, steps, 300, "seed " + std::to_string(seed));
  }
}

TEST(PartialRows, ASeekReadsTheRowsWhereItLandsOnly) {
  std::mt19937 rng(7);
  WholeAndPartial tables(rng, 2000, 10, "by_amount");
  WindowedTable& whole = tables.whole;
  WindowedTable& partial = tables.partial;
  const std::size_t opened = partial.rows_read;
  EXPECT_EQ(opened, 10U);
  for (WindowedTable* t : {&whole, &partial}) {
    t->FindNearest({Variant(5)});
    for (int i = 0; i < 15; ++i) t->Next();
  }
  EXPECT_EQ(Place(partial), Place(whole));
  // One window from the key, one more for the walk past it.
  EXPECT_EQ(partial.rows_read - opened, 20U);
  EXPECT_LE(partial.RecordCount(), 30);

  // A bookmark taken before the seek leads back, and a grid's rows around the cursor are
  // the source's neighbours, also across the gap the seek left behind it.
  partial.First();
  whole.First();
  TBookmarkHolder start(partial);
  partial.FindNearest({Variant(3)});
  whole.FindNearest({Variant(3)});
  partial.HoldRecords(4, 4);
  std::vector<std::string> shown, expected;
  partial.ReadRecords(partial.RecNo() - 4, 9, [&](int) { shown.push_back(partial.FieldByName("id")->AsString()); });
  whole.ReadRecords(whole.RecNo() - 4, 9, [&](int) { expected.push_back(whole.FieldByName("id")->AsString()); });
  EXPECT_EQ(shown, expected);
  start.Restore();
  EXPECT_EQ(partial.RecNo(), 1);
  EXPECT_TRUE(partial.PartialRows());
}

TEST(PartialRows, AFilterOrAnOrderTheSourceCannotWalkReadsEveryRow) {
  std::mt19937 rng(3);
  WholeAndPartial tables(rng, 200, 4, "by_name");
  WindowedTable& whole = tables.whole;
  WindowedTable& partial = tables.partial;
  int calls = 0;
  auto big = [&calls](TDataSet* d, bool& accept) {
    ++calls;
    accept = d->FieldByName("amount")->AsInteger() > 8;
  };
  for (WindowedTable* t : {&whole, &partial}) {
    t->Next();
    t->SetOnFilterRecord(big);
    t->SetFiltered(true);
  }
  EXPECT_FALSE(partial.PartialRows());
  EXPECT_EQ(partial.RecordCount(), whole.RecordCount());
  EXPECT_EQ(Walk(partial), Walk(whole));
  // Read again while filtered, it reads every row first and then filters each of them
  // once, as a filter over rows held from the start does.
  calls = 0;
  partial.Reread();
  EXPECT_EQ(calls, 200);
  EXPECT_EQ(Walk(partial), Walk(whole));

  WindowedTable refused(tables.source, 4);
  refused.serves = false;
  refused.SetIndexName("by_amount");
  refused.Open();
  EXPECT_FALSE(refused.PartialRows());
  EXPECT_EQ(refused.RecordCount(), 200);
  EXPECT_EQ(refused.windows, 1U);
}

}  // namespace
}  // namespace vantor
