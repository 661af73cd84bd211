#pragma once
// Keyset queries: SQL that asks PostgreSQL for the rows of a table in the order in which
// the client orders an index (TTable), starting at a key or continuing from a row, a
// window at a time, so that a table read on demand fetches only the rows it walks.
//
// The order is the client's exactly: per key part nulls below every value (NULLS FIRST;
// a descending part reverses all of it, NULLS LAST), numbers and dates by value, texts by
// bytes (COLLATE "C", or plainly where the column's collation is known to order by bytes,
// so that an index in that collation serves), case-insensitive texts by their upper-cased
// text (the client's per-character capitals, which the server's upper() gives only where
// PgUpperAgrees). The parts end with the primary key, so no two rows tie.
//
// Every value is a parameter ($n) in the server's text form, cast to the column's type,
// never spliced into the SQL; identifiers are quoted. The conditions carry a redundant
// bound on the leading parts (a row comparison where several parts go one way), so an
// index on the parts answers them from the place the key has, not from its start. An
// index serves an order when it holds the parts as written: a nullable ascending part
// NULLS FIRST, a nullable descending one DESC NULLS LAST (or the reverse of all parts).
// A walk toward the nulls of a nullable first part (forward along a descending part,
// backward along an ascending one) has no such bound: the server's index conditions
// never let nulls through, so that walk reads the index from its start.
//
// A key value of a date or time that the server's text form cannot hold exactly (a date
// with a time of day, a time between milliseconds) is compared as the client compares it
// with the values the column can hold.

#include <string>
#include <vector>

#include <vantor/platform/postgres/pg_condition.h>
#include <vantor/platform/rtl/field_type.h>
#include <vantor/platform/rtl/variant.h>

namespace vantor {

class PgConnection;

// One part of a keyset order.
struct PgKeyPart {
  std::string column;             // the server's column name, as it is (quoted when written)
  unsigned oid = 0;               // the column's server type
  TFieldType type = TFieldType::ftUnknown;  // the field type its cells are read as
  bool descending = false;
  bool case_insensitive = false;  // ordered by upper-cased text (texts only)
  bool plain_collation = false;   // the column's own collation orders by bytes: no COLLATE "C"
  // The column holds no nulls (NOT NULL, as every primary key column): then its place for
  // nulls does not matter, and the part is written as a plain index orders it (ascending
  // nulls last, descending nulls first), so such an index serves the order.
  bool not_null = false;
};

// Whether the server orders a column of this type and modifier exactly as the client
// orders the values it reads from it (see the header comment): false for types whose
// values the client holds coarser than the server (times beyond milliseconds), compares
// otherwise (char(n) ignoring trailing blanks), or reads as their text.
bool PgKeysetOrders(unsigned oid, int typmod);

// "ORDER BY" list (without the words) of the parts; `reverse` gives the opposite order.
std::string PgKeysetOrder(const std::vector<PgKeyPart>& parts, bool reverse);

// The rows after (`reverse`: before) the row whose key is `values` (one value per part,
// of the part's field type, Null for a null cell), in the order of PgKeysetOrder(parts,
// false). Parameters are numbered from `first_param`. EDatabaseError when the values are
// not one per part.
PgConditionSql PgKeysetBeyond(const std::vector<PgKeyPart>& parts, const std::vector<Variant>& values, bool reverse,
                              int first_param = 1);

// The rows whose first values.size() parts are not below `values` in that order: where a
// seek to the nearest key lands. Fewer values than parts compare only those parts; none
// gives no condition (all rows); more than parts is an EDatabaseError.
PgConditionSql PgKeysetFrom(const std::vector<PgKeyPart>& parts, const std::vector<Variant>& values,
                            int first_param = 1);

// Whether the database's default collation orders every text as its bytes do (C, POSIX,
// or a C.UTF-8 locale of the libc provider, confirmed by sorting a probe of texts), so
// columns in it may be ordered plainly. False when anything differs or the question fails.
bool PgDefaultCollationIsBytewise(PgConnection& connection);

}  // namespace vantor
