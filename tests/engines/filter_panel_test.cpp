// The filter panel on both kinds of table: installing and removing the filter, the
// application's handler, re-linking, the guard and the cursor.
#include <gtest/gtest.h>

#include <algorithm>

#include <vantor/engines/filter_panel.h>
#include <vantor/engines/register_engines.h>
#include "engines/support/harness.h"
#include <vantor/platform/rtl/exceptions.h>

namespace vantor::engines_test {
namespace {

template <typename Backend>
class FilterPanel : public ::testing::Test {
 protected:
  Harness<TDBFilterPanel, Backend> h;
};
TYPED_TEST_SUITE(FilterPanel, Backends, BackendName);

TYPED_TEST(FilterPanel, FilteringShowsOnlyMatchingRecordsFromTheFirst) {
  auto& h = this->h;
  h.panel->SetFiltered(true);
  h.One("name", Variant("sm"), ctInitial);
  EXPECT_TRUE(h.table->Filtered());
  EXPECT_EQ(VisibleIds(*h.table), (Ids{1, 2, 3, 5, 13}));
  EXPECT_EQ(CurrentId(*h.table), 1);
  // Each committed change filters again and returns to the first record.
  h.table->Last();
  h.Record("name")->SetValues(0, Variant("Smi"));
  EXPECT_EQ(VisibleIds(*h.table), (Ids{1, 2, 3, 5}));
  EXPECT_EQ(CurrentId(*h.table), 1);
}

TYPED_TEST(FilterPanel, CaseSensitiveExactRangeAndInternalCriteriaCombine) {
  auto& h = this->h;
  h.panel->SetFiltered(true);
  h.panel->BeginUpdate();
  h.One("name", Variant("s"), ctInternal, false);  // a lower-case s anywhere
  h.Two("amount", Variant(10), Variant(21));
  h.panel->EndUpdate();
  // Lower-case s: smith 15, Goldsmith 21, Smithers 5 (below the range), Adams 12;
  // Smith, SMITH and Smyth have only a capital S.
  EXPECT_EQ(VisibleIds(*h.table), (Ids{2, 4, 6}));
}

TYPED_TEST(FilterPanel, WithNoValuesEveryRecordShowsOrTheHandlerAloneDecides) {
  auto& h = this->h;
  h.panel->SetFiltered(true);
  EXPECT_TRUE(h.table->Filtered());
  EXPECT_FALSE(h.table->OnFilterRecord().Assigned());
  EXPECT_EQ(VisibleIds(*h.table).size(), static_cast<std::size_t>(kContactRows));

  h.panel->OnFilterRecord = [](TDataSet* ds, bool& accept) { accept = ds->FieldByName("id")->AsInteger() % 2 == 0; };
  h.panel->SetFiltered(false);
  h.panel->SetFiltered(true);
  EXPECT_EQ(VisibleIds(*h.table), (Ids{2, 4, 6, 8, 10, 12}));
}

TYPED_TEST(FilterPanel, ApplicationHandlerDecidesFirst) {
  auto& h = this->h;
  int asked = 0;
  h.panel->OnFilterRecord = [&asked](TDataSet* ds, bool& accept) {
    ++asked;
    accept = ds->FieldByName("id")->AsInteger() != 1;
  };
  h.panel->SetFiltered(true);
  h.One("name", Variant("smith"), ctExact);
  EXPECT_EQ(VisibleIds(*h.table), (Ids{2, 3}));  // Smith matches but the handler hid it
  EXPECT_GE(asked, kContactRows);

  // The panel's own test runs only for what the handler accepted.
  TDataSet* seen = nullptr;
  bool accept = true;
  h.panel->OnFilterRecord = [&seen](TDataSet* ds, bool& a) {
    seen = ds;
    a = false;
  };
  h.panel->FilterRecord(h.table.get(), accept);
  EXPECT_FALSE(accept);
  EXPECT_EQ(seen, h.table.get());
}

TYPED_TEST(FilterPanel, SettingTheValueItHasDoesNothing) {
  auto& h = this->h;
  h.panel->SetFiltered(true);
  h.GoTo(6);
  h.panel->SetFiltered(true);  // the data set agrees: no refilter, no move to the first
  EXPECT_EQ(CurrentId(*h.table), 6);
}

TYPED_TEST(FilterPanel, ProgramSwitchingTheDataSetOffTurnsThePanelOff) {
  auto& h = this->h;
  h.panel->SetFiltered(true);
  h.One("name", Variant("Bob"), ctExact);
  h.table->SetFiltered(false);  // notifies the links
  EXPECT_FALSE(h.panel->GetFiltered());
  EXPECT_EQ(VisibleIds(*h.table).size(), static_cast<std::size_t>(kContactRows));
}

TYPED_TEST(FilterPanel, InactiveDataSetOnlyStoresTheValue) {
  auto& h = this->h;
  h.table->Close();
  h.panel->SetFiltered(true);
  EXPECT_TRUE(h.panel->GetFiltered());
  EXPECT_FALSE(h.table->Filtered());
  h.table->Open();  // the panel applies on opening (usAuto rebuilds the map)
  h.One("name", Variant("Bob"), ctExact);
  EXPECT_EQ(VisibleIds(*h.table), (Ids{8}));
}

TYPED_TEST(FilterPanel, ReLinkingLeavesTheOldDataSetUnfiltered) {
  auto& h = this->h;
  h.panel->SetFiltered(true);
  h.One("name", Variant("Bob"), ctExact);
  std::unique_ptr<TTable> other(TypeParam::Make(nullptr));
  other->Open();
  TDataSource other_source(nullptr);
  other_source.SetDataSet(other.get());
  h.panel->SetDataSource(&other_source);
  EXPECT_FALSE(h.table->Filtered());
  EXPECT_FALSE(h.table->OnFilterRecord().Assigned());
  EXPECT_EQ(VisibleIds(*h.table).size(), static_cast<std::size_t>(kContactRows));
  h.panel->SetDataSource(nullptr);
  EXPECT_FALSE(other->Filtered());
}

TYPED_TEST(FilterPanel, DestroyingThePanelLeavesTheDataSetUnfiltered) {
  auto& h = this->h;
  h.panel->SetFiltered(true);
  h.One("name", Variant("Bob"), ctExact);
  h.panel.reset();
  EXPECT_FALSE(h.table->Filtered());
  EXPECT_FALSE(h.table->OnFilterRecord().Assigned());
}

TYPED_TEST(FilterPanel, MemoFieldsGetNoRecordAndNeverRestrict) {
  auto& h = this->h;
  EXPECT_EQ(h.panel->FindField("note"), nullptr);
  EXPECT_NE(h.panel->FindField("name"), nullptr);
  h.panel->Fields()->SetDefaultFields(false);
  TFieldRecord* note = h.panel->Fields()->Add();
  note->SetFieldName("note");
  EXPECT_FALSE(h.panel->ValidateFieldRecord(note));
  TFieldRecord* calc = h.panel->Fields()->Add();
  calc->SetRecordKind(rkCalculated);
  EXPECT_TRUE(h.panel->ValidateFieldRecord(calc));
  TFieldRecord* ghost = h.panel->Fields()->Add();
  ghost->SetFieldName("nosuch");
  EXPECT_FALSE(h.panel->ValidateFieldRecord(ghost));
}

TYPED_TEST(FilterPanel, HourglassShowsWhileFilteringAndGuardHoldsReEntry) {
  auto& h = this->h;
  h.panel->SetChangeCursor(true);
  bool inside_guard = true;
  h.panel->OnFilterRecord = [&](TDataSet*, bool& accept) {
    inside_guard = inside_guard && !h.panel->CanSetFiltered();
    h.panel->SetFiltered(false);  // ignored while UpdateDataSet runs
    accept = true;
  };
  Screen->ClearCursorLog();
  h.panel->SetFiltered(true);
  EXPECT_TRUE(inside_guard);
  EXPECT_TRUE(h.panel->GetFiltered());
  EXPECT_TRUE(h.panel->CanSetFiltered());
  EXPECT_EQ(Screen->CursorLog(), (std::vector<TCursor>{crHourGlass, crDefault}));
}

TYPED_TEST(FilterPanel, FailingHandlerRestoresGuardAndCursor) {
  auto& h = this->h;
  h.panel->SetChangeCursor(true);
  h.panel->OnFilterRecord = [](TDataSet*, bool&) { throw EConvertError("bad"); };
  Screen->ClearCursorLog();
  EXPECT_THROW(h.panel->SetFiltered(true), EConvertError);
  EXPECT_TRUE(h.panel->CanSetFiltered());
  EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST(FilterPanelClass, PublishesItsPropertiesInOrderAndIsRegistered) {
  RegisterEngineClasses();
  const TypeInfo& info = FindClass("TDBFilterPanel");
  EXPECT_EQ(&info, &TDBFilterPanel::StaticType());
  std::vector<std::string> names;
  for (const PropInfo* p : info.Properties()) names.push_back(p->name);
  const std::vector<std::string> expected = {
      "DataSource", "StepHeight", "CountOptions", "Fields", "AutoEditWidth", "CompareOptions",
      "StyleOptions", "Captions", "Align", "EditCursor", "AutoSize", "ChangeCursor",
      "UpdateState", "PosState", "UpdateAfterOpen", "OnEditChange", "OnEditClick",
      "OnEditDblClick", "OnEditEnter", "OnEditExit", "OnEditKeyDown", "OnEditKeyPress",
      "OnEditKeyUp", "OnEditMouseDown", "OnEditMouseMove", "OnEditMouseUp", "OnEditButtonClick",
      "Filtered", "OnFilterRecord", "BevelInner", "BevelOuter", "BevelWidth", "BorderWidth",
      "BorderStyle", "Enabled", "Locked", "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder",
      "TabStop", "Visible", "OnClick", "OnDblClick", "OnEnter", "OnExit", "OnMouseDown",
      "OnMouseMove", "OnMouseUp", "OnResize"};
  // The control's own bounds come first, then the panel's list in its stated order.
  const auto first = std::find(names.begin(), names.end(), "DataSource");
  ASSERT_NE(first, names.end());
  EXPECT_EQ(std::vector<std::string>(first, names.end()), expected);
  const PropInfo* border = info.FindProperty("BorderWidth");
  ASSERT_NE(border, nullptr);
  EXPECT_EQ(border->default_ordinal, 2);
  const PropInfo* filtered = info.FindProperty("Filtered");
  ASSERT_NE(filtered, nullptr);
  EXPECT_TRUE(filtered->has_default);
  EXPECT_EQ(filtered->default_ordinal, 0);
  std::unique_ptr<TComponent> made(info.CreateComponent()(nullptr));
  EXPECT_NE(dynamic_cast<TDBFilterPanel*>(made.get()), nullptr);
}

}  // namespace
}  // namespace vantor::engines_test
