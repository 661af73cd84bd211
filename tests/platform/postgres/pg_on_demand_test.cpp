// A PostgreSQL table read on demand (FetchRows): every walk and seek lands where the same
// table holding every row lands; a find along an index reads the rows around the match,
// not the table; orders the server cannot give exactly, and filters, read every row; a
// value a window cannot hold is refused without changing what is shown; a row another
// user moves shows once in a walk, either way; a cancel during the opening cancels.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

#include <vantor/engines/find_panel.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/postgres/pg_connection.h>
#include <vantor/platform/postgres/pg_table.h>
#include <vantor/platform/rtl/exceptions.h>
#include "support/pg_environment.h"
#include "support/cursor_steps.h"

namespace vantor::testing_support {
namespace {

using PgOnDemand = PgTest;

const std::vector<std::string> kNames = {"smith", "Smith", "SMITH", "smithe", "jones", "Jones", "ıZ", "IA", "ia",
                                         "Åsa",   "asa",   "ß",     "SS",     "",      "zeta",  "Zeta", "a_b", "a%b"};

// A table t of `rows` random rows (names with case variants, NULLs, repeated amounts and
// days) with indexes of every kind the client orders by.
void MakeTable(const std::string& conninfo, std::mt19937& rng, int rows) {
  std::string sql =
      "CREATE TABLE t (id int PRIMARY KEY, name text, amount int, day date, code varchar(8) COLLATE \"C\");"
      "INSERT INTO t VALUES ";
  for (int i = 0; i < rows; ++i) {
    auto quoted = [](const std::string& s) { return "'" + s + "'"; };
    const std::string name = rng() % 10 == 0 ? "NULL" : quoted(kNames[rng() % kNames.size()]);
    const std::string amount = rng() % 8 == 0 ? "NULL" : std::to_string(rng() % 15);
    const std::string day = rng() % 9 == 0 ? "NULL" : "DATE '2024-01-01' + " + std::to_string(rng() % 20);
    const std::string code = quoted(std::string(1, "aAbB_%"[rng() % 6]) + std::to_string(rng() % 3));
    sql += (i == 0 ? "(" : ", (") + std::to_string((i * 7919) % 100003) + ", " + name + ", " + amount + ", " + day +
           ", " + code + ")";
  }
  sql +=
      ";CREATE INDEX t_name_ci ON t (lower(name)); CREATE INDEX t_name ON t (name);"
      "CREATE INDEX t_amount_desc ON t (amount DESC, name); CREATE INDEX t_day_code ON t (day DESC, code)";
  PgExec(conninfo, sql);
}

void OpenTable(TPgTable& t, const std::string& conninfo, int fetch_rows) {
  t.SetConnectionString(conninfo);
  t.SetTableName("t");
  t.SetFetchRows(fetch_rows);
  t.Open();
}

// A key to seek in `index`: a name or the first letters of one, an amount, a day.
Variant RandomKey(std::mt19937& rng, const std::string& index) {
  static const std::vector<std::string> prefixes = {"", "s", "S", "sm", "a", "Z", "j"};
  const auto amount = static_cast<std::int32_t>(rng() % 17) - 1;
  if (index == "t_day_code") return Variant::FromDate(EncodeDate(2024, 1, 1) + amount);
  if (rng() % 6 == 0) return Variant::Null();
  if (index == "t_amount_desc") return Variant(amount);
  return Variant(rng() % 2 == 0 ? kNames[rng() % kNames.size()] : prefixes[rng() % prefixes.size()]);
}

TEST_F(PgOnDemand, WalksAndSeeksLandWhereTheWholeTableLands) {
  CursorSteps steps;
  steps.indexes = {"", "t_name_ci", "t_name", "t_amount_desc", "t_day_code"};
  steps.max_distance = 7;
  steps.key = RandomKey;
  for (unsigned seed = 1; seed <= 3; ++seed) {
    std::mt19937 rng(seed);
    MakeTable(ConnInfo(), rng, 300);
    TPgTable whole(nullptr), partial(nullptr);
    OpenTable(whole, ConnInfo(), 0);
    OpenTable(partial, ConnInfo(), static_cast<int>(seed * 2));
    ASSERT_FALSE(whole.PartialRows());
    ASSERT_TRUE(partial.PartialRows());
    RunCursorSteps(whole, partial, rng, steps, 250, "seed " + std::to_string(seed));
    EXPECT_TRUE(partial.PartialRows());
    whole.Close();
    partial.Close();
    Exec("DROP TABLE t");
  }
}

TEST_F(PgOnDemand, EditsReachTheServerAndTheWalkGoesOnThroughThem) {
  std::mt19937 rng(5);
  MakeTable(ConnInfo(), rng, 120);
  TPgTable partial(nullptr);
  OpenTable(partial, ConnInfo(), 3);
  partial.SetIndexName("t_amount_desc");
  partial.FindNearest({Variant(7)});
  partial.Edit();
  partial.FieldByName("amount")->SetAsInteger(1);
  partial.Post();
  partial.Next();
  partial.Delete();
  partial.Append();
  partial.FieldByName("id")->SetAsInteger(200000);
  partial.FieldByName("name")->SetAsString("Neu");
  partial.FieldByName("amount")->SetAsInteger(7);
  partial.Post();
  TPgTable fresh(nullptr);
  OpenTable(fresh, ConnInfo(), 0);
  fresh.SetIndexName("t_amount_desc");
  EXPECT_EQ(Walk(partial), Walk(fresh));
}

// The id of the record a find panel finds first for a name prefix (0: none), and the
// rows the table read for it.
struct Found {
  int id = 0;
  std::size_t rows_read = 0;
};

Found FindFirst(TPgTable& table, TFindOptions mode, const std::string& prefix) {
  TDataSource source(nullptr);
  source.SetDataSet(&table);
  TDBFindPanel panel(nullptr);
  panel.SetDataSource(&source);
  panel.SetUpdateState(usNone);
  panel.SetShowBox(false);
  panel.SetFindOptions(mode);
  TFieldRecord* name = panel.FindField("name");
  name->SetCompare(ctInitial);
  name->SetCaseInsensitive(false);
  name->SetValues(0, Variant(prefix));
  const std::size_t before = table.RowsRead();
  panel.SetRestart(true);
  Found found;
  if (panel.Locate()) found.id = table.FieldByName("id")->AsInteger();
  found.rows_read = table.RowsRead() - before;
  panel.SetDataSource(nullptr);
  return found;
}

TEST_F(PgOnDemand, AFastFindReadsTheRowsAroundTheMatchNotTheTable) {
  Exec("CREATE TABLE t (id int PRIMARY KEY, name text, amount int);"
       "INSERT INTO t SELECT g, 'n' || lpad((g * 7919 % 20000)::text, 5, '0'), g % 100 "
       "FROM generate_series(1, 20000) g;"
       "CREATE INDEX t_name ON t (name); ANALYZE t");
  TPgTable whole(nullptr), partial(nullptr);
  OpenTable(whole, ConnInfo(), 0);
  OpenTable(partial, ConnInfo(), 50);
  EXPECT_EQ(partial.RowsRead(), 50U);
  for (TPgTable* t : {&whole, &partial}) t->SetIndexName("t_name");
  for (const std::string prefix : {"n1234", "n19999", "n0000", "n2", "x"}) {
    const Found expected = FindFirst(whole, foFast, prefix);
    const Found fast = FindFirst(partial, foFast, prefix);
    EXPECT_EQ(fast.id, expected.id) << prefix;
    // One window from the key on (and, past the last key, one from the end).
    EXPECT_LE(fast.rows_read, 100U) << prefix;
  }
  // Walking from the first record instead reads every row before the match.
  partial.Close();
  OpenTable(partial, ConnInfo(), 50);
  partial.SetIndexName("t_name");
  const Found normal = FindFirst(partial, foNormal, "n1234");
  EXPECT_EQ(normal.id, FindFirst(whole, foFast, "n1234").id);
  EXPECT_GT(normal.rows_read, 12000U);
}

TEST_F(PgOnDemand, OrdersTheServerCannotGiveAndFiltersReadEveryRow) {
  Exec("CREATE TABLE t (id int PRIMARY KEY, stamp timestamp, name text);"
       "INSERT INTO t SELECT g, TIMESTAMP '2024-01-01' + g * INTERVAL '1.0001 second', 'n' || g "
       "FROM generate_series(1, 300) g; CREATE INDEX t_stamp ON t (stamp)");
  TPgTable table(nullptr);
  table.SetIndexName("t_stamp");
  OpenTable(table, ConnInfo(), 10);
  // Microseconds the client does not hold: the server's order could differ from the client's.
  EXPECT_FALSE(table.PartialRows());
  EXPECT_EQ(table.RecordCount(), 300);
  table.Close();

  // Milliseconds the server orders as the client does, but before 1900 the client's day
  // numbers put the times of a day backwards: the whole table then.
  Exec("ALTER TABLE t ALTER COLUMN stamp TYPE timestamp(3)");
  OpenTable(table, ConnInfo(), 10);
  EXPECT_TRUE(table.PartialRows());
  table.Close();
  Exec("UPDATE t SET stamp = TIMESTAMP '1850-06-01 12:00' WHERE id = 300");
  OpenTable(table, ConnInfo(), 10);
  EXPECT_FALSE(table.PartialRows());
  table.Close();

  table.SetIndexName("");
  OpenTable(table, ConnInfo(), 10);
  EXPECT_TRUE(table.PartialRows());
  table.SetOnFilterRecord([](TDataSet* d, bool& accept) { accept = d->FieldByName("id")->AsInteger() % 7 == 0; });
  table.SetFiltered(true);
  EXPECT_FALSE(table.PartialRows());
  EXPECT_EQ(table.RecordCount(), 42);
  table.SetIndexName("t_stamp");
  EXPECT_EQ(table.RecordCount(), 42);
}

TEST_F(PgOnDemand, AValueAWindowCannotHoldIsRefusedAndChangesNothing) {
  Exec("CREATE TABLE t (id int PRIMARY KEY, price numeric(10,2));"
       "INSERT INTO t SELECT g, g / 4.0 FROM generate_series(1, 30) g; UPDATE t SET price = 'NaN' WHERE id = 25");
  TPgTable table(nullptr);
  OpenTable(table, ConnInfo(), 5);
  table.MoveBy(18);
  EXPECT_EQ(table.FieldByName("id")->AsInteger(), 19);
  const int held = table.RecordCount();
  try {
    table.MoveBy(10);
    FAIL() << "the NaN was taken";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("Column 'price'"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("FetchRows"), std::string::npos) << e.what();
  }
  EXPECT_EQ(table.RecordCount(), held);
  EXPECT_EQ(table.FieldByName("id")->AsInteger(), 19);
  // Read whole, the column becomes text and every record shows.
  table.Close();
  OpenTable(table, ConnInfo(), 0);
  EXPECT_EQ(table.RecordCount(), 30);
}

TEST_F(PgOnDemand, ACancelledWindowLeavesTheRowsHeldAndTheConnectionWorking) {
  Exec("CREATE TABLE t (id int PRIMARY KEY, name text);"
       "INSERT INTO t SELECT g, 'n' || g FROM generate_series(1, 100) g;"
       "CREATE FUNCTION slow_when(flag boolean) RETURNS boolean LANGUAGE sql AS "
       "'SELECT CASE WHEN flag THEN pg_sleep(30) IS NOT NULL ELSE true END'");
  TPgTable table(nullptr);
  // Rows 51 to 60 take half a minute each to pass the condition.
  table.SetServerCondition("slow_when(id BETWEEN $1 AND $2)", {Variant(51), Variant(60)});
  OpenTable(table, ConnInfo(), 10);
  table.MoveBy(45);
  ASSERT_EQ(table.FieldByName("id")->AsInteger(), 46);
  const int held = table.RecordCount();
  std::thread canceller([this, &table] {
    WaitUntilRunning(ConnInfo(), "slow_when");
    table.CancelQuery();
  });
  std::string error;
  try {
    table.MoveBy(10);
  } catch (const EDatabaseError& e) {
    error = e.Message();
  }
  canceller.join();
  EXPECT_EQ(error, "The query was cancelled");
  EXPECT_EQ(table.RecordCount(), held);
  EXPECT_EQ(table.FieldByName("id")->AsInteger(), 46);
  // The cancel is spent: the next window is read, from the last record back.
  table.Last();
  EXPECT_EQ(table.FieldByName("id")->AsInteger(), 100);
  table.Prior();
  EXPECT_EQ(table.FieldByName("id")->AsInteger(), 99);
}

TEST_F(PgOnDemand, WindowsAlongPlainIndexesOfNullableColumnsAreIndexScans) {
  Exec("CREATE TABLE t (id int PRIMARY KEY, name text, amount int);"
       "INSERT INTO t SELECT g, CASE WHEN g % 50 = 0 THEN NULL ELSE 'n' || lpad((g * 7919 % 100000)::text, 5, '0') END,"
       " g % 1000 FROM generate_series(1, 100000) g;"
       "CREATE INDEX t_name ON t (name); CREATE INDEX t_amount_desc ON t (amount DESC); ANALYZE t");
  PgConnection connection(ConnInfo(), "UTC");
  TPgTable table(nullptr);
  // The plan of the table's last reading.
  auto plan = [&] {
    const PgResult result =
        connection.Exec("EXPLAIN (COSTS OFF) " + table.LastSelect(), table.LastParams());
    std::string text;
    for (int r = 0; r < result.Rows(); ++r) text += result.Text(r, 0) + "\n";
    return text;
  };
  auto expect_index_scan = [&](const std::string& index, const std::string& step) {
    const std::string text = plan();
    EXPECT_NE(text.find("Index Scan"), std::string::npos) << step << "\n" << text;
    EXPECT_NE(text.find(index), std::string::npos) << step << "\n" << text;
    EXPECT_EQ(text.find("Seq Scan"), std::string::npos) << step << "\n" << text;
  };
  table.SetIndexName("t_name");
  OpenTable(table, ConnInfo(), 100);
  table.FindNearest({Variant("n5")});
  EXPECT_EQ(table.FieldByName("name")->AsString().substr(0, 3), "n50");
  expect_index_scan("t_name", "a seek among the values");
  table.MoveBy(150);
  expect_index_scan("t_name", "the walk on");
  table.Last();
  expect_index_scan("t_name", "the last rows");
  table.MoveBy(-150);
  expect_index_scan("t_name", "the walk back");
  table.SetIndexName("t_amount_desc");
  table.FindNearest({Variant(500)});
  EXPECT_EQ(table.FieldByName("amount")->AsInteger(), 500);
  expect_index_scan("t_amount_desc", "a seek along a descending index");
  table.MoveBy(150);
  expect_index_scan("t_amount_desc", "the walk on along it");
  EXPECT_LT(table.RowsRead(), 1000U);
}

TEST_F(PgOnDemand, ARowAnotherClientMovesShowsOnceInWalksBothWays) {
  // Six rows by v, three read at a time; after the first window (and a seek, where given)
  // another client moves one row; walks First..Eof and Last..Bof, in either order.
  struct Story {
    int seek;  // 0: none
    const char* update;
    bool back_first;
    const char* walks;
  } const stories[] = {
      // The forward walk met it at its old place, where it stays as it was read.
      {0, "v = 100 WHERE id = 2", false, "1:10 2:20 3:30 4:40 5:50 6:60 | 6:60 5:50 4:40 3:30 2:20 1:10 | "},
      // No walk met it yet: it shows where it now sorts, with its new cells.
      {0, "v = 100 WHERE id = 2", true, "2:100 6:60 5:50 4:40 3:30 1:10 | 1:10 3:30 4:40 5:50 6:60 2:100 | "},
      // The current record stays where it is.
      {20, "v = 100 WHERE id = 2", true, "6:60 5:50 4:40 3:30 2:20 1:10 | 1:10 2:20 3:30 4:40 5:50 6:60 | "},
      // The whole next window is rows the walk passed: the walk reads on beyond them.
      {30, "v = 30 + id WHERE id <= 3", false, "1:10 2:20 3:30 4:40 5:50 6:60 | 6:60 5:50 4:40 3:30 2:20 1:10 | "},
      // A row not read yet, moved behind the cursor where nothing is read yet either.
      {60, "v = 35 WHERE id = 5", false, "1:10 2:20 3:30 5:35 4:40 6:60 | 6:60 4:40 5:35 3:30 2:20 1:10 | "},
  };
  for (const Story& story : stories) {
    SCOPED_TRACE(std::string(story.update) + (story.back_first ? ", backward first" : ", forward first"));
    Exec("DROP TABLE IF EXISTS t; CREATE TABLE t (id int PRIMARY KEY, v int); CREATE INDEX t_v ON t (v);"
         "INSERT INTO t SELECT g, 10 * g FROM generate_series(1, 6) g");
    TPgTable t(nullptr);
    t.SetIndexFieldNames("v");
    OpenTable(t, ConnInfo(), 3);
    if (story.seek != 0) t.FindNearest({Variant(story.seek)});
    const std::string id = t.FieldByName("id")->AsString();
    const TBookmark mark = t.GetBookmark();
    Exec(std::string("UPDATE t SET ") + story.update);
    std::string walks;
    for (const bool back : {story.back_first, !story.back_first}) {
      for (back ? t.Last() : t.First(); !(back ? t.Bof() : t.Eof()); back ? t.Prior() : t.Next()) {
        walks += t.FieldByName("id")->AsString() + ":" + t.FieldByName("v")->AsString() + " ";
      }
      walks += "| ";
    }
    EXPECT_EQ(walks, story.walks);
    t.GotoBookmark(mark);
    EXPECT_EQ(t.FieldByName("id")->AsString(), id);
  }
}

TEST_F(PgOnDemand, ACancelDuringTheOpenOfATableReadOnDemandIsNeverSwallowed) {
  Exec("CREATE TABLE t (id int PRIMARY KEY, name text); INSERT INTO t SELECT g, 'n' || g FROM generate_series(1, 50) g;"
       "CREATE INDEX t_name ON t (name); CREATE INDEX t_name_ci ON t (lower(name)); CREATE SCHEMA slow");
  // Each question the opening asks, made to take half a minute by a function ahead of the
  // built-in one on the search path: {function, its arguments and result, the order that
  // asks it, a word of the question}.
  const std::vector<std::vector<std::string>> probes = {
      {"to_regclass", "text", "regclass", "", "to_regclass"},
      {"regexp_split_to_table", "text, text", "SETOF text", "t_name", "regexp_split_to_table"},
      {"upper", "text", "text", "t_name_ci", "datlocprovider"}};
  for (const std::vector<std::string>& p : probes) {
    const std::string signature = "slow." + p[0] + "(" + p[1] + ")";
    Exec("CREATE FUNCTION " + signature + " RETURNS " + p[2] + " LANGUAGE sql AS 'SELECT pg_sleep(30); SELECT pg_catalog." +
         p[0] + (p[1] == "text" ? "($1)'" : "($1, $2)'"));
    TPgTable t(nullptr);
    t.SetConnectionString(ConnInfo() + " options='-csearch_path=slow,pg_catalog,public'");
    t.SetTableName("t");
    t.SetIndexName(p[3]);
    t.SetFetchRows(10);
    std::thread canceller([&] {
      WaitUntilRunning(ConnInfo(), p[4]);
      t.CancelQuery();
    });
    std::string error;
    try {
      t.Open();
    } catch (const EDatabaseError& e) {
      error = e.Message();
    }
    canceller.join();
    EXPECT_EQ(error, "The query was cancelled") << p[0];
    EXPECT_FALSE(t.Active()) << p[0];
    Exec("DROP FUNCTION " + signature);
  }
}

}  // namespace
}  // namespace vantor::testing_support
