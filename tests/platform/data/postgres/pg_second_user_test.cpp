// Another program writes to the same database between the steps of a PostgreSQL data
// set: every write finds exactly its own row, whatever the key's type; a read-only table
// refuses every write; a table read on demand shows each row once; a cancel cancels, and
// a failed re-read leaves the data set as it was.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include <vantor/platform/data/postgres/pg_table.h>
#include <vantor/platform/rtl/exceptions.h>
#include "platform/data/support/table_walk.h"
#include "support/pg_environment.h"

namespace vantor::testing_support {
namespace {

using PgSecondUser = PgTest;

template <typename F>
std::string ErrorOf(F action) {
  try {
    action();
  } catch (const EDatabaseError& e) {
    return e.Message();
  }
  return "";
}

// Moves to the record whose `field` holds `value`.
void GoTo(TDataSet& d, const char* field, int value) {
  for (d.First(); !d.Eof(); d.Next()) {
    if (d.FieldByName(field)->AsInteger() == value) return;
  }
  throw EDatabaseError("no record with " + std::string(field) + " = " + std::to_string(value));
}

// Two keys of one type that differ only where the client's value of them may not reach.
struct KeyCase {
  const char* type;
  const char* a;
  const char* b;
  const char* zone;  // the table's session time zone
};

const KeyCase kKeyCases[] = {
    {"timestamp", "2024-03-10 10:00:00.123", "2024-03-10 10:00:00.123456", "UTC"},
    {"time", "10:00:00.123", "10:00:00.1234", "UTC"},
    // The same wall time before and after the clocks go back.
    {"timestamptz", "2024-11-03 01:30:00-04", "2024-11-03 01:30:00-05", "America/New_York"},
    {"timestamptz", "2024-03-10 10:00:00.5+00", "2024-03-10 10:00:00.500001+00", "UTC"},
    {"numeric", "1.00000000000000000001", "1.00000000000000000002", "UTC"},
    {"numeric(20,4)", "1234567890123456.0001", "1234567890123456.0002", "UTC"},
    {"float8", "0.1", "0.10000000000000002", "UTC"},
    {"real", "0.1", "0.10000001", "UTC"},
    {"char(3)", "ab", "AB", "UTC"},
    {"text", "Smith", "smith", "UTC"},
    {"varchar(8)", "x", "x ", "UTC"},
    {"date", "2024-01-01", "2024-01-02", "UTC"},
};

TEST_F(PgSecondUser, EditsAndDeletesChangeExactlyTheirOwnRowWhateverTheKeysType) {
  for (const KeyCase& k : kKeyCases) {
    const std::string what = std::string(k.type) + " " + k.a + " / " + k.b;
    Exec("DROP TABLE IF EXISTS k; CREATE TABLE k (key " + std::string(k.type) + " PRIMARY KEY, v int);"
         "INSERT INTO k VALUES ('" + k.a + "', 1), ('" + k.b + "', 2)");
    auto server = [&](const char* key) {
      return PgValue(ConnInfo(), "SELECT coalesce(string_agg(v::text, ','), '-') FROM k WHERE key = $1", {key});
    };
    try {
      TPgTable t(nullptr);
      t.SetConnectionString(ConnInfo());
      t.SetTimeZone(k.zone);
      t.SetTableName("k");
      t.Open();
      ASSERT_EQ(t.RecordCount(), 2) << what;
      for (int v : {1, 2}) {
        GoTo(t, "v", v);
        t.Edit();
        t.FieldByName("v")->SetAsInteger(v * 10);
        t.Post();
      }
      EXPECT_EQ(server(k.a), "10") << what;
      EXPECT_EQ(server(k.b), "20") << what;
      GoTo(t, "v", 20);
      t.Delete();
      EXPECT_EQ(server(k.a), "10") << what;
      EXPECT_EQ(server(k.b), "-") << what;
      EXPECT_EQ(t.RecordCount(), 1) << what;
    } catch (const Exception& e) {
      ADD_FAILURE() << what << ": " << e.Message();
    }
  }
}

TEST_F(PgSecondUser, AReadOnlyTableRefusesEveryWriteEvenHoldingNoRows) {
  Exec("CREATE TABLE loose (a int); INSERT INTO loose VALUES (1), (2), (3)");
  TPgTable t(nullptr);
  t.SetConnectionString(ConnInfo());
  t.SetTableName("loose");
  t.SetServerCondition("a > $1", {Variant(100)});
  t.Open();
  ASSERT_EQ(t.RecordCount(), 0);
  const std::string refusal =
      "'loose' has no primary key by which a changed record could be found again; it can be read but not changed";
  EXPECT_EQ(ErrorOf([&] { t.EmptyTable(); }), refusal);
  EXPECT_EQ(ErrorOf([&] { t.Insert(); }), refusal);
  EXPECT_EQ(ErrorOf([&] { t.Delete(); }), refusal);
  EXPECT_EQ(PgValue(ConnInfo(), "SELECT count(*) FROM loose"), "3");
}

TEST_F(PgSecondUser, EmptyTableDropsTheRowsOfTheServerConditionOnly) {
  Exec("CREATE TABLE t (id int PRIMARY KEY, city text);"
       "INSERT INTO t VALUES (1, 'Rome'), (2, 'Oslo'), (3, 'Rome')");
  TPgTable t(nullptr);
  t.SetConnectionString(ConnInfo());
  t.SetTableName("t");
  t.SetServerCondition("city = $1", {Variant("Rome")});
  t.Open();
  t.EmptyTable();
  EXPECT_TRUE(t.IsEmpty());
  EXPECT_EQ(PgValue(ConnInfo(), "SELECT string_agg(id::text, ',') FROM t"), "2");
}

TEST_F(PgSecondUser, ARowReadOnDemandAgainAfterItsIndexedColumnChangedShowsOnce) {
  Exec("CREATE TABLE t (id int PRIMARY KEY, n int NOT NULL);"
       "INSERT INTO t SELECT g, g FROM generate_series(1, 100) g; CREATE INDEX t_n ON t (n)");
  TPgTable t(nullptr);
  t.SetConnectionString(ConnInfo());
  t.SetTableName("t");
  t.SetIndexName("t_n");
  t.SetFetchRows(10);
  t.Open();
  t.MoveBy(15);
  ASSERT_TRUE(t.PartialRows());
  Exec("UPDATE t SET n = 1000 WHERE id = 5");  // a row held now sorts last
  while (!t.Eof()) t.Next();
  EXPECT_EQ(t.RecordCount(), 100);
  const std::vector<std::string> ids = Walk(t);
  EXPECT_EQ(std::set<std::string>(ids.begin(), ids.end()).size(), 100u);
  EXPECT_EQ(ids.back(), "5");  // where it sorts now
}

// A function of the server made to take half a minute, ahead of the built-in one on the
// search path of the connections that `Slowed` gives.
struct SlowProbe {
  const char* function;
  const char* arguments;
  const char* result;
  const char* index;   // the order whose first window asks the probe
  const char* marker;  // a word of the probing statement
};

TEST_F(PgSecondUser, ACancelDuringTheOpenOfATableReadOnDemandIsNeverSwallowed) {
  Exec("CREATE TABLE t (id int PRIMARY KEY, name text); INSERT INTO t SELECT g, 'n' || g FROM generate_series(1, 50) g;"
       "CREATE INDEX t_name ON t (name); CREATE INDEX t_name_ci ON t (lower(name)); CREATE SCHEMA slow");
  const SlowProbe probes[] = {
      {"to_regclass", "text", "regclass", "", "to_regclass"},
      {"regexp_split_to_table", "text, text", "SETOF text", "t_name", "regexp_split_to_table"},
      {"upper", "text", "text", "t_name_ci", "datlocprovider"},
  };
  for (const SlowProbe& p : probes) {
    const std::string args = std::string(p.arguments) == "text" ? "$1" : "$1, $2";
    Exec(std::string("CREATE FUNCTION slow.") + p.function + "(" + p.arguments + ") RETURNS " + p.result +
         " LANGUAGE sql AS 'SELECT pg_sleep(30); SELECT pg_catalog." + p.function + "(" + args + ")'");
    TPgTable t(nullptr);
    t.SetConnectionString(ConnInfo() + " options='-csearch_path=slow,pg_catalog,public'");
    t.SetTableName("t");
    t.SetIndexName(p.index);
    t.SetFetchRows(10);
    std::thread canceller([&] {
      WaitUntilRunning(ConnInfo(), p.marker);
      t.CancelQuery();
    });
    const std::string error = ErrorOf([&] { t.Open(); });
    canceller.join();
    EXPECT_EQ(error, "The query was cancelled") << p.function;
    EXPECT_FALSE(t.Active()) << p.function;
    Exec(std::string("DROP FUNCTION slow.") + p.function + "(" + p.arguments + ")");
  }
}

TEST_F(PgSecondUser, AFailedRequeryAfterAnotherUserChangedTheColumnsChangesNothing) {
  Exec("CREATE TABLE t (id int PRIMARY KEY, a int, b int, c int); INSERT INTO t VALUES (1, 10, 20, 30)");
  TPgTable t(nullptr);
  t.SetConnectionString(ConnInfo());
  t.SetTableName("t");
  t.Open();
  Exec("ALTER TABLE t DROP COLUMN a; ALTER TABLE t ADD COLUMN a int");
  t.SetServerCondition("1 / $1 = 1", {Variant(0)});
  EXPECT_NE(ErrorOf([&] { t.Requery(); }), "");
  ASSERT_EQ(t.FieldCount(), 4);
  std::string fields;
  for (int i = 0; i < t.FieldCount(); ++i) fields += t.Fields(i)->FieldName() + "=" + t.Fields(i)->AsString() + " ";
  EXPECT_EQ(fields, "id=1 a=10 b=20 c=30 ");
  // A write goes to the column its field names.
  t.SetServerCondition("");
  t.Edit();
  t.FieldByName("b")->SetAsInteger(21);
  t.Post();
  EXPECT_EQ(PgValue(ConnInfo(), "SELECT b || ',' || c FROM t"), "21,30");
}

}  // namespace
}  // namespace vantor::testing_support
