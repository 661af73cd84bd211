#include <vantor/criteria/fields_list.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <vantor/criteria/field_record.h>
#include "panel/support/test_panel.h"
#include <vantor/platform/rtl/exceptions.h>

namespace vantor {
namespace {

using testing::PanelWithTable;
using testing::TTestPanel;

std::vector<std::string> Names(const TFieldsList& list) {
  std::vector<std::string> names;
  for (int i = 0; i < list.Count(); ++i) names.push_back(list.Items(i)->GetFieldName());
  return names;
}

std::vector<std::string> MapNames(const TFieldsList& list) {
  std::vector<std::string> names;
  for (int i = 0; i < list.FieldMapCount(); ++i) {
    names.push_back(list.FieldMapRecord(i)->GetFieldName());
  }
  return names;
}

// ---- the field map ----

TEST(FieldsListMap, KeyFieldsComeFirstByKeyPositionThenTheRestInListOrder) {
  TTestPanel panel(nullptr);
  TFieldsList& list = *panel.Fields();
  // name -> key position of the (pretend) search index
  const std::map<std::string, int> keys{{"A", -1}, {"B", 1}, {"C", 0}, {"D", -1}, {"E", 1}};
  panel.index_field_no = [&](const TFieldRecord* r) { return keys.at(r->GetFieldName()); };
  {
    UpdateGuard<TCollection> bracket(list);
    for (const char* name : {"A", "B", "C", "D", "E"}) {
      TFieldRecord* record = list.Add();
      record->SetFieldName(name);
      record->SetCount(coOne);
      record->SetValues(0, Variant("x"));
    }
  }
  EXPECT_EQ(MapNames(list), (std::vector<std::string>{"C", "B", "E", "A", "D"}));
  EXPECT_EQ(list.FieldMap(), (std::vector<int>{2, 1, 4, 0, 3}));
}

TEST(FieldsListMap, HoldsOnlyRecordsThatCarryACriterion) {
  TTestPanel panel(nullptr);
  TFieldsList& list = *panel.Fields();
  TFieldRecord* empty = list.Add();
  empty->SetFieldName("Empty");
  empty->SetCount(coOne);
  TFieldRecord* none = list.Add();
  none->SetFieldName("None");
  none->SetCount(coNone);
  none->SetValues(0, Variant("x"));
  TFieldRecord* upper_only = list.Add();
  upper_only->SetFieldName("Upper");
  upper_only->SetCount(coTwo);
  upper_only->SetValues(1, Variant("z"));
  TFieldRecord* calculated = list.Add();
  calculated->SetFieldName("Calc");
  calculated->SetRecordKind(rkCalculated);
  calculated->SetDataType(TFieldType::ftString);
  calculated->SetCount(coOne);
  calculated->SetValues(0, Variant("x"));
  EXPECT_EQ(MapNames(list), std::vector<std::string>{"Upper"});
}

TEST(FieldsListMap, ValuesReachTheMainValuesOnlyWhenApplied) {
  TTestPanel panel(nullptr);
  panel.SetUpdateState(usNone);
  TFieldsList& list = *panel.Fields();
  TFieldRecord* record = list.Add();
  record->SetFieldName("A");
  record->SetCount(coOne);
  record->SetValues(0, Variant("x"));
  EXPECT_TRUE(record->MainValues(0).IsNull());
  EXPECT_EQ(list.FieldMapCount(), 0);
  panel.ValuesChanged();
  EXPECT_EQ(record->MainValues(0), Variant("x"));
  EXPECT_EQ(MapNames(list), std::vector<std::string>{"A"});
}

TEST(FieldsListMap, FieldMapPositionOutsideTheMapRaisesTheListError) {
  TTestPanel panel(nullptr);
  EXPECT_THROW(panel.Fields()->FieldMapRecord(0), EListError);
}

// ---- Update ----

TEST(FieldsListUpdate, PaintFlagRelaysOutAndUpdateFlagReappliesOnce) {
  TTestPanel panel(nullptr);
  TFieldsList& list = *panel.Fields();
  const int paints = panel.paint_calls;
  const int updates = panel.update_data_set_calls;
  list.IncludeState({fsPaintNeeded, fsUpdateNeeded});
  list.Changed();
  EXPECT_EQ(panel.paint_calls, paints + 1);
  EXPECT_EQ(panel.update_data_set_calls, updates + 1);
  EXPECT_TRUE(list.State().Empty());
  list.Changed();  // nothing pending: nothing happens
  EXPECT_EQ(panel.paint_calls, paints + 1);
  EXPECT_EQ(panel.update_data_set_calls, updates + 1);
}

TEST(FieldsListUpdate, PendingValueChangeIsLeftForThePanel) {
  TTestPanel panel(nullptr);
  TFieldsList& list = *panel.Fields();
  list.IncludeState({fsValueChanged});
  list.Changed();
  EXPECT_TRUE(list.State().Contains(fsValueChanged));
}

TEST(FieldsListUpdate, FlagsRaisedWhileLoadingWaitForTheEndOfLoading) {
  TTestPanel panel(nullptr);
  TFieldsList& list = *panel.Fields();
  panel.IncludeState(csLoading);
  const int updates = panel.update_data_set_calls;
  TFieldRecord* record = list.Add();
  record->SetFieldName("A");
  record->SetCount(coOne);
  record->SetValues(0, Variant("x"));
  EXPECT_EQ(panel.update_data_set_calls, updates);
  EXPECT_TRUE(list.State().Contains(fsValueUpdate));
  panel.Loaded();
  list.Changed();
  EXPECT_EQ(panel.update_data_set_calls, updates + 1);
  EXPECT_EQ(MapNames(list), std::vector<std::string>{"A"});
}

// ---- SetFields ----

TEST(FieldsListSetFields, DefaultListIsEmptyWhileTheLinkIsInactive) {
  PanelWithTable t;
  EXPECT_TRUE(t.panel->Fields()->DefaultFields());
  EXPECT_EQ(t.panel->Fields()->Count(), 0);
}

TEST(FieldsListSetFields, DefaultListFollowsTheDataSetThroughOpenCloseAndReopen) {
  PanelWithTable t;
  TFieldsList& list = *t.panel->Fields();
  t.table.Open();
  EXPECT_EQ(Names(list), (std::vector<std::string>{"CustNo", "Name", "Notes", "Balance"}));
  for (int i = 0; i < list.Count(); ++i) EXPECT_EQ(list.Items(i)->Field(), t.table.Fields(i));

  // A layout change while open maps the same fields again: the same records, their
  // settings kept.
  TFieldRecord* name = list.Items(1);
  name->SetDisplayLabel("Customer name");
  t.panel->LayoutChanged();
  EXPECT_EQ(list.Items(1), name);
  EXPECT_EQ(name->GetDisplayLabel(), "Customer name");

  t.table.Close();
  EXPECT_EQ(list.Count(), 0);
  t.table.Open();
  EXPECT_EQ(Names(list), (std::vector<std::string>{"CustNo", "Name", "Notes", "Balance"}));
  EXPECT_EQ(list.Items(0)->Field(), t.table.Fields(0));
}

TEST(FieldsListSetFields, RecordsAreMovedToTheOrderOfTheDataSetsFields) {
  PanelWithTable t;
  TFieldsList& list = *t.panel->Fields();
  t.table.Open();
  TFieldRecord* balance = list.Items(3);
  balance->SetIndex(0);
  ASSERT_EQ(list.Items(0), balance);
  list.SetFields();
  EXPECT_EQ(Names(list), (std::vector<std::string>{"CustNo", "Name", "Notes", "Balance"}));
  EXPECT_EQ(list.Items(3), balance);
}

TEST(FieldsListSetFields, RefusedFieldsGetNoRecordAndOthersAreNotDuplicated) {
  PanelWithTable t;
  TFieldsList& list = *t.panel->Fields();
  t.panel->validate = [](const TFieldRecord* r) { return r->GetFieldName() != "CustNo"; };
  t.table.Open();
  EXPECT_EQ(Names(list), (std::vector<std::string>{"Name", "Notes", "Balance"}));
  TFieldRecord* name = list.Items(0);
  t.panel->LayoutChanged();
  EXPECT_EQ(Names(list), (std::vector<std::string>{"Name", "Notes", "Balance"}));
  EXPECT_EQ(list.Items(0), name);
}

TEST(FieldsListSetFields, ExplicitListIsKeptAndOnlyResolvedAgain) {
  PanelWithTable t;
  TFieldsList& list = *t.panel->Fields();
  list.SetDefaultFields(false);
  TFieldRecord* name = list.Add();
  name->SetFieldName("Name");
  TFieldRecord* missing = list.Add();
  missing->SetFieldName("Missing");
  EXPECT_EQ(name->Field(), nullptr);
  t.table.Open();
  EXPECT_EQ(Names(list), (std::vector<std::string>{"Name", "Missing"}));
  EXPECT_EQ(name->Field(), t.table.FieldByName("Name"));
  EXPECT_EQ(missing->Field(), nullptr);
  t.table.Close();
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(name->Field(), nullptr);
}

TEST(FieldsListSetFields, TurningDefaultFieldsBackOnRebuildsTheList) {
  PanelWithTable t;
  TFieldsList& list = *t.panel->Fields();
  list.SetDefaultFields(false);
  list.Add()->SetFieldName("Name");
  t.table.Open();
  list.SetDefaultFields(true);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"CustNo", "Name", "Notes", "Balance"}));
}

TEST(FieldsListSetFields, NothingHappensWhileTheOwnerLoads) {
  PanelWithTable t;
  t.table.Open();
  TFieldsList& list = *t.panel->Fields();
  list.Items(0)->SetIndex(3);
  t.panel->IncludeState(csLoading);
  list.SetFields();
  EXPECT_EQ(list.Items(3)->GetFieldName(), "CustNo");
  t.panel->ExcludeState(csLoading);
}

// ---- items and designer ----

TEST(FieldsListItems, SettingAnItemAssignsIt) {
  TTestPanel panel(nullptr);
  TFieldsList& list = *panel.Fields();
  TFieldRecord* a = list.Add();
  a->SetFieldName("A");
  TFieldRecord source(nullptr);
  source.SetFieldName("B");
  source.SetDisplayLabel("Bee");
  list.SetItems(0, &source);
  EXPECT_EQ(list.Items(0), a);
  EXPECT_EQ(a->GetDisplayLabel(), "Bee");
  EXPECT_THROW(list.Items(1), EListError);
}

TEST(FieldsListItems, ListOfAnotherItemClassIsRefused) {
  EXPECT_THROW(TFieldsList(nullptr, TCollectionItem::StaticType()), EInvalidCast);
}

struct ProbeDesigner : TFieldsListDesigner {
  ProbeDesigner(TFieldsList* l, bool* gone) : TFieldsListDesigner(l), gone_(gone) {}
  ~ProbeDesigner() override { *gone_ = true; }
  bool* gone_;
};

TEST(FieldsListDesignerTest, ANewDesignerDetachesTheOldOneWhichItsMakerFrees) {
  TTestPanel panel(nullptr);
  TFieldsList& list = *panel.Fields();
  bool first_gone = false;
  bool second_gone = false;
  // Each designer belongs to the editor that made it (here: these pointers).
  auto first = std::make_unique<ProbeDesigner>(&list, &first_gone);
  EXPECT_EQ(list.Designer(), first.get());
  auto second = std::make_unique<ProbeDesigner>(&list, &second_gone);
  EXPECT_FALSE(first_gone) << "its editor still holds it";
  EXPECT_EQ(first->List(), nullptr);
  EXPECT_EQ(list.Designer(), second.get());
  first.reset();  // freed once, by its maker; the list's designer stays
  EXPECT_TRUE(first_gone);
  EXPECT_EQ(list.Designer(), second.get());
  second.reset();
  EXPECT_TRUE(second_gone);
  EXPECT_EQ(list.Designer(), nullptr);
}

TEST(FieldsListDesignerTest, ListGoingFirstLeavesItsDesignerToItsMaker) {
  bool gone = false;
  std::unique_ptr<ProbeDesigner> designer;
  {
    TTestPanel panel(nullptr);
    designer = std::make_unique<ProbeDesigner>(panel.Fields(), &gone);
  }
  EXPECT_FALSE(gone);
  EXPECT_EQ(designer->List(), nullptr);
  designer.reset();  // no list to reach any more
  EXPECT_TRUE(gone);
}

}  // namespace
}  // namespace vantor
