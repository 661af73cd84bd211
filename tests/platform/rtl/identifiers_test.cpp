#include <vantor/platform/rtl/identifiers.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace vantor {
namespace {

TEST(Identifiers, OnlyAsciiLettersFoldAndTheOrderIsTotal) {
  EXPECT_TRUE(SameIdent("Edit1", "EDIT1"));
  EXPECT_TRUE(SameIdent("", ""));
  EXPECT_FALSE(SameIdent("Edit1", "Edit12"));
  EXPECT_FALSE(SameIdent("Доб", "доб"));  // other scripts compare as they are written
  EXPECT_FALSE(SameIdent("a_b", "a-b"));
  EXPECT_LT(CompareIdent("abc", "ABD"), 0);
  EXPECT_LT(CompareIdent("ab", "AB1"), 0);  // a shorter name first on a tie
  EXPECT_GT(CompareIdent("Zeta", "alpha"), 0);
  // Bytes above 0x7F order after ASCII, unsigned.
  EXPECT_LT(CompareIdent("z", "Ä"), 0);

  // A map ordered by IdentLess finds a name in any ASCII case, through a string_view.
  std::map<std::string, int, IdentLess> names{{"TForm", 1}, {"TButton", 2}};
  EXPECT_EQ(names.find(std::string_view("tform"))->second, 1);
  EXPECT_EQ(names.count("TBUTTON"), 1u);
  EXPECT_EQ(names.count("TBUTTONS"), 0u);
}

}  // namespace
}  // namespace vantor
