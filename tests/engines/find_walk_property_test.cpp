// Find next against the record test, on random tables: whatever the index (ascending or
// descending, case-sensitive or not, one or two fields) and whatever the criteria (exact,
// initial, substring, ranges, either case rule), the records that find first and find
// next visit are exactly those the record test accepts, each once, in index order, in
// every walking mode, on the in-memory table and on a table of a SQLite file.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <vantor/engines/find_panel.h>
#include "engines/support/contacts.h"
#include "engines/support/harness.h"
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/data/sqlite_table.h>
#include "support/sqlite_file.h"

namespace vantor::engines_test {
namespace {

using testing_support::SqlLiteral;
using testing_support::SQLiteExec;
using testing_support::TempDbPath;

// Mixed-case duplicates, accented letters in both cases, the characters between "Z" and
// "a" (where byte order and case-free order disagree), prefixes of one another.
const std::vector<const char*> kTexts = {
    "smith", "Smith", "SMITH",  "sm\xC3\xADth", "SM\xC3\x8DTH", "\xC3\x89mile", "\xC3\xA9mile", "emile",
    "ab",    "Ab",    "AB",     "abc",          "a_b",          "A_B",          "a[",           "zz",
    "_x",    "Z",     "\xC3\xA9", "\xC3\x89",   "zo\xC3\xAB",   "ZO\xC3\x8B",   "b",            "B",
    "Bob",   "bob",   "smithers",
    // A dotless i, whose capital "I" has fewer bytes, and a dotted capital I, whose
    // lower case letter is plain "i": character counts and byte counts part here.
    "\xC4\xB1Z", "\xC4\xB1" "a", "IA", "Ia", "\xC4\xB0" "b", "ib"};

struct RandomRow {
  int id;
  const char* a;  // null: NULL
  const char* b;
  int n;  // -1: NULL
  bool operator==(const RandomRow&) const = default;
};

struct IndexShape {
  std::string name;
  std::string fields;
  bool descending;
  bool case_insensitive;
};

std::vector<IndexShape> Shapes() {
  std::vector<IndexShape> shapes;
  for (const char* fields : {"a", "a;b", "n;a", "b;n"}) {
    for (bool desc : {false, true}) {
      for (bool ci : {false, true}) {
        std::string name = std::string("ix_") + fields + (desc ? "_desc" : "_asc") + (ci ? "_ci" : "_cs");
        for (char& c : name) {
          if (c == ';') c = '_';
        }
        shapes.push_back({name, fields, desc, ci});
      }
    }
  }
  return shapes;
}

std::vector<RandomRow> MakeRows(std::mt19937& rng, int count) {
  std::vector<RandomRow> rows;
  auto text = [&]() -> const char* { return rng() % 8 == 0 ? nullptr : kTexts[rng() % kTexts.size()]; };
  for (int id = 1; id <= count; ++id) {
    rows.push_back({id, text(), text(), rng() % 8 == 0 ? -1 : static_cast<int>(rng() % 10)});
  }
  return rows;
}

TTable* MemoryTable(const std::vector<RandomRow>& rows) {
  auto* table = new TTable(nullptr);
  table->FieldDefs().Add("id", TFieldType::ftInteger);
  table->FieldDefs().Add("a", TFieldType::ftString, 12);
  table->FieldDefs().Add("b", TFieldType::ftString, 12);
  table->FieldDefs().Add("n", TFieldType::ftInteger);
  for (const IndexShape& s : Shapes()) {
    TIndexOptions options;
    if (s.descending) options.Include(ixDescending);
    if (s.case_insensitive) options.Include(ixCaseInsensitive);
    table->IndexDefs().Add(s.name, s.fields, options);
  }
  table->Open();
  for (const RandomRow& r : rows) {
    table->Append();
    table->FieldByName("id")->SetAsInteger(r.id);
    if (r.a != nullptr) table->FieldByName("a")->SetAsString(r.a);
    if (r.b != nullptr) table->FieldByName("b")->SetAsString(r.b);
    if (r.n >= 0) table->FieldByName("n")->SetAsInteger(r.n);
    table->Post();
  }
  table->Close();
  return table;
}

// Writes the rows and every index into a new SQLite file.
void WriteDatabase(const std::vector<RandomRow>& rows, const std::string& path) {
  std::string sql = "BEGIN; CREATE TABLE t (id INTEGER, a VARCHAR(12), b VARCHAR(12), n INTEGER);";
  for (const RandomRow& r : rows) {
    sql += "INSERT INTO t VALUES (" + std::to_string(r.id) + ", " + SqlLiteral(r.a) + ", " + SqlLiteral(r.b) + ", " +
           (r.n < 0 ? std::string("NULL") : std::to_string(r.n)) + ");";
  }
  for (const IndexShape& s : Shapes()) {
    std::string columns;
    std::stringstream names(s.fields);
    for (std::string column; std::getline(names, column, ';');) {
      if (!columns.empty()) columns += ", ";
      columns += column;
      if (s.case_insensitive && column != "n") columns += " COLLATE NOCASE";
      if (s.descending) columns += " DESC";
    }
    sql += "CREATE INDEX " + s.name + " ON t (" + columns + ");";
  }
  SQLiteExec(path, sql + "COMMIT");
}

TTable* SQLiteTable(const std::string& path) {
  auto* table = new TSQLiteTable(nullptr);
  table->SetDatabaseName(path);
  table->SetTableName("t");
  return table;
}

// One random criterion on a field, with its description for failure messages.
void EnterCriterion(TFieldRecord& r, std::mt19937& rng, bool single, std::string& said) {
  const bool text = r.GetFieldName() != "n";
  auto value = [&]() -> Variant {
    if (!text) return Variant(static_cast<std::int32_t>(rng() % 10));
    std::string s = kTexts[rng() % kTexts.size()];
    // A prefix now and then, so initial matches have several candidates.
    if (rng() % 3 == 0 && s.size() > 1 && (static_cast<unsigned char>(s[1]) & 0xC0) != 0x80) s.resize(1);
    return Variant(s);
  };
  const bool range = !single && rng() % 3 == 0;
  const TCompareType compare =
      text ? static_cast<TCompareType>(std::discrete_distribution<int>({5, 4, 1})(rng)) : ctExact;
  const bool ci = rng() % 2 == 0;
  r.SetCount(range ? coTwo : coOne);
  r.SetCompare(compare);
  r.SetCaseInsensitive(ci);
  Variant low = value();
  Variant high = value();
  if (range) {
    if (rng() % 4 == 0) low = Variant::Null();
    else if (rng() % 4 == 0) high = Variant::Null();
    if (!low.IsNull() && !high.IsNull() && VarCompare(low, high) > 0) std::swap(low, high);
  }
  r.SetValues(0, low);
  r.SetValues(1, range ? high : Variant::Null());
  said += " " + r.GetFieldName() + (range ? "=" + VarToStr(low) + ".." + VarToStr(high) : "=" + VarToStr(low)) +
          " compare " + std::to_string(static_cast<int>(compare)) + (ci ? " ci" : " cs") + ";";
}

struct Rig {
  Rig(TTable* t, const std::string& index) : table(t) {
    table->SetIndexName(index);
    table->Open();
    source.SetDataSet(table.get());
    panel = std::make_unique<TDBFindPanel>(nullptr);
    panel->SetUpdateState(usNone);
    panel->SetDataSource(&source);
  }
  ~Rig() {
    panel.reset();
    source.SetDataSet(nullptr);
  }
  Rig(const Rig&) = delete;
  Rig& operator=(const Rig&) = delete;

  // Find first, then find next until nothing more (a loop shows as a long list).
  Ids Visit() {
    Ids visited;
    panel->SetRestart(true);
    while (panel->Locate() && visited.size() <= static_cast<std::size_t>(table->RecordCount())) {
      visited.push_back(CurrentId(*table));
      panel->SetRestart(false);
    }
    return visited;
  }

  std::unique_ptr<TTable> table;
  TDataSource source{nullptr};
  std::unique_ptr<TDBFindPanel> panel;
};

template <typename MakeTable>
void CheckRandomWalks(MakeTable make_table, unsigned seed) {
  std::mt19937 rng(seed);
  for (int round = 0; round < 6; ++round) {
    const std::vector<RandomRow> rows = MakeRows(rng, 30 + static_cast<int>(rng() % 30));
    for (const IndexShape& shape : Shapes()) {
      Rig rig(make_table(rows), shape.name);
      for (int trial = 0; trial < 6; ++trial) {
        for (TFindOptions mode : {foFast, foNormal, foIndexExact}) {
          // Criteria are entered outside the index modes: there a key record refuses
          // settings that contradict the index by leaving the mode.
          rig.panel->SetFindOptions(foFast);
          rig.panel->ClearValues();
          for (const char* name : {"a", "b", "n"}) rig.panel->FieldByName(name)->SetCount(coNone);
          std::string said;
          const std::string first_key = shape.fields.substr(0, shape.fields.find(';'));
          for (const char* name : {"a", "b", "n"}) {
            // The index modes search from the first key field: it always gets a value there.
            const bool needed = mode == foIndexExact && first_key == name;
            if (needed || rng() % 2 == 0) EnterCriterion(*rig.panel->FieldByName(name), rng, needed, said);
          }
          rig.panel->SetFindOptions(mode);
          const Ids visited = rig.Visit();
          const Ids expected = MatchingIds(*rig.panel, *rig.table);
          ASSERT_EQ(visited, expected) << "seed " << seed << " round " << round << " index " << shape.name
                                       << " mode " << static_cast<int>(mode) << " criteria" << said;
        }
      }
    }
  }
}

TEST(FindWalkProperty, FindNextVisitsExactlyTheAcceptedRecordsInMemory) {
  CheckRandomWalks([](const std::vector<RandomRow>& rows) { return MemoryTable(rows); }, 20261207u);
}

TEST(FindWalkProperty, FindNextVisitsExactlyTheAcceptedRecordsOfASQLiteTable) {
  // One file per set of rows, opened once for each index.
  std::vector<std::string> files;
  std::vector<RandomRow> written;
  CheckRandomWalks(
      [&](const std::vector<RandomRow>& rows) {
        if (files.empty() || written != rows) {
          files.push_back(TempDbPath("walk"));
          WriteDatabase(rows, files.back());
          written = rows;
        }
        return SQLiteTable(files.back());
      },
      7u);
  for (const std::string& f : files) std::remove(f.c_str());
}

}  // namespace
}  // namespace vantor::engines_test
