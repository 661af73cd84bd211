#include <vantor/platform/data/row_store.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/rtl/utf8.h>

namespace vantor {

namespace {

template <typename T>
T Load(const std::vector<unsigned char>& bytes, std::size_t width, RowId row) {
  T v;
  std::memcpy(&v, bytes.data() + static_cast<std::size_t>(row) * width, sizeof(T));
  return v;
}

template <typename T>
void StoreBytes(std::vector<unsigned char>& bytes, std::size_t width, RowId row, T v) {
  std::memcpy(bytes.data() + static_cast<std::size_t>(row) * width, &v, sizeof(T));
}

template <typename T>
int Order(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

std::size_t WidthOf(TStorageKind kind) {
  switch (kind) {
    case TStorageKind::skInt16:
    case TStorageKind::skUInt16:
      return 2;
    case TStorageKind::skInt32:
      return 4;
    case TStorageKind::skDouble:
    case TStorageKind::skDate:
    case TStorageKind::skCurrency:
    case TStorageKind::skInt64:
      return 8;
    case TStorageKind::skBoolean:
      return 1;
    case TStorageKind::skText:
      return 0;
  }
  return 0;
}

const char* KindName(TStorageKind kind) {
  switch (kind) {
    case TStorageKind::skInt16: return "small integer";
    case TStorageKind::skUInt16: return "word";
    case TStorageKind::skInt32: return "integer";
    case TStorageKind::skDouble: return "float";
    case TStorageKind::skDate: return "date";
    case TStorageKind::skCurrency: return "currency";
    case TStorageKind::skBoolean: return "boolean";
    case TStorageKind::skText: return "text";
    case TStorageKind::skInt64: return "large integer";
  }
  return "?";
}

}  // namespace

TStorageKind StorageKindOf(TFieldType type) {
  switch (type) {
    case TFieldType::ftSmallint: return TStorageKind::skInt16;
    case TFieldType::ftWord: return TStorageKind::skUInt16;
    case TFieldType::ftInteger:
    case TFieldType::ftAutoInc: return TStorageKind::skInt32;
    case TFieldType::ftLargeint: return TStorageKind::skInt64;
    case TFieldType::ftFloat: return TStorageKind::skDouble;
    case TFieldType::ftDate:
    case TFieldType::ftTime:
    case TFieldType::ftDateTime: return TStorageKind::skDate;
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD: return TStorageKind::skCurrency;
    case TFieldType::ftBoolean: return TStorageKind::skBoolean;
    default: return TStorageKind::skText;
  }
}

int CompareTextKey(std::string_view a, std::string_view b, bool case_insensitive) {
  const int c = case_insensitive ? AnsiCompareUpper(a, b) : a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

TRowStore::TRowStore(const std::vector<TFieldType>& column_types) {
  columns_.reserve(column_types.size());
  for (TFieldType t : column_types) {
    Column c;
    c.kind = StorageKindOf(t);
    c.width = WidthOf(c.kind);
    columns_.push_back(std::move(c));
  }
}

TRowStore::Column& TRowStore::At(int column, RowId row) {
  AssertRow(row);
  if (column < 0 || column >= ColumnCount()) {
    throw EDatabaseError("Column index out of range (" + std::to_string(column) + ")");
  }
  return columns_[Col(column)];
}

const TRowStore::Column& TRowStore::At(int column, RowId row) const {
  return const_cast<TRowStore*>(this)->At(column, row);
}

void TRowStore::CheckKind(const Column& c, std::initializer_list<TStorageKind> kinds) const {
  for (TStorageKind k : kinds) {
    if (c.kind == k) return;
  }
  throw EDatabaseError(std::string("Wrong value kind for a ") + KindName(c.kind) + " column");
}

void TRowStore::Reserve(std::size_t rows) {
  live_.reserve(rows);
  for (Column& c : columns_) {
    c.nulls.reserve((rows + 63) / 64);
    if (c.kind == TStorageKind::skText) {
      c.offset.reserve(rows);
      c.length.reserve(rows);
    } else {
      c.fixed.reserve(rows * c.width);
    }
  }
}

void TRowStore::Clear() {
  live_ = {};
  live_count_ = 0;
  for (Column& c : columns_) {
    c.fixed = {};
    c.nulls = {};
    c.offset = {};
    c.length = {};
    c.arena = {};
    c.dead_bytes = 0;
  }
}

RowId TRowStore::AppendRow() {
  if (live_.size() >= std::numeric_limits<RowId>::max()) {
    throw EDatabaseError("Too many rows for one data set");
  }
  const auto row = static_cast<RowId>(live_.size());
  live_.push_back(1);
  ++live_count_;
  for (Column& c : columns_) {
    if (row % 64 == 0) c.nulls.push_back(0);
    c.nulls.back() |= std::uint64_t{1} << (row % 64);
    if (c.kind == TStorageKind::skText) {
      c.offset.push_back(0);
      c.length.push_back(0);
    } else {
      c.fixed.resize(c.fixed.size() + c.width);
    }
  }
  return row;
}

void TRowStore::DeleteRow(RowId row) {
  if (!IsLive(row)) return;
  for (int i = 0; i < ColumnCount(); ++i) SetNull(row, i);
  live_[row] = 0;
  --live_count_;
}

bool TRowStore::IsNull(RowId row, int column) const {
  const Column& c = At(column, row);
  return ((c.nulls[row / 64] >> (row % 64)) & 1U) != 0;
}

void TRowStore::SetNullBit(Column& c, RowId row, bool null) {
  const std::uint64_t bit = std::uint64_t{1} << (row % 64);
  if (null) {
    c.nulls[row / 64] |= bit;
  } else {
    c.nulls[row / 64] &= ~bit;
  }
}

void TRowStore::SetNull(RowId row, int column) {
  Column& c = At(column, row);
  if (c.kind == TStorageKind::skText) {
    c.dead_bytes += c.length[row];
    c.length[row] = 0;
    c.offset[row] = 0;
  }
  SetNullBit(c, row, true);
}

void TRowStore::SetInt(RowId row, int column, std::int32_t v) {
  Column& c = At(column, row);
  switch (c.kind) {
    case TStorageKind::skInt16:
      StoreBytes(c.fixed, c.width, row, static_cast<std::int16_t>(v));
      break;
    case TStorageKind::skUInt16:
      StoreBytes(c.fixed, c.width, row, static_cast<std::uint16_t>(v));
      break;
    case TStorageKind::skInt32:
      StoreBytes(c.fixed, c.width, row, v);
      break;
    default:
      CheckKind(c, {TStorageKind::skInt32});
  }
  SetNullBit(c, row, false);
}

void TRowStore::SetInt64(RowId row, int column, std::int64_t v) {
  Column& c = At(column, row);
  CheckKind(c, {TStorageKind::skInt64});
  StoreBytes(c.fixed, c.width, row, v);
  SetNullBit(c, row, false);
}

void TRowStore::SetDouble(RowId row, int column, double v) {
  Column& c = At(column, row);
  CheckKind(c, {TStorageKind::skDouble, TStorageKind::skDate});
  StoreBytes(c.fixed, c.width, row, v);
  SetNullBit(c, row, false);
}

void TRowStore::SetCurrency(RowId row, int column, Currency v) {
  Column& c = At(column, row);
  CheckKind(c, {TStorageKind::skCurrency});
  StoreBytes(c.fixed, c.width, row, v.scaled);
  SetNullBit(c, row, false);
}

void TRowStore::SetBoolean(RowId row, int column, bool v) {
  Column& c = At(column, row);
  CheckKind(c, {TStorageKind::skBoolean});
  StoreBytes(c.fixed, c.width, row, static_cast<unsigned char>(v ? 1 : 0));
  SetNullBit(c, row, false);
}

void TRowStore::SetText(RowId row, int column, std::string_view v) {
  Column& c = At(column, row);
  CheckKind(c, {TStorageKind::skText});
  if (c.arena.size() + v.size() > std::numeric_limits<std::uint32_t>::max()) {
    CompactText(c);
    if (c.arena.size() + v.size() > std::numeric_limits<std::uint32_t>::max()) {
      throw EDatabaseError("Text column exceeds 4 GB");
    }
  }
  c.dead_bytes += c.length[row];
  c.offset[row] = static_cast<std::uint32_t>(c.arena.size());
  c.length[row] = static_cast<std::uint32_t>(v.size());
  c.arena.insert(c.arena.end(), v.begin(), v.end());
  SetNullBit(c, row, false);
  if (c.dead_bytes > 4096 && c.dead_bytes > c.arena.size() - c.dead_bytes) CompactText(c);
}

void TRowStore::CompactText(Column& c) {
  std::vector<char> packed;
  packed.reserve(c.arena.size() - c.dead_bytes);
  for (std::size_t r = 0; r < c.offset.size(); ++r) {
    const std::uint32_t start = c.offset[r];
    c.offset[r] = static_cast<std::uint32_t>(packed.size());
    packed.insert(packed.end(), c.arena.begin() + start, c.arena.begin() + start + c.length[r]);
  }
  c.arena = std::move(packed);
  c.dead_bytes = 0;
}

std::int32_t TRowStore::GetInt(RowId row, int column) const {
  const Column& c = At(column, row);
  switch (c.kind) {
    case TStorageKind::skInt16: return Load<std::int16_t>(c.fixed, c.width, row);
    case TStorageKind::skUInt16: return Load<std::uint16_t>(c.fixed, c.width, row);
    case TStorageKind::skInt32: return Load<std::int32_t>(c.fixed, c.width, row);
    default: CheckKind(c, {TStorageKind::skInt32});
  }
  return 0;
}

std::int64_t TRowStore::GetInt64(RowId row, int column) const {
  const Column& c = At(column, row);
  CheckKind(c, {TStorageKind::skInt64});
  return Load<std::int64_t>(c.fixed, c.width, row);
}

double TRowStore::GetDouble(RowId row, int column) const {
  const Column& c = At(column, row);
  CheckKind(c, {TStorageKind::skDouble, TStorageKind::skDate});
  return Load<double>(c.fixed, c.width, row);
}

Currency TRowStore::GetCurrency(RowId row, int column) const {
  const Column& c = At(column, row);
  CheckKind(c, {TStorageKind::skCurrency});
  return Currency::FromScaled(Load<std::int64_t>(c.fixed, c.width, row));
}

bool TRowStore::GetBoolean(RowId row, int column) const {
  const Column& c = At(column, row);
  CheckKind(c, {TStorageKind::skBoolean});
  return Load<unsigned char>(c.fixed, c.width, row) != 0;
}

std::string_view TRowStore::GetText(RowId row, int column) const {
  const Column& c = At(column, row);
  CheckKind(c, {TStorageKind::skText});
  if (c.length[row] == 0) return {};
  return {c.arena.data() + c.offset[row], c.length[row]};
}

TRowStore::ColumnScan TRowStore::Scan(int column) const {
  if (column < 0 || column >= ColumnCount()) {
    throw EDatabaseError("Column index out of range (" + std::to_string(column) + ")");
  }
  const Column& c = columns_[Col(column)];
  ColumnScan scan;
  scan.kind = c.kind;
  scan.width = c.width;
  scan.fixed = c.fixed.data();
  scan.nulls = c.nulls.data();
  scan.offset = c.offset.data();
  scan.length = c.length.data();
  scan.arena = c.arena.data();
  return scan;
}

// Every field read comes here: one look at the column, then the cell.
Variant TRowStore::Get(RowId row, int column) const {
  const Column& c = At(column, row);
  if (((c.nulls[row / 64] >> (row % 64)) & 1U) != 0) return Variant::Null();
  switch (c.kind) {
    case TStorageKind::skInt16: return Variant(Load<std::int16_t>(c.fixed, c.width, row));
    case TStorageKind::skUInt16: return Variant(static_cast<std::int32_t>(Load<std::uint16_t>(c.fixed, c.width, row)));
    case TStorageKind::skInt32: return Variant(Load<std::int32_t>(c.fixed, c.width, row));
    case TStorageKind::skDouble: return Variant(Load<double>(c.fixed, c.width, row));
    case TStorageKind::skDate: return Variant::FromDate(Load<double>(c.fixed, c.width, row));
    case TStorageKind::skCurrency: return Variant(Currency::FromScaled(Load<std::int64_t>(c.fixed, c.width, row)));
    case TStorageKind::skBoolean: return Variant(Load<unsigned char>(c.fixed, c.width, row) != 0);
    case TStorageKind::skText:
      return Variant(c.length[row] == 0 ? std::string() : std::string(c.arena.data() + c.offset[row], c.length[row]));
    case TStorageKind::skInt64: return Variant(Load<std::int64_t>(c.fixed, c.width, row));
  }
  return Variant::Null();
}

void TRowStore::Set(RowId row, int column, const Variant& value) {
  if (value.IsClear()) {
    SetNull(row, column);
    return;
  }
  const Column& c = At(column, row);
  bool ok = false;
  switch (c.kind) {
    case TStorageKind::skInt16:
      if (const auto* v = value.Get<std::int16_t>()) SetInt(row, column, *v), ok = true;
      break;
    case TStorageKind::skUInt16:
      if (const auto* v = value.Get<std::int32_t>(); v && *v >= 0 && *v <= 65535) {
        SetInt(row, column, *v), ok = true;
      }
      break;
    case TStorageKind::skInt32:
      if (const auto* v = value.Get<std::int32_t>()) SetInt(row, column, *v), ok = true;
      break;
    case TStorageKind::skDouble:
      if (const auto* v = value.Get<double>()) SetDouble(row, column, *v), ok = true;
      break;
    case TStorageKind::skDate:
      if (const auto* v = value.Get<Variant::DateValue>()) SetDouble(row, column, v->value), ok = true;
      break;
    case TStorageKind::skCurrency:
      if (const auto* v = value.Get<Currency>()) SetCurrency(row, column, *v), ok = true;
      break;
    case TStorageKind::skBoolean:
      if (const auto* v = value.Get<bool>()) SetBoolean(row, column, *v), ok = true;
      break;
    case TStorageKind::skText:
      if (const auto* v = value.Get<std::string>()) SetText(row, column, *v), ok = true;
      break;
    case TStorageKind::skInt64:
      if (const auto* v = value.Get<std::int64_t>()) SetInt64(row, column, *v), ok = true;
      break;
  }
  if (!ok) throw EDatabaseError(std::string("Wrong value kind for a ") + KindName(c.kind) + " column");
}

namespace {

bool NullBit(const std::vector<std::uint64_t>& nulls, RowId row) { return ((nulls[row / 64] >> (row % 64)) & 1U) != 0; }

std::string_view TextAt(const std::vector<char>& arena, const std::vector<std::uint32_t>& offset,
                        const std::vector<std::uint32_t>& length, RowId row) {
  return length[row] == 0 ? std::string_view() : std::string_view(arena.data() + offset[row], length[row]);
}

}  // namespace

// The comparisons run inside binary searches: they read the arrays directly.
int TRowStore::CompareCells(int column, RowId a, RowId b, bool case_insensitive) const {
  AssertRow(a);
  AssertRow(b);
  const Column& c = columns_[Col(column)];
  const bool na = NullBit(c.nulls, a);
  const bool nb = NullBit(c.nulls, b);
  if (na || nb) return na == nb ? 0 : (na ? -1 : 1);
  switch (c.kind) {
    case TStorageKind::skInt16:
      return Order(Load<std::int16_t>(c.fixed, c.width, a), Load<std::int16_t>(c.fixed, c.width, b));
    case TStorageKind::skUInt16:
      return Order(Load<std::uint16_t>(c.fixed, c.width, a), Load<std::uint16_t>(c.fixed, c.width, b));
    case TStorageKind::skInt32:
      return Order(Load<std::int32_t>(c.fixed, c.width, a), Load<std::int32_t>(c.fixed, c.width, b));
    case TStorageKind::skDouble:
    case TStorageKind::skDate:
      return Order(Load<double>(c.fixed, c.width, a), Load<double>(c.fixed, c.width, b));
    case TStorageKind::skCurrency:
    case TStorageKind::skInt64:
      return Order(Load<std::int64_t>(c.fixed, c.width, a), Load<std::int64_t>(c.fixed, c.width, b));
    case TStorageKind::skBoolean:
      return Order(Load<unsigned char>(c.fixed, c.width, a), Load<unsigned char>(c.fixed, c.width, b));
    case TStorageKind::skText:
      return CompareTextKey(TextAt(c.arena, c.offset, c.length, a), TextAt(c.arena, c.offset, c.length, b),
                            case_insensitive);
  }
  return 0;
}

int TRowStore::CompareCellToValue(int column, RowId row, const Variant& value, bool case_insensitive) const {
  AssertRow(row);
  const Column& c = columns_[Col(column)];
  const bool na = NullBit(c.nulls, row);
  const bool nb = value.IsClear();
  if (na || nb) return na == nb ? 0 : (na ? -1 : 1);
  switch (c.kind) {
    case TStorageKind::skInt16:
      if (const auto* v = value.Get<std::int16_t>()) return Order(Load<std::int16_t>(c.fixed, c.width, row), *v);
      break;
    case TStorageKind::skUInt16:
      if (const auto* v = value.Get<std::int32_t>()) {
        return Order<std::int32_t>(Load<std::uint16_t>(c.fixed, c.width, row), *v);
      }
      break;
    case TStorageKind::skInt32:
      if (const auto* v = value.Get<std::int32_t>()) return Order(Load<std::int32_t>(c.fixed, c.width, row), *v);
      break;
    case TStorageKind::skDouble:
      if (const auto* v = value.Get<double>()) return Order(Load<double>(c.fixed, c.width, row), *v);
      break;
    case TStorageKind::skDate:
      if (const auto* v = value.Get<Variant::DateValue>()) {
        return Order(Load<double>(c.fixed, c.width, row), v->value);
      }
      break;
    case TStorageKind::skCurrency:
      if (const auto* v = value.Get<Currency>()) {
        return Order(Load<std::int64_t>(c.fixed, c.width, row), v->scaled);
      }
      break;
    case TStorageKind::skBoolean:
      if (const auto* v = value.Get<bool>()) {
        return Order<int>(Load<unsigned char>(c.fixed, c.width, row), *v ? 1 : 0);
      }
      break;
    case TStorageKind::skText:
      if (const auto* v = value.Get<std::string>()) {
        return CompareTextKey(TextAt(c.arena, c.offset, c.length, row), *v, case_insensitive);
      }
      break;
    case TStorageKind::skInt64:
      if (const auto* v = value.Get<std::int64_t>()) return Order(Load<std::int64_t>(c.fixed, c.width, row), *v);
      break;
  }
  throw EDatabaseError(std::string("Wrong key kind for a ") + KindName(c.kind) + " column");
}

// --- Sort keys ---------------------------------------------------------------------------

namespace {

constexpr std::uint64_t kSignBit = std::uint64_t{1} << 63;

// Integers of every width up to 32 bits, shifted above the null key 0.
std::uint64_t IntSortKey(std::int64_t v) { return static_cast<std::uint64_t>(v + (std::int64_t{1} << 31)) + 1; }

// IEEE order on the bit pattern: negative numbers have all bits flipped, positive ones the
// sign bit set. -0.0 counts as 0.0 (they compare equal); a NaN goes above +infinity. The
// lowest key, that of -infinity, is still far above 0.
std::uint64_t DoubleSortKey(double v) {
  std::uint64_t bits = 0;
  if (std::isnan(v)) {
    bits = 0x7FF8000000000000u;
  } else {
    if (v == 0) v = 0;
    std::memcpy(&bits, &v, sizeof bits);
  }
  return (bits & kSignBit) != 0 ? ~bits : (bits | kSignBit);
}

// The lowest currency (or large integer) shares its key with the next one up: not exact.
std::uint64_t Int64SortKey(std::int64_t scaled) {
  const std::uint64_t k = static_cast<std::uint64_t>(scaled) ^ kSignBit;
  return k == 0 ? 1 : k;
}

// Texts: up to 7 leading bytes, big-endian, padded with zero bytes, then the number of
// bytes taken plus 1 (8 when the text had 7 or more). A text's padded bytes never exceed
// those of a longer text it begins, and the count separates the two when the padding
// alone does not, so the key never reverses an order; equal keys leave it open.
// Case-insensitively the bytes are those of the upper-cased characters (the key by which
// CompareTextKey compares them), each written in UTF-8's order-keeping form stretched
// to the folded range of stray bytes, so the bytes order as the characters do.
std::uint64_t PackTextKey(const unsigned char* bytes, std::size_t n) {
  std::uint64_t k = 0;
  for (std::size_t i = 0; i < 7; ++i) k = (k << 8) | (i < n ? bytes[i] : 0U);
  return (k << 8) | (n + 1);
}

// The key of the character at s[i] and its byte length, as the case-insensitive text
// comparison reads it: an upper-cased code point, or a stray byte that is no valid UTF-8
// (above every code point).
std::uint32_t UpperAt(std::string_view s, std::size_t i, std::size_t& len) {
  const Utf8Unit u = DecodeUtf8At(s, i);
  len = u.len;
  return u.invalid ? 0x110000U + u.cp : static_cast<std::uint32_t>(UpperCaseChar(u.cp));
}

std::uint64_t TextSortKey(std::string_view s, bool case_insensitive) {
  if (!case_insensitive) {
    const std::size_t n = std::min<std::size_t>(s.size(), 7);
    return PackTextKey(reinterpret_cast<const unsigned char*>(s.data()), n);
  }
  // At most 7 + 3 bytes: the short-string buffer holds them without allocating.
  std::string folded;
  for (std::size_t i = 0; i < s.size() && folded.size() < 7;) {
    std::size_t len = 1;
    AppendUtf8(UpperAt(s, i, len), folded);
    i += len;
  }
  return PackTextKey(reinterpret_cast<const unsigned char*>(folded.data()), std::min<std::size_t>(folded.size(), 7));
}

}  // namespace

std::uint64_t TRowStore::SortKey(int column, RowId row, bool case_insensitive) const {
  AssertRow(row);
  const Column& c = columns_[Col(column)];
  if (NullBit(c.nulls, row)) return 0;
  switch (c.kind) {
    case TStorageKind::skInt16: return IntSortKey(Load<std::int16_t>(c.fixed, c.width, row));
    case TStorageKind::skUInt16: return IntSortKey(Load<std::uint16_t>(c.fixed, c.width, row));
    case TStorageKind::skInt32: return IntSortKey(Load<std::int32_t>(c.fixed, c.width, row));
    case TStorageKind::skDouble:
    case TStorageKind::skDate: return DoubleSortKey(Load<double>(c.fixed, c.width, row));
    case TStorageKind::skCurrency: return Int64SortKey(Load<std::int64_t>(c.fixed, c.width, row));
    case TStorageKind::skBoolean: return Load<unsigned char>(c.fixed, c.width, row) != 0 ? 2 : 1;
    case TStorageKind::skText: return TextSortKey(TextAt(c.arena, c.offset, c.length, row), case_insensitive);
    case TStorageKind::skInt64: return Int64SortKey(Load<std::int64_t>(c.fixed, c.width, row));
  }
  return 0;
}

bool TRowStore::SortKeyOf(TStorageKind kind, const Variant& value, bool case_insensitive, std::uint64_t& key) {
  if (value.IsClear()) {
    key = 0;
    return true;
  }
  std::optional<std::uint64_t> k;
  switch (kind) {
    case TStorageKind::skInt16:
      if (const auto* v = value.Get<std::int16_t>()) k = IntSortKey(*v);
      break;
    case TStorageKind::skUInt16:
    case TStorageKind::skInt32:
      if (const auto* v = value.Get<std::int32_t>()) k = IntSortKey(*v);
      break;
    case TStorageKind::skDouble:
      if (const auto* v = value.Get<double>()) k = DoubleSortKey(*v);
      break;
    case TStorageKind::skDate:
      if (const auto* v = value.Get<Variant::DateValue>()) k = DoubleSortKey(v->value);
      break;
    case TStorageKind::skCurrency:
      if (const auto* v = value.Get<Currency>()) k = Int64SortKey(v->scaled);
      break;
    case TStorageKind::skBoolean:
      if (const auto* v = value.Get<bool>()) k = *v ? 2 : 1;
      break;
    case TStorageKind::skText:
      if (const auto* v = value.Get<std::string>()) k = TextSortKey(*v, case_insensitive);
      break;
    case TStorageKind::skInt64:
      if (const auto* v = value.Get<std::int64_t>()) k = Int64SortKey(*v);
      break;
  }
  if (!k) return false;
  key = *k;
  return true;
}

bool TRowStore::SortKeyIsExact(TStorageKind kind) {
  return kind != TStorageKind::skText && kind != TStorageKind::skCurrency && kind != TStorageKind::skInt64;
}

void TRowStore::Prefetch(RowId row) const {
#if defined(__GNUC__) || defined(__clang__)
  if (row >= live_.size()) return;
  for (const Column& c : columns_) {
    if (c.kind == TStorageKind::skText) {
      __builtin_prefetch(c.offset.data() + row);
      __builtin_prefetch(c.length.data() + row);
    } else {
      __builtin_prefetch(c.fixed.data() + static_cast<std::size_t>(row) * c.width);
    }
  }
#else
  (void)row;
#endif
}

std::size_t TRowStore::MemoryBytes() const {
  std::size_t total = live_.capacity();
  for (const Column& c : columns_) {
    total += c.fixed.capacity() + c.nulls.capacity() * sizeof(std::uint64_t) +
             c.offset.capacity() * sizeof(std::uint32_t) + c.length.capacity() * sizeof(std::uint32_t) +
             c.arena.capacity();
  }
  return total;
}

std::size_t TRowStore::RawBytes() const {
  std::size_t total = 0;
  for (int i = 0; i < ColumnCount(); ++i) {
    const Column& c = columns_[Col(i)];
    for (RowId r = 0; r < RowLimit(); ++r) {
      if (!live_[r] || IsNull(r, i)) continue;
      total += c.kind == TStorageKind::skText ? c.length[r] : c.width;
    }
  }
  return total;
}

}  // namespace vantor
