// Keyset queries against the client's own order: random tables on the server and the very
// same rows in an in-memory table with an index over the same fields, walked one window
// at a time forward and back from random rows, and sought from random keys as FindNearest
// seeks; the types whose order the server shares; the database's default collation; and
// the server's plans, which must start an index scan at the key.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <vantor/platform/postgres/pg_condition.h>
#include <vantor/platform/postgres/pg_connection.h>
#include <vantor/platform/postgres/pg_keyset.h>
#include <vantor/platform/postgres/internal/pg_types.h>
#include <vantor/platform/data/table.h>
#include <vantor/platform/rtl/datetime.h>
#include <vantor/platform/rtl/exceptions.h>
#include "support/pg_environment.h"
#include "support/pg_loader.h"
#include "support/random_values.h"

namespace vantor::testing_support {
namespace {

// Narrow ranges and short texts of few pieces, so that rows tie often, also on the
// case-insensitive parts: case variants that capitals join (i I ı İ, s S ſ, σ ς Σ), letters
// that are their own capital (ß) and accented ones. Currencies in whole cents, as the
// server's numeric(10,2) holds them.
ValueSpread NarrowSpread() {
  ValueSpread spread;
  spread.pieces = {"a", "A", "b", "B", "é", "É", "ß", "ı", "I", "i", "İ",
                   "ſ", "s", "S", "σ", "ς", "Σ", "z", "0", " ", "ö", "Ö"};
  spread.numbers = 12;
  spread.text_pieces = 2;
  spread.nulls = 0.15;
  spread.cents_only = true;
  return spread;
}

struct Column {
  const char* name;
  TFieldType type;
  unsigned oid;
  const char* server_type;  // as the table on the server declares it
};
const Column kColumns[] = {
    {"id", TFieldType::ftInteger, pg_oid::kInt4, "int4"},
    {"team", TFieldType::ftSmallint, pg_oid::kInt2, "int2"},
    {"code", TFieldType::ftString, pg_oid::kText, "text"},
    {"n", TFieldType::ftInteger, pg_oid::kInt4, "int4"},
    {"big", TFieldType::ftLargeint, pg_oid::kInt8, "int8"},
    {"name", TFieldType::ftString, pg_oid::kVarchar, "varchar(40)"},
    {"word", TFieldType::ftString, pg_oid::kText, "text"},
    {"price", TFieldType::ftFloat, pg_oid::kFloat8, "float8"},
    {"day", TFieldType::ftDate, pg_oid::kDate, "date"},
    {"flag", TFieldType::ftBoolean, pg_oid::kBool, "bool"},
    {"amount", TFieldType::ftCurrency, pg_oid::kNumeric, "numeric(10,2)"},
    {"stamp", TFieldType::ftDateTime, pg_oid::kTimestamp, "timestamp(3)"},
    {"bin", TFieldType::ftBlob, pg_oid::kBytea, "bytea"},
};
const Column& ColumnNamed(const std::string& name) {
  for (const Column& c : kColumns) {
    if (name == c.name) return c;
  }
  throw std::logic_error("no column " + name);
}

// A value to seek from that may lie between the table's values or outside them, or
// next to `near` (a value of the table, or Null): times between milliseconds, currencies
// with four decimals, texts of other lengths.
Variant RandomSeekValue(RandomValues& random, TFieldType type, const Variant& near) {
  std::mt19937& rng = random.rng;
  std::uniform_int_distribution<int> n(-15, 15);
  const int step = std::uniform_int_distribution<int>(-3, 3)(rng);
  if (!near.IsClear() && std::bernoulli_distribution(0.5)(rng)) {
    switch (type) {
      case TFieldType::ftDateTime: return Variant::FromDate(near.AsDate() + step * 0.5 / 86400000.0);
      case TFieldType::ftCurrency: return Variant(Currency::FromScaled(near.Get<Currency>()->scaled + step * 37));
      case TFieldType::ftFloat: return Variant(near.AsDouble() + step / 1024.0);
      default: break;
    }
  }
  switch (type) {
    case TFieldType::ftInteger: return Variant(n(rng));
    case TFieldType::ftFloat: return Variant(n(rng) / 7.0);
    case TFieldType::ftCurrency: return Variant(Currency::FromScaled(std::int64_t{n(rng)} * 1373));
    case TFieldType::ftDateTime: return Variant::FromDate(45000 + n(rng) / 3.0 + n(rng) / 172800000.0);
    case TFieldType::ftString: return Variant(random.Text(3));
    default: return random.Cell(type);
  }
}

// The columns of the primary key, by round: an integer, a text, or two columns.
std::vector<std::string> PrimaryKey(int round) {
  switch (round % 3) {
    case 0: return {"id"};
    case 1: return {"code"};
    default: return {"team", "code"};
  }
}

// `rows` random rows in memory and on the server as table "t".
void MakeTables(TTable& memory, RandomValues& random, int rows, const std::vector<std::string>& key,
                const std::string& conninfo) {
  for (const Column& c : kColumns) memory.FieldDefs().Add(c.name, c.type, 0);
  memory.Open();
  for (int i = 1; i <= rows; ++i) {
    memory.Append();
    for (const Column& c : kColumns) {
      const std::string name = c.name;
      Variant value;
      if (name == "id") {
        value = Variant(i);
      } else if (name == "team") {
        value = Variant(static_cast<std::int16_t>(i % 7));
      } else if (name == "code") {
        value = Variant(random.Text(2) + "#" + std::to_string(i % 97) + "." + std::to_string(i / 97));
      } else {
        value = random.Cell(c.type);
      }
      memory.FieldByName(name)->SetAsVariant(value);
    }
    memory.Post();
  }
  CopyToServer(memory, conninfo, "t");
  std::string ddl = "ALTER TABLE t";
  for (const Column& c : kColumns) {
    ddl += std::string(c.name == kColumns[0].name ? " " : ", ") + "ALTER COLUMN " + c.name + " TYPE " + c.server_type;
  }
  std::string columns;
  for (const std::string& k : key) columns += (columns.empty() ? "" : ", ") + k;
  PgExec(conninfo, ddl + ", ADD PRIMARY KEY (" + columns + "); ANALYZE t");
}

// An order over the table: its parts for the server, the same as an index definition.
struct Order {
  std::vector<PgKeyPart> parts;
  std::string fields, desc_fields, case_ins_fields;
};

Order RandomOrder(std::mt19937& rng, const std::vector<std::string>& key, bool bytewise) {
  std::vector<std::string> free;
  for (const Column& c : kColumns) {
    if (std::find(key.begin(), key.end(), c.name) == key.end()) free.push_back(c.name);
  }
  std::shuffle(free.begin(), free.end(), rng);
  std::bernoulli_distribution coin(0.5);
  Order order;
  auto add = [&](const std::string& name, bool descending, bool case_insensitive, bool not_null) {
    const Column& c = ColumnNamed(name);
    order.parts.push_back({name, c.oid, c.type, descending, case_insensitive, bytewise && coin(rng), not_null});
    order.fields += (order.fields.empty() ? "" : ";") + name;
    if (descending) order.desc_fields += (order.desc_fields.empty() ? "" : ";") + name;
    if (case_insensitive) order.case_ins_fields += (order.case_ins_fields.empty() ? "" : ";") + name;
  };
  for (int i = std::uniform_int_distribution<int>(1, 3)(rng) - 1; i >= 0; --i) {
    const std::string name = free[static_cast<std::size_t>(i)];
    const bool text = ColumnNamed(name).type == TFieldType::ftString;
    // The columns that hold no nulls may say so.
    const bool filled = name == "id" || name == "team" || name == "code";
    add(name, coin(rng), text && coin(rng), filled && coin(rng));
  }
  for (const std::string& k : key) add(k, false, false, true);
  return order;
}

// The keys of a result's rows, as "a|b".
std::vector<std::string> Keys(const PgResult& result) {
  std::vector<std::string> keys;
  for (int r = 0; r < result.Rows(); ++r) {
    std::string key;
    for (int c = 0; c < result.Columns(); ++c) key += (c > 0 ? "|" : "") + result.Text(r, c);
    keys.push_back(key);
  }
  return keys;
}

std::string KeyOf(TTable& table, const std::vector<std::string>& key) {
  std::string s;
  for (const std::string& k : key) s += (s.empty() ? "" : "|") + table.FieldByName(k)->AsString();
  return s;
}

PgParams Params(const PgConditionSql& sql) {
  PgParams params;
  for (const Variant& v : sql.params) params.push_back(PgParamText(v));
  return params;
}

using PgKeyset = PgTest;

TEST_F(PgKeyset, WindowsAndSeeksFollowTheClientsIndexOrder) {
  PgConnection connection(ConnInfo(), "UTC");
  // The case-insensitive parts rely on it, as a table reading on demand does.
  ASSERT_TRUE(PgUpperAgrees(connection));
  const bool bytewise = PgDefaultCollationIsBytewise(connection);
  constexpr int kRows = 300;
  constexpr std::size_t kWindow = 7;
  int seeks = 0, empty_seeks = 0;
  for (int round = 0; round < 6; ++round) {
    RandomValues random(static_cast<std::uint32_t>(round + 11), NarrowSpread());
    std::mt19937& rng = random.rng;
    const std::vector<std::string> key = PrimaryKey(round);
    Exec("DROP TABLE IF EXISTS t");
    TTable memory(nullptr);
    MakeTables(memory, random, kRows, key, ConnInfo());
    std::string select;
    for (const std::string& k : key) select += (select.empty() ? "" : ", ") + k;
    for (int o = 0; o < 14; ++o) {
      const Order order = RandomOrder(rng, key, bytewise);
      const std::string name = "k" + std::to_string(o);
      TIndexDef& def = memory.IndexDefs().Add(name, order.fields, {});
      def.SetDescFields(order.desc_fields);
      def.SetCaseInsFields(order.case_ins_fields);
      memory.SetIndexName(name);
      const std::string what = "round " + std::to_string(round) + ", order " + PgKeysetOrder(order.parts, false);

      // The client's order, with every row's key values.
      std::vector<std::string> expected;
      std::vector<std::vector<Variant>> values;
      for (memory.First(); !memory.Eof(); memory.Next()) {
        expected.push_back(KeyOf(memory, key));
        values.emplace_back();
        for (const PgKeyPart& part : order.parts) values.back().push_back(memory.FieldByName(part.column)->AsVariant());
      }
      ASSERT_EQ(expected.size(), static_cast<std::size_t>(kRows));
      const std::string forward = " ORDER BY " + PgKeysetOrder(order.parts, false);
      const std::string backward = " ORDER BY " + PgKeysetOrder(order.parts, true);
      ASSERT_EQ(Keys(connection.Exec("SELECT " + select + " FROM t" + forward)), expected) << what;

      // The next rows after a row and the rows before it, nearest first.
      std::uniform_int_distribution<std::size_t> any_row(0, kRows - 1);
      for (int w = 0; w < 10; ++w) {
        const std::size_t at = w == 0 ? 0 : (w == 1 ? kRows - 1 : any_row(rng));
        for (bool reverse : {false, true}) {
          const PgConditionSql beyond = PgKeysetBeyond(order.parts, values[at], reverse);
          const std::string sql = "SELECT " + select + " FROM t WHERE " + beyond.sql + (reverse ? backward : forward) +
                                  " LIMIT " + std::to_string(kWindow);
          std::vector<std::string> want;
          for (std::size_t k = 1; k <= kWindow; ++k) {
            if (!reverse && at + k < expected.size()) want.push_back(expected[at + k]);
            if (reverse && at >= k) want.push_back(expected[at - k]);
          }
          ASSERT_EQ(Keys(connection.Exec(sql, Params(beyond))), want) << what << "\n" << sql;
        }
      }

      // Seeks to keys of every length, from the table's values and from others.
      std::uniform_int_distribution<std::size_t> length(1, order.parts.size());
      for (int s = 0; s < 12; ++s) {
        const std::size_t count = length(rng);
        const std::vector<Variant>& row = values[any_row(rng)];
        std::vector<Variant> seek;
        for (std::size_t i = 0; i < count; ++i) {
          const int kind = std::uniform_int_distribution<int>(0, 9)(rng);
          const Variant value =
              kind < 5 ? row[i] : (kind == 5 ? Variant::Null() : RandomSeekValue(random, order.parts[i].type, row[i]));
          // As a key field holds it (an empty text is no text, a date has no time).
          seek.push_back(memory.FieldByName(order.parts[i].column)->Convert(value));
        }
        memory.FindNearest(seek);
        std::vector<std::string> want;
        // Past the last key the seek stays on the last row, at the end: nothing follows.
        for (std::size_t k = 0; k < kWindow && !memory.Eof(); ++k, memory.Next()) want.push_back(KeyOf(memory, key));
        const PgConditionSql from = PgKeysetFrom(order.parts, seek);
        const std::string sql = "SELECT " + select + " FROM t" + (from.sql.empty() ? "" : " WHERE " + from.sql) +
                                forward + " LIMIT " + std::to_string(kWindow);
        std::string shown;
        for (const Variant& v : seek) shown += VarToStr(v) + "; ";
        ASSERT_EQ(Keys(connection.Exec(sql, Params(from))), want) << what << "\nseek " << shown << "\n" << sql;
        ++seeks;
        if (want.empty()) ++empty_seeks;
      }
    }
  }
  // Seeks past the last key happen, but most land on a row.
  EXPECT_LT(empty_seeks, seeks / 4);
}

TEST_F(PgKeyset, ASeekBetweenTheValuesAColumnHoldsLandsAsTheClientsSeek) {
  Exec("CREATE TABLE t (id int PRIMARY KEY, stamp timestamp(3), amount numeric(10,2));"
       "INSERT INTO t VALUES (1, '2024-01-05 10:00:00.001', 1.00), (2, '2024-01-05 10:00:00.002', 1.01),"
       "(3, NULL, NULL), (4, '2024-01-05 10:00:00.002', 1.01)");
  PgConnection connection(ConnInfo(), "UTC");
  const TDateTime ms1 = 45296 + (10 * 3600000 + 1) / 86400000.0;
  const double half_ms = 0.5 / 86400000.0;
  auto ids = [&](const PgKeyPart& part, const Variant& value, bool descending) {
    PgKeyPart p = part;
    p.descending = descending;
    const std::vector<PgKeyPart> parts = {p, {"id", pg_oid::kInt4, TFieldType::ftInteger, false, false, false, true}};
    const PgConditionSql from = PgKeysetFrom(parts, {value});
    std::string list;
    for (const std::string& k : Keys(connection.Exec("SELECT id FROM t WHERE " + from.sql + " ORDER BY " +
                                                         PgKeysetOrder(parts, false), Params(from)))) {
      list += k + " ";
    }
    return list;
  };
  const PgKeyPart stamp = {"stamp", pg_oid::kTimestamp, TFieldType::ftDateTime};
  // Half a millisecond past the first time: the second one on, either way the text of
  // the bound would round it; going down, the first and the null.
  for (const double at : {ms1 + 0.4 * half_ms, ms1 + 1.6 * half_ms}) {
    EXPECT_EQ(ids(stamp, Variant::FromDate(at), false), "2 4 ") << at;
    EXPECT_EQ(ids(stamp, Variant::FromDate(at), true), "1 3 ") << at;
  }
  // A bound with more decimals than the column is not rounded to the column's.
  const PgKeyPart amount = {"amount", pg_oid::kNumeric, TFieldType::ftCurrency};
  EXPECT_EQ(ids(amount, Variant(Currency::FromScaled(10040)), false), "2 4 ");
  EXPECT_EQ(ids(amount, Variant(Currency::FromScaled(10060)), true), "1 3 ");
}

TEST_F(PgKeyset, AKeyConditionFollowsTheParametersOfAnotherAndRefusesAKeyThatDoesNotFit) {
  Exec("CREATE TABLE t (id int PRIMARY KEY, name text);"
       "INSERT INTO t VALUES (1, 'b'), (2, 'B'), (3, 'a'), (4, NULL), (5, 'c')");
  PgConnection connection(ConnInfo(), "UTC");
  const std::vector<PgKeyPart> parts = {{"name", pg_oid::kText, TFieldType::ftString, false, true},
                                        {"id", pg_oid::kInt4, TFieldType::ftInteger, false, false, false, true}};
  // Case-insensitively "b" of row 1 and "B" of row 2 tie, so the id orders them: after
  // row 1 come row 2 and row 5 ("c"), which the other condition leaves out.
  const PgConditionSql beyond = PgKeysetBeyond(parts, {Variant("b"), Variant(1)}, false, 2);
  PgParams params = {std::string("5")};
  for (const std::optional<std::string>& p : Params(beyond)) params.push_back(p);
  const PgResult result = connection.Exec("SELECT id FROM t WHERE id <> $1::int4 AND " + beyond.sql + " ORDER BY " +
                                              PgKeysetOrder(parts, false),
                                          params);
  EXPECT_EQ(Keys(result), std::vector<std::string>{"2"});
  EXPECT_THROW(PgKeysetBeyond(parts, {Variant("B")}, false), EDatabaseError);
  EXPECT_THROW(PgKeysetFrom(parts, {Variant("B"), Variant(2), Variant(3)}), EDatabaseError);
  EXPECT_TRUE(PgKeysetFrom(parts, {}).sql.empty());
}

TEST_F(PgKeyset, TheTypesLeftOutReallyOrderOtherwiseThanTheClientReadsThem) {
  EXPECT_TRUE(PgKeysetOrders(pg_oid::kTimestamp, 3));
  EXPECT_TRUE(PgKeysetOrders(pg_oid::kTime, 0));
  EXPECT_TRUE(PgKeysetOrders(pg_oid::kNumeric, ((10 << 16) | 2) + 4));
  for (unsigned oid : {pg_oid::kBool, pg_oid::kInt2, pg_oid::kInt4, pg_oid::kInt8, pg_oid::kFloat8, pg_oid::kDate,
                       pg_oid::kText, pg_oid::kVarchar, pg_oid::kBytea}) {
    EXPECT_TRUE(PgKeysetOrders(oid, -1)) << oid;
  }
  EXPECT_FALSE(PgKeysetOrders(pg_oid::kTimestamp, -1));
  EXPECT_FALSE(PgKeysetOrders(pg_oid::kTimestamp, 6));
  EXPECT_FALSE(PgKeysetOrders(pg_oid::kTime, -1));
  EXPECT_FALSE(PgKeysetOrders(pg_oid::kNumeric, -1));
  EXPECT_FALSE(PgKeysetOrders(pg_oid::kNumeric, ((10 << 16) | 6) + 4));
  for (unsigned oid : {pg_oid::kBpchar, pg_oid::kFloat4, pg_oid::kTimestampTz, pg_oid::kName, pg_oid::kOid, 2950u}) {
    EXPECT_FALSE(PgKeysetOrders(oid, -1)) << oid;
  }

  // Why: the server tells apart, or orders otherwise, what the client reads as equal or
  // in another order.
  Exec("CREATE TABLE t (id int, fine timestamp, padded char(3), single float4);"
       "INSERT INTO t VALUES (1, '2024-01-05 10:00:00.0012', 'a', 0.1), (2, '2024-01-05 10:00:00.0011', E'a\\t', 0.1)");
  PgConnection connection(ConnInfo(), "UTC");
  const PgResult fine = connection.Exec("SELECT fine FROM t ORDER BY fine");
  const PgResult padded = connection.Exec("SELECT padded FROM t ORDER BY padded");
  TRowStore client({TFieldType::ftDateTime, TFieldType::ftString});
  const RowId first = client.AppendRow(), second = client.AppendRow();
  ASSERT_TRUE(LoadPgCell(fine.Text(0, 0), pg_oid::kTimestamp, TFieldType::ftDateTime, client, first, 0));
  ASSERT_TRUE(LoadPgCell(fine.Text(1, 0), pg_oid::kTimestamp, TFieldType::ftDateTime, client, second, 0));
  ASSERT_TRUE(LoadPgCell(padded.Text(0, 0), pg_oid::kBpchar, TFieldType::ftString, client, first, 1));
  ASSERT_TRUE(LoadPgCell(padded.Text(1, 0), pg_oid::kBpchar, TFieldType::ftString, client, second, 1));
  EXPECT_NE(fine.Text(0, 0), fine.Text(1, 0));
  EXPECT_EQ(client.CompareCells(0, first, second, false), 0);
  EXPECT_GT(client.CompareCells(1, first, second, false), 0);
  // The client's double for a float4 cell is not the cell.
  EXPECT_EQ(connection.Exec("SELECT count(*) FROM t WHERE single = 0.1::float8").Text(0, 0), "0");
}

// A connection to a new database made with `options`, or null when the server refuses it
// (a locale or a collation provider this machine does not have).
std::unique_ptr<PgConnection> NewDatabase(const std::string& conninfo, const std::string& name,
                                          const std::string& options) {
  try {
    PgExec(conninfo, "CREATE DATABASE " + name + " TEMPLATE template0 ENCODING 'UTF8' " + options);
  } catch (const std::runtime_error&) {
    return nullptr;
  }
  std::string other = conninfo;
  other.replace(other.find("dbname="), std::string::npos, "dbname=" + name);
  return std::make_unique<PgConnection>(other, "UTC");
}

TEST_F(PgKeyset, TheDefaultCollationIsBytewiseOnlyWhereItOrdersAsBytesDo) {
  PgConnection connection(ConnInfo(), "UTC");
  // The test server's databases are C.UTF-8 (see pg_server.cpp).
  EXPECT_TRUE(PgDefaultCollationIsBytewise(connection));
  const auto plain_c = NewDatabase(ConnInfo(), "bytes_c", "LC_COLLATE 'C' LC_CTYPE 'C'");
  ASSERT_NE(plain_c, nullptr);
  EXPECT_TRUE(PgDefaultCollationIsBytewise(*plain_c));
  // A linguistic collation of the server's own library.
  const auto icu = NewDatabase(ConnInfo(), "linguistic_icu", "LOCALE 'C.UTF-8' LOCALE_PROVIDER icu ICU_LOCALE 'en-US'");
  if (!icu) GTEST_SKIP() << "the server has no ICU collations";
  EXPECT_FALSE(PgDefaultCollationIsBytewise(*icu));
}

TEST_F(PgKeyset, ALinguisticCollationOfTheSystemIsNotBytewise) {
  const auto libc = NewDatabase(ConnInfo(), "linguistic_libc", "LC_COLLATE 'en_US.UTF-8' LC_CTYPE 'en_US.UTF-8'");
  if (!libc) GTEST_SKIP() << "this machine has no en_US.UTF-8 locale for a linguistic collation of the system";
  EXPECT_FALSE(PgDefaultCollationIsBytewise(*libc));
}

// EXPLAIN (ANALYZE, BUFFERS) of a query: its text, and the rows its filters removed and
// the buffers it touched.
struct Plan {
  std::string text;
  long removed = 0;
  long buffers = 0;
};

Plan Explain(PgConnection& connection, const std::string& sql, const PgParams& params) {
  Plan plan;
  const PgResult result = connection.Exec("EXPLAIN (ANALYZE, BUFFERS, COSTS OFF, TIMING OFF) " + sql, params);
  auto number_after = [](const std::string& line, const std::string& label) {
    const std::size_t at = line.find(label);
    return at == std::string::npos ? 0L : std::strtol(line.c_str() + at + label.size(), nullptr, 10);
  };
  for (int r = 0; r < result.Rows(); ++r) {
    const std::string line = result.Text(r, 0);
    plan.text += line + "\n";
    plan.removed += number_after(line, "Rows Removed by Filter: ");
    // The top node's buffers count those of the nodes below it.
    if (plan.buffers == 0 && line.find("Buffers:") != std::string::npos && line.find("Planning") == std::string::npos) {
      plan.buffers = number_after(line, "hit=") + number_after(line, "read=");
    }
  }
  return plan;
}

TEST_F(PgKeyset, AnIndexOnThePartsAnswersAWindowFromTheKeysPlace) {
  PgConnection connection(ConnInfo(), "UTC");
  const bool bytewise = PgDefaultCollationIsBytewise(connection);
  // n has ties and nulls, s is text with nulls, m is never null.
  Exec(std::string("CREATE TABLE k (id int PRIMARY KEY, n int, s text, m int NOT NULL);"
                   "INSERT INTO k SELECT i, CASE WHEN i % 50 = 0 THEN NULL ELSE i % 1000 END,"
                   " CASE WHEN i % 70 = 0 THEN NULL ELSE 'name ' || (i * 7919 % 100000) END, i % 777"
                   " FROM generate_series(1, 100000) AS i;"
                   "CREATE INDEX k_n ON k (n NULLS FIRST, id);"
                   "CREATE INDEX k_s ON k (s") +
       (bytewise ? "" : " COLLATE \"C\"") +
       " NULLS FIRST, id);"
       "CREATE INDEX k_m ON k (m DESC, id);"
       "ANALYZE k");
  const PgKeyPart id = {"id", pg_oid::kInt4, TFieldType::ftInteger, false, false, false, true};
  struct Case {
    PgKeyPart part;
    Variant value;
  };
  const Case cases[] = {
      {{"n", pg_oid::kInt4, TFieldType::ftInteger}, Variant(500)},
      {{"s", pg_oid::kText, TFieldType::ftString, false, false, bytewise}, Variant("name 5")},
      {{"m", pg_oid::kInt4, TFieldType::ftInteger, true, false, false, true}, Variant(400)},
  };
  for (const Case& c : cases) {
    const std::vector<PgKeyPart> parts = {c.part, id};
    const std::string order = " ORDER BY " + PgKeysetOrder(parts, false) + " LIMIT 100";
    // A key in the middle, as a window might end on it.
    const PgConditionSql beyond = PgKeysetBeyond(parts, {c.value, Variant(50001)}, false);
    const PgConditionSql from = PgKeysetFrom(parts, {c.value});
    for (const PgConditionSql* sql : {&beyond, &from}) {
      const Plan plan = Explain(connection, "SELECT * FROM k WHERE " + sql->sql + order, Params(*sql));
      EXPECT_NE(plan.text.find("Index Scan"), std::string::npos) << sql->sql << "\n" << plan.text;
      EXPECT_EQ(plan.text.find("Seq Scan"), std::string::npos) << plan.text;
      EXPECT_EQ(plan.text.find("Sort"), std::string::npos) << plan.text;
      // A window of 100 rows reads about them, not the rows before the key.
      EXPECT_LE(plan.removed, 150) << sql->sql << "\n" << plan.text;
      EXPECT_LE(plan.buffers, 400) << sql->sql << "\n" << plan.text;
      EXPECT_GT(plan.buffers, 0) << plan.text;
    }
  }
}

}  // namespace
}  // namespace vantor::testing_support
