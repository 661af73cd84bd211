// SQLite tables and queries while the disk fails: each file call an operation makes is
// failed in turn, with each kind of error a disk gives. Whatever fails, the file stays
// sound, a change is stored whole or not at all, the data set says which (success or a
// sentence) and then holds exactly the file's row, and it works again once the disk does.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include <vantor/platform/data/sqlite_query.h>
#include <vantor/platform/data/sqlite_table.h>
#include <vantor/platform/rtl/exceptions.h>
#include "support/faulty_vfs.h"
#include "support/other_program.h"
#include "support/people.h"
#include "support/sqlite_file.h"

namespace vantor {
namespace {

using testing_support::FaultyVfs;
using testing_support::IoFault;
using testing_support::OtherProgram;

// One operation, done on a table opened on the record of Adams (id 3) when `opens` is
// false. `check` compares the data set with the file after `run` succeeded (`stored`)
// or raised; a failed run has been cancelled first.
struct Operation {
  const char* name;
  bool opens;
  std::function<void(TSQLiteTable&)> run;
  std::function<void(TSQLiteTable&, OtherProgram&, bool stored)> check;
};

void GoToAdams(TSQLiteTable& t) {
  for (t.First(); !t.Eof(); t.Next()) {
    if (t.FieldByName("id")->AsInteger() == 3) return;
  }
  FAIL() << "Adams is missing";
}

std::string Amount(OtherProgram& file, int id) {
  const auto rows = file.Rows("SELECT amount FROM people WHERE id = " + std::to_string(id));
  return rows.empty() ? "(none)" : rows[0];
}

const std::vector<Operation>& Operations() {
  static const std::vector<Operation> operations = {
      {"open", true, [](TSQLiteTable& t) { t.Open(); },
       [](TSQLiteTable& t, OtherProgram&, bool stored) {
         EXPECT_EQ(t.Active(), stored);
         if (stored) {
           EXPECT_EQ(t.RecordCount(), testing_support::kPeopleRows);
         }
       }},
      {"seek", false,
       [](TSQLiteTable& t) {
         t.SetIndexName("by_name");
         EXPECT_TRUE(t.FindKey({Variant("Miller")}));
       },
       [](TSQLiteTable& t, OtherProgram&, bool) { EXPECT_EQ(t.FieldByName("name")->AsString(), "Miller"); }},
      {"edit and post", false,
       [](TSQLiteTable& t) {
         t.Edit();
         t.FieldByName("amount")->SetAsString("1234.5");
         t.Post();
       },
       [](TSQLiteTable& t, OtherProgram& file, bool stored) {
         EXPECT_EQ(Amount(file, 3), stored ? "1234.5" : "75.25");
         EXPECT_EQ(t.FieldByName("amount")->AsFloat(), stored ? 1234.5 : 75.25);
       }},
      {"insert", false,
       [](TSQLiteTable& t) {
         t.Append();
         t.FieldByName("name")->SetAsString("Nova");
         t.Post();
       },
       [](TSQLiteTable& t, OtherProgram& file, bool stored) {
         EXPECT_EQ(file.Rows("SELECT count(*) FROM people WHERE name = 'Nova'")[0], stored ? "1" : "0");
         EXPECT_EQ(t.RecordCount(), testing_support::kPeopleRows + (stored ? 1 : 0));
       }},
      {"delete", false, [](TSQLiteTable& t) { t.Delete(); },
       [](TSQLiteTable& t, OtherProgram& file, bool stored) {
         EXPECT_EQ(Amount(file, 3), stored ? "(none)" : "75.25");
         EXPECT_EQ(t.RecordCount(), testing_support::kPeopleRows - (stored ? 1 : 0));
         if (!stored) {
           EXPECT_EQ(t.FieldByName("id")->AsInteger(), 3);
         }
       }},
  };
  return operations;
}

class SQLiteIoFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    template_ = testing_support::TempDbPath("io_template");
    testing_support::WritePeopleDatabase(template_);
    path_ = testing_support::TempDbPath("io_faults");
  }
  void TearDown() override {
    std::remove(template_.c_str());
    std::remove(path_.c_str());
    std::remove((path_ + "-journal").c_str());
  }

  // A fresh copy of the people file and a table on it, opened on Adams unless the
  // operation opens it itself.
  void Prepare(TSQLiteTable& table, const Operation& operation) {
    std::filesystem::copy_file(template_, path_, std::filesystem::copy_options::overwrite_existing);
    table.SetDatabaseName(path_);
    table.SetTableName("people");
    if (operation.opens) return;
    table.Open();
    GoToAdams(table);
  }

  // Runs `operation` with the nth call of kind `fault` failing; the calls counted.
  // `refusals` counts the runs that raised.
  int RunOnce(const Operation& operation, IoFault fault, int nth) {
    TSQLiteTable table(nullptr);
    Prepare(table, operation);
    vfs_.Arm(fault, nth);
    bool stored = true;
    try {
      operation.run(table);
    } catch (const EDatabaseError& e) {
      stored = false;
      ++refusals_;
      EXPECT_TRUE(vfs_.Fired()) << "failed with no fault: " << e.Message();
      EXPECT_FALSE(e.Message().empty());
      if (table.Active()) table.Cancel();
    }
    const int calls = vfs_.Calls();
    vfs_.Arm(fault, 0);
    OtherProgram file(path_);
    EXPECT_EQ(file.Rows("PRAGMA integrity_check"), std::vector<std::string>{"ok"});
    operation.check(table, file, stored);
    if (!stored) {
      // The disk works again: so does the data set, from where it was left.
      if (!operation.opens) {
        table.Close();
        table.Open();
        GoToAdams(table);
      }
      operation.run(table);
      operation.check(table, file, true);
    }
    return calls;
  }

  std::string template_;
  std::string path_;
  FaultyVfs vfs_;
  int refusals_ = 0;
};

TEST_F(SQLiteIoFaults, EveryFailingFileCallLeavesTheFileSoundAndTheChangeWholeOrAbsent) {
  for (const Operation& operation : Operations()) {
    int points = 0;
    refusals_ = 0;
    for (IoFault fault : testing_support::kIoFaults) {
      const int calls = RunOnce(operation, fault, 0);
      for (int nth = 1; nth <= calls; ++nth) {
        SCOPED_TRACE(std::string(operation.name) + ": " + testing_support::IoFaultName(fault) + " at call " +
                     std::to_string(nth));
        RunOnce(operation, fault, nth);
        ++points;
        if (HasFailure()) return;
      }
    }
    std::cout << "[ io faults ] " << operation.name << ": " << points << " fault points, " << refusals_
              << " refused with a sentence, the rest survived by SQLite; all sound\n";
    // Every operation but the seek (the rows are in memory) reaches the file.
    if (std::string(operation.name) != "seek") {
      EXPECT_GT(refusals_, 0) << operation.name;
    }
  }
}

}  // namespace
}  // namespace vantor
