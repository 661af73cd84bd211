#include <vantor/platform/data/sqlite_table.h>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <vantor/platform/data/sample_database.h>
#include <vantor/platform/data/sqlite_connection.h>
#include <vantor/platform/data/sqlite_query.h>
#include <vantor/platform/rtl/exceptions.h>
#include "support/people.h"
#include "support/sqlite_file.h"

namespace vantor {
namespace {

using testing_support::TempDbPath;

bool FileExists(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f != nullptr) std::fclose(f);
  return f != nullptr;
}

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EDatabaseError& e) {
    return e.Message();
  }
  return "(no EDatabaseError)";
}

class SQLiteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = TempDbPath("sqlite");
    testing_support::WritePeopleDatabase(path_);
  }
  void TearDown() override { std::remove(path_.c_str()); }

  TComponent owner_{nullptr};
  std::string path_;
};

TEST_F(SQLiteTest, MissingFileIsAnErrorAndIsNotCreated) {
  const std::string missing = TempDbPath("missing");
  TSQLiteTable t(&owner_);
  t.SetDatabaseName(missing);
  t.SetTableName("people");
  const std::string message = MessageOf([&] { t.Open(); });
  EXPECT_NE(message.find("does not exist"), std::string::npos) << message;
  EXPECT_NE(message.find(missing), std::string::npos) << message;
  EXPECT_FALSE(t.Active());
  EXPECT_FALSE(FileExists(missing));
  t.SetDatabaseName(path_);
  t.Open();
  EXPECT_EQ(t.RecordCount(), testing_support::kPeopleRows) << "the data set stays usable";
}

TEST_F(SQLiteTest, MissingTableIsAnErrorNamingIt) {
  TSQLiteTable t(&owner_);
  t.SetDatabaseName(path_);
  t.SetTableName("peeple");
  const std::string message = MessageOf([&] { t.Open(); });
  EXPECT_NE(message.find("There is no table or view 'peeple'"), std::string::npos) << message;
  EXPECT_FALSE(t.Active());
  EXPECT_EQ(t.FieldCount(), 0);
  t.SetTableName("people");
  t.Open();
  EXPECT_TRUE(t.Active());
}

TEST_F(SQLiteTest, EditsAreWrittenToTheFile) {
  {
    TSQLiteTable t(&owner_);
    t.SetDatabaseName(path_);
    t.SetTableName("people");
    t.Open();
    t.First();
    t.Edit();
    t.FieldByName("city")->SetAsString("Köln");
    t.FieldByName("born")->Clear();
    t.Post();
    t.Append();
    t.FieldByName("name")->SetAsString("Newman");
    t.FieldByName("amount")->SetAsString("1.25");
    t.Post();
    EXPECT_EQ(t.FieldByName("id")->AsInteger(), 8) << "numbered by the database";
  }
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
  sqlite3_stmt* s = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT city, born FROM people WHERE id = 1", -1, &s, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)), "Köln");
  EXPECT_EQ(sqlite3_column_type(s, 1), SQLITE_NULL);
  sqlite3_finalize(s);
  ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT name, amount FROM people WHERE id = 8", -1, &s, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)), "Newman");
  EXPECT_DOUBLE_EQ(sqlite3_column_double(s, 1), 1.25);
  sqlite3_finalize(s);
  sqlite3_close(db);
}

TEST_F(SQLiteTest, RefusedWriteQuotesSQLiteAndChangesNothing) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "CREATE TRIGGER no_rome BEFORE UPDATE ON people WHEN NEW.city = 'Rome' "
                             "BEGIN SELECT RAISE(ABORT, 'Rome is closed'); END;",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  TSQLiteTable t(&owner_);
  t.SetDatabaseName(path_);
  t.SetTableName("people");
  t.Open();
  t.Edit();
  t.FieldByName("city")->SetAsString("Rome");
  const std::string message = MessageOf([&] { t.Post(); });
  EXPECT_NE(message.find("Rome is closed"), std::string::npos) << message;
  EXPECT_EQ(message.find("UPDATE"), std::string::npos) << "a sentence, not the SQL: " << message;
  EXPECT_EQ(t.State(), dsEdit);
  t.Cancel();
  EXPECT_EQ(t.FieldByName("city")->AsString(), "Berlin");
  t.Close();
  t.Open();
  EXPECT_EQ(t.FieldByName("city")->AsString(), "Berlin");
}

TEST_F(SQLiteTest, QueryReadsTheResultAndIsNoTable) {
  TSQLiteQuery q(&owner_);
  q.SetDatabaseName(path_);
  q.SetSQL("SELECT p.name, p.amount, p.qty * 2 AS twice, upper(p.city) AS town, q.name "
           "FROM people p JOIN people q ON q.id = p.id WHERE p.active = 1 ORDER BY p.name");
  q.Open();
  EXPECT_EQ(dynamic_cast<TTable*>(static_cast<TDataSet*>(&q)), nullptr);
  EXPECT_EQ(q.RecordCount(), 4);
  EXPECT_EQ(q.FieldByName("amount")->DataType(), TFieldType::ftCurrency);
  EXPECT_EQ(q.FieldByName("twice")->DataType(), TFieldType::ftInteger);
  EXPECT_EQ(q.FieldByName("town")->DataType(), TFieldType::ftString);
  EXPECT_NE(q.FindField("name_1"), nullptr) << "a repeated column name gets a number";
  q.First();
  EXPECT_EQ(q.FieldByName("name")->AsString(), "Adams");
  EXPECT_EQ(q.FieldByName("twice")->AsInteger(), 20);
  EXPECT_TRUE(q.FieldByName("town")->IsNull());
  EXPECT_THROW(q.Edit(), EDatabaseError);
  TBookmark b = q.GetBookmark();
  q.Last();
  q.GotoBookmark(b);
  EXPECT_EQ(q.FieldByName("name")->AsString(), "Adams");
  q.FreeBookmark(b);
}

TEST_F(SQLiteTest, SqlErrorIsQuotedAndTheQueryStaysClosed) {
  TSQLiteQuery q(&owner_);
  q.SetDatabaseName(path_);
  q.SetSQL("SELECT nme FROM people");
  const std::string message = MessageOf([&] { q.Open(); });
  EXPECT_NE(message.find("no such column: nme"), std::string::npos) << message;
  EXPECT_NE(message.find("SELECT nme FROM people"), std::string::npos) << message;
  EXPECT_FALSE(q.Active());
  q.SetSQL("SELECT name FROM people");
  q.Open();
  EXPECT_EQ(q.RecordCount(), testing_support::kPeopleRows);
}

TEST_F(SQLiteTest, TextInAnIntegerColumnOpensTheColumnAsText) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "UPDATE people SET qty = 'lots' WHERE id = 2", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
  TSQLiteTable t(&owner_);
  t.SetDatabaseName(path_);
  t.SetTableName("people");
  t.Open();
  EXPECT_EQ(t.FieldByName("qty")->DataType(), TFieldType::ftString);
  bool seen = false;
  for (t.First(); !t.Eof(); t.Next()) seen = seen || t.FieldByName("qty")->AsString() == "lots";
  EXPECT_TRUE(seen);
}

TEST_F(SQLiteTest, QueryColumnWhoseCellsChangeKindWidensUntilEveryCellFits) {
  TSQLiteQuery q(&owner_);
  q.SetDatabaseName(path_);
  // The first cell makes the column an integer; a real then a text widen it twice.
  q.SetSQL("SELECT id, CASE id WHEN 1 THEN 7 WHEN 2 THEN 2.5 ELSE 'many' END AS mixed, "
           "CASE WHEN id < 3 THEN id ELSE id * 1.5 END AS number FROM people ORDER BY id");
  q.Open();
  EXPECT_EQ(q.RecordCount(), testing_support::kPeopleRows);
  EXPECT_EQ(q.FieldByName("mixed")->DataType(), TFieldType::ftString);
  EXPECT_EQ(q.FieldByName("number")->DataType(), TFieldType::ftFloat);
  std::vector<std::string> mixed;
  for (q.First(); !q.Eof(); q.Next()) mixed.push_back(q.FieldByName("mixed")->AsString());
  ASSERT_GE(mixed.size(), 3u);
  EXPECT_EQ(mixed[0], "7");
  EXPECT_EQ(mixed[1], "2.5");
  EXPECT_EQ(mixed[2], "many");
  q.Last();
  EXPECT_DOUBLE_EQ(q.FieldByName("number")->AsFloat(), q.FieldByName("id")->AsInteger() * 1.5);
}

TEST_F(SQLiteTest, QueryFirstColumnThatTurnsToTextIsWidenedAndEveryRowReadWhole) {
  TSQLiteQuery q(&owner_);
  q.SetDatabaseName(path_);
  q.SetSQL("SELECT CASE WHEN id = 1 THEN 1 ELSE name END AS first, id, name FROM people ORDER BY id");
  q.Open();
  ASSERT_EQ(q.RecordCount(), testing_support::kPeopleRows);
  EXPECT_EQ(q.FieldByName("first")->DataType(), TFieldType::ftString);
  for (q.First(); !q.Eof(); q.Next()) {
    const std::string expected = q.FieldByName("id")->AsInteger() == 1 ? "1" : q.FieldByName("name")->AsString();
    EXPECT_EQ(q.FieldByName("first")->AsString(), expected);
    EXPECT_FALSE(q.FieldByName("name")->IsNull());
  }
}

TEST_F(SQLiteTest, OpeningNeedsTheFileNamedAndOnlyWhileClosedCanItChange) {
  TSQLiteQuery q(&owner_);
  q.SetSQL("SELECT name FROM people");
  EXPECT_NE(MessageOf([&] { q.Open(); }).find("Missing DatabaseName property"), std::string::npos);
  TSQLiteTable t(&owner_);
  t.SetTableName("people");
  EXPECT_NE(MessageOf([&] { t.Open(); }).find("Missing DatabaseName property"), std::string::npos);
  t.SetDatabaseName(path_);
  t.SetTableName("");
  EXPECT_NE(MessageOf([&] { t.Open(); }).find("Missing TableName property"), std::string::npos);
  t.SetTableName("people");
  t.Open();
  const std::string message = MessageOf([&] { t.SetDatabaseName("other.db"); });
  EXPECT_NE(message.find("Cannot perform this operation on an open dataset"), std::string::npos) << message;
  EXPECT_THROW(t.SetTableName("codes"), EDatabaseError);
  EXPECT_EQ(t.DatabaseName(), path_);
  EXPECT_EQ(t.TableName(), "people");
  t.SetTableName("people");  // unchanged: no error while open
}

TEST(SQLiteTypes, DeclaredTypesMapToFieldTypes) {
  int size = 0;
  EXPECT_EQ(FieldTypeFromDeclared("VARCHAR(40)", false, size), TFieldType::ftString);
  EXPECT_EQ(size, 40);
  EXPECT_EQ(FieldTypeFromDeclared("integer", true, size), TFieldType::ftAutoInc);
  EXPECT_EQ(FieldTypeFromDeclared("INTEGER", false, size), TFieldType::ftInteger);
  EXPECT_EQ(FieldTypeFromDeclared("SMALLINT", false, size), TFieldType::ftSmallint);
  EXPECT_EQ(FieldTypeFromDeclared("DOUBLE PRECISION", false, size), TFieldType::ftFloat);
  EXPECT_EQ(FieldTypeFromDeclared("MONEY", false, size), TFieldType::ftCurrency);
  EXPECT_EQ(FieldTypeFromDeclared("NUMERIC(12,2)", false, size), TFieldType::ftBCD);
  EXPECT_EQ(FieldTypeFromDeclared("BOOLEAN", false, size), TFieldType::ftBoolean);
  EXPECT_EQ(FieldTypeFromDeclared("DATE", false, size), TFieldType::ftDate);
  EXPECT_EQ(FieldTypeFromDeclared("TIME", false, size), TFieldType::ftTime);
  EXPECT_EQ(FieldTypeFromDeclared("DATETIME", false, size), TFieldType::ftDateTime);
  EXPECT_EQ(FieldTypeFromDeclared("TEXT", false, size), TFieldType::ftString);
  EXPECT_EQ(size, 0);  // any length
  EXPECT_EQ(FieldTypeFromDeclared("CLOB", false, size), TFieldType::ftMemo);
  EXPECT_EQ(FieldTypeFromDeclared("MEMO", false, size), TFieldType::ftMemo);
  EXPECT_EQ(FieldTypeFromDeclared("", false, size), TFieldType::ftUnknown) << "the cells decide";
  EXPECT_EQ(FieldTypeFromDeclared("BLOB", false, size), TFieldType::ftBlob);
}

TEST(SQLiteTypes, DefaultDateFormsWriteIsoTexts) {
  const TDateTime d = ComposeDateTime(EncodeDate(2024, 2, 29), EncodeTime(13, 5, 9, 0));
  EXPECT_EQ(FormatSQLiteDateText(d, DefaultDateForm(TFieldType::ftDateTime)), "2024-02-29 13:05:09");
  EXPECT_EQ(FormatSQLiteDateText(d, DefaultDateForm(TFieldType::ftDate)), "2024-02-29");
  EXPECT_EQ(FormatSQLiteDateText(d, DefaultDateForm(TFieldType::ftTime)), "13:05:09");
  TDateTime back = 0;
  SQLiteDateForm form;
  ASSERT_TRUE(ParseSQLiteDateText("2024-02-29 13:05:09", back, form));
  EXPECT_DOUBLE_EQ(back, d);
  ASSERT_TRUE(ParseSQLiteDateText("2024-02-29T13:05:09.250", back, form));
  EXPECT_FALSE(ParseSQLiteDateText("2023-02-29", back, form));
  EXPECT_FALSE(ParseSQLiteDateText("25:00", back, form));
  EXPECT_FALSE(ParseSQLiteDateText("yesterday", back, form));
}

TEST(SampleDatabase, HasBothTablesWithTheirTypesIndexesAndNulls) {
  const std::string path = TempDbPath("sample");
  CreateSampleDatabase(path, 300, 1200);
  TComponent owner(nullptr);
  TSQLiteTable customers(&owner);
  customers.SetDatabaseName(path);
  customers.SetTableName("customers");
  customers.Open();
  EXPECT_EQ(customers.RecordCount(), 300);
  EXPECT_EQ(customers.FieldByName("name")->DataType(), TFieldType::ftString);
  EXPECT_EQ(customers.FieldByName("credit_limit")->DataType(), TFieldType::ftCurrency);
  EXPECT_EQ(customers.FieldByName("rating")->DataType(), TFieldType::ftFloat);
  EXPECT_EQ(customers.FieldByName("born")->DataType(), TFieldType::ftDate);
  EXPECT_EQ(customers.FieldByName("active")->DataType(), TFieldType::ftBoolean);
  EXPECT_EQ(customers.FieldByName("notes")->DataType(), TFieldType::ftMemo);
  const TIndexDefs& idx = customers.IndexDefs();
  EXPECT_TRUE(idx.Find("customers_name").Options().Contains(ixCaseInsensitive));
  EXPECT_TRUE(idx.Find("customers_limit_desc").Options().Contains(ixDescending));
  EXPECT_TRUE(idx.Find("customers_email").Options().Contains(ixUnique));
  int null_cities = 0;
  for (customers.First(); !customers.Eof(); customers.Next()) null_cities += customers.FieldByName("city")->IsNull();
  EXPECT_GT(null_cities, 0);

  TSQLiteTable orders(&owner);
  orders.SetDatabaseName(path);
  orders.SetTableName("orders");
  orders.Open();
  EXPECT_EQ(orders.RecordCount(), 1200);
  const TIndexDef& by_customer = orders.IndexDefs().Find("orders_customer_date");
  EXPECT_EQ(by_customer.Fields(), "customer_id;order_date");
  EXPECT_TRUE(by_customer.IsDescending("order_date"));
  EXPECT_FALSE(by_customer.IsDescending("customer_id"));
  orders.SetIndexName("orders_customer_date");
  orders.First();
  TDateTime previous = orders.FieldByName("order_date")->AsDateTime();
  const int customer = orders.FieldByName("customer_id")->AsInteger();
  for (orders.Next(); !orders.Eof() && orders.FieldByName("customer_id")->AsInteger() == customer; orders.Next()) {
    EXPECT_LE(orders.FieldByName("order_date")->AsDateTime(), previous);
    previous = orders.FieldByName("order_date")->AsDateTime();
  }
  std::remove(path.c_str());
}

TEST(SampleDatabase, SameArgumentsWriteTheSameRows) {
  const std::string a = TempDbPath("same_a");
  const std::string b = TempDbPath("same_b");
  CreateSampleDatabase(a, 50, 100);
  CreateSampleDatabase(b, 50, 100);
  TComponent owner(nullptr);
  TSQLiteQuery qa(&owner), qb(&owner);
  qa.SetDatabaseName(a);
  qb.SetDatabaseName(b);
  qa.SetSQL("SELECT group_concat(name || coalesce(city, '') || amount, '|') AS all_rows FROM "
            "(SELECT c.name, c.city, o.amount FROM orders o JOIN customers c ON c.id = o.customer_id ORDER BY o.id)");
  qb.SetSQL(qa.SQL());
  qa.Open();
  qb.Open();
  EXPECT_EQ(qa.Fields(0)->AsString(), qb.Fields(0)->AsString());
  EXPECT_FALSE(qa.Fields(0)->AsString().empty());
  std::remove(a.c_str());
  std::remove(b.c_str());
}

}  // namespace
}  // namespace vantor
