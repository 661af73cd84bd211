// Search and filter while the user types: a filter panel and a find panel over the
// customers and orders tables of a small sample database, driven by keys, Tab and focus
// moves; the data set is checked against counts SQLite gives for the same criteria.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <vantor/engines/filter_panel.h>
#include <vantor/engines/find_panel.h>
#include "panel/support/typing_form.h"
#include <vantor/platform/data/field.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/format_settings.h>
#include "platform/rtl/test_locales.h"
#include "platform/ui/form_fixture.h"

namespace vantor {
namespace {

using testing::SqlCount;
using testing::SqlValue;
using testing::TypingForm;

// The panels of the engines, counting how often they are asked to apply the values.
class TCountingFilterPanel : public TDBFilterPanel {
 public:
  using TDBFilterPanel::TDBFilterPanel;
  void UpdateDataSet() override {
    ++updates;
    TDBFilterPanel::UpdateDataSet();
  }
  int updates = 0;
};

class PanelTyping : public testing::HeadlessTest {};

int CustomersWithNamePrefix(const std::string& prefix) {
  // LIKE ignores the case of ASCII letters, as the panel ignores case by default.
  return SqlCount("SELECT count(*) FROM customers WHERE name LIKE ?1", prefix + "%");
}

TEST_F(PanelTyping, AFilterPanelRefiltersAtEveryAcceptedKeyOfANamePrefix) {
  TypingForm<TCountingFilterPanel> t("customers", {"name", "city"});
  t.panel->SetFiltered(true);
  const int all = SqlCount("SELECT count(*) FROM customers");
  ASSERT_EQ(t.table->RecordCount(), all);

  t.ClickInto(t.Edit("name"));
  std::string typed;
  for (const char c : std::string("wAg")) {
    typed += c;
    const int before = t.panel->updates;
    t.Type(std::string(1, c));
    EXPECT_EQ(t.panel->updates - before, 1) << typed;
    EXPECT_EQ(t.table->RecordCount(), CustomersWithNamePrefix(typed)) << typed;
  }
  ASSERT_GT(t.table->RecordCount(), 0);
  ASSERT_LT(t.table->RecordCount(), all);
  EXPECT_TRUE(AnsiStartsText("wag", t.table->FieldByName("name")->AsString()));

  // A trailing blank makes no new value: nothing is refiltered.
  int before = t.panel->updates;
  t.Type(" ");
  EXPECT_EQ(t.panel->updates, before);
  // Backspace twice: back to the three letters (one new value), then to two.
  t.Press(VK_BACK);
  t.Press(VK_BACK);
  EXPECT_EQ(t.panel->updates - before, 1);
  EXPECT_EQ(t.table->RecordCount(), CustomersWithNamePrefix("wA"));
  // Emptied: every record shows again.
  t.Press(VK_BACK);
  t.Press(VK_BACK);
  EXPECT_EQ(t.table->RecordCount(), all);
  EXPECT_EQ(t.panel->Fields()->FieldMapCount(), 0);
}

TEST_F(PanelTyping, AFindPanelMovesTheCursorWhileTheUserTypes) {
  TypingForm<TDBFindPanel> t("customers", {"name", "city"}, usAuto, "customers_name");
  TField* name = t.table->FieldByName("name");
  TField* id = t.table->FieldByName("id");
  t.ClickInto(t.Edit("name"));
  std::string typed;
  for (const char c : std::string("Web")) {
    typed += c;
    t.Type(std::string(1, c));
    // The first match in the index order (names, letter case ignored).
    const std::string first =
        SqlValue("SELECT name FROM customers WHERE name LIKE ?1 ORDER BY name COLLATE NOCASE LIMIT 1", typed + "%");
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(AnsiUpperCase(name->AsString()), AnsiUpperCase(first)) << typed;
  }
  // A prefix no one has: the cursor stays on the record it was on, with no message.
  const int found = id->AsInteger();
  t.Type("q");
  EXPECT_EQ(id->AsInteger(), found);
  EXPECT_TRUE(Application->MessageBoxes().empty());
  EXPECT_EQ(t.Edit("name")->Text(), "Webq");
}

TEST_F(PanelTyping, WithUsExitNothingAppliesInsideThePanelAndLeavingItAppliesOnce) {
  TypingForm<TCountingFilterPanel> t("customers", {"name", "city"}, usExit);
  t.panel->SetFiltered(true);
  const int all = SqlCount("SELECT count(*) FROM customers");
  const int updates = t.panel->updates;
  t.ClickInto(t.Edit("name"));
  t.Type("S");
  t.Press(VK_TAB);
  ASSERT_EQ(GetFocus(), t.Edit("city"));
  t.Type("Berlin");
  t.Press(VK_TAB, {ssShift});
  ASSERT_EQ(GetFocus(), t.Edit("name"));
  EXPECT_EQ(t.panel->updates, updates);
  EXPECT_EQ(t.table->RecordCount(), all);

  t.Leave();
  EXPECT_EQ(t.panel->updates, updates + 1);
  EXPECT_EQ(t.table->RecordCount(),
            SqlCount("SELECT count(*) FROM customers WHERE name LIKE 'S%' AND upper(city) LIKE 'BERLIN%'"));
  ASSERT_GT(t.table->RecordCount(), 0);
}

TEST_F(PanelTyping, ARefilterThatFailsWhileTypingIsReportedNotSwallowed) {
  TypingForm<TCountingFilterPanel> t("customers", {"name", "city", "visits"});
  t.panel->SetFiltered(true);
  bool fail = false;
  t.panel->OnFilterRecord = [&](TDataSet*, bool& accept) {
    if (fail) throw EDatabaseError("the database went away");
    accept = true;
  };
  t.ClickInto(t.Edit("name"));
  t.Type("B");
  EXPECT_TRUE(t.TakeErrors().empty());
  fail = true;
  t.Type("e");
  EXPECT_EQ(t.TakeErrors(), (std::vector<std::string>{"EDatabaseError: the database went away"}));
  // The typed value is taken; only its application failed.
  EXPECT_EQ(t.Record("name")->GetValues(0), Variant("Be"));
  EXPECT_EQ(t.Edit("name")->Text(), "Be");
  EXPECT_TRUE(t.panel->CanSetFiltered());

  // A half-typed number changes no value, so nothing is applied and nothing fails.
  t.ClickInto(t.Edit("visits"));
  t.Type("-");
  EXPECT_TRUE(t.TakeErrors().empty());
  EXPECT_TRUE(t.Record("visits")->GetValues(0).IsNull());
}

TEST_F(PanelTyping, AnUpdateThatFailsOnLeavingAnEditKeepsTheFocusThere) {
  TypingForm<TCountingFilterPanel> t("customers", {"name", "city"}, usEditExit);
  t.panel->SetFiltered(true);
  t.panel->OnFilterRecord = [](TDataSet*, bool&) { throw EDatabaseError("the database went away"); };
  t.ClickInto(t.Edit("name"));
  t.Type("Ko");
  EXPECT_TRUE(t.TakeErrors().empty()) << "usEditExit applies nothing while typing";
  t.Press(VK_TAB);
  EXPECT_EQ(t.TakeErrors(), (std::vector<std::string>{"EDatabaseError: the database went away"}));
  EXPECT_EQ(GetFocus(), t.Edit("name"));
  EXPECT_EQ(t.Edit("name")->Text(), "Ko");
  t.panel->OnFilterRecord = TFilterRecordEvent{};
  t.Press(VK_TAB);
  EXPECT_TRUE(t.TakeErrors().empty());
  EXPECT_EQ(GetFocus(), t.Edit("city"));
  EXPECT_EQ(t.table->RecordCount(), CustomersWithNamePrefix("Ko"));
}

struct LocaleDate {
  const char* name;
  FormatSettings settings;
  // The short form of a date as typed, from its year, month and day.
  std::string (*typed)(int y, int m, int d);
  std::string (*shown)(int y, int m, int d);
};

std::string Two(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

class DateFilter : public PanelTyping, public ::testing::WithParamInterface<LocaleDate> {};

TEST_P(DateFilter, ADateTypedInTheLocalesShortFormFiltersTheOrdersOfThatDay) {
  const LocaleDate& p = GetParam();
  ScopedFormatSettings locale(p.settings);
  // The busiest day of the orders, so that there is something to find.
  const std::string day =
      SqlValue("SELECT order_date FROM orders GROUP BY order_date ORDER BY count(*) DESC, order_date LIMIT 1");
  const int y = std::stoi(day.substr(0, 4)), m = std::stoi(day.substr(5, 2)), d = std::stoi(day.substr(8, 2));
  const int expected = SqlCount("SELECT count(*) FROM orders WHERE order_date = ?1", day);
  ASSERT_GT(expected, 1);

  TypingForm<TCountingFilterPanel> t("orders", {"order_date", "quantity"});
  t.Record("order_date")->SetCount(coOne);
  t.panel->SetFiltered(true);
  t.ClickInto(t.Edit("order_date"));
  const std::string typed = p.typed(y % 100, m, d);  // a two-digit year, in this century
  t.Type(typed);
  EXPECT_EQ(t.table->RecordCount(), expected);
  const int updates = t.panel->updates;
  t.Press(VK_TAB);
  EXPECT_EQ(t.Edit("order_date")->Text(), p.shown(y, m, d));
  EXPECT_EQ(t.panel->updates, updates);
  EXPECT_EQ(t.table->RecordCount(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Locales, DateFilter,
    ::testing::Values(
        LocaleDate{"US", testing::UsLocale(),
                   [](int y, int m, int d) { return std::to_string(m) + "/" + std::to_string(d) + "/" + Two(y); },
                   [](int y, int m, int d) { return std::to_string(m) + "/" + std::to_string(d) + "/" + std::to_string(y); }},
        LocaleDate{"German", testing::GermanLocale(),
                   [](int y, int m, int d) { return std::to_string(d) + "." + std::to_string(m) + "." + Two(y); },
                   [](int y, int m, int d) { return Two(d) + "." + Two(m) + "." + std::to_string(y); }},
        LocaleDate{"Iso", testing::IsoLocale(),
                   [](int y, int m, int d) { return Two(y) + "-" + std::to_string(m) + "-" + std::to_string(d); },
                   [](int y, int m, int d) { return std::to_string(y) + "-" + Two(m) + "-" + Two(d); }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vantor
