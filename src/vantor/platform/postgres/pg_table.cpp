#include <vantor/platform/postgres/pg_table.h>

#include <libpq-fe.h>

#include <algorithm>
#include <cassert>
#include <sstream>
#include <utility>

#include <vantor/platform/data/internal/sql_write_back.h>
#include <vantor/platform/postgres/internal/pg_types.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/exceptions.h>

namespace vantor {

namespace {

// "1 3 2" (an int2vector or oidvector as text) as numbers.
std::vector<int> Numbers(const std::string& text) {
  std::vector<int> out;
  std::istringstream in(text);
  for (int n = 0; in >> n;) out.push_back(n);
  return out;
}

// PostgreSQL numbers its parameters $1, $2 ...; a parameter takes the type of the key column
// it is compared with, so the server reads its text of the key exactly.
const SqlDialect kDialect{PgQuoteIdentifier, "$", " = ", "BEGIN"};

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

const TypeInfo& TPgTable::StaticType() {
  static const TypeInfo info =
      DescribePg<TPgTable>("TPgTable")
          .Property("TableName", &TPgTable::TableName, &TPgTable::SetTableName, "")
          .Property("FetchRows", &TPgTable::FetchRows, &TPgTable::SetFetchRows, 0)
          .Build();
  return info;
}

TPgTable::TPgTable(TComponent* owner) : TPgDataSet(owner) {}

TPgTable::~TPgTable() { DestroyDataSet(); }

std::string TPgTable::ReadOnlyMessage() const {
  if (source_.kind == 'v' || source_.kind == 'm') {
    return "'" + table_name_ + "' is a view: its records are shown as the database computes them and cannot be changed";
  }
  return "'" + table_name_ + "' has no primary key by which a changed record could be found again; it can be read but not changed";
}

void TPgTable::FindTable(Source& source) {
  PgConnection& connection = Connection();
  static const char* kSelect =
      "SELECT c.oid, quote_ident(n.nspname) || '.' || quote_ident(c.relname), c.relkind "
      "FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace ";
  PgResult found;
  try {
    found = connection.Exec(std::string(kSelect) + "WHERE c.oid = to_regclass($1)", {table_name_});
  } catch (const EDatabaseError&) {
    // A statement stopped midway answered nothing; the stop goes on to whoever stopped it.
    if (connection.LastFailureInterrupted()) throw;
    // A name the server cannot parse as one: looked for below as it is written.
  }
  if (!found || found.Rows() != 1) {
    found = connection.Exec(std::string(kSelect) +
                                "WHERE lower(c.relname) = lower($1) AND c.relkind IN ('r','p','v','m','f') "
                                "AND pg_table_is_visible(c.oid)",
                            {table_name_});
    if (found.Rows() != 1) {
      Error(found.Rows() == 0 ? "There is no table or view '" + table_name_ + "' in database \"" + connection.Database() + "\""
                              : "'" + table_name_ + "' names several tables in database \"" + connection.Database() +
                                    "\" that differ only in letter case; write the name in double quotes");
    }
  }
  source.oid = static_cast<unsigned>(std::stoul(found.Text(0, 0)));
  source.qualified = found.Text(0, 1);
  source.kind = found.Text(0, 2).empty() ? 'r' : found.Text(0, 2)[0];
  if (std::string("rpvmf").find(source.kind) == std::string::npos) {
    Error("'" + table_name_ + "' is no table or view (an index, a sequence or a type) and has no records to show");
  }
}

void TPgTable::ReadCatalog(Source& source) {
  const std::vector<int> attnums = ReadColumns(source);
  NameFields(source.columns);
  if (source.columns.empty()) Error("'" + table_name_ + "' has no columns that can be read");
  ReadIndexes(source, attnums);
  source.keyed = (source.kind == 'r' || source.kind == 'p' || source.kind == 'f') && !source.key_columns.empty();
  source.key_cells.clear();
  int next = static_cast<int>(source.columns.size());
  for (int c : source.key_columns) {
    source.key_cells.push_back(PgCellIsExact(source.columns[static_cast<std::size_t>(c)].type) ? c : next++);
  }
}

std::vector<int> TPgTable::ReadColumns(Source& source) {
  source.columns.clear();
  std::vector<int> attnums;
  const PgResult info = Connection().Exec(
      "SELECT a.attnum, a.attname, a.attnotnull, a.atthasdef OR a.attidentity <> '', a.attgenerated <> '', "
      "a.attcollation, a.atttypid "
      "FROM pg_attribute a WHERE a.attrelid = $1 AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum",
      {std::to_string(source.oid)});
  for (int r = 0; r < info.Rows(); ++r) {
    attnums.push_back(std::stoi(info.Text(r, 0)));
    source.columns.push_back(Column{info.Text(r, 1), "", info.Text(r, 2) == "t", info.Text(r, 3) == "t",
                                    info.Text(r, 4) == "t", static_cast<unsigned>(std::stoul(info.Text(r, 5))),
                                    static_cast<unsigned>(std::stoul(info.Text(r, 6)))});
  }
  return attnums;
}

void TPgTable::NameFields(std::vector<Column>& columns) {
  // Field names ignore letter case; the server's quoted names do not ("ID" and "id").
  for (std::size_t c = 0; c < columns.size(); ++c) {
    std::string name = columns[c].name;
    auto taken = [&columns, c](const std::string& n) {
      return std::any_of(columns.begin(), columns.begin() + static_cast<std::ptrdiff_t>(c),
                         [&n](const Column& other) { return AnsiSameText(other.field_name, n); });
    };
    for (int n = 1; taken(name); ++n) name = columns[c].name + "_" + std::to_string(n);
    columns[c].field_name = name;
  }
}

void TPgTable::ReadIndexes(Source& source, const std::vector<int>& attnums) {
  source.indexes.clear();
  source.key_columns.clear();
  const PgResult list = Connection().Exec(
      "SELECT i.relname, x.indisunique, x.indisprimary, x.indkey::text, x.indoption::text, x.indnkeyatts, "
      "x.indpred IS NOT NULL, am.amname, "
      "EXISTS (SELECT 1 FROM unnest(x.indcollation) AS k(coll) JOIN pg_collation co ON co.oid = k.coll "
      "        WHERE NOT co.collisdeterministic), "
      "(SELECT string_agg(pg_get_indexdef(x.indexrelid, k, true), E'\\n' ORDER BY k) "
      "   FROM generate_series(1, x.indnkeyatts) AS k) "
      "FROM pg_index x JOIN pg_class i ON i.oid = x.indexrelid JOIN pg_am am ON am.oid = i.relam "
      "WHERE x.indrelid = $1 AND x.indisvalid ORDER BY x.indisprimary DESC, i.oid",
      {std::to_string(source.oid)});
  for (int r = 0; r < list.Rows(); ++r) AddIndex(source, attnums, list, r);
}

void TPgTable::AddIndex(Source& source, const std::vector<int>& attnums, const PgResult& list, int r) {
  TListedIndex index;
  index.name = list.Text(r, 0);
  if (list.Text(r, 1) == "t") index.options.Include(ixUnique);
  if (list.Text(r, 2) == "t") index.options.Include(ixPrimary);
  const std::vector<int> keys = Numbers(list.Text(r, 3));
  const std::vector<int> options = Numbers(list.Text(r, 4));
  const auto key_count = static_cast<std::size_t>(std::stoi(list.Text(r, 5)));
  bool usable = list.Text(r, 6) == "f" && list.Text(r, 7) == "btree" && list.Text(r, 8) == "f";
  std::vector<std::string> definitions;
  std::istringstream lines(list.Text(r, 9));
  for (std::string line; std::getline(lines, line);) definitions.push_back(line);
  auto column_of = [&attnums](int attnum) {
    const auto it = std::find(attnums.begin(), attnums.end(), attnum);
    return it == attnums.end() ? -1 : static_cast<int>(it - attnums.begin());
  };
  std::vector<int> columns;  // per key, its column; -1 for an expression
  for (std::size_t k = 0; k < key_count && k < keys.size(); ++k) {
    int c = keys[k] == 0 ? -1 : column_of(keys[k]);  // 0: an expression
    bool case_insensitive = false;
    if (c < 0 && k < definitions.size()) {
      c = CaseFoldedColumn(source.columns, definitions[k]);
      case_insensitive = c >= 0;
    }
    if (c < 0) {
      usable = false;
      continue;
    }
    columns.push_back(keys[k] == 0 ? -1 : c);
    const std::string& name = source.columns[static_cast<std::size_t>(c)].field_name;
    index.fields.push_back(name);
    if (case_insensitive) index.case_insensitive.push_back(name);
    // Bit 0 of a column's options: descending.
    if (k < options.size() && (options[k] & 1) != 0) index.descending.push_back(name);
  }
  const bool plain = std::none_of(columns.begin(), columns.end(), [](int c) { return c < 0; });
  if (index.options.Contains(ixPrimary) && source.key_columns.empty() && plain && columns.size() == key_count) {
    source.key_columns = columns;
  }
  if (usable) source.indexes.push_back(std::move(index));
}

std::string TPgTable::SelectList(const Source& source) {
  std::string list;
  for (const Column& c : source.columns) list += (list.empty() ? "" : ", ") + PgQuoteIdentifier(c.name);
  for (std::size_t k = 0; k < source.key_columns.size(); ++k) {
    if (source.key_cells[k] == source.key_columns[k]) continue;
    const std::string& name = source.columns[static_cast<std::size_t>(source.key_columns[k])].name;
    // Named apart from every column, so that an ORDER BY naming the column is not ambiguous.
    std::string alias = name + " as text";
    auto taken = [&source](const std::string& n) {
      return std::any_of(source.columns.begin(), source.columns.end(), [&n](const Column& c) { return c.name == n; });
    };
    while (taken(alias)) alias += "_";
    list += ", " + PgQuoteIdentifier(name) + "::text AS " + PgQuoteIdentifier(alias);
  }
  return list;
}

int TPgTable::CaseFoldedColumn(const std::vector<Column>& columns, std::string_view expression) {
  // The server writes lower(name), lower(name::text), lower((name)::text) or
  // lower("Name") for a case-folded column.
  if (!(expression.starts_with("lower(") || expression.starts_with("upper(")) || !expression.ends_with(")")) return -1;
  expression = expression.substr(6, expression.size() - 7);
  for (std::string_view cast : {"::text", "::character varying", "::bpchar"}) {
    if (expression.ends_with(cast)) {
      expression.remove_suffix(cast.size());
      break;
    }
  }
  if (expression.size() >= 2 && expression.front() == '(' && expression.back() == ')') {
    expression = expression.substr(1, expression.size() - 2);
  }
  std::string name;
  if (expression.size() >= 2 && expression.front() == '"' && expression.back() == '"') {
    for (std::size_t i = 1; i + 1 < expression.size(); ++i) {
      name += expression[i];
      if (expression[i] == '"') ++i;  // a doubled quote is one
    }
  } else {
    name = std::string(expression);
  }
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (columns[c].name == name) return static_cast<int>(c);
  }
  return -1;
}

TPgTable::Rows TPgTable::ReadRows() {
  if (table_name_.empty()) Error("Missing TableName property");
  Source source;
  FindTable(source);
  ReadCatalog(source);
  std::string sql = "SELECT " + SelectList(source) + " FROM " + source.qualified;
  if (!ReadCondition().empty()) sql += " WHERE " + ReadCondition();
  source.window_rows = fetch_rows_ > 0 && source.keyed ? static_cast<std::size_t>(fetch_rows_) : 0;
  Rows rows;
  if (source.window_rows > 0) {
    // On demand the rows come window by window once the order is known (ReadWindow);
    // this reading only describes the columns.
    rows = ReadSelect(sql + " LIMIT 0", ConditionParams(), false);
  } else {
    // The primary key's order makes the order of adding the same at every opening.
    for (std::size_t k = 0; k < source.key_columns.size(); ++k) {
      sql += (k == 0 ? " ORDER BY " : ", ") +
             PgQuoteIdentifier(source.columns[static_cast<std::size_t>(source.key_columns[k])].name);
    }
    rows = ReadSelect(sql, ConditionParams(), false);
  }
  read_source_ = std::move(source);
  return rows;
}

void TPgTable::ReadingTaken() {
  // Taken right after the ReadRows that left it (InternalOpen, Requery).
  assert(read_source_.has_value());
  source_ = std::move(*read_source_);
  read_source_.reset();
  day_ordered_.clear();  // by column number, of the columns read before
  SetWindowRows(source_.window_rows);
}

void TPgTable::DefineFields(const std::vector<PgColumn>& columns) {
  read_columns_ = columns;
  FieldDefs().Clear();
  // The columns after the table's own are the server's texts of key columns.
  for (std::size_t c = 0; c < source_.columns.size(); ++c) {
    const PgColumn& read = columns[c];
    const Column& column = source_.columns[c];
    const bool required = column.not_null && !column.has_default && !column.generated;
    FieldDefs().Add(column.field_name, read.type, read.type == TFieldType::ftString ? read.size : 0, required);
  }
  IndexDefs().Clear();
  for (const TListedIndex& index : source_.indexes) IndexDefs().AddListed(index);
}

std::string TPgTable::KeyCondition(int first) const {
  return SqlKeyCondition(kDialect, source_.columns, source_.key_columns, first);
}

void TPgTable::AddKeyParams(PgParams& params, RowId row) const {
  for (std::size_t k = 0; k < source_.key_cells.size(); ++k) {
    const int cell = source_.key_cells[k];
    const Variant value = Store()->Get(row, cell);
    // The server's own text of a key the client holds coarser is sent as it is.
    params.push_back(cell == source_.key_columns[k] ? PgParamText(value, FieldDefs().Items(cell).data_type)
                                                    : PgParamText(value));
  }
}

void TPgTable::ChangedByAnotherUser() const {
  Error("The record was changed or deleted by another user; '" + table_name_ + "' no longer holds it as it was read");
}

void TPgTable::WriteAndReadBack(const std::string& sql, const PgParams& params, bool inserting,
                                std::vector<Variant>& values) {
  const PgResult result = Connection().Exec(sql, params);
  if (result.Rows() != 1 && inserting) {
    Error("'" + table_name_ + "' did not store the record: a trigger or rule of the database dropped it");
  }
  // The key finds one row or none: none means another user changed or deleted it.
  if (result.Rows() != 1) ChangedByAnotherUser();
  TRowStore back([this] {
    std::vector<TFieldType> types;
    for (const PgColumn& c : read_columns_) types.push_back(c.type);
    return types;
  }());
  const RowId row = back.AppendRow();
  for (int c = 0; c < back.ColumnCount(); ++c) {
    if (result.IsNull(0, c)) continue;
    const PgColumn& column = read_columns_[static_cast<std::size_t>(c)];
    const std::string text = result.Text(0, c);
    if (!LoadPgCell(text, column.oid, column.type, back, row, c)) {
      Error("The server stored " + text + " in column '" + column.name + "', which this field cannot show; the change was not stored");
    }
  }
  for (int c = 0; c < back.ColumnCount(); ++c) values[static_cast<std::size_t>(c)] = back.Get(row, c);
}

void TPgTable::InternalPost(RowId row, std::vector<Variant>& values) {
  if (!source_.keyed) Error(ReadOnlyMessage());
  // No client check of unique keys: the server holds every row and checks them all, where
  // this table may hold some only, or stale ones, or keys held coarser than the server's.
  const SqlWrittenColumns written =
      WrittenColumns(source_.columns, values, row == kNoRow ? nullptr : Store(), row,
                     [this](const std::string& message) { Error(message); });
  // An edit that changed nothing sends nothing: the record stays as it was read.
  if (row != kNoRow && written.numbers.empty()) return;
  PgParams params;
  for (int c : written.numbers) {
    params.push_back(PgParamText(values[static_cast<std::size_t>(c)], FieldDefs().Items(c).data_type));
  }
  const int count = static_cast<int>(written.numbers.size());
  const std::string sql = row == kNoRow ? SqlInsert(kDialect, source_.qualified, written.names)
                                        : SqlUpdate(kDialect, source_.qualified, written.names, KeyCondition(count + 1));
  if (row != kNoRow) AddKeyParams(params, row);
  SqlTransaction transaction(kDialect, Connection());
  WriteAndReadBack(sql + " RETURNING " + SelectList(source_), params, row == kNoRow, values);
  transaction.Commit();
}

void TPgTable::InternalDelete(RowId row) {
  if (!source_.keyed) Error(ReadOnlyMessage());
  PgParams params;
  AddKeyParams(params, row);
  SqlTransaction transaction(kDialect, Connection());
  const PgResult result = Connection().Exec(SqlDelete(source_.qualified, KeyCondition(1)), params);
  // The key finds one row or none: none means another user changed or deleted it.
  if (std::string(PQcmdTuples(result.Handle())) != "1") ChangedByAnotherUser();
  transaction.Commit();
}

void TPgTable::InternalEmpty() {
  if (!source_.keyed) Error(ReadOnlyMessage());
  // The table's rows are those of its own server condition: the others stay. (The record
  // filter's rows go too, as a table's hidden rows do.)
  std::string sql = "DELETE FROM " + source_.qualified;
  PgParams params;
  if (!ServerCondition().empty()) {
    sql += " WHERE " + ServerCondition();
    for (const Variant& v : ServerConditionParams()) params.push_back(PgParamText(v));
  }
  SqlTransaction transaction(kDialect, Connection());
  Connection().Exec(sql, params);
  transaction.Commit();
}

// --- Rows read on demand ------------------------------------------------------------------

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
