#pragma once
// The PostgreSQL column types as field types, and the values between the server's text
// form and a row store (or a statement parameter).
//
// Mapping: int2 ftSmallint, int4 ftInteger, int8 and oid ftLargeint, float4/float8
// ftFloat, numeric(p,s) with 0 <= s <= 4 and p - s <= 14 ftCurrency (every value fits
// exactly), other numerics ftBCD (held exactly while every value has at most four
// decimals and fits the currency range), bool ftBoolean, date ftDate, time ftTime,
// timestamp and timestamptz ftDateTime (timestamptz as the wall time of the session's
// time zone), text ftString of any length, varchar(n) and char(n) ftString of Size n,
// name ftString of Size 63, bytea ftBlob; every other type as its text (ftString).
//
// A value is never altered to fit: a cell its column's type cannot hold exactly (a
// numeric with more decimals, a date after 9999 or before the year 1, infinity, NaN, the
// time 24:00) makes the whole column text (WidenedPgType). Times are held to the
// millisecond: further fraction digits are dropped.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <vantor/platform/data/row_store.h>
#include <vantor/platform/rtl/field_type.h>
#include <vantor/platform/rtl/variant.h>

namespace vantor {

// Type OIDs of the built-in types read here.
namespace pg_oid {
inline constexpr unsigned kBool = 16, kBytea = 17, kChar = 18, kName = 19, kInt8 = 20, kInt2 = 21, kInt4 = 23,
                          kText = 25, kOid = 26, kFloat4 = 700, kFloat8 = 701, kBpchar = 1042, kVarchar = 1043,
                          kDate = 1082, kTime = 1083, kTimestamp = 1114, kTimestampTz = 1184, kNumeric = 1700;
}  // namespace pg_oid

// The field type and size for a column of type `oid` with type modifier `typmod`.
TFieldType PgFieldType(unsigned oid, int typmod, int& size);

// Whether the client's cell of a column of type `oid` is the server's value exactly, so
// that a write finds its row by it: false for times and timestamps (held to the
// millisecond; with a time zone, as wall times, which repeat when the clocks go back).
// Numbers are held exactly or their column is read as its text, and texts byte for byte.
bool PgCellIsExact(unsigned oid);

// What a column of a field type becomes when one of its cells does not fit: text.
inline TFieldType WidenedPgType() { return TFieldType::ftString; }

// Reads a cell in the server's text form into the store at (row, column), converting to
// the column's kind; `type` is the column's field type and `oid` the server's type.
// False, with the cell untouched, when the value does not fit that type exactly.
[[nodiscard]] bool LoadPgCell(std::string_view text, unsigned oid, TFieldType type, TRowStore& store, RowId row,
                              int column);

// A value in the server's text form, for a statement parameter of a column of `type`
// (ftUnknown: by the Variant's kind alone); nullopt for Null and Empty. Dates of ftDate
// are written as dates, of ftTime as times, otherwise as timestamps; blobs in hex.
std::optional<std::string> PgParamText(const Variant& value, TFieldType type = TFieldType::ftUnknown);

}  // namespace vantor
