#include <vantor/platform/data/postgres/pg_table.h>

#include <libpq-fe.h>

#include <algorithm>
#include <sstream>

#include <vantor/platform/data/postgres/pg_types.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/exceptions.h>

namespace vantor {

namespace {

// BEGIN ... COMMIT; rolled back when the scope is left by an exception.
class Transaction {
 public:
  explicit Transaction(PgConnection& connection) : connection_(connection) { connection_.Exec("BEGIN"); }
  ~Transaction() {
    if (!committed_) PQclear(PQexec(connection_.Handle(), "ROLLBACK"));
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void Commit() {
    connection_.Exec("COMMIT");
    committed_ = true;
  }

 private:
  PgConnection& connection_;
  bool committed_ = false;
};

// "1 3 2" (an int2vector or oidvector as text) as numbers.
std::vector<int> Numbers(const std::string& text) {
  std::vector<int> out;
  std::istringstream in(text);
  for (int n = 0; in >> n;) out.push_back(n);
  return out;
}

std::string Join(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : ";") + n;
  return out;
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
  if (kind_ == 'v' || kind_ == 'm') {
    return "'" + table_name_ + "' is a view: its records are shown as the database computes them and cannot be changed";
  }
  return "'" + table_name_ + "' has no primary key by which a changed record could be found again; it can be read but not changed";
}

void TPgTable::FindTable() {
  PgConnection& connection = Connection();
  static const char* kSelect =
      "SELECT c.oid, quote_ident(n.nspname) || '.' || quote_ident(c.relname), c.relkind "
      "FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace ";
  PgResult found;
  try {
    found = connection.Exec(std::string(kSelect) + "WHERE c.oid = to_regclass($1)", {table_name_});
  } catch (const EDatabaseError&) {
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
  table_oid_ = static_cast<unsigned>(std::stoul(found.Text(0, 0)));
  qualified_ = found.Text(0, 1);
  kind_ = found.Text(0, 2).empty() ? 'r' : found.Text(0, 2)[0];
  if (std::string("rpvmf").find(kind_) == std::string::npos) {
    Error("'" + table_name_ + "' is no table or view (an index, a sequence or a type) and has no records to show");
  }
}

void TPgTable::ReadCatalog() {
  PgConnection& connection = Connection();
  const std::string oid = std::to_string(table_oid_);
  columns_.clear();
  std::vector<int> attnums;
  {
    const PgResult info = connection.Exec(
        "SELECT a.attnum, a.attname, a.attnotnull, a.atthasdef OR a.attidentity <> '', a.attgenerated <> '', "
        "a.attcollation "
        "FROM pg_attribute a WHERE a.attrelid = $1 AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum",
        {oid});
    for (int r = 0; r < info.Rows(); ++r) {
      attnums.push_back(std::stoi(info.Text(r, 0)));
      columns_.push_back(Column{info.Text(r, 1), "", info.Text(r, 2) == "t", info.Text(r, 3) == "t",
                                info.Text(r, 4) == "t", static_cast<unsigned>(std::stoul(info.Text(r, 5)))});
    }
  }
  // Field names ignore letter case; the server's quoted names do not ("ID" and "id").
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    std::string name = columns_[c].name;
    auto taken = [this, c](const std::string& n) {
      return std::any_of(columns_.begin(), columns_.begin() + static_cast<std::ptrdiff_t>(c),
                         [&n](const Column& other) { return AnsiSameText(other.field_name, n); });
    };
    for (int n = 1; taken(name); ++n) name = columns_[c].name + "_" + std::to_string(n);
    columns_[c].field_name = name;
  }
  if (columns_.empty()) Error("'" + table_name_ + "' has no columns that can be read");
  auto column_of = [&attnums](int attnum) {
    const auto it = std::find(attnums.begin(), attnums.end(), attnum);
    return it == attnums.end() ? -1 : static_cast<int>(it - attnums.begin());
  };
  indexes_.clear();
  key_columns_.clear();
  const PgResult list = connection.Exec(
      "SELECT i.relname, x.indisunique, x.indisprimary, x.indkey::text, x.indoption::text, x.indnkeyatts, "
      "x.indpred IS NOT NULL, am.amname, "
      "EXISTS (SELECT 1 FROM unnest(x.indcollation) AS k(coll) JOIN pg_collation co ON co.oid = k.coll "
      "        WHERE NOT co.collisdeterministic), "
      "(SELECT string_agg(pg_get_indexdef(x.indexrelid, k, true), E'\\n' ORDER BY k) "
      "   FROM generate_series(1, x.indnkeyatts) AS k) "
      "FROM pg_index x JOIN pg_class i ON i.oid = x.indexrelid JOIN pg_am am ON am.oid = i.relam "
      "WHERE x.indrelid = $1 AND x.indisvalid ORDER BY x.indisprimary DESC, i.oid",
      {oid});
  for (int r = 0; r < list.Rows(); ++r) {
    Index index{list.Text(r, 0), {}, {}, {}, list.Text(r, 1) == "t", list.Text(r, 2) == "t"};
    const std::vector<int> keys = Numbers(list.Text(r, 3));
    const std::vector<int> options = Numbers(list.Text(r, 4));
    const auto key_count = static_cast<std::size_t>(std::stoi(list.Text(r, 5)));
    bool usable = list.Text(r, 6) == "f" && list.Text(r, 7) == "btree" && list.Text(r, 8) == "f";
    std::vector<std::string> definitions;
    {
      std::istringstream lines(list.Text(r, 9));
      for (std::string line; std::getline(lines, line);) definitions.push_back(line);
    }
    std::vector<int> columns;
    for (std::size_t k = 0; k < key_count && k < keys.size(); ++k) {
      int c = keys[k] == 0 ? -1 : column_of(keys[k]);  // 0: an expression
      bool case_insensitive = false;
      if (c < 0 && k < definitions.size()) {
        c = CaseFoldedColumn(definitions[k]);
        case_insensitive = c >= 0;
      }
      if (c < 0) {
        usable = false;
        continue;
      }
      columns.push_back(keys[k] == 0 ? -1 : c);
      const std::string& name = columns_[static_cast<std::size_t>(c)].field_name;
      index.fields.push_back(name);
      if (case_insensitive) index.case_insensitive.push_back(name);
      // Bit 0 of a column's options: descending.
      if (k < options.size() && (options[k] & 1) != 0) index.descending.push_back(name);
      // Index field lists are separated by ";": a column whose name holds one cannot be named.
      if (name.find(';') != std::string::npos) usable = false;
    }
    const bool plain = std::none_of(columns.begin(), columns.end(), [](int c) { return c < 0; });
    if (index.primary && key_columns_.empty() && plain && columns.size() == key_count) key_columns_ = columns;
    if (usable && !index.fields.empty()) indexes_.push_back(std::move(index));
  }
  keyed_ = (kind_ == 'r' || kind_ == 'p' || kind_ == 'f') && !key_columns_.empty();
}

int TPgTable::CaseFoldedColumn(std::string_view expression) const {
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
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    if (columns_[c].name == name) return static_cast<int>(c);
  }
  return -1;
}

TPgTable::Rows TPgTable::ReadRows() {
  if (table_name_.empty()) Error("Missing TableName property");
  FindTable();
  ReadCatalog();
  std::string sql = "SELECT ";
  for (std::size_t c = 0; c < columns_.size(); ++c) sql += (c == 0 ? "" : ", ") + PgQuoteIdentifier(columns_[c].name);
  sql += " FROM " + qualified_;
  if (!ReadCondition().empty()) sql += " WHERE " + ReadCondition();
  const bool on_demand = fetch_rows_ > 0 && keyed_;
  SetWindowRows(on_demand ? static_cast<std::size_t>(fetch_rows_) : 0);
  // On demand the rows come window by window once the order is known (ReadWindow); this
  // reading only describes the columns.
  if (on_demand) return ReadSelect(sql + " LIMIT 0", ConditionParams(), false);
  // The primary key's order makes the order of adding the same at every opening.
  if (!key_columns_.empty()) {
    sql += " ORDER BY ";
    for (std::size_t k = 0; k < key_columns_.size(); ++k) {
      sql += (k == 0 ? "" : ", ") + PgQuoteIdentifier(columns_[static_cast<std::size_t>(key_columns_[k])].name);
    }
  }
  return ReadSelect(sql, ConditionParams(), false);
}

void TPgTable::DefineFields(const std::vector<PgColumn>& columns) {
  read_columns_ = columns;
  FieldDefs().Clear();
  for (std::size_t c = 0; c < columns.size(); ++c) {
    const PgColumn& read = columns[c];
    const Column& column = columns_[c];
    const bool required = column.not_null && !column.has_default && !column.generated;
    FieldDefs().Add(column.field_name, read.type, read.type == TFieldType::ftString ? read.size : 0, required);
  }
  IndexDefs().Clear();
  for (const Index& index : indexes_) {
    TIndexOptions options;
    if (index.unique) options.Include(ixUnique);
    if (index.primary) options.Include(ixPrimary);
    if (!index.descending.empty() && index.descending.size() == index.fields.size()) options.Include(ixDescending);
    const bool all_folded = index.case_insensitive.size() == index.fields.size();
    if (all_folded) options.Include(ixCaseInsensitive);
    TIndexDef& def = IndexDefs().Add(index.name, Join(index.fields), options);
    if (!index.descending.empty() && index.descending.size() != index.fields.size()) def.SetDescFields(Join(index.descending));
    if (!index.case_insensitive.empty() && !all_folded) def.SetCaseInsFields(Join(index.case_insensitive));
  }
}

std::string TPgTable::KeyCondition(int first) const {
  std::string where;
  for (std::size_t k = 0; k < key_columns_.size(); ++k) {
    where += (k == 0 ? "" : " AND ") + PgQuoteIdentifier(columns_[static_cast<std::size_t>(key_columns_[k])].name) +
             " = $" + std::to_string(first + static_cast<int>(k));
  }
  return where;
}

void TPgTable::AddKeyParams(PgParams& params, RowId row) const {
  for (int c : key_columns_) params.push_back(PgParamText(Store()->Get(row, c), FieldDefs().Items(c).data_type));
}

void TPgTable::WriteAndReadBack(const std::string& sql, const PgParams& params, std::vector<Variant>& values) {
  const PgResult result = Connection().Exec(sql, params);
  if (result.Rows() != 1) {
    Error("The record was not found in '" + table_name_ + "'; another user may have deleted it or changed its key");
  }
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
  if (!keyed_) Error(ReadOnlyMessage());
  CheckUniqueKeys(row, values);
  const int columns = FieldDefs().Count();
  std::vector<int> written;
  for (int c = 0; c < columns; ++c) {
    const auto i = static_cast<std::size_t>(c);
    const bool changed = row == kNoRow ? !values[i].IsClear() : !(values[i] == Store()->Get(row, c));
    if (!changed) continue;
    if (columns_[i].generated) {
      Error("Column '" + columns_[i].name + "' is computed by the database from other columns; its value cannot be changed");
    }
    written.push_back(c);
  }
  if (row != kNoRow && written.empty()) return;
  PgParams params;
  for (int c : written) params.push_back(PgParamText(values[static_cast<std::size_t>(c)], FieldDefs().Items(c).data_type));
  std::string returning = " RETURNING ";
  for (std::size_t c = 0; c < columns_.size(); ++c) returning += (c == 0 ? "" : ", ") + PgQuoteIdentifier(columns_[c].name);
  std::string sql;
  if (row == kNoRow) {
    std::string names, placeholders;
    for (std::size_t k = 0; k < written.size(); ++k) {
      names += (k == 0 ? "" : ", ") + PgQuoteIdentifier(columns_[static_cast<std::size_t>(written[k])].name);
      placeholders += (k == 0 ? "$" : ", $") + std::to_string(k + 1);
    }
    sql = written.empty() ? "INSERT INTO " + qualified_ + " DEFAULT VALUES"
                          : "INSERT INTO " + qualified_ + " (" + names + ") VALUES (" + placeholders + ")";
  } else {
    std::string sets;
    for (std::size_t k = 0; k < written.size(); ++k) {
      sets += (k == 0 ? "" : ", ") + PgQuoteIdentifier(columns_[static_cast<std::size_t>(written[k])].name) + " = $" +
              std::to_string(k + 1);
    }
    sql = "UPDATE " + qualified_ + " SET " + sets + " WHERE " + KeyCondition(static_cast<int>(written.size()) + 1);
    AddKeyParams(params, row);
  }
  Transaction transaction(Connection());
  WriteAndReadBack(sql + returning, params, values);
  transaction.Commit();
}

void TPgTable::InternalDelete(RowId row) {
  if (!keyed_) Error(ReadOnlyMessage());
  PgParams params;
  AddKeyParams(params, row);
  Transaction transaction(Connection());
  const PgResult result = Connection().Exec("DELETE FROM " + qualified_ + " WHERE " + KeyCondition(1), params);
  if (std::string(PQcmdTuples(result.Handle())) != "1") {
    Error("The record was not found in '" + table_name_ + "'; another user may have deleted it or changed its key");
  }
  transaction.Commit();
}

void TPgTable::InternalEmpty() {
  if (kind_ == 'v' || kind_ == 'm') Error(ReadOnlyMessage());
  Transaction transaction(Connection());
  Connection().Exec("DELETE FROM " + qualified_);
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
  const PgResult early = Connection().Exec("SELECT EXISTS (SELECT 1 FROM " + qualified_ + " WHERE " +
                                           PgQuoteIdentifier(columns_[c].name) + " < '1899-12-30')");
  return day_ordered_[c] = early.Text(0, 0) != "t";
}

std::vector<int> TPgTable::TieColumns() const {
  return WindowRows() > 0 ? key_columns_ : std::vector<int>{};
}

bool TPgTable::PlainCollation(std::size_t c) {
  constexpr unsigned kDefault = 100, kC = 950, kPosix = 951;  // the built-in collations' oids
  const unsigned collation = columns_[c].collation;
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
    parts.push_back(PgKeyPart{columns_[c].name, read_columns_[c].oid, read_columns_[c].type, p.descending,
                              p.case_insensitive && text, text && PlainCollation(c), columns_[c].not_null});
  }
  return parts;
}

bool TPgTable::ServesOrder() {
  if (!keyed_) return false;
  for (const KeyPart& p : OrderParts()) {
    const PgColumn& column = read_columns_[static_cast<std::size_t>(p.column)];
    if (column.widened || !PgKeysetOrders(column.oid, column.typmod)) return false;
    if (column.oid == pg_oid::kTimestamp && !OrdersAsDayNumbers(static_cast<std::size_t>(p.column))) return false;
    // Capitals are the client's only where the server's upper() is.
    if (p.case_insensitive && StorageKindOf(column.type) == TStorageKind::skText && !UpperAgrees()) return false;
  }
  return true;
}

void TPgTable::ReadWindow(const TRowWindow& window, std::vector<RowId>& rows) {
  const std::vector<PgKeyPart> parts = KeyParts();
  std::string select = "SELECT ";
  for (std::size_t c = 0; c < columns_.size(); ++c) select += (c == 0 ? "" : ", ") + PgQuoteIdentifier(columns_[c].name);
  select += " FROM " + qualified_;
  // Runs one query of the window: `condition` AND-ed to what the data set asks of every
  // reading, rows in `order`, up to `limit` of them (0: all).
  auto read = [&](const std::string& condition, const PgConditionSql& keyset, const std::string& order,
                  std::size_t limit) {
    std::string where = ReadCondition();
    PgParams params = ConditionParams();
    for (const std::string& term : {condition, keyset.sql}) {
      if (!term.empty()) where = where.empty() ? term : "(" + where + ") AND (" + term + ")";
    }
    for (const Variant& v : keyset.params) params.push_back(PgParamText(v));
    std::string sql = select;
    if (!where.empty()) sql += " WHERE " + where;
    if (!order.empty()) sql += " ORDER BY " + order;
    if (limit > 0) sql += " LIMIT " + std::to_string(limit);
    const RowId first = Store()->RowLimit();
    ReadSelect(sql, params, false, Store());
    for (RowId r = first; r < Store()->RowLimit(); ++r) rows.push_back(r);
  };
  if (window.start == TWindowStart::wsAll) {
    read("", {}, "", 0);
    return;
  }
  const int next = static_cast<int>(ConditionParams().size()) + 1;
  const bool back = window.start == TWindowStart::wsLast || window.start == TWindowStart::wsBeforeRow;
  std::vector<Variant> key;
  if (window.start == TWindowStart::wsAfterRow || window.start == TWindowStart::wsBeforeRow) {
    for (const KeyPart& p : OrderParts()) key.push_back(Store()->Get(window.row, p.column));
  } else if (window.start == TWindowStart::wsKey) {
    key = window.key;
  }
  // A B-tree index orders a column's nulls after its values, the client before them (and
  // after them, descending): one ORDER BY cannot follow both. So where the first part may
  // be null, its nulls and its values are asked for in two bands, each in an order the
  // index gives, the band of the window's start first and the other where the walk goes on.
  const PgKeyPart& lead = parts.front();
  const std::string column = PgQuoteIdentifier(lead.column);
  struct Band {
    bool nulls;
    std::string condition;
    std::vector<PgKeyPart> parts;  // the parts that order the band's rows
    std::size_t from;              // how many leading key values the band skips
  };
  std::vector<Band> bands;
  std::vector<PgKeyPart> valued = parts;
  valued.front().not_null = true;  // the band holds no nulls there
  if (lead.not_null) {
    bands.push_back({false, "", parts, 0});
  } else {
    bands.push_back({true, column + " IS NULL", std::vector<PgKeyPart>(parts.begin() + 1, parts.end()), 1});
    bands.push_back({false, column + " IS NOT NULL", valued, 0});
    // In the client's order nulls come first ascending, last descending; walking back,
    // the other way round.
    if (lead.descending != back) std::swap(bands[0], bands[1]);
  }
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
    read(b.condition, keyset, PgKeysetOrder(b.parts, back), window.limit == 0 ? 0 : window.limit - got);
    if (window.limit > 0 && rows.size() >= window.limit) return;
  }
}

}  // namespace vantor
