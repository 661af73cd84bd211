// Result rows read in batches, on two threads for large results: every row arrives once
// and in order, a stop or an error on either side leaves the statement usable, and a
// large table opens with the types its cells choose however late the deciding cell comes.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include <vantor/platform/data/sqlite_connection.h>
#include <vantor/platform/data/internal/sqlite_rows.h>
#include <vantor/platform/data/sqlite_table.h>
#include <vantor/platform/rtl/exceptions.h>
#include "support/people.h"
#include "support/sqlite_file.h"

namespace vantor {
namespace {

// Enough rows for the reading to go to a second thread when told how many there are.
constexpr int kRows = 120000;

class RowBatches : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = testing_support::TempDbPath("batches");
    testing_support::SQLiteExec(path_, "CREATE TABLE t (x INTEGER, label TEXT);"
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(kRows) +
                    ") INSERT INTO t SELECT i, 'row ' || i FROM n;");
    connection_ = std::make_unique<SQLiteConnection>(path_);
  }
  void TearDown() override {
    connection_.reset();
    std::remove(path_.c_str());
  }

  // The x of every row `select` gives, read with `expected` as the expected row count.
  static std::vector<std::int64_t> Read(SQLiteStatement& select, std::size_t expected) {
    std::vector<std::int64_t> xs;
    ReadRowBatches(select, select.Step(), {false, false}, expected, [&xs](const SQLiteRowBatch& batch) {
      for (std::size_t r = 0; r < batch.RowCount(); ++r) {
        const SQLiteCell x = batch.Cell(r, 0);
        const SQLiteCell label = batch.Cell(r, 1);
        EXPECT_EQ(label.bytes, "row " + std::to_string(x.integer));
        xs.push_back(x.integer);
      }
      return true;
    });
    return xs;
  }

  static bool CountsUpFromOne(const std::vector<std::int64_t>& xs) {
    for (std::size_t i = 0; i < xs.size(); ++i) {
      if (xs[i] != static_cast<std::int64_t>(i) + 1) return false;
    }
    return true;
  }

  std::string path_;
  std::unique_ptr<SQLiteConnection> connection_;
};

TEST_F(RowBatches, EveryRowArrivesOnceAndInOrderOnOneThreadOrTwo) {
  for (std::size_t expected : {std::size_t{0}, std::size_t{kRows}}) {
    SQLiteStatement select(*connection_, "SELECT x, label FROM t ORDER BY rowid");
    const std::vector<std::int64_t> xs = Read(select, expected);
    EXPECT_EQ(xs.size(), static_cast<std::size_t>(kRows)) << "expected " << expected;
    EXPECT_TRUE(CountsUpFromOne(xs)) << "expected " << expected;
  }
  // An empty result calls nobody.
  SQLiteStatement none(*connection_, "SELECT x, label FROM t WHERE x < 0");
  EXPECT_TRUE(Read(none, kRows).empty());
}

TEST_F(RowBatches, NumbersReadIntoTextColumnsCarrySQLitesOwnText) {
  SQLiteStatement select(*connection_, "SELECT x * 1.5, x * 1.5, x FROM t WHERE x IN (1, 3)");
  std::vector<std::string> texts;
  ReadRowBatches(select, select.Step(), {true, false, true}, 0, [&texts](const SQLiteRowBatch& batch) {
    for (std::size_t r = 0; r < batch.RowCount(); ++r) {
      EXPECT_EQ(batch.Cell(r, 0).storage, SQLITE_FLOAT);
      EXPECT_TRUE(batch.Cell(r, 1).bytes.empty()) << "numbers only";
      texts.push_back(std::string(batch.Cell(r, 0).bytes) + "|" + std::string(batch.Cell(r, 2).bytes));
    }
    return true;
  });
  EXPECT_EQ(texts, (std::vector<std::string>{"1.5|1", "4.5|3"}));
}

TEST_F(RowBatches, AStopOrAnErrorOfTheReaderLeavesTheStatementUsable) {
  for (std::size_t expected : {std::size_t{0}, std::size_t{kRows}}) {
    SQLiteStatement select(*connection_, "SELECT x, label FROM t ORDER BY rowid");
    int batches = 0;
    ReadRowBatches(select, select.Step(), {false, false}, expected, [&batches](const SQLiteRowBatch&) {
      return ++batches < 3;
    });
    EXPECT_EQ(batches, 3);
    select.Reset();
    EXPECT_TRUE(CountsUpFromOne(Read(select, expected)));

    select.Reset();
    batches = 0;
    EXPECT_THROW(ReadRowBatches(select, select.Step(), {false, false}, expected,
                                [&batches](const SQLiteRowBatch&) -> bool {
                                  if (++batches == 2) throw std::runtime_error("reader failed");
                                  return true;
                                }),
                 std::runtime_error);
    select.Reset();
    const std::vector<std::int64_t> again = Read(select, expected);
    EXPECT_EQ(again.size(), static_cast<std::size_t>(kRows));
    EXPECT_TRUE(CountsUpFromOne(again));
  }
}

TEST_F(RowBatches, AnErrorWhileSteppingIsRaisedToTheReaderAfterTheRowsBeforeIt) {
  for (std::size_t expected : {std::size_t{0}, std::size_t{kRows}}) {
    // abs() of the smallest integer overflows: SQLite fails at that row, mid-way.
    SQLiteStatement select(*connection_,
                           "SELECT CASE WHEN x = 70000 THEN abs(-9223372036854775807 - 1) ELSE x END, label FROM t "
                           "ORDER BY rowid");
    std::vector<std::int64_t> xs;
    EXPECT_THROW(ReadRowBatches(select, select.Step(), {false, false}, expected,
                                [&xs](const SQLiteRowBatch& batch) {
                                  for (std::size_t r = 0; r < batch.RowCount(); ++r) xs.push_back(batch.Cell(r, 0).integer);
                                  return true;
                                }),
                 EDatabaseError);
    EXPECT_LT(xs.size(), 70000U);
    EXPECT_TRUE(CountsUpFromOne(xs));
  }
}

// A large table of a file written elsewhere: the cells that decide a column's type come
// late, after many rows were read under the declared type.
TEST(SQLiteLargeTable, TheCellsChooseTheTypesHoweverLateTheyCome) {
  const std::string path = testing_support::TempDbPath("large");
  testing_support::SQLiteExec(path,
             "CREATE TABLE big (id INTEGER PRIMARY KEY, small SMALLINT, qty INTEGER, loose, name TEXT, day DATE);"
             "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(kRows) +
                 ") INSERT INTO big SELECT i, i % 1000, i, i, 'name ' || i, "
                 "CASE WHEN i % 2 = 0 THEN '2024-01-05' ELSE 2460315.5 END FROM n;"
                 "UPDATE big SET small = 40000 WHERE id = 119000;"
                 "UPDATE big SET qty = 'lots' WHERE id = 100000;"
                 "UPDATE big SET loose = 5000000000 WHERE id = 90000;");
  {
    TSQLiteTable t(nullptr);
    t.SetDatabaseName(path);
    t.SetTableName("big");
    t.Open();
    EXPECT_EQ(t.RecordCount(), kRows);
    EXPECT_EQ(t.FieldByName("small")->DataType(), TFieldType::ftInteger);
    EXPECT_EQ(t.FieldByName("qty")->DataType(), TFieldType::ftString);
    EXPECT_EQ(t.FieldByName("loose")->DataType(), TFieldType::ftLargeint);
    EXPECT_EQ(t.FieldByName("day")->DataType(), TFieldType::ftDate);
    t.SetRecNo(119000);
    EXPECT_EQ(t.FieldByName("small")->AsInteger(), 40000);
    EXPECT_EQ(t.FieldByName("name")->AsString(), "name 119000");
    t.SetRecNo(100000);
    EXPECT_EQ(t.FieldByName("qty")->AsString(), "lots");
    t.SetRecNo(99999);
    EXPECT_EQ(t.FieldByName("qty")->AsString(), "99999");
    t.SetRecNo(90000);
    EXPECT_EQ(t.FieldByName("loose")->AsVariant(), Variant(std::int64_t{5000000000}));
    EXPECT_EQ(t.FieldByName("day")->AsDateTime(), EncodeDate(2024, 1, 5));
    t.SetRecNo(90001);
    EXPECT_EQ(t.FieldByName("day")->AsDateTime(), EncodeDate(2024, 1, 6));
    // Each row is found again by the key read with it: the last row changes in the file.
    t.Last();
    t.Edit();
    t.FieldByName("name")->SetAsString("changed");
    t.Post();
  }
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, "SELECT id, day FROM big WHERE name = 'changed'", -1, &stmt, nullptr);
  ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_int64(stmt, 0), kRows);
  EXPECT_EQ(sqlite3_column_type(stmt, 1), SQLITE_TEXT) << "the untouched date keeps its form";
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace vantor
