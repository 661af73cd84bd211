#include <vantor/panel/panel_fields_set.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "panel/support/test_panel.h"
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/ui/form.h>
#include <vantor/platform/ui/messages.h>
#include <vantor/platform/ui/label.h>

namespace vantor {
namespace {

using testing::PanelWithTable;
using testing::TTestPanel;

// A calculated integer record with a single value: it carries a criterion as soon as a
// value is entered.
TFieldRecord* AddDataRecord(TPanelFieldsSet& panel, const std::string& name) {
  TFieldRecord* record = panel.Fields()->Add();
  record->SetFieldName(name);
  record->SetCount(coOne);
  return record;
}

// ---- construction ----

TEST(PanelFieldsSet, StartsWithTheDocumentedStateAndChildren) {
  TTestPanel panel(nullptr);
  EXPECT_EQ(panel.BorderWidth(), 2);
  EXPECT_EQ(panel.GetStepHeight(), 2);
  EXPECT_TRUE(panel.GetAutoSaveValues());
  EXPECT_TRUE(panel.GetAutoEditWidth());
  EXPECT_TRUE(panel.GetAutoSize());
  EXPECT_FALSE(panel.GetChangeCursor());
  EXPECT_EQ(panel.GetUpdateState(), usAuto);
  EXPECT_EQ(panel.GetPosState(), psOneLineFmt);
  EXPECT_TRUE(panel.GetUpdateAfterOpen());
  EXPECT_EQ(panel.GetEditCursor(), crDefault);
  EXPECT_FALSE(panel.CreatingControls());
  EXPECT_FALSE(panel.ControlStyle().Contains(csSetCaption));
  EXPECT_EQ(panel.UpdateCount(), 0);
  EXPECT_EQ(panel.PaintCount(), 0);
  ASSERT_NE(panel.ScrollBox(), nullptr);
  EXPECT_EQ(panel.ScrollBox()->Parent(), &panel);
  EXPECT_EQ(panel.ScrollBox()->Owner(), &panel);
  EXPECT_EQ(panel.ScrollBox()->Align(), alClient);
  ASSERT_NE(panel.MeasureLabel(), nullptr);
  EXPECT_EQ(panel.MeasureLabel()->Owner(), &panel);
  EXPECT_EQ(panel.MeasureLabel()->Parent(), nullptr);
  EXPECT_TRUE(panel.Fields()->DefaultFields());
  EXPECT_FALSE(panel.IsFieldsStored());
  EXPECT_EQ(panel.DialogBuffer(), nullptr);
  EXPECT_EQ(panel.SaveBuffer(), nullptr);
}

TEST(PanelFieldsSet, InnerBoxHasExactlyItsControlStyleAndNoAutoScroll) {
  TTestPanel panel(nullptr);
  EXPECT_EQ(panel.ScrollBox()->ControlStyle(),
            (TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks}));
  EXPECT_FALSE(panel.ScrollBox()->AutoScroll());
}

TEST(PanelFieldsSet, FrameWidthIsAddedToTheHeightAndWidthItIsGiven) {
  TTestPanel panel(nullptr);
  panel.PaintPanel();
  // BorderWidth 2 and a raised outer bevel of width 1.
  EXPECT_EQ(panel.FrameWidth(), 6);
  panel.SetHeight(100);
  panel.SetWidth(200);
  EXPECT_EQ(panel.Height(), 106);
  EXPECT_EQ(panel.Width(), 206);
  panel.SetAlign(alTop);
  panel.SetWidth(50);  // the alignment decides the width
  EXPECT_NE(panel.Width(), 56);
}

// ---- records by name ----

TEST(PanelFieldsSet, FindFieldIgnoresLetterCase) {
  TTestPanel panel(nullptr);
  TFieldRecord* record = panel.Fields()->Add();
  record->SetFieldName("CustNo");
  EXPECT_EQ(panel.FindField("custno"), record);
  EXPECT_EQ(panel.FindField("Cust"), nullptr);
  EXPECT_EQ(panel.FieldByName("CUSTNO"), record);
}

TEST(PanelFieldsSet, FieldByNameRaises25100WithThePanelsName) {
  TTestPanel panel(nullptr);
  panel.SetName("Panel1");
  try {
    panel.FieldByName("Total");
    FAIL() << "no error";
  } catch (const EVantorError& e) {
    EXPECT_EQ(e.Message(), "Panel1: Field 'Total' not found");
  }
}

// ---- emptiness ----

TEST(PanelFieldsSet, RecordIsEmptyByItsCountAndKind) {
  TTestPanel panel(nullptr);
  panel.SetUpdateState(usNone);
  TFieldRecord* one = AddDataRecord(panel, "One");
  EXPECT_FALSE(panel.NotEmptyRecord(one));
  one->SetValues(0, Variant("x"));
  EXPECT_TRUE(panel.NotEmptyRecord(one));
  EXPECT_FALSE(panel.MainNotEmptyRecord(one));  // not applied yet

  TFieldRecord* range = AddDataRecord(panel, "Range");
  range->SetCount(coTwo);
  range->SetValues(1, Variant("z"));
  EXPECT_TRUE(panel.NotEmptyRecord(range));

  TFieldRecord* none = AddDataRecord(panel, "None");
  none->SetCount(coNone);
  none->SetValues(0, Variant("x"));
  EXPECT_FALSE(panel.NotEmptyRecord(none));

  TFieldRecord* calculated = AddDataRecord(panel, "Calc");
  calculated->SetRecordKind(rkCalculated);
  calculated->SetDataType(TFieldType::ftString);
  calculated->SetValues(0, Variant("x"));
  EXPECT_FALSE(panel.NotEmptyRecord(calculated));

  panel.ValuesChanged();
  EXPECT_TRUE(panel.MainNotEmptyRecord(one));
}

// ---- the update cycle ----

TEST(PanelUpdateCycle, NoneAppliesOnlyWhenTheApplicationAsks) {
  TTestPanel panel(nullptr);
  panel.SetUpdateState(usNone);
  TFieldRecord* record = AddDataRecord(panel, "A");
  const int before = panel.update_data_set_calls;
  record->SetValues(0, Variant("x"));
  record->SetValues(0, Variant("y"));
  EXPECT_EQ(panel.update_data_set_calls, before);
  EXPECT_TRUE(panel.Fields()->State().Contains(fsValueChanged));
  panel.ValuesChanged();
  EXPECT_EQ(panel.update_data_set_calls, before + 1);
  EXPECT_EQ(record->MainValues(0), Variant("y"));
  EXPECT_FALSE(panel.Fields()->State().Contains(fsValueChanged));
}

TEST(PanelUpdateCycle, AutoAppliesEveryChange) {
  TTestPanel panel(nullptr);
  TFieldRecord* record = AddDataRecord(panel, "A");
  const int before = panel.update_data_set_calls;
  record->SetValues(0, Variant("x"));
  EXPECT_EQ(panel.update_data_set_calls, before + 1);
  record->SetValues(0, Variant("y"));
  EXPECT_EQ(panel.update_data_set_calls, before + 2);
  EXPECT_EQ(record->MainValues(0), Variant("y"));
  EXPECT_EQ(panel.Fields()->FieldMapCount(), 1);
}

TEST(PanelUpdateCycle, SwitchingToAutoAppliesPendingValuesAtOnce) {
  TTestPanel panel(nullptr);
  panel.SetUpdateState(usNone);
  TFieldRecord* record = AddDataRecord(panel, "A");
  record->SetValues(0, Variant("x"));
  const int before = panel.update_data_set_calls;
  panel.SetUpdateState(usAuto);
  EXPECT_EQ(panel.update_data_set_calls, before + 1);
  EXPECT_EQ(record->MainValues(0), Variant("x"));
  panel.SetUpdateState(usAuto);  // unchanged
  EXPECT_EQ(panel.update_data_set_calls, before + 1);
}

// The exit-driven states keep a change pending until the edit or the panel is left,
// which then calls ValuesChanged once.
class PanelExitStates : public ::testing::TestWithParam<TUpdateState> {};

TEST_P(PanelExitStates, KeepChangesPendingUntilValuesChanged) {
  TTestPanel panel(nullptr);
  panel.SetUpdateState(GetParam());
  TFieldRecord* record = AddDataRecord(panel, "A");
  const int before = panel.update_data_set_calls;
  record->SetValues(0, Variant("x"));
  EXPECT_EQ(panel.update_data_set_calls, before);
  EXPECT_TRUE(record->MainValues(0).IsNull());
  panel.ValuesChanged();
  EXPECT_EQ(panel.update_data_set_calls, before + 1);
  EXPECT_EQ(record->MainValues(0), Variant("x"));
  // Nothing pending: a second application rebuilds without new values.
  panel.ValuesChanged();
  EXPECT_EQ(panel.update_data_set_calls, before + 2);
}

TEST_P(PanelExitStates, BehaveLikeAutoAtDesignTime) {
  TTestPanel panel(nullptr);
  panel.SetDesigning(true);
  panel.SetUpdateState(GetParam());
  TFieldRecord* record = AddDataRecord(panel, "A");
  const int before = panel.update_data_set_calls;
  record->SetValues(0, Variant("x"));
  EXPECT_EQ(panel.update_data_set_calls, before + 1);
  EXPECT_EQ(record->MainValues(0), Variant("x"));
}

INSTANTIATE_TEST_SUITE_P(AllExitStates, PanelExitStates,
                         ::testing::Values(usEditExitChange, usExitChange, usEditExit, usExit));

TEST(PanelUpdateCycle, NoneStaysManualAtDesignTime) {
  TTestPanel panel(nullptr);
  panel.SetDesigning(true);
  panel.SetUpdateState(usNone);
  TFieldRecord* record = AddDataRecord(panel, "A");
  const int before = panel.update_data_set_calls;
  record->SetValues(0, Variant("x"));
  EXPECT_EQ(panel.update_data_set_calls, before);
}

TEST(PanelUpdateCycle, UpdateBracketFoldsEveryChangeIntoOneUpdate) {
  TTestPanel panel(nullptr);
  TFieldRecord* a = AddDataRecord(panel, "A");
  TFieldRecord* b = AddDataRecord(panel, "B");
  const int before = panel.update_data_set_calls;
  panel.BeginUpdate();
  panel.BeginUpdate();
  a->SetValues(0, Variant("x"));
  b->SetValues(0, Variant("y"));
  panel.ValuesChanged();
  EXPECT_EQ(panel.update_data_set_calls, before);
  panel.EndUpdate();
  EXPECT_EQ(panel.update_data_set_calls, before);
  panel.EndUpdate();
  EXPECT_EQ(panel.update_data_set_calls, before + 1);
  EXPECT_EQ(panel.Fields()->FieldMapCount(), 2);
}

TEST(PanelUpdateCycle, OpeningTheDataSetAppliesTheValuesUnlessAuto) {
  PanelWithTable t;
  t.panel->SetUpdateState(usExit);
  t.panel->Fields()->SetDefaultFields(false);
  TFieldRecord* name = AddDataRecord(*t.panel, "Name");
  name->SetValues(0, Variant("Smith"));
  EXPECT_TRUE(name->MainValues(0).IsNull());
  t.table.Open();
  EXPECT_EQ(name->MainValues(0), Variant("Smith"));

  t.table.Close();
  t.panel->SetUpdateAfterOpen(false);
  name->SetValues(0, Variant("Jones"));
  t.table.Open();
  EXPECT_EQ(name->MainValues(0), Variant("Smith"));
}

// ---- the relayout gate ----

TEST(PanelRelayout, PaintBracketFoldsRelayoutsIntoOne) {
  TTestPanel panel(nullptr);
  const int before = panel.paint_calls;
  {
    PaintGuard bracket(panel);
    panel.SetStepHeight(4);
    panel.SetPosState(psTwoLine);
    panel.SetAutoEditWidth(false);
    EXPECT_EQ(panel.paint_calls, before);
  }
  EXPECT_EQ(panel.paint_calls, before + 1);
  EXPECT_EQ(panel.PaintCount(), 0);
}

TEST(PanelRelayout, AutoSizeRelaysOutOnlyWhenTurnedOn) {
  TTestPanel panel(nullptr);
  const int before = panel.paint_calls;
  panel.SetAutoSize(false);
  EXPECT_EQ(panel.paint_calls, before);
  panel.SetAutoSize(true);
  EXPECT_EQ(panel.paint_calls, before + 1);
}

TEST(PanelRelayout, CursorAndCtl3DChangesRelayOut) {
  TTestPanel panel(nullptr);
  const int before = panel.paint_calls;
  panel.Perform(CM_CURSORCHANGED, 0, 0);
  panel.Perform(CM_CTL3DCHANGED, 0, 0);
  EXPECT_EQ(panel.paint_calls, before + 2);
}

// ---- data link ----

TEST(PanelDataLink, ExchangingTheDataSetHandsThePreviousOneBackFirst) {
  PanelWithTable t;
  TTable other(nullptr);
  other.FieldDefs().Add("Code", TFieldType::ftString, 5);
  t.table.Open();
  t.panel->log.clear();
  t.source.SetDataSet(&other);
  ASSERT_EQ(t.panel->old_data_sets.size(), 1U);
  EXPECT_EQ(t.panel->old_data_sets[0], &t.table);
  ASSERT_GE(t.panel->log.size(), 2U);
  EXPECT_EQ(t.panel->log[0], "SetOldDataSet");
  EXPECT_EQ(t.panel->log[1], "ActiveChanged");
  EXPECT_EQ(t.panel->Fields()->Count(), 0);  // the new data set is closed
  other.Open();
  EXPECT_EQ(t.panel->Fields()->Count(), 1);
  EXPECT_EQ(t.panel->old_data_sets.size(), 1U);  // handed over once
  t.source.SetDataSet(nullptr);
}

TEST(PanelDataLink, RelinkingADefaultListToFewerFieldsDropsTheRecordsOfTheGoneOnes) {
  PanelWithTable t;
  t.table.Open();
  t.panel->FieldByName("Name")->SetValues(0, Variant("M"));
  ASSERT_EQ(t.panel->Fields()->Count(), 4);
  TTable other(nullptr);
  other.FieldDefs().Add("Name", TFieldType::ftString, 20);
  other.FieldDefs().Add("CustNo", TFieldType::ftInteger);
  other.Open();
  t.source.SetDataSet(&other);
  ASSERT_EQ(t.panel->Fields()->Count(), 2);
  EXPECT_EQ(t.panel->Fields()->Items(0)->GetFieldName(), "Name");
  EXPECT_EQ(t.panel->Fields()->Items(1)->GetFieldName(), "CustNo");
  EXPECT_EQ(t.panel->FindField("Notes"), nullptr);
  EXPECT_EQ(t.panel->FindField("Balance"), nullptr);
  EXPECT_EQ(t.panel->FindField("Name")->Field(), other.FieldByName("Name"));
  t.source.SetDataSet(nullptr);
}

TEST(PanelDataLink, DestroyingThePanelHandsTheLinkedDataSetBack) {
  PanelWithTable t;
  t.table.Open();
  TDataSet* handed = nullptr;
  t.panel->on_old_data_set = [&](TDataSet* d) { handed = d; };
  delete t.panel;
  t.panel = nullptr;
  EXPECT_EQ(handed, &t.table);
}

TEST(PanelDataLink, FreeingTheDataSourceClearsThePanelsReference) {
  TTestPanel panel(nullptr);
  auto* source = new TDataSource(nullptr);
  panel.SetDataSource(source);
  EXPECT_EQ(panel.GetDataSource(), source);
  delete source;
  EXPECT_EQ(panel.GetDataSource(), nullptr);
}

TEST(PanelDataLink, LayoutChangeOfTheDataSetMapsTheFieldsAgain) {
  PanelWithTable t;
  t.table.Open();
  TFieldRecord* first = t.panel->Fields()->Items(0);
  first->SetIndex(2);
  t.table.DataEvent(TDataEvent::deLayoutChange);
  EXPECT_EQ(t.panel->Fields()->Items(0), first);
}

// ---- loading ----

TEST(PanelLoading, LoadedListIsTheUsersOwnAndIsMappedWhenTheLinkIsActive) {
  PanelWithTable t;
  t.table.Open();
  t.panel->IncludeState(csLoading);
  t.panel->Fields()->Clear();
  t.panel->Fields()->SetDefaultFields(false);
  t.panel->Fields()->SetDefaultFields(true);  // nothing happens while loading
  TFieldRecord* name = t.panel->Fields()->Add();
  name->SetFieldName("Name");
  t.panel->Loaded();
  EXPECT_FALSE(t.panel->Fields()->DefaultFields());
  EXPECT_EQ(t.panel->Fields()->Count(), 1);
  EXPECT_EQ(name->Field(), t.table.FieldByName("Name"));
  EXPECT_TRUE(t.panel->IsFieldsStored());
}

TEST(PanelLoading, EmptyLoadedListStaysTheDefaultList) {
  TTestPanel panel(nullptr);
  panel.IncludeState(csLoading);
  panel.Loaded();
  EXPECT_TRUE(panel.Fields()->DefaultFields());
}

// ---- insertion guard ----

TEST(PanelInsertion, ControlDroppedOnThePanelAtDesignTimeIsRefused) {
  TForm form(nullptr);
  auto* panel = new TTestPanel(&form);
  form.SetDesigning(true);
  auto* label = new TLabel(&form);
  try {
    label->SetParent(panel);
    FAIL() << "no error";
  } catch (const EVantorError& e) {
    EXPECT_EQ(e.Message(), "Control cannot be used in a 'TTestPanel'");
  }
  EXPECT_EQ(label->Parent(), nullptr);
}

TEST(PanelInsertion, ControlsAreAcceptedAtRunTime) {
  TTestPanel panel(nullptr);
  TLabel label(nullptr);
  label.SetParent(&panel);
  EXPECT_EQ(label.Parent(), &panel);
  label.SetParent(nullptr);
}

// ---- mouse over the inner box ----

TEST(PanelInnerBox, MouseMessagesReachThePanelInPanelCoordinates) {
  TForm form(nullptr);
  auto* panel = new TTestPanel(&form);
  panel->SetParent(&form);
  panel->SetBounds(0, 0, 300, 200);
  TScrollingFieldsSet* box = panel->ScrollBox();
  std::vector<std::pair<int, int>> downs;
  panel->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
    downs.emplace_back(x, y);
  };
  const int left = box->Left();
  const int top = box->Top();
  box->Perform(WM_LBUTTONDOWN, 0, (5 & 0xFFFF) | (7 << 16));
  panel->Perform(WM_LBUTTONUP, 0, 0);
  ASSERT_EQ(downs.size(), 1U);
  EXPECT_EQ(downs[0], std::make_pair(5 + left, 7 + top));
}

TEST(PanelInnerBox, BoxOwnedByAnotherComponentHandlesMouseItself) {
  TForm form(nullptr);
  TScrollingFieldsSet box(&form);
  box.SetParent(&form);
  int clicks = 0;
  box.OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++clicks; };
  box.Perform(WM_LBUTTONDOWN, 0, 0);
  box.Perform(WM_LBUTTONUP, 0, 0);
  EXPECT_EQ(clicks, 1);
  box.SetParent(nullptr);
}

}  // namespace
}  // namespace vantor
