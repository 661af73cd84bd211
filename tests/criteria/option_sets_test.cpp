#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <vantor/criteria/compare_options.h>
#include <vantor/criteria/count_options.h>
#include <vantor/criteria/field_captions.h>
#include <vantor/criteria/field_record.h>
#include <vantor/criteria/fields_list.h>
#include "panel/support/test_panel.h"
#include "support/stored_properties.h"
#include <vantor/platform/core/reader.h>
#include <vantor/platform/core/stream.h>
#include <vantor/platform/core/writer.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/rtl/string_table.h>
#include <vantor/platform/ui/form.h>

namespace vantor {
namespace {

using testing::TTestPanel;
using testing_support::StoredProperties;

// ---- count and compare options ----

TEST(OptionSets, StartWithTheDocumentedPerTypeDefaults) {
  TTestPanel panel(nullptr);
  const TCountOptions& counts = *panel.CountOptions();
  const TCompareOptions& compares = *panel.CompareOptions();
  const std::vector<TCountType> expected_counts{coOne, coTwo, coTwo, coTwo, coOne, coOne};
  const std::vector<TCompareType> expected_compares{ctExact,    ctExact,   ctExact,
                                                    ctExact,    ctInternal, ctInitial};
  for (int i = 0; i < kTypeCategoryCount; ++i) {
    EXPECT_EQ(counts.GetCount(i), expected_counts[static_cast<std::size_t>(i)]) << i;
    EXPECT_EQ(compares.GetCompare(i), expected_compares[static_cast<std::size_t>(i)]) << i;
  }
  EXPECT_TRUE(compares.GetCaseInsensitive());
  EXPECT_FALSE(compares.GetCaseSensitive());
  EXPECT_TRUE(StoredProperties(counts).empty());
  EXPECT_TRUE(StoredProperties(compares).empty());
}

TEST(OptionSets, RangeCountPushesAContainmentCompareOfTheSameCategoryBack) {
  TTestPanel panel(nullptr);
  panel.CountOptions()->SetCount(4, coTwo);  // MemoCount; MemoCompare is ctInternal
  EXPECT_EQ(panel.CountOptions()->GetCount(4), coTwo);
  EXPECT_EQ(panel.CompareOptions()->GetCompare(4), ctInitial);
  EXPECT_EQ(StoredProperties(*panel.CountOptions()), std::vector<std::string>{"MemoCount"});
  EXPECT_EQ(StoredProperties(*panel.CompareOptions()), std::vector<std::string>{"MemoCompare"});
}

TEST(OptionSets, ContainmentComparePushesARangeCountOfTheSameCategoryBack) {
  TTestPanel panel(nullptr);
  panel.CountOptions()->SetCount(5, coTwo);  // StringCount
  panel.CompareOptions()->SetCompare(5, ctInternal);
  EXPECT_EQ(panel.CompareOptions()->GetCompare(5), ctInternal);
  EXPECT_EQ(panel.CountOptions()->GetCount(5), coOne);
}

TEST(OptionSets, ComparesOtherThanContainmentLeaveTheCountAlone) {
  TTestPanel panel(nullptr);
  panel.CountOptions()->SetCount(5, coTwo);  // StringCount
  for (TCompareType compare : {ctExact, ctInitial, ctExact}) {
    panel.CompareOptions()->SetCompare(5, compare);
    EXPECT_EQ(panel.CompareOptions()->GetCompare(5), compare);
    EXPECT_EQ(panel.CountOptions()->GetCount(5), coTwo) << "a range goes with " << static_cast<int>(compare);
  }
  // No count is pushed anywhere from coNone, whatever the compare.
  panel.CountOptions()->SetCount(3, coNone);  // IntegerCount
  for (TCompareType compare : {ctInitial, ctInternal, ctExact}) {
    panel.CompareOptions()->SetCompare(3, compare);
    EXPECT_EQ(panel.CountOptions()->GetCount(3), coNone) << static_cast<int>(compare);
  }
  // And the other direction: a count other than a range leaves a containment compare.
  panel.CompareOptions()->SetCompare(4, ctInternal);  // MemoCompare
  for (TCountType count : {coNone, coOne}) {
    panel.CountOptions()->SetCount(4, count);
    EXPECT_EQ(panel.CompareOptions()->GetCompare(4), ctInternal) << static_cast<int>(count);
  }
}

TEST(OptionSets, ChangesReachEveryRecordWithoutAnExplicitValue) {
  TTestPanel panel(nullptr);
  TFieldsList& list = *panel.Fields();
  TFieldRecord* free_record = list.Add();
  free_record->SetRecordKind(rkCalculated);
  free_record->SetDataType(TFieldType::ftInteger);
  TFieldRecord* fixed = list.Add();
  fixed->SetRecordKind(rkCalculated);
  fixed->SetDataType(TFieldType::ftInteger);
  fixed->SetCount(coTwo);

  const int paints = panel.paint_calls;
  const int updates = panel.update_data_set_calls;
  panel.CountOptions()->SetCount(3, coOne);
  EXPECT_EQ(free_record->GetCount(), coOne);
  EXPECT_EQ(fixed->GetCount(), coTwo);
  EXPECT_EQ(panel.paint_calls, paints + 1);
  EXPECT_EQ(panel.update_data_set_calls, updates + 1);

  panel.CountOptions()->SetCount(3, coOne);  // unchanged: nothing happens
  EXPECT_EQ(panel.update_data_set_calls, updates + 1);

  panel.CompareOptions()->SetCaseInsensitive(false);
  EXPECT_EQ(panel.update_data_set_calls, updates + 2);
  EXPECT_FALSE(free_record->GetCaseInsensitive());
}

TEST(OptionSets, TypesOutsideEveryCategoryGetNoOptions) {
  TTestPanel panel(nullptr);
  TFieldRecord* blob = panel.Fields()->Add();
  blob->SetRecordKind(rkCalculated);
  blob->SetDataType(TFieldType::ftBlob);
  panel.CountOptions()->SetCount(5, coTwo);
  EXPECT_EQ(blob->GetCount(), coNone);
  EXPECT_EQ(blob->GetCompare(), ctExact);
  EXPECT_EQ(panel.CountOptions()->GetCount(9), coNone);
  EXPECT_EQ(panel.CompareOptions()->GetCompare(-1), ctExact);
}

TEST(OptionSets, InsideAListUpdateTheWorkWaitsForTheBracketToClose) {
  TTestPanel panel(nullptr);
  const int updates = panel.update_data_set_calls;
  {
    UpdateGuard<TCollection> bracket(*panel.Fields());
    panel.CountOptions()->SetCount(0, coTwo);
    panel.CompareOptions()->SetCompare(1, ctInitial);
    EXPECT_EQ(panel.update_data_set_calls, updates);
  }
  EXPECT_EQ(panel.update_data_set_calls, updates + 1);
}

// ---- captions ----

TEST(FieldCaptions, DefaultsAreTheStringTableTextsAndAreNotStored) {
  TTestPanel panel(nullptr);
  TFieldCaptions& captions = *panel.Captions();
  EXPECT_EQ(captions.GetCaption(0), "with");
  EXPECT_EQ(captions.GetCaption(1), "on");
  EXPECT_FALSE(captions.IsCaptionStored(0));
  captions.SetCaption(1, "to");
  EXPECT_TRUE(captions.IsCaptionStored(1));
  EXPECT_EQ(StoredProperties(captions), std::vector<std::string>{"OnCaption"});
}

TEST(FieldCaptions, ChangeRelaysThePanelOut) {
  TTestPanel panel(nullptr);
  const int paints = panel.paint_calls;
  panel.Captions()->SetCaption(0, "from");
  EXPECT_EQ(panel.paint_calls, paints + 1);
  panel.Captions()->SetCaption(0, "from");
  EXPECT_EQ(panel.paint_calls, paints + 1);
}

TEST(FieldCaptions, EmptyCaptionReadsAsOneBlankWhileWrittenAtDesignTime) {
  TTestPanel panel(nullptr);
  panel.Captions()->SetCaption(0, "");
  panel.Captions()->SetCaption(1, "  ");
  panel.IncludeState(csWriting);
  EXPECT_EQ(panel.Captions()->GetCaption(0), "");  // not designing: as it is
  panel.SetDesigning(true);
  EXPECT_EQ(panel.Captions()->GetCaption(0), " ");
  EXPECT_EQ(panel.Captions()->GetCaption(1), "   ");
  panel.ExcludeState(csWriting);
  EXPECT_EQ(panel.Captions()->GetCaption(0), "");
  EXPECT_TRUE(panel.Captions()->IsCaptionStored(0));
}

TEST(FieldCaptions, LoadingTakesTheAddedBlankOffAgain) {
  TTestPanel panel(nullptr);
  panel.IncludeState(csLoading);
  panel.Captions()->SetCaption(0, " ");
  panel.Captions()->SetCaption(1, "   ");
  EXPECT_EQ(panel.Captions()->GetCaption(0), "");
  EXPECT_EQ(panel.Captions()->GetCaption(1), "  ");
  panel.Captions()->SetCaption(1, " to ");  // text is kept as it is
  EXPECT_EQ(panel.Captions()->GetCaption(1), " to ");
  panel.ExcludeState(csLoading);
}

TEST(FieldCaptions, OutOfRangeIndexesReadEmptyAndAreIgnored) {
  TTestPanel panel(nullptr);
  panel.Captions()->SetCaption(2, "x");
  EXPECT_EQ(panel.Captions()->GetCaption(2), "");
  EXPECT_FALSE(panel.Captions()->IsCaptionStored(-1));
}

// ---- messages ----

TEST(VantorMessages, RaiseTheirFormattedStringTableTexts) {
  try {
    VantorError(SFieldNotFound, {"Panel1", "Total"});
    FAIL();
  } catch (const EVantorError& e) {
    EXPECT_EQ(e.Message(), "Panel1: Field 'Total' not found");
  }
  try {
    VantorError(SControlCannotBeUsed, {"TDBFindPanel"});
    FAIL();
  } catch (const EVantorError& e) {
    EXPECT_EQ(e.Message(), "Control cannot be used in a 'TDBFindPanel'");
  }
  EXPECT_EQ(LoadStr(SWithCaption), "with");
  EXPECT_EQ(LoadStr(SOnCaption), "on");
}

}  // namespace
}  // namespace vantor
