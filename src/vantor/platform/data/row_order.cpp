#include <vantor/platform/data/internal/row_order.h>

#include <algorithm>
#include <cassert>
#include <utility>

namespace vantor {

namespace {

// First position of a sorted order at or after a target: the leads decide, and `below`
// (is this row before the target?) only among rows whose lead equals the target's.
template <typename Below>
std::size_t LeadLowerBound(const std::vector<std::uint64_t>& lead, const std::vector<RowId>& rows, std::uint64_t key,
                           Below below) {
  std::size_t first = 0;
  std::size_t n = lead.size();
  while (n > 0) {
    const std::size_t half = n / 2;
    const std::size_t mid = first + half;
    const std::uint64_t k = lead[mid];
    if (k < key || (k == key && below(rows[mid]))) {
      first = mid + 1;
      n -= half + 1;
    } else {
      n = half;
    }
  }
  return first;
}

using Keyed = std::pair<std::uint64_t, RowId>;

// The rows with their leads, sorted by the order's comparison.
std::vector<Keyed> SortedByOrder(const TRowOrder& order, const TRowStore& store, const std::vector<RowId>& rows) {
  std::vector<Keyed> keyed;
  keyed.reserve(rows.size());
  for (RowId r : rows) keyed.emplace_back(order.LeadOf(store, r), r);
  const std::size_t from = order.lead_exact ? 1 : 0;
  std::sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
    if (a.first != b.first) return a.first < b.first;
    return order.Compare(store, a.second, b.second, from) < 0;
  });
  return keyed;
}

}  // namespace

int TRowOrder::Compare(const TRowStore& store, RowId a, RowId b, std::size_t first_part) const {
  for (std::size_t i = first_part; i < parts.size(); ++i) {
    const TKeyPart& p = parts[i];
    const int c = store.CompareCells(p.column, a, b, p.case_insensitive);
    if (c != 0) return p.descending ? -c : c;
  }
  return a < b ? -1 : (a > b ? 1 : 0);
}

int TRowOrder::CompareKey(const TRowStore& store, const std::vector<Variant>& key, std::size_t count, RowId row,
                          std::size_t first_part) const {
  for (std::size_t i = first_part; i < count; ++i) {
    const TKeyPart& p = parts[i];
    const int c = store.CompareCellToValue(p.column, row, key[i], p.case_insensitive);
    if (c != 0) return p.descending ? -c : c;
  }
  return 0;
}

std::uint64_t TRowOrder::LeadOf(const TRowStore& store, RowId row) const {
  if (parts.empty()) return 0;
  const TKeyPart& p = parts.front();
  const std::uint64_t k = store.SortKey(p.column, row, p.case_insensitive);
  return p.descending ? ~k : k;
}

std::size_t TRowOrder::Position(const TRowStore& store, RowId row) const {
  const std::size_t from = lead_exact ? 1 : 0;
  return LeadLowerBound(lead, rows, LeadOf(store, row), [&](RowId r) { return Compare(store, r, row, from) < 0; });
}

bool TRowOrder::Precedes(const TRowStore& store, std::size_t i, std::size_t j) const {
  if (lead[i] != lead[j]) return lead[i] < lead[j];
  return Compare(store, rows[i], rows[j], lead_exact ? 1 : 0) < 0;
}

bool TRowOrder::IsSound(const TRowStore& store) const {
  if (rows.size() != lead.size() || rows.size() != store.LiveCount()) return false;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (!store.IsLive(rows[i]) || lead[i] != LeadOf(store, rows[i])) return false;
    // Strictly sorted (the row id breaks every tie) means no row twice; with as many
    // entries as live rows, every live row is there.
    if (i > 0 && !Precedes(store, i - 1, i)) return false;
  }
  return true;
}

std::size_t TRowOrder::KeyPosition(const TRowStore& store, const std::vector<Variant>& key, std::size_t count) const {
  if (count == 0 || parts.empty()) return 0;
  const TKeyPart& p = parts.front();
  std::uint64_t k = 0;
  if (!TRowStore::SortKeyOf(store.Kind(p.column), key.front(), p.case_insensitive, k)) {
    // A key of another kind than its column: the comparison reports it.
    auto it = std::lower_bound(rows.begin(), rows.end(), 0,
                               [&](RowId r, int) { return CompareKey(store, key, count, r) < 0; });
    return static_cast<std::size_t>(it - rows.begin());
  }
  if (p.descending) k = ~k;
  if (lead_exact && count == 1) {
    return static_cast<std::size_t>(std::lower_bound(lead.begin(), lead.end(), k) - lead.begin());
  }
  const std::size_t from = lead_exact ? 1 : 0;
  return LeadLowerBound(lead, rows, k, [&](RowId r) { return CompareKey(store, key, count, r, from) < 0; });
}

void TRowOrder::Build(const TRowStore& store, const std::vector<RowId>& all) {
  if (!parts.empty()) lead_exact = TRowStore::SortKeyIsExact(store.Kind(parts.front().column));
  // Sorted as (lead, row) pairs: most comparisons never reach the rows.
  const std::vector<Keyed> keyed = SortedByOrder(*this, store, all);
  rows.clear();
  lead.clear();
  rows.reserve(keyed.size());
  lead.reserve(keyed.size());
  for (const auto& [k, r] : keyed) {
    lead.push_back(k);
    rows.push_back(r);
  }
  // Sorted by the same (lead, key, row id) comparison that Precedes makes, from the live
  // rows, each once.
  assert(IsSound(store));
}

void TRowOrder::Erase(const TRowStore& store, RowId row) {
  const std::size_t pos = Position(store, row);
  if (pos < rows.size() && rows[pos] == row) {
    rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(pos));
    lead.erase(lead.begin() + static_cast<std::ptrdiff_t>(pos));
  }
  // Rows and leads change together, one entry each.
  assert(rows.size() == lead.size());
}

std::size_t TRowOrder::Insert(const TRowStore& store, RowId row) {
  const std::size_t pos = Position(store, row);
  rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(pos), row);
  lead.insert(lead.begin() + static_cast<std::ptrdiff_t>(pos), LeadOf(store, row));
  // Position found the first entry not before the row, and Erase took the row out before
  // its values changed: it now stands between its neighbours, strictly.
  assert(pos == 0 || Precedes(store, pos - 1, pos));
  assert(pos + 1 == rows.size() || Precedes(store, pos, pos + 1));
  return pos;
}

void TRowOrder::Merge(const TRowStore& store, const std::vector<RowId>& added) {
  if (added.empty()) return;
  const std::vector<Keyed> keyed = SortedByOrder(*this, store, added);
  const std::size_t from = lead_exact ? 1 : 0;
  auto less = [&](const Keyed& a, const Keyed& b) {
    if (a.first != b.first) return a.first < b.first;
    return Compare(store, a.second, b.second, from) < 0;
  };
  if (rows.empty() || less({lead.back(), rows.back()}, keyed.front())) {
    // A walk forward: the new rows come after every held one.
    for (const auto& [k, r] : keyed) {
      lead.push_back(k);
      rows.push_back(r);
    }
  } else {
    std::vector<RowId> merged_rows;
    std::vector<std::uint64_t> merged_lead;
    merged_rows.reserve(rows.size() + keyed.size());
    merged_lead.reserve(merged_rows.capacity());
    std::size_t i = 0;
    for (const Keyed& next : keyed) {
      while (i < rows.size() && less({lead[i], rows[i]}, next)) {
        merged_rows.push_back(rows[i]);
        merged_lead.push_back(lead[i]);
        ++i;
      }
      merged_rows.push_back(next.second);
      merged_lead.push_back(next.first);
    }
    merged_rows.insert(merged_rows.end(), rows.begin() + static_cast<std::ptrdiff_t>(i), rows.end());
    merged_lead.insert(merged_lead.end(), lead.begin() + static_cast<std::ptrdiff_t>(i), lead.end());
    rows = std::move(merged_rows);
    lead = std::move(merged_lead);
  }
  // Two sorted runs of distinct live rows merged by the order's own comparison.
  assert(IsSound(store));
}

}  // namespace vantor
