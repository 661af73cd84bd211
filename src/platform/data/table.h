#pragma once
// TTable: a data set whose rows live in memory, ordered by an index when one is chosen,
// with keyed seeks along that index. Its rows survive Close and Open (EmptyTable drops
// them); descendants load them from elsewhere (TSQLiteTable).
//
// Orders: IndexName picks a definition of IndexDefs; IndexFieldNames picks the fields
// directly (the first plain definition that begins with them supplies the order, else an
// ascending, case-sensitive order on those fields is made). Neither: the order in which
// rows were added. Each order is a sorted list of row ids, built the first time it is
// used and kept up to date by Post and Delete afterwards; ties keep the order of adding.
// Next to the row ids an order keeps each row's first key value summarised in 64 bits
// (TRowStore::SortKey), so its binary searches mostly compare adjacent integers and read
// a row only among rows whose summaries tie.
// Keys compare per field: nulls below every value, numbers by value, texts by byte order
// or, case-insensitively, by upper-cased code points, so that "SMITH", "Smith" and "smith"
// are one key (ordered by the following fields, then by adding); a descending field
// reverses all of that.
//
// Seeks, in call order: SetKey (State dsSetKey; field writes fill the key buffer) or
// EditKey (keeps the previous key) -> writes to the index fields -> GotoKey or
// GotoNearest (back to dsBrowse). FindKey / FindNearest do the three steps at once.
// A key holds the index fields written (or KeyFieldCount of them when set): the leading
// fields up to the last one written; fields before that left unwritten count as null.
//  - GotoKey: true and on the first visible record whose key equals the buffer (case
//    variants are equal on case-insensitive fields); false with the cursor unchanged.
//  - GotoNearest: on the first visible record whose key is not below the buffer in index
//    order; past the last key it stays on the last record with Eof true.
// "Visible": while Filtered, the seek considers accepted records only, so it lands on the
// first accepted record at or after the place the key has in the index. Seeks are binary
// searches over the order (O(log n)), filtered or not.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <vantor/platform/data/data_set.h>
#include <vantor/platform/data/index_defs.h>

namespace vantor {

class TTable : public TDataSet {
 public:
  explicit TTable(TComponent* owner);
  ~TTable() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  TIndexDefs& IndexDefs() { return index_defs_; }
  const TIndexDefs& IndexDefs() const { return index_defs_; }

  const std::string& IndexName() const { return index_name_; }
  // Switches the order, keeping the current record, and notifies the links. Clears
  // IndexFieldNames. EDatabaseError naming an unknown index (nothing changes then).
  void SetIndexName(const std::string& name);
  const std::string& IndexFieldNames() const { return index_field_names_; }
  // As SetIndexName, by ";"-separated field names; clears IndexName. EDatabaseError for a
  // name that is no field of the table.
  void SetIndexFieldNames(const std::string& names);
  // The key fields of the current order (0 in the order of adding).
  int IndexFieldCount() const;
  TField* IndexFields(int index) const;  // EListError outside 0..IndexFieldCount-1

  // --- Keyed seeks (see the header comment) ---
  void SetKey();
  void EditKey();
  [[nodiscard]] bool GotoKey();
  void GotoNearest();
  [[nodiscard]] bool FindKey(const std::vector<Variant>& values);
  void FindNearest(const std::vector<Variant>& values);
  // How many leading index fields the next seek compares; 0: up to the last one written.
  int KeyFieldCount() const { return key_field_count_; }
  void SetKeyFieldCount(int count) { key_field_count_ = count < 0 ? 0 : count; }
  // In dsSetKey: forgets the key changes and returns to dsBrowse; otherwise as TDataSet.
  void Cancel() override;

  // Drops every row (open or closed; while filtered, the hidden rows too) at once: no
  // delete events per record; the links hear one data-set change. A descendant drops the
  // rows of its source first (InternalEmpty), and a refusal there changes nothing.
  void EmptyTable();

  // Bytes held by the rows, and bytes of the values themselves (see TRowStore).
  std::size_t RowStoreMemory() const;
  std::size_t RowStoreRawBytes() const;

 protected:
  struct KeyPart {
    int column;
    bool descending;
    bool case_insensitive;
  };
  struct Order {
    std::string def_name;  // "" for an order made from IndexFieldNames alone
    std::vector<KeyPart> parts;
    bool unique = false;
    std::vector<RowId> rows;
    // Parallel to rows: the sort key of each row's first key part (inverted when that part
    // is descending), so lead is sorted too.
    std::vector<std::uint64_t> lead;
    bool lead_exact = false;  // equal leads mean equal first parts
  };

  std::unique_ptr<TRowStore> InternalOpen(std::unique_ptr<TRowStore> existing) override;
  void InternalClose() override;
  bool KeepRowsOnClose() const override { return true; }
  void AfterBind() override;
  // The orders are built again over the new rows.
  void RowsReplaced() override;
  void InternalPost(RowId row, std::vector<Variant>& values) override;
  void RowWriting(RowId row) override;
  void RowWritten(RowId row, bool inserted) override;
  void RowDeleting(RowId row) override;
  const std::vector<RowId>& CurrentOrder() const override;
  int CompareRows(RowId a, RowId b) const override;
  Variant GetFieldValue(const TField& field) const override;
  void SetFieldValue(TField& field, const Variant& value) override;

  // Raises EDatabaseError "Key violation" when a unique index already holds the key of
  // `values` in another row than `row` (kNoRow for an insert). Keys with a null skip it.
  void CheckUniqueKeys(RowId row, const std::vector<Variant>& values);
  // The rows' store for a new opening: `existing` when it fits FieldDefs, else a new one.
  std::unique_ptr<TRowStore> PrepareStore(std::unique_ptr<TRowStore> existing);
  // EmptyTable on an open table: drop the rows of the source (raise to refuse).
  virtual void InternalEmpty() {}

 private:
  Order& BuildOrder(const TIndexDef* def, const std::vector<std::string>& fields);
  Order& OrderForDef(const TIndexDef& def);
  // Resolves IndexName / IndexFieldNames to an order (raises for unknown names).
  Order* ResolveOrder(const std::string& index_name, const std::string& field_names,
                      std::vector<TField*>& key_fields);
  void SelectOrder(const std::string& index_name, const std::string& field_names);
  // Order of two rows comparing the key parts from `first_part` on, then the row ids.
  int CompareIn(const Order& order, RowId a, RowId b, std::size_t first_part = 0) const;
  // Order of `row` against a key of `count` parts, comparing from `first_part` on
  // (negative: the row comes first).
  int CompareKey(const Order& order, const std::vector<Variant>& key, std::size_t count, RowId row,
                 std::size_t first_part = 0) const;
  // The lead of `row` in `order` (see Order::lead).
  std::uint64_t LeadOf(const Order& order, RowId row) const;
  // Position of `row` in the order, or where it belongs, by its current values.
  std::size_t RowPosition(const Order& order, RowId row) const;
  // Whether the entry at position i comes before the one at j, as the order sorts them
  // (by lead, then by the key parts the lead does not settle, then by row id).
  bool Precedes(const Order& order, std::size_t i, std::size_t j) const;
  // Whether `order` holds every live row exactly once, strictly sorted, with a lead for
  // each: what each order is between two row changes. O(n): for checks after bulk work.
  bool OrderIsSound(const Order& order) const;
  // Position of the first row of the order whose key is not below `key`.
  std::size_t KeyPosition(const Order& order, const std::vector<Variant>& key, std::size_t count) const;
  // Leaves dsSetKey and returns the key to seek with (valid until the next seek).
  const std::vector<Variant>& TakeKey(std::size_t& count);
  std::size_t SeekPosition(const std::vector<Variant>& key, std::size_t count) const;
  void AssignAutoInc(std::vector<Variant>& values);
  // Keeps the highest auto-increment numbers current as a row changes or goes.
  void AutoIncRowLeaving(RowId row);
  void AutoIncRowWritten(RowId row);

  TIndexDefs index_defs_;
  std::string index_name_;
  std::string index_field_names_;
  std::vector<std::unique_ptr<Order>> orders_;
  std::uint64_t orders_version_ = 0;
  Order* current_ = nullptr;
  std::vector<TField*> key_fields_;

  std::vector<Variant> key_buffer_;  // by column
  std::vector<bool> key_written_;    // by column
  std::vector<Variant> saved_key_;
  std::vector<bool> saved_written_;
  std::vector<Variant> seek_key_;
  int key_field_count_ = 0;
  // By column: the highest number of an ftAutoInc column among the rows (0 without
  // any), or -1 while unknown; other columns stay -1.
  std::vector<std::int64_t> autoinc_high_;
};

}  // namespace vantor
