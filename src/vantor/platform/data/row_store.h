#pragma once
// TRowStore: the rows of an in-memory data set, kept column by column in compact typed
// arrays (a 2-byte small integer takes 2 bytes, a text its bytes plus 8), with one null bit
// per cell. Rows are addressed by a row id that never changes while the row lives.
//
// Row ids are handed out in increasing order and never reused (until Clear), so ascending
// row id is the order in which rows were added: the data set's natural order, and the
// tie-break that makes every index order a strict total order.
//
// Values travel as Variants of the column's storage kind exactly (see StorageKindOf): a
// caller converts before it writes; the store does not coerce.

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include <vantor/platform/rtl/field_type.h>
#include <vantor/platform/rtl/variant.h>

namespace vantor {

using RowId = std::uint32_t;

// How a field type is kept in a column.
enum class TStorageKind : std::uint8_t {
  skInt16,     // ftSmallint                           Variant Smallint
  skUInt16,    // ftWord                               Variant Integer
  skInt32,     // ftInteger, ftAutoInc                 Variant Integer
  skDouble,    // ftFloat                              Variant Double
  skDate,      // ftDate, ftTime, ftDateTime           Variant Date
  skCurrency,  // ftCurrency, ftBCD                    Variant Currency
  skBoolean,   // ftBoolean                            Variant Boolean
  skText,      // ftString, ftMemo, ftFmtMemo, blobs   Variant String (bytes for blobs)
  skInt64,     // ftLargeint                           Variant Int64
};

TStorageKind StorageKindOf(TFieldType type);

class TRowStore {
 public:
  explicit TRowStore(const std::vector<TFieldType>& column_types);
  TRowStore(const TRowStore&) = delete;
  TRowStore& operator=(const TRowStore&) = delete;

  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  TStorageKind Kind(int column) const { return columns_[Col(column)].kind; }
  // One past the highest row id handed out (deleted rows included).
  RowId RowLimit() const { return static_cast<RowId>(live_.size()); }
  std::size_t LiveCount() const { return live_count_; }
  bool IsLive(RowId row) const { return row < live_.size() && live_[row] != 0; }

  // A new row with every cell null; its id is greater than every earlier one.
  RowId AppendRow();
  // The row stops existing; its id is never handed out again.
  void DeleteRow(RowId row);
  // Drops every row at once and frees their memory. Ids start again from 0, so whoever
  // held ids of this store forgets them first.
  void Clear();
  // Room for `rows` rows without reallocation (a bulk load knows its size).
  void Reserve(std::size_t rows);

  bool IsNull(RowId row, int column) const;
  // The cell as a Variant of the column's kind, Null when null.
  Variant Get(RowId row, int column) const;
  // Stores a Variant of the column's kind (Null or Empty clears the cell).
  // Raises EDatabaseError for a value of another kind: the store never guesses.
  void Set(RowId row, int column, const Variant& value);

  // Typed access for bulk loads and comparisons (no kind checks beyond the column's).
  void SetNull(RowId row, int column);
  void SetInt(RowId row, int column, std::int32_t v);  // skInt16, skUInt16, skInt32
  void SetInt64(RowId row, int column, std::int64_t v);  // skInt64
  void SetDouble(RowId row, int column, double v);     // skDouble, skDate
  void SetCurrency(RowId row, int column, Currency v);
  void SetBoolean(RowId row, int column, bool v);
  void SetText(RowId row, int column, std::string_view v);
  std::int32_t GetInt(RowId row, int column) const;
  std::int64_t GetInt64(RowId row, int column) const;
  double GetDouble(RowId row, int column) const;
  Currency GetCurrency(RowId row, int column) const;
  bool GetBoolean(RowId row, int column) const;
  // Valid until the column's next write.
  std::string_view GetText(RowId row, int column) const;

  // Order of two cells of one column: null first, numbers by value, text by byte order,
  // or by upper-cased code points when case_insensitive (case variants tie).
  int CompareCells(int column, RowId a, RowId b, bool case_insensitive) const;
  // Order of a cell against a Variant of the column's kind (or Null).
  int CompareCellToValue(int column, RowId row, const Variant& value, bool case_insensitive) const;

  // A 64-bit summary of a cell that orders as the cell does (see CompareCells): a smaller
  // summary means a smaller cell, so a sorted vector of summaries answers most comparisons
  // of a binary search without reaching the row. Null is 0, every value is above it.
  // Numbers, dates and booleans are summarised exactly (equal summary, equal value);
  // texts by their first bytes (case_insensitive: their first case-folded characters) and
  // currencies up to the lowest value, so an equal summary leaves the answer to the cells.
  std::uint64_t SortKey(int column, RowId row, bool case_insensitive) const;
  // The summary of a Variant of that kind (or Null), as SortKey gives for a cell holding
  // it; false for a value of another kind.
  [[nodiscard]] static bool SortKeyOf(TStorageKind kind, const Variant& value, bool case_insensitive, std::uint64_t& key);
  // Whether equal summaries of that kind always mean equal cells.
  static bool SortKeyIsExact(TStorageKind kind);
  // Asks the memory system for the row's cells ahead of reading them (a walk does it for
  // the next record while the current one is in use). Never changes anything.
  void Prefetch(RowId row) const;

  // One column's cells laid bare for a scan over many rows (a filter deciding a whole
  // pass from the stored cells): the same values the typed getters give, without their
  // per-call checks. Valid until the store next changes; reading it from several threads
  // at once is safe while nobody writes.
  struct ColumnScan {
    TStorageKind kind = TStorageKind::skText;
    std::size_t width = 0;
    const unsigned char* fixed = nullptr;
    const std::uint64_t* nulls = nullptr;
    const std::uint32_t* offset = nullptr;
    const std::uint32_t* length = nullptr;
    const char* arena = nullptr;

    bool IsNull(RowId row) const { return ((nulls[row / 64] >> (row % 64)) & 1U) != 0; }
    // The stored bytes of a text cell ("" for a null one).
    std::string_view Text(RowId row) const {
      return length[row] == 0 ? std::string_view() : std::string_view(arena + offset[row], length[row]);
    }
    // A fixed-width cell as its stored type (std::int16_t for skInt16, std::uint16_t for
    // skUInt16, std::int32_t, std::int64_t, double for skDouble and skDate, std::int64_t
    // scaled for skCurrency, unsigned char for skBoolean).
    template <typename T>
    T Load(RowId row) const {
      assert(sizeof(T) == width);  // the caller picked the type by the column's kind
      T v;
      std::memcpy(&v, fixed + static_cast<std::size_t>(row) * width, sizeof(T));
      return v;
    }
  };
  // EDatabaseError for a column out of range.
  ColumnScan Scan(int column) const;

  // Bytes held by the store (arrays at their capacity, text arenas, null bits).
  std::size_t MemoryBytes() const;
  // Bytes of the live values themselves: fixed-width sizes plus text lengths.
  std::size_t RawBytes() const;

 private:
  struct Column {
    TStorageKind kind = TStorageKind::skText;
    std::size_t width = 0;                  // bytes per cell of fixed-width kinds
    std::vector<unsigned char> fixed;       // width bytes per row
    std::vector<std::uint64_t> nulls;       // one bit per row, set = null
    std::vector<std::uint32_t> offset;      // text: start in arena
    std::vector<std::uint32_t> length;      // text: byte length
    std::vector<char> arena;                // text bytes, appended; dead bytes counted below
    std::size_t dead_bytes = 0;
  };

  // Column indexes on the unchecked paths (kinds, comparisons, sort keys) come from the
  // data set's own bookkeeping, fields and index parts bound against this store's columns
  // when it opened; one out of range is a bug of the caller.
  std::size_t Col(int column) const {
    assert(column >= 0 && column < ColumnCount());
    return static_cast<std::size_t>(column);
  }
  // Row ids are only those this store handed out (and whoever held some forgets them at
  // Clear), so every id read or written is below RowLimit(); the cell arrays grow with
  // AppendRow and are indexed by it unchecked.
  void AssertRow(RowId row) const {
    assert(row < RowLimit());
    (void)row;
  }
  // The column of a cell, checked (a bad column raises EDatabaseError; the row is asserted).
  Column& At(int column, RowId row);
  const Column& At(int column, RowId row) const;
  void CheckKind(const Column& c, std::initializer_list<TStorageKind> kinds) const;
  void SetNullBit(Column& c, RowId row, bool null);
  // Drops dead text bytes once they outweigh the live ones.
  void CompactText(Column& c);

  std::vector<Column> columns_;
  std::vector<unsigned char> live_;
  std::size_t live_count_ = 0;
};

// Order of two texts as a key orders them: byte order, or case-insensitively upper-cased
// code points (AnsiCompareUpper), so "SMITH" = "Smith" = "smith" < "Smithe". Case
// variants being equal, the rows of a band of them are ordered by the following key
// fields: a multi-field key keeps every (name, city) pair together whatever the case.
int CompareTextKey(std::string_view a, std::string_view b, bool case_insensitive);

}  // namespace vantor
