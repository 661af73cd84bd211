// The find panel along indexes where the value's letter case, the key's length or the
// position of the current record could mislead a seek: case-insensitive indexes, texts
// longer than their declared size, the nearest key past the end, find next from a record
// that differs only in the last key field, ranges on a leading key field.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <vantor/engines/find_panel.h>
#include "engines/support/harness.h"
#include <vantor/platform/data/sqlite_table.h>
#include <vantor/platform/rtl/string_table.h>
#include "support/sqlite_file.h"

namespace vantor::engines_test {
namespace {

template <typename Backend>
class FindKeys : public ::testing::Test {
 protected:
  using H = Harness<TDBFindPanel, Backend>;
  std::unique_ptr<H> Make(const std::string& index, TFindOptions options = foFast) {
    auto h = std::make_unique<H>(index);
    h->panel->SetUpdateState(usNone);
    h->panel->SetFindOptions(options);
    return h;
  }
  // Find first, then find next until nothing more.
  static Ids FindAll(H& h) {
    Ids found;
    h.panel->SetRestart(true);
    while (h.panel->Locate()) {
      found.push_back(CurrentId(*h.table));
      h.panel->SetRestart(false);
      if (found.size() > kContactRows) break;
    }
    return found;
  }
};
TYPED_TEST_SUITE(FindKeys, Backends, BackendName);

// by_name orders names without regard to case: SMITH, Smith and smith are one key, kept
// in the order they were added (1 Smith, 2 smith, 3 SMITH).
TYPED_TEST(FindKeys, CaseInsensitiveIndexFindsEveryCaseVariantWhateverTheValuesCase) {
  for (const char* typed : {"smith", "Smith", "SMITH", "sMiTh"}) {
    for (TFindOptions mode : {foFast, foIndexExact, foNormal}) {
      auto h = this->Make("by_name");
      h->One("name", Variant(typed), ctExact);
      h->panel->SetFindOptions(mode);
      EXPECT_EQ(this->FindAll(*h), (Ids{1, 2, 3})) << typed << " mode " << static_cast<int>(mode);
    }
    auto h = this->Make("by_name");
    h->One("name", Variant(std::string(typed).substr(0, 3)), ctInitial);
    EXPECT_EQ(this->FindAll(*h), (Ids{1, 2, 3, 5})) << typed;
  }
}

TYPED_TEST(FindKeys, CaseSensitiveValueOnACaseInsensitiveIndexFindsThatCaseOnly) {
  auto h = this->Make("by_name");
  h->One("name", Variant("smith"), ctExact, false);
  EXPECT_EQ(this->FindAll(*h), (Ids{2}));
  h->One("name", Variant("SMITH"), ctExact, false);
  EXPECT_EQ(this->FindAll(*h), (Ids{3}));
  h->One("name", Variant("Smith"), ctInitial, false);
  EXPECT_EQ(this->FindAll(*h), (Ids{1, 5}));
}

TYPED_TEST(FindKeys, CaseInsensitiveRangeOnACaseInsensitiveIndexFollowsUpperCaseOrder) {
  auto h = this->Make("by_name");
  // Upper-cased, "D" .. "EVE" holds D, Dan and Eve; the walk must not stop early.
  h->Two("name", Variant("d"), Variant("eve"), ctExact);
  EXPECT_EQ(this->FindAll(*h), (Ids{12, 9, 10}));
  h->Two("name", Variant("b"), Variant("B"), ctInitial);
  EXPECT_EQ(this->FindAll(*h), (Ids{7, 8}));
}

TYPED_TEST(FindKeys, NearestPastTheLastKeyOrOnAnEmptyTableIsNotFound) {
  auto h = this->Make("by_name", foIndexNearest);
  h->panel->SetShowBox(true);
  h->GoTo(6);
  h->One("name", Variant("Zz"), ctExact);
  EXPECT_FALSE(h->panel->Locate());
  EXPECT_EQ(CurrentId(*h->table), 6) << "back on the start record";
  EXPECT_EQ(h->Messages(), std::vector<std::string>{LoadStr(SRecordNotFound)});
  h->One("name", Variant("Sm"), ctExact);
  EXPECT_TRUE(h->panel->Locate());
  EXPECT_EQ(CurrentId(*h->table), 1) << "the first name not below Sm";

  h->table->SetOnFilterRecord([](TDataSet*, bool& accept) { accept = false; });
  h->table->SetFiltered(true);
  ASSERT_TRUE(h->table->IsEmpty());
  EXPECT_FALSE(h->panel->Locate());
  h->One("name", Variant::Null(), ctExact);
  EXPECT_FALSE(h->panel->Locate()) << "no key at all, and no record to offer";
}

TYPED_TEST(FindKeys, NearestFindNextFromTheLastRecordIsNotFound) {
  auto h = this->Make("by_name", foIndexNearest);
  h->One("name", Variant("Smyth"), ctExact);
  EXPECT_TRUE(h->panel->Locate());
  EXPECT_EQ(CurrentId(*h->table), 13);
  h->panel->SetRestart(false);
  EXPECT_FALSE(h->panel->Locate()) << "Smyth is the last record: nothing follows";
  EXPECT_EQ(CurrentId(*h->table), 13);
}

// by_city_name orders (city, name) with case: Berlin holds Adams, Eve, Goldsmith, Smith.
TYPED_TEST(FindKeys, FindNextFromARecordThatDiffersOnlyInTheLastKeyField) {
  for (TFindOptions mode : {foIndexExact, foIndexNearest, foFast, foNormal}) {
    auto h = this->Make("by_city_name");
    h->One("city", Variant("Berlin"), ctExact, false);
    h->One("name", Variant("Smith"), ctExact, false);
    h->panel->SetFindOptions(mode);
    h->panel->SetRestart(false);
    h->GoTo(4);  // Berlin, Goldsmith: before Smith
    EXPECT_TRUE(h->panel->Locate()) << static_cast<int>(mode);
    EXPECT_EQ(CurrentId(*h->table), 1) << static_cast<int>(mode);
    EXPECT_FALSE(h->panel->Locate()) << "nothing after Berlin, Smith; mode " << static_cast<int>(mode);
    EXPECT_EQ(CurrentId(*h->table), 1);

    h->One("name", Variant("Eve"), ctExact, false);
    h->GoTo(4);  // Berlin, Goldsmith: past Eve
    EXPECT_FALSE(h->panel->Locate()) << static_cast<int>(mode);
    EXPECT_EQ(CurrentId(*h->table), 4);
  }
}

TYPED_TEST(FindKeys, RangeOnTheFirstKeyFieldWithACriterionOnTheSecond) {
  for (TFindOptions mode : {foFast, foNormal}) {
    auto h = this->Make("by_city_name", mode);
    // Berlin < Bern < Paris < Rome; names beginning with B in Bern and Paris.
    h->Two("city", Variant("Bern"), Variant("Paris"), ctExact, false);
    h->One("name", Variant("B"), ctInitial, false);
    EXPECT_EQ(this->FindAll(*h), (Ids{7, 8})) << static_cast<int>(mode);
    h->Two("city", Variant::Null(), Variant("Bern"), ctExact, false);
    h->One("name", Variant("Sm"), ctInitial, true);
    EXPECT_EQ(this->FindAll(*h), (Ids{13, 1, 2})) << "a null city lies below every range";
  }
}

TYPED_TEST(FindKeys, SeekThatCannotMoveForwardEndsAsNotFound) {
  auto h = this->Make("by_name");
  h->panel->SetShowBox(true);
  // Case-sensitive value beyond every stored key of the case-free index.
  h->One("name", Variant("Smzz"), ctExact, false);
  h->GoTo(6);
  EXPECT_FALSE(h->panel->Locate());
  EXPECT_EQ(CurrentId(*h->table), 6);
  // Find next from the last record: the seek ahead lands where it started.
  h->GoTo(13);
  h->panel->SetRestart(false);
  EXPECT_FALSE(h->panel->Locate());
  EXPECT_EQ(CurrentId(*h->table), 13);
  EXPECT_FALSE(h->table->ControlsDisabled());
  EXPECT_EQ(h->Messages(), (std::vector<std::string>{LoadStr(SRecordNotFound), LoadStr(SNextRecordNotFound)}));
}

// ---- stored texts longer than their declared size (SQLite does not enforce it) ----

class LongKeys : public ::testing::Test {
 protected:
  void SetUp() override {
    path = testing_support::TempDbPath("long_keys");
    testing_support::SQLiteExec(
        path,
        "CREATE TABLE t (id INTEGER, name VARCHAR(5));"
        "INSERT INTO t VALUES (1, 'Alexandra'), (2, 'Alex'), (3, 'Alexander'), (4, 'Bob'), (5, 'Alexa');"
        "CREATE INDEX by_name ON t (name); CREATE INDEX by_name_desc ON t (name DESC)");
  }
  void TearDown() override { std::remove(path.c_str()); }

  // The table of the file, ordered by `index`, and a find panel on it.
  struct Rig {
    Rig(const std::string& path, const std::string& index, TFindOptions mode) {
      auto* file_table = new TSQLiteTable(nullptr);
      table.reset(file_table);
      file_table->SetDatabaseName(path);
      file_table->SetTableName("t");
      table->SetIndexName(index);
      table->Open();
      source.SetDataSet(table.get());
      panel = std::make_unique<TDBFindPanel>(nullptr);
      panel->SetDataSource(&source);
      panel->SetUpdateState(usNone);
      panel->SetFindOptions(mode);
    }
    ~Rig() {
      panel.reset();
      source.SetDataSet(nullptr);
    }
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;
    void One(const Variant& value, TCompareType compare) {
      TFieldRecord* r = panel->FieldByName("name");
      r->SetCount(coOne);
      r->SetCompare(compare);
      r->SetCaseInsensitive(false);
      r->SetValues(0, value);
    }
    void Two(const Variant& low, const Variant& high, TCompareType compare) {
      TFieldRecord* r = panel->FieldByName("name");
      r->SetCount(coTwo);
      r->SetCompare(compare);
      r->SetCaseInsensitive(false);
      r->SetValues(0, low);
      r->SetValues(1, high);
    }
    std::unique_ptr<TTable> table;
    TDataSource source{nullptr};
    std::unique_ptr<TDBFindPanel> panel;
  };

  static Ids FindAll(TDBFindPanel& panel, TDataSet& data_set) {
    Ids found;
    panel.SetRestart(true);
    while (panel.Locate() && found.size() < 10) {
      found.push_back(CurrentId(data_set));
      panel.SetRestart(false);
    }
    return found;
  }
  std::string path;
};

TEST_F(LongKeys, ExactKeyLongerThanTheDeclaredSizeIsFound) {
  for (TFindOptions mode : {foIndexExact, foFast, foIndexNearest}) {
    Rig rig(path, "by_name", mode);
    rig.One(Variant("Alexandra"), ctExact);
    EXPECT_TRUE(rig.panel->Locate()) << static_cast<int>(mode);
    EXPECT_EQ(CurrentId(*rig.table), 1) << static_cast<int>(mode);
  }
}

TEST_F(LongKeys, LongPrefixOnADescendingIndexFindsItsGroup) {
  Rig rig(path, "by_name_desc", foFast);
  rig.One(Variant("Alexand"), ctInitial);
  EXPECT_EQ(FindAll(*rig.panel, *rig.table), (Ids{1, 3})) << "Alexandra before Alexander, descending";
  rig.One(Variant("Alexa"), ctInitial);
  EXPECT_EQ(FindAll(*rig.panel, *rig.table), (Ids{1, 3, 5}));
  rig.Two(Variant("Alex"), Variant("Alexander"), ctInitial);
  EXPECT_EQ(FindAll(*rig.panel, *rig.table), (Ids{3, 5, 2}));
}

}  // namespace
}  // namespace vantor::engines_test
