// The description of the search index: default and custom index, the name lists, the
// validation message and what is stored.
#include <vantor/engines/data_set_index.h>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <vantor/engines/find_panel.h>
#include "engines/support/harness.h"
#include <vantor/platform/data/sqlite_query.h>
#include <vantor/platform/data/sqlite_table.h>
#include <vantor/platform/rtl/exceptions.h>

namespace vantor::engines_test {
namespace {

using Index = TDataSetIndex;

struct Entry {
  std::string field;
  bool case_insensitive;
  bool descending;
  bool operator==(const Entry&) const = default;
};

std::vector<Entry> Entries(const TDataSetIndex& index) {
  std::vector<Entry> out;
  for (int i = 0; i < index.GetCount(); ++i) {
    const TIndexFieldDef* e = index.GetItem(i);
    out.push_back({e->Field != nullptr ? e->Field->FieldName() : "-", e->CaseInsensitive, e->Descending});
  }
  return out;
}

// ---- name lists ----

TEST(DataSetIndexNames, FirstNameIsTakenOffTheList) {
  std::string names = "city;name";
  std::string name;
  Index::GetFirstFieldName(names, name);
  EXPECT_EQ(name, "city");
  EXPECT_EQ(names, "name");
  Index::GetFirstFieldName(names, name);
  EXPECT_EQ(name, "name");
  EXPECT_EQ(names, "");
  names = ";a";
  Index::GetFirstFieldName(names, name);
  EXPECT_EQ(name, "");
  EXPECT_EQ(names, "a");
}

TEST(DataSetIndexNames, MembershipIsByWholeElementIgnoringCase) {
  EXPECT_TRUE(Index::FindFieldName("name", "City;NAME", false));
  EXPECT_FALSE(Index::FindFieldName("nam", "city;name", false));
  EXPECT_TRUE(Index::FindFieldName("b", "ab;b", false));  // the second occurrence counts
  EXPECT_FALSE(Index::FindFieldName("B", "A; B", false));  // " B" is not "B"
  EXPECT_TRUE(Index::FindFieldName("x", "", true));        // empty list: the default
  EXPECT_FALSE(Index::FindFieldName("x", "   ", false));
}

TEST(DataSetIndexNames, CheckRequiresEveryNameToBeListed) {
  EXPECT_TRUE(Index::CheckFieldNames("name", "city;name"));
  EXPECT_TRUE(Index::CheckFieldNames(";name;", "city;name"));
  EXPECT_TRUE(Index::CheckFieldNames("", ""));
  EXPECT_FALSE(Index::CheckFieldNames("name;amount", "city;name"));
  EXPECT_FALSE(Index::CheckFieldNames("name", ""));
}

// ---- following the table ----

template <typename Backend>
class DataSetIndex : public ::testing::Test {
 protected:
  std::unique_ptr<Harness<TDBFindPanel, Backend>> Make(const std::string& index) {
    auto h = std::make_unique<Harness<TDBFindPanel, Backend>>(index);
    h->panel->SetUpdateState(usNone);
    return h;
  }
};
TYPED_TEST_SUITE(DataSetIndex, Backends, BackendName);

TYPED_TEST(DataSetIndex, DefaultFollowsTheTablesIndexName) {
  auto h = this->Make("by_city_name");
  const TDataSetIndex& index = *h->panel->DataSetIndex();
  EXPECT_TRUE(index.GetDefaultIndex());
  EXPECT_EQ(index.GetFieldNames(), "city;name");
  EXPECT_EQ(Entries(index), (std::vector<Entry>{{"city", false, false}, {"name", false, false}}));
  EXPECT_EQ(h->Record("city")->IndexNo(), 0);
  EXPECT_EQ(h->Record("name")->IndexNo(), 1);
  EXPECT_EQ(h->Record("amount")->IndexNo(), -1);
}

TYPED_TEST(DataSetIndex, IndexFieldNamesTakeTheOptionsOfTheIndexTheTableOrdersBy) {
  auto h = this->Make("");
  h->table->SetIndexFieldNames("name");  // ordered by by_name, the first index on name
  const TDataSetIndex& index = *h->panel->DataSetIndex();
  EXPECT_EQ(index.GetFieldNames(), "name");
  EXPECT_TRUE(index.GetOptions().Contains(ixCaseInsensitive));
  EXPECT_EQ(Entries(index), (std::vector<Entry>{{"name", true, false}}));
  // Fields that no index begins with: the table makes its own ascending order, and
  // the description follows it without an error.
  h->table->SetIndexFieldNames("amount;name");
  EXPECT_EQ(Entries(index), (std::vector<Entry>{{"amount", false, false}, {"name", false, false}}));
  EXPECT_TRUE(index.GetOptions().Empty());
}

TYPED_TEST(DataSetIndex, SwitchingTheTablesIndexIsPickedUp) {
  auto h = this->Make("by_name");
  const TDataSetIndex& index = *h->panel->DataSetIndex();
  EXPECT_EQ(Entries(index), (std::vector<Entry>{{"name", true, false}}));
  h->table->SetIndexName("by_amount_desc");
  EXPECT_EQ(Entries(index), (std::vector<Entry>{{"amount", false, true}}));
  EXPECT_EQ(h->Record("amount")->IndexNo(), 0);
  EXPECT_EQ(h->Record("name")->IndexNo(), -1);
  h->table->SetIndexName("");
  EXPECT_EQ(index.GetCount(), 0);
}

TYPED_TEST(DataSetIndex, PerFieldFlagsOfTheDefinitionAreFollowed) {
  auto h = this->Make("");
  h->table->Close();
  if (auto* file = dynamic_cast<TSQLiteTable*>(h->table.get())) {
    // A SQLite table reads its indexes from the file when it opens.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file->DatabaseName().c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, "CREATE INDEX mixed ON contacts (city, amount DESC)", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
  } else {
    TIndexDef& def = h->table->IndexDefs().Add("mixed", "city;amount", {});
    def.SetDescFields("amount");
  }
  h->table->SetIndexName("mixed");
  h->table->Open();
  EXPECT_EQ(Entries(*h->panel->DataSetIndex()),
            (std::vector<Entry>{{"city", false, false}, {"amount", false, true}}));
}

TYPED_TEST(DataSetIndex, CustomIndexStartsAsACopyOfTheDefault) {
  auto h = this->Make("by_name");
  TDataSetIndex& index = *h->panel->DataSetIndex();
  index.SetDefaultIndex(false);
  EXPECT_EQ(index.GetFieldNames(), "name");
  EXPECT_TRUE(index.GetOptions().Contains(ixCaseInsensitive));
  EXPECT_TRUE(index.IsFieldNamesStored());
  EXPECT_TRUE(index.IsOptionsStored());
  EXPECT_FALSE(index.IsDescFieldsStored());
  // The custom index no longer follows the table.
  h->table->SetIndexName("by_amount");
  EXPECT_EQ(index.GetFieldNames(), "name");
  index.SetDefaultIndex(true);
  EXPECT_EQ(index.GetFieldNames(), "amount");
  EXPECT_FALSE(index.IsFieldNamesStored());
}

TYPED_TEST(DataSetIndex, OptionsApplyToEveryFieldUnlessAListNamesSome) {
  auto h = this->Make("by_city_name");
  TDataSetIndex& index = *h->panel->DataSetIndex();
  index.SetOptions({ixDescending});
  EXPECT_FALSE(index.GetDefaultIndex());
  EXPECT_EQ(Entries(index), (std::vector<Entry>{{"city", false, true}, {"name", false, true}}));
  index.SetDescFields("name");
  EXPECT_EQ(Entries(index), (std::vector<Entry>{{"city", false, false}, {"name", false, true}}));
  index.SetCaseInsFields("city");
  EXPECT_EQ(Entries(index), (std::vector<Entry>{{"city", true, false}, {"name", false, true}}));
}

TYPED_TEST(DataSetIndex, ListNamingAnUnlistedFieldIsRefusedWithMessage25112) {
  auto h = this->Make("by_city_name");
  TDataSetIndex& index = *h->panel->DataSetIndex();
  try {
    index.SetCaseInsFields("amount");
    FAIL() << "expected EVantorError";
  } catch (const EVantorError& e) {
    EXPECT_EQ(e.Message(),
              "Value 'amount' is not correct for CaseInsFields property. Any name of field in the "
              "CaseInsFields property must be to list of field names in the FieldNames property");
  }
  EXPECT_TRUE(index.GetDefaultIndex());
  EXPECT_EQ(index.GetCaseInsFields(), "");
  EXPECT_THROW(index.SetDescFields("city;amount"), EVantorError);
  EXPECT_EQ(index.GetDescFields(), "");
}

TYPED_TEST(DataSetIndex, UnknownFieldNameGivesAnEntryWithoutAField) {
  auto h = this->Make("by_name");
  TDataSetIndex& index = *h->panel->DataSetIndex();
  index.SetFieldNames("name;nosuch");
  EXPECT_EQ(Entries(index), (std::vector<Entry>{{"name", true, false}, {"-", true, false}}));
  EXPECT_EQ(index.FindIndexFieldDef("NAME"), index.GetItem(0));
  EXPECT_EQ(index.FindIndexFieldDef("nosuch"), nullptr);
}

TYPED_TEST(DataSetIndex, SettingTheCurrentFieldNamesKeepsTheDefault) {
  auto h = this->Make("by_city_name");
  TDataSetIndex& index = *h->panel->DataSetIndex();
  index.SetFieldNames("city;name");
  EXPECT_TRUE(index.GetDefaultIndex());
  EXPECT_FALSE(index.IsFieldNamesStored());
}

TYPED_TEST(DataSetIndex, ClosedLinkHasNoEntries) {
  auto h = this->Make("by_name");
  h->table->Close();
  EXPECT_EQ(h->panel->DataSetIndex()->GetCount(), 0);
  EXPECT_THROW(h->panel->DataSetIndex()->GetItem(0), EListError);
}

TEST(DataSetIndexQuery, DataSetThatIsNoTableHasNoKeyFields) {
  std::unique_ptr<TTable> file(SQLiteContacts::Make(nullptr));
  TSQLiteQuery query(nullptr);
  query.SetDatabaseName(static_cast<TSQLiteTable*>(file.get())->DatabaseName());
  query.SetSQL("SELECT * FROM contacts ORDER BY name");
  query.Open();
  TDataSource source(nullptr);
  source.SetDataSet(&query);
  TDBFindPanel panel(nullptr);
  panel.SetUpdateState(usNone);
  panel.SetDataSource(&source);
  panel.DataSetIndex()->SetFieldNames("name");
  EXPECT_EQ(panel.DataSetIndex()->GetCount(), 0);
  EXPECT_EQ(panel.GetDefaultIndexName(), "");

  // In an index mode no record takes part: a first search finds the first record, a
  // continued one finds nothing.
  panel.SetFindOptions(foIndexExact);
  panel.FieldByName("name")->SetValues(0, Variant("Bob"));
  query.Last();
  panel.SetRestart(true);
  EXPECT_TRUE(panel.Locate());
  EXPECT_EQ(query.RecNo(), 1);
  panel.SetRestart(false);
  EXPECT_FALSE(panel.Locate());
  EXPECT_EQ(query.RecNo(), 1);
  // foNormal walks the query and tests every field.
  panel.SetFindOptions(foNormal);
  panel.SetRestart(true);
  EXPECT_TRUE(panel.Locate());
  EXPECT_EQ(query.FieldByName("id")->AsInteger(), 8);
  panel.SetDataSource(nullptr);
}

TEST(DataSetIndexStream, DefaultIndexStoresOnlyTheSwitch) {
  TDBFindPanel panel(nullptr);
  const TypeInfo& info = TDataSetIndex::StaticType();
  std::vector<std::string> names;
  for (const PropInfo* p : info.Properties()) names.push_back(p->name);
  EXPECT_EQ(names, (std::vector<std::string>{"DefaultIndex", "Options", "CaseInsFields", "DescFields", "FieldNames"}));
  TDataSetIndex& index = *panel.DataSetIndex();
  for (const char* n : {"Options", "CaseInsFields", "DescFields", "FieldNames"}) {
    EXPECT_FALSE(info.FindProperty(n)->IsStored(index)) << n;
  }
  index.SetFieldNames("a;b");  // no data set: stored as given
  index.SetDescFields("b");
  EXPECT_FALSE(index.GetDefaultIndex());
  EXPECT_TRUE(info.FindProperty("FieldNames")->IsStored(index));
  EXPECT_TRUE(info.FindProperty("DescFields")->IsStored(index));
  EXPECT_FALSE(info.FindProperty("CaseInsFields")->IsStored(index));
  EXPECT_FALSE(info.FindProperty("Options")->IsStored(index));
}

}  // namespace
}  // namespace vantor::engines_test
