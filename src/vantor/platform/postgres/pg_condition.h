#pragma once
// A server condition (TServerCondition) as PostgreSQL SQL: the text of a WHERE clause over
// a result's columns, with every value a parameter ($1, $2 ...) in the server's text form,
// never spliced into the text. The rendering keeps the condition a superset of the rows
// the client accepts:
//  - a term is rendered only on a column of the server type it was meant for, whose
//    values the client holds as the server compares them (numbers on int2/int4/int8,
//    float8 or numeric; dates on date, timestamp, timestamptz; texts on text and varchar,
//    whose values the client reads byte for byte); any other term is TRUE (the condition
//    has no negation, so a wider term only widens it). Not float4: the client holds the
//    shortest decimal of the float4, which differs from the float4 the server compares;
//  - a term on a name the result holds twice is TRUE: the server could not tell which;
//  - values are cast to the widest type of their family (int8, float8, numeric,
//    timestamp), so a bound is never rounded to a narrower column type, and comparisons
//    stay within btree operator families an index answers;
//  - texts are ordered with COLLATE "C" (byte order, as the client orders them); equality
//    and LIKE need no collation; begins-with is `col LIKE 'abc%'`, which an index with
//    text_pattern_ops or the C collation answers;
//  - capitals (`upper`) are asked only when the server's upper() is known to be the
//    client's (PgUpperAgrees), as `upper(col COLLATE "default")`; otherwise the condition's
//    wider form is used;
//  - dates and times are widened by the client's rounding of stored times (milliseconds),
//    by a day where a time zone takes part, and by two days below 1900-01-01, where the
//    client's day numbers do not order times of one day as time does.

#include <string>
#include <vector>

#include <vantor/platform/data/server_condition.h>
#include <vantor/platform/rtl/variant.h>

namespace vantor {

class PgConnection;

// What the renderer needs to know of a result column.
struct PgConditionColumn {
  std::string name;   // as the server names it
  unsigned oid = 0;
  std::string field;  // the field that reads it, where its name is another ("id_1"); "": `name`
};

// A rendered condition: its SQL text and the values of its parameters.
struct PgConditionSql {
  std::string sql;              // empty: no condition (all rows)
  std::vector<Variant> params;  // texts, for $1, $2 ...
};

// `columns`: the columns of the result the condition applies to, found by field name
// (exactly, else letter case ignored when that is unambiguous); a term on another name,
// or on a column whose server name the result repeats, is TRUE.
// Parameters are numbered from `first_param` on (after those of another condition).
PgConditionSql RenderPgCondition(const TServerCondition& condition, const std::vector<PgConditionColumn>& columns,
                                 bool upper_agrees, int first_param = 1);

// A text column's capitals as the client writes them (AnsiUpperCase): upper() under the
// collation whose case mapping PgUpperAgrees checks. `quoted_column` is already quoted.
std::string PgUpperSql(const std::string& quoted_column);

// Appended to a text expression, orders it by its bytes: the client's order of texts.
inline constexpr const char* kPgByteOrder = " COLLATE \"C\"";

// Whether upper() under the database's default collation upper-cases every character as
// the client does: it is asked once for one text holding every code point, in a database
// that speaks UTF-8 with the libc provider (an ICU provider maps some characters to more
// than one, and may look at neighbours). False when anything differs or the question fails.
bool PgUpperAgrees(PgConnection& connection);

}  // namespace vantor
