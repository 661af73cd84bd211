#include <vantor/platform/postgres/pg_condition.h>

#include <algorithm>
#include <optional>
#include <utility>

#include <vantor/platform/postgres/pg_connection.h>
#include <vantor/platform/postgres/internal/pg_types.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/rtl/utf8.h>

namespace vantor {
namespace {

using Condition = TServerCondition;
using Kind = TServerCondition::Kind;

// The day numbers of 0001-01-01 and of the day after 9999-12-31: the dates a text can name.
constexpr double kFirstDay = -693593.0;
constexpr double kPastLastDay = 2958466.0;
constexpr double kMillisecond = 1.0 / 86400000.0;

bool IsInteger(unsigned oid) { return oid == pg_oid::kInt2 || oid == pg_oid::kInt4 || oid == pg_oid::kInt8; }
bool IsTimestamp(unsigned oid) { return oid == pg_oid::kTimestamp || oid == pg_oid::kTimestampTz; }
bool IsText(unsigned oid) { return oid == pg_oid::kText || oid == pg_oid::kVarchar; }

// Whether a term meant for a field of `type` can be asked of a column of type `oid`.
bool Fits(TFieldType type, unsigned oid) {
  switch (type) {
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftWord:
    case TFieldType::ftAutoInc:
    case TFieldType::ftLargeint: return IsInteger(oid);
    // The client's value of a float4 is its shortest decimal, not the float4 itself.
    case TFieldType::ftFloat: return oid == pg_oid::kFloat8;
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD: return oid == pg_oid::kNumeric;
    case TFieldType::ftDate: return oid == pg_oid::kDate;
    case TFieldType::ftDateTime: return IsTimestamp(oid);
    case TFieldType::ftBoolean: return oid == pg_oid::kBool;
    case TFieldType::ftString: return IsText(oid);
    default: return false;
  }
}

class Renderer {
 public:
  Renderer(const std::vector<PgConditionColumn>& columns, bool upper_agrees, int first_param)
      : columns_(columns), upper_agrees_(upper_agrees), first_param_(first_param) {}

  PgConditionSql Render(const Condition& condition) {
    const Condition asked = Resolve(condition);
    if (!asked.IsTrue()) out_.sql = Text(asked);
    return std::move(out_);
  }

 private:
  // The condition as this server is asked it: case-mapped forms chosen, terms it cannot
  // ask (or would ask too narrowly) replaced by TRUE, date bounds widened.
  Condition Resolve(const Condition& c) const {
    switch (c.kind) {
      case Kind::kTrue:
      case Kind::kFalse: return c;
      case Kind::kAnd:
      case Kind::kOr: {
        std::vector<Condition> children;
        for (const Condition& child : c.children) children.push_back(Resolve(child));
        return c.kind == Kind::kAnd ? Condition::And(std::move(children)) : Condition::Or(std::move(children));
      }
      case Kind::kCaseMapped: return Resolve(c.children[upper_agrees_ ? 0 : 1]);
      case Kind::kIsNull: return Find(c.column) != nullptr ? c : Condition::True();
      case Kind::kCompare:
      case Kind::kLike: break;
    }
    const PgConditionColumn* column = Find(c.column);
    if (column == nullptr || !Fits(c.type, column->oid) || (c.upper && !upper_agrees_)) return Condition::True();
    if (c.kind == Kind::kCompare && c.value.VarType() == varDate && IsTimestamp(column->oid)) {
      return WidenTime(c, column->oid == pg_oid::kTimestampTz);
    }
    return c;
  }

  // A bound on a timestamp, widened so that it holds for every stored time the client's
  // test admits: the client holds times cut to the millisecond, a bound is written to the
  // millisecond, the wall times of a time zone repeat or skip an hour or two, and below
  // day 3 the client's day numbers (the time of day added to a negative day) are within
  // two days of the time they stand for.
  static Condition WidenTime(const Condition& c, bool zoned) {
    const double bound = c.value.AsDate();
    double slack = 2 * kMillisecond + (zoned ? 1.0 : 0.0) + (bound < 3.0 ? 2.0 : 0.0);
    auto at = [&](TServerOp op, double day) {
      if (!(day >= kFirstDay && day < kPastLastDay)) return Condition::True();
      return Condition::Compare(c.column, c.type, op, Variant::FromDate(day));
    };
    switch (c.op) {
      case opGreaterEqual: return at(opGreaterEqual, bound - slack);
      case opLessEqual:
      case opLess: return at(opLessEqual, bound + slack);
      case opEqual: return Condition::And({at(opGreaterEqual, bound - slack), at(opLessEqual, bound + slack)});
    }
    return Condition::True();
  }

  // The column the field `name` reads, where the server can name it without doubt.
  const PgConditionColumn* Find(const std::string& name) const {
    const PgConditionColumn* found = nullptr;
    for (const PgConditionColumn& c : columns_) {
      if (FieldOf(c) == name) {
        found = &c;
        break;
      }
    }
    if (found == nullptr) {
      for (const PgConditionColumn& c : columns_) {
        if (!AnsiSameText(FieldOf(c), name)) continue;
        if (found != nullptr) return nullptr;  // two columns differ in case only: neither is sure
        found = &c;
      }
    }
    if (found == nullptr) return nullptr;
    // A name the result holds twice is ambiguous to the server (a join's "id" and "id").
    const auto same_name = std::count_if(columns_.begin(), columns_.end(),
                                         [found](const PgConditionColumn& c) { return c.name == found->name; });
    return same_name == 1 ? found : nullptr;
  }

  static const std::string& FieldOf(const PgConditionColumn& c) { return c.field.empty() ? c.name : c.field; }

  std::string Param(const Variant& value, TFieldType type) {
    const std::optional<std::string> text = PgParamText(value, type);
    // Terms compare with values only; Null is a term of its own (IS NULL).
    out_.params.push_back(text ? Variant(*text) : Variant::Null());
    return "$" + std::to_string(first_param_ - 1 + static_cast<int>(out_.params.size()));
  }

  static const char* Operator(TServerOp op) {
    switch (op) {
      case opEqual: return " = ";
      case opGreaterEqual: return " >= ";
      case opLessEqual: return " <= ";
      case opLess: return " < ";
    }
    return " = ";
  }

  std::string Text(const Condition& c) {
    switch (c.kind) {
      case Kind::kTrue: return "TRUE";
      case Kind::kFalse: return "FALSE";
      case Kind::kAnd:
      case Kind::kOr: {
        std::string sql = "(";
        for (std::size_t i = 0; i < c.children.size(); ++i) {
          if (i > 0) sql += c.kind == Kind::kAnd ? " AND " : " OR ";
          sql += Text(c.children[i]);
        }
        return sql + ")";
      }
      case Kind::kCaseMapped: return Text(c.children[upper_agrees_ ? 0 : 1]);  // resolved already
      case Kind::kIsNull: return Column(c) + " IS NULL";
      case Kind::kLike: return Subject(c) + " LIKE " + Param(Variant(c.pattern), TFieldType::ftString);
      case Kind::kCompare: break;
    }
    if (c.type == TFieldType::ftString) {
      // Byte order for ranges; equality is the same in every deterministic collation.
      const std::string subject = Subject(c) + (c.op == opEqual ? "" : kPgByteOrder);
      return subject + Operator(c.op) + Param(c.value, c.type);
    }
    return Column(c) + Operator(c.op) + Param(c.value, c.type) + Cast(c.type);
  }

  std::string Column(const Condition& c) const { return PgQuoteIdentifier(Find(c.column)->name); }

  // The column's text, or its capitals under the collation whose upper() was checked.
  std::string Subject(const Condition& c) const {
    return c.upper ? PgUpperSql(Column(c)) : Column(c);
  }

  // The widest type of the value's family, so that no bound is rounded to the column's.
  static const char* Cast(TFieldType type) {
    switch (type) {
      case TFieldType::ftFloat: return "::float8";
      case TFieldType::ftCurrency:
      case TFieldType::ftBCD: return "::numeric";
      case TFieldType::ftDate: return "::date";
      case TFieldType::ftDateTime: return "::timestamp";
      case TFieldType::ftBoolean: return "::boolean";
      default: return "::int8";
    }
  }

  const std::vector<PgConditionColumn>& columns_;
  bool upper_agrees_;
  int first_param_;
  PgConditionSql out_;
};

}  // namespace

PgConditionSql RenderPgCondition(const TServerCondition& condition, const std::vector<PgConditionColumn>& columns,
                                 bool upper_agrees, int first_param) {
  return Renderer(columns, upper_agrees, first_param).Render(condition);
}

std::string PgUpperSql(const std::string& quoted_column) { return "upper(" + quoted_column + " COLLATE \"default\")"; }

bool PgUpperAgrees(PgConnection& connection) {
  // Every code point but NUL (no text holds it) and the surrogates (no characters).
  static const std::string probe = [] {
    std::string s;
    for (char32_t c = 1; c <= 0x10FFFF; ++c) {
      if (c < 0xD800 || c > 0xDFFF) AppendUtf8(c, s);
    }
    return s;
  }();
  static const std::string expected = AnsiUpperCase(probe);
  try {
    const PgResult result = connection.Exec(
        "SELECT current_setting('server_encoding'), d.datlocprovider, upper($1 COLLATE \"default\") "
        "FROM pg_database d WHERE d.datname = current_database()",
        {probe});
    return result.Rows() == 1 && result.Text(0, 0) == "UTF8" && result.Text(0, 1) == "c" &&
           result.Text(0, 2) == expected;
  } catch (const Exception&) {
    // A statement stopped midway answered nothing: the stop goes on to whoever stopped it.
    if (connection.LastFailureInterrupted()) throw;
    // An older server without the provider column, or any other refusal: not known.
    return false;
  }
}

}  // namespace vantor
