#include <vantor/platform/core/strings.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <vantor/platform/rtl/exceptions.h>

namespace vantor {
namespace {

using Lines = std::vector<std::string>;

TEST(Strings, InsertTakesEveryPositionFromTheFirstToOnePastTheLast) {
  TStrings s;
  s.Insert(0, "b");  // into the empty list
  s.Insert(s.Count(), "d");
  s.Insert(0, "a");
  s.Insert(2, "c");
  EXPECT_EQ(s.ToVector(), (Lines{"a", "b", "c", "d"}));
  EXPECT_THROW(s.Insert(-1, "x"), EListError);
  EXPECT_THROW(s.Insert(s.Count() + 1, "x"), EListError);
  EXPECT_EQ(s.Count(), 4);
}

TEST(Strings, TheLastIndexIsALineAndTheCountIsNone) {
  TStrings s;
  EXPECT_THROW(s.Strings(0), EListError);
  s.SetText("a\nb\nc\n");
  EXPECT_EQ(s[2], "c");
  try {
    s.Strings(3);
    FAIL() << "no exception";
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (3)");
  }
  EXPECT_THROW(s.Strings(-1), EListError);
  EXPECT_THROW(s.SetStrings(3, "x"), EListError);
  EXPECT_THROW(s.Objects(3), EListError);
  EXPECT_THROW(s.Delete(3), EListError);
  EXPECT_THROW(s.Move(0, 3), EListError);
  EXPECT_THROW(s.Move(3, 0), EListError);
  EXPECT_EQ(s.ToVector(), (Lines{"a", "b", "c"})) << "refusals change nothing";
  s.Move(0, 2);
  EXPECT_EQ(s.ToVector(), (Lines{"b", "c", "a"}));
  s.Move(2, 0);
  s.SetStrings(2, "z");
  s.Delete(2);
  EXPECT_EQ(s.ToVector(), (Lines{"a", "b"}));
}

TEST(Strings, AssignCopiesAnotherListAndToItselfKeepsItsLines) {
  TStrings s;
  int o = 0;
  s.Add("one", &o);
  s.Add("two");
  int changes = 0;
  s.OnChange = [&changes](TStrings*) { ++changes; };
  s.Assign(&s);
  EXPECT_EQ(s.ToVector(), (Lines{"one", "two"}));
  EXPECT_EQ(s.Objects(0), &o);
  EXPECT_EQ(changes, 0);
  TStrings other;
  other.Add("x");
  s.Assign(&other);
  EXPECT_EQ(s.ToVector(), (Lines{"x"}));
  EXPECT_EQ(changes, 1);
}

TEST(Strings, TextSplitsAtEachKindOfLineBreakAndKeepsEmptyLines) {
  TStrings s;
  s.SetText("a\r\nb\rc\n\nd");
  EXPECT_EQ(s.ToVector(), (Lines{"a", "b", "c", "", "d"}));
  s.SetText("a\n");
  EXPECT_EQ(s.ToVector(), (Lines{"a"})) << "a final break ends the last line";
  s.SetText("\r\n");
  EXPECT_EQ(s.ToVector(), (Lines{""}));
  s.SetText("a\r");
  EXPECT_EQ(s.ToVector(), (Lines{"a"}));
  s.SetText("\n\r\n");
  EXPECT_EQ(s.ToVector(), (Lines{"", ""}));
  s.SetText("");
  EXPECT_EQ(s.Count(), 0);
  s.SetText("x\ny");
  EXPECT_EQ(s.Text(), "x\ny\n");
}

TEST(Strings, CommaTextQuotesEmptyItemsAndThoseWithBlanksCommasOrQuotes) {
  TStrings s;
  for (const char* t : {"plain", "", "two words", "a,b", "say \"hi\""}) s.Add(t);
  EXPECT_EQ(s.CommaText(), "plain,\"\",\"two words\",\"a,b\",\"say \"\"hi\"\"\"");
}

TEST(Strings, IndexOfIgnoresLetterCaseInEveryScript) {
  TStrings s;
  for (const char* line : {"Berlin", "MÜLLER", "Ελλάδα", "İzmir"}) s.Add(line);
  EXPECT_EQ(s.IndexOf("berlin"), 0);
  EXPECT_EQ(s.IndexOf("Müller"), 1);  // case folding beyond ASCII
  EXPECT_EQ(s.IndexOf("ΕΛΛΆΔΑ"), 2);
  EXPECT_EQ(s.IndexOf("Mueller"), -1);
  EXPECT_EQ(s.IndexOf("Berli"), -1);  // whole lines only
}

}  // namespace
}  // namespace vantor
