// Index orders kept up to date across Post, Delete and Insert, checked against a plain model
// of the rows: every order a table walks, and every seek it answers, must agree with
// sorting the model's rows by the same rules. Also: sort keys of the row store, numbering
// of auto-increment fields, and emptying a table at once.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <vantor/platform/data/data_link.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/data/row_store.h>
#include <vantor/platform/data/sqlite_table.h>
#include <vantor/platform/data/table.h>
#include <vantor/platform/rtl/exceptions.h>
#include "support/people.h"

namespace vantor {
namespace {

// --- Sort keys of the row store -------------------------------------------------------------

int Sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

// Every pair of cells of a column: distinct keys order as the cells; for exact kinds equal
// keys mean equal cells.
void ExpectKeysFollowCells(const TRowStore& store, int column, RowId rows, bool case_insensitive) {
  const bool exact = TRowStore::SortKeyIsExact(store.Kind(column));
  for (RowId a = 0; a < rows; ++a) {
    for (RowId b = 0; b < rows; ++b) {
      const std::uint64_t ka = store.SortKey(column, a, case_insensitive);
      const std::uint64_t kb = store.SortKey(column, b, case_insensitive);
      const int cells = Sign(store.CompareCells(column, a, b, case_insensitive));
      if (ka != kb) {
        EXPECT_EQ(ka < kb ? -1 : 1, cells) << "rows " << a << " and " << b << " of column " << column;
      } else if (exact) {
        EXPECT_EQ(cells, 0) << "rows " << a << " and " << b << " of column " << column;
      }
      // A Variant of the cell's value has the cell's key.
      std::uint64_t kv = 0;
      ASSERT_TRUE(TRowStore::SortKeyOf(store.Kind(column), store.Get(a, column), case_insensitive, kv));
      EXPECT_EQ(kv, ka);
    }
  }
}

TEST(SortKeys, TextsKeepByteOrderAndFoldedOrder) {
  const std::vector<std::string> texts = {
      "",        std::string("\0", 1), std::string("a\0", 2), "a",         "A",          "ab",
      "aB",      "AB",                 "abcdefg",             "abcdefgh",  "abcdefgh1",  "ABCDEFGH2",
      "abcdefG", "smith",              "Smith",               "SMITH",     "Smithe",     "\xC3\xA9t\xC3\xA9",
      "\xC3\x89T\xC3\x89", "e\xCC\x81", "\xE2\x84\xAA",         "k",         "\xC5\xBF",   "s",
      "\xFF\xFE", "\xC3",              "z",                   "\xF0\x9F\x98\x80x", "~"};
  TRowStore store({TFieldType::ftMemo});
  for (const std::string& t : texts) store.SetText(store.AppendRow(), 0, t);
  store.AppendRow();  // a null
  ExpectKeysFollowCells(store, 0, store.RowLimit(), false);
  ExpectKeysFollowCells(store, 0, store.RowLimit(), true);
  EXPECT_EQ(store.SortKey(0, store.RowLimit() - 1, false), 0u) << "null is the lowest key";
  EXPECT_GT(store.SortKey(0, 0, false), 0u) << "the empty text is above null";
}

TEST(SortKeys, NumbersDatesAndBooleansAreExact) {
  TRowStore store({TFieldType::ftFloat, TFieldType::ftInteger, TFieldType::ftSmallint, TFieldType::ftWord,
                   TFieldType::ftBoolean, TFieldType::ftCurrency, TFieldType::ftDate});
  const std::vector<double> doubles = {-std::numeric_limits<double>::infinity(), -1e300, -2.5, -0.0, 0.0,
                                       std::numeric_limits<double>::denorm_min(), 1.0, 1e300,
                                       std::numeric_limits<double>::infinity()};
  for (std::size_t i = 0; i < doubles.size(); ++i) {
    const RowId r = store.AppendRow();
    const auto n = static_cast<std::int32_t>(i);
    store.SetDouble(r, 0, doubles[i]);
    store.SetInt(r, 1, i % 2 == 0 ? INT32_MIN + n : INT32_MAX - n);
    store.SetInt(r, 2, i % 2 == 0 ? INT16_MIN + n : INT16_MAX - n);
    store.SetInt(r, 3, i % 2 == 0 ? n : 65535 - n);
    store.SetBoolean(r, 4, i % 3 == 0);
    store.SetCurrency(r, 5, Currency::FromScaled(i % 2 == 0 ? INT64_MIN + n : INT64_MAX - n));
    store.SetDouble(r, 6, doubles[i]);
  }
  store.AppendRow();  // nulls
  for (int c = 0; c < store.ColumnCount(); ++c) ExpectKeysFollowCells(store, c, store.RowLimit(), false);
  EXPECT_EQ(store.SortKey(0, 3, false), store.SortKey(0, 4, false)) << "-0.0 and 0.0 are equal";
}

TEST(SortKeys, KeyOfAValueOfAnotherKindIsRefused) {
  std::uint64_t k = 0;
  EXPECT_FALSE(TRowStore::SortKeyOf(TStorageKind::skInt32, Variant("1"), false, k));
  EXPECT_FALSE(TRowStore::SortKeyOf(TStorageKind::skText, Variant(std::int32_t{1}), false, k));
  EXPECT_TRUE(TRowStore::SortKeyOf(TStorageKind::skText, Variant::Null(), false, k));
  EXPECT_EQ(k, 0u);
}

TEST(RowStore, ClearDropsEveryRowAndStartsIdsAgain) {
  TRowStore store({TFieldType::ftString, TFieldType::ftInteger});
  for (int i = 0; i < 100; ++i) store.SetText(store.AppendRow(), 0, "text " + std::to_string(i));
  store.Clear();
  EXPECT_EQ(store.LiveCount(), 0u);
  EXPECT_EQ(store.RowLimit(), 0u);
  EXPECT_FALSE(store.IsLive(0));
  const RowId r = store.AppendRow();
  EXPECT_EQ(r, 0u);
  EXPECT_TRUE(store.IsNull(r, 0));
  store.SetText(r, 0, "again");
  EXPECT_EQ(store.GetText(r, 0), "again");
}

// --- Orders against a model -------------------------------------------------------------------

// One row of the model; nullopt is null.
struct ModelRow {
  int id = 0;
  std::optional<int> n;
  std::optional<std::string> s;
  std::optional<double> d;
  std::optional<std::int64_t> c;  // currency, scaled
  std::optional<bool> b;
};

enum class Col { n, s, d, c, b };

struct ModelPart {
  Col col;
  bool descending;
  bool case_insensitive;
};

template <typename T>
int CompareOptional(const std::optional<T>& a, const std::optional<T>& b) {
  if (!a || !b) return a.has_value() == b.has_value() ? 0 : (a ? 1 : -1);
  return *a < *b ? -1 : (*b < *a ? 1 : 0);
}

int ComparePart(const ModelRow& a, const ModelRow& b, const ModelPart& p) {
  int c = 0;
  switch (p.col) {
    case Col::n: c = CompareOptional(a.n, b.n); break;
    case Col::d: c = CompareOptional(a.d, b.d); break;
    case Col::c: c = CompareOptional(a.c, b.c); break;
    case Col::b: c = CompareOptional(a.b, b.b); break;
    case Col::s:
      if (!a.s || !b.s) {
        c = CompareOptional(a.s, b.s);
      } else {
        c = CompareTextKey(*a.s, *b.s, p.case_insensitive);
      }
      break;
  }
  return p.descending ? -c : c;
}

struct ModelIndex {
  std::string name;    // IndexName, or "" for IndexFieldNames
  std::string fields;  // for IndexFieldNames
  std::vector<ModelPart> parts;
};

// The table of the test: its rows also live in the model, keyed by id; `added` is the order
// of adding (the tie-break of every order).
class IndexedTable {
 public:
  IndexedTable() {
    t_ = new TTable(&owner_);
    t_->FieldDefs().Add("id", TFieldType::ftInteger);
    t_->FieldDefs().Add("n", TFieldType::ftInteger);
    t_->FieldDefs().Add("s", TFieldType::ftString, 20);
    t_->FieldDefs().Add("d", TFieldType::ftFloat);
    t_->FieldDefs().Add("c", TFieldType::ftCurrency);
    t_->FieldDefs().Add("b", TFieldType::ftBoolean);
    t_->IndexDefs().Add("by_n", "n", {});
    t_->IndexDefs().Add("by_s_ci", "s", {ixCaseInsensitive});
    t_->IndexDefs().Add("by_s_desc", "s", {ixDescending});
    t_->IndexDefs().Add("by_d_desc_n", "d;n", {}).SetDescFields("d");
    t_->IndexDefs().Add("by_c_desc_ci", "c;s", {ixDescending, ixCaseInsensitive});
    t_->IndexDefs().Add("by_b_s", "b;s", {}).SetCaseInsFields("s");
    indexes_ = {
        {"by_n", "", {{Col::n, false, false}}},
        {"by_s_ci", "", {{Col::s, false, true}}},
        {"by_s_desc", "", {{Col::s, true, false}}},
        {"by_d_desc_n", "", {{Col::d, true, false}, {Col::n, false, false}}},
        {"by_c_desc_ci", "", {{Col::c, true, true}, {Col::s, true, true}}},
        {"by_b_s", "", {{Col::b, false, false}, {Col::s, false, true}}},
        {"", "s;n", {{Col::s, false, false}, {Col::n, false, false}}},
    };
    t_->Open();
  }

  TTable& T() { return *t_; }
  const std::vector<ModelIndex>& Indexes() const { return indexes_; }
  std::size_t Size() const { return model_.size(); }

  void Select(const ModelIndex& index) {
    if (index.name.empty()) {
      t_->SetIndexFieldNames(index.fields);
    } else {
      t_->SetIndexName(index.name);
    }
  }

  ModelRow RandomValues(std::mt19937& rng, int id) {
    static const std::vector<std::string> texts = {
        "ab", "AB", "Ab", "abc", "b", "B", "\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89", "prefix_long_1",
        "PREFIX_LONG_2", "prefix_long_2", "z", "Zed", "\xE2\x84\xAA", "k"};
    static const std::vector<double> doubles = {-1e300, -2.5, -0.0, 0.0, 1.0, 3.25, 1e300};
    auto pick = [&](int null_one_in) { return static_cast<int>(rng() % static_cast<unsigned>(null_one_in)) != 0; };
    ModelRow r;
    r.id = id;
    if (pick(6)) r.n = static_cast<int>(rng() % 11) - 5;
    if (pick(6)) r.s = texts[rng() % texts.size()];
    if (pick(6)) r.d = doubles[rng() % doubles.size()];
    if (pick(6)) r.c = static_cast<std::int64_t>(rng() % 5) * 12345 - 20000;
    if (pick(6)) r.b = rng() % 2 == 0;
    return r;
  }

  void Write(const ModelRow& r) {
    auto set = [&](const char* name, auto value, auto setter) {
      TField* f = t_->FieldByName(name);
      if (value) {
        setter(f, *value);
      } else {
        f->Clear();
      }
    };
    t_->FieldByName("id")->SetAsInteger(r.id);
    set("n", r.n, [](TField* f, int v) { f->SetAsInteger(v); });
    set("s", r.s, [](TField* f, const std::string& v) { f->SetAsString(v); });
    set("d", r.d, [](TField* f, double v) { f->SetAsFloat(v); });
    set("c", r.c, [](TField* f, std::int64_t v) { f->SetAsCurrency(Currency::FromScaled(v)); });
    set("b", r.b, [](TField* f, bool v) { f->SetAsBoolean(v); });
  }

  void Insert(const ModelRow& r, bool append) {
    if (append) {
      t_->Append();
    } else {
      t_->Insert();
    }
    Write(r);
    t_->Post();
    model_[r.id] = r;
    added_.push_back(r.id);
  }

  int CurrentId() { return t_->FieldByName("id")->AsInteger(); }

  void EditCurrent(ModelRow r) {
    r.id = CurrentId();
    t_->Edit();
    Write(r);
    t_->Post();
    model_[r.id] = r;
  }

  void DeleteCurrent() {
    const int id = CurrentId();
    t_->Delete();
    model_.erase(id);
    added_.erase(std::find(added_.begin(), added_.end(), id));
  }

  // Ids in the model's order for an index (only rows `accept` takes).
  template <typename Accept>
  std::vector<int> ModelOrder(const ModelIndex& index, Accept accept) const {
    std::vector<int> ids;
    for (int id : added_) {
      if (accept(model_.at(id))) ids.push_back(id);
    }
    std::stable_sort(ids.begin(), ids.end(), [&](int a, int b) {
      for (const ModelPart& p : index.parts) {
        const int c = ComparePart(model_.at(a), model_.at(b), p);
        if (c != 0) return c < 0;
      }
      return false;  // stable: the order of adding
    });
    return ids;
  }
  std::vector<int> ModelOrder(const ModelIndex& index) const {
    return ModelOrder(index, [](const ModelRow&) { return true; });
  }

  std::vector<int> TableOrder() {
    std::vector<int> ids;
    for (t_->First(); !t_->Eof(); t_->Next()) ids.push_back(CurrentId());
    return ids;
  }

  const ModelRow& Row(int id) const { return model_.at(id); }

 private:
  TComponent owner_{nullptr};
  TTable* t_ = nullptr;
  std::vector<ModelIndex> indexes_;
  std::map<int, ModelRow> model_;
  std::vector<int> added_;
};

std::string Describe(const std::vector<int>& ids) {
  std::string out;
  for (int id : ids) out += std::to_string(id) + " ";
  return out;
}

// Random inserts, edits and deletes, each under a randomly chosen current order, so every
// order sees changes both while it is current and while it is not.
void Churn(IndexedTable& table, std::mt19937& rng, int steps, int& next_id) {
  for (int step = 0; step < steps; ++step) {
    table.Select(table.Indexes()[rng() % table.Indexes().size()]);
    const unsigned what = rng() % 10;
    if (table.Size() < 5 || what < 4) {
      table.Insert(table.RandomValues(rng, next_id), what % 2 == 0);
      ++next_id;
      continue;
    }
    table.T().SetRecNo(static_cast<int>(rng() % table.Size()) + 1);
    if (what < 8) {
      table.EditCurrent(table.RandomValues(rng, 0));
    } else {
      table.DeleteCurrent();
    }
  }
}

TEST(IndexMaintenance, OrdersFollowInsertsEditsAndDeletes) {
  IndexedTable table;
  std::mt19937 rng(2024);
  int next_id = 1;
  for (int round = 0; round < 6; ++round) {
    Churn(table, rng, 60, next_id);
    for (const ModelIndex& index : table.Indexes()) {
      table.Select(index);
      EXPECT_EQ(Describe(table.TableOrder()), Describe(table.ModelOrder(index)))
          << "index '" << index.name << index.fields << "' after round " << round;
    }
  }
}

TEST(IndexMaintenance, OrdersBuiltAfterTheChangesAgreeWithKeptOnes) {
  IndexedTable table;
  std::mt19937 rng(99);
  int next_id = 1;
  for (const ModelIndex& index : table.Indexes()) table.Select(index);  // every order built early
  Churn(table, rng, 200, next_id);
  std::vector<std::vector<int>> kept;
  for (const ModelIndex& index : table.Indexes()) {
    table.Select(index);
    kept.push_back(table.TableOrder());
  }
  table.T().Close();  // orders are dropped and built again on first use
  table.T().Open();
  for (std::size_t i = 0; i < table.Indexes().size(); ++i) {
    table.Select(table.Indexes()[i]);
    EXPECT_EQ(Describe(table.TableOrder()), Describe(kept[i])) << "index " << i;
  }
}

// The key of a model row for the first `count` parts of an index, as field values.
void WriteKey(IndexedTable& table, const ModelIndex& index, const ModelRow& key, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    static const char* names[] = {"n", "s", "d", "c", "b"};
    TField* f = table.T().FieldByName(names[static_cast<int>(index.parts[i].col)]);
    switch (index.parts[i].col) {
      case Col::n: key.n ? f->SetAsInteger(*key.n) : f->Clear(); break;
      case Col::s: key.s ? f->SetAsString(*key.s) : f->Clear(); break;
      case Col::d: key.d ? f->SetAsFloat(*key.d) : f->Clear(); break;
      case Col::c: key.c ? f->SetAsCurrency(Currency::FromScaled(*key.c)) : f->Clear(); break;
      case Col::b: key.b ? f->SetAsBoolean(*key.b) : f->Clear(); break;
    }
  }
}

// Seeks of random keys (present ones and others) agree with the model, with and without a
// filter: GotoNearest lands on the first visible row not below the key (Eof past the last),
// GotoKey on the first visible row equal to it (case variants equal on case-insensitive
// parts) or fails without moving.
void CheckSeeks(IndexedTable& table, std::mt19937& rng, bool filtered) {
  auto accept = [filtered](const ModelRow& r) { return !filtered || !r.n || *r.n % 3 != 0; };
  for (const ModelIndex& index : table.Indexes()) {
    table.Select(index);
    const std::vector<int> order = table.ModelOrder(index, accept);
    ASSERT_FALSE(order.empty());
    for (int probe = 0; probe < 40; ++probe) {
      const std::size_t count = 1 + rng() % index.parts.size();
      const ModelRow key = table.RandomValues(rng, 0);
      auto compare = [&](int id) {
        for (std::size_t i = 0; i < count; ++i) {
          const int c = ComparePart(table.Row(id), key, index.parts[i]);
          if (c != 0) return c;
        }
        return 0;
      };
      const auto nearest = std::find_if(order.begin(), order.end(), [&](int id) { return compare(id) >= 0; });
      table.T().SetKeyFieldCount(static_cast<int>(count));
      table.T().SetKey();
      WriteKey(table, index, key, count);
      table.T().GotoNearest();
      if (nearest == order.end()) {
        EXPECT_TRUE(table.T().Eof());
        EXPECT_EQ(table.CurrentId(), order.back());
      } else {
        EXPECT_FALSE(table.T().Eof());
        EXPECT_EQ(table.CurrentId(), *nearest) << "index '" << index.name << index.fields << "' probe " << probe;
      }

      const auto equal = std::find_if(order.begin(), order.end(), [&](int id) { return compare(id) >= 0; });
      const bool found = equal != order.end() && compare(*equal) == 0;
      table.T().First();
      table.T().Next();
      const int before = table.CurrentId();
      table.T().SetKey();
      WriteKey(table, index, key, count);
      EXPECT_EQ(table.T().GotoKey(), found) << "index '" << index.name << index.fields << "' probe " << probe;
      EXPECT_EQ(table.CurrentId(), found ? *equal : before);
      table.T().SetKeyFieldCount(0);
    }
  }
}

TEST(IndexMaintenance, SeeksAgreeWithTheModel) {
  IndexedTable table;
  std::mt19937 rng(7);
  int next_id = 1;
  Churn(table, rng, 300, next_id);
  CheckSeeks(table, rng, false);
}

TEST(IndexMaintenance, FilteredSeeksLandOnAcceptedRows) {
  IndexedTable table;
  std::mt19937 rng(8);
  int next_id = 1;
  Churn(table, rng, 300, next_id);
  TField* n = table.T().FieldByName("n");
  table.T().SetOnFilterRecord([n](TDataSet*, bool& accept) { accept = n->IsNull() || n->AsInteger() % 3 != 0; });
  table.T().SetFiltered(true);
  CheckSeeks(table, rng, true);
}

TEST(IndexMaintenance, FindKeyHonoursUniqueIndexesAfterEdits) {
  TComponent owner(nullptr);
  auto* t = new TTable(&owner);
  t->FieldDefs().Add("code", TFieldType::ftString, 10);
  t->IndexDefs().Add("by_code", "code", {ixUnique, ixCaseInsensitive});
  t->Open();
  for (const char* code : {"alpha", "beta", "gamma"}) {
    t->Append();
    t->FieldByName("code")->SetAsString(code);
    t->Post();
  }
  t->Append();
  t->FieldByName("code")->SetAsString("BETA");
  EXPECT_THROW(t->Post(), EDatabaseError) << "case variants are the same key";
  t->Cancel();
  t->SetIndexName("by_code");
  ASSERT_TRUE(t->FindKey({Variant("Beta")}));
  t->Edit();
  t->FieldByName("code")->SetAsString("delta");
  t->Post();
  EXPECT_FALSE(t->FindKey({Variant("beta")}));
  EXPECT_TRUE(t->FindKey({Variant("DELTA")}));
  t->Append();
  t->FieldByName("code")->SetAsString("Beta");
  t->Post();  // free again
  EXPECT_TRUE(t->FindKey({Variant("beta")}));
  EXPECT_EQ(t->FieldByName("code")->AsString(), "Beta");
}

// --- Auto-increment numbers -------------------------------------------------------------------

class AutoIncTable : public ::testing::Test {
 protected:
  void SetUp() override {
    t_ = new TTable(&owner_);
    t_->FieldDefs().Add("id", TFieldType::ftAutoInc);
    t_->FieldDefs().Add("name", TFieldType::ftString, 10);
    t_->Open();
  }
  int Add(const std::string& name) {
    t_->Append();
    t_->FieldByName("name")->SetAsString(name);
    t_->Post();
    return t_->FieldByName("id")->AsInteger();
  }
  TComponent owner_{nullptr};
  TTable* t_ = nullptr;
};

TEST_F(AutoIncTable, NumbersFollowTheHighestLiveNumber) {
  EXPECT_EQ(Add("a"), 1);
  EXPECT_EQ(Add("b"), 2);
  EXPECT_EQ(Add("c"), 3);
  t_->Last();
  t_->Delete();  // the highest goes: its number is free again
  EXPECT_EQ(Add("d"), 3);
  t_->First();
  t_->Delete();  // a lower one goes: no change
  EXPECT_EQ(Add("e"), 4);
  t_->First();
  t_->Edit();
  t_->FieldByName("id")->SetAsInteger(10);
  t_->Post();
  EXPECT_EQ(Add("f"), 11);
  t_->Edit();  // "f", the current record
  t_->FieldByName("id")->SetAsInteger(5);  // the highest written down: 10 is the highest now
  t_->Post();
  EXPECT_EQ(Add("g"), 11);
  t_->Append();
  t_->FieldByName("id")->SetAsInteger(20);  // an explicit number is kept
  t_->Post();
  EXPECT_EQ(t_->FieldByName("id")->AsInteger(), 20);
  EXPECT_EQ(Add("h"), 21);
}

TEST_F(AutoIncTable, NumberingSurvivesCloseAndRestartsAfterEmptyTable) {
  Add("a");
  Add("b");
  t_->Close();
  t_->Open();
  EXPECT_EQ(Add("c"), 3);
  t_->EmptyTable();
  EXPECT_EQ(Add("d"), 1);
  t_->Close();
  t_->EmptyTable();
  t_->Open();
  EXPECT_TRUE(t_->IsEmpty());
  EXPECT_EQ(Add("e"), 1);
}

TEST_F(AutoIncTable, ManyRowsNumberInSequence) {
  for (int i = 1; i <= 2000; ++i) ASSERT_EQ(Add("r"), i);
}

// --- EmptyTable ---------------------------------------------------------------------------------

class ChangeCounter : public TDataLink {
 public:
  int changes = 0;

 protected:
  void DataSetChanged() override { ++changes; }
};

TEST(EmptyTable, DropsHiddenRowsTooAndLeavesAWorkingTable) {
  IndexedTable table;
  std::mt19937 rng(5);
  int next_id = 1;
  Churn(table, rng, 100, next_id);
  TTable& t = table.T();
  t.SetIndexName("by_s_ci");
  TField* n = t.FieldByName("n");
  t.SetOnFilterRecord([n](TDataSet*, bool& accept) { accept = !n->IsNull() && n->AsInteger() > 0; });
  t.SetFiltered(true);
  t.First();
  const TBookmark mark = t.GetBookmark();
  int deletes = 0;
  t.BeforeDelete = [&](TDataSet*) { ++deletes; };
  TDataSource source(nullptr);
  source.SetDataSet(&t);
  ChangeCounter link;
  link.SetDataSource(&source);

  t.EmptyTable();
  EXPECT_TRUE(t.IsEmpty());
  EXPECT_TRUE(t.Eof());
  EXPECT_TRUE(t.Bof());
  EXPECT_EQ(t.RecNo(), 0);
  EXPECT_EQ(link.changes, 1);
  EXPECT_EQ(deletes, 0) << "no delete events per record";
  EXPECT_FALSE(t.BookmarkValid(mark));
  t.FreeBookmark(mark);
  t.SetFiltered(false);
  EXPECT_TRUE(t.IsEmpty()) << "the rows the filter hid are gone too";

  // The orders start empty and take new rows in their places.
  for (const char* s : {"b", "A", "c"}) {
    t.Append();
    t.FieldByName("id")->SetAsInteger(1);
    t.FieldByName("s")->SetAsString(s);
    t.FieldByName("n")->SetAsInteger(1);
    t.Post();
  }
  std::string names;
  for (t.First(); !t.Eof(); t.Next()) names += t.FieldByName("s")->AsString();
  EXPECT_EQ(names, "Abc");
  EXPECT_TRUE(t.FindKey({Variant("B")}));
  t.SetIndexName("by_s_desc");
  EXPECT_EQ(t.FieldByName("s")->AsString(), "b");
  t.First();
  EXPECT_EQ(t.FieldByName("s")->AsString(), "c");
  link.SetDataSource(nullptr);
}

TEST(EmptyTable, EmptiesTheSQLiteTableInTheFile) {
  TComponent owner(nullptr);
  TTable* t = testing_support::SQLitePeople::Make(&owner);
  t->Open();
  ASSERT_EQ(t->RecordCount(), testing_support::kPeopleRows);
  t->SetIndexName("by_name");
  t->EmptyTable();
  EXPECT_TRUE(t->IsEmpty());
  t->Append();
  t->FieldByName("name")->SetAsString("Newman");
  t->Post();
  EXPECT_EQ(t->RecordCount(), 1);
  t->Close();
  t->Open();
  EXPECT_EQ(t->RecordCount(), 1) << "the file holds only the row added afterwards";
  EXPECT_EQ(t->FieldByName("name")->AsString(), "Newman");
}

// A table whose source takes no changes (a view, a table without a key).
class ReadOnlyTable : public TTable {
 public:
  using TTable::TTable;
  ~ReadOnlyTable() override { DestroyDataSet(); }
  int emptied = 0;  // times the source was asked to drop its rows

 protected:
  bool ReadOnlyDataSet() const override { return true; }
  void InternalEmpty() override { ++emptied; }
};

TEST(EmptyTable, AReadOnlyTableRefusesItWhileHoldingNoRows) {
  ReadOnlyTable t(nullptr);
  t.FieldDefs().Add("n", TFieldType::ftInteger);
  t.Open();
  EXPECT_THROW(t.EmptyTable(), EDatabaseError);
  EXPECT_EQ(t.emptied, 0);
}

}  // namespace
}  // namespace vantor
