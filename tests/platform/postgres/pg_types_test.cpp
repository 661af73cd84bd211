// Values of every mapped column type read from a real server into fields, written back
// through Post and read again: edge values, NULLs, and cells that only text can hold; keys
// of every type found exactly by a write.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include <vantor/platform/postgres/pg_query.h>
#include <vantor/platform/postgres/pg_table.h>
#include <vantor/platform/postgres/internal/pg_types.h>
#include <vantor/platform/data/typed_fields.h>
#include <vantor/platform/rtl/datetime.h>
#include <vantor/platform/rtl/exceptions.h>
#include "support/pg_environment.h"

namespace vantor::testing_support {
namespace {

class PgTypes : public PgTest {
 protected:
  void SetUp() override {
    PgTest::SetUp();
    if (IsSkipped()) return;
    Exec(
        "CREATE TABLE t (id int4 PRIMARY KEY, s2 int2, i4 int4, i8 int8, f4 float4, f8 float8, "
        "cur numeric(12,2), wide numeric(30,10), free numeric, b bool, d date, tm time, ts timestamp, "
        "tz timestamptz, txt text, vc varchar(12), ch char(3), nm name, by bytea, js jsonb)");
  }
  std::unique_ptr<TPgTable> OpenTable() {
    auto table = std::make_unique<TPgTable>(nullptr);
    table->SetConnectionString(ConnInfo());
    table->SetTableName("t");
    table->Open();
    return table;
  }
  static Variant Value(TPgTable& t, const char* field) { return t.FieldByName(field)->AsVariant(); }
};

TEST_F(PgTypes, ColumnTypesMapToFieldTypesWithSizes) {
  auto t = OpenTable();
  const struct {
    const char* field;
    TFieldType type;
    int size;
  } expected[] = {{"s2", TFieldType::ftSmallint, 0}, {"i4", TFieldType::ftInteger, 0},  {"i8", TFieldType::ftLargeint, 0},
                  {"f4", TFieldType::ftFloat, 0},    {"f8", TFieldType::ftFloat, 0},     {"cur", TFieldType::ftCurrency, 0},
                  {"wide", TFieldType::ftBCD, 0},    {"free", TFieldType::ftBCD, 0},     {"b", TFieldType::ftBoolean, 0},
                  {"d", TFieldType::ftDate, 0},      {"tm", TFieldType::ftTime, 0},      {"ts", TFieldType::ftDateTime, 0},
                  {"tz", TFieldType::ftDateTime, 0}, {"txt", TFieldType::ftString, 0},   {"vc", TFieldType::ftString, 12},
                  {"ch", TFieldType::ftString, 3},   {"nm", TFieldType::ftString, 63},   {"by", TFieldType::ftBlob, 0},
                  {"js", TFieldType::ftString, 0}};
  for (const auto& e : expected) {
    const TFieldDef* def = t->FieldDefs().Find(e.field);
    ASSERT_NE(def, nullptr) << e.field;
    EXPECT_EQ(def->data_type, e.type) << e.field;
    EXPECT_EQ(def->size, e.size) << e.field;
  }
  EXPECT_TRUE(t->FieldDefs().Find("id")->required);
}

TEST_F(PgTypes, EdgeValuesAndNullsReadExactly) {
  Exec(
      "INSERT INTO t VALUES (1, -32768, -2147483648, -9223372036854775808, 1.5, 2.2250738585072014e-308, "
      "-9999999999.99, 12345678901234.5678, -922337203685477.5808, true, '0999-01-02', '23:59:59.999', "
      "'1000-03-01 00:00:00.001', '2024-06-30 23:30:00+00', 'ı İ ſ ς ß Σ', 'ΣΑΣ straße', 'ab', 'name', "
      "'\\x00ff00'::bytea, '{\"a\": 1}'),"
      "(2, 32767, 2147483647, 9223372036854775807, -0.25, 1.7976931348623157e308, 0.01, 0, 922337203685477.5807, "
      "false, '9999-12-31', '00:00:00', '9999-12-31 23:59:59.999', '1970-01-01 00:00:00+00', '', '', '', '', "
      "''::bytea, '[]'),"
      "(3, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
      "NULL, NULL)");
  auto t = OpenTable();
  ASSERT_EQ(t->RecordCount(), 3);
  t->First();
  EXPECT_EQ(Value(*t, "s2"), Variant(std::int16_t{-32768}));
  EXPECT_EQ(Value(*t, "i4"), Variant(std::numeric_limits<std::int32_t>::min()));
  EXPECT_EQ(Value(*t, "i8"), Variant(std::numeric_limits<std::int64_t>::min()));
  EXPECT_EQ(Value(*t, "f4"), Variant(1.5));
  EXPECT_EQ(Value(*t, "f8"), Variant(2.2250738585072014e-308));
  EXPECT_EQ(Value(*t, "cur"), Variant(Currency::FromScaled(-99999999999900)));
  EXPECT_EQ(Value(*t, "wide"), Variant(Currency::FromScaled(123456789012345678)));
  EXPECT_EQ(Value(*t, "free"), Variant(Currency::Min()));
  EXPECT_EQ(Value(*t, "b"), Variant(true));
  EXPECT_EQ(t->FieldByName("d")->AsDateTime(), EncodeDate(999, 1, 2));
  EXPECT_EQ(t->FieldByName("tm")->AsDateTime(), EncodeTime(23, 59, 59, 999));
  EXPECT_EQ(t->FieldByName("ts")->AsDateTime(), ComposeDateTime(EncodeDate(1000, 3, 1), EncodeTime(0, 0, 0, 1)));
  // The session's time zone is UTC unless set otherwise.
  EXPECT_EQ(t->FieldByName("tz")->AsDateTime(), ComposeDateTime(EncodeDate(2024, 6, 30), EncodeTime(23, 30, 0, 0)));
  EXPECT_EQ(t->FieldByName("txt")->AsString(), "ı İ ſ ς ß Σ");
  EXPECT_EQ(t->FieldByName("vc")->AsString(), "ΣΑΣ straße");
  EXPECT_EQ(t->FieldByName("ch")->AsString(), "ab ");  // char(n) comes padded, as the server keeps it
  EXPECT_EQ(Value(*t, "by"), Variant(std::string("\0\xff\0", 3)));
  EXPECT_EQ(t->FieldByName("js")->AsString(), "{\"a\": 1}");
  t->Next();
  EXPECT_EQ(Value(*t, "s2"), Variant(std::int16_t{32767}));
  EXPECT_EQ(Value(*t, "i8"), Variant(std::numeric_limits<std::int64_t>::max()));
  EXPECT_EQ(Value(*t, "f8"), Variant(1.7976931348623157e308));
  EXPECT_EQ(Value(*t, "free"), Variant(Currency::Max()));
  EXPECT_EQ(Value(*t, "b"), Variant(false));
  EXPECT_EQ(t->FieldByName("d")->AsDateTime(), EncodeDate(9999, 12, 31));
  EXPECT_EQ(t->FieldByName("tz")->AsDateTime(), EncodeDate(1970, 1, 1));
  // Empty texts and byte strings are values, not nulls.
  EXPECT_FALSE(t->FieldByName("txt")->IsNull());
  EXPECT_FALSE(t->FieldByName("by")->IsNull());
  EXPECT_EQ(t->FieldByName("by")->AsVariant(), Variant(std::string()));
  t->Next();
  for (int f = 1; f < t->FieldCount(); ++f) EXPECT_TRUE(t->Fields(f)->IsNull()) << t->Fields(f)->FieldName();
}

TEST_F(PgTypes, TimestampsWithATimeZoneShowTheSessionsWallTime) {
  Exec("INSERT INTO t (id, tz) VALUES (1, '2024-01-15 12:00:00+00')");
  TPgTable t(nullptr);
  t.SetConnectionString(ConnInfo());
  t.SetTableName("t");
  t.SetTimeZone("Asia/Kolkata");  // +05:30
  t.Open();
  EXPECT_EQ(t.FieldByName("tz")->AsDateTime(), ComposeDateTime(EncodeDate(2024, 1, 15), EncodeTime(17, 30, 0, 0)));
  // Written back in the same zone: the server stores the same instant.
  t.Edit();
  t.FieldByName("tz")->SetAsDateTime(ComposeDateTime(EncodeDate(2024, 1, 15), EncodeTime(18, 0, 0, 0)));
  t.Post();
  EXPECT_EQ(PgValue(ConnInfo(), "SELECT tz AT TIME ZONE 'UTC' FROM t"), "2024-01-15 12:30:00");
}

TEST_F(PgTypes, CellsOnlyTextCanHoldMakeTheColumnText) {
  // More than four decimals, a date past 9999, an infinite date and timestamp, NaN, 24:00.
  Exec(
      "INSERT INTO t (id, free, d, ts, f8, tm, i4) VALUES (1, 1.5, '2024-01-01', '2024-01-01', 1, '10:00', 7),"
      "(2, 0.00001, '10000-01-01', 'infinity', 'NaN', '24:00:00', 8), (3, 12.25, '0044-03-15 BC', '-infinity', 2, NULL, 9)");
  auto t = OpenTable();
  for (const char* field : {"free", "d", "ts", "f8", "tm"}) {
    EXPECT_EQ(t->FieldByName(field)->DataType(), TFieldType::ftString) << field;
  }
  EXPECT_EQ(t->FieldByName("i4")->DataType(), TFieldType::ftInteger);
  t->First();
  EXPECT_EQ(t->FieldByName("free")->AsString(), "1.5");
  EXPECT_EQ(t->FieldByName("d")->AsString(), "2024-01-01");
  t->Next();
  EXPECT_EQ(t->FieldByName("free")->AsString(), "0.00001");
  EXPECT_EQ(t->FieldByName("d")->AsString(), "10000-01-01");
  EXPECT_EQ(t->FieldByName("ts")->AsString(), "infinity");
  EXPECT_EQ(t->FieldByName("f8")->AsString(), "NaN");
  EXPECT_EQ(t->FieldByName("tm")->AsString(), "24:00:00");
  t->Next();
  EXPECT_EQ(t->FieldByName("d")->AsString(), "0044-03-15 BC");
  // A numeric whose decimals beyond the fourth are zeros still fits.
  Exec("CREATE TABLE z (v numeric(20,8)); INSERT INTO z VALUES (1.12340000), (-5)");
  TPgQuery q(nullptr);
  q.SetConnectionString(ConnInfo());
  q.SetSQL("SELECT v FROM z ORDER BY v");
  q.Open();
  EXPECT_EQ(q.Fields(0)->DataType(), TFieldType::ftBCD);
  EXPECT_EQ(q.Fields(0)->AsVariant(), Variant(Currency::FromInt(-5)));
  q.Next();
  EXPECT_EQ(q.Fields(0)->AsVariant(), Variant(Currency::FromScaled(11234)));
}

TEST_F(PgTypes, EveryTypeRoundTripsThroughPost) {
  auto t = OpenTable();
  t->Append();
  t->FieldByName("id")->SetAsInteger(5);
  t->FieldByName("s2")->SetAsInteger(-32768);
  t->FieldByName("i4")->SetAsInteger(2147483647);
  t->FieldByName("i8")->SetAsVariant(Variant(std::numeric_limits<std::int64_t>::min()));
  t->FieldByName("f4")->SetAsFloat(0.5);
  t->FieldByName("f8")->SetAsFloat(0.1);
  t->FieldByName("cur")->SetAsCurrency(Currency::FromScaled(-12345600));
  t->FieldByName("wide")->SetAsCurrency(Currency::FromScaled(1));
  t->FieldByName("free")->SetAsCurrency(Currency::Min());
  t->FieldByName("b")->SetAsBoolean(false);
  t->FieldByName("d")->SetAsDateTime(EncodeDate(1, 1, 1));
  t->FieldByName("tm")->SetAsDateTime(EncodeTime(12, 34, 56, 789));
  t->FieldByName("ts")->SetAsDateTime(ComposeDateTime(EncodeDate(1850, 7, 4), EncodeTime(6, 7, 8, 9)));
  t->FieldByName("tz")->SetAsDateTime(ComposeDateTime(EncodeDate(2030, 2, 28), EncodeTime(23, 59, 59, 999)));
  t->FieldByName("txt")->SetAsString("ı İ ſ ς ß\ttab\nline");
  t->FieldByName("vc")->SetAsString("Ärger");
  t->FieldByName("by")->SetAsVariant(Variant(std::string("\0a\0\x80", 4)));
  t->Post();
  std::vector<Variant> written;
  for (int f = 0; f < t->FieldCount(); ++f) written.push_back(t->Fields(f)->AsVariant());
  t->Close();
  t->Open();
  ASSERT_EQ(t->RecordCount(), 1);
  for (int f = 0; f < t->FieldCount(); ++f) {
    EXPECT_EQ(t->Fields(f)->AsVariant(), written[static_cast<std::size_t>(f)]) << t->Fields(f)->FieldName();
  }
  EXPECT_EQ(t->FieldByName("ch")->IsNull(), true);
}

TEST_F(PgTypes, ParamTextsReadBackAsTheSameValues) {
  // What is sent for a value is what the server reads as that value.
  const Variant values[] = {Variant(std::int16_t{-7}), Variant(std::int64_t{-9223372036854775807 - 1}), Variant(0.1),
                            Variant(Currency::Min()),  Variant(true),
                            Variant::FromDate(ComposeDateTime(EncodeDate(2001, 2, 3), EncodeTime(4, 5, 6, 7)))};
  const char* casts[] = {"int2", "int8", "float8", "numeric", "bool", "timestamp"};
  const char* expected[] = {"-7", "-9223372036854775808", "0.1", "-922337203685477.5808", "t", "2001-02-03 04:05:06.007"};
  for (std::size_t i = 0; i < std::size(values); ++i) {
    EXPECT_EQ(PgValue(ConnInfo(), "SELECT $1::" + std::string(casts[i]), {PgParamText(values[i])}), expected[i]) << casts[i];
  }
  EXPECT_FALSE(PgParamText(Variant::Null()).has_value());
  EXPECT_EQ(PgParamText(Variant(std::string("\x01\xfe", 2)), TFieldType::ftBlob), "\\x01fe");
  EXPECT_THROW(PgParamText(Variant(std::string("a\0b", 3)), TFieldType::ftString), EDatabaseError);
}

TEST_F(PgTypes, EditsAndDeletesFindExactlyTheirRowWhateverTheKeysType) {
  // Two keys of a type that differ only where the client's value of them may not reach,
  // and the session's time zone: {type, a, b, zone}.
  const char* const cases[][4] = {
      {"timestamp", "2024-03-10 10:00:00.123", "2024-03-10 10:00:00.123456", "UTC"},
      {"time", "10:00:00.123", "10:00:00.1234", "UTC"},
      {"timestamptz", "2024-11-03 01:30:00-04", "2024-11-03 01:30:00-05", "America/New_York"},  // clocks go back
      {"timestamptz", "2024-03-10 10:00:00.5+00", "2024-03-10 10:00:00.500001+00", "UTC"},
      {"numeric", "1.00000000000000000001", "1.00000000000000000002", "UTC"},
      {"numeric(20,4)", "1234567890123456.0001", "1234567890123456.0002", "UTC"},
      {"float8", "0.1", "0.10000000000000002", "UTC"},
      {"real", "0.1", "0.10000001", "UTC"},
      {"char(3)", "ab", "AB", "UTC"},
      {"text", "Smith", "smith", "UTC"},
      {"varchar(8)", "x", "x ", "UTC"},
      {"date", "2024-01-01", "2024-01-02", "UTC"}};
  for (const auto& [type, a, b, zone] : cases) {
    SCOPED_TRACE(std::string(type) + " " + a + " / " + b);
    Exec("DROP TABLE IF EXISTS k; CREATE TABLE k (key " + std::string(type) + " PRIMARY KEY, v int);"
         "INSERT INTO k VALUES ('" + a + "', 1), ('" + b + "', 2)");
    auto v_of = [&](const char* key) {
      return PgValue(ConnInfo(), "SELECT coalesce(string_agg(v::text, ','), '-') FROM k WHERE key = $1", {key});
    };
    try {
      TPgTable t(nullptr);
      t.SetConnectionString(ConnInfo());
      t.SetTimeZone(zone);
      t.SetTableName("k");
      t.Open();
      t.SetIndexFieldNames("v");  // the records in the order of v, whatever the key's order
      for (int v : {1, 2}) {
        t.First();  // v = 1, then v = 2 (the 10 sorts after it)
        t.Edit();
        t.FieldByName("v")->SetAsInteger(v * 10);
        t.Post();
      }
      EXPECT_EQ(v_of(a) + " " + v_of(b), "10 20");
      t.Last();
      t.Delete();
      EXPECT_EQ(v_of(a) + " " + v_of(b) + " " + std::to_string(t.RecordCount()), "10 - 1");
    } catch (const Exception& e) {
      ADD_FAILURE() << e.Message();
    }
  }
}

}  // namespace
}  // namespace vantor::testing_support
