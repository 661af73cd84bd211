// A SQLite table open here while another program writes to the same file, in random
// steps (see support/shared_table_harness.h), over each way a table's rows are found.

#include <gtest/gtest.h>

#include <cstdio>
#include <iostream>
#include <memory>

#include <vantor/platform/data/sqlite_table.h>
#include "support/other_program.h"
#include "support/people.h"
#include "support/sqlite_file.h"
#include "support/shared_table_harness.h"

namespace vantor {
namespace {

using testing_support::SharedTableRun;

class SQLiteShared : public testing_support::SharedTableBackend {
 public:
  SQLiteShared(const char* columns, bool key_identifies) : columns_(columns), key_identifies_(key_identifies) {}
  ~SQLiteShared() override { std::remove(path_.c_str()); }

  std::string CreateTable() const override { return std::string("CREATE TABLE shared ") + columns_; }
  bool KeyIdentifies() const override { return key_identifies_; }
  bool ReadsWhole() const override { return true; }
  void OtherExec(const std::string& sql) override { other_.Exec(sql); }
  std::vector<std::string> OtherRows(const std::string& sql) override { return other_.Rows(sql); }
  std::unique_ptr<TTable> Open() override {
    auto table = std::make_unique<TSQLiteTable>(nullptr);
    table->SetDatabaseName(path_);
    table->SetTableName("shared");
    table->Open();
    return table;
  }
  void Reread(TTable& table) override {
    table.Close();
    table.Open();
  }

 private:
  const char* columns_;
  bool key_identifies_;
  std::string path_ = testing_support::TempDbPath("shared");
  testing_support::OtherProgram other_{path_};
};

TEST(SQLiteSharedTable, WritesReachTheRowShownOrAreRefusedWhateverAnotherProgramDoesInBetween) {
  struct Layout {
    const char* name;
    const char* columns;
    bool key_identifies;
  };
  const Layout layouts[] = {
      {"text primary key", "(k TEXT PRIMARY KEY, ident INTEGER, v INTEGER)", true},
      {"integer primary key", "(k INTEGER PRIMARY KEY, ident INTEGER, v INTEGER)", true},
      {"without rowid", "(k TEXT PRIMARY KEY, ident INTEGER, v INTEGER) WITHOUT ROWID", true},
      {"no key", "(k INTEGER, ident INTEGER, v INTEGER)", false},
  };
  for (const Layout& variant : layouts) {
    SharedTableRun total;
    for (unsigned seed = 1; seed <= 6; ++seed) {
      SCOPED_TRACE(std::string(variant.name) + ", seed " + std::to_string(seed));
      SQLiteShared backend(variant.columns, variant.key_identifies);
      total += testing_support::RunSharedTable(backend, seed, 150);
      if (HasFailure()) return;
    }
    std::cout << "[ shared ] SQLite, " << variant.name << ": " << total.steps << " steps, " << total.writes_done
              << " writes done, " << total.writes_refused << " refused, " << total.readings << " readings checked\n";
    EXPECT_GT(total.writes_done, 0);
    EXPECT_GT(total.writes_refused, 0);
  }
}

}  // namespace
}  // namespace vantor
