#include <vantor/criteria/field_record.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <vantor/criteria/fields_list.h>
#include <vantor/panel/field_record_edit.h>
#include "panel/support/test_panel.h"
#include "support/stored_properties.h"
#include <vantor/platform/data/typed_fields.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/ui/label.h>

namespace vantor {
namespace {

using testing::PanelWithTable;
using testing::TTestPanel;
using testing_support::StoredProperties;

class FieldRecordTest : public ::testing::Test {
 protected:
  std::unique_ptr<TTestPanel> panel = std::make_unique<TTestPanel>(nullptr);
  TFieldsList& fields = *panel->Fields();

  TFieldRecord* Add(const std::string& name) {
    TFieldRecord* record = fields.Add();
    record->SetFieldName(name);
    return record;
  }
  TFieldRecord* AddCalculated(const std::string& name, TFieldType type) {
    TFieldRecord* record = Add(name);
    record->SetRecordKind(rkCalculated);
    record->SetDataType(type);
    return record;
  }
};

// ---- defaults ----

TEST_F(FieldRecordTest, RecordWithoutFieldReadsItsDefaultsAndStoresOnlyItsName) {
  TFieldRecord* record = Add("CustNo");
  EXPECT_EQ(record->GetDisplayLabel(), "CustNo");
  EXPECT_EQ(record->GetDisplayWidth(), 10);
  EXPECT_TRUE(record->GetVisible());
  EXPECT_EQ(record->GetAlignment(), taLeftJustify);
  EXPECT_EQ(record->GetDataType(), TFieldType::ftUnknown);
  EXPECT_EQ(record->GetCompare(), ctExact);
  EXPECT_EQ(record->GetCount(), coNone);
  EXPECT_EQ(record->GetEditMask(), "");
  EXPECT_EQ(record->GetRecordKind(), rkData);
  EXPECT_EQ(record->GetButtonStyle(), rbsAuto);
  EXPECT_FALSE(record->GetCommentVisible());
  EXPECT_EQ(record->IndexNo(), -1);
  EXPECT_TRUE(record->GetValues(0).IsNull());
  EXPECT_TRUE(record->GetValues(1).IsNull());
  EXPECT_TRUE(record->MainValues(0).IsNull());
  EXPECT_TRUE(record->AssignedValues().Empty());
  EXPECT_EQ(StoredProperties(*record), std::vector<std::string>{"FieldName"});
}

TEST_F(FieldRecordTest, CaseInsensitiveFollowsThePanelsCompareOptionsUntilAssigned) {
  TFieldRecord* record = Add("Name");
  EXPECT_TRUE(record->GetCaseInsensitive());
  panel->CompareOptions()->SetCaseInsensitive(false);
  EXPECT_FALSE(record->GetCaseInsensitive());
  record->SetCaseInsensitive(true);
  panel->CompareOptions()->SetCaseInsensitive(true);
  panel->CompareOptions()->SetCaseInsensitive(false);
  EXPECT_TRUE(record->GetCaseInsensitive());
  EXPECT_TRUE(record->IsCaseInsensitiveStored());
}

TEST_F(FieldRecordTest, RecordOutsideAnyListUsesTheBuiltInDefaults) {
  TFieldRecord record(nullptr);
  EXPECT_EQ(record.GetCount(), coNone);
  EXPECT_EQ(record.GetCompare(), ctExact);
  EXPECT_TRUE(record.GetCaseInsensitive());
  EXPECT_EQ(record.FieldsOwner(), nullptr);
  // Without a list there is nothing to resolve, but nothing breaks either.
  record.SetFieldName("Free");
  EXPECT_EQ(record.Field(), nullptr);
}

TEST_F(FieldRecordTest, AssigningTheDefaultMarksItAssignedButDoesNotStoreIt) {
  TFieldRecord* record = Add("CustNo");
  record->SetDisplayWidth(10);
  record->SetDisplayLabel("CustNo");
  record->SetVisible(true);
  record->SetAlignment(taLeftJustify);
  record->SetCompare(ctExact);
  EXPECT_TRUE(record->IsAssigned(frvDisplayWidth));
  EXPECT_TRUE(record->IsAssigned(frvDisplayLabel));
  EXPECT_TRUE(record->IsAssigned(frvCompare));
  EXPECT_EQ(StoredProperties(*record), std::vector<std::string>{"FieldName"});

  record->SetDisplayWidth(12);
  record->SetDisplayLabel("Customer");
  EXPECT_EQ(StoredProperties(*record),
            (std::vector<std::string>{"DisplayLabel", "DisplayWidth", "FieldName"}));
}

TEST_F(FieldRecordTest, CommentWidthFollowsTheDefaultWidthNotTheExplicitOne) {
  TFieldRecord* record = Add("CustNo");
  record->SetDisplayWidth(30);
  EXPECT_EQ(record->GetCommentWidth(), 10);
  record->SetCommentWidth(5);
  EXPECT_EQ(record->GetCommentWidth(), 5);
  EXPECT_TRUE(record->IsCommentWidthStored());
}

TEST_F(FieldRecordTest, UnnamedRecordsOfEveryClassShowTheBaseClassName) {
  TFieldRecord* record = fields.Add();
  EXPECT_EQ(record->GetDisplayName(), "TFieldRecord");
  record->SetFieldName("Name");
  EXPECT_EQ(record->GetDisplayName(), "Name");
}

TEST_F(FieldRecordTest, DefaultsComeFromTheBoundFieldWhileTheDataSetIsOpen) {
  PanelWithTable t;
  t.table.Open();
  TFieldRecord* record = t.panel->FindField("Balance");
  ASSERT_NE(record, nullptr);
  TField* field = t.table.FieldByName("Balance");
  field->SetDisplayLabel("Account balance");
  field->SetDisplayWidth(14);
  field->SetEditMask("999");
  EXPECT_EQ(record->Field(), field);
  EXPECT_EQ(record->GetDisplayLabel(), "Account balance");
  EXPECT_EQ(record->GetDisplayWidth(), 14);
  EXPECT_EQ(record->GetEditMask(), "999");
  EXPECT_EQ(record->GetAlignment(), field->Alignment());
  EXPECT_EQ(record->GetDataType(), TFieldType::ftCurrency);
  // Currency is a Float category: a range by default.
  EXPECT_EQ(record->GetCount(), coTwo);
}

TEST_F(FieldRecordTest, DefaultsComeFromThePersistentFieldsOfANeverOpenedDataSet) {
  PanelWithTable t;
  // Design time: persistent fields exist, the table has never been open.
  auto* name = new TStringField(&t.table);
  name->SetFieldName("Name");
  name->SetSize(30);
  name->SetDisplayLabel("Customer name");
  name->SetDisplayWidth(25);
  name->SetEditMask(">ccc");
  t.panel->Fields()->SetDefaultFields(false);
  TFieldRecord* record = t.panel->Fields()->Add();
  record->SetFieldName("Name");
  EXPECT_FALSE(t.table.DefaultFields()) << "the table will open with its persistent fields";
  EXPECT_EQ(record->GetDisplayLabel(), "Customer name");
  EXPECT_EQ(record->GetDisplayWidth(), 25);
  EXPECT_EQ(record->GetEditMask(), ">ccc");
  EXPECT_EQ(record->GetDataType(), TFieldType::ftString);
  EXPECT_TRUE(StoredProperties(*record) == std::vector<std::string>{"FieldName"});
  // Without persistent fields a closed data set has no field to ask.
  PanelWithTable plain;
  plain.panel->Fields()->SetDefaultFields(false);
  TFieldRecord* other = plain.panel->Fields()->Add();
  other->SetFieldName("Name");
  EXPECT_TRUE(plain.table.DefaultFields());
  EXPECT_EQ(other->GetDisplayLabel(), "Name");
  EXPECT_EQ(other->GetDataType(), TFieldType::ftUnknown);
}

// ---- the pair rule ----

TEST_F(FieldRecordTest, CountTwoPushesAnInternalCompareBackToInitial) {
  TFieldRecord* record = AddCalculated("Name", TFieldType::ftString);
  record->SetCompare(ctInternal);
  record->SetCount(coTwo);
  EXPECT_EQ(record->GetCount(), coTwo);
  EXPECT_EQ(record->GetCompare(), ctInitial);
  EXPECT_TRUE(record->IsAssigned(frvCompare));
}

TEST_F(FieldRecordTest, InternalComparePushesARangeCountBackToOne) {
  TFieldRecord* record = AddCalculated("Name", TFieldType::ftString);
  record->SetCount(coTwo);
  record->SetCompare(ctInternal);
  EXPECT_EQ(record->GetCompare(), ctInternal);
  EXPECT_EQ(record->GetCount(), coOne);
  EXPECT_TRUE(record->IsAssigned(frvCount));
}

TEST_F(FieldRecordTest, PairRuleAlsoAppliesAgainstTheDefaultOfTheOtherOption) {
  // Memo defaults to ctInternal; a range then makes the compare explicit ctInitial.
  TFieldRecord* record = AddCalculated("Notes", TFieldType::ftMemo);
  EXPECT_EQ(record->GetCompare(), ctInternal);
  record->SetCount(coTwo);
  EXPECT_EQ(record->GetCompare(), ctInitial);
  // An integer defaults to coTwo; containment makes the count explicit coOne.
  TFieldRecord* number = AddCalculated("Qty", TFieldType::ftInteger);
  EXPECT_EQ(number->GetCount(), coTwo);
  number->SetCompare(ctInternal);
  EXPECT_EQ(number->GetCount(), coOne);
}

// ---- names and types ----

TEST_F(FieldRecordTest, DataTypeOnADataRecordRaises25104WithTheClassName) {
  TFieldRecord* record = Add("CustNo");
  try {
    record->SetDataType(TFieldType::ftInteger);
    FAIL() << "no error";
  } catch (const EVantorError& e) {
    EXPECT_EQ(e.Message(),
              "Cannot perform this operation. The RecordKind property of TFieldRecord must be set "
              "to a 'rkCalculated'");
  }
  EXPECT_EQ(record->GetRecordKind(), rkData);
  EXPECT_EQ(record->GetDataType(), TFieldType::ftUnknown);
}

TEST_F(FieldRecordTest, DataTypeOnADataRecordRaisesAtDesignTimeToo) {
  panel->SetDesigning(true);
  TFieldRecord* record = Add("CustNo");
  EXPECT_THROW(record->SetDataType(TFieldType::ftInteger), EVantorError);
  EXPECT_EQ(record->GetRecordKind(), rkData);
}

TEST_F(FieldRecordTest, DataTypeWhileLoadingMakesTheRecordCalculated) {
  TFieldRecord* record = Add("Total");
  panel->IncludeState(csLoading);
  record->SetDataType(TFieldType::ftFloat);
  panel->ExcludeState(csLoading);
  EXPECT_EQ(record->GetRecordKind(), rkCalculated);
  EXPECT_EQ(record->GetDataType(), TFieldType::ftFloat);
  EXPECT_TRUE(record->IsDataTypeStored());
}

TEST_F(FieldRecordTest, CalculatedRecordKeepsItsOwnTypeAndIsNotBound) {
  PanelWithTable t;
  t.table.Open();
  TFieldRecord* record = t.panel->FindField("CustNo");
  ASSERT_NE(record, nullptr);
  ASSERT_NE(record->Field(), nullptr);
  record->SetRecordKind(rkCalculated);
  // The kind change takes the field's type and lets go of the field.
  EXPECT_EQ(record->GetDataType(), TFieldType::ftInteger);
  EXPECT_EQ(record->Field(), nullptr);
  EXPECT_EQ(record->GetDefaultField(), nullptr);
}

TEST_F(FieldRecordTest, FieldNameDifferingOnlyInCaseIsStoredWithoutResolvingAgain) {
  TFieldRecord* record = Add("CustNo");
  const int before = panel->index_field_no_calls;
  record->SetFieldName("CUSTNO");
  EXPECT_EQ(record->GetFieldName(), "CUSTNO");
  EXPECT_EQ(panel->index_field_no_calls, before);
  record->SetFieldName("Name");
  EXPECT_EQ(panel->index_field_no_calls, before + 1);
}

TEST_F(FieldRecordTest, FieldNameChangeTellsTheListsDesigner) {
  struct Designer : TFieldsListDesigner {
    using TFieldsListDesigner::TFieldsListDesigner;
    void DataEvent() override { ++*events; }
    int* events = nullptr;
  };
  int events = 0;
  Designer designer(&fields);
  designer.events = &events;
  TFieldRecord* record = Add("A");
  record->SetFieldName("a");
  EXPECT_EQ(events, 2);
}

// ---- values ----

TEST_F(FieldRecordTest, ValuesAreConvertedToTheRecordsType) {
  TFieldRecord* record = AddCalculated("Qty", TFieldType::ftInteger);
  record->SetValues(0, Variant("42"));
  EXPECT_EQ(record->GetValues(0), Variant(std::int32_t{42}));
  record->SetValues(1, Variant(7.0));
  EXPECT_EQ(record->GetValues(1), Variant(std::int32_t{7}));
}

TEST_F(FieldRecordTest, ValueThatCannotBeConvertedLeavesTheOldValue) {
  TFieldRecord* record = AddCalculated("Qty", TFieldType::ftInteger);
  record->SetValues(0, Variant(std::int32_t{3}));
  EXPECT_ANY_THROW(record->SetValues(0, Variant("abc")));
  EXPECT_EQ(record->GetValues(0), Variant(std::int32_t{3}));
}

TEST_F(FieldRecordTest, SlotsOtherThanZeroAndOneAreIgnored) {
  TFieldRecord* record = AddCalculated("Qty", TFieldType::ftInteger);
  record->SetValues(2, Variant(std::int32_t{3}));
  record->SetValues(-1, Variant(std::int32_t{3}));
  EXPECT_TRUE(record->GetValues(2).IsNull());
  EXPECT_TRUE(record->GetValues(0).IsNull());
  record->SetCommentTexts(5, "x");
  EXPECT_EQ(record->GetCommentTexts(5), "");
}

TEST_F(FieldRecordTest, ChangingTheTypeDropsValuesThatNoLongerFit) {
  TFieldRecord* record = AddCalculated("Code", TFieldType::ftString);
  record->SetValues(0, Variant("12"));
  record->SetValues(1, Variant("abc"));
  record->SetDataType(TFieldType::ftInteger);
  EXPECT_TRUE(record->GetValues(0).IsNull());
  EXPECT_TRUE(record->GetValues(1).IsNull());

  TFieldRecord* other = AddCalculated("Other", TFieldType::ftString);
  other->SetValues(0, Variant("12"));
  other->SetDataType(TFieldType::ftInteger);
  EXPECT_EQ(other->GetValues(0), Variant(std::int32_t{12}));
}

TEST_F(FieldRecordTest, ValueChangeUnderAutoUpdateIsAppliedAtOnce) {
  TFieldRecord* record = AddCalculated("Qty", TFieldType::ftInteger);
  const int before = panel->update_data_set_calls;
  record->SetValues(0, Variant(std::int32_t{1}));
  EXPECT_EQ(panel->update_data_set_calls, before + 1);
  EXPECT_EQ(record->MainValues(0), Variant(std::int32_t{1}));
  // The same value again is no change.
  record->SetValues(0, Variant("1"));
  EXPECT_EQ(panel->update_data_set_calls, before + 1);
}

TEST_F(FieldRecordTest, ValueChangeWithoutAutoUpdateStaysPending) {
  panel->SetUpdateState(usExit);
  TFieldRecord* record = AddCalculated("Qty", TFieldType::ftInteger);
  const int before = panel->update_data_set_calls;
  record->SetValues(0, Variant(std::int32_t{1}));
  EXPECT_EQ(panel->update_data_set_calls, before);
  EXPECT_TRUE(fields.State().Contains(fsValueChanged));
  EXPECT_TRUE(record->MainValues(0).IsNull());
}

// ---- commands ----

TEST_F(FieldRecordTest, AssignCopiesConfigurationAndValuesButNotComments) {
  TFieldRecord* source = AddCalculated("Qty", TFieldType::ftInteger);
  source->SetDisplayLabel("Quantity");
  source->SetCount(coOne);
  source->SetButtonStyle(rbsEllipsis);
  source->SetCommentVisible(true);
  source->SetCommentWidth(4);
  source->SetCommentTexts(0, "pieces");
  source->SetValues(0, Variant(std::int32_t{5}));

  TFieldRecord* target = Add("Other");
  target->SetDisplayWidth(33);
  target->Assign(source);
  EXPECT_EQ(target->GetFieldName(), "Qty");
  EXPECT_EQ(target->GetDisplayLabel(), "Quantity");
  EXPECT_EQ(target->GetCount(), coOne);
  EXPECT_EQ(target->GetButtonStyle(), rbsEllipsis);
  EXPECT_EQ(target->GetRecordKind(), rkCalculated);
  EXPECT_EQ(target->GetDataType(), TFieldType::ftInteger);
  EXPECT_EQ(target->GetValues(0), Variant(std::int32_t{5}));
  // Its own explicit width is gone: only what the source had assigned is copied.
  EXPECT_FALSE(target->IsAssigned(frvDisplayWidth));
  EXPECT_FALSE(target->IsAssigned(frvCompare));
  EXPECT_FALSE(target->GetCommentVisible());
  EXPECT_FALSE(target->IsAssigned(frvCommentWidth));
  EXPECT_EQ(target->GetCommentTexts(0), "");
}

TEST_F(FieldRecordTest, AssignFromAnotherClassRaisesTheAssignmentError) {
  TFieldRecord* record = Add("A");
  TStyleOptions style(panel.get());
  EXPECT_THROW(record->Assign(&style), EConvertError);
}

TEST_F(FieldRecordTest, ControlsFollowTheRecordAndGoWithDestroyComponents) {
  TFieldRecord* record = AddCalculated("Qty", TFieldType::ftInteger);
  TWinControl* box = panel->ScrollBox();
  const int before = box->ComponentCount();
  auto* edit = new TFieldRecordEdit(box);
  edit->SetFieldRecord(record);
  record->SetEdits(0, edit);
  for (int i = 0; i < 3; ++i) record->SetLabels(i, new TLabel(box));
  record->SetCommentLabels(1, new TLabel(box));

  record->SetValues(0, Variant(std::int32_t{12}));
  EXPECT_EQ(edit->Text(), "12");
  EXPECT_FALSE(edit->Modified());
  // While the record itself writes, the edit is not written again.
  record->BeginEditUpdating(0);
  record->SetValues(0, Variant(std::int32_t{13}));
  record->EndEditUpdating(0);
  EXPECT_EQ(edit->Text(), "12");

  record->SetEditMask("999");
  record->SetAlignment(taRightJustify);
  EXPECT_EQ(edit->EditMask(), "999");
  EXPECT_EQ(edit->Alignment(), taRightJustify);

  record->SetCommentTexts(1, "units");
  EXPECT_EQ(record->CommentLabels(1)->Caption(), "units");

  record->DestroyComponents();
  EXPECT_EQ(record->Edits(0), nullptr);
  EXPECT_EQ(record->Labels(0), nullptr);
  EXPECT_EQ(record->Labels(2), nullptr);
  EXPECT_EQ(record->CommentLabels(1), nullptr);
  EXPECT_EQ(box->ComponentCount(), before);
}

TEST_F(FieldRecordTest, FreeingARecordFreesItsControls) {
  TFieldRecord* record = Add("A");
  TWinControl* box = panel->ScrollBox();
  const int before = box->ComponentCount();
  record->SetLabels(0, new TLabel(box));
  delete record;
  EXPECT_EQ(box->ComponentCount(), before);
  EXPECT_EQ(fields.Count(), 0);
}

TEST_F(FieldRecordTest, CommentLabelIsRefreshedEvenWhenTheTextIsUnchanged) {
  TFieldRecord* record = AddCalculated("Qty", TFieldType::ftInteger);
  auto* label = new TLabel(panel->ScrollBox());
  record->SetCommentLabels(0, label);
  record->SetCommentTexts(0, "units");
  label->SetCaption("stale");
  record->SetCommentTexts(0, "units");
  EXPECT_EQ(label->Caption(), "units");
}

TEST_F(FieldRecordTest, MovingARecordKeepsTheFieldMapOnTheSameRecords) {
  PanelWithTable t;
  t.table.Open();
  TFieldsList& list = *t.panel->Fields();  // CustNo Name Notes Balance
  TFieldRecord* cust = t.panel->FindField("CustNo");
  TFieldRecord* name = t.panel->FindField("Name");
  TFieldRecord* balance = t.panel->FindField("Balance");
  name->SetValues(0, Variant("M"));
  balance->SetValues(0, Variant(Currency::FromInt(5)));
  auto mapped = [&list] {
    std::vector<std::string> names;
    for (int pos = 0; pos < list.FieldMapCount(); ++pos) names.push_back(list.FieldMapRecord(pos)->GetFieldName());
    return names;
  };
  ASSERT_EQ(mapped(), (std::vector<std::string>{"Name", "Balance"}));
  balance->SetIndex(0);  // Balance CustNo Name Notes
  EXPECT_EQ(mapped(), (std::vector<std::string>{"Balance", "Name"}));
  cust->SetIndex(3);  // Balance Name Notes CustNo
  EXPECT_EQ(mapped(), (std::vector<std::string>{"Balance", "Name"}));
  // Inside an update bracket too: the map follows at once, not at the end of it.
  list.BeginUpdate();
  name->SetIndex(0);  // Name Balance Notes CustNo
  EXPECT_EQ(mapped(), (std::vector<std::string>{"Name", "Balance"}));
  list.EndUpdate();
  EXPECT_EQ(mapped(), (std::vector<std::string>{"Name", "Balance"}));
}

TEST_F(FieldRecordTest, MovingARecordAsksForARelayout) {
  Add("A");
  TFieldRecord* b = Add("B");
  const int before = panel->paint_calls;
  b->SetIndex(0);
  EXPECT_EQ(fields.Items(0), b);
  EXPECT_GT(panel->paint_calls, before);
}

// ---- typed keys ----

TEST_F(FieldRecordTest, CalculatedRecordsAcceptTheCharactersOfTheirType) {
  TFieldRecord* number = AddCalculated("Qty", TFieldType::ftInteger);
  EXPECT_TRUE(number->IsValidChar(U'5'));
  EXPECT_TRUE(number->IsValidChar(U'-'));
  EXPECT_FALSE(number->IsValidChar(U'a'));
  TFieldRecord* text = AddCalculated("Name", TFieldType::ftString);
  EXPECT_FALSE(text->IsValidChar(U'a'));
}

TEST_F(FieldRecordTest, DataRecordsAskTheirFieldWhichCharactersItTakes) {
  PanelWithTable t;
  TFieldRecord* unbound = t.panel->Fields()->Add();
  unbound->SetFieldName("CustNo");
  EXPECT_FALSE(unbound->IsValidChar(U'5'));  // no field: nothing is accepted
  delete unbound;
  t.table.Open();
  TFieldRecord* number = t.panel->FindField("CustNo");
  TFieldRecord* name = t.panel->FindField("Name");
  ASSERT_NE(number, nullptr);
  ASSERT_NE(name, nullptr);
  EXPECT_TRUE(number->IsValidChar(U'7'));
  EXPECT_FALSE(number->IsValidChar(U'x'));
  EXPECT_TRUE(name->IsValidChar(U'x'));
}

TEST_F(FieldRecordTest, ConversionMembersUseTheRecordsType) {
  TFieldRecord* record = AddCalculated("Flag", TFieldType::ftBoolean);
  EXPECT_TRUE(record->IsConvertText("t"));
  EXPECT_FALSE(record->IsConvertText("maybe"));
  EXPECT_EQ(record->TextToVariant("F"), Variant(false));
  EXPECT_EQ(record->VariantToText(Variant(true)), "True");
  EXPECT_TRUE(record->VarAsDataType(Variant()).IsNull());
}

}  // namespace
}  // namespace vantor
