#pragma once
// TRowOrder: the rows of a row store sorted by key parts, as a table keeps one per index it
// has used, and the pure functions over it: comparing rows and keys, finding a row's place,
// and keeping the list sorted as rows come, change and go. It knows nothing of cursors,
// fields or sources; every function is handed the store the row ids name.
//
// The order is (lead, key parts, row id): next to each row id it keeps the row's first key
// part summarised in 64 bits (TRowStore::SortKey, inverted when that part is descending),
// so its binary searches mostly compare adjacent integers and read a row only among rows
// whose summaries tie; the row id breaks every remaining tie, so no two entries are equal.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <vantor/platform/data/key_part.h>
#include <vantor/platform/data/row_store.h>
#include <vantor/platform/rtl/variant.h>

namespace vantor {

struct TRowOrder {
  std::string def_name;          // the index definition's name; "" for one made from fields
  std::vector<TKeyPart> parts;   // the index's fields, then the tie columns
  std::size_t key_parts = 0;     // how many of the parts are the index's own
  bool unique = false;
  std::vector<RowId> rows;
  // Parallel to rows: each row's lead, so lead is sorted too.
  std::vector<std::uint64_t> lead;
  bool lead_exact = false;  // equal leads mean equal first parts

  // Order of two rows comparing the parts from `first_part` on, then the row ids.
  int Compare(const TRowStore& store, RowId a, RowId b, std::size_t first_part = 0) const;
  // Order of `row` against the first `count` parts of `key`, from `first_part` on
  // (negative: the row comes first).
  int CompareKey(const TRowStore& store, const std::vector<Variant>& key, std::size_t count, RowId row,
                 std::size_t first_part = 0) const;
  std::uint64_t LeadOf(const TRowStore& store, RowId row) const;
  // Position of `row`, or where it belongs, by its current values.
  std::size_t Position(const TRowStore& store, RowId row) const;
  // Position of the first row whose key is not below the first `count` parts of `key`.
  std::size_t KeyPosition(const TRowStore& store, const std::vector<Variant>& key, std::size_t count) const;
  // Whether the entry at position i comes before the one at j, as the order sorts them.
  bool Precedes(const TRowStore& store, std::size_t i, std::size_t j) const;
  // Whether the order holds every live row of `store` exactly once, strictly sorted, with
  // its lead: what it is between two row changes. O(n): for checks after bulk work.
  bool IsSound(const TRowStore& store) const;

  // Sorts `all` (the live rows, each once) into the order, replacing what it held.
  void Build(const TRowStore& store, const std::vector<RowId>& all);
  // Takes `row` out (before its values change) or puts it back at the place its values
  // give it (after they changed).
  void Erase(const TRowStore& store, RowId row);
  std::size_t Insert(const TRowStore& store, RowId row);
  // Merges `added` (live rows not in the order yet) into their places.
  void Merge(const TRowStore& store, const std::vector<RowId>& added);
};

}  // namespace vantor
