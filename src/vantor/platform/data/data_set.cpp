#include <vantor/platform/data/data_set.h>

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cstdlib>

#include <vantor/platform/core/update_guard.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/data/typed_fields.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/exceptions.h>

namespace vantor {

const TypeInfo& TDataSet::StaticType() {
  static const TypeInfo info = TypeBuilder<TDataSet>("TDataSet", &TComponent::StaticType())
                                   .Property("Active", &TDataSet::Active, &TDataSet::SetActive, false)
                                   .Property("Filtered", &TDataSet::Filtered, &TDataSet::SetFiltered, false)
                                   .Event("OnCalcFields", &TDataSet::OnCalcFields)
                                   .Event("BeforeOpen", &TDataSet::BeforeOpen)
                                   .Event("AfterOpen", &TDataSet::AfterOpen)
                                   .Event("BeforeClose", &TDataSet::BeforeClose)
                                   .Event("AfterClose", &TDataSet::AfterClose)
                                   .Event("BeforePost", &TDataSet::BeforePost)
                                   .Event("AfterPost", &TDataSet::AfterPost)
                                   .Event("BeforeDelete", &TDataSet::BeforeDelete)
                                   .Event("AfterDelete", &TDataSet::AfterDelete)
                                   .Event("AfterScroll", &TDataSet::AfterScroll)
                                   .Build();
  return info;
}

TDataSet::TDataSet(TComponent* owner) : TComponent(owner) {}

namespace {

// One counter for every data set, so that a stamp names one state of one data set only.
std::uint64_t NextStamp() {
  static std::atomic<std::uint64_t> counter{0};
  return ++counter;
}

}  // namespace

void TDataSet::RowsChanged() {
  stamp_.rows = NextStamp();
  stamp_.order = stamp_.rows;
}

void TDataSet::RowOrderChanged() { stamp_.order = NextStamp(); }

TDataSet::~TDataSet() { DestroyDataSet(); }

void TDataSet::DestroyDataSet() {
  if (destroyed_) return;
  destroyed_ = true;
  Destroying();
  if (Active()) CloseCore(false);
  // The links hear of the loss through their sources, with csDestroying already set.
  while (!data_sources_.empty()) {
    TDataSource* source = data_sources_.back();
    data_sources_.pop_back();
    source->DataSetDestroying(this);
  }
  for (TField* f : fields_) f->data_set_ = nullptr;
  fields_.clear();
  bookmarks_.clear();
  // Owned components (persistent and default fields) go now, while this part still exists.
  DestroyComponents();
}

void TDataSet::Error(const std::string& message) const {
  throw EDatabaseError(Name().empty() ? message : Name() + ": " + message);
}

void TDataSet::CheckActive() const {
  if (!Active()) Error("Cannot perform this operation on a closed dataset");
}

// --- Opening and closing -------------------------------------------------------------

void TDataSet::SetActive(bool active) {
  if (ComponentState().Contains(csLoading)) {
    stream_active_ = active;
    return;
  }
  if (active == Active()) return;
  if (active) {
    Open();
  } else {
    Close();
  }
}

void TDataSet::Loaded() {
  TComponent::Loaded();
  if (stream_active_) {
    stream_active_ = false;
    Open();
  }
}

void TDataSet::Open() {
  if (Active()) return;
  if (destroyed_) Error("Cannot open a dataset that is being destroyed");
  BeforeOpen(this);
  OpenCore();
  AfterOpen(this);
}

void TDataSet::OpenCore() {
  try {
    store_ = InternalOpen(std::move(store_));
    if (!store_) Error("No rows to open");
    natural_.clear();
    natural_.reserve(store_->LiveCount());
    for (RowId r = 0; r < store_->RowLimit(); ++r) {
      if (store_->IsLive(r)) natural_.push_back(r);
    }
    default_fields_ = fields_.empty();
    if (default_fields_) CreateDefaultFields();
    BindFields();
    ++generation_;
    RowsChanged();
    state_ = dsBrowse;  // the order and filter below read fields
    AfterBind();
    RebuildView(true);
  } catch (...) {
    state_ = dsInactive;
    UnbindFields();
    if (default_fields_) FreeDefaultFields();
    InternalClose();
    store_.reset();
    natural_.clear();
    filtered_.clear();
    accepted_.clear();
    filter_active_ = false;
    partial_rows_ = false;
    throw;
  }
  cursor_ = 0;
  bof_ = true;
  eof_ = View().empty();
  // The rows were read, their order chosen and the view built from them just now.
  assert(ViewIsSound());
  DataEvent(deUpdateState);
}

void TDataSet::Close() {
  if (!Active()) return;
  BeforeClose(this);
  CloseCore(true);
  AfterClose(this);
}

void TDataSet::CloseCore(bool notify) {
  state_ = dsInactive;
  edit_buffer_.clear();
  edit_row_ = kNoRow;
  InternalClose();
  UnbindFields();
  if (default_fields_) FreeDefaultFields();
  if (!KeepRowsOnClose()) store_.reset();
  natural_.clear();
  filtered_.clear();
  accepted_.clear();
  filter_active_ = false;
  partial_rows_ = false;
  ++generation_;
  RowsChanged();
  cursor_ = 0;
  bof_ = eof_ = true;
  // Every row and mark went with the store: a closed data set holds none.
  assert(ViewIsSound());
  if (notify) DataEvent(deUpdateState);
}

// --- Fields --------------------------------------------------------------------------

void TDataSet::AddField(TField* field) {
  if (std::find(fields_.begin(), fields_.end(), field) == fields_.end()) fields_.push_back(field);
}

void TDataSet::RemoveField(TField* field) {
  fields_.erase(std::remove(fields_.begin(), fields_.end(), field), fields_.end());
}

TField* TDataSet::Fields(int index) const {
  if (index < 0 || index >= FieldCount()) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  }
  return fields_[static_cast<std::size_t>(index)];
}

TField* TDataSet::FindField(std::string_view name) const {
  for (TField* f : fields_) {
    if (AnsiSameText(f->FieldName(), name)) return f;
  }
  return nullptr;
}

TField* TDataSet::FieldByName(std::string_view name) const {
  TField* f = FindField(name);
  if (f == nullptr) Error("Field '" + std::string(name) + "' not found");
  return f;
}

void TDataSet::GetFieldNames(TStrings& list) const {
  UpdateGuard<TStrings> bracket(list);
  list.Clear();
  for (TField* f : fields_) list.Add(f->FieldName());
}

void TDataSet::CreateDefaultFields() {
  for (int i = 0; i < field_defs_.Count(); ++i) {
    const TFieldDef& def = field_defs_.Items(i);
    TField* f = CreateField(this, def.data_type);
    f->field_name_ = def.name;
    if (def.data_type == TFieldType::ftString || def.data_type == TFieldType::ftBytes) f->size_ = def.size;
    f->required_ = def.required;
    f->SetDataSet(this);
  }
}

void TDataSet::FreeDefaultFields() {
  const std::vector<TField*> fields = fields_;
  for (TField* f : fields) delete f;
  fields_.clear();
}

void TDataSet::BindFields() {
  int calc_no = 0;
  for (TField* f : fields_) {
    if (f->Calculated()) {
      f->column_ = -1;
      f->field_no_ = --calc_no;
      continue;
    }
    const int column = field_defs_.IndexOf(f->FieldName());
    if (column < 0) Error("Field '" + f->FieldName() + "' not found");
    const TFieldDef& def = field_defs_.Items(column);
    if (StorageKindOf(def.data_type) != StorageKindOf(f->DataType())) {
      Error("Type mismatch for field '" + f->FieldName() + "', expecting: " +
            std::string(FieldTypeName(f->DataType())) + " actual: " + std::string(FieldTypeName(def.data_type)));
    }
    f->column_ = column;
    f->field_no_ = def.field_no;
  }
  calc_values_.assign(fields_.size(), Variant::Null());
  calc_row_ = kNoRow;
}

void TDataSet::UnbindFields() {
  for (TField* f : fields_) {
    f->column_ = -1;
    f->field_no_ = 0;
  }
}

// --- Field values ----------------------------------------------------------------------

Variant TDataSet::GetFieldValue(const TField& field) const {
  CheckActive();
  if (field.Calculated()) return CalcValue(field);
  const int column = field.column_;
  const TDataSetState reading = state_ == dsCalcFields || state_ == dsFilter ? read_state_ : state_;
  if (reading == dsEdit || reading == dsInsert) return edit_buffer_[static_cast<std::size_t>(column)];
  const RowId row = state_ == dsCalcFields || state_ == dsFilter ? read_row_ : CurrentRow();
  if (row == kNoRow) return Variant::Null();
  return store_->Get(row, column);
}

void TDataSet::SetFieldValue(TField& field, const Variant& value) {
  CheckActive();
  if (field.Calculated()) {
    if (state_ != dsCalcFields) Error("Field '" + field.FieldName() + "' cannot be modified");
    const int index = field.Index();
    calc_values_[static_cast<std::size_t>(index)] = value;
    return;
  }
  if (state_ != dsEdit && state_ != dsInsert) Error("Dataset not in edit or insert mode");
  if (field.ReadOnly()) Error("Field '" + field.FieldName() + "' cannot be modified");
  edit_buffer_[static_cast<std::size_t>(field.column_)] = value;
  ++data_version_;
  DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(&field));
}

Variant TDataSet::CalcValue(const TField& field) const {
  const std::size_t index = static_cast<std::size_t>(field.Index());
  if (calculating_) return calc_values_[index];
  const bool editing = state_ == dsEdit || state_ == dsInsert ||
                       ((state_ == dsFilter || state_ == dsCalcFields) &&
                        (read_state_ == dsEdit || read_state_ == dsInsert));
  const RowId row = state_ == dsFilter ? read_row_ : (editing ? kNoRow : CurrentRow());
  if (!editing && row == kNoRow) return Variant::Null();
  if (row != calc_row_ || calc_version_ != data_version_ || editing) {
    std::fill(calc_values_.begin(), calc_values_.end(), Variant::Null());
    auto* self = const_cast<TDataSet*>(this);
    TemporaryChange<bool> guard_calc(calculating_, true);
    TemporaryChange<RowId> guard_row(read_row_, row);
    TemporaryChange<TDataSetState> guard_read(read_state_, editing ? (state_ == dsInsert ? dsInsert : dsEdit) : dsBrowse);
    TemporaryChange<TDataSetState> guard_state(self->state_, dsCalcFields);
    self->OnCalcFields(self);
    calc_row_ = row;
    calc_version_ = data_version_;
  }
  return calc_values_[index];
}

// --- Filtering -----------------------------------------------------------------------

TDataSet::FilterReadScope::FilterReadScope(const TDataSet& data_set, RowId row)
    : row_(data_set.read_row_, row),
      read_(data_set.read_state_, dsBrowse),
      state_(const_cast<TDataSet&>(data_set).state_, dsFilter) {}

bool TDataSet::CallFilter(RowId row) const {
  bool accept = true;
  FilterReadScope reading(*this, row);
  on_filter_record_(const_cast<TDataSet*>(this), accept);
  return accept;
}

int TFilterPass::CellColumn(const TField& field) const {
  if (field.DataSet() != data_set_ || field.Calculated() || !data_set_->FilterReadsCells()) return -1;
  return data_set_->FieldColumn(field);
}

bool TFilterPass::Call(RowId row, const std::function<bool()>& test) const {
  TDataSet::FilterReadScope reading(*data_set_, row);
  return test();
}

void TDataSet::ReadRecords(int first_rec_no, int count,
                           const std::function<void(int rec_no)>& read) const {
  if (!Active()) return;
  const std::vector<RowId>& view = View();
  const int size = static_cast<int>(view.size());
  const int from = std::max(first_rec_no, 1);
  const int to = std::min(first_rec_no + std::max(count, 0) - 1, size);
  for (int rec_no = from; rec_no <= to; ++rec_no) {
    FilterReadScope reading(*this, view[static_cast<std::size_t>(rec_no - 1)]);
    read(rec_no);
  }
}

bool TDataSet::RowAccepted(RowId row) const {
  if (!filter_active_) return true;
  return row < accepted_.size() && accepted_[row] != 0;
}

void TDataSet::BuildFilteredView(std::vector<RowId>& view, std::vector<unsigned char>& accepted) const {
  const std::vector<RowId>& order = CurrentOrder();
  accepted.assign(store_->RowLimit(), 0);
  view.clear();
  if (bulk_filter_ != nullptr) {
    TFilterPass pass(*this, view);
    bulk_filter_->FilterRows(pass);
    for (RowId r : view) {
      // The pass answers with rows of the current order, which are all live rows.
      assert(store_->IsLive(r));
      accepted[r] = 1;
    }
    return;
  }
  for (RowId r : order) {
    if (CallFilter(r)) {
      accepted[r] = 1;
      view.push_back(r);
    }
  }
}

void TDataSet::RebuildView(bool refilter) {
  const bool want = filter_on_ && on_filter_record_.Assigned();
  if (!want) {
    filter_active_ = false;
    filtered_.clear();
    accepted_.clear();
    return;
  }
  if (partial_rows_) {
    // A filter over the rows held would hide records that are still to be read.
    HoldAllRows();
    // The descendant has read the rest: from here on the rows are whole.
    assert(!partial_rows_);
    refilter = true;
  }
  if (refilter || !filter_active_) {
    std::vector<RowId> view;
    std::vector<unsigned char> accepted;
    BuildFilteredView(view, accepted);  // may raise: the old view stays
    filtered_ = std::move(view);
    accepted_ = std::move(accepted);
    filter_active_ = true;
    return;
  }
  // Same acceptance, new order.
  filtered_.clear();
  for (RowId r : CurrentOrder()) {
    if (accepted_[r] != 0) filtered_.push_back(r);
  }
}

bool TDataSet::ViewShapeIsSound() const {
  const TRowStore& store = *store_;
  if (natural_.size() != store.LiveCount() || CurrentOrder().size() != natural_.size()) return false;
  if (filter_active_ && !(filter_on_ && on_filter_record_.Assigned())) return false;
  if (filter_active_ ? partial_rows_ || accepted_.size() != store.RowLimit()
                     : !filtered_.empty() || !accepted_.empty()) {
    return false;
  }
  const std::size_t size = View().size();
  return size == 0 ? cursor_ == 0 && bof_ && eof_ : cursor_ < size;
}

bool TDataSet::ViewIsSound() const {
  if (!Active()) {
    return natural_.empty() && filtered_.empty() && accepted_.empty() && !filter_active_ && cursor_ == 0 &&
           bof_ && eof_;
  }
  if (!ViewShapeIsSound()) return false;
  const TRowStore& store = *store_;
  // Strictly ascending means no row twice; as many rows as live ones, all live, means
  // every live row. The same holds of the current order under its own comparison.
  for (std::size_t i = 0; i < natural_.size(); ++i) {
    if (!store.IsLive(natural_[i]) || (i > 0 && natural_[i - 1] >= natural_[i])) return false;
  }
  const std::vector<RowId>& order = CurrentOrder();
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (!store.IsLive(order[i]) || (i > 0 && CompareRows(order[i - 1], order[i]) >= 0)) return false;
  }
  if (!filter_active_) return true;
  // The view is the marked rows of the order, in that order; with no more marks than
  // that, no dead row is marked.
  std::size_t next = 0;
  for (RowId r : order) {
    if (accepted_[r] == 0) continue;
    if (next == filtered_.size() || filtered_[next] != r) return false;
    ++next;
  }
  const auto marks = std::count_if(accepted_.begin(), accepted_.end(), [](unsigned char a) { return a != 0; });
  return next == filtered_.size() && static_cast<std::size_t>(marks) == next;
}

bool TDataSet::ViewIsSoundAt(RowId row) const {
  if (!ViewShapeIsSound()) return false;
  const bool live = store_->IsLive(row);
  const bool accepted = filter_active_ && accepted_[row] != 0;
  if (accepted && !live) return false;
  // Whether `row` stands in `rows` exactly when `expected` says, strictly between its
  // neighbours when it does.
  auto placed = [&](const std::vector<RowId>& rows, bool expected) {
    const auto it = std::lower_bound(rows.begin(), rows.end(), row,
                                     [this](RowId a, RowId b) { return CompareRows(a, b) < 0; });
    if (it == rows.end() || *it != row) return !expected;
    return expected && (it == rows.begin() || CompareRows(*(it - 1), row) < 0) &&
           (it + 1 == rows.end() || CompareRows(row, *(it + 1)) < 0);
  };
  if (std::binary_search(natural_.begin(), natural_.end(), row) != live || !placed(CurrentOrder(), live)) {
    return false;
  }
  return !filter_active_ || placed(filtered_, accepted);
}

void TDataSet::SetFiltered(bool filtered) {
  if (filtered == filter_on_) return;
  if (!Active()) {
    filter_on_ = filtered;
    return;
  }
  CheckBrowseMode();
  const RowId keep = CurrentRow();
  filter_on_ = filtered;
  try {
    RebuildView(true);
  } catch (...) {
    filter_on_ = !filtered;
    throw;
  }
  Resync(keep);
}

void TDataSet::SetOnFilterRecord(TFilterRecordEvent::Handler handler) {
  TFilterRecordEvent event;
  event = std::move(handler);
  SetOnFilterRecord(event);
}

void TDataSet::SetOnFilterRecord(const TFilterRecordEvent& event) { SetOnFilterRecord(event, nullptr); }

void TDataSet::SetOnFilterRecord(const TFilterRecordEvent& event, TBulkRecordFilter* bulk) {
  // Without a callback there is nothing for the bulk filter to stand in for.
  if (!event.Assigned()) bulk = nullptr;
  if (!Active() || !filter_on_) {
    on_filter_record_ = event;
    bulk_filter_ = bulk;
    return;
  }
  CheckBrowseMode();
  const RowId keep = CurrentRow();
  TFilterRecordEvent saved = on_filter_record_;
  TBulkRecordFilter* saved_bulk = bulk_filter_;
  on_filter_record_ = event;
  bulk_filter_ = bulk;
  try {
    RebuildView(true);
  } catch (...) {
    on_filter_record_ = saved;
    bulk_filter_ = saved_bulk;
    throw;
  }
  Resync(keep);
}

void TDataSet::Refresh() {
  CheckActive();
  CheckBrowseMode();
  const RowId keep = CurrentRow();
  RebuildView(true);
  Resync(keep);
}

void TDataSet::OrderChanged(RowId keep_row) {
  if (!Active()) return;
  RowOrderChanged();
  RebuildView(false);
  Resync(keep_row);
}

std::size_t TDataSet::ViewLowerBound(RowId row) const {
  const std::vector<RowId>& view = View();
  auto it = std::lower_bound(view.begin(), view.end(), row,
                             [this](RowId a, RowId b) { return CompareRows(a, b) < 0; });
  return static_cast<std::size_t>(it - view.begin());
}

void TDataSet::Resync(RowId keep_row) {
  const bool keep = keep_row != kNoRow && store_->IsLive(keep_row);
  SetCursor(keep ? ViewLowerBound(keep_row) : 0);
  if (!keep) bof_ = true;
  // Every caller brought the rows, their order and the view in step before placing the
  // cursor, and the links hear of the view only once it is whole.
  assert(ViewIsSound());
  Scrolled();
}

void TDataSet::Scrolled() {
  DataEvent(deDataSetChange);
  AfterScroll(this);
}

void TDataSet::RowsAdded(RowId first, RowId current) {
  const RowId keep = current;
  const RowId limit = store_->RowLimit();
  for (RowId r = first; r < limit; ++r) {
    if (store_->IsLive(r)) natural_.push_back(r);
  }
  ++data_version_;
  RowsChanged();
  RowsAppended(first);
  if (filter_active_) {
    accepted_.resize(limit, 0);
    for (RowId r = first; r < limit; ++r) {
      if (store_->IsLive(r) && CallFilter(r)) accepted_[r] = 1;
    }
    filtered_.clear();
    for (RowId r : CurrentOrder()) {
      if (accepted_[r] != 0) filtered_.push_back(r);
    }
  }
  if (keep != kNoRow) cursor_ = ViewLowerBound(keep);
  // The new rows joined natural_ at its end (they have the highest ids), the orders
  // (RowsAppended) and, where the filter took them, the view; the cursor found its row
  // again, or had none and stays at 0 (the view was empty, or still is).
  assert(ViewIsSound());
}

void TDataSet::HoldSteps(int distance) {
  if (!partial_rows_ || distance == 0) return;
  const bool forward = distance > 0;
  RowId row = CurrentRow();
  if (row == kNoRow) {
    HoldNeighbour(kNoRow, true);
    return;
  }
  for (std::int64_t step = 0; step < std::abs(static_cast<std::int64_t>(distance)) && partial_rows_; ++step) {
    HoldNeighbour(row, forward);
    const std::vector<RowId>& view = View();
    const std::size_t at = ViewLowerBound(row);
    // `row` is held (rows are only ever added here), so it is in the view.
    assert(at < view.size() && view[at] == row);
    if (forward ? at + 1 >= view.size() : at == 0) break;
    row = view[forward ? at + 1 : at - 1];
  }
}

void TDataSet::HoldRecords(int before, int after) {
  if (!partial_rows_ || !Active() || state_ != dsBrowse) return;
  HoldSteps(-before);
  HoldSteps(after);
}

void TDataSet::DropAllRows() {
  CheckActive();
  CheckBrowseMode();
  store_->Clear();
  natural_ = {};
  filtered_ = {};
  accepted_ = {};
  ++generation_;  // row ids start again: every bookmark is stale
  ++data_version_;
  RowsChanged();
  calc_row_ = kNoRow;
  cursor_ = 0;
  bof_ = eof_ = true;
  // The store is empty (RowLimit 0), and so are the orders: the descendant emptied its
  // own before dropping the rows.
  assert(ViewIsSound());
  Scrolled();
}

void TDataSet::ReplaceRows(std::unique_ptr<TRowStore> rows) {
  CheckActive();
  CheckBrowseMode();
  assert(rows && rows->ColumnCount() == store_->ColumnCount());  // the caller read the same columns
  store_ = std::move(rows);
  natural_.clear();
  natural_.reserve(store_->LiveCount());
  for (RowId r = 0; r < store_->RowLimit(); ++r) {
    if (store_->IsLive(r)) natural_.push_back(r);
  }
  // Until the view is built below the new rows are unfiltered and the cursor has no
  // record, so that the rows a descendant reads meanwhile (RowsReplaced) join a sound
  // view, and the filter decides each row once, in the one pass below.
  filtered_ = {};
  accepted_ = {};
  filter_active_ = false;
  cursor_ = 0;
  bof_ = eof_ = true;
  ++generation_;  // other rows: every bookmark is stale
  ++data_version_;
  RowsChanged();
  calc_row_ = kNoRow;
  RowsReplaced();
  RebuildView(true);
  eof_ = View().empty();
  // natural_ was read from the new store, the descendant rebuilt its orders over it
  // (RowsReplaced) and the view was built from them.
  assert(ViewIsSound());
  Scrolled();
}

// --- Navigation ----------------------------------------------------------------------

RowId TDataSet::CurrentRow() const {
  if (!Active()) return kNoRow;
  const std::vector<RowId>& view = View();
  return cursor_ < view.size() ? view[cursor_] : kNoRow;
}

void TDataSet::SetCursor(std::size_t position) {
  const std::size_t size = View().size();
  cursor_ = size == 0 ? 0 : std::min(position, size - 1);
  bof_ = eof_ = size == 0;
}

void TDataSet::MoveToViewPosition(std::size_t position, bool eof_if_past_end) {
  const std::size_t size = View().size();
  SetCursor(position);
  if (position >= size && eof_if_past_end) eof_ = true;
  Scrolled();
}

void TDataSet::First() {
  CheckActive();
  CheckBrowseMode();
  if (partial_rows_) HoldNeighbour(kNoRow, true);
  SetCursor(0);
  bof_ = true;
  Scrolled();
}

void TDataSet::Last() {
  CheckActive();
  CheckBrowseMode();
  if (partial_rows_) HoldNeighbour(kNoRow, false);
  const std::size_t size = View().size();
  SetCursor(size == 0 ? 0 : size - 1);
  eof_ = true;
  Scrolled();
}

void TDataSet::Next() { MoveBy(1); }

void TDataSet::Prior() { MoveBy(-1); }

int TDataSet::MoveBy(int distance) {
  CheckActive();
  CheckBrowseMode();
  HoldSteps(distance);
  const auto size = static_cast<std::int64_t>(View().size());
  if (size == 0) {
    bof_ = eof_ = true;
    return 0;
  }
  const auto from = static_cast<std::int64_t>(cursor_);
  std::int64_t to = from + distance;
  bool hit_end = false;
  if (to >= size) {
    to = size - 1;
    hit_end = true;
  } else if (to < 0) {
    to = 0;
    hit_end = true;
  }
  const int moved = static_cast<int>(to - from);
  cursor_ = static_cast<std::size_t>(to);
  if (distance == 1 || distance == -1) {
    // A walk: in index order the rows lie anywhere in memory, so ask for a record a few
    // steps ahead now and it is there when the walk reaches it.
    constexpr std::int64_t kAhead = 8;
    const std::int64_t ahead = to + kAhead * distance;
    if (ahead >= 0 && ahead < size) store_->Prefetch(View()[static_cast<std::size_t>(ahead)]);
  }
  if (distance > 0) {
    eof_ = hit_end;
    if (moved != 0) bof_ = false;
  } else if (distance < 0) {
    bof_ = hit_end;
    if (moved != 0) eof_ = false;
  }
  if (moved != 0) {
    DataEvent(deDataSetScroll, moved);
    AfterScroll(this);
  }
  return moved;
}

int TDataSet::RecNo() const {
  if (!Active() || View().empty()) return 0;
  if (state_ == dsInsert) return 0;
  return static_cast<int>(cursor_) + 1;
}

void TDataSet::SetRecNo(int rec_no) {
  CheckActive();
  CheckBrowseMode();
  if (rec_no < 1 || rec_no > RecordCount()) Error("Record number " + std::to_string(rec_no) + " out of range");
  MoveToViewPosition(static_cast<std::size_t>(rec_no - 1), false);
}

int TDataSet::RecordCount() const {
  if (!Active()) return 0;
  return static_cast<int>(View().size());
}

// --- Bookmarks -----------------------------------------------------------------------

TBookmark TDataSet::GetBookmark() {
  const RowId row = CurrentRow();
  if (row == kNoRow) return TBookmark::None;
  const std::uint64_t id = next_bookmark_++;
  bookmarks_[id] = BookmarkEntry{generation_, row};
  return static_cast<TBookmark>(id);
}

bool TDataSet::BookmarkValid(TBookmark bookmark) const {
  if (!Active()) return false;
  auto it = bookmarks_.find(static_cast<std::uint64_t>(bookmark));
  if (it == bookmarks_.end() || it->second.generation != generation_) return false;
  const RowId row = it->second.row;
  return store_->IsLive(row) && RowAccepted(row);
}

void TDataSet::GotoBookmark(TBookmark bookmark) {
  CheckActive();
  CheckBrowseMode();
  if (!BookmarkValid(bookmark)) Error("Record not found");
  const RowId row = bookmarks_.at(static_cast<std::uint64_t>(bookmark)).row;
  MoveToViewPosition(ViewLowerBound(row), false);
}

void TDataSet::FreeBookmark(TBookmark bookmark) { bookmarks_.erase(static_cast<std::uint64_t>(bookmark)); }

int TDataSet::CompareBookmarks(TBookmark a, TBookmark b) const {
  if (!BookmarkValid(a) || !BookmarkValid(b)) return 0;
  return CompareRows(bookmarks_.at(static_cast<std::uint64_t>(a)).row,
                     bookmarks_.at(static_cast<std::uint64_t>(b)).row);
}

// --- Notifications -------------------------------------------------------------------

void TDataSet::DisableControls() {
  if (disable_count_++ == 0) {
    disable_state_ = state_;
    pending_change_ = false;
    pending_layout_ = false;
  }
}

void TDataSet::EnableControls() {
  if (disable_count_ == 0) return;
  if (--disable_count_ != 0) return;
  // The bracket is closed before the links hear of it: a link that raises leaves the
  // data set enabled and with nothing pending.
  const bool state_changed = disable_state_ != state_;
  const bool changed = pending_change_ && state_ != dsInactive;
  const bool layout = pending_layout_;
  pending_change_ = pending_layout_ = false;
  if (state_changed) DataEvent(deUpdateState);
  if (changed) DataEvent(layout ? deLayoutChange : deDataSetChange);
}

void TDataSet::DataEvent(TDataEvent event, std::intptr_t info) {
  if (disable_count_ > 0) {
    if (event != deUpdateState && event != deFocusControl) pending_change_ = true;
    if (event == deLayoutChange) pending_layout_ = true;
    return;
  }
  // Most data sets have no source or one: nothing to copy then (a copy guards the
  // iteration against sources that come or go meanwhile).
  if (data_sources_.empty()) return;
  if (data_sources_.size() == 1) {
    data_sources_.front()->DataEvent(event, info);
    return;
  }
  const std::vector<TDataSource*> sources = data_sources_;
  for (TDataSource* source : sources) {
    if (std::find(data_sources_.begin(), data_sources_.end(), source) != data_sources_.end()) {
      source->DataEvent(event, info);
    }
  }
}

void TDataSet::AddDataSource(TDataSource* source) {
  if (std::find(data_sources_.begin(), data_sources_.end(), source) == data_sources_.end()) {
    data_sources_.push_back(source);
  }
}

void TDataSet::RemoveDataSource(TDataSource* source) {
  data_sources_.erase(std::remove(data_sources_.begin(), data_sources_.end(), source), data_sources_.end());
}

void TDataSet::SetState(TDataSetState state) {
  if (state == state_) return;
  state_ = state;
  DataEvent(deUpdateState);
}

// --- Editing -------------------------------------------------------------------------

void TDataSet::StartEditing(TDataSetState state, RowId row) {
  edit_buffer_.assign(static_cast<std::size_t>(store_->ColumnCount()), Variant::Null());
  if (row != kNoRow) {
    for (int c = 0; c < store_->ColumnCount(); ++c) edit_buffer_[static_cast<std::size_t>(c)] = store_->Get(row, c);
  }
  edit_row_ = row;
  ++data_version_;
  SetState(state);
}

void TDataSet::EndEditing() {
  edit_buffer_.clear();
  edit_row_ = kNoRow;
  ++data_version_;
  SetState(dsBrowse);
}

void TDataSet::Edit() {
  CheckActive();
  if (state_ == dsEdit || state_ == dsInsert) return;
  if (ReadOnlyDataSet()) Error(ReadOnlyMessage());
  CheckBrowseMode();
  const RowId row = CurrentRow();
  if (row == kNoRow) {
    Insert();
    return;
  }
  StartEditing(dsEdit, row);
}

void TDataSet::Insert() {
  CheckActive();
  if (ReadOnlyDataSet()) Error(ReadOnlyMessage());
  CheckBrowseMode();
  StartEditing(dsInsert, kNoRow);
}

void TDataSet::Append() { Insert(); }

void TDataSet::CheckBrowseMode() {
  CheckActive();
  if (state_ == dsEdit || state_ == dsInsert) {
    Post();
  } else if (state_ == dsSetKey) {
    Cancel();
  }
}

void TDataSet::Post() {
  CheckActive();
  if (state_ != dsEdit && state_ != dsInsert) {
    if (state_ == dsSetKey) Cancel();
    return;
  }
  // Edit and Insert refuse a read-only data set already; this guards every other way into
  // an editing state.
  if (ReadOnlyDataSet()) Error(ReadOnlyMessage());
  BeforePost(this);
  for (TField* f : fields_) {
    if (f->Calculated() || !f->Required() || f->DataType() == TFieldType::ftAutoInc) continue;
    if (edit_buffer_[static_cast<std::size_t>(f->column_)].IsClear()) {
      Error("Field '" + f->DisplayName() + "' must have a value");
    }
  }
  for (int c = 0; c < field_defs_.Count(); ++c) {
    const TFieldDef& def = field_defs_.Items(c);
    if (def.required && def.data_type != TFieldType::ftAutoInc &&
        edit_buffer_[static_cast<std::size_t>(c)].IsClear()) {
      Error("Field '" + def.name + "' must have a value");
    }
  }
  std::vector<Variant> values = edit_buffer_;
  const bool inserting = state_ == dsInsert;
  InternalPost(inserting ? kNoRow : edit_row_, values);  // may raise: nothing changed yet

  RowId row = edit_row_;
  // Leave the filtered view before the order keys change, so it can be found again.
  auto remove_from_view = [this](RowId r) {
    if (!filter_active_ || accepted_[r] == 0) return;
    const std::size_t pos = ViewLowerBound(r);
    if (pos < filtered_.size() && filtered_[pos] == r) filtered_.erase(filtered_.begin() + static_cast<std::ptrdiff_t>(pos));
    accepted_[r] = 0;
  };
  if (inserting) {
    row = store_->AppendRow();
    natural_.push_back(row);
    if (filter_active_) accepted_.resize(store_->RowLimit(), 0);
  } else {
    remove_from_view(row);
    RowWriting(row);
  }
  for (int c = 0; c < store_->ColumnCount(); ++c) store_->Set(row, c, values[static_cast<std::size_t>(c)]);
  ++data_version_;
  RowsChanged();
  RowWritten(row, inserting);
  RowPosted(row);
  if (filter_active_) {
    std::vector<Variant> none;
    edit_buffer_.swap(none);  // the filter reads the stored row
    const bool accept = CallFilter(row);
    edit_buffer_.swap(none);
    if (accept) {
      accepted_[row] = 1;
      filtered_.insert(filtered_.begin() + static_cast<std::ptrdiff_t>(ViewLowerBound(row)), row);
    }
  }
  // The cursor goes to the posted row (or, hidden by the filter, where it would stand)
  // before the links hear that editing ended, so that they read a record of the view.
  SetCursor(ViewLowerBound(row));
  // The row took its place in natural_ (an insert has the highest id), in the orders
  // (RowWritten) and, as the filter decided, in the view; copies it replaced left them all.
  assert(ViewIsSoundAt(row));
  EndEditing();
  Scrolled();
  AfterPost(this);
}

void TDataSet::ForgetRow(RowId row) {
  assert(store_->IsLive(row) && row != edit_row_);  // never the row being edited
  if (filter_active_ && accepted_[row] != 0) {
    const std::size_t pos = ViewLowerBound(row);
    assert(pos < filtered_.size() && filtered_[pos] == row);  // accepted rows are in the view
    filtered_.erase(filtered_.begin() + static_cast<std::ptrdiff_t>(pos));
    accepted_[row] = 0;
  }
  RowDeleting(row);
  auto it = std::lower_bound(natural_.begin(), natural_.end(), row);
  if (it != natural_.end() && *it == row) natural_.erase(it);
  store_->DeleteRow(row);
  ++data_version_;
  RowsChanged();
}

void TDataSet::Cancel() {
  if (state_ == dsEdit || state_ == dsInsert) {
    EndEditing();
    DataEvent(deDataSetChange);
  }
}

void TDataSet::Delete() {
  CheckActive();
  if (ReadOnlyDataSet()) Error(ReadOnlyMessage());
  if (state_ == dsInsert) {
    Cancel();
    return;
  }
  if (state_ == dsEdit) EndEditing();
  if (state_ == dsSetKey) Cancel();
  const RowId row = CurrentRow();
  if (row == kNoRow) Error("Cannot perform this operation on an empty dataset");
  BeforeDelete(this);
  if (partial_rows_) {
    // The record that becomes current is the source's next (or, at the end, previous) one.
    HoldNeighbour(row, true);
    HoldNeighbour(row, false);
  }
  InternalDelete(row);  // may raise: nothing changed yet
  const std::size_t position = cursor_;
  ForgetRow(row);
  SetCursor(position);
  // The row left the store, natural_, the orders (RowDeleting) and the view together;
  // the cursor stands on the record that followed it, or on the new last one.
  assert(ViewIsSoundAt(row));
  Scrolled();
  AfterDelete(this);
}

}  // namespace vantor
