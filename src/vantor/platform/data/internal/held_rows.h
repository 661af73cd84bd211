#pragma once
// THeldRows: what a table read on demand knows of the rows it holds, beside the rows
// themselves. Which held rows are known to be followed, in the source's order, by the next
// held row (or to be the source's last), whether the first held row is the source's first,
// and the held rows by their tie columns (the source's key, which names one row of the
// source), so that a row read again is found among them.
//
// Positions are those of the table's current order; the table tells this class when a row
// leaves its place (before its values change) and when it takes its new one.

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include <vantor/platform/data/internal/row_order.h>
#include <vantor/platform/data/row_store.h>

namespace vantor {

class THeldRows {
 public:
  static constexpr RowId kNone = ~RowId{0};  // no row: the data set's kNoRow

  // Forgets everything: nothing is known of neighbours; `held` are the rows held now.
  void Start(const TRowStore& store, std::vector<int> ties, const std::vector<RowId>& held);
  void Clear();

  // Whether the row before position `pos` of `order` is the source's (or, at 0, whether
  // the first held row is the source's first).
  bool KnownBefore(const TRowOrder& order, std::size_t pos) const;
  // Whether the last held row is the source's last (holding none: the source is empty).
  bool LastKnown(const TRowOrder& order) const;
  bool HeadKnown() const { return head_known_; }
  void SetHeadKnown(bool known) { head_known_ = known; }
  bool Linked(RowId row) const { return row < linked_.size() && linked_[row] != 0; }
  // The row after `row` in the order is the source's next (or the source has none).
  void Link(RowId row);

  // The held row that is the same row of the source as `row` (equal tie cells), else kNone.
  RowId CopyOf(const TRowStore& store, RowId row) const;
  void Add(const TRowStore& store, RowId row);

  // `row`, at `pos` of `order`, leaves its place: its neighbours are each other's where
  // both links were known. It is no longer found by its tie cells until Arrived.
  void Leaving(const TRowStore& store, const TRowOrder& order, std::size_t pos, RowId row);
  // `row` took position `pos`: it follows its neighbour where the neighbour's next row was
  // known, and leads on to that row.
  void Arrived(const TRowStore& store, const TRowOrder& order, std::size_t pos, RowId row);

 private:
  // A summary of the tie cells of `row`, equal for rows with equal cells there.
  std::uint64_t TieHash(const TRowStore& store, RowId row) const;
  void Grow(const TRowStore& store) { linked_.resize(store.RowLimit(), 0); }

  std::vector<int> ties_;
  // By row id: the row after it in the current order is the source's next row (or the
  // source has none after it).
  std::vector<unsigned char> linked_;
  bool head_known_ = false;  // the first row held is the source's first
  std::unordered_multimap<std::uint64_t, RowId> by_key_;
};

}  // namespace vantor
