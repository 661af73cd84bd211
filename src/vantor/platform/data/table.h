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
//
// Rows read on demand: a descendant whose source can hand out its rows in the order of an
// index, a window at a time (a server table), may hold only the rows the cursor has been
// to (see TDataSet::PartialRows). It names the columns that make every order total
// (TieColumns: its key, placed after the index fields, instead of the order of adding)
// and answers ReadWindow. The table remembers which neighbours in the current order are
// known to be the source's own neighbours, and asks for a window only where they are not:
// a walk reads each row once, and a seek (GotoKey, GotoNearest) asks the source for the
// rows from the key on, so it reads the rows it lands among, not those before them.
// A row read again that another program changed meanwhile stays one record (bookmarks
// and the cursor keep naming it) and takes the cells read, with the place they give it,
// as long as that place lies on the same side of the current record as the old one.
// Where it would cross the current record (or is the current record), it keeps its place
// and the cells it was read with until the rows are read again: moved past the cursor, a
// walk that already showed it would show it a second time, and a walk that had yet to
// reach it would never show it, in either direction. A row never shows half old, half new.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <vantor/platform/data/data_set.h>
#include <vantor/platform/data/index_defs.h>
#include <vantor/platform/data/key_part.h>

namespace vantor {

struct TRowOrder;
class THeldRows;

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
  using KeyPart = TKeyPart;

  std::unique_ptr<TRowStore> InternalOpen(std::unique_ptr<TRowStore> existing) override;
  void InternalClose() override;
  bool KeepRowsOnClose() const override { return true; }
  void AfterBind() override;
  // The orders are built again over the new rows.
  void RowsReplaced() override;
  void InternalPost(RowId row, std::vector<Variant>& values) override;
  void RowWriting(RowId row) override;
  void RowWritten(RowId row, bool inserted) override;
  // Forgets the other held rows with the posted row's primary key, which the source holds
  // only once (copies of a row another program deleted or re-keyed since it was read).
  void RowPosted(RowId row) override;
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

  // --- Rows read on demand (see the header comment) ---
  // Where in the current order a window of the source's rows starts.
  enum class TWindowStart : std::uint8_t {
    wsFirst,      // the first rows of the order
    wsLast,       // the last rows, walking back
    wsAfterRow,   // the rows after `row` (a held row)
    wsBeforeRow,  // the rows before `row`, walking back
    wsKey,        // the rows whose leading parts are not below `key`
    wsAll,        // every row, in any order (limit 0)
  };
  // A window of the source's rows to read: where it starts and how many rows at most.
  struct TRowWindow {
    TWindowStart start = TWindowStart::wsFirst;
    RowId row = kNoRow;
    std::vector<Variant> key;
    std::size_t limit = 0;  // at most this many rows; 0: no limit
  };
  // Appends to the store the source's rows of the window, in the order of the current
  // order's parts (OrderParts), walking back for wsLast and wsBeforeRow, and lists their
  // ids in `rows` in the order walked. Fewer rows than the limit: the source has no more
  // in that direction. The table drops the rows it held already. Raise to refuse: the
  // rows appended are dropped again.
  virtual void ReadWindow(const TRowWindow& window, std::vector<RowId>& rows) {
    (void)window;
    (void)rows;
  }
  // Whether ReadWindow can walk the current order (else the rows are all read).
  virtual bool ServesOrder() { return false; }
  // Columns after the index fields in every order, ascending and case-sensitive (a
  // source's key), so that no two rows tie; empty: ties keep the order of adding.
  // Asked when the orders are built at Open. While rows are partial their cells are the
  // source's key exactly (the source serves only orders whose cells it gives as they
  // are), so a row read again is the held row with the same cells there, whatever its
  // other cells now say, and never shows twice (see the header comment for its place).
  virtual std::vector<int> TieColumns() const { return {}; }
  // Reads the rows on demand, `window` at a time, from the next opening on (0: all at
  // Open, the default). Set before the rows are read (InternalOpen).
  void SetWindowRows(std::size_t window) { window_ = window; }
  std::size_t WindowRows() const { return window_; }
  // The parts of the current order (none when no order is selected and there are no
  // tie columns).
  const std::vector<KeyPart>& OrderParts() const;

  void HoldNeighbour(RowId row, bool forward) override;
  void HoldAllRows() override;
  void RowsAppended(RowId first) override;

 private:
  // The orders themselves (sorting, positions, comparisons) are TRowOrder's, in
  // internal/row_order.h; the table chooses, builds and maintains them.
  TRowOrder& BuildOrder(const TIndexDef* def, const std::vector<std::string>& fields);
  TRowOrder& OrderForDef(const TIndexDef& def);
  // Resolves IndexName / IndexFieldNames to an order (raises for unknown names).
  TRowOrder* ResolveOrder(const std::string& index_name, const std::string& field_names,
                          std::vector<TField*>& key_fields);
  void SelectOrder(const std::string& index_name, const std::string& field_names);
  // Leaves dsSetKey and returns the key to seek with (valid until the next seek).
  const std::vector<Variant>& TakeKey(std::size_t& count);
  std::size_t SeekPosition(const std::vector<Variant>& key, std::size_t count) const;
  // Starts a walk of the current order on demand (at Open, `read_first`, and after the
  // order changed): nothing is known of neighbours; the first window is read, or every
  // row when the source cannot walk this order.
  void StartOnDemand(bool read_first);
  // Reads a window (limit: window_) and takes its rows in, with what it tells of
  // neighbours; the rows read, held ones in place of their copies, in `rows`.
  void Fetch(TRowWindow window, std::vector<RowId>& rows);
  // Gives the held row `held` the cells of `fetched`, the same row read again, moving it
  // to where they place it in every order.
  void TakeCells(RowId held, RowId fetched);
  // Whether `held` keeps its place and cells rather than take those of `fetched`, the
  // same row read again: when the place they give it lies on the other side of the
  // record `current` (kNoRow: none) than its own, or it is `current` and would move.
  bool KeepsPlace(RowId held, RowId fetched, RowId current) const;
  // Before a seek while rows are partial: reads the rows from the key on unless the held
  // rows already answer it.
  void HoldKey(const std::vector<Variant>& key, std::size_t count);
  void AssignAutoInc(std::vector<Variant>& values);
  // Keeps the highest auto-increment numbers current as a row changes or goes.
  void AutoIncRowLeaving(RowId row);
  void AutoIncRowWritten(RowId row);

  TIndexDefs index_defs_;
  std::string index_name_;
  std::string index_field_names_;
  std::vector<std::unique_ptr<TRowOrder>> orders_;
  std::uint64_t orders_version_ = 0;
  TRowOrder* current_ = nullptr;
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

  // Rows read on demand.
  std::size_t window_ = 0;
  // What is known of the held rows' neighbours in the source (see internal/held_rows.h).
  std::unique_ptr<THeldRows> held_;
};

}  // namespace vantor
