#include <vantor/platform/rtl/format.h>

#include <gtest/gtest.h>

#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/rtl/string_table.h>
#include "platform/rtl/test_locales.h"

namespace vantor {
namespace {

TEST(Format, Items) {
  EXPECT_EQ(Format("%s: Field '%s' not found", {"Panel1", "Name"}), "Panel1: Field 'Name' not found");
  EXPECT_EQ(Format("%d items, 100%%", {42}), "42 items, 100%");
  EXPECT_EQ(Format("%x", {255}), "FF");
  EXPECT_EQ(Format("%x", {-1}), "FFFFFFFF");  // a negative 32-bit value as its bit pattern
  EXPECT_EQ(Format("%.4x", {10u}), "000A");
  EXPECT_EQ(Format("%u", {std::uint64_t{18446744073709551615u}}), "18446744073709551615");
  EXPECT_EQ(Format("%d", {std::int64_t{-9223372036854775807 - 1}}), "-9223372036854775808");
  EXPECT_EQ(Format("%f", {1.0 / 3}), "0.33");
  EXPECT_EQ(Format("%.3f", {2.0}), "2.000");
  EXPECT_EQ(Format("%e", {1500.0}), "1.50000000000000E+003");
  EXPECT_EQ(Format("%g", {0.5}), "0.5");
  EXPECT_EQ(Format("%n", {1234567.891}), "1,234,567.89");
  EXPECT_EQ(Format("%1:s %0:s %s", {"a", "b"}), "b a b");
  EXPECT_EQ(Format("Value '%0:s' is not correct for %1:s property. %1:s", {"X", "P"}),
            "Value 'X' is not correct for P property. P");
  EXPECT_EQ(Format("[%5s][%-5s][%.2s]", {"ab", "ab", "abc"}), "[   ab][ab   ][ab]");
  EXPECT_EQ(Format("[%*d][%.*d]", {4, 7, 3, 7}), "[   7][007]");
  EXPECT_EQ(Format("%5.1f|%-6d|", {3.14159, -12}), "  3.1|-12   |");
  EXPECT_EQ(Format("%S %D", {"up", 5}), "up 5");  // types are case-insensitive
  EXPECT_EQ(Format("no items", {}), "no items");
  ScopedFormatSettings de(testing::GermanLocale());
  EXPECT_EQ(Format("%.1f", {2.5}), "2,5");
  EXPECT_EQ(Format("%n", {1234567.0}), "1.234.567,00");
}

TEST(Format, BadFormatsRaiseQuotingTheFormat) {
  // Each case calls Format itself: an initializer list does not outlive its expression.
  const std::pair<const char*, std::string (*)()> cases[] = {
      {"%d", [] { return Format("%d", {"text"}); }},
      {"%s", [] { return Format("%s", {1}); }},
      {"%f", [] { return Format("%f", {1}); }},
      {"%q", [] { return Format("%q", {1}); }},
      {"100%", [] { return Format("100%", {}); }},
      {"%5", [] { return Format("%5", {1}); }},
      {"%*d", [] { return Format("%*d", {"x", 1}); }},
  };
  for (const auto& [fmt, call] : cases) {
    try {
      call();
      ADD_FAILURE() << fmt;
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), std::string("Format '") + fmt + "' invalid or incompatible with argument");
    }
  }
  try {
    Format("%s and %s", {"one"});
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "No argument for format '%s and %s'");
  }
  EXPECT_THROW(Format("%2:s", {"a"}), EConvertError);
}

TEST(StringTable, MessageTexts) {
  const std::pair<int, const char*> expected[] = {
      {25100, "%s: Field '%s' not found"},
      {25101, "Missing DataSource or DataSource.DataSet property"},
      {25102, "with"},
      {25103, "on"},
      {25104, "Cannot perform this operation. The RecordKind property of %s must be set to a 'rkCalculated'"},
      {25106, "Index out of bounds (%d)"},
      {25107, "Invalid variant type conversion"},
      {25108, "'%s' is not a valid boolean value"},
      {25109, "The record is not found"},
      {25110, "The following record is not found"},
      {25111, "Default value"},
      {25112,
       "Value '%0:s' is not correct for %1:s property. Any name of field in the %1:s property must be to list of "
       "field names in the FieldNames property"},
      {25113, "Control cannot be used in a '%s'"},
  };
  for (const auto& [id, text] : expected) EXPECT_EQ(LoadStr(id), text) << id;
  EXPECT_EQ(LoadStr(25105), "");
  EXPECT_EQ(LoadStr(0), "");
  EXPECT_EQ(LoadStr(99999), "");
}

TEST(StringTable, VantorErrorFormatsTheMessage) {
  try {
    VantorError(SFieldNotFound, {"FindPanel1", "Price"});
    FAIL();
  } catch (const EVantorError& e) {
    EXPECT_EQ(e.Message(), "FindPanel1: Field 'Price' not found");
    EXPECT_STREQ(e.ClassName(), "EVantorError");
  }
  try {
    VantorError(SIndexOutOfBounds, {7});
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Index out of bounds (7)");
  }
  try {
    VantorError(SInvalidIndexFieldName, {"Foo", "CaseInsFields"});
    FAIL();
  } catch (const EVantorError& e) {
    EXPECT_EQ(e.Message(),
              "Value 'Foo' is not correct for CaseInsFields property. Any name of field in the CaseInsFields "
              "property must be to list of field names in the FieldNames property");
  }
}

}  // namespace
}  // namespace vantor
