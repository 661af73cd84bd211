#include <vantor/platform/data/table.h>

#include <vantor/platform/data/internal/held_rows.h>
#include <vantor/platform/data/internal/row_order.h>

#include <algorithm>
#include <cassert>
#include <functional>
#include <string_view>

#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/exceptions.h>

namespace vantor {

const TypeInfo& TTable::StaticType() {
  static const TypeInfo info = TypeBuilder<TTable>("TTable", &TDataSet::StaticType())
                                   .Component()
                                   .Property("IndexFieldNames", &TTable::IndexFieldNames, &TTable::SetIndexFieldNames, "")
                                   .Property("IndexName", &TTable::IndexName, &TTable::SetIndexName, "")
                                   .Build();
  return info;
}

TTable::TTable(TComponent* owner) : TDataSet(owner), held_(std::make_unique<THeldRows>()) {}

TTable::~TTable() { DestroyDataSet(); }

// --- Opening ---------------------------------------------------------------------------

std::unique_ptr<TRowStore> TTable::PrepareStore(std::unique_ptr<TRowStore> existing) {
  if (FieldDefs().Count() == 0) {
    // Persistent data fields describe the columns of a table that has no definitions.
    for (int i = 0; i < FieldCount(); ++i) {
      TField* f = Fields(i);
      if (!f->Calculated()) FieldDefs().Add(f->FieldName(), f->DataType(), f->Size(), f->Required());
    }
  }
  if (FieldDefs().Count() == 0) Error("No fields defined");
  std::vector<TFieldType> types;
  for (int i = 0; i < FieldDefs().Count(); ++i) types.push_back(FieldDefs().Items(i).data_type);
  if (existing) {
    bool same = existing->ColumnCount() == static_cast<int>(types.size());
    for (int i = 0; same && i < existing->ColumnCount(); ++i) same = existing->Kind(i) == StorageKindOf(types[static_cast<std::size_t>(i)]);
    if (same) return existing;
    if (existing->LiveCount() > 0) Error("Field definitions changed while the table holds rows; call EmptyTable first");
  }
  return std::make_unique<TRowStore>(types);
}

std::unique_ptr<TRowStore> TTable::InternalOpen(std::unique_ptr<TRowStore> existing) {
  return PrepareStore(std::move(existing));
}

void TTable::InternalClose() {
  current_ = nullptr;
  held_->Clear();
  orders_.clear();
  seek_key_.clear();
  autoinc_high_.clear();
  key_fields_.clear();
  key_buffer_.clear();
  key_written_.clear();
  saved_key_.clear();
  saved_written_.clear();
}

void TTable::AfterBind() {
  const auto columns = static_cast<std::size_t>(FieldDefs().Count());
  key_buffer_.assign(columns, Variant::Null());
  key_written_.assign(columns, false);
  autoinc_high_.assign(columns, -1);
  orders_version_ = index_defs_.Version();
  // The order is chosen over the rows at hand; then, reading on demand (which rows read
  // again by RowsReplaced may no longer do), its first window is read.
  SetPartialRows(false);
  SelectOrder(index_name_, index_field_names_);
  SetPartialRows(window_ > 0);
  if (window_ > 0) StartOnDemand(true);
}

void TTable::RowsReplaced() {
  current_ = nullptr;
  orders_.clear();
  seek_key_.clear();
  held_->Clear();
  AfterBind();
}

// --- Orders ------------------------------------------------------------------------------

TRowOrder& TTable::BuildOrder(const TIndexDef* def, const std::vector<std::string>& fields) {
  auto order = std::make_unique<TRowOrder>();
  order->def_name = def != nullptr ? def->Name() : std::string();
  order->unique = def != nullptr && (def->Options().Contains(ixUnique) || def->Options().Contains(ixPrimary));
  for (const std::string& name : fields) {
    const int column = FieldDefs().IndexOf(name);
    if (column < 0) Error("Field '" + name + "' not found");
    order->parts.push_back(KeyPart{column, def != nullptr && def->IsDescending(name),
                                   def != nullptr && def->IsCaseInsensitive(name)});
  }
  order->key_parts = order->parts.size();
  for (int column : TieColumns()) {
    const bool among = std::any_of(order->parts.begin(), order->parts.end(),
                                   [column](const KeyPart& p) { return p.column == column && !p.case_insensitive; });
    if (!among) order->parts.push_back(KeyPart{column, false, false});
  }
  TRowOrder& o = *order;
  o.Build(*Store(), TDataSet::CurrentOrder());
  orders_.push_back(std::move(order));
  return o;
}

TRowOrder& TTable::OrderForDef(const TIndexDef& def) {
  for (auto& o : orders_) {
    if (!o->def_name.empty() && AnsiSameText(o->def_name, def.Name())) return *o;
  }
  return BuildOrder(&def, SplitFieldNames(def.Fields()));
}

TRowOrder* TTable::ResolveOrder(const std::string& index_name, const std::string& field_names,
                                    std::vector<TField*>& key_fields) {
  key_fields.clear();
  if (index_defs_.Version() != orders_version_) {
    current_ = nullptr;
    orders_.clear();
    orders_version_ = index_defs_.Version();
  }
  if (!index_name.empty()) {
    const int i = index_defs_.IndexOf(index_name);
    if (i < 0) Error("Index '" + index_name + "' not found");
    const TIndexDef& def = index_defs_.Items(i);
    for (const std::string& name : SplitFieldNames(def.Fields())) key_fields.push_back(FieldByName(name));
    return &OrderForDef(def);
  }
  const std::vector<std::string> names = SplitFieldNames(field_names);
  if (names.empty()) {
    // No index: the order of adding, or, where the rows come from a keyed source, its key.
    if (TieColumns().empty()) return nullptr;
    for (auto& o : orders_) {
      if (o->def_name.empty() && o->key_parts == 0) return o.get();
    }
    return &BuildOrder(nullptr, {});
  }
  for (const std::string& name : names) key_fields.push_back(FieldByName(name));
  if (const TIndexDef* def = index_defs_.GetIndexForFields(field_names, false)) return &OrderForDef(*def);
  for (auto& o : orders_) {
    if (!o->def_name.empty() || o->key_parts != names.size()) continue;
    bool same = true;
    for (std::size_t k = 0; k < names.size() && same; ++k) {
      same = o->parts[k].column == FieldDefs().IndexOf(names[k]);
    }
    if (same) return o.get();
  }
  return &BuildOrder(nullptr, names);
}

void TTable::SelectOrder(const std::string& index_name, const std::string& field_names) {
  std::vector<TField*> key_fields;
  TRowOrder* order = ResolveOrder(index_name, field_names, key_fields);  // raises before any change
  current_ = order;
  key_fields_ = std::move(key_fields);
  if (PartialRows()) StartOnDemand(false);
}

const std::vector<TKeyPart>& TTable::OrderParts() const {
  static const std::vector<TKeyPart> kNone;
  return current_ != nullptr ? current_->parts : kNone;
}

const std::vector<RowId>& TTable::CurrentOrder() const {
  return current_ != nullptr ? current_->rows : TDataSet::CurrentOrder();
}

int TTable::CompareRows(RowId a, RowId b) const {
  return current_ != nullptr ? current_->Compare(*Store(), a, b) : TDataSet::CompareRows(a, b);
}

void TTable::SetIndexName(const std::string& name) {
  if (name == index_name_ && index_field_names_.empty()) return;
  RowId keep = kNoRow;
  if (Active()) {
    CheckBrowseMode();
    keep = CurrentRow();
    SelectOrder(name, "");
  }
  index_name_ = name;
  index_field_names_.clear();
  OrderChanged(keep);
}

void TTable::SetIndexFieldNames(const std::string& names) {
  if (names == index_field_names_ && index_name_.empty()) return;
  RowId keep = kNoRow;
  if (Active()) {
    CheckBrowseMode();
    keep = CurrentRow();
    SelectOrder("", names);
  }
  index_field_names_ = names;
  index_name_.clear();
  OrderChanged(keep);
}

int TTable::IndexFieldCount() const { return static_cast<int>(key_fields_.size()); }

TField* TTable::IndexFields(int index) const {
  if (index < 0 || index >= IndexFieldCount()) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  }
  return key_fields_[static_cast<std::size_t>(index)];
}

// --- Row maintenance ------------------------------------------------------------------------

void TTable::RowWriting(RowId row) {
  const TRowStore& store = *Store();
  if (PartialRows()) held_->Leaving(store, *current_, current_->Position(store, row), row);
  for (auto& order : orders_) order->Erase(store, row);
  AutoIncRowLeaving(row);
}

void TTable::RowWritten(RowId row, bool /*inserted*/) {
  const TRowStore& store = *Store();
  for (auto& order : orders_) order->Insert(store, row);
  AutoIncRowWritten(row);
  // The source holds the row too now.
  if (PartialRows()) held_->Arrived(store, *current_, current_->Position(store, row), row);
}

void TTable::RowPosted(RowId row) {
  for (int i = 0; i < index_defs_.Count(); ++i) {
    const TIndexDef& def = index_defs_.Items(i);
    if (!def.Options().Contains(ixPrimary)) continue;
    const TRowOrder& order = OrderForDef(def);
    const TRowStore& store = *Store();
    std::vector<Variant> key;
    for (std::size_t p = 0; p < order.key_parts; ++p) {
      // Only keys the client compares exactly as the source does: integers, and texts
      // compared byte for byte. A time held to the millisecond, a real or a text under a
      // case rule may tie here for two rows the source tells apart.
      const KeyPart& part = order.parts[p];
      const TFieldType type = FieldDefs().Items(part.column).data_type;
      const TStorageKind kind = StorageKindOf(type);
      const bool exact = kind == TStorageKind::skInt16 || kind == TStorageKind::skUInt16 ||
                         kind == TStorageKind::skInt32 || kind == TStorageKind::skInt64 ||
                         (kind == TStorageKind::skText && !part.case_insensitive);
      if (!exact) return;
      key.push_back(store.Get(row, part.column));
      if (key.back().IsClear()) return;  // a null names no row
    }
    std::vector<RowId> copies;
    for (std::size_t pos = order.KeyPosition(store, key, key.size());
         pos < order.rows.size() && order.CompareKey(store, key, key.size(), order.rows[pos]) == 0; ++pos) {
      if (order.rows[pos] != row) copies.push_back(order.rows[pos]);
    }
    for (RowId copy : copies) ForgetRow(copy);
    return;
  }
}

void TTable::RowDeleting(RowId row) { RowWriting(row); }

void TTable::AutoIncRowLeaving(RowId row) {
  const TRowStore& store = *Store();
  for (std::size_t c = 0; c < autoinc_high_.size(); ++c) {
    const int column = static_cast<int>(c);
    // The highest number leaving: the next one is the highest of the others, found when needed.
    if (autoinc_high_[c] > 0 && !store.IsNull(row, column) && store.GetInt(row, column) >= autoinc_high_[c]) {
      autoinc_high_[c] = -1;
    }
  }
}

void TTable::AutoIncRowWritten(RowId row) {
  const TRowStore& store = *Store();
  for (std::size_t c = 0; c < autoinc_high_.size(); ++c) {
    const int column = static_cast<int>(c);
    if (autoinc_high_[c] >= 0 && !store.IsNull(row, column)) {
      autoinc_high_[c] = std::max<std::int64_t>(autoinc_high_[c], store.GetInt(row, column));
    }
  }
}

void TTable::AssignAutoInc(std::vector<Variant>& values) {
  for (int c = 0; c < FieldDefs().Count(); ++c) {
    if (FieldDefs().Items(c).data_type != TFieldType::ftAutoInc) continue;
    auto& v = values[static_cast<std::size_t>(c)];
    if (!v.IsClear()) continue;
    std::int64_t& high = autoinc_high_[static_cast<std::size_t>(c)];
    if (high < 0) {
      // Unknown since opening or since the highest number left: one scan of the column.
      high = 0;
      const TRowStore& store = *Store();
      for (RowId r = 0; r < store.RowLimit(); ++r) {
        if (store.IsLive(r) && !store.IsNull(r, c)) high = std::max<std::int64_t>(high, store.GetInt(r, c));
      }
    }
    if (high >= INT32_MAX) Error("No more numbers for field '" + FieldDefs().Items(c).name + "'");
    v = Variant(static_cast<std::int32_t>(high + 1));
  }
}

void TTable::CheckUniqueKeys(RowId row, const std::vector<Variant>& values) {
  for (int i = 0; i < index_defs_.Count(); ++i) {
    const TIndexDef& def = index_defs_.Items(i);
    if (!def.Options().Contains(ixUnique) && !def.Options().Contains(ixPrimary)) continue;
    const TRowOrder& order = OrderForDef(def);
    const TRowStore& store = *Store();
    std::vector<Variant> key;
    bool has_null = false;
    for (std::size_t i = 0; i < order.key_parts; ++i) {
      key.push_back(values[static_cast<std::size_t>(order.parts[i].column)]);
      has_null = has_null || key.back().IsClear();
    }
    if (has_null) continue;
    for (std::size_t pos = order.KeyPosition(store, key, key.size());
         pos < order.rows.size() && order.CompareKey(store, key, key.size(), order.rows[pos]) == 0; ++pos) {
      if (order.rows[pos] != row) Error("Key violation: index '" + def.Name() + "' already holds this key");
    }
  }
}

void TTable::InternalPost(RowId row, std::vector<Variant>& values) {
  if (row == kNoRow) AssignAutoInc(values);
  CheckUniqueKeys(row, values);
}

void TTable::EmptyTable() {
  TRowStore* store = Store();
  if (Active()) CheckBrowseMode();
  if (store == nullptr) return;
  if (!Active()) {
    store->Clear();  // the orders went with the closing
    return;
  }
  // Refused whatever the rows held: a table that holds none (read on demand, narrowed by
  // a server condition) would otherwise empty its source.
  if (!CanModify()) Error(ReadOnlyMessage());
  InternalEmpty();  // may raise: nothing changed yet
  for (auto& o : orders_) {
    o->rows = {};
    o->lead = {};
  }
  for (std::int64_t& high : autoinc_high_) {
    if (high >= 0) high = 0;
  }
  DropAllRows();
  held_->Clear();
  held_->SetHeadKnown(true);  // the source is empty too
}

std::size_t TTable::RowStoreMemory() const { return Store() != nullptr ? Store()->MemoryBytes() : 0; }

std::size_t TTable::RowStoreRawBytes() const { return Store() != nullptr ? Store()->RawBytes() : 0; }

// --- Key buffer and seeks -----------------------------------------------------------------

Variant TTable::GetFieldValue(const TField& field) const {
  if (State() == dsSetKey && !field.Calculated()) {
    return key_buffer_[static_cast<std::size_t>(FieldColumn(field))];
  }
  return TDataSet::GetFieldValue(field);
}

void TTable::SetFieldValue(TField& field, const Variant& value) {
  if (State() != dsSetKey) {
    TDataSet::SetFieldValue(field, value);
    return;
  }
  if (field.Calculated()) Error("Field '" + field.FieldName() + "' cannot be modified");
  const auto column = static_cast<std::size_t>(FieldColumn(field));
  key_buffer_[column] = value;
  key_written_[column] = true;
}

void TTable::SetKey() {
  CheckActive();
  CheckBrowseMode();
  if (key_fields_.empty()) Error("No index selected: set IndexName or IndexFieldNames");
  // The previous key moves aside whole (no copies of its values), the buffer starts null.
  saved_key_.swap(key_buffer_);
  saved_written_.swap(key_written_);
  key_buffer_.assign(saved_key_.size(), Variant::Null());
  key_written_.assign(saved_written_.size(), false);
  SetState(dsSetKey);
}

void TTable::EditKey() {
  CheckActive();
  CheckBrowseMode();
  if (key_fields_.empty()) Error("No index selected: set IndexName or IndexFieldNames");
  saved_key_ = key_buffer_;
  saved_written_ = key_written_;
  SetState(dsSetKey);
}

void TTable::Cancel() {
  if (State() != dsSetKey) {
    TDataSet::Cancel();
    return;
  }
  key_buffer_ = saved_key_;
  key_written_ = saved_written_;
  SetState(dsBrowse);
}

const std::vector<Variant>& TTable::TakeKey(std::size_t& count) {
  CheckActive();
  if (State() == dsSetKey) SetState(dsBrowse);
  if (State() != dsBrowse) CheckBrowseMode();
  if (key_fields_.empty()) Error("No index selected: set IndexName or IndexFieldNames");
  const std::size_t parts = key_fields_.size();
  if (key_field_count_ > 0) {
    count = std::min(parts, static_cast<std::size_t>(key_field_count_));
  } else {
    count = 0;
    for (std::size_t i = 0; i < parts; ++i) {
      if (key_written_[static_cast<std::size_t>(current_->parts[i].column)]) count = i + 1;
    }
  }
  seek_key_.resize(count);
  for (std::size_t i = 0; i < count; ++i) seek_key_[i] = key_buffer_[static_cast<std::size_t>(current_->parts[i].column)];
  return seek_key_;
}

std::size_t TTable::SeekPosition(const std::vector<Variant>& key, std::size_t count) const {
  if (!FilterActive()) return current_->KeyPosition(*Store(), key, count);
  // The filtered view is a subsequence of the order without leads of its own.
  const std::vector<RowId>& view = View();
  auto it = std::lower_bound(view.begin(), view.end(), 0, [&](RowId r, int) {
    return current_->CompareKey(*Store(), key, count, r) < 0;
  });
  return static_cast<std::size_t>(it - view.begin());
}

bool TTable::GotoKey() {
  std::size_t count = 0;
  const std::vector<Variant>& key = TakeKey(count);
  HoldKey(key, count);
  const std::size_t pos = SeekPosition(key, count);
  const std::vector<RowId>& view = View();
  if (pos >= view.size() || current_->CompareKey(*Store(), key, count, view[pos]) != 0) return false;
  MoveToViewPosition(pos, false);
  return true;
}

void TTable::GotoNearest() {
  std::size_t count = 0;
  const std::vector<Variant>& key = TakeKey(count);
  HoldKey(key, count);
  if (View().empty()) return;
  MoveToViewPosition(SeekPosition(key, count), true);
}

namespace {

// Sets KeyFieldCount for one seek and puts the previous value back.
class KeyCountScope {
 public:
  KeyCountScope(TTable& table, int count) : table_(table), saved_(table.KeyFieldCount()) {
    table.SetKeyFieldCount(count);
  }
  ~KeyCountScope() { table_.SetKeyFieldCount(saved_); }
  KeyCountScope(const KeyCountScope&) = delete;
  KeyCountScope& operator=(const KeyCountScope&) = delete;

 private:
  TTable& table_;
  int saved_;
};

// The first steps of FindKey and FindNearest: SetKey, then `values` into the leading index
// fields (`raise` raises the table's error when there are more values than index fields).
// When that fails the key is cancelled and the error goes on. Without values the key is
// cancelled too and the table goes to its first record: false then; true when the seek by
// the values is to follow.
template <typename Raise>
bool EnterKeyValues(TTable& table, const std::vector<Variant>& values, Raise raise) {
  table.SetKey();
  try {
    if (static_cast<int>(values.size()) > table.IndexFieldCount()) {
      raise("Too many key values (" + std::to_string(values.size()) + ") for an index of " +
            std::to_string(table.IndexFieldCount()) + " fields");
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
      table.IndexFields(static_cast<int>(i))->SetAsVariant(values[i]);
    }
  } catch (...) {
    table.Cancel();
    throw;
  }
  if (!values.empty()) return true;
  table.Cancel();
  table.First();
  return false;
}

}  // namespace

bool TTable::FindKey(const std::vector<Variant>& values) {
  if (!EnterKeyValues(*this, values, [this](const std::string& message) { Error(message); })) {
    return !IsEmpty();
  }
  KeyCountScope scope(*this, static_cast<int>(values.size()));
  return GotoKey();
}

void TTable::FindNearest(const std::vector<Variant>& values) {
  if (!EnterKeyValues(*this, values, [this](const std::string& message) { Error(message); })) {
    return;
  }
  KeyCountScope scope(*this, static_cast<int>(values.size()));
  GotoNearest();
}

}  // namespace vantor
