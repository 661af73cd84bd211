#include <vantor/platform/postgres/pg_table.h>

#include <algorithm>
#include <cassert>
#include <sstream>

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

}  // namespace vantor
