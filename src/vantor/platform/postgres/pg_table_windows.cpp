#include <vantor/platform/postgres/pg_table.h>

#include <utility>

#include <vantor/platform/postgres/internal/pg_types.h>

namespace vantor {

namespace {

// Rows of a window asked for in one query, ordered by `parts`.
struct Band {
  bool nulls;  // the rows whose first key part is null
  std::string condition;
  std::vector<PgKeyPart> parts;  // the parts that order the band's rows
  std::size_t from;              // how many leading key values the band skips
};

// A B-tree index orders a column's nulls after its values, the client before them (and
// after them, descending): one ORDER BY cannot follow both. So where the first part may be
// null, its nulls and its values are asked for in two bands, each in an order the index
// gives, in the order the walk meets them.
std::vector<Band> Bands(const std::vector<PgKeyPart>& parts, bool back) {
  const PgKeyPart& lead = parts.front();
  if (lead.not_null) return {{false, "", parts, 0}};
  const std::string column = PgQuoteIdentifier(lead.column);
  std::vector<PgKeyPart> valued = parts;
  valued.front().not_null = true;  // the band holds no nulls there
  std::vector<Band> bands{{true, column + " IS NULL", std::vector<PgKeyPart>(parts.begin() + 1, parts.end()), 1},
                          {false, column + " IS NOT NULL", valued, 0}};
  // In the client's order nulls come first ascending, last descending; walking back, the
  // other way round.
  if (lead.descending != back) std::swap(bands[0], bands[1]);
  return bands;
}

}  // namespace

void TPgTable::InternalClose() {
  TPgDataSet::InternalClose();
  default_bytewise_.reset();
  day_ordered_.clear();
}

bool TPgTable::OrdersAsDayNumbers(std::size_t c) {
  const auto known = day_ordered_.find(c);
  if (known != day_ordered_.end()) return known->second;
  // Before 1899-12-30 a day number is negative and its fraction counts up from it, so
  // the client orders the times of one day backwards there; after it, as time goes.
  const PgResult early = Connection().Exec("SELECT EXISTS (SELECT 1 FROM " + source_.qualified + " WHERE " +
                                           PgQuoteIdentifier(source_.columns[c].name) + " < '1899-12-30')");
  return day_ordered_[c] = early.Text(0, 0) != "t";
}

std::vector<int> TPgTable::TieColumns() const {
  return WindowRows() > 0 ? source_.key_columns : std::vector<int>{};
}

bool TPgTable::PlainCollation(std::size_t c) {
  constexpr unsigned kDefault = 100, kC = 950, kPosix = 951;  // the built-in collations' oids
  const unsigned collation = source_.columns[c].collation;
  if (collation == kC || collation == kPosix) return true;
  if (collation != kDefault) return false;
  if (!default_bytewise_) default_bytewise_ = PgDefaultCollationIsBytewise(Connection());
  return *default_bytewise_;
}

std::vector<PgKeyPart> TPgTable::KeyParts() {
  std::vector<PgKeyPart> parts;
  for (const KeyPart& p : OrderParts()) {
    const auto c = static_cast<std::size_t>(p.column);
    const bool text = StorageKindOf(read_columns_[c].type) == TStorageKind::skText;
    parts.push_back(PgKeyPart{source_.columns[c].name, read_columns_[c].oid, read_columns_[c].type, p.descending,
                              p.case_insensitive && text, text && PlainCollation(c), source_.columns[c].not_null});
  }
  return parts;
}

bool TPgTable::ServesOrder() {
  if (!source_.keyed) return false;
  for (const KeyPart& p : OrderParts()) {
    const PgColumn& column = read_columns_[static_cast<std::size_t>(p.column)];
    if (column.widened || !PgKeysetOrders(column.oid, column.typmod)) return false;
    if (column.oid == pg_oid::kTimestamp && !OrdersAsDayNumbers(static_cast<std::size_t>(p.column))) return false;
    // Capitals are the client's only where the server's upper() is.
    if (p.case_insensitive && StorageKindOf(column.type) == TStorageKind::skText && !UpperAgrees()) return false;
  }
  return true;
}

void TPgTable::ReadOrdered(const std::string& condition, const PgConditionSql& keyset, const std::string& order,
                           std::size_t limit, std::vector<RowId>& rows) {
  std::string where = ReadCondition();
  PgParams params = ConditionParams();
  for (const std::string& term : {condition, keyset.sql}) {
    if (!term.empty()) where = where.empty() ? term : "(" + where + ") AND (" + term + ")";
  }
  for (const Variant& v : keyset.params) params.push_back(PgParamText(v));
  std::string sql = "SELECT " + SelectList(source_) + " FROM " + source_.qualified;
  if (!where.empty()) sql += " WHERE " + where;
  if (!order.empty()) sql += " ORDER BY " + order;
  if (limit > 0) sql += " LIMIT " + std::to_string(limit);
  const RowId first = Store()->RowLimit();
  ReadSelect(sql, params, false, Store());
  for (RowId r = first; r < Store()->RowLimit(); ++r) rows.push_back(r);
}

std::vector<Variant> TPgTable::WindowKey(const TRowWindow& window) const {
  std::vector<Variant> key;
  if (window.start == TWindowStart::wsAfterRow || window.start == TWindowStart::wsBeforeRow) {
    for (const KeyPart& p : OrderParts()) key.push_back(Store()->Get(window.row, p.column));
  } else if (window.start == TWindowStart::wsKey) {
    key = window.key;
  }
  return key;
}

void TPgTable::ReadWindow(const TRowWindow& window, std::vector<RowId>& rows) {
  const std::vector<PgKeyPart> parts = KeyParts();
  if (window.start == TWindowStart::wsAll) {
    ReadOrdered("", {}, "", 0, rows);
    return;
  }
  const int next = static_cast<int>(ConditionParams().size()) + 1;
  const bool back = window.start == TWindowStart::wsLast || window.start == TWindowStart::wsBeforeRow;
  const std::vector<Variant> key = WindowKey(window);
  const std::vector<Band> bands = Bands(parts, back);
  // The walk starts in the band that holds the window's start and goes on into the other.
  std::size_t band = 0;
  if (!key.empty() && bands.size() == 2) {
    while (bands[band].nulls != key.front().IsClear()) ++band;
  }
  for (bool starting = true; band < bands.size(); ++band, starting = false) {
    const Band& b = bands[band];
    PgConditionSql keyset;
    if (starting && key.size() > b.from) {
      const std::vector<Variant> rest(key.begin() + static_cast<std::ptrdiff_t>(b.from), key.end());
      keyset = window.start == TWindowStart::wsKey ? PgKeysetFrom(b.parts, rest, next)
                                                   : PgKeysetBeyond(b.parts, rest, back, next);
    }
    const std::size_t got = rows.size();
    ReadOrdered(b.condition, keyset, PgKeysetOrder(b.parts, back), window.limit == 0 ? 0 : window.limit - got, rows);
    if (window.limit > 0 && rows.size() >= window.limit) return;
  }
}

}  // namespace vantor
