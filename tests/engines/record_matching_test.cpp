// The record test (CheckRecord) and its queries, on both kinds of table.
#include <gtest/gtest.h>

#include <vantor/engines/filter_panel.h>
#include <vantor/engines/find_panel.h>
#include "engines/support/harness.h"

namespace vantor::engines_test {
namespace {

template <typename Backend>
class RecordMatching : public ::testing::Test {
 protected:
  Harness<TDBFilterPanel, Backend> h;
  Ids Matching() { return MatchingIds(*h.panel, *h.table); }
};

TYPED_TEST_SUITE(RecordMatching, Backends, BackendName);

TYPED_TEST(RecordMatching, EmptyStretchPassesWithoutReadingTheDataSet) {
  EXPECT_TRUE(this->h.panel->CheckRecord(0, -1));
  this->h.table->Close();  // reading a field now would raise
  EXPECT_TRUE(this->h.panel->CheckRecord(0, -1));
  EXPECT_TRUE(this->h.panel->CheckRecord(3, 2));
}

TYPED_TEST(RecordMatching, ExactTextMatchFollowsTheCaseRule) {
  this->h.One("name", Variant("smith"), ctExact, true);
  EXPECT_EQ(this->Matching(), (Ids{1, 2, 3}));
  this->h.Record("name")->SetCaseInsensitive(false);
  EXPECT_EQ(this->Matching(), (Ids{2}));
  this->h.Record("name")->SetValues(0, Variant("Smit"));
  EXPECT_EQ(this->Matching(), (Ids{}));
}

TYPED_TEST(RecordMatching, InitialMatchesTheStartOfTheText) {
  this->h.One("name", Variant("sm"), ctInitial, true);
  EXPECT_EQ(this->Matching(), (Ids{1, 2, 3, 5, 13}));  // not Goldsmith
  this->h.Record("name")->SetCaseInsensitive(false);
  EXPECT_EQ(this->Matching(), (Ids{2}));
  this->h.Record("name")->SetValues(0, Variant("Sm"));
  EXPECT_EQ(this->Matching(), (Ids{1, 5, 13}));
}

TYPED_TEST(RecordMatching, InternalMatchesAnywhereInTheText) {
  this->h.One("name", Variant("sm"), ctInternal, true);
  EXPECT_EQ(this->Matching(), (Ids{1, 2, 3, 4, 5, 13}));
  this->h.Record("name")->SetCaseInsensitive(false);
  EXPECT_EQ(this->Matching(), (Ids{2, 4}));
}

TYPED_TEST(RecordMatching, CaseRuleMeansNothingForNumbers) {
  this->h.One("amount", Variant(20), ctExact, true);
  EXPECT_EQ(this->Matching(), (Ids{3, 12}));
  EXPECT_FALSE(this->h.panel->CaseInsensitiveField(this->h.Record("amount")));
  EXPECT_TRUE(this->h.panel->CaseInsensitiveField(this->h.Record("name")));
  // An initial match on a number compares the record's texts of the values.
  this->h.Record("amount")->SetCompare(ctInitial);
  this->h.Record("amount")->SetValues(0, Variant(2));
  EXPECT_EQ(this->Matching(), (Ids{3, 4, 7, 12}));
}

TYPED_TEST(RecordMatching, CaseSensitiveDependentOnlyForTextTypes) {
  auto& p = *this->h.panel;
  EXPECT_TRUE(p.CaseSensitiveDependent(TFieldType::ftString));
  EXPECT_TRUE(p.CaseSensitiveDependent(TFieldType::ftMemo));
  EXPECT_TRUE(p.CaseSensitiveDependent(TFieldType::ftFmtMemo));
  EXPECT_FALSE(p.CaseSensitiveDependent(TFieldType::ftInteger));
  EXPECT_FALSE(p.CaseSensitiveDependent(TFieldType::ftDate));
  EXPECT_FALSE(p.CaseSensitiveDependent(TFieldType::ftBoolean));
}

TYPED_TEST(RecordMatching, ExactTextRangeComparesTheWholeText) {
  this->h.Two("name", Variant("b"), Variant("d"), ctExact, true);
  // Bob, Baker and D lie in B..D; DAN sorts above D; AL and ADAMS below B.
  EXPECT_EQ(this->Matching(), (Ids{7, 8, 12}));
}

TYPED_TEST(RecordMatching, InitialTextRangeComparesTheUpperBoundWithAsManyCharacters) {
  this->h.Two("name", Variant("B"), Variant("D"), ctInitial, true);
  EXPECT_EQ(this->Matching(), (Ids{7, 8, 9, 12}));  // Dan now matches, Eve and Al do not
  this->h.Record("name")->SetCompare(ctInternal);  // pushes the count back to one value
  EXPECT_EQ(this->h.Record("name")->GetCount(), coOne);
}

TYPED_TEST(RecordMatching, InitialRangeTakesAsManyCharactersAsTheBoundNotBytes) {
  // "ı" (dotless i) is two bytes and upper-cases to the one byte "I": the first two
  // characters of "ıZ" are "IZ" once upper-cased, above the bound "IA"; its first two
  // bytes would be only "I", below it.
  this->h.GoTo(11);
  this->h.table->Edit();
  this->h.table->FieldByName("name")->SetAsString("\xC4\xB1Z");
  this->h.table->Post();
  this->h.GoTo(12);
  this->h.table->Edit();
  this->h.table->FieldByName("name")->SetAsString("\xC4\xB1" "a");
  this->h.table->Post();
  this->h.Two("name", Variant("I"), Variant("IA"), ctInitial, true);
  EXPECT_EQ(this->Matching(), (Ids{12}));
  this->h.Record("name")->SetValues(1, Variant("\xC4\xB1z"));
  EXPECT_EQ(this->Matching(), (Ids{11, 12}));
}

TYPED_TEST(RecordMatching, CaseFreeEqualityIsEqualityOfCapitals) {
  // "İ" lower-cases to "i" but "i" capitalises to "I": they are not case variants of
  // each other, as a case-insensitive index (ordered by capitals) sees it too.
  this->h.GoTo(11);
  this->h.table->Edit();
  this->h.table->FieldByName("name")->SetAsString("\xC4\xB0" "b");
  this->h.table->Post();
  this->h.GoTo(12);
  this->h.table->Edit();
  this->h.table->FieldByName("name")->SetAsString("IB");
  this->h.table->Post();
  this->h.One("name", Variant("ib"), ctExact, true);
  EXPECT_EQ(this->Matching(), (Ids{12}));
  this->h.Record("name")->SetValues(0, Variant("\xC4\xB0" "B"));
  EXPECT_EQ(this->Matching(), (Ids{11}));
}

TYPED_TEST(RecordMatching, CaseSensitiveInitialRangeUsesRecordTexts) {
  this->h.Two("name", Variant("S"), Variant("Sm"), ctInitial, false);
  // Byte order: "SMITH" < "Smith" < "Smithers" < "Smyth"; lower-case "smith" is above "Sm".
  EXPECT_EQ(this->Matching(), (Ids{1, 3, 5, 13}));
}

TYPED_TEST(RecordMatching, NumericRangeBoundsAreInclusive) {
  this->h.Two("amount", Variant(10), Variant(20));
  EXPECT_EQ(this->Matching(), (Ids{1, 2, 3, 6, 8, 11, 12}));  // 21 is out
}

TYPED_TEST(RecordMatching, RangeWithOneBoundIsOpenOnTheOtherSide) {
  this->h.Two("amount", Variant::Null(), Variant(12));
  // A null amount lies below every bound, as it does in the index order.
  EXPECT_EQ(this->Matching(), (Ids{1, 5, 6, 10, 13}));
  this->h.Record("amount")->SetValues(1, Variant::Null());
  this->h.Record("amount")->SetValues(0, Variant(21));
  EXPECT_EQ(this->Matching(), (Ids{4, 7, 9}));
}

TYPED_TEST(RecordMatching, NullFieldFailsASingleValue) {
  this->h.One("city", Variant("B"), ctInitial, true);
  EXPECT_EQ(this->Matching(), (Ids{1, 2, 4, 6, 7, 10}));  // Smyth has no city
}

TYPED_TEST(RecordMatching, EveryFieldMustMatchAndTheFirstFailureDecides) {
  this->h.panel->BeginUpdate();
  this->h.One("city", Variant("Berlin"), ctExact, true);
  this->h.Two("amount", Variant(10), Variant(21));
  this->h.panel->EndUpdate();
  EXPECT_EQ(this->Matching(), (Ids{1, 4, 6}));
}

TYPED_TEST(RecordMatching, RefusedRecordsAreLeftOutOfTheTest) {
  // The filter panel refuses memos: such a record counts as coNone and never restricts.
  this->h.panel->Fields()->SetDefaultFields(false);
  TFieldRecord* note = this->h.panel->Fields()->Add();
  note->SetFieldName("note");
  note->SetCount(coOne);
  note->SetValues(0, Variant("zzz"));
  EXPECT_EQ(this->h.panel->CountState(note), coNone);
  EXPECT_EQ(this->h.panel->Fields()->FieldMapCount(), 0);
  EXPECT_EQ(this->Matching().size(), static_cast<std::size_t>(kContactRows));
}

template <typename Backend>
class RecordMatchingFind : public ::testing::Test {
 protected:
  Harness<TDBFindPanel, Backend> h;
};
TYPED_TEST_SUITE(RecordMatchingFind, Backends, BackendName);

TYPED_TEST(RecordMatchingFind, RecordWithoutAFieldDoesNotRestrict) {
  auto& h = this->h;
  h.panel->SetUpdateState(usNone);
  h.panel->SetFindOptions(foNormal);
  h.panel->Fields()->SetDefaultFields(false);
  TFieldRecord* ghost = h.panel->Fields()->Add();
  ghost->SetFieldName("nosuchfield");
  ghost->SetCount(coOne);
  ghost->SetValues(0, Variant("x"));
  TFieldRecord* name = h.panel->Fields()->Add();
  name->SetFieldName("name");
  name->SetCount(coOne);
  name->SetCompare(ctExact);
  name->SetValues(0, Variant("Bob"));
  h.panel->ValuesChanged();
  ASSERT_EQ(h.panel->Fields()->FieldMapCount(), 2);
  EXPECT_EQ(ghost->Field(), nullptr);
  EXPECT_EQ(MatchingIds(*h.panel, *h.table), (Ids{8}));
}

}  // namespace
}  // namespace vantor::engines_test
