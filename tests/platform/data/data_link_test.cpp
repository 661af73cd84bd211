#include <vantor/platform/data/data_link.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <vantor/platform/data/data_source.h>
#include <vantor/platform/data/table.h>
#include <vantor/platform/rtl/exceptions.h>

namespace vantor {
namespace {

// Records what the link sees at each ActiveChanged.
class RecordingLink : public TDataLink {
 public:
  struct Seen {
    bool active;
    TDataSet* data_set;
    TDataSet* previous;
    bool previous_destroying;
  };
  std::vector<Seen> seen;
  int data_set_changed = 0, scrolled = 0, record_changed = 0, editing_changed = 0;
  TField* last_field = nullptr;

 protected:
  void ActiveChanged() override {
    TDataSet* previous = PreviousDataSet();
    seen.push_back(Seen{Active(), DataSet(), previous,
                        previous != nullptr && previous->ComponentState().Contains(csDestroying)});
  }
  void DataSetChanged() override { ++data_set_changed; }
  void DataSetScrolled(int) override { ++scrolled; }
  void RecordChanged(TField* f) override {
    ++record_changed;
    last_field = f;
  }
  void EditingChanged() override { ++editing_changed; }
};

TTable* MakeTable(TComponent* owner, int rows) {
  auto* t = new TTable(owner);
  t->FieldDefs().Add("n", TFieldType::ftInteger);
  t->Open();
  for (int i = 1; i <= rows; ++i) {
    t->Append();
    t->FieldByName("n")->SetAsInteger(i);
    t->Post();
  }
  t->First();
  return t;
}

class DataLinkTest : public ::testing::Test {
 protected:
  TComponent owner_{nullptr};
};

TEST_F(DataLinkTest, LinkWithoutSourceOrDataSetHasNoDataSet) {
  RecordingLink link;
  EXPECT_EQ(link.DataSet(), nullptr);
  EXPECT_FALSE(link.Active());
  TDataSource source(&owner_);
  link.SetDataSource(&source);
  EXPECT_EQ(link.DataSet(), nullptr);
  EXPECT_FALSE(link.Active());
  EXPECT_TRUE(link.seen.empty());
}

TEST_F(DataLinkTest, OpenAndCloseCallActiveChanged) {
  TTable* t = MakeTable(&owner_, 3);
  t->Close();
  TDataSource source(&owner_);
  source.SetDataSet(t);
  RecordingLink link;
  link.SetDataSource(&source);
  ASSERT_EQ(link.seen.size(), 1u) << "the link now follows a data set";
  EXPECT_FALSE(link.seen.back().active);
  t->Open();
  ASSERT_EQ(link.seen.size(), 2u);
  EXPECT_TRUE(link.seen.back().active);
  EXPECT_EQ(link.seen.back().data_set, t);
  t->Close();
  ASSERT_EQ(link.seen.size(), 3u);
  EXPECT_FALSE(link.Active());
}

TEST_F(DataLinkTest, ContentScrollRecordAndEditingReachTheLink) {
  TTable* t = MakeTable(&owner_, 3);
  TDataSource source(&owner_);
  source.SetDataSet(t);
  RecordingLink link;
  link.SetDataSource(&source);
  t->Next();
  EXPECT_EQ(link.scrolled, 1);
  t->Last();
  EXPECT_EQ(link.data_set_changed, 1);
  t->Edit();
  EXPECT_EQ(link.editing_changed, 1);
  EXPECT_TRUE(link.Editing());
  t->FieldByName("n")->SetAsInteger(30);
  EXPECT_EQ(link.record_changed, 1);
  EXPECT_EQ(link.last_field, t->FieldByName("n"));
  t->Post();
  EXPECT_EQ(link.editing_changed, 2);
  EXPECT_FALSE(link.Editing());
}

TEST_F(DataLinkTest, ExchangingTheDataSetShowsTheNewOneAndNamesTheOldOne) {
  TTable* a = MakeTable(&owner_, 2);
  TTable* b = MakeTable(&owner_, 5);
  TDataSource source(&owner_);
  source.SetDataSet(a);
  RecordingLink link;
  link.SetDataSource(&source);
  link.seen.clear();
  source.SetDataSet(b);
  ASSERT_EQ(link.seen.size(), 1u) << "one notice for the exchange";
  EXPECT_TRUE(link.seen[0].active);
  EXPECT_EQ(link.seen[0].data_set, b);
  EXPECT_EQ(link.seen[0].previous, a);
  EXPECT_EQ(link.DataSet(), b);
  EXPECT_EQ(a->DataSourceCount(), 0);
}

TEST_F(DataLinkTest, FreedDataSetIsReportedWhileDestroying) {
  TTable* t = MakeTable(&owner_, 2);
  TDataSource source(&owner_);
  source.SetDataSet(t);
  RecordingLink link;
  link.SetDataSource(&source);
  link.seen.clear();
  delete t;
  ASSERT_EQ(link.seen.size(), 1u);
  EXPECT_FALSE(link.seen[0].active);
  EXPECT_EQ(link.seen[0].data_set, nullptr);
  EXPECT_EQ(link.seen[0].previous, t);
  EXPECT_TRUE(link.seen[0].previous_destroying);
  EXPECT_EQ(source.DataSet(), nullptr);
  EXPECT_EQ(link.DataSet(), nullptr);
}

TEST_F(DataLinkTest, FreedDataSourceIsReportedToItsLinks) {
  TTable* t = MakeTable(&owner_, 2);
  auto* source = new TDataSource(&owner_);
  source->SetDataSet(t);
  RecordingLink link;
  link.SetDataSource(source);
  link.seen.clear();
  delete source;
  EXPECT_EQ(link.DataSource(), nullptr);
  EXPECT_EQ(link.DataSet(), nullptr);
  ASSERT_EQ(link.seen.size(), 1u);
  EXPECT_FALSE(link.seen[0].active);
  EXPECT_EQ(link.seen[0].previous, t);
  EXPECT_EQ(t->DataSourceCount(), 0);
}

TEST_F(DataLinkTest, FreedLinkLeavesItsSource) {
  TDataSource source(&owner_);
  {
    RecordingLink link;
    link.SetDataSource(&source);
    EXPECT_EQ(source.LinkCount(), 1);
  }
  EXPECT_EQ(source.LinkCount(), 0);
}

TEST_F(DataLinkTest, DisabledSourceMakesTheLinkInactive) {
  TTable* t = MakeTable(&owner_, 2);
  TDataSource source(&owner_);
  source.SetDataSet(t);
  RecordingLink link;
  link.SetDataSource(&source);
  source.SetEnabled(false);
  EXPECT_FALSE(link.Active());
  EXPECT_EQ(source.State(), dsInactive);
  t->Next();
  EXPECT_EQ(link.scrolled, 0);
  source.SetEnabled(true);
  EXPECT_TRUE(link.Active());
}

TEST_F(DataLinkTest, OpeningWhileControlsDisabledIsToldOnEnable) {
  TTable* t = MakeTable(&owner_, 2);
  t->Close();
  TDataSource source(&owner_);
  source.SetDataSet(t);
  RecordingLink link;
  link.SetDataSource(&source);
  link.seen.clear();
  t->DisableControls();
  t->Open();
  t->Next();
  EXPECT_TRUE(link.seen.empty());
  t->EnableControls();
  ASSERT_EQ(link.seen.size(), 1u);
  EXPECT_TRUE(link.seen[0].active);
  EXPECT_EQ(link.data_set_changed, 1);
  EXPECT_EQ(link.scrolled, 0);
}

// A link whose handler refuses every change of the data set's content.
class RefusingLink : public TDataLink {
 public:
  int refused = 0;

 protected:
  void DataSetChanged() override { Refuse(); }
  void DataSetScrolled(int) override { Refuse(); }

 private:
  void Refuse() {
    ++refused;
    throw EDatabaseError("The link refuses the change");
  }
};

TEST_F(DataLinkTest, ControlsDisabledGuardPassesALinksErrorOnTheNormalPath) {
  TTable* t = MakeTable(&owner_, 3);
  TDataSource source(&owner_);
  source.SetDataSet(t);
  RefusingLink link;
  link.SetDataSource(&source);
  bool moved = false;
  try {
    TControlsDisabled controls(*t);
    t->Last();
    moved = true;  // nothing is told yet: the error comes from closing the bracket
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "The link refuses the change");
  }
  EXPECT_TRUE(moved);
  EXPECT_EQ(link.refused, 1);
  // The bracket is closed although the link raised: later changes reach the link at once.
  EXPECT_FALSE(t->ControlsDisabled());
  EXPECT_THROW(t->First(), EDatabaseError);
  EXPECT_EQ(link.refused, 2);
}

TEST_F(DataLinkTest, ControlsDisabledGuardKeepsTheFirstErrorWhileUnwinding) {
  TTable* t = MakeTable(&owner_, 3);
  TDataSource source(&owner_);
  source.SetDataSet(t);
  RefusingLink link;
  link.SetDataSource(&source);
  // The guard is left by an error while its EnableControls makes the link raise too:
  // the program goes on, and the error that left the block first is the one caught.
  try {
    TControlsDisabled controls(*t);
    t->Last();
    throw EConvertError("'x' is not a valid integer value");
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'x' is not a valid integer value");
  }
  EXPECT_EQ(link.refused, 1);
  EXPECT_FALSE(t->ControlsDisabled());
  // Nested brackets: only the outermost tells the links, and only once.
  try {
    TControlsDisabled outer(*t);
    {
      TControlsDisabled inner(*t);
      t->First();
    }
    EXPECT_EQ(link.refused, 1);
    throw EConvertError("second");
  } catch (const EConvertError&) {
  }
  EXPECT_EQ(link.refused, 2);
  EXPECT_FALSE(t->ControlsDisabled());
}

}  // namespace
}  // namespace vantor
