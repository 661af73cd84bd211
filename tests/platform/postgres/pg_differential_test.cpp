// The filter and find panels on a table of the PostgreSQL server against the very same
// rows in a table of a SQLite file: random rows (letter-case variants, accented, Turkish
// and Greek letters, LIKE's own characters, NULLs, numbers, dates), random criteria of
// every count, comparison and case rule; both must show the same records and find the
// same records in the same sequence, or both refuse.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include <vantor/engines/filter_panel.h>
#include <vantor/engines/find_panel.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/postgres/pg_table.h>
#include <vantor/platform/data/sqlite_table.h>
#include <vantor/platform/rtl/datetime.h>
#include <vantor/platform/rtl/exceptions.h>
#include "platform/postgres/support/criteria_entry.h"
#include "support/pg_environment.h"
#include "support/pg_loader.h"
#include "support/random_text.h"

namespace vantor::testing_support {
namespace {

const std::vector<std::string> kPieces = {"a",  "A",  "b", "Sm",     "sm", "SM", "é",  "É",   "ß", "ẞ",  "ı",
                                          "I",  "i",  "İ", "ſ",      "s",  "S",  "ς",  "σ",   "Σ", "ö",  "Ö",
                                          " ",  "straße", "ǆ", "ǅ", "-",  "z",  "ith", "ITH", "0", "9",  "%",
                                          "_",  "\\", "Ω", "ω"};

std::string RandomText(std::mt19937& rng, int max_pieces) {
  return testing_support::RandomPieces(rng, kPieces, max_pieces);
}

const char* const kFields[] = {"name", "city", "amount", "small", "price", "lim", "day", "stamp", "flag", "big"};

// A SQLite file with a random table `t`, as another program would write it.
std::string WriteRandomSQLite(std::mt19937& rng, int rows) {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("vantor-pg-diff-" + std::to_string(rng()) + ".db")).string();
  std::filesystem::remove(path);
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_exec(db,
               "CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(40), city VARCHAR(40), amount INTEGER, "
               "small SMALLINT, price REAL, lim MONEY, day DATE, stamp DATETIME, flag BOOLEAN, big BIGINT);"
               "BEGIN",
               nullptr, nullptr, nullptr);
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO t VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)", -1, &insert, nullptr);
  std::bernoulli_distribution null(0.12);
  std::uniform_int_distribution<int> n(-30, 30);
  std::uniform_int_distribution<int> day(0, 60);
  for (int i = 1; i <= rows; ++i) {
    sqlite3_reset(insert);
    sqlite3_clear_bindings(insert);
    sqlite3_bind_int(insert, 1, i);
    for (int c : {2, 3}) {
      if (!null(rng)) {
        const std::string text = RandomText(rng, 4);
        sqlite3_bind_text(insert, c, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
      }
    }
    if (!null(rng)) sqlite3_bind_int(insert, 4, n(rng));
    if (!null(rng)) sqlite3_bind_int(insert, 5, n(rng));
    if (!null(rng)) sqlite3_bind_double(insert, 6, n(rng) / 4.0);
    if (!null(rng)) sqlite3_bind_double(insert, 7, n(rng) * 0.25);
    char text[40];
    if (!null(rng)) {
      std::snprintf(text, sizeof text, "2024-01-%02d", 1 + day(rng) % 28);
      sqlite3_bind_text(insert, 8, text, -1, SQLITE_TRANSIENT);
    }
    if (!null(rng)) {
      std::snprintf(text, sizeof text, "2024-02-%02d %02d:%02d:00", 1 + day(rng) % 3, day(rng) % 24, day(rng));
      sqlite3_bind_text(insert, 9, text, -1, SQLITE_TRANSIENT);
    }
    if (!null(rng)) sqlite3_bind_int(insert, 10, n(rng) > 0 ? 1 : 0);
    if (!null(rng)) sqlite3_bind_int64(insert, 11, static_cast<sqlite3_int64>(n(rng)) * 3000000000LL);
    sqlite3_step(insert);
  }
  sqlite3_finalize(insert);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return path;
}

// A value for a criterion: mostly of the field's own kind, sometimes a text or Null.
Variant RandomValue(std::mt19937& rng, TFieldType type) {
  std::uniform_int_distribution<int> pick(0, 9);
  std::uniform_int_distribution<int> n(-32, 32);
  const int p = pick(rng);
  if (p == 0) return Variant(RandomText(rng, 2));
  if (p == 1) return Variant::Null();
  switch (type) {
    case TFieldType::ftString: return Variant(RandomText(rng, 2));
    case TFieldType::ftFloat: return p < 5 ? Variant(n(rng) / 4.0) : Variant(n(rng));
    case TFieldType::ftCurrency: return p < 5 ? Variant(Currency::FromScaled(n(rng) * 2500)) : Variant(n(rng) / 8.0);
    case TFieldType::ftDate: return Variant::FromDate(EncodeDate(2024, 1, 1) + n(rng) / 2 + 14);
    case TFieldType::ftDateTime: return Variant::FromDate(EncodeDate(2024, 2, 2) + n(rng) / 16.0);
    case TFieldType::ftBoolean: return Variant(p % 2 == 0);
    case TFieldType::ftLargeint: return Variant(std::int64_t{n(rng)} * std::int64_t{3000000000});
    default: return p < 4 ? Variant(std::to_string(n(rng))) : Variant(n(rng));
  }
}

// One criterion, applied alike to both panels.
// A filter or find panel on one table.
template <typename Panel>
struct Side {
  explicit Side(TTable& table) : source(nullptr), panel(nullptr) {
    source.SetDataSet(&table);
    panel.SetDataSource(&source);
    if constexpr (std::is_same_v<Panel, TDBFilterPanel>) {
      panel.SetFiltered(true);
    } else {
      panel.SetUpdateState(usNone);
    }
  }
  ~Side() {
    panel.SetDataSource(nullptr);
    source.SetDataSet(nullptr);
  }
  // Enters the criteria; the ids shown, or {-1} when the panel refused them.
  std::vector<int> Apply(const std::vector<Criterion>& criteria) {
    return EnterCriteria(panel, *source.DataSet(), {std::begin(kFields), std::end(kFields)}, criteria);
  }
  // Finds the first match and up to `more` next ones: the id of each record found, 0 for
  // a search that found nothing, -1 for one that raised.
  std::vector<int> Finds(int more) {
    std::vector<int> ids;
    TDataSet& data = *source.DataSet();
    for (int i = 0; i <= more; ++i) {
      panel.SetRestart(i == 0);
      try {
        ids.push_back(panel.Locate() ? data.FieldByName("id")->AsInteger() : 0);
      } catch (const Exception&) {
        ids.push_back(-1);
      }
      if (ids.back() <= 0) break;
    }
    return ids;
  }
  TDataSource source;
  Panel panel;
};

// A random criterion for one of `fields`.
Criterion RandomCriterion(std::mt19937& rng, TDataSet& table, const std::vector<std::string>& fields) {
  std::uniform_int_distribution<std::size_t> field(0, fields.size() - 1);
  std::uniform_int_distribution<int> three(0, 2);
  std::bernoulli_distribution coin(0.5);
  Criterion c;
  c.field = fields[field(rng)];
  c.count = coin(rng) ? coTwo : coOne;
  c.compare = static_cast<TCompareType>(three(rng));
  c.case_insensitive = coin(rng);
  const TFieldType type = table.FieldByName(c.field)->DataType();
  c.low = RandomValue(rng, type);
  c.high = RandomValue(rng, type);
  return c;
}

std::string Describe(const std::vector<Criterion>& criteria) {
  std::string what;
  for (const Criterion& c : criteria) {
    what += c.field + (c.count == coTwo ? " range " : " one ") + VarToStr(c.low) + ".." + VarToStr(c.high) + " cmp" +
            std::to_string(static_cast<int>(c.compare)) + (c.case_insensitive ? " ci; " : " cs; ");
  }
  return what;
}

// The random table of `seed` in a SQLite file and on the server, both open (the server's
// read on demand when `fetch_rows` is above 0); the file is removed and the server's table
// dropped at the end.
struct Pair {
  Pair(std::mt19937& rng, const std::string& conninfo, const std::string& server_indexes, const char* file_indexes,
       int fetch_rows = 0)
      : path(WriteRandomSQLite(rng, 250)), conninfo(conninfo), lite(nullptr), pg(nullptr) {
    if (file_indexes != nullptr) {
      sqlite3* db = nullptr;
      sqlite3_open(path.c_str(), &db);
      sqlite3_exec(db, file_indexes, nullptr, nullptr, nullptr);
      sqlite3_close(db);
    }
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
  const std::vector<std::string> fields(std::begin(kFields), std::end(kFields));
  for (std::uint32_t seed = 1; seed <= 4; ++seed) {
    std::mt19937 rng(seed);
    // The last table is read on demand: filtering reads the rows it needs first.
    Pair pair(rng, ConnInfo(), "", nullptr, seed == 4 ? 5 : 0);
    // The same fields of the same types on both sides; the server numbers new records
    // itself, so its key is a plain integer where SQLite's rowid key is an auto-increment.
    ASSERT_EQ(pair.pg.FieldCount(), pair.lite.FieldCount());
    for (int f = 0; f < pair.pg.FieldCount(); ++f) {
      const TFieldType type = pair.lite.Fields(f)->DataType();
      EXPECT_EQ(pair.pg.Fields(f)->DataType(), type == TFieldType::ftAutoInc ? TFieldType::ftInteger : type)
          << pair.lite.Fields(f)->FieldName();
    }
    Side<TDBFilterPanel> on_lite(pair.lite), on_pg(pair.pg);
    std::uniform_int_distribution<int> count(1, 3);
    for (int round = 0; round < 80; ++round) {
      std::vector<Criterion> criteria;
      for (int n = count(rng); n > 0; --n) criteria.push_back(RandomCriterion(rng, pair.lite, fields));
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
    std::mt19937 rng(seed);
    // The last two tables are read on demand, a row and four rows at a time: the seeks and
    // walks of the finds ask the server for the rows along each index.
    Pair pair(rng, ConnInfo(), server_indexes, file_indexes, seed <= 12 ? 0 : static_cast<int>(seed - 12) * 3 - 2);
    Side<TDBFindPanel> on_lite(pair.lite), on_pg(pair.pg);
    std::uniform_int_distribution<int> count(1, 2);
    std::bernoulli_distribution coin(0.5);
    for (int round = 0; round < 60; ++round) {
      const auto& order = orders[static_cast<std::size_t>(round) % std::size(orders)];
      pair.lite.SetIndexName(order.index);
      pair.pg.SetIndexName(order.index);
      std::vector<Criterion> criteria;
      for (int n = count(rng); n > 0; --n) criteria.push_back(RandomCriterion(rng, pair.lite, order.fields));
      const TFindOptions mode = coin(rng) ? foFast : foNormal;
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
