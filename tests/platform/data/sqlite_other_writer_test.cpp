// A SQLite table open here while another program changes the same file: a write finds
// the row it shows, or refuses with a sentence and changes nothing.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include <vantor/platform/data/sqlite_query.h>
#include <vantor/platform/data/sqlite_table.h>
#include <vantor/platform/rtl/exceptions.h>
#include "support/other_program.h"
#include "support/people.h"
#include "support/sqlite_file.h"

namespace vantor {
namespace {

using testing_support::OtherProgram;

constexpr const char* kRenameC = "UPDATE t SET name = 'y' WHERE name = 'c'";

struct Schema {
  const char* name;
  const char* create;
  bool rowid_is_key;  // a reused rowid is the same row for the table's owner
  const char* rekey;  // gives the row 'c' another identity
};

const Schema kSchemas[] = {
    {"text primary key", "CREATE TABLE t (name TEXT PRIMARY KEY, v INTEGER)", false, kRenameC},
    {"no primary key", "CREATE TABLE t (name TEXT, v INTEGER)", false, kRenameC},
    {"composite key", "CREATE TABLE t (name TEXT, v INTEGER, PRIMARY KEY (v, name))", false, kRenameC},
    {"without rowid", "CREATE TABLE t (name TEXT PRIMARY KEY, v INTEGER) WITHOUT ROWID", false, kRenameC},
    {"integer primary key", "CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT, v INTEGER)", true,
     "UPDATE t SET id = 7 WHERE name = 'c'"},
};

struct Interference {
  const char* name;
  const char* sql;  // done to the row 'c' the data set shows; null: the schema's rekey
  bool reuses_rowid;
};

const Interference kInterferences[] = {
    {"deleted, its rowid reused", "DELETE FROM t WHERE name = 'c'; INSERT INTO t (name, v) VALUES ('z', 26)", true},
    {"deleted", "DELETE FROM t WHERE name = 'c'", false},
    {"re-keyed", nullptr, false},
};

enum class Write { kEdit, kDelete };

class SQLiteOtherWriter : public ::testing::Test {
 protected:
  void SetUp() override { path_ = testing_support::TempDbPath("other_writer"); }
  void TearDown() override { Reset(); }
  void Reset() {
    table_.Close();
    std::remove(path_.c_str());
  }

  // t holds a=1, b=2, c=3; the data set is open on c, its last record.
  void OpenOn(const Schema& schema) {
    {
      OtherProgram setup(path_);
      setup.Exec(std::string(schema.create) + "; INSERT INTO t (name, v) VALUES ('a', 1), ('b', 2), ('c', 3)");
    }
    table_.SetDatabaseName(path_);
    table_.SetTableName("t");
    table_.Open();
    table_.Last();
    ASSERT_EQ(table_.FieldByName("name")->AsString(), "c");
  }
  void Do(Write write) {
    if (write == Write::kDelete) {
      table_.Delete();
      return;
    }
    table_.Edit();
    table_.FieldByName("v")->SetAsInteger(99);
    table_.Post();
  }

  std::string path_;
  TSQLiteTable table_{nullptr};
};

TEST_F(SQLiteOtherWriter, AWriteToARowAnotherProgramChangedIsRefusedAndChangesNothing) {
  for (const Schema& schema : kSchemas) {
    for (const Interference& interference : kInterferences) {
      if (schema.rowid_is_key && interference.reuses_rowid) continue;
      for (Write write : {Write::kEdit, Write::kDelete}) {
        SCOPED_TRACE(std::string(schema.name) + ", row " + interference.name +
                     (write == Write::kEdit ? ", edited" : ", deleted"));
        Reset();
        OpenOn(schema);
        OtherProgram other(path_);
        other.Exec(interference.sql != nullptr ? interference.sql : schema.rekey);
        const std::vector<std::string> before = other.Dump("t");
        try {
          Do(write);
          ADD_FAILURE() << "the write reported success";
        } catch (const EDatabaseError& e) {
          EXPECT_NE(e.Message().find("changed or deleted by another user"), std::string::npos) << e.Message();
        }
        EXPECT_EQ(other.Dump("t"), before) << "the file is as the other program left it";
        table_.Cancel();
        EXPECT_EQ(table_.RecordCount(), 3);
        EXPECT_EQ(table_.FieldByName("name")->AsString(), "c");
        EXPECT_EQ(table_.FieldByName("v")->AsInteger(), 3);
      }
    }
  }
}

TEST_F(SQLiteOtherWriter, ChangesToOtherRowsLeaveTheShownRowWritable) {
  for (const Schema& schema : kSchemas) {
    for (Write write : {Write::kEdit, Write::kDelete}) {
      SCOPED_TRACE(std::string(schema.name) + (write == Write::kEdit ? ", edited" : ", deleted"));
      Reset();
      OpenOn(schema);
      OtherProgram other(path_);
      other.Exec("UPDATE t SET v = 20 WHERE name = 'b'; INSERT INTO t (name, v) VALUES ('d', 4)");
      Do(write);
      const std::vector<std::string> c_rows = other.Rows("SELECT v FROM t WHERE name = 'c'");
      EXPECT_EQ(c_rows, write == Write::kEdit ? std::vector<std::string>{"99"} : std::vector<std::string>{});
      EXPECT_EQ(other.Rows("SELECT name, v FROM t WHERE name <> 'c' ORDER BY name"),
                (std::vector<std::string>{"a|1", "b|20", "d|4"}));
    }
  }
}

TEST_F(SQLiteOtherWriter, WithoutAKeyARowWhoseValuesChangedIsNotOverwritten) {
  OpenOn(kSchemas[1]);
  OtherProgram other(path_);
  other.Exec("UPDATE t SET v = 30 WHERE name = 'c'");
  EXPECT_THROW(Do(Write::kEdit), EDatabaseError);
  table_.Cancel();
  EXPECT_THROW(Do(Write::kDelete), EDatabaseError);
  EXPECT_EQ(other.Rows("SELECT v FROM t WHERE name = 'c'"), std::vector<std::string>{"30"});
}

TEST_F(SQLiteOtherWriter, RowsSharingANullKeyAreNotWrittenThroughIt) {
  {
    OtherProgram setup(path_);
    setup.Exec("CREATE TABLE t (name TEXT PRIMARY KEY, v INTEGER); INSERT INTO t VALUES (NULL, 1), (NULL, 2), ('c', 3)");
  }
  table_.SetDatabaseName(path_);
  table_.SetTableName("t");
  table_.Open();
  OtherProgram other(path_);
  const std::vector<std::string> before = other.Dump("t");
  EXPECT_THROW(Do(Write::kEdit), EDatabaseError);
  table_.Cancel();
  EXPECT_THROW(Do(Write::kDelete), EDatabaseError);
  EXPECT_EQ(other.Dump("t"), before);
  table_.Last();
  Do(Write::kEdit);
  EXPECT_EQ(other.Rows("SELECT v FROM t WHERE name = 'c'"), std::vector<std::string>{"99"});
}

TEST_F(SQLiteOtherWriter, ARowWhoseKeyIsNullIsFoundAgain) {
  {
    OtherProgram setup(path_);
    setup.Exec("CREATE TABLE t (name TEXT PRIMARY KEY, v INTEGER); INSERT INTO t VALUES (NULL, 1), ('c', 3)");
  }
  table_.SetDatabaseName(path_);
  table_.SetTableName("t");
  table_.Open();
  ASSERT_TRUE(table_.FieldByName("name")->IsNull());
  OtherProgram other(path_);
  Do(Write::kEdit);
  EXPECT_EQ(other.Rows("SELECT v FROM t WHERE name IS NULL"), std::vector<std::string>{"99"});
  Do(Write::kDelete);
  EXPECT_EQ(other.Rows("SELECT name FROM t"), std::vector<std::string>{"c"});
}

TEST_F(SQLiteOtherWriter, QueryColumnsWhoseNamesDifferInCaseAreNumbered) {
  {
    OtherProgram setup(path_);
    setup.Exec("CREATE TABLE a (id INTEGER, Name TEXT); CREATE TABLE b (ID INTEGER, name TEXT);"
               "INSERT INTO a VALUES (1, 'x'); INSERT INTO b VALUES (1, 'y')");
  }
  TSQLiteQuery query(nullptr);
  query.SetDatabaseName(path_);
  query.SetSQL("SELECT a.id, b.ID, a.Name, b.name, 5 AS id_1 FROM a JOIN b ON a.id = b.ID");
  query.Open();
  std::vector<std::string> names;
  for (int i = 0; i < query.FieldCount(); ++i) names.push_back(query.Fields(i)->FieldName());
  EXPECT_EQ(names, (std::vector<std::string>{"id", "ID_1", "Name", "name_1", "id_1_1"}));
  EXPECT_EQ(query.FieldByName("name_1")->AsString(), "y");
}

}  // namespace
}  // namespace vantor
