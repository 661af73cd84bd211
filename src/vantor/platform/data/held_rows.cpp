#include <vantor/platform/data/internal/held_rows.h>

#include <algorithm>
#include <cassert>
#include <functional>
#include <string_view>
#include <utility>

namespace vantor {

void THeldRows::Start(const TRowStore& store, std::vector<int> ties, const std::vector<RowId>& held) {
  ties_ = std::move(ties);
  linked_.assign(store.RowLimit(), 0);
  head_known_ = false;
  by_key_.clear();
  for (RowId r : held) Add(store, r);
}

void THeldRows::Clear() {
  linked_.clear();
  by_key_.clear();
  head_known_ = false;
}

bool THeldRows::KnownBefore(const TRowOrder& order, std::size_t pos) const {
  return pos == 0 ? head_known_ : Linked(order.rows[pos - 1]);
}

bool THeldRows::LastKnown(const TRowOrder& order) const {
  return order.rows.empty() ? head_known_ : Linked(order.rows.back());
}

void THeldRows::Link(RowId row) {
  if (row >= linked_.size()) linked_.resize(static_cast<std::size_t>(row) + 1, 0);
  linked_[row] = 1;
}

std::uint64_t THeldRows::TieHash(const TRowStore& store, RowId row) const {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (int c : ties_) {
    // Sort keys name numbers and dates exactly but texts only by their first bytes.
    std::uint64_t cell = 0;
    if (store.IsNull(row, c)) {
      cell = 0x9e3779b97f4a7c15ULL;
    } else if (store.Kind(c) == TStorageKind::skText) {
      cell = std::hash<std::string_view>{}(store.GetText(row, c));
    } else {
      cell = store.SortKey(c, row, false);
    }
    hash = (hash ^ cell) * 0x100000001b3ULL;
  }
  return hash;
}

RowId THeldRows::CopyOf(const TRowStore& store, RowId row) const {
  const auto [first, last] = by_key_.equal_range(TieHash(store, row));
  for (auto it = first; it != last; ++it) {
    const RowId held = it->second;
    const bool same = std::all_of(ties_.begin(), ties_.end(),
                                  [&](int c) { return store.CompareCells(c, held, row, false) == 0; });
    if (same) return held;
  }
  return kNone;
}

void THeldRows::Add(const TRowStore& store, RowId row) { by_key_.emplace(TieHash(store, row), row); }

void THeldRows::Leaving(const TRowStore& store, const TRowOrder& order, std::size_t pos, RowId row) {
  const auto [first, last] = by_key_.equal_range(TieHash(store, row));
  for (auto it = first; it != last; ++it) {
    if (it->second != row) continue;
    by_key_.erase(it);
    break;
  }
  // Every held row is in the order, at the place its current values give it.
  assert(pos < order.rows.size() && order.rows[pos] == row);
  const bool through = Linked(row);
  if (pos == 0) {
    head_known_ = head_known_ && through;
  } else if (!through && Linked(order.rows[pos - 1])) {
    linked_[order.rows[pos - 1]] = 0;
  }
}

void THeldRows::Arrived(const TRowStore& store, const TRowOrder& order, std::size_t pos, RowId row) {
  Grow(store);
  linked_[row] = static_cast<unsigned char>(KnownBefore(order, pos));
  Add(store, row);
}

}  // namespace vantor
