#include "platform/data/table.h"

#include <algorithm>

#include "platform/rtl/ansi_strings.h"
#include "platform/rtl/exceptions.h"

namespace vantor {

const TypeInfo& TTable::StaticType() {
  static const TypeInfo info = TypeBuilder<TTable>("TTable", &TDataSet::StaticType())
                                   .Component()
                                   .Property("IndexFieldNames", &TTable::IndexFieldNames, &TTable::SetIndexFieldNames, "")
                                   .Property("IndexName", &TTable::IndexName, &TTable::SetIndexName, "")
                                   .Build();
  return info;
}

TTable::TTable(TComponent* owner) : TDataSet(owner) {}

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
  orders_.clear();
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
  orders_version_ = index_defs_.Version();
  SelectOrder(index_name_, index_field_names_);
}

// --- Orders ------------------------------------------------------------------------------

int TTable::CompareIn(const Order& order, RowId a, RowId b) const {
  const TRowStore& store = *Store();
  for (const KeyPart& p : order.parts) {
    int c = store.CompareCells(p.column, a, b, p.case_insensitive);
    if (c != 0) return p.descending ? -c : c;
  }
  return a < b ? -1 : (a > b ? 1 : 0);
}

int TTable::CompareKey(const Order& order, const std::vector<Variant>& key, std::size_t count, RowId row,
                       bool fold_only) const {
  const TRowStore& store = *Store();
  for (std::size_t i = 0; i < count; ++i) {
    const KeyPart& p = order.parts[i];
    int c = store.CompareCellToValue(p.column, row, key[i], p.case_insensitive, fold_only);
    if (c != 0) return p.descending ? -c : c;
  }
  return 0;
}

TTable::Order& TTable::BuildOrder(const TIndexDef* def, const std::vector<std::string>& fields) {
  auto order = std::make_unique<Order>();
  order->def_name = def != nullptr ? def->Name() : std::string();
  order->unique = def != nullptr && (def->Options().Contains(ixUnique) || def->Options().Contains(ixPrimary));
  for (const std::string& name : fields) {
    const int column = FieldDefs().IndexOf(name);
    if (column < 0) Error("Field '" + name + "' not found");
    order->parts.push_back(KeyPart{column, def != nullptr && def->IsDescending(name),
                                   def != nullptr && def->IsCaseInsensitive(name)});
  }
  order->rows = TDataSet::CurrentOrder();
  Order& o = *order;
  std::sort(o.rows.begin(), o.rows.end(), [this, &o](RowId a, RowId b) { return CompareIn(o, a, b) < 0; });
  orders_.push_back(std::move(order));
  return o;
}

TTable::Order& TTable::OrderForDef(const TIndexDef& def) {
  for (auto& o : orders_) {
    if (!o->def_name.empty() && AnsiSameText(o->def_name, def.Name())) return *o;
  }
  return BuildOrder(&def, SplitFieldNames(def.Fields()));
}

TTable::Order* TTable::ResolveOrder(const std::string& index_name, const std::string& field_names,
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
  if (names.empty()) return nullptr;
  for (const std::string& name : names) key_fields.push_back(FieldByName(name));
  if (const TIndexDef* def = index_defs_.GetIndexForFields(field_names, false)) return &OrderForDef(*def);
  for (auto& o : orders_) {
    if (!o->def_name.empty() || o->parts.size() != names.size()) continue;
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
  Order* order = ResolveOrder(index_name, field_names, key_fields);  // raises before any change
  current_ = order;
  key_fields_ = std::move(key_fields);
}

const std::vector<RowId>& TTable::CurrentOrder() const {
  return current_ != nullptr ? current_->rows : TDataSet::CurrentOrder();
}

int TTable::CompareRows(RowId a, RowId b) const {
  return current_ != nullptr ? CompareIn(*current_, a, b) : TDataSet::CompareRows(a, b);
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
  for (auto& o : orders_) {
    Order& order = *o;
    auto it = std::lower_bound(order.rows.begin(), order.rows.end(), row,
                               [this, &order](RowId a, RowId b) { return CompareIn(order, a, b) < 0; });
    if (it != order.rows.end() && *it == row) order.rows.erase(it);
  }
}

void TTable::RowWritten(RowId row, bool /*inserted*/) {
  for (auto& o : orders_) {
    Order& order = *o;
    auto it = std::lower_bound(order.rows.begin(), order.rows.end(), row,
                               [this, &order](RowId a, RowId b) { return CompareIn(order, a, b) < 0; });
    order.rows.insert(it, row);
  }
}

void TTable::RowDeleting(RowId row) { RowWriting(row); }

void TTable::AssignAutoInc(std::vector<Variant>& values) {
  for (int c = 0; c < FieldDefs().Count(); ++c) {
    if (FieldDefs().Items(c).data_type != TFieldType::ftAutoInc) continue;
    auto& v = values[static_cast<std::size_t>(c)];
    if (!v.IsClear()) continue;
    std::int64_t high = 0;
    const TRowStore& store = *Store();
    for (RowId r = 0; r < store.RowLimit(); ++r) {
      if (store.IsLive(r) && !store.IsNull(r, c)) high = std::max<std::int64_t>(high, store.GetInt(r, c));
    }
    if (high >= INT32_MAX) Error("No more numbers for field '" + FieldDefs().Items(c).name + "'");
    v = Variant(static_cast<std::int32_t>(high + 1));
  }
}

void TTable::CheckUniqueKeys(RowId row, const std::vector<Variant>& values) {
  for (int i = 0; i < index_defs_.Count(); ++i) {
    const TIndexDef& def = index_defs_.Items(i);
    if (!def.Options().Contains(ixUnique) && !def.Options().Contains(ixPrimary)) continue;
    Order& order = OrderForDef(def);
    std::vector<Variant> key;
    bool has_null = false;
    for (const KeyPart& p : order.parts) {
      key.push_back(values[static_cast<std::size_t>(p.column)]);
      has_null = has_null || key.back().IsClear();
    }
    if (has_null) continue;
    auto it = std::lower_bound(order.rows.begin(), order.rows.end(), 0, [&](RowId r, int) {
      return CompareKey(order, key, key.size(), r, true) < 0;
    });
    for (; it != order.rows.end() && CompareKey(order, key, key.size(), *it, true) == 0; ++it) {
      if (*it != row) Error("Key violation: index '" + def.Name() + "' already holds this key");
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
    for (RowId r = 0; r < store->RowLimit(); ++r) store->DeleteRow(r);
    return;
  }
  // Through the data set, so views, orders and links follow.
  DisableControls();
  try {
    Last();  // from the end, so each removal shifts nothing
    while (!IsEmpty()) Delete();
  } catch (...) {
    EnableControls();
    throw;
  }
  EnableControls();
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
  if (current_ == nullptr) Error("No index selected: set IndexName or IndexFieldNames");
  saved_key_ = key_buffer_;
  saved_written_ = key_written_;
  std::fill(key_buffer_.begin(), key_buffer_.end(), Variant::Null());
  std::fill(key_written_.begin(), key_written_.end(), false);
  SetState(dsSetKey);
}

void TTable::EditKey() {
  CheckActive();
  CheckBrowseMode();
  if (current_ == nullptr) Error("No index selected: set IndexName or IndexFieldNames");
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

std::vector<Variant> TTable::TakeKey(std::size_t& count) {
  CheckActive();
  if (State() == dsSetKey) SetState(dsBrowse);
  if (State() != dsBrowse) CheckBrowseMode();
  if (current_ == nullptr) Error("No index selected: set IndexName or IndexFieldNames");
  const std::size_t parts = key_fields_.size();
  if (key_field_count_ > 0) {
    count = std::min(parts, static_cast<std::size_t>(key_field_count_));
  } else {
    count = 0;
    for (std::size_t i = 0; i < parts; ++i) {
      if (key_written_[static_cast<std::size_t>(current_->parts[i].column)]) count = i + 1;
    }
  }
  std::vector<Variant> key;
  key.reserve(count);
  for (std::size_t i = 0; i < count; ++i) key.push_back(key_buffer_[static_cast<std::size_t>(current_->parts[i].column)]);
  return key;
}

std::size_t TTable::SeekPosition(const std::vector<Variant>& key, std::size_t count, bool fold_only) const {
  const std::vector<RowId>& view = View();
  auto it = std::lower_bound(view.begin(), view.end(), 0, [&](RowId r, int) {
    return CompareKey(*current_, key, count, r, fold_only) < 0;
  });
  return static_cast<std::size_t>(it - view.begin());
}

bool TTable::GotoKey() {
  std::size_t count = 0;
  const std::vector<Variant> key = TakeKey(count);
  const std::size_t pos = SeekPosition(key, count, true);
  const std::vector<RowId>& view = View();
  if (pos >= view.size() || CompareKey(*current_, key, count, view[pos], true) != 0) return false;
  MoveToViewPosition(pos, false);
  return true;
}

void TTable::GotoNearest() {
  std::size_t count = 0;
  const std::vector<Variant> key = TakeKey(count);
  if (View().empty()) return;
  MoveToViewPosition(SeekPosition(key, count, false), true);
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

}  // namespace

bool TTable::FindKey(const std::vector<Variant>& values) {
  SetKey();
  try {
    if (static_cast<int>(values.size()) > IndexFieldCount()) {
      Error("Too many key values (" + std::to_string(values.size()) + ") for an index of " +
            std::to_string(IndexFieldCount()) + " fields");
    }
    for (std::size_t i = 0; i < values.size(); ++i) IndexFields(static_cast<int>(i))->SetAsVariant(values[i]);
  } catch (...) {
    Cancel();
    throw;
  }
  if (values.empty()) {
    Cancel();
    First();
    return !IsEmpty();
  }
  KeyCountScope scope(*this, static_cast<int>(values.size()));
  return GotoKey();
}

void TTable::FindNearest(const std::vector<Variant>& values) {
  SetKey();
  try {
    if (static_cast<int>(values.size()) > IndexFieldCount()) {
      Error("Too many key values (" + std::to_string(values.size()) + ") for an index of " +
            std::to_string(IndexFieldCount()) + " fields");
    }
    for (std::size_t i = 0; i < values.size(); ++i) IndexFields(static_cast<int>(i))->SetAsVariant(values[i]);
  } catch (...) {
    Cancel();
    throw;
  }
  if (values.empty()) {
    Cancel();
    First();
    return;
  }
  KeyCountScope scope(*this, static_cast<int>(values.size()));
  GotoNearest();
}

}  // namespace vantor
