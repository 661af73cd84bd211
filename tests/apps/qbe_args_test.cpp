// The qbe program's command line. The parser lives with the program (it is not
// library code), so the tests link the program's own library target.
#include "qbe/qbe_args.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

using qbe::Action;
using qbe::CompareMode;
using qbe::FindMode;
using qbe::Options;
using qbe::ParseArguments;
using qbe::ParseCriterion;
using qbe::UsageError;

Options Parse(std::initializer_list<std::string_view> args) {
  return ParseArguments(std::span<const std::string_view>(args.begin(), args.size()));
}

std::string ErrorOf(std::initializer_list<std::string_view> args) {
  try {
    Parse(args);
  } catch (const UsageError& e) {
    return e.what();
  }
  return "";
}

TEST(QbeCriterion, PlainValueHasOnlyTheLowSlot) {
  auto c = ParseCriterion("Name=Smi");
  EXPECT_EQ(c.field, "Name");
  EXPECT_FALSE(c.range);
  EXPECT_EQ(c.low, "Smi");
  EXPECT_FALSE(c.high);
}

TEST(QbeCriterion, RangesKeepWhicheverBoundsAreGiven) {
  auto both = ParseCriterion("Amount=10..20");
  EXPECT_TRUE(both.range);
  EXPECT_EQ(both.low, "10");
  EXPECT_EQ(both.high, "20");

  auto upper = ParseCriterion("Amount=..20");
  EXPECT_TRUE(upper.range);
  EXPECT_FALSE(upper.low);
  EXPECT_EQ(upper.high, "20");

  auto lower = ParseCriterion("Amount=10..");
  EXPECT_TRUE(lower.range);
  EXPECT_EQ(lower.low, "10");
  EXPECT_FALSE(lower.high);
}

TEST(QbeCriterion, DecimalPointsAndEqualsSignsInValuesSurvive) {
  auto c = ParseCriterion("Price=1.5..2.25");
  EXPECT_EQ(c.low, "1.5");
  EXPECT_EQ(c.high, "2.25");
  // Only the first '=' separates the name; the rest is value.
  auto eq = ParseCriterion("Note=a=b");
  EXPECT_EQ(eq.field, "Note");
  EXPECT_EQ(eq.low, "a=b");
  // A second ".." belongs to the upper bound.
  auto dots = ParseCriterion("Code=a..b..c");
  EXPECT_EQ(dots.low, "a");
  EXPECT_EQ(dots.high, "b..c");
}

TEST(QbeCriterion, BackslashMakesDotsLiteral) {
  auto c = ParseCriterion(R"(Note=a\.\.b)");
  EXPECT_FALSE(c.range);
  EXPECT_EQ(c.low, "a..b");
  auto slash = ParseCriterion(R"(Path=c:\\x)");
  EXPECT_EQ(slash.low, R"(c:\x)");
  EXPECT_THROW(ParseCriterion(R"(Note=abc\)"), UsageError);
}

TEST(QbeCriterion, MalformedCriteriaAreRefusedWithTheArgumentNamed) {
  EXPECT_THROW(ParseCriterion("Name"), UsageError);
  EXPECT_THROW(ParseCriterion("=Smi"), UsageError);
  EXPECT_THROW(ParseCriterion("Name="), UsageError);
  EXPECT_THROW(ParseCriterion("Amount=.."), UsageError);
  try {
    ParseCriterion("Amount=..");
  } catch (const UsageError& e) {
    EXPECT_NE(std::string(e.what()).find("Amount=.."), std::string::npos);
  }
}

TEST(QbeArguments, DefaultsFilterWithFastModeAndTypeDefaults) {
  auto o = Parse({"City=Ber"});
  EXPECT_EQ(o.action, Action::Filter);
  EXPECT_EQ(o.mode, FindMode::Fast);
  EXPECT_FALSE(o.compare);
  EXPECT_FALSE(o.case_sensitive);
  EXPECT_FALSE(o.csv);
  EXPECT_EQ(o.limit, -1);
  EXPECT_TRUE(o.db.empty());
  ASSERT_EQ(o.criteria.size(), 1u);
  EXPECT_EQ(o.criteria[0].field, "City");
}

TEST(QbeArguments, OptionsTakeValuesInlineOrSeparately) {
  auto o = Parse({"--find", "--mode=exact", "--compare", "internal", "--index", "ByName", "--db=x.db",
                  "--table", "People", "--next=3", "--csv", "--limit", "0", "--case-sensitive",
                  "Name=mit"});
  EXPECT_EQ(o.action, Action::Find);
  EXPECT_EQ(o.mode, FindMode::Exact);
  EXPECT_EQ(o.compare, CompareMode::Internal);
  EXPECT_EQ(o.index, "ByName");
  EXPECT_EQ(o.db, "x.db");
  EXPECT_EQ(o.table, "People");
  EXPECT_EQ(o.next, 3);
  EXPECT_TRUE(o.csv);
  EXPECT_EQ(o.limit, 0);
  EXPECT_TRUE(o.case_sensitive);
}

TEST(QbeArguments, EveryModeAndCompareWordIsKnown) {
  EXPECT_EQ(Parse({"--mode=fast"}).mode, FindMode::Fast);
  EXPECT_EQ(Parse({"--mode=normal"}).mode, FindMode::Normal);
  EXPECT_EQ(Parse({"--mode=EXACT"}).mode, FindMode::Exact);
  EXPECT_EQ(Parse({"--mode=nearest"}).mode, FindMode::Nearest);
  EXPECT_EQ(Parse({"--compare=exact"}).compare, CompareMode::Exact);
  EXPECT_EQ(Parse({"--compare=initial"}).compare, CompareMode::Initial);
}

TEST(QbeArguments, ModeOrNextAloneImpliesFind) {
  EXPECT_EQ(Parse({"--mode=normal", "A=1"}).action, Action::Find);
  EXPECT_EQ(Parse({"--next", "2", "A=1"}).action, Action::Find);
}

TEST(QbeArguments, DoubleDashTurnsDashedWordsIntoCriteria) {
  auto o = Parse({"--", "-x=1"});
  ASSERT_EQ(o.criteria.size(), 1u);
  EXPECT_EQ(o.criteria[0].field, "-x");
}

TEST(QbeArguments, HelpWinsOverEverythingElse) {
  auto o = Parse({"--help", "--filter", "--mode=fast"});
  EXPECT_TRUE(o.help);
  EXPECT_NE(qbe::UsageText("qbe").find("--case-sensitive"), std::string::npos);
}

TEST(QbeArguments, BadLinesAreRefusedWithAClearMessage) {
  EXPECT_NE(ErrorOf({"--frobnicate"}).find("unknown option '--frobnicate'"), std::string::npos);
  EXPECT_NE(ErrorOf({"--mode=quick"}).find("fast, normal, exact or nearest"), std::string::npos);
  EXPECT_NE(ErrorOf({"--compare=fuzzy"}).find("exact, initial or internal"), std::string::npos);
  EXPECT_NE(ErrorOf({"--next", "-1"}).find("whole number"), std::string::npos);
  EXPECT_NE(ErrorOf({"--next", "two"}).find("'two'"), std::string::npos);
  EXPECT_NE(ErrorOf({"--db"}).find("needs a value"), std::string::npos);
  EXPECT_NE(ErrorOf({"--db="}).find("needs a value"), std::string::npos);
  EXPECT_NE(ErrorOf({"--csv=yes"}).find("takes no value"), std::string::npos);
  EXPECT_NE(ErrorOf({"--find", "--filter"}).find("not both"), std::string::npos);
  EXPECT_NE(ErrorOf({"--filter", "--mode=exact"}).find("--find only"), std::string::npos);
  EXPECT_NE(ErrorOf({"--filter", "--next=1"}).find("--find only"), std::string::npos);
  EXPECT_NE(ErrorOf({"Name=a", "name=b"}).find("more than once"), std::string::npos);
  EXPECT_NE(ErrorOf({"Smith"}).find("Field=Value"), std::string::npos);
}

TEST(QbeArguments, InternalCompareRefusesRanges) {
  EXPECT_NE(ErrorOf({"--compare=internal", "Amount=1..2"}).find("internal"), std::string::npos);
  EXPECT_NO_THROW(Parse({"--compare=internal", "Name=mit"}));
}

}  // namespace
