// The filter panel on a table of the PostgreSQL server against the very same rows in a
// table of a SQLite file: random rows (letter-case variants, accented, Turkish and Greek
// letters, LIKE's own characters, NULLs, numbers, dates), random criteria of every count,
// comparison and case rule; both must show the same records, or both refuse.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <vantor/engines/filter_panel.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/data/postgres/pg_table.h>
#include <vantor/platform/data/sqlite_table.h>
#include <vantor/platform/rtl/datetime.h>
#include <vantor/platform/rtl/exceptions.h>
#include "support/pg_environment.h"
#include "support/pg_loader.h"

namespace vantor::testing_support {
namespace {

const std::vector<std::string> kPieces = {"a",  "A",  "b", "Sm",     "sm", "SM", "é",  "É",   "ß", "ẞ",  "ı",
                                          "I",  "i",  "İ", "ſ",      "s",  "S",  "ς",  "σ",   "Σ", "ö",  "Ö",
                                          " ",  "straße", "ǆ", "ǅ", "-",  "z",  "ith", "ITH", "0", "9",  "%",
                                          "_",  "\\", "Ω", "ω"};

std::string RandomText(std::mt19937& rng, int max_pieces) {
  std::uniform_int_distribution<int> count(0, max_pieces);
  std::uniform_int_distribution<std::size_t> piece(0, kPieces.size() - 1);
  std::string s;
  for (int n = count(rng); n > 0; --n) s += kPieces[piece(rng)];
  return s;
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
struct Criterion {
  std::string field;
  TCountType count;
  TCompareType compare;
  bool case_insensitive;
  Variant low, high;
};

// A filter panel on one table.
struct Side {
  explicit Side(TTable& table) : source(nullptr), panel(nullptr) {
    source.SetDataSet(&table);
    panel.SetDataSource(&source);
    panel.SetFiltered(true);
  }
  ~Side() {
    panel.SetDataSource(nullptr);
    source.SetDataSet(nullptr);
  }
  // Enters the criteria; the ids shown, or {-1} when the panel refused them.
  std::vector<int> Apply(const std::vector<Criterion>& criteria) {
    try {
      panel.BeginUpdate();
      for (const char* name : kFields) {
        if (TFieldRecord* r = panel.FindField(name)) {
          r->SetValues(0, Variant::Null());
          r->SetValues(1, Variant::Null());
        }
      }
      for (const Criterion& c : criteria) {
        TFieldRecord* r = panel.FindField(c.field);
        try {
          r->SetCount(c.count);
          r->SetCompare(c.compare);
          r->SetCaseInsensitive(c.case_insensitive);
          r->SetValues(0, c.low);
          if (c.count == coTwo) r->SetValues(1, c.high);
        } catch (const Exception&) {
          // A value the record cannot take: the criterion stays as the record left it.
        }
      }
      panel.EndUpdate();
    } catch (const Exception&) {
      return {-1};
    }
    std::vector<int> ids;
    TDataSet& data = *source.DataSet();
    for (data.First(); !data.Eof(); data.Next()) ids.push_back(data.FieldByName("id")->AsInteger());
    return ids;
  }
  TDataSource source;
  TDBFilterPanel panel;
};

using PgDifferential = PgTest;

TEST_F(PgDifferential, FilterPanelShowsTheSameRecordsAsOnTheSQLiteTable) {
  std::size_t nonempty = 0, rounds = 0;
  for (std::uint32_t seed = 1; seed <= 3; ++seed) {
    std::mt19937 rng(seed);
    const std::string path = WriteRandomSQLite(rng, 250);
    TSQLiteTable lite(nullptr);
    lite.SetDatabaseName(path);
    lite.SetTableName("t");
    lite.Open();
    const std::string table = "t" + std::to_string(seed);
    CopyToServer(lite, ConnInfo(), table, "id");
    TPgTable pg(nullptr);
    pg.SetConnectionString(ConnInfo());
    pg.SetTableName(table);
    pg.Open();
    // The same fields of the same types on both sides; the server numbers new records
    // itself, so its key is a plain integer where SQLite's rowid key is an auto-increment.
    ASSERT_EQ(pg.FieldCount(), lite.FieldCount());
    for (int f = 0; f < pg.FieldCount(); ++f) {
      const TFieldType type = lite.Fields(f)->DataType();
      EXPECT_EQ(pg.Fields(f)->DataType(), type == TFieldType::ftAutoInc ? TFieldType::ftInteger : type)
          << lite.Fields(f)->FieldName();
    }
    Side on_lite(lite), on_pg(pg);
    std::uniform_int_distribution<int> fields(1, 3);
    std::uniform_int_distribution<std::size_t> field(0, std::size(kFields) - 1);
    std::uniform_int_distribution<int> three(0, 2);
    std::bernoulli_distribution coin(0.5);
    for (int round = 0; round < 80; ++round) {
      std::vector<Criterion> criteria;
      std::string what;
      for (int n = fields(rng); n > 0; --n) {
        Criterion c;
        c.field = kFields[field(rng)];
        c.count = coin(rng) ? coTwo : coOne;
        c.compare = static_cast<TCompareType>(three(rng));
        c.case_insensitive = coin(rng);
        const TFieldType type = lite.FieldByName(c.field)->DataType();
        c.low = RandomValue(rng, type);
        c.high = RandomValue(rng, type);
        what += c.field + (c.count == coTwo ? " range " : " one ") + VarToStr(c.low) + ".." + VarToStr(c.high) + " cmp" +
                std::to_string(static_cast<int>(c.compare)) + (c.case_insensitive ? " ci; " : " cs; ");
        criteria.push_back(std::move(c));
      }
      const std::vector<int> expected = on_lite.Apply(criteria);
      EXPECT_EQ(on_pg.Apply(criteria), expected) << "seed " << seed << ": " << what;
      ++rounds;
      if (!expected.empty() && expected.front() != -1) ++nonempty;
    }
    on_lite.panel.SetDataSource(nullptr);
    lite.Close();
    std::filesystem::remove(path);
  }
  // The criteria found records often enough for the comparison to mean something.
  EXPECT_GT(nonempty, rounds / 4);
}

}  // namespace
}  // namespace vantor::testing_support
