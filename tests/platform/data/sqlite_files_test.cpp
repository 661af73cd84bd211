// SQLite files as other programs write them: every table and view opens, filters and
// finds, the file is unchanged by reading it, and edits go back in the cells' own forms.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include <vantor/platform/data/sqlite_connection.h>
#include <vantor/platform/data/internal/sqlite_rows.h>
#include <vantor/platform/data/sqlite_dates.h>
#include <vantor/platform/data/sqlite_table.h>
#include <vantor/platform/data/typed_fields.h>
#include <vantor/platform/rtl/exceptions.h>
#include "support/odd_database.h"
#include "support/people.h"
#include "support/sqlite_file.h"

namespace vantor {
namespace {

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A database file made by SQLite itself from `sql`, as another program would write it;
// the text of SQLite's error when a statement fails.
std::string WriteDatabase(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  char* error = nullptr;
  std::string message;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK ||
      sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    message = error != nullptr ? error : sqlite3_errmsg(db);
  }
  sqlite3_free(error);
  sqlite3_close(db);
  return message;
}

// One cell as the file holds it: "typeof:value".
std::string RawCell(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, ("SELECT typeof(x) || ':' || quote(x) FROM (" + sql + ")").c_str(), -1, &stmt, nullptr);
  std::string out = "(no row)";
  if (stmt != nullptr && sqlite3_step(stmt) == SQLITE_ROW) out = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return out;
}

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  return ComposeDateTime(EncodeDate(y, mo, d), EncodeTime(h, mi, s, ms));
}

class SQLiteFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = testing_support::TempDbPath("odd");
    testing_support::WriteOddDatabase(path_);
  }
  void TearDown() override { std::remove(path_.c_str()); }

  std::unique_ptr<TSQLiteTable> Open(const std::string& table) {
    auto t = std::make_unique<TSQLiteTable>(nullptr);
    t->SetDatabaseName(path_);
    t->SetTableName(table);
    t->Open();
    return t;
  }
  // Moves to the row whose "item id" is `id`.
  static void GoTo(TDataSet& t, int id) {
    for (t.First(); !t.Eof(); t.Next()) {
      if (t.FieldByName("item id")->AsInteger() == id) return;
    }
    FAIL() << "no row " << id;
  }

  std::string path_;
};

TEST_F(SQLiteFiles, EveryColumnGetsTheTypeItsCellsFit) {
  auto t = Open("odd things");
  auto type = [&](const char* name) { return t->FieldByName(name)->DataType(); };
  EXPECT_EQ(type("item id"), TFieldType::ftAutoInc);
  EXPECT_EQ(type("big"), TFieldType::ftLargeint) << "integers beyond 32 bits";
  EXPECT_EQ(type("stamp"), TFieldType::ftDateTime);
  EXPECT_EQ(type("day"), TFieldType::ftDate);
  EXPECT_EQ(type("at"), TFieldType::ftTime);
  EXPECT_EQ(type("julian"), TFieldType::ftDateTime);
  EXPECT_EQ(type("unix"), TFieldType::ftDateTime);
  EXPECT_EQ(type("untyped"), TFieldType::ftInteger) << "no declared type: the cells are integers";
  EXPECT_EQ(type("loose"), TFieldType::ftString) << "text among numbers";
  EXPECT_EQ(type("qty"), TFieldType::ftString) << "a text in an INTEGER column";
  EXPECT_EQ(type("total"), TFieldType::ftFloat) << "the generated column is read";
  EXPECT_EQ(type("raw"), TFieldType::ftBlob);
  EXPECT_EQ(t->RecordCount(), 4);
}

TEST_F(SQLiteFiles, CellsReadAsTheValuesTheyHold) {
  auto t = Open("odd things");
  GoTo(*t, 1);
  EXPECT_EQ(t->FieldByName("big")->AsString(), "5000000000");
  EXPECT_EQ(t->FieldByName("big")->AsVariant(), Variant(std::int64_t{5000000000}));
  EXPECT_DOUBLE_EQ(t->FieldByName("stamp")->AsDateTime(), At(2024, 1, 5, 10, 30, 0, 250)) << "wall time, offset kept apart";
  EXPECT_DOUBLE_EQ(t->FieldByName("at")->AsDateTime(), EncodeTime(10, 30, 0, 0));
  EXPECT_DOUBLE_EQ(t->FieldByName("julian")->AsDateTime(), At(2024, 1, 5));
  EXPECT_DOUBLE_EQ(t->FieldByName("unix")->AsDateTime(), At(2024, 1, 5, 10, 30));
  EXPECT_EQ(t->FieldByName("loose")->AsString(), "x");
  EXPECT_DOUBLE_EQ(t->FieldByName("total")->AsFloat(), 7.5);
  EXPECT_EQ(t->FieldByName("raw")->AsString(), std::string("\0\xFF\x10", 3));
  GoTo(*t, 2);
  EXPECT_EQ(t->FieldByName("big")->AsString(), "-9223372036854775808");
  EXPECT_DOUBLE_EQ(t->FieldByName("stamp")->AsDateTime(), At(2024, 1, 6, 8));
  EXPECT_DOUBLE_EQ(t->FieldByName("julian")->AsDateTime(), At(2024, 1, 6, 18));
  EXPECT_EQ(t->FieldByName("qty")->AsString(), "lots");
  EXPECT_EQ(t->FieldByName("loose")->AsString(), "12");
  GoTo(*t, 3);
  EXPECT_DOUBLE_EQ(t->FieldByName("unix")->AsDateTime(), At(1970, 1, 1)) << "Unix time 0";
  EXPECT_DOUBLE_EQ(t->FieldByName("stamp")->AsDateTime(), At(2024, 2, 29, 12));
  EXPECT_DOUBLE_EQ(t->FieldByName("at")->AsDateTime(), EncodeTime(0, 0, 0, 500));
  GoTo(*t, 4);
  EXPECT_EQ(t->FieldByName("big")->AsString(), "9223372036854775807");
  EXPECT_DOUBLE_EQ(t->FieldByName("julian")->AsDateTime(), At(2000, 1, 1));
}

TEST_F(SQLiteFiles, LargeIntegersFilterAndSeekAlongTheirIndex) {
  const std::string before = FileBytes(path_);
  {
    auto t = Open("odd things");
    t->SetIndexName("odd_big");
    t->First();
    EXPECT_EQ(t->FieldByName("big")->AsString(), "-9223372036854775808") << "index order of 64-bit keys";
    t->SetKey();
    t->FieldByName("big")->SetAsString("9223372036854775807");
    ASSERT_TRUE(t->GotoKey());
    EXPECT_EQ(t->FieldByName("item id")->AsInteger(), 4);
    t->SetKey();
    t->FieldByName("big")->SetAsVariant(Variant(std::int64_t{43}));
    t->GotoNearest();
    EXPECT_EQ(t->FieldByName("item id")->AsInteger(), 1) << "first key not below 43 is 5000000000";

    t->SetOnFilterRecord([](TDataSet* ds, bool& accept) {
      accept = VarCompare(ds->FieldByName("big")->AsVariant(), Variant(std::int64_t{4'000'000'000})) > 0;
    });
    t->SetFiltered(true);
    EXPECT_EQ(t->RecordCount(), 2);
  }
  EXPECT_EQ(FileBytes(path_), before) << "reading, filtering and seeking leave the file as it was";
}

TEST_F(SQLiteFiles, ViewsAndWithoutRowidTablesOpenAndCopiesWithOtherColumnOrders) {
  auto view = Open("big ones");
  EXPECT_EQ(view->RecordCount(), 3);
  EXPECT_EQ(view->FieldByName("big")->DataType(), TFieldType::ftLargeint);
  EXPECT_FALSE(view->CanModify());
  try {
    view->Edit();
    FAIL() << "a view takes no edits";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find("'big ones' is a view"), std::string::npos) << e.Message();
  }
  auto codes = Open("codes");
  EXPECT_EQ(codes->RecordCount(), 3);
  EXPECT_GE(codes->IndexDefs().IndexOf("sqlite_autoindex_codes_1"), 0) << "the primary key is an index";
  auto customers = Open("customers");
  EXPECT_EQ(customers->Fields(0)->FieldName(), "city");
  EXPECT_EQ(customers->FieldByName("id")->DataType(), TFieldType::ftAutoInc);
  EXPECT_EQ(customers->FieldByName("credit limit")->DataType(), TFieldType::ftFloat);
}

TEST_F(SQLiteFiles, EditsWriteOnlyChangedCellsAndDatesInTheFormTheyCameIn) {
  auto t = Open("odd things");
  GoTo(*t, 1);
  t->Edit();
  t->FieldByName("note")->SetAsString("changed");
  t->Post();
  EXPECT_EQ(RawCell(path_, "SELECT stamp AS x FROM \"odd things\" WHERE \"item id\" = 1"),
            "text:'2024-01-05T10:30:00.250+02:00'")
      << "an untouched date cell is not rewritten";
  EXPECT_EQ(RawCell(path_, "SELECT loose AS x FROM \"odd things\" WHERE \"item id\" = 2"), "integer:12");

  t->Edit();
  t->FieldByName("stamp")->SetAsDateTime(At(2024, 1, 5, 11, 30, 0, 250));
  t->FieldByName("julian")->SetAsDateTime(At(2024, 1, 6, 6));
  t->FieldByName("unix")->SetAsDateTime(At(2024, 1, 5, 11, 0));
  t->FieldByName("at")->SetAsDateTime(EncodeTime(11, 15, 0, 0));
  t->FieldByName("big")->SetAsString("6000000000");
  t->Post();
  EXPECT_EQ(RawCell(path_, "SELECT stamp AS x FROM \"odd things\" WHERE \"item id\" = 1"), "text:'2024-01-05T11:30:00.250+02:00'");
  EXPECT_EQ(RawCell(path_, "SELECT julian AS x FROM \"odd things\" WHERE \"item id\" = 1"), "real:2460315.75");
  EXPECT_EQ(RawCell(path_, "SELECT unix AS x FROM \"odd things\" WHERE \"item id\" = 1"), "integer:1704452400");
  EXPECT_EQ(RawCell(path_, "SELECT at AS x FROM \"odd things\" WHERE \"item id\" = 1"), "text:'11:15'");
  EXPECT_EQ(RawCell(path_, "SELECT big AS x FROM \"odd things\" WHERE \"item id\" = 1"), "integer:6000000000");

  t->Edit();
  t->FieldByName("qty")->SetAsString("5");
  t->Post();
  EXPECT_DOUBLE_EQ(t->FieldByName("total")->AsFloat(), 12.5) << "the generated column is read back";
}

TEST_F(SQLiteFiles, EditsThatCannotBeStoredAreRefusedWithASentence) {
  auto t = Open("odd things");
  GoTo(*t, 1);
  t->Edit();
  t->FieldByName("total")->SetAsFloat(1);
  try {
    t->Post();
    FAIL() << "a generated column takes no value";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find("'total' is computed by the database"), std::string::npos) << e.Message();
  }
  t->Cancel();
  EXPECT_DOUBLE_EQ(t->FieldByName("total")->AsFloat(), 7.5);
}

TEST_F(SQLiteFiles, WithoutRowidRowsAreFoundByTheirKey) {
  auto codes = Open("codes");
  for (codes->First(); !codes->Eof(); codes->Next()) {
    if (codes->FieldByName("code")->AsString() == "FR") break;
  }
  codes->Edit();
  codes->FieldByName("full name")->SetAsString("République française");
  codes->Post();
  EXPECT_EQ(RawCell(path_, "SELECT \"full name\" AS x FROM codes WHERE code = 'FR'"), "text:'République française'");
  EXPECT_EQ(RawCell(path_, "SELECT \"full name\" AS x FROM codes WHERE code = 'DE'"), "text:'Germany'");
  codes->Delete();
  EXPECT_EQ(RawCell(path_, "SELECT count(*) AS x FROM codes"), "integer:2");
  codes->Insert();
  codes->FieldByName("code")->SetAsString("IT");
  codes->FieldByName("region")->SetAsString("EU");
  codes->FieldByName("since")->SetAsDateTime(At(1946, 6, 2));
  codes->Post();
  EXPECT_EQ(RawCell(path_, "SELECT since AS x FROM codes WHERE code = 'IT'"), "text:'1946-06-02'");
  codes->Edit();
  codes->FieldByName("full name")->SetAsString("Italia");
  codes->Post();
  EXPECT_EQ(RawCell(path_, "SELECT \"full name\" AS x FROM codes WHERE code = 'IT'"), "text:'Italia'");
}

TEST(SQLiteDates, TextFormsAreReadAndWrittenBackAsTheyCame) {
  for (const char* text : {"2024-01-05", "2024-01-05 10:30", "2024-01-05T10:30:00", "2024-01-05 10:30:00.250",
                           "2024-01-05T10:30:00.123456Z", "2024-01-05T10:30:00+02:00", "2024-01-05 10:30-05:30", "10:30",
                           "23:59:59.5", "10:30:00Z"}) {
    TDateTime d = 0;
    SQLiteDateForm form;
    ASSERT_TRUE(ParseSQLiteDateText(text, d, form)) << text;
    const std::string back = FormatSQLiteDateText(d, form);
    // Beyond milliseconds the digits are kept as zeros.
    EXPECT_EQ(back, std::string(text) == "2024-01-05T10:30:00.123456Z" ? "2024-01-05T10:30:00.123000Z" : text);
  }
  TDateTime d = 0;
  SQLiteDateForm form;
  for (const char* bad : {"2024-1-5", "2024-01-05X10:30", "2024-01-05 10:30+2", "10:61", "2024-13-01", "", "20240105"}) {
    EXPECT_FALSE(ParseSQLiteDateText(bad, d, form)) << bad;
  }
}

TEST(SQLiteDates, FractionsOfASecondReadAsTheMillisecondsTheyStandFor) {
  struct Case {
    const char* text;
    int ms;
  };
  for (const Case& c : {Case{"13:05:09.5", 500}, Case{"13:05:09.25", 250}, Case{"13:05:09.125", 125},
                        Case{"13:05:09.05", 50}, Case{"13:05:09.007", 7}, Case{"13:05:09.0", 0},
                        Case{"13:05:09.1239", 123}, Case{"13:05:09.9999999", 999}}) {
    TDateTime d = 0;
    SQLiteDateForm form;
    ASSERT_TRUE(ParseSQLiteDateText(c.text, d, form)) << c.text;
    EXPECT_DOUBLE_EQ(d, EncodeTime(13, 5, 9, c.ms)) << c.text;
    ASSERT_TRUE(ParseSQLiteDateText(std::string("2024-02-29T") + c.text + "Z", d, form)) << c.text;
    EXPECT_DOUBLE_EQ(d, At(2024, 2, 29, 13, 5, 9, c.ms)) << c.text;
  }
  TDateTime d = 0;
  SQLiteDateForm form;
  EXPECT_FALSE(ParseSQLiteDateText("13:05:09.", d, form)) << "a point without digits";
  EXPECT_FALSE(ParseSQLiteDateText("13:05.5", d, form)) << "a fraction needs the seconds";
}

TEST(SQLiteDates, EachFieldReadsUpToItsLastValueAndNoFurther) {
  TDateTime d = 0;
  SQLiteDateForm form;
  ASSERT_TRUE(ParseSQLiteDateText("0001-01-01", d, form));
  EXPECT_DOUBLE_EQ(d, EncodeDate(1, 1, 1));
  ASSERT_TRUE(ParseSQLiteDateText("9999-12-31 23:59:59.999", d, form));
  EXPECT_DOUBLE_EQ(d, At(9999, 12, 31, 23, 59, 59, 999));
  ASSERT_TRUE(ParseSQLiteDateText("2024-01-31 00:00:00", d, form));
  EXPECT_DOUBLE_EQ(d, At(2024, 1, 31));
  for (const char* good : {"2024-12-01", "10:30+14:00", "10:30-14:59", "10:30+00:00"}) {
    EXPECT_TRUE(ParseSQLiteDateText(good, d, form)) << good;
  }
  for (const char* bad : {"0000-01-01", "2024-00-01", "2024-12-32", "2024-04-31", "2024-01-00", "24:00", "23:60",
                          "23:59:60", "10:30+15:00", "10:30+14:60", "10:30+2:00", "10:30 +02:00"}) {
    EXPECT_FALSE(ParseSQLiteDateText(bad, d, form)) << bad;
  }
}

TEST(SQLiteDates, JulianDaysAreTheNumbersFromYearOneToYear9999) {
  TDateTime d = 0;
  SQLiteDateForm::Kind kind{};
  ASSERT_TRUE(SQLiteNumberToDate(1721425.5, d, kind));
  EXPECT_EQ(kind, SQLiteDateForm::Kind::Julian);
  EXPECT_DOUBLE_EQ(d, EncodeDate(1, 1, 1));
  ASSERT_TRUE(SQLiteNumberToDate(1721425.0, d, kind)) << "half a day before year one: seconds since 1970";
  EXPECT_EQ(kind, SQLiteDateForm::Kind::Unix);
  EXPECT_DOUBLE_EQ(d, At(1970, 1, 20, 22, 10, 25));
  ASSERT_TRUE(SQLiteNumberToDate(5373484.25, d, kind));
  EXPECT_EQ(kind, SQLiteDateForm::Kind::Julian);
  EXPECT_DOUBLE_EQ(d, At(9999, 12, 31, 18));
  ASSERT_TRUE(SQLiteNumberToDate(5373484.5, d, kind)) << "the first moment of year 10000 is no Julian day";
  EXPECT_EQ(kind, SQLiteDateForm::Kind::Unix);
  EXPECT_DOUBLE_EQ(DateToUnixTime(d), 5373484.5);
  // Unix seconds reach from year one to the end of 9999 too.
  const double last_second = (At(9999, 12, 31, 23, 59, 59) - 25569.0) * 86400.0;
  ASSERT_TRUE(SQLiteNumberToDate(last_second, d, kind));
  EXPECT_DOUBLE_EQ(d, At(9999, 12, 31, 23, 59, 59));
  EXPECT_FALSE(SQLiteNumberToDate(last_second + 1, d, kind)) << "year 10000";
  const double first_second = (EncodeDate(1, 1, 1) - 25569.0) * 86400.0;
  ASSERT_TRUE(SQLiteNumberToDate(first_second, d, kind));
  EXPECT_DOUBLE_EQ(d, EncodeDate(1, 1, 1));
  EXPECT_FALSE(SQLiteNumberToDate(first_second - 1, d, kind)) << "year zero";
}

TEST(SQLiteDates, NumbersAreJulianDaysInTheirRangeElseUnixSeconds) {
  TDateTime d = 0;
  SQLiteDateForm::Kind kind{};
  ASSERT_TRUE(SQLiteNumberToDate(2460314.5, d, kind));
  EXPECT_EQ(kind, SQLiteDateForm::Kind::Julian);
  EXPECT_DOUBLE_EQ(d, At(2024, 1, 5));
  EXPECT_DOUBLE_EQ(DateToJulianDay(d), 2460314.5);
  ASSERT_TRUE(SQLiteNumberToDate(1704450600, d, kind));
  EXPECT_EQ(kind, SQLiteDateForm::Kind::Unix);
  EXPECT_DOUBLE_EQ(DateToUnixTime(d), 1704450600);
  ASSERT_TRUE(SQLiteNumberToDate(-86400.0 * 365 * 100, d, kind)) << "before 1899 too";
  EXPECT_DOUBLE_EQ(DateToUnixTime(d), -86400.0 * 365 * 100);
  EXPECT_FALSE(SQLiteNumberToDate(1e15, d, kind)) << "beyond the year 9999";
}

TEST(SQLiteTypes, CellsCorrectTheDeclaredType) {
  int size = 0;
  SQLiteColumnContents ints{3, 0, 0, 0, -5, 5'000'000'000};
  EXPECT_EQ(ChooseFieldType(TFieldType::ftInteger, ints, size), TFieldType::ftLargeint);
  EXPECT_EQ(ChooseFieldType(TFieldType::ftUnknown, ints, size), TFieldType::ftLargeint);
  SQLiteColumnContents small{3, 0, 0, 0, -5, 40'000};
  EXPECT_EQ(ChooseFieldType(TFieldType::ftSmallint, small, size), TFieldType::ftInteger);
  EXPECT_EQ(ChooseFieldType(TFieldType::ftUnknown, small, size), TFieldType::ftInteger);
  SQLiteColumnContents mixed{3, 1, 0, 0, 0, 9};
  EXPECT_EQ(ChooseFieldType(TFieldType::ftInteger, mixed, size), TFieldType::ftFloat);
  SQLiteColumnContents texts{3, 0, 1, 0, 0, 9};
  EXPECT_EQ(ChooseFieldType(TFieldType::ftInteger, texts, size), TFieldType::ftString);
  EXPECT_EQ(size, 0);
  SQLiteColumnContents blobs{0, 0, 0, 2, 0, 0};
  EXPECT_EQ(ChooseFieldType(TFieldType::ftUnknown, blobs, size), TFieldType::ftBlob);
  SQLiteColumnContents huge{2, 0, 0, 0, 0, INT64_MAX};
  EXPECT_EQ(ChooseFieldType(TFieldType::ftBCD, huge, size), TFieldType::ftLargeint) << "beyond currency, exact";
  SQLiteColumnContents flags{2, 0, 0, 0, 0, 2};
  EXPECT_EQ(ChooseFieldType(TFieldType::ftBoolean, flags, size), TFieldType::ftInteger) << "2 is no boolean";
  EXPECT_EQ(WidenFieldType(TFieldType::ftDate, SQLITE_TEXT), TFieldType::ftString);
  EXPECT_EQ(WidenFieldType(TFieldType::ftInteger, SQLITE_INTEGER), TFieldType::ftLargeint);
}

// Integer cells at and one past the edge of each declared type: the column keeps its type
// while every cell fits and widens otherwise; no cell is ever wrapped into the narrow type.
TEST(SQLiteTypes, IntegersAtAndPastTheEdgeOfTheirDeclaredTypeReadBackExactly) {
  const std::string path = testing_support::TempDbPath("edges");
  ASSERT_EQ(WriteDatabase(path,
                          "CREATE TABLE edges (id INTEGER PRIMARY KEY, s_edge SMALLINT, s_over SMALLINT, "
                          "s_under SMALLINT, w_edge WORD, w_over WORD, w_under WORD, i_edge INTEGER, i_over INTEGER);"
                          "INSERT INTO edges VALUES (1, 32767, 40000, -32769, 65535, 65536, -1, 2147483647, 2147483648);"
                          "INSERT INTO edges VALUES (2, -32768, 5, 5, 0, 5, 5, -2147483648, 5);"),
            "");
  {
    TSQLiteTable t(nullptr);
    t.SetDatabaseName(path);
    t.SetTableName("edges");
    t.Open();
    struct Column {
      const char* name;
      TFieldType type;
      const char* first;
      const char* second;
    };
    using enum TFieldType;
    for (const Column& c : {Column{"s_edge", ftSmallint, "32767", "-32768"}, Column{"s_over", ftInteger, "40000", "5"},
                            Column{"s_under", ftInteger, "-32769", "5"}, Column{"w_edge", ftWord, "65535", "0"},
                            Column{"w_over", ftInteger, "65536", "5"}, Column{"w_under", ftInteger, "-1", "5"},
                            Column{"i_edge", ftInteger, "2147483647", "-2147483648"},
                            Column{"i_over", ftLargeint, "2147483648", "5"}}) {
      EXPECT_EQ(t.FieldByName(c.name)->DataType(), c.type) << c.name;
      t.First();
      EXPECT_EQ(t.FieldByName(c.name)->AsString(), c.first) << c.name;
      t.Next();
      EXPECT_EQ(t.FieldByName(c.name)->AsString(), c.second) << c.name;
    }
  }
  std::remove(path.c_str());
}

// A value the database puts in by itself (a column default) that the field cannot hold is
// refused with the value and the column named, and nothing is stored.
TEST(SQLiteTypes, AValueTheDatabaseAddsBeyondTheFieldIsRefusedAndNotStored) {
  const std::string path = testing_support::TempDbPath("defaults");
  ASSERT_EQ(WriteDatabase(path,
                          "CREATE TABLE parts (id INTEGER PRIMARY KEY, name TEXT, qty SMALLINT DEFAULT 40000);"
                          "INSERT INTO parts VALUES (1, 'bolt', 12);"),
            "");
  {
    TSQLiteTable t(nullptr);
    t.SetDatabaseName(path);
    t.SetTableName("parts");
    t.Open();
    ASSERT_EQ(t.FieldByName("qty")->DataType(), TFieldType::ftSmallint);
    t.Append();
    t.FieldByName("name")->SetAsString("nut");
    try {
      t.Post();
      FAIL() << "the default 40000 was taken into a small integer field";
    } catch (const EDatabaseError& e) {
      EXPECT_EQ(e.Message(),
                "The database stored 40000 in column 'qty', which this field cannot show; the change was not stored");
    }
    t.Cancel();
    EXPECT_EQ(t.RecordCount(), 1);
  }
  EXPECT_EQ(RawCell(path, "SELECT count(*) AS x FROM parts"), "integer:1");
  std::remove(path.c_str());
}

TEST(SQLiteOpen, FilesThatAreNoDatabaseAreNamedAsSuch) {
  const std::string path = testing_support::TempDbPath("text");
  {
    std::ofstream out(path);
    out << "name,city\nWeber,Berlin\n";
  }
  try {
    SQLiteConnection c(path);
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), path + " is not an SQLite database");
  }
  std::remove(path.c_str());
  try {
    SQLiteConnection c("/tmp");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "/tmp is a directory, not a database file");
  }
}

TEST(LargeintField, ConvertsTextsAndValuesOverTheWholeRange) {
  TLargeintField f(nullptr);
  f.SetFieldName("big");
  EXPECT_EQ(f.Convert(Variant("9223372036854775807")), Variant(std::int64_t{INT64_MAX}));
  EXPECT_EQ(f.Convert(Variant(std::int32_t{-3})), Variant(std::int64_t{-3}));
  EXPECT_EQ(f.Convert(Variant(1e10)), Variant(std::int64_t{10'000'000'000}));
  EXPECT_THROW(f.Convert(Variant("9223372036854775808")), EDatabaseError);
  EXPECT_THROW(f.Convert(Variant("12x")), EConvertError);
  EXPECT_TRUE(f.IsValidChar(U'7'));
  EXPECT_FALSE(f.IsValidChar(U'.'));
  EXPECT_EQ(StorageKindOf(TFieldType::ftLargeint), TStorageKind::skInt64);
}

}  // namespace
}  // namespace vantor

namespace vantor {
namespace {

TEST(SQLiteKeys, ATableWhoseColumnsTakeEveryRowidNameIsReadAndChangedByItsKey) {
  const std::string path = testing_support::TempDbPath("shadow");
  ASSERT_EQ(WriteDatabase(path,
                          "CREATE TABLE t (rowid TEXT, _rowid_ TEXT, oid TEXT, k INTEGER PRIMARY KEY);"
                          "CREATE TABLE u (rowid TEXT, _rowid_ TEXT, oid TEXT);"
                          "INSERT INTO t VALUES ('a', 'b', 'c', 1); INSERT INTO u VALUES ('a', 'b', 'c');"),
            "");
  {
    TSQLiteTable t(nullptr);
    t.SetDatabaseName(path);
    t.SetTableName("t");
    t.Open();
    t.Edit();
    t.FieldByName("oid")->SetAsString("z");
    t.Post();
    t.Close();
    t.Open();
    EXPECT_EQ(t.FieldByName("oid")->AsString(), "z") << "found again by its primary key";
    EXPECT_EQ(t.FieldByName("rowid")->AsString(), "a");
  }
  {
    TSQLiteTable u(nullptr);
    u.SetDatabaseName(path);
    u.SetTableName("u");
    u.Open();
    EXPECT_EQ(u.FieldByName("rowid")->AsString(), "a") << "the column, not the rowid";
    u.Edit();
    u.FieldByName("oid")->SetAsString("z");
    try {
      u.Post();
      FAIL() << "no key: the change could not find its row";
    } catch (const EDatabaseError& e) {
      EXPECT_NE(e.Message().find("can be read but not changed"), std::string::npos) << e.Message();
    }
    u.Cancel();
  }
  std::remove(path.c_str());
}

}  // namespace
}  // namespace vantor
