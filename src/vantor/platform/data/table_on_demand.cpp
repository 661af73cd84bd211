// The table's rows read on demand: the windows asked of the source, the rows they bring
// taken in (a row held already is the same row read again), and what they tell of which held
// rows follow each other in the source (kept by THeldRows).

#include <vantor/platform/data/table.h>

#include <algorithm>
#include <cassert>

#include <vantor/platform/data/internal/held_rows.h>
#include <vantor/platform/data/internal/row_order.h>

namespace vantor {

void TTable::StartOnDemand(bool read_first) {
  if (!PartialRows()) return;
  // A source that reads on demand names its key, so there is an order even without an index.
  assert(current_ != nullptr && !TieColumns().empty());
  held_->Start(*Store(), TieColumns(), TDataSet::CurrentOrder());
  // A record filter about to decide over the rows needs them all anyway.
  const bool filtering = Filtered() && OnFilterRecord().Assigned();
  if (filtering || !ServesOrder()) {
    HoldAllRows();
    return;
  }
  if (read_first) HoldNeighbour(kNoRow, true);
}

void TTable::TakeCells(RowId held, RowId fetched) {
  TRowStore& store = *Store();
  bool same = true;
  for (int c = 0; c < store.ColumnCount() && same; ++c) same = store.CompareCells(c, held, fetched, false) == 0;
  if (same) return;
  // The table's own hooks, not a descendant's: this is no write of the source.
  TTable::RowWriting(held);
  for (int c = 0; c < store.ColumnCount(); ++c) store.Set(held, c, store.Get(fetched, c));
  TTable::RowWritten(held, false);
}

bool TTable::KeepsPlace(RowId held, RowId fetched, RowId current) const {
  const TRowOrder& order = *current_;
  const TRowStore& store = *Store();
  const bool same_place = std::all_of(order.parts.begin(), order.parts.end(), [&](const TKeyPart& p) {
    return store.CompareCells(p.column, held, fetched, p.case_insensitive) == 0;
  });
  if (same_place || current == kNoRow) return false;
  if (held == current) return true;
  return (order.Compare(store, held, current) < 0) != (order.Compare(store, fetched, current) < 0);
}

void TTable::Fetch(TRowWindow window, std::vector<RowId>& rows) {
  TRowStore& store = *Store();
  if (window.start != TWindowStart::wsAll) window.limit = window_;
  const RowId first = store.RowLimit();
  const RowId current = CurrentRow();
  const bool back = window.start == TWindowStart::wsLast || window.start == TWindowStart::wsBeforeRow;
  // A copy that keeps its place elsewhere is no row of this stretch: where the window ends
  // on one, the stretch goes on after it (the fetched copy is still in the store, so the
  // source is asked for the rows beyond its cells).
  auto ends_on_kept_copy = [&](const std::vector<RowId>& read) {
    const RowId held = held_->CopyOf(store, read.back());
    return held != kNoRow && KeepsPlace(held, read.back(), current);
  };
  std::vector<RowId> read;
  bool short_window = false;
  try {
    for (TRowWindow part = window;;) {
      std::vector<RowId> got;
      ReadWindow(part, got);
      read.insert(read.end(), got.begin(), got.end());
      short_window = part.limit == 0 || got.size() < part.limit;
      if (short_window || !ends_on_kept_copy(read)) break;
      part = {back ? TWindowStart::wsBeforeRow : TWindowStart::wsAfterRow, read.back(), {}, window.limit};
    }
  } catch (...) {
    for (RowId r = first; r < store.RowLimit(); ++r) {
      if (store.IsLive(r)) store.DeleteRow(r);
    }
    throw;
  }
  // A row held already is the same row read again: the held copy (which bookmarks and the
  // cursor name) takes its cells, and with them the place they now give it, or, where that
  // place lies past the current record, keeps its place and cells (see KeepsPlace).
  rows.clear();
  bool moved_start = false;
  for (RowId r : read) {
    const RowId held = held_->CopyOf(store, r);
    if (held == kNoRow) {
      held_->Add(store, r);
      rows.push_back(r);
      continue;
    }
    if (!KeepsPlace(held, r, current)) {
      TakeCells(held, r);
      rows.push_back(held);
      moved_start = moved_start || held == window.row;
    }
    store.DeleteRow(r);
  }
  RowsAdded(first, current);
  // What the windows tell: their rows follow each other in the source (but for copies
  // that kept their place elsewhere), and where the last came back short, nothing lies
  // beyond its last row.
  const std::size_t n = rows.size();
  switch (window.start) {
    case TWindowStart::wsAll: return;
    case TWindowStart::wsFirst:
    case TWindowStart::wsAfterRow:
    case TWindowStart::wsKey:
      if (window.start == TWindowStart::wsFirst) held_->SetHeadKnown(true);
      // A start row that came back in the window stands where it now sorts, no longer
      // before the window's first row.
      if (window.start == TWindowStart::wsAfterRow && !moved_start) held_->Link(window.row);
      for (std::size_t i = 0; i + 1 < n; ++i) held_->Link(rows[i]);
      if (short_window && n > 0) held_->Link(rows.back());
      return;
    case TWindowStart::wsLast:
    case TWindowStart::wsBeforeRow:
      // The last row, or the one right before `row` (unless `row` came back and moved).
      if (n > 0 && !moved_start) held_->Link(rows.front());
      for (std::size_t i = 0; i + 1 < n; ++i) held_->Link(rows[i + 1]);
      if (short_window) held_->SetHeadKnown(true);
      return;
  }
}

void TTable::HoldNeighbour(RowId row, bool forward) {
  if (!PartialRows()) return;
  std::vector<RowId> rows;
  if (row == kNoRow) {
    if (forward && !held_->HeadKnown()) Fetch({TWindowStart::wsFirst, kNoRow, {}, 0}, rows);
    if (!forward && !held_->LastKnown(*current_)) Fetch({TWindowStart::wsLast, kNoRow, {}, 0}, rows);
    return;
  }
  if (forward) {
    if (!held_->Linked(row)) Fetch({TWindowStart::wsAfterRow, row, {}, 0}, rows);
    return;
  }
  if (!held_->KnownBefore(*current_, current_->Position(*Store(), row))) {
    Fetch({TWindowStart::wsBeforeRow, row, {}, 0}, rows);
  }
}

void TTable::HoldAllRows() {
  if (!PartialRows()) return;
  std::vector<RowId> rows;
  Fetch({TWindowStart::wsAll, kNoRow, {}, 0}, rows);
  SetPartialRows(false);
  held_->Clear();
}

void TTable::HoldKey(const std::vector<Variant>& key, std::size_t count) {
  if (!PartialRows()) return;
  if (count == 0) {
    HoldNeighbour(kNoRow, true);
    return;
  }
  if (held_->KnownBefore(*current_, current_->KeyPosition(*Store(), key, count))) return;
  std::vector<RowId> rows;
  Fetch({TWindowStart::wsKey, kNoRow, std::vector<Variant>(key.begin(), key.begin() + static_cast<std::ptrdiff_t>(count)), 0},
        rows);
  // Nothing from the key on: a nearest seek lands on the last record, which must be the source's.
  if (rows.empty()) HoldNeighbour(kNoRow, false);
}

void TTable::RowsAppended(RowId first) {
  const TRowStore& store = *Store();
  std::vector<RowId> added;
  for (RowId r = first; r < store.RowLimit(); ++r) {
    if (store.IsLive(r)) added.push_back(r);
  }
  if (added.empty()) return;
  for (auto& order : orders_) order->Merge(store, added);
  for (RowId r : added) AutoIncRowWritten(r);
}

}  // namespace vantor
