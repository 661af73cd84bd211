#include "shared_table_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include <vantor/platform/data/table.h>
#include <vantor/platform/rtl/exceptions.h>

namespace vantor::testing_support {

namespace {

// A row as "k|ident|v", the form both the other program and the data set give.
using Row = std::string;

std::string KeyOf(const Row& row) { return row.substr(0, row.find('|')); }
std::string IdentOf(const Row& row) {
  const std::size_t first = row.find('|');
  return row.substr(first + 1, row.find('|', first + 1) - first - 1);
}

std::string ValueOf(const Row& row) { return row.substr(row.rfind('|') + 1); }

class Run {
 public:
  Run(SharedTableBackend& backend, unsigned seed) : backend_(backend), rng_(seed) {}

  SharedTableRun Go(int steps) {
    backend_.OtherExec(backend_.CreateTable());
    for (int i = 0; i < 12; ++i) OtherInsert(std::to_string(next_key_++));
    table_ = backend_.Open();
    if (table_->IndexFieldNames() != backend_.OrderField()) table_->SetIndexFieldNames(backend_.OrderField());
    AfterReading();
    for (result_.steps = 0; result_.steps < steps && !::testing::Test::HasFatalFailure(); ++result_.steps) {
      SCOPED_TRACE("step " + std::to_string(result_.steps));
      if (Pick(10) < 4) OtherStep();
      else OwnStep();
    }
    return result_;
  }

 private:
  enum class Write { kEditValue, kEditKey, kDelete, kInsert };

  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

  // The table as the other program sees it now, sorted; every row joins the history.
  std::vector<Row> Snapshot() {
    std::vector<Row> rows = backend_.OtherRows("SELECT k, ident, v FROM shared");
    std::sort(rows.begin(), rows.end());
    history_.insert(rows.begin(), rows.end());
    return rows;
  }
  Row Shown() const {
    if (table_->IsEmpty()) return "";
    return table_->FieldByName("k")->AsString() + "|" + table_->FieldByName("ident")->AsString() + "|" +
           table_->FieldByName("v")->AsString();
  }
  // A key for a new row or a changed one: a fresh one, one a deleted row had, or one
  // in use (which the key's uniqueness may refuse).
  std::string SomeKey(const std::vector<Row>& rows) {
    const int choice = Pick(4);
    if (choice == 0 && !free_keys_.empty()) return free_keys_[static_cast<std::size_t>(Pick(static_cast<int>(free_keys_.size())))];
    if (choice == 1 && !rows.empty()) return KeyOf(rows[static_cast<std::size_t>(Pick(static_cast<int>(rows.size())))]);
    return std::to_string(next_key_++);
  }

  void OtherInsert(const std::string& key) {
    try {
      backend_.OtherExec("INSERT INTO shared (k, ident, v) VALUES ('" + key + "', " + std::to_string(next_ident_++) + ", " +
                         std::to_string(Pick(100)) + ")");
    } catch (const std::exception&) {
      // The key is taken: the other program's insert is refused, as it would be.
    }
  }

  void OtherStep() {
    const std::vector<Row> rows = Snapshot();
    const Row victim = rows.empty() ? "" : rows[static_cast<std::size_t>(Pick(static_cast<int>(rows.size())))];
    const std::string where = " WHERE ident = " + IdentOf(victim);
    switch (Pick(6)) {
      case 0: OtherInsert(SomeKey(rows)); break;
      case 1:
        if (victim.empty()) break;
        backend_.OtherExec("DELETE FROM shared" + where);
        free_keys_.push_back(KeyOf(victim));
        break;
      case 2:
        if (!victim.empty()) backend_.OtherExec("UPDATE shared SET v = " + std::to_string(Pick(100)) + where);
        break;
      case 3:
        if (victim.empty()) break;
        try {
          backend_.OtherExec("UPDATE shared SET k = '" + SomeKey(rows) + "'" + where);
          free_keys_.push_back(KeyOf(victim));
        } catch (const std::exception&) {
        }
        break;
      case 4: {
        // The newest row goes and another comes: where rows are numbered by the
        // database, the new one takes the number the old one had.
        const std::vector<Row> newest = backend_.OtherRows("SELECT k FROM shared ORDER BY ident DESC LIMIT 1");
        if (newest.empty()) break;
        backend_.OtherExec("DELETE FROM shared WHERE k = '" + newest[0] + "'");
        free_keys_.push_back(newest[0]);
        OtherInsert(std::to_string(next_key_++));
        break;
      }
      default:
        if (extra_columns_ < 2) {
          backend_.OtherExec("ALTER TABLE shared ADD COLUMN extra" + std::to_string(extra_columns_++) + " INTEGER DEFAULT 7");
        }
        break;
    }
    Snapshot();
  }

  void OwnStep() {
    switch (Pick(9)) {
      case 0:
        if (Pick(2) == 0) table_->First();
        else table_->MoveBy(Pick(7) - 3);
        break;
      case 1: {
        const std::vector<Row> rows = Snapshot();
        table_->SetKey();
        const bool by_key = backend_.OrderField() == "k";
        table_->FieldByName(backend_.OrderField())->SetAsString(by_key ? SomeKey(rows) : std::to_string(Pick(200)));
        table_->GotoNearest();
        break;
      }
      case 2: DoWrite(Write::kEditValue); break;
      case 3: DoWrite(Write::kEditKey); break;
      case 4: DoWrite(Write::kDelete); break;
      case 5: DoWrite(Write::kInsert); break;
      case 6:
        backend_.Reread(*table_);
        AfterReading();
        break;
      default: CheckReading(false); break;
    }
  }

  void DoWrite(Write write) {
    if (write != Write::kInsert && table_->IsEmpty()) return;
    const std::vector<Row> before = Snapshot();
    const Row shown = Shown();
    const int count = table_->RecordCount();
    const std::string value = std::to_string(100 + Pick(100));
    const std::string key = SomeKey(before);
    const std::string ident = std::to_string(next_ident_++);
    TField* k = table_->FieldByName("k");
    const bool key_given = k->DataType() != TFieldType::ftAutoInc;
    bool done = true;
    try {
      switch (write) {
        case Write::kEditValue:
          table_->Edit();
          table_->FieldByName("v")->SetAsString(value);
          break;
        case Write::kEditKey:
          if (!key_given) return;
          table_->Edit();
          k->SetAsString(key);
          break;
        case Write::kDelete: table_->Delete(); break;
        case Write::kInsert:
          table_->Append();
          if (key_given) k->SetAsString(key);
          table_->FieldByName("ident")->SetAsString(ident);
          table_->FieldByName("v")->SetAsString(value);
          break;
      }
      if (write != Write::kDelete) table_->Post();
    } catch (const EDatabaseError& e) {
      done = false;
      EXPECT_FALSE(e.Message().empty());
      table_->Cancel();
    }
    const std::vector<Row> after = Snapshot();
    if (!done) {
      ++result_.writes_refused;
      EXPECT_EQ(after, before) << "a refused write changed the table";
      // Read on demand, a delete reads the record that is to become current before it asks.
      if (backend_.ReadsWhole()) {
        EXPECT_EQ(table_->RecordCount(), count) << "a refused write changed the rows held";
      }
      EXPECT_GE(table_->RecordCount(), count) << "a refused write dropped rows held";
      if (write != Write::kInsert) {
        EXPECT_EQ(Shown(), shown) << "a refused write moved or changed the record";
      }
      return;
    }
    ++result_.writes_done;
    std::vector<Row> expected = before;
    if (write == Write::kInsert) {
      std::vector<Row> added;
      std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(added));
      ASSERT_EQ(added.size(), 1u) << "an insert added another number of rows";
      const Row inserted = (key_given ? key : KeyOf(added[0])) + "|" + ident + "|" + value;
      EXPECT_EQ(added[0], inserted);
      expected.push_back(inserted);
      std::sort(expected.begin(), expected.end());
      EXPECT_EQ(after, expected);
      EXPECT_EQ(Shown(), inserted);
      return;
    }
    // The row the data set showed, as the table held it just before the write.
    auto target = std::find_if(expected.begin(), expected.end(), [&](const Row& row) {
      return backend_.KeyIdentifies() ? KeyOf(row) == KeyOf(shown) : row == shown;
    });
    // A post that changes no field has nothing to write, wherever the row went.
    const bool changes = write == Write::kDelete || (write == Write::kEditKey ? key != KeyOf(shown) : value != ValueOf(shown));
    if (!changes) {
      EXPECT_EQ(after, before) << "a post without a change wrote";
      return;
    }
    ASSERT_NE(target, expected.end()) << "a write was reported done though the row shown, " << shown << ", had gone";
    if (write == Write::kDelete) {
      expected.erase(target);
    } else {
      const std::string ident_now = IdentOf(*target);
      const std::string old_value = ValueOf(*target);
      *target = write == Write::kEditKey ? key + "|" + ident_now + "|" + old_value
                                          : KeyOf(*target) + "|" + ident_now + "|" + value;
      // The record shows what the table holds now.
      EXPECT_EQ(Shown(), *target);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(after, expected) << "the write changed other rows than the one shown, " << shown;
  }

  // A data set that reads on demand is left holding part of the rows, so that the other
  // program's next steps fall between its windows.
  void AfterReading() {
    if (backend_.ReadsWhole()) CheckReading(true);
  }

  // Walks the data set, forward and back in turn: no row twice, none that never was;
  // after a reading of every row, exactly the table.
  void CheckReading(bool just_read) {
    const bool back = ++result_.readings % 2 == 0;
    const std::vector<Row> now = Snapshot();
    std::vector<Row> seen;
    for (back ? table_->Last() : table_->First(); !(back ? table_->Bof() : table_->Eof());
         back ? table_->Prior() : table_->Next()) {
      seen.push_back(Shown());
    }
    std::set<std::string> idents, keys;
    // Where the key names a row, a row the other program re-keyed is a new row, and the
    // old key's copy one that was deleted: the key may not show twice. Elsewhere a row is
    // what it holds, and its ident may not.
    for (const Row& row : seen) {
      if (backend_.KeyIdentifies()) {
        EXPECT_TRUE(keys.insert(KeyOf(row)).second) << "key shown twice: " << row;
      } else {
        EXPECT_TRUE(idents.insert(IdentOf(row)).second) << "row shown twice: " << row;
      }
      EXPECT_TRUE(history_.count(row) > 0) << "a row that never existed: " << row;
    }
    if (just_read && backend_.ReadsWhole()) {
      std::sort(seen.begin(), seen.end());
      EXPECT_EQ(seen, now) << "a reading of the whole table shows another table";
    }
  }

  SharedTableBackend& backend_;
  std::mt19937 rng_;
  std::unique_ptr<TTable> table_;
  std::set<Row> history_;
  std::vector<std::string> free_keys_;
  int next_key_ = 1;
  int next_ident_ = 1;
  int extra_columns_ = 0;
  SharedTableRun result_;
};

}  // namespace

SharedTableRun RunSharedTable(SharedTableBackend& backend, unsigned seed, int steps) {
  return Run(backend, seed).Go(steps);
}

}  // namespace vantor::testing_support
