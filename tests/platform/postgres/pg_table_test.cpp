// TPgTable and TPgQuery on a real server: the catalog (names, indexes, keys), edits
// written back, errors in sentences, the row limit, cancelling and the server condition;
// another user's changes to rows and columns between the steps.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include <vantor/platform/postgres/pg_connection.h>
#include <vantor/platform/postgres/pg_query.h>
#include <vantor/platform/postgres/pg_table.h>
#include <vantor/platform/rtl/exceptions.h>
#include "support/pg_environment.h"

namespace vantor::testing_support {
namespace {

// The message of the EDatabaseError that `action` raises ("" when none).
template <typename F>
std::string ErrorOf(F action) {
  try {
    action();
  } catch (const EDatabaseError& e) {
    return e.Message();
  }
  return "";
}

std::vector<std::string> Column(TDataSet& d, const char* field) {
  std::vector<std::string> out;
  for (d.First(); !d.Eof(); d.Next()) out.push_back(d.FieldByName(field)->AsString());
  return out;
}

class PgTable : public PgTest {
 protected:
  void SetUp() override {
    PgTest::SetUp();
    if (IsSkipped()) return;
    Exec(
        "CREATE TABLE people (id serial PRIMARY KEY, name varchar(30) NOT NULL, city text, born date, "
        "score int4 DEFAULT 5, twice int4 GENERATED ALWAYS AS (score * 2) STORED);"
        "CREATE INDEX people_name ON people (name);"
        "CREATE INDEX people_city_born ON people (city, born DESC);"
        "CREATE INDEX people_born_desc ON people (born DESC);"
        "CREATE UNIQUE INDEX people_city_name ON people (city, name) INCLUDE (score);"
        "CREATE INDEX people_lower ON people (lower(name));"
        "CREATE INDEX people_partial ON people (score) WHERE score > 3;"
        "CREATE INDEX people_expr ON people ((score + 1));"
        "CREATE INDEX people_city_upper ON people (city, upper(name) DESC);"
        "CREATE INDEX people_hash ON people USING hash (city);"
        "INSERT INTO people (name, city, born) VALUES ('Smith', 'Berlin', '1980-01-02'), ('adams', 'Paris', NULL), "
        "('Baker', NULL, '1975-05-05'), ('smith', 'Rome', '1990-12-31')");
  }
  void Bind(TPgTable& t, const std::string& name = "people") {
    t.SetConnectionString(ConnInfo());
    t.SetTableName(name);
  }
};

TEST_F(PgTable, ReadsColumnsAndThePlainIndexesFromTheCatalog) {
  TPgTable t(nullptr);
  Bind(t);
  t.Open();
  EXPECT_EQ(t.RecordCount(), 4);
  EXPECT_EQ(Column(t, "name"), (std::vector<std::string>{"Smith", "adams", "Baker", "smith"}));  // key order
  // Columns with a default or computed by the server are not required of the user.
  EXPECT_TRUE(t.FieldDefs().Find("name")->required);
  EXPECT_FALSE(t.FieldDefs().Find("id")->required);
  EXPECT_FALSE(t.FieldDefs().Find("twice")->required);
  std::vector<std::string> names;
  for (int i = 0; i < t.IndexDefs().Count(); ++i) names.push_back(t.IndexDefs().Items(i).Name());
  // Partial and hash indexes and other expressions have no order the client can rebuild;
  // a case-folded column is a case-insensitive one.
  EXPECT_EQ(names, (std::vector<std::string>{"people_pkey", "people_name", "people_city_born", "people_born_desc",
                                             "people_city_name", "people_lower", "people_city_upper"}));
  const TIndexDef& lower = t.IndexDefs().Find("people_lower");
  EXPECT_EQ(lower.Fields(), "name");
  EXPECT_TRUE(lower.Options().Contains(ixCaseInsensitive));
  const TIndexDef& city_upper = t.IndexDefs().Find("people_city_upper");
  EXPECT_EQ(city_upper.Fields(), "city;name");
  EXPECT_EQ(city_upper.CaseInsFields(), "name");
  EXPECT_EQ(city_upper.DescFields(), "name");
  const TIndexDef& pk = t.IndexDefs().Find("people_pkey");
  EXPECT_TRUE(pk.Options().Contains(ixPrimary));
  EXPECT_TRUE(pk.Options().Contains(ixUnique));
  EXPECT_EQ(pk.Fields(), "id");
  const TIndexDef& city_born = t.IndexDefs().Find("people_city_born");
  EXPECT_EQ(city_born.Fields(), "city;born");
  EXPECT_EQ(city_born.DescFields(), "born");
  EXPECT_TRUE(t.IndexDefs().Find("people_born_desc").Options().Contains(ixDescending));
  const TIndexDef& city_name = t.IndexDefs().Find("people_city_name");
  EXPECT_EQ(city_name.Fields(), "city;name");  // the INCLUDE column is no key
  EXPECT_TRUE(city_name.Options().Contains(ixUnique));
  // The orders work as the in-memory table's.
  t.SetIndexName("people_name");
  EXPECT_EQ(Column(t, "name"), (std::vector<std::string>{"Baker", "Smith", "adams", "smith"}));
  EXPECT_TRUE(t.FindKey({Variant("adams")}));
  EXPECT_EQ(t.FieldByName("city")->AsString(), "Paris");
  t.SetIndexName("people_lower");
  EXPECT_EQ(Column(t, "name"), (std::vector<std::string>{"adams", "Baker", "Smith", "smith"}));
  EXPECT_TRUE(t.FindKey({Variant("SMITH")}));
  EXPECT_EQ(t.FieldByName("city")->AsString(), "Berlin");
}

TEST_F(PgTable, FindsSchemaQualifiedQuotedAndDifferentlyCasedNames) {
  Exec("CREATE SCHEMA sales; CREATE TABLE sales.orders (n int PRIMARY KEY); INSERT INTO sales.orders VALUES (1), (2);"
       "CREATE TABLE \"Mixed Case\" (v text); INSERT INTO \"Mixed Case\" VALUES ('x');"
       "CREATE VIEW berliners AS SELECT name FROM people WHERE city = 'Berlin'");
  for (const char* name : {"sales.orders", "SALES.Orders", "\"sales\".\"orders\""}) {
    TPgTable t(nullptr);
    Bind(t, name);
    t.Open();
    EXPECT_EQ(t.RecordCount(), 2) << name;
  }
  for (const char* name : {"\"Mixed Case\"", "mixed case", "MIXED CASE"}) {
    TPgTable t(nullptr);
    Bind(t, name);
    t.Open();
    EXPECT_EQ(t.FieldByName("v")->AsString(), "x") << name;
  }
  TPgTable view(nullptr);
  Bind(view, "Berliners");
  view.Open();
  EXPECT_EQ(Column(view, "name"), std::vector<std::string>{"Smith"});
  EXPECT_FALSE(view.CanModify());
  EXPECT_NE(ErrorOf([&] { view.Edit(); }).find("is a view"), std::string::npos);
}

TEST_F(PgTable, PostsInsertsAndDeletesByPrimaryKeyInTransactions) {
  TPgTable t(nullptr);
  Bind(t);
  t.Open();
  t.Last();
  t.Edit();
  t.FieldByName("name")->SetAsString("Smyth");
  t.FieldByName("score")->SetAsInteger(21);
  t.Post();
  // The server's computed column comes back with the record.
  EXPECT_EQ(t.FieldByName("twice")->AsInteger(), 42);
  EXPECT_EQ(PgValue(ConnInfo(), "SELECT name || ' ' || city || ' ' || twice FROM people WHERE id = 4"), "Smyth Rome 42");
  // An insert leaves the key and the score to their defaults and reads them back.
  t.Append();
  t.FieldByName("name")->SetAsString("Novak");
  t.Post();
  EXPECT_EQ(t.FieldByName("id")->AsInteger(), 5);
  EXPECT_EQ(t.FieldByName("score")->AsInteger(), 5);
  EXPECT_EQ(t.FieldByName("twice")->AsInteger(), 10);
  t.First();
  t.Delete();
  EXPECT_EQ(PgValue(ConnInfo(), "SELECT string_agg(name, ',' ORDER BY id) FROM people"), "adams,Baker,Smyth,Novak");
  // A refused change leaves the server and the record as they were.
  t.First();
  t.Edit();
  t.FieldByName("name")->SetAsString("Rome");
  t.FieldByName("city")->SetAsString("Rome");
  t.FieldByName("name")->SetAsString("Smyth");  // (Rome, Smyth) is taken: unique index
  EXPECT_NE(ErrorOf([&] { t.Post(); }).find("Key violation"), std::string::npos);
  t.Cancel();
  EXPECT_EQ(t.FieldByName("city")->AsString(), "Paris");
  EXPECT_EQ(PgValue(ConnInfo(), "SELECT city FROM people WHERE name = 'adams'"), "Paris");
  // A computed column cannot be written.
  t.Edit();
  t.FieldByName("twice")->SetAsInteger(1);
  EXPECT_NE(ErrorOf([&] { t.Post(); }).find("computed by the database"), std::string::npos);
  t.Cancel();
}

TEST_F(PgTable, NoRowChangedIsReportedAndLeavesTheDataSetAsItWas) {
  TPgTable t(nullptr);
  Bind(t);
  t.Open();
  Exec("DELETE FROM people WHERE id = 1;"
       "CREATE FUNCTION drop_row() RETURNS trigger LANGUAGE plpgsql AS 'BEGIN RETURN NULL; END';"
       "CREATE TRIGGER dropper BEFORE INSERT ON people FOR EACH ROW EXECUTE FUNCTION drop_row()");
  const std::string changed =
      "The record was changed or deleted by another user; 'people' no longer holds it as it was read";
  t.First();
  t.Edit();
  t.FieldByName("city")->SetAsString("Oslo");
  EXPECT_EQ(ErrorOf([&] { t.Post(); }), changed);
  EXPECT_EQ(t.State(), dsEdit);
  t.Cancel();
  EXPECT_EQ(ErrorOf([&] { t.Delete(); }), changed);
  t.Append();
  t.FieldByName("name")->SetAsString("Novak");
  EXPECT_EQ(ErrorOf([&] { t.Post(); }),
            "'people' did not store the record: a trigger or rule of the database dropped it");
  t.Cancel();
  EXPECT_EQ(t.RecordCount(), 4);
  t.First();
  EXPECT_EQ(t.FieldByName("city")->AsString(), "Berlin");
}

TEST_F(PgTable, PostingAnUnchangedRecordRaisesNothingAndChangesNothing) {
  Exec("CREATE TABLE t (id int PRIMARY KEY, stamp timestamp, r real, n numeric, b bytea, c char(4), "
       "twice int GENERATED ALWAYS AS (id * 2) STORED);"
       "INSERT INTO t VALUES (1, '2024-03-10 10:00:00.123456', 0.1, 1.00000000000000000001, '\\x00ff', 'ab')");
  const std::string before = PgValue(ConnInfo(), "SELECT t::text FROM t");
  TPgTable t(nullptr);
  Bind(t, "t");
  t.Open();
  t.Edit();
  EXPECT_EQ(ErrorOf([&] { t.Post(); }), "");
  EXPECT_EQ(PgValue(ConnInfo(), "SELECT t::text FROM t"), before);
}

TEST_F(PgTable, ATableWithoutPrimaryKeyIsReadOnlyWithAReason) {
  Exec("CREATE TABLE loose (a int, b text); INSERT INTO loose VALUES (1, 'x')");
  TPgTable t(nullptr);
  Bind(t, "loose");
  t.Open();
  EXPECT_EQ(t.RecordCount(), 1);
  EXPECT_FALSE(t.CanModify());
  const std::string refusal =
      "'loose' has no primary key by which a changed record could be found again; it can be read but not changed";
  EXPECT_EQ(ErrorOf([&] { t.Edit(); }), refusal);
  // Every write, also while it holds no rows.
  t.SetServerCondition("a > $1", {Variant(1)});
  t.Requery();
  ASSERT_TRUE(t.IsEmpty());
  EXPECT_EQ(ErrorOf([&] { t.EmptyTable(); }), refusal);
  EXPECT_EQ(ErrorOf([&] { t.Insert(); }), refusal);
  EXPECT_EQ(ErrorOf([&] { t.Delete(); }), refusal);
  EXPECT_EQ(PgValue(ConnInfo(), "SELECT count(*) FROM loose"), "1");
}

TEST_F(PgTable, ErrorsAreSentencesAboutWhatWentWrong) {
  TPgTable table(nullptr);
  Bind(table, "peeple");
  const std::string db = ConnInfo().substr(ConnInfo().find("dbname=") + 7);
  EXPECT_EQ(ErrorOf([&] { table.Open(); }), "There is no table or view 'peeple' in database \"" + db + "\"");
  EXPECT_FALSE(table.Active());
  TPgTable unnamed(nullptr);
  unnamed.SetConnectionString(ConnInfo());
  EXPECT_EQ(ErrorOf([&] { unnamed.Open(); }), "Missing TableName property");

  auto connect = [](const std::string& conninfo) { return ErrorOf([&] { PgConnection c(conninfo, "UTC"); }); };
  const std::string host = "host=" + Server().Directory() + " ";
  EXPECT_EQ(connect(host + "user=postgres dbname=nowhere"), "The database \"nowhere\" does not exist on the server");
  EXPECT_EQ(connect(host + "user=nobody dbname=postgres"), "The server knows no user \"nobody\"");
  EXPECT_NE(connect("host=/nonexistent/dir user=postgres").find("Cannot reach the PostgreSQL server at /nonexistent/dir"),
            std::string::npos);
  EXPECT_NE(connect("dbname").find("The connection string is not valid"), std::string::npos);
  EXPECT_NE(connect("bogus=1").find("The connection string is not valid"), std::string::npos);

  TPgQuery q(nullptr);
  q.SetConnectionString(ConnInfo());
  q.SetSQL("SELEC name FROM people");
  EXPECT_EQ(ErrorOf([&] { q.Open(); }),
            "The SQL text has a syntax error: syntax error at or near \"SELEC\", in the query \"SELEC name FROM people\"");
  q.SetSQL("SELECT * FROM nothing_here");
  EXPECT_EQ(ErrorOf([&] { q.Open(); }),
            "A table named in the query does not exist: relation \"nothing_here\" does not exist, in the query "
            "\"SELECT * FROM nothing_here\"");
  q.SetSQL("CREATE TABLE made_by_a_query (a int)");
  EXPECT_NE(ErrorOf([&] { q.Open(); }).find("returns no result set"), std::string::npos);
  EXPECT_FALSE(q.Active());
}

TEST_F(PgTable, ConnectsThroughThePgEnvironmentVariablesWhenNoStringIsGiven) {
  const std::string db = ConnInfo().substr(ConnInfo().find("dbname=") + 7);
  setenv("PGHOST", Server().Directory().c_str(), 1);
  setenv("PGUSER", "postgres", 1);
  setenv("PGDATABASE", db.c_str(), 1);
  TPgTable t(nullptr);
  t.SetTableName("people");
  std::string error = ErrorOf([&] { t.Open(); });
  unsetenv("PGHOST");
  unsetenv("PGUSER");
  unsetenv("PGDATABASE");
  EXPECT_EQ(error, "");
  EXPECT_EQ(t.RecordCount(), 4);
}

TEST_F(PgTable, ColumnsDifferingOnlyInCaseGetNumberedFieldNames) {
  Exec("CREATE TABLE twins (\"ID\" int PRIMARY KEY, id int, \"Id\" text); INSERT INTO twins VALUES (1, 2, 'x');"
       "CREATE INDEX twins_id ON twins (id)");
  TPgTable t(nullptr);
  Bind(t, "twins");
  t.Open();
  ASSERT_EQ(t.FieldCount(), 3);
  EXPECT_EQ(t.Fields(1)->FieldName(), "id_1");
  EXPECT_EQ(t.Fields(2)->FieldName(), "Id_2");
  EXPECT_EQ(t.IndexDefs().Find("twins_id").Fields(), "id_1");
  t.Edit();
  t.FieldByName("id_1")->SetAsInteger(7);
  t.Post();
  EXPECT_EQ(PgValue(ConnInfo(), "SELECT \"ID\" || ' ' || id FROM twins"), "1 7");
}

TEST_F(PgTable, AFailedOpenConnectsAnewWithTheChangedConnectionString) {
  const std::string other = Server().CreateDatabase("pgtable_other");
  PgExec(other, "CREATE TABLE only_here (n int); INSERT INTO only_here VALUES (42)");
  TPgTable t(nullptr);
  Bind(t, "only_here");
  EXPECT_NE(ErrorOf([&] { t.Open(); }), "");
  t.SetConnectionString(other);
  t.Open();
  EXPECT_EQ(t.FieldByName("n")->AsInteger(), 42);
}

TEST_F(PgTable, AQueryReadsAnySqlWithNumberedDuplicateNames) {
  TPgQuery q(nullptr);
  q.SetConnectionString(ConnInfo());
  q.SetSQL("SELECT a.name, b.name, a.id AS \"ID\", b.id FROM people a JOIN people b ON b.id = a.id + 1 ORDER BY a.id;");
  q.Open();
  ASSERT_EQ(q.FieldCount(), 4);
  EXPECT_EQ(q.Fields(1)->FieldName(), "name_1");
  EXPECT_EQ(q.Fields(3)->FieldName(), "id_1");
  EXPECT_EQ(Column(q, "name_1"), (std::vector<std::string>{"adams", "Baker", "smith"}));
  EXPECT_FALSE(q.CanModify());
}

TEST_F(PgTable, MoreRowsThanMaxRowsLeaveTheDataSetClosedWithAMessage) {
  Exec("CREATE TABLE many AS SELECT g AS n FROM generate_series(1, 5000) g");
  TPgQuery q(nullptr);
  q.SetConnectionString(ConnInfo());
  q.SetSQL("SELECT n FROM many");
  q.SetMaxRows(4999);
  EXPECT_EQ(ErrorOf([&] { q.Open(); }),
            "The result has more than 4999 records, the most that MaxRows allows; narrow the selection down or raise "
            "MaxRows");
  EXPECT_FALSE(q.Active());
  q.SetMaxRows(5000);
  q.Open();
  EXPECT_EQ(q.RecordCount(), 5000);
  q.Close();
  q.SetMaxRows(0);  // no limit
  q.Open();
  EXPECT_EQ(q.RecordCount(), 5000);
}

TEST_F(PgTable, ACancelledOpenLeavesItClosedAndTheConnectionUsable) {
  TPgQuery q(nullptr);
  q.SetConnectionString(ConnInfo());
  q.SetSQL("SELECT 1 AS n, pg_sleep(30)");
  std::thread canceller([this, &q] {
    WaitUntilRunning(ConnInfo(), "pg_sleep");
    q.CancelQuery();
  });
  const auto start = std::chrono::steady_clock::now();
  const std::string error = ErrorOf([&] { q.Open(); });
  canceller.join();
  EXPECT_EQ(error, "The query was cancelled");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));  // not the whole sleep
  EXPECT_FALSE(q.Active());
  q.SetSQL("SELECT 2 AS n");
  q.Open();
  EXPECT_EQ(q.FieldByName("n")->AsInteger(), 2);
}

TEST_F(PgTable, ACancelledRequeryKeepsTheRowsItHad) {
  Exec("CREATE FUNCTION slow_when(flag boolean) RETURNS boolean LANGUAGE sql AS "
       "'SELECT CASE WHEN flag THEN pg_sleep(30) IS NOT NULL ELSE true END'");
  TPgTable t(nullptr);
  Bind(t);
  t.Open();
  t.Next();
  t.SetServerCondition("slow_when($1)", {Variant(true)});
  std::thread canceller([this, &t] {
    WaitUntilRunning(ConnInfo(), "slow_when");
    t.CancelQuery();
  });
  const std::string error = ErrorOf([&] { t.Requery(); });
  canceller.join();
  EXPECT_EQ(error, "The query was cancelled");
  EXPECT_TRUE(t.Active());
  EXPECT_EQ(t.RecordCount(), 4);
  EXPECT_EQ(t.FieldByName("name")->AsString(), "adams");
  // The same connection goes on working.
  t.SetServerCondition("slow_when($1) AND city = $2", {Variant(false), Variant("Rome")});
  t.Requery();
  EXPECT_EQ(Column(t, "name"), std::vector<std::string>{"smith"});
}

TEST_F(PgTable, TheStatementTimeoutStopsAForgottenQuery) {
  TPgQuery q(nullptr);
  q.SetConnectionString(ConnInfo());
  q.SetSQL("SELECT pg_sleep(30)");
  q.SetStatementTimeout(200);
  EXPECT_EQ(ErrorOf([&] { q.Open(); }), "The query ran longer than the StatementTimeout allows (200 ms) and was stopped");
  EXPECT_FALSE(q.Active());
}

TEST_F(PgTable, AServerConditionNarrowsTheRowsWithBoundParameters) {
  TPgTable t(nullptr);
  Bind(t);
  // User text is a parameter: quotes and backslashes are data, not SQL.
  Exec("INSERT INTO people (name, city) VALUES ('O''Brien \\ x', 'Dublin')");
  t.SetServerCondition("name = $1 OR born >= $2", {Variant("O'Brien \\ x"), Variant::FromDate(32874)});  // 1990-01-01
  t.Open();
  EXPECT_EQ(Column(t, "name"), (std::vector<std::string>{"smith", "O'Brien \\ x"}));
  t.SetServerCondition("", {});
  t.Requery();
  EXPECT_EQ(t.RecordCount(), 5);
  // Emptied, the table drops the rows of its condition only.
  t.SetServerCondition("city = $1", {Variant("Dublin")});
  t.Requery();
  t.EmptyTable();
  EXPECT_EQ(PgValue(ConnInfo(), "SELECT count(*) FROM people"), "4");
  // On a query, the condition applies to the query's result.
  TPgQuery q(nullptr);
  q.SetConnectionString(ConnInfo());
  q.SetSQL("SELECT upper(name) AS u, id FROM people ORDER BY id");
  q.SetServerCondition("u LIKE $1", {Variant("SMITH%")});
  q.Open();
  EXPECT_EQ(Column(q, "u"), (std::vector<std::string>{"SMITH", "SMITH"}));
}

TEST_F(PgTable, RequeryShowsTheServersNewRowsOnTheSameRecordNumber) {
  TPgTable t(nullptr);
  Bind(t);
  t.Open();
  t.SetRecNo(3);
  Exec("INSERT INTO people (name) VALUES ('Zed'); UPDATE people SET city = 'Oslo' WHERE id = 3");
  t.Requery();
  EXPECT_EQ(t.RecordCount(), 5);
  EXPECT_EQ(t.RecNo(), 3);
  EXPECT_EQ(t.FieldByName("city")->AsString(), "Oslo");
}

TEST_F(PgTable, AnotherUsersChangeOfTheColumnsLeavesFieldsColumnsAndRowsAsTheyWere) {
  Exec("CREATE TABLE t (id int PRIMARY KEY, a int, b int, c int);"
       "INSERT INTO t SELECT g, 10, 20, 30 FROM generate_series(1, 30) g");
  TPgTable whole(nullptr), partial(nullptr);
  Bind(whole, "t");
  Bind(partial, "t");
  partial.SetFetchRows(5);
  whole.Open();
  partial.Open();
  Exec("ALTER TABLE t DROP COLUMN a; ALTER TABLE t ADD COLUMN a int; ALTER TABLE t ALTER COLUMN c TYPE text");
  // A window whose columns no longer fit the fields is refused; the rows held stay.
  EXPECT_NE(ErrorOf([&] { partial.MoveBy(10); }).find("changed by another user since it was opened"), std::string::npos);
  EXPECT_EQ(partial.RecordCount(), 5);
  // A failed Requery keeps fields and columns: a write goes to the column its field names.
  whole.SetServerCondition("1 / $1 = 1", {Variant(0)});
  EXPECT_NE(ErrorOf([&] { whole.Requery(); }), "");
  ASSERT_EQ(whole.FieldCount(), 4);
  EXPECT_EQ(whole.FieldByName("a")->AsInteger(), 10);
  whole.SetServerCondition("");
  whole.Edit();
  whole.FieldByName("b")->SetAsInteger(21);
  whole.Post();
  EXPECT_EQ(PgValue(ConnInfo(), "SELECT b || ',' || c FROM t WHERE id = 1"), "21,30");
}

}  // namespace
}  // namespace vantor::testing_support
