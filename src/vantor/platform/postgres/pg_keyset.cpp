#include <vantor/platform/postgres/pg_keyset.h>

#include <cassert>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>

#include <vantor/platform/postgres/pg_connection.h>
#include <vantor/platform/postgres/internal/pg_types.h>
#include <vantor/platform/data/row_store.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/rtl/utf8.h>

namespace vantor {
namespace {

constexpr const char* kTrue = "TRUE";
constexpr const char* kFalse = "FALSE";

// The server's name of a column type, for the cast of a parameter compared with such a
// column: the comparison is then the column type's own, which its index answers (a
// numeric(10,2) column is compared with plain numeric, so a bound with more decimals is
// not rounded first). Null for a type not named here: the parameter then takes its type
// from the column it is compared with.
const char* CastName(unsigned oid) {
  switch (oid) {
    case pg_oid::kBool: return "bool";
    case pg_oid::kInt2: return "int2";
    case pg_oid::kInt4: return "int4";
    case pg_oid::kInt8: return "int8";
    case pg_oid::kFloat4: return "float4";
    case pg_oid::kFloat8: return "float8";
    case pg_oid::kNumeric: return "numeric";
    case pg_oid::kDate: return "date";
    case pg_oid::kTime: return "time";
    case pg_oid::kTimestamp: return "timestamp";
    case pg_oid::kTimestampTz: return "timestamptz";
    case pg_oid::kBytea: return "bytea";
    case pg_oid::kText:
    case pg_oid::kVarchar:
    case pg_oid::kBpchar:
    case pg_oid::kName: return "text";
    default: return nullptr;
  }
}

// The types whose values order under a collation.
bool IsText(unsigned oid) {
  return oid == pg_oid::kText || oid == pg_oid::kVarchar || oid == pg_oid::kBpchar || oid == pg_oid::kName;
}

std::string Column(const PgKeyPart& part) { return PgQuoteIdentifier(part.column); }

// What the part is ordered by: the column, its bytes, or its capitals' bytes.
std::string Expression(const PgKeyPart& part) {
  if (part.case_insensitive) return PgUpperSql(Column(part)) + kPgByteOrder;
  if (IsText(part.oid) && !part.plain_collation) return Column(part) + kPgByteOrder;
  return Column(part);
}

// Conditions joined with their constants folded, so that a part that cannot decide
// (a null key value) leaves no TRUE or FALSE behind.
std::string And(const std::string& a, const std::string& b) {
  if (a == kFalse || b == kFalse) return kFalse;
  if (a == kTrue) return b;
  if (b == kTrue) return a;
  return a + " AND " + b;
}

std::string Or(const std::string& a, const std::string& b) {
  if (a == kTrue || b == kTrue) return kTrue;
  if (a == kFalse) return b;
  if (b == kFalse) return a;
  return "(" + a + " OR " + b + ")";
}

// Writes the conditions of one key over the parts. Directions are those of the plain
// ascending order with nulls first (the order of a part that is not descending): "up"
// goes toward greater values, away from the nulls.
class KeysetWriter {
 public:
  KeysetWriter(const std::vector<PgKeyPart>& parts, const std::vector<Variant>& values, int first_param)
      : parts_(parts), first_param_(first_param) {
    if (values.size() > parts.size()) {
      throw EDatabaseError("A key of " + std::to_string(values.size()) + " values for an order of " +
                           std::to_string(parts.size()) + " fields");
    }
    // A value the server cannot be asked exactly settles the order on its part: no row
    // equals it, so the parts after it are never compared and need no parameters.
    for (std::size_t i = 0; i < values.size(); ++i) {
      keys_.push_back(Bind(parts[i], values[i]));
      if (keys_.back().rounded != 0) break;
    }
  }

  // Rows past the key: beyond it on each of the key's parts in turn (`strict`), or at it
  // (not strict); `up(i)` is the direction part i goes in.
  template <typename Up>
  PgConditionSql Past(Up up, bool strict) {
    const std::size_t count = keys_.size();
    if (count == 0) return Done(strict ? kFalse : kTrue);
    std::string sql = Beyond(count - 1, up(count - 1), strict);
    for (std::size_t i = count - 1; i-- > 0;) sql = Or(Beyond(i, up(i), true), And(Equal(i), sql));
    const std::size_t bounded = BoundedParts(up);
    if (bounded >= 2 && bounded == count) return Done(Row(bounded, up(0), strict));
    if (count == 1 || bounded == 0) return Done(sql);
    return Done(And(bounded >= 2 ? Row(bounded, up(0), false) : Beyond(0, up(0), false), sql));
  }

 private:
  // A key value as the server is asked it.
  struct Key {
    bool null = false;
    std::string param;  // "$n::type"
    // 0: the server reads the parameter as the value itself; -1 (+1): as the value the
    // column can hold just below (above) it, with none between.
    int rounded = 0;
  };

  Key Bind(const PgKeyPart& part, const Variant& value) {
    Key key;
    std::optional<std::string> text = PgParamText(value, part.type);
    if (!text) {
      key.null = true;
      return key;
    }
    if (part.case_insensitive) text = AnsiUpperCase(*text);
    if (StorageKindOf(part.type) == TStorageKind::skDate) key.rounded = Rounding(part, *text, value);
    params_.push_back(Variant(std::move(*text)));
    key.param = "$" + std::to_string(first_param_ - 1 + static_cast<int>(params_.size()));
    const char* cast = part.case_insensitive ? "text" : CastName(part.oid);
    if (cast != nullptr) key.param += std::string("::") + cast;
    return key;
  }

  // Dates and times are written to the day or the millisecond: the value the client
  // would hold for that text, against the value itself.
  static int Rounding(const PgKeyPart& part, const std::string& text, const Variant& value) {
    TRowStore store({part.type});
    const RowId row = store.AppendRow();
    // A text the client could not read back (a year past 9999) is left as it is.
    if (!LoadPgCell(text, part.oid, part.type, store, row, 0)) return 0;
    return store.CompareCellToValue(0, row, value, false);
  }

  std::string Equal(std::size_t i) const {
    const Key& key = keys_[i];
    if (key.null) return Column(parts_[i]) + " IS NULL";
    if (key.rounded != 0) return kFalse;
    return Expression(parts_[i]) + " = " + key.param;
  }

  // Rows beyond the key on part i in direction `up` (`strict`), or at it or beyond.
  std::string Beyond(std::size_t i, bool up, bool strict) const {
    const PgKeyPart& part = parts_[i];
    const Key& key = keys_[i];
    if (key.null) {
      // Nulls come first: every value is above them, nothing below.
      if (up) return strict ? Column(part) + " IS NOT NULL" : kTrue;
      return strict ? kFalse : Column(part) + " IS NULL";
    }
    // Past a value the server reads rounded is past the rounded one, or at it, by the
    // side it fell on: no value the column holds lies between.
    if (key.rounded != 0) strict = up == (key.rounded < 0);
    const char* op = up ? (strict ? " > " : " >= ") : (strict ? " < " : " <= ");
    const std::string compare = Expression(part) + op + key.param;
    if (up || part.not_null) return compare;
    return "(" + compare + " OR " + Column(part) + " IS NULL)";
  }

  // How many leading parts one index condition can bound: they go one way, their values
  // are exact and not null, and the bound keeps no null out that belongs in the result
  // (going down it would leave out the nulls below). A rounded value ends the key, so it
  // is the last one and is only ever left out of a bound of several parts.
  template <typename Up>
  std::size_t BoundedParts(Up up) const {
    std::size_t n = 0;
    while (n < keys_.size() && !keys_[n].null && keys_[n].rounded == 0 && up(n) == up(0) &&
           (up(0) || parts_[n].not_null)) {
      ++n;
    }
    return n;
  }

  // (a, b, ...) > ($1, $2, ...) over the first n parts: the server answers it from an
  // index on them at once, without walking the rows that tie on the first.
  std::string Row(std::size_t n, bool up, bool strict) const {
    std::string left = "(", right = "(";
    for (std::size_t i = 0; i < n; ++i) {
      // BoundedParts let only exact values that are not null into a row.
      assert(!keys_[i].null && keys_[i].rounded == 0);
      left += (i > 0 ? ", " : "") + Expression(parts_[i]);
      right += (i > 0 ? ", " : "") + keys_[i].param;
    }
    return left + ")" + (up ? (strict ? " > " : " >= ") : (strict ? " < " : " <= ")) + right + ")";
  }

  PgConditionSql Done(std::string sql) {
    PgConditionSql out;
    if (sql != kTrue) out.sql = std::move(sql);
    out.params = std::move(params_);
    return out;
  }

  const std::vector<PgKeyPart>& parts_;
  int first_param_;
  std::vector<Key> keys_;
  std::vector<Variant> params_;
};

}  // namespace

bool PgKeysetOrders(unsigned oid, int typmod) {
  switch (oid) {
    case pg_oid::kBool:
    case pg_oid::kInt2:
    case pg_oid::kInt4:
    case pg_oid::kInt8:
    case pg_oid::kFloat8:
    case pg_oid::kDate:
    case pg_oid::kText:
    case pg_oid::kVarchar:
    case pg_oid::kBytea: return true;
    // Times are held to the millisecond: finer ones would tie on the client only.
    case pg_oid::kTime:
    case pg_oid::kTimestamp: return typmod >= 0 && typmod <= 3;
    case pg_oid::kNumeric: {
      // Exactly where every value fits a currency; a wider numeric may be read as text.
      int size = 0;
      return PgFieldType(oid, typmod, size) == TFieldType::ftCurrency;
    }
    // Not here: float4 (the client holds the decimal a float4 is written as, not the
    // float4, so a key read from a row does not equal its own cell on the server),
    // timestamptz (held as wall times, which repeat when the clocks go back), char(n)
    // (compared without its trailing blanks), name, oid and every type read as text.
    default: return false;
  }
}

std::string PgKeysetOrder(const std::vector<PgKeyPart>& parts, bool reverse) {
  std::string sql;
  for (const PgKeyPart& part : parts) {
    const bool descending = part.descending != reverse;
    if (!sql.empty()) sql += ", ";
    sql += Expression(part);
    if (descending) sql += " DESC";
    if (!part.not_null) sql += descending ? " NULLS LAST" : " NULLS FIRST";
  }
  return sql;
}

PgConditionSql PgKeysetBeyond(const std::vector<PgKeyPart>& parts, const std::vector<Variant>& values, bool reverse,
                              int first_param) {
  if (values.size() != parts.size()) {
    throw EDatabaseError("A key of " + std::to_string(values.size()) + " values for an order of " +
                         std::to_string(parts.size()) + " fields");
  }
  KeysetWriter writer(parts, values, first_param);
  // Forward, an ascending part goes up; a descending one, or going back, down.
  return writer.Past([&](std::size_t i) { return parts[i].descending == reverse; }, true);
}

PgConditionSql PgKeysetFrom(const std::vector<PgKeyPart>& parts, const std::vector<Variant>& values,
                            int first_param) {
  KeysetWriter writer(parts, values, first_param);
  return writer.Past([&](std::size_t i) { return !parts[i].descending; }, false);
}

bool PgDefaultCollationIsBytewise(PgConnection& connection) {
  // Texts that a linguistic order puts elsewhere than their bytes do: letter case,
  // accents, blanks and punctuation ignored at first, digits as numbers, scripts.
  static const std::string probe = [] {
    std::string s;
    for (const char* t : {"a", "B", "b", "A", "é", "e", "f", "É", "ß", "ss", "st", "z", "Z", "ı", "i", "I", "İ",
                          "j", "ſ", "s", " a", "a ", "-a", "a-b", "ab", "a b", "aB", "Ab", "co-op", "coop", "Coop",
                          "1", "10", "9", "½", "ω", "Ω", "Я", "я", "中", "😀", "~", "\x7f", "_", "\t"}) {
      s += t;
      s += '\n';
    }
    // And one character of every 499 code points, alone and after an "a" (enough to tell a
    // linguistic order from the bytes, and cheap: the check runs once per connection).
    for (char32_t c = 32; c <= 0x10FFFF; c += 499) {
      if (c >= 0xD800 && c <= 0xDFFF) continue;
      AppendUtf8(c, s);
      s += "\na";
      AppendUtf8(c, s);
      s += '\n';
    }
    s.pop_back();
    return s;
  }();
  try {
    const PgResult result = connection.Exec(
        "SELECT coalesce(to_jsonb(d) ->> 'datlocprovider', 'c'), d.datcollate, "
        "(SELECT array_agg(x ORDER BY x COLLATE \"default\") = array_agg(x ORDER BY x COLLATE \"C\") "
        "FROM regexp_split_to_table($1, E'\\n') AS x) "
        "FROM pg_database d WHERE d.datname = current_database()",
        {probe});
    if (result.Rows() != 1 || result.Text(0, 0) != "c" || result.Text(0, 2) != "t") return false;
    const std::string collate = result.Text(0, 1);
    return collate == "C" || collate == "POSIX" || AnsiSameText(collate, "C.UTF-8") || AnsiSameText(collate, "C.utf8");
  } catch (const Exception&) {
    // A statement stopped midway answered nothing: the stop goes on to whoever stopped it.
    if (connection.LastFailureInterrupted()) throw;
    return false;
  }
}

}  // namespace vantor
