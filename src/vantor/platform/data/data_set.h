#pragma once
// TDataSet: a cursor over the rows of a data set, with its fields, bookmarks, record
// filter, editing and the notifications that data-aware objects follow through data
// sources and data links. Every data set here keeps its rows in memory (TRowStore);
// descendants decide where the rows come from (InternalOpen) and where edits go
// (InternalPost, InternalDelete), and a table adds index orders and keyed seeks.
//
// Call order: FieldDefs (or persistent fields) -> Open -> First/Next/... reading
// Fields -> Edit/Insert/Append -> field writes -> Post or Cancel -> Close. Navigation
// sees only the rows that OnFilterRecord accepts while Filtered is true, in the current
// order; RecNo is the 1-based position in that sequence, so it grows moving forward.
//
// Notifications: every change reaches the data sources and through them the links
// (TDataLink). Between DisableControls and the matching EnableControls nothing is sent;
// when the count returns to 0 the links hear one data-set change (plus a state change if
// the data set opened, closed or changed its editing state meanwhile).

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <vantor/platform/core/component.h>
#include <vantor/platform/core/event.h>
#include <vantor/platform/core/strings.h>
#include <vantor/platform/core/temporary_change.h>
#include <vantor/platform/data/field.h>
#include <vantor/platform/data/field_defs.h>
#include <vantor/platform/data/row_store.h>
#include <vantor/platform/data/server_condition.h>

namespace vantor {

class TDataSource;

enum class TDataSetState : std::uint8_t {
  dsInactive,
  dsBrowse,
  dsEdit,
  dsInsert,
  dsSetKey,
  dsCalcFields,
  dsFilter,
  dsNewValue,
  dsOldValue,
  dsCurValue,
};
using enum TDataSetState;

template <>
struct EnumNames<TDataSetState> {
  static constexpr std::array<std::string_view, 10> value{
      "dsInactive", "dsBrowse", "dsEdit",   "dsInsert",   "dsSetKey",
      "dsCalcFields", "dsFilter", "dsNewValue", "dsOldValue", "dsCurValue"};
};

// What a data set tells its data sources (and they their links).
enum class TDataEvent : std::uint8_t {
  deFieldChange,      // info: the TField* written
  deRecordChange,     // the current record's values changed as a whole
  deDataSetChange,    // contents or order changed; links re-read everything
  deDataSetScroll,    // info: the distance the cursor moved
  deLayoutChange,     // fields added, removed or re-bound
  deUpdateRecord,
  deUpdateState,      // the state (open, closed, editing) changed
  deCheckBrowseMode,
  dePropertyChange,
  deFieldListChange,
  deFocusControl,     // info: TField** of the field to focus
};
using enum TDataEvent;

// An opaque handle to a record, from GetBookmark; release it with FreeBookmark.
enum class TBookmark : std::uint64_t { None = 0 };

using TDataSetNotifyEvent = Event<TDataSet*>;
// Called for each record the data set considers while Filtered; set accept to false to hide it.
using TFilterRecordEvent = Event<TDataSet*, bool&>;

class TFilterPass;

// A record filter that decides a whole pass over the rows at once, from the stored cells,
// where the OnFilterRecord callback it is installed with decides record by record. It
// changes how fast the data set filters, never what it shows.
//
// Call order: the owner installs it with SetOnFilterRecord(callback, this); from then on,
// each time the data set builds its filtered view anew (SetFiltered, SetOnFilterRecord,
// Refresh, Open while filtered) it calls FilterRows once, on its own thread, instead of
// the callback per row. A single row posted while filtered still goes through the
// callback. The data set forgets the object when the callback is next replaced, so the
// owner replaces (or clears) the callback before the object goes.
class TBulkRecordFilter {
 public:
  virtual ~TBulkRecordFilter() = default;
  // Appends to pass.Accepted() exactly the rows of pass.Order() that the callback would
  // accept, in that order. Application code (the callback's own handlers, calculated
  // fields) runs only through pass.Call, on the calling thread, in row order, for the
  // rows and as often as the callback alone would run it. May raise: the data set then
  // keeps the view it had.
  virtual void FilterRows(TFilterPass& pass) = 0;
};

// Identifies a state of a data set's rows: equal stamps of one data set mean the same rows
// with the same stored cells (rows) and, further, in the same order (order). Stamps come
// from one counter for every data set, so no two states anywhere share one.
struct TRowsStamp {
  std::uint64_t rows = 0;
  std::uint64_t order = 0;
  bool operator==(const TRowsStamp&) const = default;
};

class TDataSet : public TComponent {
 public:
  explicit TDataSet(TComponent* owner);
  ~TDataSet() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // --- Opening and closing ---
  // Open: EDatabaseError when the rows cannot be read; the data set then stays closed.
  void Open();
  void Close();
  bool Active() const { return state_ != dsInactive; }
  // While loading from a form stream the value is kept and applied by Loaded.
  void SetActive(bool active);
  TDataSetState State() const { return state_; }
  void Loaded() override;

  // --- Fields ---
  TFieldDefs& FieldDefs() { return field_defs_; }
  const TFieldDefs& FieldDefs() const { return field_defs_; }
  // True when the fields are (or, while closed, will be) made from FieldDefs at Open:
  // there are no persistent fields. A closed data set answers from the fields it holds,
  // so the answer is right before the first Open too.
  bool DefaultFields() const { return Active() ? default_fields_ : fields_.empty(); }
  int FieldCount() const { return static_cast<int>(fields_.size()); }
  // EListError outside 0..FieldCount-1.
  TField* Fields(int index) const;
  // Case-insensitive; null when the data set has no field of that name.
  TField* FindField(std::string_view name) const;
  // EDatabaseError "Field 'X' not found" when absent.
  TField* FieldByName(std::string_view name) const;
  void GetFieldNames(TStrings& list) const;

  // --- Navigation ---
  void First();
  void Last();
  void Next();
  void Prior();
  // Moves up to `distance` records (negative: backwards); the number actually moved.
  int MoveBy(int distance);
  // The host's EOF and BOF (EOF itself is a C macro): a move tried to pass the last (first)
  // record, or the view is empty. Open and First set Bof; Last sets Eof.
  bool Eof() const { return eof_; }
  bool Bof() const { return bof_; }
  // 1-based position of the current record in the current order and filter; 0 when there
  // is none (closed or empty).
  int RecNo() const;
  // Moves to the record at that position; EDatabaseError outside 1..RecordCount.
  void SetRecNo(int rec_no);
  // Records visible to navigation (the accepted ones while filtered).
  int RecordCount() const;
  // Calls `read` for each record at the positions first_rec_no .. first_rec_no + count - 1
  // of the view (those that exist), with the fields answering for that record as they do
  // in a filter callback. The cursor does not move and no link or event hears of it, so a
  // control showing many records at once reads them without scrolling the data set.
  void ReadRecords(int first_rec_no, int count, const std::function<void(int rec_no)>& read) const;
  bool IsEmpty() const { return RecordCount() == 0; }

  // --- Rows read on demand ---
  // Whether the data set holds only part of its source's rows and reads more as the
  // cursor goes (a server table read a window at a time, see TTable). Next, Prior and
  // MoveBy then read the rows they step to, First and Last the ends of the order, so a
  // walk sees the source's rows in order with none left out; RecNo and RecordCount count
  // the rows held; a record filter reads every row first (and the data set is then whole).
  bool PartialRows() const { return partial_rows_; }
  // Reads the `before` records before the current one and the `after` records after it,
  // where the source has them, so that ReadRecords around the cursor shows them as the
  // source orders them (a grid calls it before it reads its rows). The cursor stays on
  // its record; its RecNo may grow. Does nothing while every row is held.
  void HoldRecords(int before, int after);

  // --- Bookmarks ---
  // A handle to the current record; None when there is none.
  TBookmark GetBookmark();
  // Moves to the bookmarked record. EDatabaseError "Record not found" (cursor unchanged)
  // for a freed, foreign or stale handle, or a record that the filter now hides.
  void GotoBookmark(TBookmark bookmark);
  // Releases a handle; None and unknown handles are ignored.
  void FreeBookmark(TBookmark bookmark);
  // Whether the handle still leads to a visible record.
  [[nodiscard]] bool BookmarkValid(TBookmark bookmark) const;
  // <0, 0, >0 by position in the current order (0 when either is invalid).
  int CompareBookmarks(TBookmark a, TBookmark b) const;

  // --- Notifications ---
  // Nested; while the count is above 0 the links are told nothing.
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return disable_count_ > 0; }
  // Re-reads the rows through the filter and tells the links; keeps the current record
  // when it is still visible (else the next visible one).
  void Refresh();

  // --- Filtering ---
  bool Filtered() const { return filter_on_; }
  // Re-reads the rows through OnFilterRecord (when the data set is open) and notifies the
  // links. A handler that raises leaves the previous value and view in place.
  void SetFiltered(bool filtered);
  // Assign through SetOnFilterRecord so that an open, filtered data set re-reads.
  const TFilterRecordEvent& OnFilterRecord() const { return on_filter_record_; }
  void SetOnFilterRecord(TFilterRecordEvent::Handler handler);
  void SetOnFilterRecord(const TFilterRecordEvent& event);
  // Installs the callback together with an object that decides whole passes for it (see
  // TBulkRecordFilter); `bulk` may be null.
  void SetOnFilterRecord(const TFilterRecordEvent& event, TBulkRecordFilter* bulk);
  // The state of the rows and their order, for a filter that keeps what it learned of them.
  TRowsStamp RowsStamp() const { return stamp_; }
  // Asks a data set whose rows come from a server to read only the rows that satisfy
  // `condition` (TRUE: all of them), reading them again when that changes what it asks.
  // The record filter still decides each row; the condition saves only their transfer,
  // so it must hold for every row the filter accepts. False for a data set that cannot
  // narrow (its rows are all at hand), which then stays as it is.
  virtual bool SetServerFilter(const TServerCondition& condition) {
    (void)condition;
    return false;
  }

  // --- Editing ---
  // Edit on an empty data set starts an insert.
  void Edit();
  void Insert();
  void Append();
  // Writes the edit buffer. EDatabaseError for a required field left null or a rejected
  // write (key violation, SQL error); the data set then stays in its editing state.
  void Post();
  // Discards the edit buffer (or, in dsSetKey, the key changes).
  virtual void Cancel();
  // Removes the current record; the next one (or the new last one) becomes current.
  void Delete();
  // Posts a pending edit (used before moves, as the host does).
  void CheckBrowseMode();
  bool CanModify() const { return !ReadOnlyDataSet(); }

  // --- Data sources ---
  int DataSourceCount() const { return static_cast<int>(data_sources_.size()); }

  // Called with the data set when a calculated field's value is needed; write the
  // calculated fields from the data fields (State is dsCalcFields meanwhile).
  TDataSetNotifyEvent OnCalcFields;
  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TDataSetNotifyEvent BeforePost, AfterPost, BeforeDelete, AfterDelete, AfterScroll;

  // Sends an event to the data sources (folded while controls are disabled).
  void DataEvent(TDataEvent event, std::intptr_t info = 0);

 protected:
  static constexpr RowId kNoRow = ~RowId{0};

  // Frees the rows, tells the links that the data set is going away (csDestroying set, each
  // link's DataSet becomes null) and detaches the fields. The most derived destructor calls
  // it first, while its overrides still exist; later calls do nothing.
  void DestroyDataSet();

  // Fills FieldDefs if the descendant reads them from its source, and returns the rows.
  // Raise EDatabaseError to refuse opening. `existing` holds the rows kept from an earlier
  // opening (KeepRowsOnClose) or null.
  virtual std::unique_ptr<TRowStore> InternalOpen(std::unique_ptr<TRowStore> existing) = 0;
  // Releases what InternalOpen acquired (never raises).
  virtual void InternalClose() {}
  // Whether Close keeps the rows for the next Open (an in-memory table) or drops them.
  virtual bool KeepRowsOnClose() const { return false; }
  // Called once the fields are bound, before the first record is shown (select an order).
  virtual void AfterBind() {}
  virtual bool ReadOnlyDataSet() const { return false; }
  // The sentence with which an edit of a read-only data set is refused.
  virtual std::string ReadOnlyMessage() const { return "Cannot modify a read-only dataset"; }

  // Writing: InternalPost checks and persists the values (by column; it may fill in
  // generated ones) before the store changes, and raises to refuse them. `row` is kNoRow
  // for an insert. RowWriting/RowWritten bracket the store change of an existing row;
  // RowWritten also follows an insert.
  virtual void InternalPost(RowId row, std::vector<Variant>& values) {
    (void)row;
    (void)values;
  }
  virtual void InternalDelete(RowId row) { (void)row; }
  virtual void RowWriting(RowId row) { (void)row; }
  virtual void RowWritten(RowId row, bool inserted) {
    (void)row;
    (void)inserted;
  }
  virtual void RowDeleting(RowId row) { (void)row; }
  // Called by Post once the posted row is stored and in every order, before the view takes
  // it and the cursor is placed on it.
  virtual void RowPosted(RowId row) { (void)row; }
  // Drops a held row from the store, the orders and the view without writing to the
  // source (Delete after its write; RowPosted for stale copies). Never the row being
  // edited; the caller places the cursor again.
  void ForgetRow(RowId row);

  // The current order of all rows (ascending row id unless a descendant orders them), and
  // the comparison that defines it (a strict total order).
  virtual const std::vector<RowId>& CurrentOrder() const { return natural_; }
  virtual int CompareRows(RowId a, RowId b) const { return a < b ? -1 : (a > b ? 1 : 0); }
  // Call after CurrentOrder changed, with the row that was current before (CurrentRow()
  // taken before the change): rebuilds the view, stays on that row, notifies.
  void OrderChanged(RowId keep_row);

  // Field value routing; a descendant with other buffers (the key buffer) overrides these.
  virtual Variant GetFieldValue(const TField& field) const;
  virtual void SetFieldValue(TField& field, const Variant& value);
  // Whether a data field read while filtering (State dsFilter) gives its stored cell as it
  // is, so that a bulk filter may read the cells directly. A descendant whose
  // GetFieldValue answers otherwise in dsFilter returns false.
  virtual bool FilterReadsCells() const { return true; }
  void SetState(TDataSetState state);

  // Drops every row at once, without the per-row hooks and events of Delete (the
  // descendant has already let go of its own per-row state): bookmarks become stale, the
  // cursor has no record, the links hear one data-set change. Browse mode only.
  void DropAllRows();
  // Puts `rows` in place of the rows held, keeping the fields, which must read them as
  // before (the same columns of the same kinds): a data set read again from its source.
  // Bookmarks become stale, the view is built anew (through the filter while filtered),
  // the cursor goes to the first record and the links hear one data-set change. Unlike
  // Close and Open, nothing that holds a field (a criteria record, a grid) loses it.
  // Browse mode only.
  void ReplaceRows(std::unique_ptr<TRowStore> rows);
  // Called by ReplaceRows once the new rows are in place, before the view is built: a
  // descendant rebuilds what it keeps over the rows (a table's index orders).
  virtual void RowsReplaced() {}

  // Rows read on demand (see PartialRows). A descendant that reads its source a part at a
  // time sets the flag, answers the two calls below, and announces the rows it appends to
  // the store with RowsAdded. It never holds part of the rows while a record filter is
  // active: the filter decides over all of them.
  void SetPartialRows(bool partial) { partial_rows_ = partial; }
  // While PartialRows: reads, if the source has it, the row that comes next to `row` in
  // the current order (forward, or back), unless it is held already; with kNoRow, the
  // first (forward) or the last row of the order.
  virtual void HoldNeighbour(RowId row, bool forward) {
    (void)row;
    (void)forward;
  }
  // While PartialRows: reads every row not held yet and clears the flag.
  virtual void HoldAllRows() {}
  // Takes in the rows a descendant appended to the store from row id `first` on (rows it
  // deleted again meanwhile are skipped): they join the order and, through the filter,
  // the view. The cursor stays on its record (`current`: CurrentRow() taken before the
  // descendant changed anything, since a held row it gave new values may have moved in
  // the order meanwhile), every bookmark stays valid, and the links hear nothing: the move
  // that needed the rows tells them.
  void RowsAdded(RowId first, RowId current);
  // Called by RowsAdded before the view takes the rows: a descendant adds them to what it
  // keeps over the rows (a table's index orders).
  virtual void RowsAppended(RowId first) { (void)first; }

  // Rows visible to navigation, in order.
  const std::vector<RowId>& View() const { return filter_active_ ? filtered_ : CurrentOrder(); }
  // The current record's row, kNoRow when none.
  RowId CurrentRow() const;
  // Puts the cursor at a view position (clamped); clears BOF/EOF.
  void SetCursor(std::size_t position);
  // Positions on view[position] if valid, else at the end (EOF) ; then deDataSetChange.
  void MoveToViewPosition(std::size_t position, bool eof_if_past_end);
  int FieldColumn(const TField& field) const { return field.column_; }
  TRowStore* Store() const { return store_.get(); }
  // True when the filter callback currently takes part.
  bool FilterActive() const { return filter_active_; }
  // Whether the filter accepts a row (true when no filter is active).
  bool RowAccepted(RowId row) const;
  [[noreturn]] void Error(const std::string& message) const;
  void CheckActive() const;

 private:
  friend class TField;
  friend class TDataSource;
  friend class TFilterPass;

  struct BookmarkEntry {
    std::uint64_t generation;
    RowId row;
  };

  void AddField(TField* field);
  void RemoveField(TField* field);
  void AddDataSource(TDataSource* source);
  void RemoveDataSource(TDataSource* source);

  // New stamps after the rows (and so their order) or only their order changed.
  void RowsChanged();
  void RowOrderChanged();
  void OpenCore();
  void CloseCore(bool notify);
  void CreateDefaultFields();
  void BindFields();
  void UnbindFields();
  void FreeDefaultFields();
  // Whether OnFilterRecord accepts `row` (State dsFilter meanwhile).
  bool CallFilter(RowId row) const;
  // Builds the accepted view of the current order through the callback into `out`.
  void BuildFilteredView(std::vector<RowId>& view, std::vector<unsigned char>& accepted) const;
  void RebuildView(bool refilter);
  // Whether the rows, their order, the filtered view and the cursor are in step as the
  // members below say. Asserted wherever the view changes, once it is whole again.
  bool ViewIsSound() const;
  // The part of ViewIsSound that one row's change can break, checked without a walk over
  // all rows (for Post and Delete): ViewShapeIsSound, and `row` stands in natural_, the
  // order and the view as it is live and accepted, strictly between its neighbours.
  bool ViewIsSoundAt(RowId row) const;
  // What both check of an open data set: the sizes agree, the filter's state is one the
  // members allow, and the cursor is in the view.
  bool ViewShapeIsSound() const;
  // Position of `row` in the view, or the position where it would be.
  std::size_t ViewLowerBound(RowId row) const;
  // Places the cursor on `keep_row` (or, when it is gone, on the first record) in a view
  // that was just rebuilt, then tells the links.
  void Resync(RowId keep_row);
  // Tells the links and AfterScroll that the cursor was placed anew.
  void Scrolled();
  // While PartialRows: reads the rows up to |distance| steps from the current record in
  // that direction (forward when positive), so that a move over them leaves none out.
  void HoldSteps(int distance);
  Variant CalcValue(const TField& field) const;
  void StartEditing(TDataSetState state, RowId row);
  void EndEditing();

  TFieldDefs field_defs_;
  std::vector<TField*> fields_;
  bool default_fields_ = true;

  // The rows and what navigation sees of them, kept in step (ViewIsSound checks it):
  //  - natural_ holds every live row of store_ once, by ascending row id (new rows get
  //    the highest ids, so appending keeps it sorted). CurrentOrder() holds the same rows,
  //    strictly ascending under CompareRows, which is what every binary search of the
  //    view relies on; the base order is natural_ itself. A closed data set holds no rows
  //    here (a store kept for the next Open waits in store_).
  //  - filter_active_ only while open, Filtered and with a callback assigned, and never
  //    together with partial_rows_: the filter decides over every row of the source.
  //    Once the view is rebuilt after either changes, it is set whenever they hold (a
  //    rebuild may read the rest of a partial source first, which adds rows before it).
  //  - While it is active, accepted_ has one mark per row id below store_->RowLimit(), set
  //    for exactly the rows the filter accepted (live rows only), and filtered_ is those
  //    rows in the current order; View() is filtered_. Otherwise both are empty and View()
  //    is CurrentOrder().
  //  - cursor_ is a position in View(): below its size, or 0 with Bof and Eof both set
  //    when the view is empty. Inserting leaves it where it was (the new row has none).
  // A step that changes one of them (Post, Delete, rows added or dropped, a rebuild of
  // the view) may break this meanwhile, and asserts it once done, before the links hear
  // of it: in full after work over all rows, around the row after Post and Delete.
  std::unique_ptr<TRowStore> store_;
  std::vector<RowId> natural_;

  TDataSetState state_ = dsInactive;
  bool stream_active_ = false;
  bool destroyed_ = false;
  std::size_t cursor_ = 0;
  bool bof_ = true;
  bool eof_ = true;

  bool filter_on_ = false;
  bool partial_rows_ = false;
  bool filter_active_ = false;
  TFilterRecordEvent on_filter_record_;
  TBulkRecordFilter* bulk_filter_ = nullptr;  // not owned; dropped with the callback
  TRowsStamp stamp_;
  std::vector<RowId> filtered_;
  std::vector<unsigned char> accepted_;  // by row id, while the filter is active

  // Reads in dsFilter and dsCalcFields come from this row (or the edit buffer).
  mutable RowId read_row_ = kNoRow;
  mutable TDataSetState read_state_ = dsInactive;

  // While it lives, the fields read `row` in the filter state, without moving the cursor:
  // what a filter callback, a compiled filter pass and a grid reading its rows all see.
  class FilterReadScope {
   public:
    FilterReadScope(const TDataSet& data_set, RowId row);

   private:
    TemporaryChange<RowId> row_;
    TemporaryChange<TDataSetState> read_;
    TemporaryChange<TDataSetState> state_;
  };

  std::vector<Variant> edit_buffer_;  // by column
  RowId edit_row_ = kNoRow;

  mutable std::vector<Variant> calc_values_;  // by field index
  mutable RowId calc_row_ = kNoRow;
  mutable std::uint64_t calc_version_ = ~std::uint64_t{0};
  mutable bool calculating_ = false;
  std::uint64_t data_version_ = 0;

  int disable_count_ = 0;
  TDataSetState disable_state_ = dsInactive;
  bool pending_change_ = false;
  bool pending_layout_ = false;

  std::vector<TDataSource*> data_sources_;

  std::unordered_map<std::uint64_t, BookmarkEntry> bookmarks_;
  std::uint64_t next_bookmark_ = 1;
  std::uint64_t generation_ = 1;
};

// One pass of a bulk filter over a data set's rows (see TBulkRecordFilter): what it may
// read, and where it puts its answer. Made by the data set for the length of one call.
class TFilterPass {
 public:
  TFilterPass(const TDataSet& data_set, std::vector<RowId>& accepted)
      : data_set_(&data_set), accepted_(&accepted) {}

  const TDataSet& DataSet() const { return *data_set_; }
  // The rows to decide, in the data set's current order.
  std::span<const RowId> Order() const { return data_set_->CurrentOrder(); }
  const TRowStore& Store() const { return *data_set_->store_; }
  TRowsStamp Stamp() const { return data_set_->stamp_; }
  // The store column whose cells are what `field` reads while filtering; -1 when its
  // values come from elsewhere (a calculated or lookup field, a field of another data set,
  // a data set that reads otherwise).
  int CellColumn(const TField& field) const;
  // Runs `test` with the data set's fields reading `row` (State dsFilter), as the data set
  // runs its callback, and returns its answer.
  bool Call(RowId row, const std::function<bool()>& test) const;
  // The answer: accepted rows, appended in the order of Order().
  std::vector<RowId>& Accepted() { return *accepted_; }

 private:
  const TDataSet* data_set_;
  std::vector<RowId>* accepted_;
};

// Brackets DisableControls/EnableControls. EnableControls tells the data links what
// changed meanwhile, and a link's handler may raise: on a normal exit that error reaches
// the caller; while another exception is unwinding, the controls are still enabled and
// the first error goes on (CloseScope).
class TControlsDisabled {
 public:
  explicit TControlsDisabled(TDataSet& data_set)
      : data_set_(&data_set), exceptions_(std::uncaught_exceptions()) {
    data_set.DisableControls();
  }
  ~TControlsDisabled() noexcept(false) {
    CloseScope(exceptions_, [this] { data_set_->EnableControls(); });
  }
  TControlsDisabled(const TControlsDisabled&) = delete;
  TControlsDisabled& operator=(const TControlsDisabled&) = delete;

 private:
  TDataSet* data_set_;
  int exceptions_;
};

// Holds a bookmark of the current record and frees it on every exit path.
class TBookmarkHolder {
 public:
  explicit TBookmarkHolder(TDataSet& data_set) : data_set_(&data_set), bookmark_(data_set.GetBookmark()) {}
  ~TBookmarkHolder() { data_set_->FreeBookmark(bookmark_); }
  TBookmarkHolder(const TBookmarkHolder&) = delete;
  TBookmarkHolder& operator=(const TBookmarkHolder&) = delete;
  TBookmark Get() const { return bookmark_; }
  // Returns to the held record (raises as GotoBookmark does).
  void Restore() { data_set_->GotoBookmark(bookmark_); }

 private:
  TDataSet* data_set_;
  TBookmark bookmark_;
};

}  // namespace vantor
