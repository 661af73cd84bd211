// The filter and find panels on a table of the PostgreSQL server against the very same
// rows in a table of a SQLite file: random rows (letter-case variants, accented, Turkish
// and Greek letters, LIKE's own characters, NULLs, numbers, dates), random criteria of
// every count, comparison and case rule; both must show the same records and find the
// same records in the same sequence, or both refuse.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <vector>

#include <vantor/engines/filter_panel.h>
#include <vantor/engines/find_panel.h>
#include <vantor/platform/data/sqlite_dates.h>
#include <vantor/platform/data/sqlite_table.h>
#include <vantor/platform/postgres/pg_table.h>
#include <vantor/platform/rtl/datetime.h>
#include "platform/postgres/support/panel_on_random_table.h"
#include "support/criteria_entry.h"
#include "support/pg_environment.h"
#include "support/pg_loader.h"
#include "support/random_values.h"
#include "support/sqlite_file.h"

namespace vantor::testing_support {
namespace {

// A SQLite file with a random table `t` of `rows` records, written as another program
// writes one: declared types, the id as the INTEGER PRIMARY KEY, empty texts apart from
// NULL, ISO texts for dates (with milliseconds), 0 and 1 for booleans, money as a double.
std::string WriteRandomSQLite(RandomValues& random, int rows) {
  const std::string path = TempDbPath("pg_diff");
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_exec(db,
               "CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(40), city VARCHAR(40), amount INTEGER, "
               "small SMALLINT, price REAL, lim MONEY, day DATE, stamp DATETIME, flag BOOLEAN, big BIGINT);"
               "BEGIN",
               nullptr, nullptr, nullptr);
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO t VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)", -1, &insert, nullptr);
  SQLiteDateForm with_ms = DefaultDateForm(TFieldType::ftDateTime);
  with_ms.fraction = 3;
  for (int i = 1; i <= rows; ++i) {
    sqlite3_reset(insert);
    sqlite3_clear_bindings(insert);
    sqlite3_bind_int(insert, 1, i);
    int at = 1;
    for (const RandomColumn& c : RandomTableColumns()) {
      const Variant value = random.Cell(c.type);
      ++at;
      if (value.IsNull()) continue;
      std::string text;
      switch (c.type) {
        case TFieldType::ftString: text = value.AsString(); break;
        case TFieldType::ftDate: text = FormatSQLiteDateText(value.AsDate(), DefaultDateForm(c.type)); break;
        case TFieldType::ftDateTime: text = FormatSQLiteDateText(value.AsDate(), with_ms); break;
        case TFieldType::ftFloat:
        case TFieldType::ftCurrency: sqlite3_bind_double(insert, at, value.AsDouble()); continue;
        case TFieldType::ftBoolean: sqlite3_bind_int(insert, at, value.AsBoolean() ? 1 : 0); continue;
        default: sqlite3_bind_int64(insert, at, value.AsInt64()); continue;
      }
      sqlite3_bind_text(insert, at, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    sqlite3_step(insert);
  }
  sqlite3_finalize(insert);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return path;
}

// A random table from `random` in a SQLite file and on the server, both open (the server's
// read on demand when `fetch_rows` is above 0); the file is removed and the server's table
// dropped at the end.
struct Pair {
  Pair(RandomValues& random, const std::string& conninfo, const std::string& server_indexes, const char* file_indexes,
       int fetch_rows = 0)
      : path(WriteRandomSQLite(random, 250)), conninfo(conninfo), lite(nullptr), pg(nullptr) {
    if (file_indexes != nullptr) SQLiteExec(path, file_indexes);
    lite.SetDatabaseName(path);
    lite.SetTableName("t");
    lite.Open();
    CopyToServer(lite, conninfo, "t", "id");
    if (!server_indexes.empty()) PgExec(conninfo, server_indexes);
    pg.SetConnectionString(conninfo);
    pg.SetTableName("t");
    pg.SetFetchRows(fetch_rows);
    pg.Open();
  }
  ~Pair() {
    lite.Close();
    pg.Close();
    std::filesystem::remove(path);
    PgExec(conninfo, "DROP TABLE t");
  }
  std::string path;
  std::string conninfo;
  TSQLiteTable lite;
  TPgTable pg;
};

using PgDifferential = PgTest;

TEST_F(PgDifferential, FilterPanelShowsTheSameRecordsAsOnTheSQLiteTable) {
  std::size_t nonempty = 0, rounds = 0;
  for (std::uint32_t seed = 1; seed <= 4; ++seed) {
    RandomValues random(seed);
    // The last table is read on demand: filtering reads the rows it needs first.
    Pair pair(random, ConnInfo(), "", nullptr, seed == 4 ? 5 : 0);
    // The same fields of the same types on both sides; the server numbers new records
    // itself, so its key is a plain integer where SQLite's rowid key is an auto-increment.
    ASSERT_EQ(pair.pg.FieldCount(), pair.lite.FieldCount());
    for (int f = 0; f < pair.pg.FieldCount(); ++f) {
      const TFieldType type = pair.lite.Fields(f)->DataType();
      EXPECT_EQ(pair.pg.Fields(f)->DataType(), type == TFieldType::ftAutoInc ? TFieldType::ftInteger : type)
          << pair.lite.Fields(f)->FieldName();
    }
    PanelOn<TDBFilterPanel> on_lite(pair.lite), on_pg(pair.pg);
    for (int round = 0; round < 80; ++round) {
      const std::vector<Criterion> criteria = RandomCriteria(random, pair.lite, RandomTableFields(), 3);
      const std::vector<int> expected = on_lite.Apply(criteria);
      EXPECT_EQ(on_pg.Apply(criteria), expected) << "seed " << seed << ": " << Describe(criteria);
      ++rounds;
      if (!expected.empty() && expected.front() != -1) ++nonempty;
    }
  }
  // The criteria found records often enough for the comparison to mean something.
  EXPECT_GT(nonempty, rounds / 4);
}

TEST_F(PgDifferential, FindNextVisitsTheSameRecordsAsOnTheSQLiteTable) {
  // The same orders on both sides: a case-insensitive name (COLLATE NOCASE in the file,
  // lower(name) on the server), two columns, a descending date.
  const char* file_indexes =
      "CREATE INDEX t_name_ci ON t (name COLLATE NOCASE); CREATE INDEX t_city_amount ON t (city, amount);"
      "CREATE INDEX t_day_desc ON t (day DESC)";
  const std::string server_indexes =
      "CREATE INDEX t_name_ci ON t (lower(name)); CREATE INDEX t_city_amount ON t (city, amount);"
      "CREATE INDEX t_day_desc ON t (day DESC)";
  const struct {
    const char* index;
    std::vector<std::string> fields;
  } orders[] = {{"", {"name", "amount", "day"}},
                {"t_name_ci", {"name", "city"}},
                {"t_city_amount", {"city", "amount", "name"}},
                {"t_day_desc", {"day", "flag"}}};
  std::size_t found = 0;
  for (std::uint32_t seed = 11; seed <= 14; ++seed) {
    RandomValues random(seed);
    // The last two tables are read on demand, a row and four rows at a time: the seeks and
    // walks of the finds ask the server for the rows along each index.
    Pair pair(random, ConnInfo(), server_indexes, file_indexes, seed <= 12 ? 0 : static_cast<int>(seed - 12) * 3 - 2);
    PanelOn<TDBFindPanel> on_lite(pair.lite), on_pg(pair.pg);
    std::bernoulli_distribution coin(0.5);
    for (int round = 0; round < 60; ++round) {
      const auto& order = orders[static_cast<std::size_t>(round) % std::size(orders)];
      pair.lite.SetIndexName(order.index);
      pair.pg.SetIndexName(order.index);
      const std::vector<Criterion> criteria = RandomCriteria(random, pair.lite, order.fields, 2);
      const TFindOptions mode = coin(random.rng) ? foFast : foNormal;
      std::vector<int> expected, actual;
      for (auto* side : {&on_lite, &on_pg}) {
        side->Apply(criteria);
        // Entering walked every record; a table read on demand starts again from its first
        // window, so the finds ask the server.
        if (side == &on_pg && pair.pg.PartialRows()) pair.pg.Requery();
        side->panel.SetFindOptions(mode);
        (side == &on_lite ? expected : actual) = side->Finds(5);
      }
      EXPECT_EQ(actual, expected) << "seed " << seed << " index '" << order.index << "': " << Describe(criteria);
      if (!expected.empty() && expected.front() > 0) ++found;
    }
  }
  EXPECT_GT(found, 40u);
}

}  // namespace
}  // namespace vantor::testing_support
