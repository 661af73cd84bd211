// The operations the search and filter engines rely on, checked on the in-memory table and
// on a table of a SQLite file alike.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <vector>

#include <vantor/platform/core/strings.h>
#include <vantor/platform/data/data_link.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/rtl/exceptions.h>
#include "support/people.h"

namespace vantor {
namespace {

using testing_support::IdsInOrder;
using testing_support::kPeopleRows;

// Counts what a link hears.
class CountingLink : public TDataLink {
 public:
  int active_changed = 0, data_set_changed = 0, scrolled = 0, layout_changed = 0, record_changed = 0,
      editing_changed = 0;

 protected:
  void ActiveChanged() override { ++active_changed; }
  void DataSetChanged() override { ++data_set_changed; }
  void DataSetScrolled(int) override { ++scrolled; }
  void LayoutChanged() override { ++layout_changed; }
  void RecordChanged(TField*) override { ++record_changed; }
  void EditingChanged() override { ++editing_changed; }
};

// Notes where the cursor stands each time a link hears of the data set.
class CursorLink : public TDataLink {
 public:
  struct Seen {
    int rec_no, count;
    bool bof, eof;
    bool operator==(const Seen&) const = default;
    friend void PrintTo(const Seen& s, std::ostream* os) {
      *os << "RecNo " << s.rec_no << " of " << s.count << (s.bof ? ", Bof" : "") << (s.eof ? ", Eof" : "");
    }
  };
  static Seen Of(const TDataSet& ds) { return {ds.RecNo(), ds.RecordCount(), ds.Bof(), ds.Eof()}; }
  std::vector<Seen> seen;

 protected:
  void DataSetChanged() override { seen.push_back(Of(*DataSet())); }
  void DataSetScrolled(int) override { seen.push_back(Of(*DataSet())); }
  void EditingChanged() override { seen.push_back(Of(*DataSet())); }
};

template <typename Backend>
class TableContract : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_ = std::make_unique<TComponent>(nullptr);
    table_ = Backend::Make(owner_.get());
    table_->Open();
  }
  TTable& T() { return *table_; }
  int Id() { return T().FieldByName("id")->AsInteger(); }
  void GoToId(int id) {
    T().First();
    while (!T().Eof() && Id() != id) T().Next();
    ASSERT_EQ(Id(), id);
  }

  std::unique_ptr<TComponent> owner_;
  TTable* table_ = nullptr;
};

struct BackendNames {
  template <typename T>
  static std::string GetName(int) {
    return T::kName;
  }
};

using Backends = ::testing::Types<testing_support::MemoryPeople, testing_support::SQLitePeople>;
TYPED_TEST_SUITE(TableContract, Backends, BackendNames);

// --- Fields --------------------------------------------------------------------------------

TYPED_TEST(TableContract, FindFieldIgnoresCaseAndGivesNullForUnknownNames) {
  EXPECT_EQ(this->T().FindField("NAME"), this->T().FieldByName("name"));
  EXPECT_EQ(this->T().FindField("nope"), nullptr);
  try {
    this->T().FieldByName("nope");
    FAIL() << "no exception";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find("Field 'nope' not found"), std::string::npos) << e.Message();
  }
}

TYPED_TEST(TableContract, FieldsListTheColumnsWithPhysicalNumbers) {
  TStrings names;
  this->T().GetFieldNames(names);
  EXPECT_EQ(names.CommaText(), "id,name,city,amount,qty,born,active");
  ASSERT_EQ(this->T().FieldCount(), 7);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(this->T().Fields(i)->FieldNo(), i + 1);
  EXPECT_TRUE(this->T().DefaultFields());
  TField* name = this->T().FieldByName("name");
  EXPECT_EQ(name->DataType(), TFieldType::ftString);
  EXPECT_EQ(name->Size(), 30);
  EXPECT_EQ(name->FieldKind(), fkData);
  EXPECT_EQ(name->DisplayLabel(), "name");
  EXPECT_EQ(this->T().FieldByName("id")->DataType(), TFieldType::ftAutoInc);
  EXPECT_EQ(this->T().FieldByName("amount")->DataType(), TFieldType::ftCurrency);
  EXPECT_EQ(this->T().FieldByName("qty")->DataType(), TFieldType::ftSmallint);
  EXPECT_EQ(this->T().FieldByName("born")->DataType(), TFieldType::ftDate);
  EXPECT_EQ(this->T().FieldByName("active")->DataType(), TFieldType::ftBoolean);
}

TYPED_TEST(TableContract, NullValuesReadAsEmptyTextAndNullVariant) {
  this->GoToId(3);
  TField* city = this->T().FieldByName("city");
  EXPECT_TRUE(city->IsNull());
  EXPECT_EQ(city->AsString(), "");
  EXPECT_TRUE(city->AsVariant().IsNull());
  EXPECT_EQ(this->T().FieldByName("name")->AsString(), "Adams");
}

TYPED_TEST(TableContract, AsVariantGivesTheNaturalKindOfEachType) {
  this->GoToId(1);
  EXPECT_EQ(this->T().FieldByName("id")->AsVariant().VarType(), varInteger);
  EXPECT_EQ(this->T().FieldByName("name")->AsVariant().VarType(), varString);
  EXPECT_EQ(this->T().FieldByName("amount")->AsVariant().VarType(), varCurrency);
  EXPECT_EQ(this->T().FieldByName("qty")->AsVariant().VarType(), varSmallint);
  EXPECT_EQ(this->T().FieldByName("born")->AsVariant().VarType(), varDate);
  EXPECT_EQ(this->T().FieldByName("active")->AsVariant().VarType(), varBoolean);
  EXPECT_EQ(this->T().FieldByName("amount")->AsCurrency(), Currency::FromInt(100));
  EXPECT_EQ(this->T().FieldByName("born")->AsDateTime(), EncodeDate(1980, 1, 2));
  EXPECT_TRUE(this->T().FieldByName("active")->AsBoolean());
}

// --- Navigation -----------------------------------------------------------------------------

TYPED_TEST(TableContract, FirstNextAndMoveByWalkWithGrowingRecNo) {
  TTable& t = this->T();
  t.First();
  EXPECT_TRUE(t.Bof());
  EXPECT_EQ(t.RecNo(), 1);
  int previous = t.RecNo();
  int seen = 1;
  while (true) {
    t.MoveBy(1);
    if (t.Eof()) break;
    EXPECT_GT(t.RecNo(), previous);
    previous = t.RecNo();
    ++seen;
  }
  EXPECT_EQ(seen, kPeopleRows);
  EXPECT_EQ(t.RecordCount(), kPeopleRows);
  EXPECT_EQ(t.RecNo(), kPeopleRows);  // Eof stays on the last record
  EXPECT_EQ(t.MoveBy(-100), -(kPeopleRows - 1));
  EXPECT_TRUE(t.Bof());
  EXPECT_FALSE(t.Eof());
}

TYPED_TEST(TableContract, SetRecNoMovesWithinOneToRecordCountAndRefusesTheRest) {
  TTable& t = this->T();
  t.SetIndexName("by_name");  // RecNo counts in index order: 3 5 7 1 2 4 6
  t.SetRecNo(kPeopleRows);
  EXPECT_EQ(t.RecNo(), kPeopleRows);
  EXPECT_EQ(this->Id(), 6);
  t.SetRecNo(1);
  EXPECT_EQ(this->Id(), 3);
  t.SetRecNo(4);
  EXPECT_EQ(this->Id(), 1);
  for (int bad : {0, -1, kPeopleRows + 1}) {
    try {
      t.SetRecNo(bad);
      FAIL() << bad << " was accepted";
    } catch (const EDatabaseError& e) {
      EXPECT_EQ(e.Message(), "Record number " + std::to_string(bad) + " out of range");
    }
    EXPECT_EQ(t.RecNo(), 4) << bad;
    EXPECT_EQ(this->Id(), 1) << bad;
  }
  // Filtered, the records are the accepted ones only.
  t.SetOnFilterRecord([](TDataSet* ds, bool& accept) { accept = ds->FieldByName("city")->AsString() == "Berlin"; });
  t.SetFiltered(true);
  ASSERT_EQ(t.RecordCount(), 3);  // 4 1 6
  t.SetRecNo(3);
  EXPECT_EQ(this->Id(), 6);
  EXPECT_THROW(t.SetRecNo(4), EDatabaseError);
  EXPECT_EQ(this->Id(), 6);
}

TYPED_TEST(TableContract, RecNoGrowsInIndexOrder) {
  this->T().SetIndexName("by_name");
  EXPECT_EQ(IdsInOrder(this->T()), "3 5 7 1 2 4 6");
  this->T().First();
  for (int expected = 1; !this->T().Eof(); ++expected) {
    EXPECT_EQ(this->T().RecNo(), expected);
    this->T().Next();
  }
}

// --- Bookmarks ------------------------------------------------------------------------------

TYPED_TEST(TableContract, BookmarkReturnsToTheSavedRecord) {
  this->GoToId(4);
  TBookmark b = this->T().GetBookmark();
  this->T().First();
  EXPECT_TRUE(this->T().BookmarkValid(b));
  this->T().GotoBookmark(b);
  EXPECT_EQ(this->Id(), 4);
  this->T().FreeBookmark(b);
  EXPECT_FALSE(this->T().BookmarkValid(b));
}

TYPED_TEST(TableContract, BadOrStaleBookmarkRaisesAndLeavesTheCursor) {
  this->GoToId(2);
  TBookmark freed = this->T().GetBookmark();
  this->T().FreeBookmark(freed);
  this->GoToId(5);
  EXPECT_THROW(this->T().GotoBookmark(freed), EDatabaseError);
  EXPECT_THROW(this->T().GotoBookmark(static_cast<TBookmark>(987654)), EDatabaseError);
  EXPECT_EQ(this->Id(), 5);

  TBookmark deleted = this->T().GetBookmark();
  this->T().Delete();  // row 5 goes
  const int now = this->Id();
  try {
    this->T().GotoBookmark(deleted);
    FAIL() << "no exception";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find("Record not found"), std::string::npos);
  }
  EXPECT_EQ(this->Id(), now);
  this->T().FreeBookmark(deleted);

  TBookmark before_close = this->T().GetBookmark();
  this->T().Close();
  this->T().Open();
  EXPECT_FALSE(this->T().BookmarkValid(before_close));
  this->T().FreeBookmark(before_close);
}

// --- Controls and notifications -------------------------------------------------------------

TYPED_TEST(TableContract, DisabledControlsFoldIntoOneDataSetChange) {
  TDataSource source(this->owner_.get());
  source.SetDataSet(&this->T());
  CountingLink link;
  link.SetDataSource(&source);
  EXPECT_TRUE(link.Active());

  this->T().DisableControls();
  this->T().DisableControls();
  EXPECT_TRUE(this->T().ControlsDisabled());
  this->T().Next();
  this->T().Next();
  this->T().First();
  this->T().SetIndexName("by_name");
  this->T().EnableControls();
  EXPECT_EQ(link.data_set_changed + link.scrolled, 0);
  this->T().EnableControls();
  EXPECT_FALSE(this->T().ControlsDisabled());
  EXPECT_EQ(link.data_set_changed, 1);
  EXPECT_EQ(link.scrolled, 0);

  link.data_set_changed = 0;
  this->T().DisableControls();
  this->T().EnableControls();
  EXPECT_EQ(link.data_set_changed, 0) << "nothing happened, nothing to tell";
}

TYPED_TEST(TableContract, ControlsGuardReenablesOnException) {
  try {
    TControlsDisabled guard(this->T());
    throw std::runtime_error("search failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_FALSE(this->T().ControlsDisabled());
}

// --- Filtering ------------------------------------------------------------------------------

TYPED_TEST(TableContract, WritingFilteredRereadsThroughTheCallbackAndNotifies) {
  TDataSource source(this->owner_.get());
  source.SetDataSet(&this->T());
  CountingLink link;
  link.SetDataSource(&source);
  int calls = 0;
  this->T().SetOnFilterRecord([&calls](TDataSet* ds, bool& accept) {
    ++calls;
    accept = ds->FieldByName("active")->AsBoolean();
  });
  EXPECT_EQ(calls, 0) << "not filtered yet";
  this->T().SetFiltered(true);
  EXPECT_EQ(calls, kPeopleRows);
  EXPECT_GE(link.data_set_changed, 1);
  EXPECT_EQ(this->T().RecordCount(), 4);
  EXPECT_EQ(IdsInOrder(this->T()), "1 3 4 6");

  // A new handler while filtered re-reads at once.
  this->T().SetOnFilterRecord([](TDataSet* ds, bool& accept) { accept = ds->FieldByName("qty")->AsInteger() >= 4; });
  EXPECT_EQ(IdsInOrder(this->T()), "1 3 5 7");

  link.data_set_changed = 0;
  this->T().SetFiltered(false);
  EXPECT_EQ(this->T().RecordCount(), kPeopleRows);
  EXPECT_GE(link.data_set_changed, 1);
}

TYPED_TEST(TableContract, FilterHandlerThatRaisesLeavesTheDataSetUnfiltered) {
  this->T().SetOnFilterRecord([](TDataSet* ds, bool&) {
    if (ds->FieldByName("id")->AsInteger() == 3) throw EConvertError("bad value");
  });
  EXPECT_THROW(this->T().SetFiltered(true), EConvertError);
  EXPECT_FALSE(this->T().Filtered());
  EXPECT_EQ(this->T().RecordCount(), kPeopleRows);
  EXPECT_EQ(this->T().State(), dsBrowse);
}

// Whatever a link hears, the cursor already stands where the step leaves it: on a record
// of the view, with the Bof and Eof the data set keeps afterwards.
TYPED_TEST(TableContract, LinksHearTheCursorWhereTheStepLeavesIt) {
  auto active = [](TDataSet* ds, bool& accept) { accept = ds->FieldByName("active")->AsBoolean(); };
  struct Step {
    const char* what;
    std::function<void(TTable&)> prepare, act;
  };
  const Step steps[] = {
      {"posting the last record of the view so that the filter hides it",
       [&](TTable& t) {
         t.SetOnFilterRecord(active);
         t.SetFiltered(true);
         t.Last();
         t.Edit();
         t.FieldByName("active")->SetAsBoolean(false);
       },
       [](TTable& t) { t.Post(); }},
      {"unfiltering a view the filter left empty",
       [](TTable& t) {
         t.SetOnFilterRecord([](TDataSet*, bool& accept) { accept = false; });
         t.SetFiltered(true);
       },
       [](TTable& t) { t.SetFiltered(false); }},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    TTable& table = *TypeParam::Make(this->owner_.get());
    table.Open();
    TDataSource source(this->owner_.get());
    source.SetDataSet(&table);
    CursorLink link;
    link.SetDataSource(&source);
    step.prepare(table);
    link.seen.clear();
    step.act(table);
    ASSERT_FALSE(link.seen.empty());
    for (const CursorLink::Seen& seen : link.seen) {
      EXPECT_GE(seen.rec_no, seen.count == 0 ? 0 : 1);
      EXPECT_LE(seen.rec_no, seen.count);
    }
    EXPECT_EQ(link.seen.back(), CursorLink::Of(table));
    link.SetDataSource(nullptr);
  }
}

TYPED_TEST(TableContract, GotoBookmarkOfAFilteredOutRecordRaises) {
  this->GoToId(2);
  TBookmarkHolder hidden(this->T());
  this->T().SetOnFilterRecord([](TDataSet* ds, bool& accept) { accept = ds->FieldByName("active")->AsBoolean(); });
  this->T().SetFiltered(true);
  EXPECT_THROW(hidden.Restore(), EDatabaseError);
}

// --- Index orders ---------------------------------------------------------------------------

TYPED_TEST(TableContract, IndexDefsDescribeTheIndexes) {
  const TIndexDefs& defs = this->T().IndexDefs();
  EXPECT_EQ(defs.IndexOf("nope"), -1);
  ASSERT_GE(defs.IndexOf("BY_NAME"), 0);
  EXPECT_TRUE(defs.Find("by_name").Options().Contains(ixCaseInsensitive));
  EXPECT_TRUE(defs.Find("by_amount_desc").Options().Contains(ixDescending));
  EXPECT_EQ(defs.Find("by_city_name").Fields(), "city;name");
  EXPECT_TRUE(defs.Find("PRIMARY").Options().Contains(ixPrimary));
  EXPECT_EQ(defs.FindIndexForFields("city").Name(), "by_city_name");
  EXPECT_THROW(defs.FindIndexForFields("qty"), EDatabaseError);
}

TYPED_TEST(TableContract, DescendingCaseInsensitiveAndCompositeOrders) {
  this->T().SetIndexName("by_amount_desc");
  EXPECT_EQ(IdsInOrder(this->T()), "7 2 4 1 3 5 6") << "descending, null last";
  this->T().SetIndexFieldNames("city;name");
  EXPECT_EQ(this->T().IndexName(), "");
  EXPECT_EQ(IdsInOrder(this->T()), "3 4 1 6 7 2 5") << "null city first, names by byte order";
  this->T().SetIndexName("by_name");
  EXPECT_EQ(this->T().IndexFieldNames(), "");
  EXPECT_EQ(IdsInOrder(this->T()), "3 5 7 1 2 4 6") << "case-insensitive: case variants are one key";
  this->T().SetIndexName("");
  EXPECT_EQ(IdsInOrder(this->T()), "1 2 3 4 5 6 7");
}

TYPED_TEST(TableContract, SwitchingIndexKeepsTheCurrentRecordAndNotifies) {
  TDataSource source(this->owner_.get());
  source.SetDataSet(&this->T());
  CountingLink link;
  link.SetDataSource(&source);
  this->GoToId(7);
  link.data_set_changed = 0;
  this->T().SetIndexName("by_amount_desc");
  EXPECT_EQ(this->Id(), 7);
  EXPECT_EQ(this->T().RecNo(), 1);
  EXPECT_EQ(link.data_set_changed, 1);
  this->T().SetIndexFieldNames("city;name");
  EXPECT_EQ(this->Id(), 7);
  EXPECT_EQ(this->T().RecNo(), 5);
}

TYPED_TEST(TableContract, UnknownIndexNameRaisesNamingItAndChangesNothing) {
  this->T().SetIndexName("by_name");
  this->GoToId(1);
  try {
    this->T().SetIndexName("no_such_index");
    FAIL() << "no exception";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find("no_such_index"), std::string::npos);
  }
  EXPECT_EQ(this->T().IndexName(), "by_name");
  EXPECT_EQ(this->Id(), 1);
  EXPECT_THROW(this->T().SetIndexFieldNames("city;nope"), EDatabaseError);
  EXPECT_EQ(this->T().IndexName(), "by_name");
}

// --- Keyed seeks ----------------------------------------------------------------------------

TYPED_TEST(TableContract, GotoKeyFindsTheExactKeyAndFailsWithoutMoving) {
  TTable& t = this->T();
  t.SetIndexName("by_city_name");
  t.SetKey();
  EXPECT_EQ(t.State(), dsSetKey);
  t.FieldByName("city")->SetAsString("Berlin");
  t.FieldByName("name")->SetAsString("Zed");
  EXPECT_TRUE(t.GotoKey());
  EXPECT_EQ(t.State(), dsBrowse);
  EXPECT_EQ(this->Id(), 6);

  this->GoToId(2);
  t.SetKey();
  t.FieldByName("city")->SetAsString("Berlin");
  t.FieldByName("name")->SetAsString("Nobody");
  EXPECT_FALSE(t.GotoKey());
  EXPECT_EQ(this->Id(), 2);
}

TYPED_TEST(TableContract, KeyBufferHoldsWritesUntilTheSeekAndCancelRestoresIt) {
  TTable& t = this->T();
  t.SetIndexName("by_city_name");
  this->GoToId(1);
  t.SetKey();
  t.FieldByName("city")->SetAsString("Rome");
  EXPECT_EQ(t.FieldByName("city")->AsString(), "Rome") << "reads come from the key buffer";
  t.Cancel();
  EXPECT_EQ(t.State(), dsBrowse);
  EXPECT_EQ(t.FieldByName("city")->AsString(), "Berlin") << "the record is untouched";
  EXPECT_EQ(this->Id(), 1);
  t.EditKey();
  EXPECT_TRUE(t.FieldByName("city")->IsNull()) << "the cancelled key was dropped";
  t.Cancel();
}

TYPED_TEST(TableContract, PartialKeysCompareTheLeadingFields) {
  TTable& t = this->T();
  t.SetIndexName("by_city_name");
  t.SetKey();
  t.FieldByName("city")->SetAsString("Paris");
  EXPECT_TRUE(t.GotoKey());
  EXPECT_EQ(this->Id(), 7);  // Miller, the first Paris
  EXPECT_TRUE(t.FindKey({Variant("Berlin")}));
  EXPECT_EQ(this->Id(), 4);
}

TYPED_TEST(TableContract, FindKeyAndFindNearestPutKeyFieldCountBack) {
  TTable& t = this->T();
  t.SetIndexName("by_city_name");  // Berlin: SMITH 4, Smith 1, Zed 6; Paris: Miller 7, smith 2
  ASSERT_EQ(t.KeyFieldCount(), 0);
  EXPECT_TRUE(t.FindKey({Variant("Berlin")}));
  EXPECT_EQ(this->Id(), 4);
  EXPECT_EQ(t.KeyFieldCount(), 0);
  // A full key written afterwards is compared on both fields, not on the city alone.
  t.SetKey();
  t.FieldByName("city")->SetAsString("Berlin");
  t.FieldByName("name")->SetAsString("Zed");
  EXPECT_TRUE(t.GotoKey());
  EXPECT_EQ(this->Id(), 6);
  t.FindNearest({Variant("Paris")});
  EXPECT_EQ(this->Id(), 7);
  EXPECT_EQ(t.KeyFieldCount(), 0);

  // A count set by the caller holds for its own seeks and comes back after each Find.
  t.SetKeyFieldCount(2);
  EXPECT_TRUE(t.FindKey({Variant("Paris")})) << "one value seeks on one field";
  EXPECT_EQ(this->Id(), 7);
  EXPECT_EQ(t.KeyFieldCount(), 2);
  t.FindNearest({Variant("Rome")});
  EXPECT_EQ(this->Id(), 5);
  EXPECT_EQ(t.KeyFieldCount(), 2);
  EXPECT_FALSE(t.FindKey({Variant("Paris"), Variant("Nobody")}));
  EXPECT_EQ(t.KeyFieldCount(), 2);
  EXPECT_THROW((void)t.FindKey({Variant("a"), Variant("b"), Variant("c")}), EDatabaseError) << "more values than fields";
  EXPECT_EQ(t.KeyFieldCount(), 2);
  EXPECT_EQ(t.State(), dsBrowse);
  t.SetKey();
  t.FieldByName("city")->SetAsString("Berlin");
  t.FieldByName("name")->SetAsString("Smith");
  EXPECT_TRUE(t.GotoKey());
  EXPECT_EQ(this->Id(), 1);
}

TYPED_TEST(TableContract, GotoNearestLandsOnTheFirstKeyNotBelow) {
  TTable& t = this->T();
  t.SetIndexName("by_name");
  t.SetKey();
  t.FieldByName("name")->SetAsString("Sm");
  t.GotoNearest();
  EXPECT_EQ(this->Id(), 1) << "the first Smith added opens the band of Smiths";
  t.FindNearest({Variant("smith")});
  EXPECT_EQ(this->Id(), 1) << "any case of the key lands at the start of its band";
  t.FindNearest({Variant("zzz")});
  EXPECT_EQ(this->Id(), 6);
  EXPECT_TRUE(t.Eof()) << "past every key";
  t.FindNearest({Variant("A")});
  EXPECT_EQ(this->Id(), 3);
}

TYPED_TEST(TableContract, CaseInsensitiveGotoKeyMatchesAnyCase) {
  TTable& t = this->T();
  t.SetIndexName("by_name");
  EXPECT_TRUE(t.FindKey({Variant("sMiTh")}));
  EXPECT_EQ(this->Id(), 1);
  EXPECT_TRUE(t.FindKey({Variant("adams")}));
  EXPECT_EQ(this->Id(), 3);
}

TYPED_TEST(TableContract, DescendingSeeksFollowTheIndexOrder) {
  TTable& t = this->T();
  t.SetIndexName("by_amount_desc");
  t.FindNearest({Variant(Currency::FromInt(250))});
  EXPECT_EQ(this->Id(), 1) << "the first amount not above 250";
  EXPECT_TRUE(t.FindKey({Variant(Currency::FromDouble(250.5))}));
  EXPECT_EQ(this->Id(), 2);
}

TYPED_TEST(TableContract, SeeksUnderAFilterLandOnAcceptedRecords) {
  TTable& t = this->T();
  t.SetIndexName("by_name");
  t.SetOnFilterRecord([](TDataSet* ds, bool& accept) { accept = ds->FieldByName("qty")->AsInteger() >= 4; });
  t.SetFiltered(true);
  EXPECT_EQ(IdsInOrder(t), "3 5 7 1");
  EXPECT_TRUE(t.FindKey({Variant("SMITH")}));
  EXPECT_EQ(this->Id(), 1) << "4 is filtered out; 1 is the first accepted Smith";
  t.FindNearest({Variant("N")});
  EXPECT_EQ(this->Id(), 1);
  t.SetOnFilterRecord([](TDataSet* ds, bool& accept) { accept = ds->FieldByName("qty")->AsInteger() >= 7; });
  this->GoToId(3);
  EXPECT_FALSE(t.FindKey({Variant("smith")}));
  EXPECT_EQ(this->Id(), 3);
}

TYPED_TEST(TableContract, SeekWithoutAnIndexRaises) {
  EXPECT_THROW(this->T().SetKey(), EDatabaseError);
  EXPECT_EQ(this->T().State(), dsBrowse);
}

// --- Editing --------------------------------------------------------------------------------

TYPED_TEST(TableContract, PostAndDeleteKeepIndexesInOrder) {
  TTable& t = this->T();
  t.SetIndexName("by_name");
  this->GoToId(5);
  t.Edit();
  t.FieldByName("name")->SetAsString("Aaron");
  t.Post();
  EXPECT_EQ(this->Id(), 5);
  EXPECT_EQ(t.RecNo(), 1);
  EXPECT_EQ(IdsInOrder(t), "5 3 7 1 2 4 6");
  t.Append();
  t.FieldByName("name")->SetAsString("Carter");
  t.FieldByName("qty")->SetAsInteger(1);
  t.Post();
  EXPECT_EQ(this->Id(), 8);
  EXPECT_EQ(t.FieldByName("name")->AsString(), "Carter");
  EXPECT_EQ(IdsInOrder(t), "5 3 8 7 1 2 4 6");
  this->GoToId(3);
  t.Delete();
  EXPECT_EQ(this->Id(), 8) << "the next record becomes current";
  EXPECT_EQ(IdsInOrder(t), "5 8 7 1 2 4 6");
  EXPECT_TRUE(t.FindKey({Variant("carter")}));

  // The change is kept (for SQLite: written to the file).
  t.Close();
  t.Open();
  t.SetIndexName("by_name");
  EXPECT_EQ(IdsInOrder(t), "5 8 7 1 2 4 6");
}

TYPED_TEST(TableContract, ValueThatDoesNotFitRaisesAndLeavesTheRecord) {
  TTable& t = this->T();
  this->GoToId(1);
  t.Edit();
  EXPECT_THROW(t.FieldByName("name")->SetAsString(std::string(31, 'x')), EDatabaseError);
  EXPECT_EQ(t.FieldByName("name")->AsString(), "Smith");
  EXPECT_THROW(t.FieldByName("qty")->SetAsInteger(70000), EDatabaseError);
  EXPECT_THROW(t.FieldByName("qty")->SetAsString("abc"), EConvertError);
  EXPECT_EQ(t.FieldByName("qty")->AsInteger(), 5);
  EXPECT_THROW(t.FieldByName("born")->SetAsString("31/31/2000"), EConvertError);
  t.Cancel();
  EXPECT_EQ(t.State(), dsBrowse);
  EXPECT_EQ(t.FieldByName("name")->AsString(), "Smith");
  t.Next();
  EXPECT_EQ(this->Id(), 2) << "still usable";
}

TYPED_TEST(TableContract, RequiredFieldAndUniqueKeyAreEnforcedOnPost) {
  TTable& t = this->T();
  t.Append();
  t.FieldByName("qty")->SetAsInteger(1);
  try {
    t.Post();
    FAIL() << "no exception";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find("'name' must have a value"), std::string::npos) << e.Message();
  }
  EXPECT_EQ(t.State(), dsInsert);
  t.FieldByName("name")->SetAsString("Dup");
  t.FieldByName("id")->SetAsInteger(2);
  EXPECT_THROW(t.Post(), EDatabaseError);
  EXPECT_EQ(t.State(), dsInsert);
  t.Cancel();
  EXPECT_EQ(t.RecordCount(), kPeopleRows);
}

TYPED_TEST(TableContract, WritingWhileBrowsingRaises) {
  this->T().First();
  EXPECT_THROW(this->T().FieldByName("name")->SetAsString("x"), EDatabaseError);
  EXPECT_EQ(this->T().FieldByName("name")->AsString(), "Smith");
}

TYPED_TEST(TableContract, ClosedDataSetRaisesOnNavigationAndStaysUsable) {
  this->T().Close();
  EXPECT_FALSE(this->T().Active());
  EXPECT_THROW(this->T().First(), EDatabaseError);
  EXPECT_THROW(this->T().FieldByName("name")->AsString(), EDatabaseError);
  EXPECT_EQ(this->T().RecNo(), 0);
  this->T().SetActive(true);
  EXPECT_EQ(this->T().RecordCount(), kPeopleRows);
}

}  // namespace
}  // namespace vantor
