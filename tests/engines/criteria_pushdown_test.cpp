// The condition a filter panel hands a server: every record the panel's record test accepts
// must satisfy it (random tables and criteria of every count, compare and case rule, with
// case variants, Turkish and Greek letters, NULLs, numbers and dates), whether the server
// upper-cases as the client does or not; and it must narrow where it can.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <vantor/engines/criteria_pushdown.h>
#include <vantor/engines/filter_panel.h>
#include "engines/support/contacts.h"
#include "engines/support/random_filter.h"
#include "engines/support/server_condition_eval.h"
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/data/table.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/exceptions.h>

namespace vantor::engines_test {
namespace {

using Kind = TServerCondition::Kind;

struct Fixture : RandomFilterRig {
  using RandomFilterRig::RandomFilterRig;

  // Random criteria, applied (the panel may refuse them).
  std::string RandomCriteria() {
    std::string what = EnterRandomCriteria();
    try {
      panel.EndUpdate();
    } catch (const Exception&) {
      what += "(raised)";
    }
    return what;
  }

  // Runs the panel's record test over every row with the condition beside it. Counts the
  // rows the condition admits (case mapping known) and reports the first row the test
  // accepts that the condition refuses.
  struct Pass {
    int accepted = 0;
    int admitted = 0;
    int rows = 0;
    std::string refused;
  };
  Pass Run(const TServerCondition& condition) {
    Pass pass;
    TFilterRecordEvent each;
    each = [&](TDataSet* ds, bool& accept) {
      panel.FilterRecord(ds, accept);
      ++pass.rows;
      const bool mapped = ConditionHolds(condition, *ds, true);
      const bool unmapped = ConditionHolds(condition, *ds, false);
      pass.admitted += mapped ? 1 : 0;
      pass.accepted += accept ? 1 : 0;
      if (accept && (!mapped || !unmapped) && pass.refused.empty()) {
        pass.refused = "id " + ds->FieldByName("id")->AsString() + (mapped ? " (case unmapped)" : " (case mapped)");
      }
    };
    try {
      t.table.SetOnFilterRecord(each);
      if (!t.table.Filtered()) t.table.SetFiltered(true);
    } catch (const Exception&) {
      // The record test raised on some row (a value the host cannot compare).
    }
    return pass;
  }
};

TEST(CriteriaPushdown, EveryAcceptedRecordSatisfiesTheCondition) {
  long accepted = 0, admitted = 0, rows = 0;
  int pushed = 0;
  for (std::uint32_t seed = 1; seed <= 8; ++seed) {
    Fixture f(seed, 250);
    for (int round = 0; round < 80; ++round) {
      const std::string what = f.RandomCriteria();
      const TServerCondition condition = CriteriaServerCondition(f.panel);
      const Fixture::Pass pass = f.Run(condition);
      EXPECT_EQ(pass.refused, "") << "seed " << seed << ": " << what;
      accepted += pass.accepted;
      admitted += pass.admitted;
      rows += pass.rows;
      pushed += condition.IsTrue() ? 0 : 1;
    }
  }
  // The condition narrows: most criteria give one, and it keeps out a good share of the
  // rows the record test refuses (begins-with on numbers, fields that show their values
  // their own way and calculated fields push nothing, by design).
  EXPECT_GT(pushed, 8 * 80 / 2);
  EXPECT_GE(admitted, accepted);
  EXPECT_GT(rows - admitted, (rows - accepted) / 3) << accepted << " accepted, " << admitted << " admitted of " << rows;
}

// A panel over the contacts of a memory table, for single cases.
struct Single {
  Single() : table(MemoryContacts::Make(nullptr)), source(nullptr), panel(nullptr) {
    table->Open();
    source.SetDataSet(table.get());
    panel.SetDataSource(&source);
    panel.SetFiltered(true);
  }
  ~Single() {
    panel.SetDataSource(nullptr);
    source.SetDataSet(nullptr);
  }
  TFieldRecord* Set(const std::string& name, TCountType count, TCompareType compare, bool case_insensitive,
                    const Variant& v1, const Variant& v2 = Variant::Null()) {
    TFieldRecord* r = panel.FieldByName(name);
    panel.BeginUpdate();
    r->SetCount(count);
    r->SetCompare(compare);
    r->SetCaseInsensitive(case_insensitive);
    r->SetValues(0, v1);
    r->SetValues(1, v2);
    panel.EndUpdate();
    return r;
  }
  std::unique_ptr<TTable> table;
  TDataSource source;
  TDBFilterPanel panel;
};

TEST(CriteriaPushdown, TextTermsEscapePatternsAndKeepUserTextAsValues) {
  Single s;
  s.Set("name", coOne, ctInitial, false, Variant("50%_a\\"));
  TServerCondition c = CriteriaServerCondition(s.panel);
  ASSERT_EQ(c.kind, Kind::kLike);
  EXPECT_EQ(c.column, "name");
  EXPECT_TRUE(LikeMatches("50%_a\\ and more", c.pattern));
  EXPECT_FALSE(LikeMatches("500_a\\", c.pattern));
  EXPECT_FALSE(LikeMatches("50%xa\\", c.pattern));

  // Equality keeps the text as a value to bind, never inside a pattern.
  s.Set("name", coOne, ctExact, false, Variant("O'Brien; --"));
  c = CriteriaServerCondition(s.panel);
  ASSERT_EQ(c.kind, Kind::kCompare);
  EXPECT_EQ(c.op, opEqual);
  EXPECT_EQ(c.value, Variant("O'Brien; --"));

  // A text no server can hold (a stray byte) pushes nothing.
  s.Set("name", coOne, ctInitial, false, Variant("ab\xC3"));
  EXPECT_TRUE(CriteriaServerCondition(s.panel).IsTrue());
}

TEST(CriteriaPushdown, CaseFreeTextsUseCapitalsOnlyWhereTheServerAgrees) {
  Single s;
  s.Set("name", coOne, ctInitial, true, Variant("sıgma 2"));
  TServerCondition c = CriteriaServerCondition(s.panel);
  ASSERT_EQ(c.kind, Kind::kCaseMapped);
  // Agreeing: the capitals' pattern.
  EXPECT_TRUE(c.children[0].upper);
  EXPECT_TRUE(LikeMatches(AnsiUpperCase("sIgma 2 und mehr"), c.children[0].pattern));
  // Otherwise: every letter with case variants is any one character, the others stand for
  // themselves; what the client's rule accepts (ſ for s, İ and I for ı, whose capital is I)
  // still matches, a text with more before the blank and the digit does not.
  EXPECT_FALSE(c.children[1].upper);
  EXPECT_TRUE(LikeMatches("ſİGma 2", c.children[1].pattern));
  EXPECT_TRUE(LikeMatches("SIGMA 2x", c.children[1].pattern));
  EXPECT_FALSE(LikeMatches("xSIGMA 2", c.children[1].pattern));
  EXPECT_FALSE(LikeMatches("SIGMA 3", c.children[1].pattern));

  // A case-free range can only be asked on capitals.
  s.Set("name", coTwo, ctInitial, true, Variant("B"), Variant("IA"));
  c = CriteriaServerCondition(s.panel);
  ASSERT_EQ(c.kind, Kind::kCaseMapped);
  EXPECT_TRUE(c.children[1].IsTrue());
  EXPECT_TRUE(c.children[0].UsesUpper());
}

TEST(CriteriaPushdown, NullsJoinWhereTheRecordTestAcceptsThem) {
  Single s;
  // A range open at the bottom: Null sorts lowest and passes.
  s.Set("amount", coTwo, ctExact, false, Variant::Null(), Variant(40));
  TServerCondition c = CriteriaServerCondition(s.panel);
  ASSERT_EQ(c.kind, Kind::kOr);
  EXPECT_TRUE(std::any_of(c.children.begin(), c.children.end(), [](const TServerCondition& t) { return t.kind == Kind::kIsNull; }));
  // A lower bound keeps nulls out.
  s.Set("amount", coTwo, ctExact, false, Variant(20), Variant(40));
  c = CriteriaServerCondition(s.panel);
  EXPECT_FALSE(c.UsesUpper());
  ASSERT_EQ(c.kind, Kind::kAnd);
  EXPECT_EQ(c.children[0].value, Variant(std::int32_t{20}));
  EXPECT_EQ(c.children[1].value, Variant(std::int32_t{40}));
}

TEST(CriteriaPushdown, CurrencyBoundsWidenByOneUnitOfTheLastDecimal) {
  RandomFilterRig rig(5, 0);
  TDBFilterPanel& panel = rig.panel;
  TFieldRecord* r = panel.FieldByName("limit");
  panel.BeginUpdate();
  r->SetCount(coTwo);
  r->SetValues(0, Variant(Currency::FromScaled(100001)));
  r->SetValues(1, Variant(Currency::FromScaled(200000)));
  panel.EndUpdate();
  // A server that keeps more decimals than the field shows may hold 10.00005 for 10.0001.
  const TServerCondition c = CriteriaServerCondition(panel);
  ASSERT_EQ(c.kind, Kind::kAnd);
  EXPECT_EQ(c.children[0].value, Variant(Currency::FromScaled(100000)));
  EXPECT_EQ(c.children[1].value, Variant(Currency::FromScaled(200001)));
}

TEST(CriteriaPushdown, NothingIsPushedWhatCannotBeProven) {
  Single s;
  s.Set("name", coOne, ctExact, false, Variant("Smith"));
  EXPECT_FALSE(CriteriaServerCondition(s.panel).IsTrue());
  // The application's own filter sees the rows it always saw.
  s.panel.OnFilterRecord = [](TDataSet*, bool& accept) { accept = true; };
  EXPECT_TRUE(CriteriaServerCondition(s.panel).IsTrue());
  s.panel.OnFilterRecord = {};
  // Begins-with on a number compares formatted texts.
  s.Set("name", coOne, ctExact, false, Variant::Null());
  s.Set("amount", coOne, ctInitial, false, Variant(4));
  EXPECT_TRUE(CriteriaServerCondition(s.panel).IsTrue());
}

}  // namespace
}  // namespace vantor::engines_test
