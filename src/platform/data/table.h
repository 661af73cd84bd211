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
// Keys compare per field: nulls below every value, numbers by value, texts by byte order
// or, case-insensitively, by folded code points with byte order between case variants,
// so "SMITH" < "Smith" < "smith"; a descending field reverses all of that.
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

#include <memory>
#include <string>
#include <vector>

#include "platform/data/data_set.h"
#include "platform/data/index_defs.h"

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
  bool GotoKey();
  void GotoNearest();
  bool FindKey(const std::vector<Variant>& values);
  void FindNearest(const std::vector<Variant>& values);
  // How many leading index fields the next seek compares; 0: up to the last one written.
  int KeyFieldCount() const { return key_field_count_; }
  void SetKeyFieldCount(int count) { key_field_count_ = count < 0 ? 0 : count; }
  // In dsSetKey: forgets the key changes and returns to dsBrowse; otherwise as TDataSet.
  void Cancel() override;

  // Drops every row (open or closed).
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
  };

  std::unique_ptr<TRowStore> InternalOpen(std::unique_ptr<TRowStore> existing) override;
  void InternalClose() override;
  bool KeepRowsOnClose() const override { return true; }
  void AfterBind() override;
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

 private:
  Order& BuildOrder(const TIndexDef* def, const std::vector<std::string>& fields);
  Order& OrderForDef(const TIndexDef& def);
  // Resolves IndexName / IndexFieldNames to an order (raises for unknown names).
  Order* ResolveOrder(const std::string& index_name, const std::string& field_names,
                      std::vector<TField*>& key_fields);
  void SelectOrder(const std::string& index_name, const std::string& field_names);
  int CompareIn(const Order& order, RowId a, RowId b) const;
  // Order of `row` against a key of `count` parts (negative: the row comes first).
  int CompareKey(const Order& order, const std::vector<Variant>& key, std::size_t count, RowId row,
                 bool fold_only) const;
  // Leaves dsSetKey and returns the key to seek with.
  std::vector<Variant> TakeKey(std::size_t& count);
  std::size_t SeekPosition(const std::vector<Variant>& key, std::size_t count, bool fold_only) const;
  void CheckOrdersCurrent();
  void AssignAutoInc(std::vector<Variant>& values);

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
  int key_field_count_ = 0;
};

}  // namespace vantor
