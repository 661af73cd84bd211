#include <vantor/platform/data/table.h>

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
  linked_.clear();
  held_by_key_.clear();
  head_known_ = false;
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
  linked_.clear();
  held_by_key_.clear();
  AfterBind();
}

// --- Orders ------------------------------------------------------------------------------

int TTable::CompareIn(const Order& order, RowId a, RowId b, std::size_t first_part) const {
  const TRowStore& store = *Store();
  for (std::size_t i = first_part; i < order.parts.size(); ++i) {
    const KeyPart& p = order.parts[i];
    int c = store.CompareCells(p.column, a, b, p.case_insensitive);
    if (c != 0) return p.descending ? -c : c;
  }
  return a < b ? -1 : (a > b ? 1 : 0);
}

int TTable::CompareKey(const Order& order, const std::vector<Variant>& key, std::size_t count, RowId row,
                       std::size_t first_part) const {
  const TRowStore& store = *Store();
  for (std::size_t i = first_part; i < count; ++i) {
    const KeyPart& p = order.parts[i];
    int c = store.CompareCellToValue(p.column, row, key[i], p.case_insensitive);
    if (c != 0) return p.descending ? -c : c;
  }
  return 0;
}

std::uint64_t TTable::LeadOf(const Order& order, RowId row) const {
  if (order.parts.empty()) return 0;
  const KeyPart& p = order.parts.front();
  const std::uint64_t k = Store()->SortKey(p.column, row, p.case_insensitive);
  return p.descending ? ~k : k;
}

namespace {

// First position of a sorted order at or after a target: the leads decide, and `below`
// (is this row before the target?) only among rows whose lead equals the target's.
template <typename Below>
std::size_t LeadLowerBound(const std::vector<std::uint64_t>& lead, const std::vector<RowId>& rows, std::uint64_t key,
                           Below below) {
  std::size_t first = 0;
  std::size_t n = lead.size();
  while (n > 0) {
    const std::size_t half = n / 2;
    const std::size_t mid = first + half;
    const std::uint64_t k = lead[mid];
    if (k < key || (k == key && below(rows[mid]))) {
      first = mid + 1;
      n -= half + 1;
    } else {
      n = half;
    }
  }
  return first;
}

}  // namespace

std::size_t TTable::RowPosition(const Order& order, RowId row) const {
  const std::size_t from = order.lead_exact ? 1 : 0;
  return LeadLowerBound(order.lead, order.rows, LeadOf(order, row),
                        [&](RowId r) { return CompareIn(order, r, row, from) < 0; });
}

bool TTable::Precedes(const Order& order, std::size_t i, std::size_t j) const {
  if (order.lead[i] != order.lead[j]) return order.lead[i] < order.lead[j];
  return CompareIn(order, order.rows[i], order.rows[j], order.lead_exact ? 1 : 0) < 0;
}

bool TTable::OrderIsSound(const Order& order) const {
  const TRowStore& store = *Store();
  if (order.rows.size() != order.lead.size() || order.rows.size() != store.LiveCount()) return false;
  for (std::size_t i = 0; i < order.rows.size(); ++i) {
    if (!store.IsLive(order.rows[i]) || order.lead[i] != LeadOf(order, order.rows[i])) return false;
    // Strictly sorted (the row id breaks every tie) means no row twice; with as many
    // entries as live rows, every live row is there.
    if (i > 0 && !Precedes(order, i - 1, i)) return false;
  }
  return true;
}

std::size_t TTable::KeyPosition(const Order& order, const std::vector<Variant>& key, std::size_t count) const {
  if (count == 0 || order.parts.empty()) return 0;
  const KeyPart& p = order.parts.front();
  std::uint64_t k = 0;
  if (!TRowStore::SortKeyOf(Store()->Kind(p.column), key.front(), p.case_insensitive, k)) {
    // A key of another kind than its column: the comparison reports it.
    auto it = std::lower_bound(order.rows.begin(), order.rows.end(), 0, [&](RowId r, int) {
      return CompareKey(order, key, count, r) < 0;
    });
    return static_cast<std::size_t>(it - order.rows.begin());
  }
  if (p.descending) k = ~k;
  if (order.lead_exact && count == 1) {
    return static_cast<std::size_t>(std::lower_bound(order.lead.begin(), order.lead.end(), k) - order.lead.begin());
  }
  const std::size_t from = order.lead_exact ? 1 : 0;
  return LeadLowerBound(order.lead, order.rows, k,
                        [&](RowId r) { return CompareKey(order, key, count, r, from) < 0; });
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
  order->key_parts = order->parts.size();
  for (int column : TieColumns()) {
    const bool among = std::any_of(order->parts.begin(), order->parts.end(),
                                   [column](const KeyPart& p) { return p.column == column && !p.case_insensitive; });
    if (!among) order->parts.push_back(KeyPart{column, false, false});
  }
  Order& o = *order;
  if (!o.parts.empty()) o.lead_exact = TRowStore::SortKeyIsExact(Store()->Kind(o.parts.front().column));
  // Sorted as (lead, row) pairs: most comparisons never reach the rows.
  const std::vector<RowId>& all = TDataSet::CurrentOrder();
  std::vector<std::pair<std::uint64_t, RowId>> keyed;
  keyed.reserve(all.size());
  for (RowId r : all) keyed.emplace_back(LeadOf(o, r), r);
  const std::size_t from = o.lead_exact ? 1 : 0;
  std::sort(keyed.begin(), keyed.end(), [this, &o, from](const auto& a, const auto& b) {
    if (a.first != b.first) return a.first < b.first;
    return CompareIn(o, a.second, b.second, from) < 0;
  });
  o.rows.reserve(keyed.size());
  o.lead.reserve(keyed.size());
  for (const auto& [k, r] : keyed) {
    o.lead.push_back(k);
    o.rows.push_back(r);
  }
  // Sorted by the same (lead, key, row id) comparison that Precedes makes, from the rows of
  // the natural order, which are the live rows, each once.
  assert(OrderIsSound(o));
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
  Order* order = ResolveOrder(index_name, field_names, key_fields);  // raises before any change
  current_ = order;
  key_fields_ = std::move(key_fields);
  if (PartialRows()) StartOnDemand(false);
}

const std::vector<TTable::KeyPart>& TTable::OrderParts() const {
  static const std::vector<KeyPart> kNone;
  return current_ != nullptr ? current_->parts : kNone;
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
  if (PartialRows()) {
    const auto [first, last] = held_by_key_.equal_range(TieHash(row, TieColumns()));
    for (auto it = first; it != last; ++it) {
      if (it->second != row) continue;
      held_by_key_.erase(it);
      break;
    }
    // The row leaves its place: its neighbours are each other's where both links were known.
    const std::size_t pos = RowPosition(*current_, row);
    // Every held row is in every order, at the place its current values give it.
    assert(pos < current_->rows.size() && current_->rows[pos] == row);
    const bool through = linked_[row] != 0;
    if (pos == 0) {
      head_known_ = head_known_ && through;
    } else {
      unsigned char& before = linked_[current_->rows[pos - 1]];
      before = static_cast<unsigned char>(before != 0 && through);
    }
  }
  for (auto& o : orders_) {
    Order& order = *o;
    const std::size_t pos = RowPosition(order, row);
    if (pos < order.rows.size() && order.rows[pos] == row) {
      order.rows.erase(order.rows.begin() + static_cast<std::ptrdiff_t>(pos));
      order.lead.erase(order.lead.begin() + static_cast<std::ptrdiff_t>(pos));
    }
    // Rows and leads change together, one entry each.
    assert(order.rows.size() == order.lead.size());
  }
  AutoIncRowLeaving(row);
}

void TTable::RowWritten(RowId row, bool /*inserted*/) {
  for (auto& o : orders_) {
    Order& order = *o;
    const std::size_t pos = RowPosition(order, row);
    order.rows.insert(order.rows.begin() + static_cast<std::ptrdiff_t>(pos), row);
    order.lead.insert(order.lead.begin() + static_cast<std::ptrdiff_t>(pos), LeadOf(order, row));
    // RowPosition found the first entry not before the row, and RowWriting took the row
    // out before its values changed: it now stands between its neighbours, strictly.
    assert(pos == 0 || Precedes(order, pos - 1, pos));
    assert(pos + 1 == order.rows.size() || Precedes(order, pos, pos + 1));
  }
  AutoIncRowWritten(row);
  if (PartialRows()) {
    // The source holds the row too now: it is known to follow its neighbour where the
    // neighbour's next row was known, and leads on to that row.
    linked_.resize(Store()->RowLimit(), 0);
    linked_[row] = static_cast<unsigned char>(KnownBefore(RowPosition(*current_, row)));
    held_by_key_.emplace(TieHash(row, TieColumns()), row);
  }
}

void TTable::RowPosted(RowId row) {
  for (int i = 0; i < index_defs_.Count(); ++i) {
    const TIndexDef& def = index_defs_.Items(i);
    if (!def.Options().Contains(ixPrimary)) continue;
    Order& order = OrderForDef(def);
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
      key.push_back(Store()->Get(row, part.column));
      if (key.back().IsClear()) return;  // a null names no row
    }
    std::vector<RowId> copies;
    for (std::size_t pos = KeyPosition(order, key, key.size());
         pos < order.rows.size() && CompareKey(order, key, key.size(), order.rows[pos]) == 0; ++pos) {
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
    Order& order = OrderForDef(def);
    std::vector<Variant> key;
    bool has_null = false;
    for (std::size_t i = 0; i < order.key_parts; ++i) {
      key.push_back(values[static_cast<std::size_t>(order.parts[i].column)]);
      has_null = has_null || key.back().IsClear();
    }
    if (has_null) continue;
    for (std::size_t pos = KeyPosition(order, key, key.size());
         pos < order.rows.size() && CompareKey(order, key, key.size(), order.rows[pos]) == 0; ++pos) {
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
  linked_.clear();
  held_by_key_.clear();
  head_known_ = true;  // the source is empty too
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
  if (!FilterActive()) return KeyPosition(*current_, key, count);
  // The filtered view is a subsequence of the order without leads of its own.
  const std::vector<RowId>& view = View();
  auto it = std::lower_bound(view.begin(), view.end(), 0, [&](RowId r, int) {
    return CompareKey(*current_, key, count, r) < 0;
  });
  return static_cast<std::size_t>(it - view.begin());
}

bool TTable::GotoKey() {
  std::size_t count = 0;
  const std::vector<Variant>& key = TakeKey(count);
  HoldKey(key, count);
  const std::size_t pos = SeekPosition(key, count);
  const std::vector<RowId>& view = View();
  if (pos >= view.size() || CompareKey(*current_, key, count, view[pos]) != 0) return false;
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

// --- Rows read on demand ------------------------------------------------------------------

void TTable::StartOnDemand(bool read_first) {
  if (!PartialRows()) return;
  // A source that reads on demand names its key, so there is an order even without an index.
  assert(current_ != nullptr && !TieColumns().empty());
  linked_.assign(Store()->RowLimit(), 0);
  head_known_ = false;
  held_by_key_.clear();
  const std::vector<int> ties = TieColumns();
  for (RowId r : TDataSet::CurrentOrder()) held_by_key_.emplace(TieHash(r, ties), r);
  // A record filter about to decide over the rows needs them all anyway.
  const bool filtering = Filtered() && OnFilterRecord().Assigned();
  if (filtering || !ServesOrder()) {
    HoldAllRows();
    return;
  }
  if (read_first) HoldNeighbour(kNoRow, true);
}

bool TTable::KnownBefore(std::size_t pos) const {
  return pos == 0 ? head_known_ : linked_[current_->rows[pos - 1]] != 0;
}

std::uint64_t TTable::TieHash(RowId row, const std::vector<int>& ties) const {
  const TRowStore& store = *Store();
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (int c : ties) {
    // Sort keys name numbers and dates exactly but texts only by their first bytes.
    std::uint64_t cell = 0;
    if (store.IsNull(row, c)) {
      cell = 0x9e3779b97f4a7c15ULL;
    } else if (store.Kind(c) == TStorageKind::skText) {
      cell = std::hash<std::string_view>{}(store.GetText(row, c));
    } else {
      cell = store.SortKey(c, row, false);
    }
    hash = (hash ^ cell) * 0x100000001b3ULL;
  }
  return hash;
}

RowId TTable::HeldCopy(RowId row, const std::vector<int>& ties) const {
  const TRowStore& store = *Store();
  const auto [first, last] = held_by_key_.equal_range(TieHash(row, ties));
  for (auto it = first; it != last; ++it) {
    const RowId held = it->second;
    const bool same = std::all_of(ties.begin(), ties.end(),
                                  [&](int c) { return store.CompareCells(c, held, row, false) == 0; });
    if (same) return held;
  }
  return kNoRow;
}

void TTable::TakeCells(RowId held, RowId fetched) {
  TRowStore& store = *Store();
  bool same = true;
  for (int c = 0; c < store.ColumnCount() && same; ++c) same = store.CompareCells(c, held, fetched, false) == 0;
  if (same) return;
  // The table's own hooks, not a descendant's: this is no write of the source.
  TTable::RowWriting(held);
  for (int c = 0; c < store.ColumnCount(); ++c) store.Set(held, c, store.Get(fetched, c));
  TTable::RowWritten(held, false);
}

bool TTable::KeepsPlace(RowId held, RowId fetched, RowId current) const {
  const Order& order = *current_;
  const TRowStore& store = *Store();
  const bool same_place = std::all_of(order.parts.begin(), order.parts.end(), [&](const KeyPart& p) {
    return store.CompareCells(p.column, held, fetched, p.case_insensitive) == 0;
  });
  if (same_place || current == kNoRow) return false;
  if (held == current) return true;
  return (CompareIn(order, held, current) < 0) != (CompareIn(order, fetched, current) < 0);
}

void TTable::Fetch(TRowWindow window, std::vector<RowId>& rows) {
  TRowStore& store = *Store();
  if (window.start != TWindowStart::wsAll) window.limit = window_;
  const RowId first = store.RowLimit();
  const RowId current = CurrentRow();
  const std::vector<int> ties = TieColumns();
  const bool back = window.start == TWindowStart::wsLast || window.start == TWindowStart::wsBeforeRow;
  // A copy that keeps its place elsewhere is no row of this stretch: where the window ends
  // on one, the stretch goes on after it (the fetched copy is still in the store, so the
  // source is asked for the rows beyond its cells).
  auto ends_on_kept_copy = [&](const std::vector<RowId>& read) {
    const RowId held = HeldCopy(read.back(), ties);
    return held != kNoRow && KeepsPlace(held, read.back(), current);
  };
  std::vector<RowId> read;
  bool short_window = false;
  try {
    for (TRowWindow part = window;;) {
      std::vector<RowId> got;
      ReadWindow(part, got);
      read.insert(read.end(), got.begin(), got.end());
      short_window = part.limit == 0 || got.size() < part.limit;
      if (short_window || !ends_on_kept_copy(read)) break;
      part = {back ? TWindowStart::wsBeforeRow : TWindowStart::wsAfterRow, read.back(), {}, window.limit};
    }
  } catch (...) {
    for (RowId r = first; r < store.RowLimit(); ++r) {
      if (store.IsLive(r)) store.DeleteRow(r);
    }
    throw;
  }
  // A row held already is the same row read again: the held copy (which bookmarks and the
  // cursor name) takes its cells, and with them the place they now give it, or, where that
  // place lies past the current record, keeps its place and cells (see KeepsPlace).
  rows.clear();
  bool moved_start = false;
  for (RowId r : read) {
    const RowId held = HeldCopy(r, ties);
    if (held == kNoRow) {
      held_by_key_.emplace(TieHash(r, ties), r);
      rows.push_back(r);
      continue;
    }
    if (!KeepsPlace(held, r, current)) {
      TakeCells(held, r);
      rows.push_back(held);
      moved_start = moved_start || held == window.row;
    }
    store.DeleteRow(r);
  }
  RowsAdded(first, current);
  linked_.resize(store.RowLimit(), 0);
  // What the windows tell: their rows follow each other in the source (but for copies
  // that kept their place elsewhere), and where the last came back short, nothing lies
  // beyond its last row.
  const std::size_t n = rows.size();
  switch (window.start) {
    case TWindowStart::wsAll: return;
    case TWindowStart::wsFirst:
    case TWindowStart::wsAfterRow:
    case TWindowStart::wsKey:
      if (window.start == TWindowStart::wsFirst) head_known_ = true;
      // A start row that came back in the window stands where it now sorts, no longer
      // before the window's first row.
      if (window.start == TWindowStart::wsAfterRow && !moved_start) linked_[window.row] = 1;
      for (std::size_t i = 0; i + 1 < n; ++i) linked_[rows[i]] = 1;
      if (short_window && n > 0) linked_[rows.back()] = 1;
      return;
    case TWindowStart::wsLast:
    case TWindowStart::wsBeforeRow:
      // The last row, or the one right before `row` (unless `row` came back and moved).
      if (n > 0 && !moved_start) linked_[rows.front()] = 1;
      for (std::size_t i = 0; i + 1 < n; ++i) linked_[rows[i + 1]] = 1;
      if (short_window) head_known_ = true;
      return;
  }
}

void TTable::HoldNeighbour(RowId row, bool forward) {
  if (!PartialRows()) return;
  const std::vector<RowId>& order = current_->rows;
  std::vector<RowId> rows;
  if (row == kNoRow) {
    if (forward && !head_known_) Fetch({TWindowStart::wsFirst, kNoRow, {}, 0}, rows);
    // The last row held is the source's last where its link says so (or, holding none,
    // where the source is known to be empty).
    const bool last_known = order.empty() ? head_known_ : linked_[order.back()] != 0;
    if (!forward && !last_known) Fetch({TWindowStart::wsLast, kNoRow, {}, 0}, rows);
    return;
  }
  if (forward) {
    if (linked_[row] == 0) Fetch({TWindowStart::wsAfterRow, row, {}, 0}, rows);
    return;
  }
  if (!KnownBefore(RowPosition(*current_, row))) Fetch({TWindowStart::wsBeforeRow, row, {}, 0}, rows);
}

void TTable::HoldAllRows() {
  if (!PartialRows()) return;
  std::vector<RowId> rows;
  Fetch({TWindowStart::wsAll, kNoRow, {}, 0}, rows);
  SetPartialRows(false);
  linked_.clear();
  held_by_key_.clear();
}

void TTable::HoldKey(const std::vector<Variant>& key, std::size_t count) {
  if (!PartialRows()) return;
  if (count == 0) {
    HoldNeighbour(kNoRow, true);
    return;
  }
  if (KnownBefore(KeyPosition(*current_, key, count))) return;
  std::vector<RowId> rows;
  Fetch({TWindowStart::wsKey, kNoRow, std::vector<Variant>(key.begin(), key.begin() + static_cast<std::ptrdiff_t>(count)), 0},
        rows);
  // Nothing from the key on: a nearest seek lands on the last record, which must be the source's.
  if (rows.empty()) HoldNeighbour(kNoRow, false);
}

void TTable::RowsAppended(RowId first) {
  const TRowStore& store = *Store();
  std::vector<RowId> added;
  for (RowId r = first; r < store.RowLimit(); ++r) {
    if (store.IsLive(r)) added.push_back(r);
  }
  if (added.empty()) return;
  for (auto& o : orders_) {
    Order& order = *o;
    const std::size_t from = order.lead_exact ? 1 : 0;
    std::vector<std::pair<std::uint64_t, RowId>> keyed;
    keyed.reserve(added.size());
    for (RowId r : added) keyed.emplace_back(LeadOf(order, r), r);
    auto less = [this, &order, from](const std::pair<std::uint64_t, RowId>& a, const std::pair<std::uint64_t, RowId>& b) {
      if (a.first != b.first) return a.first < b.first;
      return CompareIn(order, a.second, b.second, from) < 0;
    };
    std::sort(keyed.begin(), keyed.end(), less);
    if (order.rows.empty() || less({order.lead.back(), order.rows.back()}, keyed.front())) {
      // A walk forward: the new rows come after every held one.
      for (const auto& [k, r] : keyed) {
        order.lead.push_back(k);
        order.rows.push_back(r);
      }
    } else {
      std::vector<RowId> rows;
      std::vector<std::uint64_t> lead;
      rows.reserve(order.rows.size() + keyed.size());
      lead.reserve(rows.capacity());
      std::size_t i = 0;
      for (const auto& next : keyed) {
        while (i < order.rows.size() && less({order.lead[i], order.rows[i]}, next)) {
          rows.push_back(order.rows[i]);
          lead.push_back(order.lead[i]);
          ++i;
        }
        rows.push_back(next.second);
        lead.push_back(next.first);
      }
      rows.insert(rows.end(), order.rows.begin() + static_cast<std::ptrdiff_t>(i), order.rows.end());
      lead.insert(lead.end(), order.lead.begin() + static_cast<std::ptrdiff_t>(i), order.lead.end());
      order.rows = std::move(rows);
      order.lead = std::move(lead);
    }
    // Two sorted runs of distinct live rows merged by the order's own comparison.
    assert(OrderIsSound(order));
  }
  for (RowId r : added) AutoIncRowWritten(r);
}

}  // namespace vantor
