// The filter panel's criteria asked of the PostgreSQL server: the same records with the
// condition pushed down, without it and on an in-memory table of the same rows; the
// server's plan for a prefix on an indexed column; the rows that travel for a selective
// filter; the check of the server's upper-casing.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <vantor/engines/criteria_pushdown.h>
#include <vantor/engines/filter_panel.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/postgres/pg_condition.h>
#include <vantor/platform/postgres/pg_connection.h>
#include <vantor/platform/postgres/pg_query.h>
#include <vantor/platform/postgres/pg_table.h>
#include <vantor/platform/postgres/internal/pg_types.h>
#include <vantor/platform/data/table.h>
#include <vantor/platform/data/typed_fields.h>
#include <vantor/platform/rtl/exceptions.h>
#include "platform/postgres/support/panel_on_random_table.h"
#include "support/criteria_entry.h"
#include "support/pg_environment.h"
#include "support/pg_loader.h"
#include "support/random_values.h"

namespace vantor::testing_support {
namespace {

using Side = PanelOn<TDBFilterPanel>;

using PgPushdown = PgTest;

TEST_F(PgPushdown, TheServerUpperCasesAsTheClientInACUtf8Database) {
  PgConnection connection(ConnInfo(), "UTC");
  EXPECT_TRUE(PgUpperAgrees(connection));
  // A collation whose upper() maps only ASCII letters is not taken for the client's.
  Exec("CREATE DATABASE ascii_upper TEMPLATE template0 ENCODING 'UTF8' LC_COLLATE 'C' LC_CTYPE 'C'");
  std::string conninfo = ConnInfo();
  conninfo.replace(conninfo.find("dbname="), std::string::npos, "dbname=ascii_upper");
  PgConnection ascii(conninfo, "UTC");
  EXPECT_FALSE(PgUpperAgrees(ascii));
}

TEST_F(PgPushdown, SameRecordsWithAndWithoutPushdownAndInMemory) {
  std::size_t rows_read = 0, rows_all = 0, nonempty = 0, rounds = 0;
  for (std::uint32_t seed = 1; seed <= 3; ++seed) {
    RandomValues random(seed);
    TTable memory(nullptr);
    MakeRandomTable(memory, random, 250);
    const std::string table = "p" + std::to_string(seed);
    CopyToServer(memory, ConnInfo(), table, "id");
    TPgTable pushed(nullptr), plain(nullptr);
    for (TPgTable* pg : {&pushed, &plain}) {
      pg->SetConnectionString(ConnInfo());
      pg->SetTableName(table);
      pg->Open();
    }
    plain.SetPushDown(false);
    Side on_memory(memory), on_pushed(pushed), on_plain(plain);
    for (int round = 0; round < 80; ++round) {
      const std::vector<Criterion> criteria = RandomCriteria(random, memory, RandomTableFields(), 3);
      const std::string what = Describe(criteria);
      const std::vector<int> expected = on_memory.Apply(criteria);
      EXPECT_EQ(on_pushed.Apply(criteria), expected) << "seed " << seed << ", pushed down: " << what;
      EXPECT_EQ(on_plain.Apply(criteria), expected) << "seed " << seed << ", not pushed down: " << what;
      EXPECT_EQ(plain.RowsRead(), 250u);
      rows_read += pushed.RowsRead();
      rows_all += 250;
      ++rounds;
      if (!expected.empty() && expected.front() != -1) ++nonempty;
    }
  }
  EXPECT_GT(nonempty, rounds / 4);
  // The server held back a good share of the rows.
  EXPECT_LT(rows_read, rows_all * 2 / 3);
}

// A table of `rows` names "n<number>" with an index the LIKE prefix can use.
void MakeNames(const std::string& conninfo, int rows) {
  PgExec(conninfo,
         "CREATE TABLE names (id integer PRIMARY KEY, name varchar(40), amount integer);"
         "INSERT INTO names SELECT i, 'n' || i, i % 100 FROM generate_series(1, " + std::to_string(rows) + ") AS i;"
         "CREATE INDEX names_name ON names (name text_pattern_ops);"
         "CREATE INDEX names_upper ON names (upper(name) text_pattern_ops);"
         "ANALYZE names");
}

TEST_F(PgPushdown, APrefixOnAnIndexedColumnIsAnIndexScanAndOnlyMatchingRowsTravel) {
  MakeNames(ConnInfo(), 100000);
  TPgTable names(nullptr);
  names.SetConnectionString(ConnInfo());
  names.SetTableName("names");
  names.Open();
  EXPECT_EQ(names.RowsRead(), 100000u);
  Side side(names);
  for (bool case_insensitive : {false, true}) {
    TFieldRecord* r = side.panel.FieldByName("name");
    side.panel.BeginUpdate();
    r->SetCount(coOne);
    r->SetCompare(ctInitial);
    r->SetCaseInsensitive(case_insensitive);
    r->SetValues(0, Variant(case_insensitive ? "N1234" : "n1234"));
    side.panel.EndUpdate();
    // n1234 and n12340 .. n12349: the server sends those and no others.
    EXPECT_EQ(names.RecordCount(), 11);
    EXPECT_EQ(names.RowsRead(), 11u);

    // The plan of the very condition the data set asks.
    std::vector<PgConditionColumn> columns = {
        {"id", pg_oid::kInt4, ""}, {"name", pg_oid::kVarchar, ""}, {"amount", pg_oid::kInt4, ""}};
    const PgConditionSql sql = RenderPgCondition(CriteriaServerCondition(side.panel), columns, true);
    PgParams params;
    for (const Variant& v : sql.params) params.push_back(PgParamText(v));
    PgConnection connection(ConnInfo(), "UTC");
    const PgResult plan = connection.Exec("EXPLAIN SELECT * FROM names WHERE " + sql.sql, params);
    std::string text;
    for (int i = 0; i < plan.Rows(); ++i) text += plan.Text(i, 0) + "\n";
    EXPECT_NE(text.find("Index"), std::string::npos) << sql.sql << "\n" << text;
    EXPECT_EQ(text.find("Seq Scan"), std::string::npos) << sql.sql << "\n" << text;
  }
  // Unfiltered, every row comes back.
  side.panel.SetFiltered(false);
  EXPECT_EQ(names.RowsRead(), 100000u);
}

TEST_F(PgPushdown, UserTextIsBoundNeverSplicedAndTheApplicationsConditionStays) {
  Exec("CREATE TABLE t (id integer PRIMARY KEY, name text, amount integer);"
       "INSERT INTO t VALUES (1, 'O''Brien', 1), (2, 'x''); DROP TABLE t; --', 2), (3, 'O''Brien', 3)");
  TPgTable t(nullptr);
  t.SetConnectionString(ConnInfo());
  t.SetTableName("t");
  t.SetServerCondition("amount <> $1", {Variant(3)});
  t.Open();
  Side side(t);
  TFieldRecord* r = side.panel.FieldByName("name");
  for (const char* value : {"O'Brien", "x'); DROP TABLE t; --"}) {
    side.panel.BeginUpdate();
    r->SetCount(coOne);
    r->SetCompare(ctExact);
    r->SetCaseInsensitive(false);
    r->SetValues(0, Variant(value));
    side.panel.EndUpdate();
    // Row 3 has the name too, but the application's own condition keeps it out.
    EXPECT_EQ(t.RecordCount(), 1) << value;
    EXPECT_EQ(t.RowsRead(), 1u) << value;
  }
  EXPECT_EQ(PgValue(ConnInfo(), "SELECT count(*) FROM t"), "3");
}

TEST_F(PgPushdown, AFailedReadingKeepsThePreviousConditionSoTheNextTryReadsAgain) {
  Exec("CREATE TABLE t (id integer PRIMARY KEY, name text);"
       "INSERT INTO t VALUES (1, 'a'), (2, 'b'), (3, 'c')");
  TPgTable t(nullptr);
  t.SetConnectionString(ConnInfo());
  t.SetTableName("t");
  t.Open();
  Side side(t);
  TFieldRecord* r = side.panel.FieldByName("name");
  r->SetCount(coOne);
  r->SetCompare(ctExact);
  r->SetCaseInsensitive(false);
  r->SetValues(0, Variant("a"));
  EXPECT_EQ(t.RowsRead(), 1u);
  // The table is away while the criteria change: the reading fails, the rows stay.
  Exec("ALTER TABLE t RENAME TO t_away");
  EXPECT_THROW(r->SetValues(0, Variant("b")), EDatabaseError);
  Exec("ALTER TABLE t_away RENAME TO t");
  // The data set is as it was: the row of "a".
  ASSERT_EQ(t.RecordCount(), 1);
  EXPECT_EQ(t.FieldByName("id")->AsInteger(), 1);
  // The same criteria again: the server is asked this time.
  side.panel.UpdateDataSet();
  ASSERT_EQ(t.RecordCount(), 1);
  EXPECT_EQ(t.FieldByName("id")->AsInteger(), 2);
}

TEST_F(PgPushdown, AStoredValueAsTheValueOrABoundKeepsItsRow) {
  Exec("CREATE TABLE t (id int PRIMARY KEY, r real, f float8, stamp timestamp, zoned timestamptz, day date, "
       "amount numeric(12,4), lim numeric);"
       "INSERT INTO t VALUES (1, 0.1, 0.3, '2024-03-10 10:00:00.123456', '2024-03-10 10:00:00.999999+00', "
       "'2024-03-10', 12.3456, 0.1), (2, 0.7, 0.9, '1850-01-01 00:00:00.0005', '1890-01-01 23:59:59.9995+00', "
       "'1850-01-01', -0.0001, 99999999999.9999)");
  const std::vector<std::string> fields = {"r", "f", "stamp", "zoned", "day", "amount", "lim"};
  TPgTable pushed(nullptr), plain(nullptr);
  for (TPgTable* t : {&pushed, &plain}) {
    t->SetConnectionString(ConnInfo());
    t->SetTimeZone("Europe/Berlin");
    t->SetTableName("t");
    t->Open();
  }
  plain.SetPushDown(false);
  // Each value the client holds as the value, as the lower and as the upper bound.
  std::vector<std::pair<int, Criterion>> cases;
  for (plain.First(); !plain.Eof(); plain.Next()) {
    const int id = plain.FieldByName("id")->AsInteger();
    for (const std::string& f : fields) {
      const Variant v = plain.FieldByName(f)->AsVariant();
      cases.push_back({id, {f, coOne, ctExact, false, v, Variant::Null()}});
      cases.push_back({id, {f, coTwo, ctExact, false, v, Variant::Null()}});
      cases.push_back({id, {f, coTwo, ctExact, false, Variant::Null(), v}});
    }
  }
  Side on_pushed(pushed, fields), on_plain(plain, fields);
  for (const auto& [id, c] : cases) {
    const std::string what = c.field + (c.count == coOne ? " = " : " in ") + VarToStr(c.low) + ".." + VarToStr(c.high);
    const std::vector<int> expected = on_plain.Apply({c});
    EXPECT_NE(std::find(expected.begin(), expected.end(), id), expected.end()) << what;
    EXPECT_EQ(on_pushed.Apply({c}), expected) << what;
  }
}

TEST_F(PgPushdown, ANameTheQueryResultRepeatsIsLeftToTheClient) {
  Exec("CREATE TABLE t (id int PRIMARY KEY, name text);"
       "INSERT INTO t VALUES (1, 'a'), (2, 'b'), (3, 'c')");
  TPgQuery pushed(nullptr), plain(nullptr);
  for (TPgQuery* q : {&pushed, &plain}) {
    q->SetConnectionString(ConnInfo());
    q->SetSQL("SELECT x.id, x.name, y.name FROM t x JOIN t y ON y.id = x.id % 3 + 1 ORDER BY x.id");
    q->Open();
  }
  plain.SetPushDown(false);
  Side on_pushed(pushed, {"name", "name_1", "id"}), on_plain(plain, {"name", "name_1", "id"});
  for (const char* field : {"name", "name_1"}) {
    const Criterion c{field, coOne, ctExact, false, Variant("b"), Variant::Null()};
    const std::vector<int> expected = on_plain.Apply({c});
    EXPECT_EQ(expected.size(), 1u) << field;
    EXPECT_EQ(on_pushed.Apply({c}), expected) << field;
  }
  // The id is the result's only one: the server still narrows by it.
  EXPECT_EQ(on_pushed.Apply({{"id", coOne, ctExact, false, Variant(2), Variant::Null()}}), std::vector<int>{2});
  EXPECT_EQ(pushed.RowsRead(), 1u);
}

}  // namespace
}  // namespace vantor::testing_support
