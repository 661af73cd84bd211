// Typing into the criteria panel: the key filter of the field edits, the typed text
// becoming the entered value, leaving an edit (the text in the type's own form, a range's
// upper bound filled in, the values applied by the update state), leaving and focusing the
// panel, and the edit events with their EditNo. A user types, presses and clicks; the
// panel is bound to the customers table of a small sample database.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panel/support/test_panel.h"
#include "panel/support/typing_form.h"
#include <vantor/platform/rtl/datetime.h>
#include <vantor/platform/rtl/format_settings.h>
#include "platform/rtl/test_locales.h"
#include "platform/ui/form_fixture.h"
#include <vantor/platform/ui/system.h>

namespace vantor {
namespace {

using testing::TTestPanel;
using Form = testing::TypingForm<TTestPanel>;

class PanelEditing : public testing::HeadlessTest {};

// name (string, one value, begins with), visits (small integer, range), credit_limit
// (currency, range), born (date, range), city (string).
const std::vector<std::string> kFields = {"name", "visits", "credit_limit", "born", "city"};

// ---- the key filter ----

TEST_F(PanelEditing, LettersTypedIntoANumberFieldBeepAndLeaveTheTextUnchanged) {
  Form t("customers", kFields);
  t.ClickInto(t.Edit("visits"));
  t.Type("1a2");
  EXPECT_EQ(t.Edit("visits")->Text(), "12");
  EXPECT_EQ(BeepLog(), (std::vector<std::uint32_t>{0}));
  EXPECT_EQ(t.Record("visits")->GetValues(0), Variant(std::int16_t{12}));

  // Backspace is a control key: it passes and edits.
  t.Press(VK_BACK);
  EXPECT_EQ(t.Edit("visits")->Text(), "1");
  EXPECT_EQ(t.Record("visits")->GetValues(0), Variant(std::int16_t{1}));
  EXPECT_EQ(BeepLog().size(), 1u);

  // A currency field takes its decimal separator and exponent letters, not others.
  t.ClickInto(t.Edit("credit_limit"));
  t.Type("2.5x");
  EXPECT_EQ(t.Edit("credit_limit")->Text(), "2.5");
  EXPECT_EQ(BeepLog().size(), 2u);
  EXPECT_EQ(t.Record("credit_limit")->GetValues(0).AsDouble(), 2.5);
}

TEST_F(PanelEditing, ThePanelsKeyPressHandlerSeesTheKeyBeforeTheFilter) {
  Form t("customers", kFields);
  std::vector<char32_t> seen;
  t.panel->OnEditKeyPress = [&](TFieldRecord* record, char32_t& key, int edit_no) {
    EXPECT_EQ(record, t.Record("visits"));
    EXPECT_EQ(edit_no, 0);
    seen.push_back(key);
    if (key == U'x') key = U'7';  // made acceptable
    if (key == U'q') key = 0;     // cancelled: no beep, nothing typed
    if (key == U'5') key = U'z';  // made unacceptable: the filter refuses it
  };
  t.ClickInto(t.Edit("visits"));
  t.Type("x1q5");
  EXPECT_EQ(seen, (std::vector<char32_t>{U'x', U'1', U'q', U'5'}));
  EXPECT_EQ(t.Edit("visits")->Text(), "71");
  EXPECT_EQ(BeepLog(), (std::vector<std::uint32_t>{0}));
}

TEST_F(PanelEditing, EnterNeverLandsInTheTextAndReachesTheHandlerFirst) {
  Form t("customers", kFields);
  std::vector<char32_t> seen;
  t.panel->OnEditKeyPress = [&](TFieldRecord*, char32_t& key, int) { seen.push_back(key); };
  t.ClickInto(t.Edit("name"));
  t.Type("Sm");
  t.Press(VK_RETURN);
  EXPECT_EQ(t.Edit("name")->Text(), "Sm");
  EXPECT_EQ(seen, (std::vector<char32_t>{U'S', U'm', U'\r'}));
  EXPECT_TRUE(BeepLog().empty());
}

TEST_F(PanelEditing, AKeyDownHandlerCanCancelAKey) {
  Form t("customers", kFields);
  bool cancel = true;
  t.panel->OnEditKeyDown = [&](TFieldRecord*, std::uint16_t& key, TShiftState, int) {
    if (cancel && key == VK_DELETE) key = 0;
  };
  t.ClickInto(t.Edit("name"));
  t.Type("Weber");
  t.Press(VK_HOME);
  t.Press(VK_DELETE);
  EXPECT_EQ(t.Edit("name")->Text(), "Weber");
  cancel = false;
  t.Press(VK_DELETE);
  EXPECT_EQ(t.Edit("name")->Text(), "eber");
  EXPECT_EQ(t.Record("name")->GetValues(0), Variant("eber"));
}

// ---- typed text becomes the value ----

TEST_F(PanelEditing, EachConvertibleTextBecomesTheValueAndAHalfTypedOneChangesNothing) {
  Form t("customers", kFields);
  TFieldRecord* visits = t.Record("visits");
  std::vector<std::string> changes;
  t.panel->OnEditChange = [&](TFieldRecord* record, int edit_no) {
    changes.push_back(std::to_string(edit_no) + ":" + record->VariantToText(record->GetValues(edit_no)));
  };
  t.ClickInto(t.Edit("visits"));
  t.Type("-");  // a sign alone is no number yet
  EXPECT_TRUE(visits->GetValues(0).IsNull());
  t.Type("4");
  EXPECT_EQ(visits->GetValues(0), Variant(std::int16_t{-4}));
  t.Press(VK_HOME);
  t.Press(VK_DELETE);
  EXPECT_EQ(visits->GetValues(0), Variant(std::int16_t{4}));
  // OnEditChange fires at every change, after the value was taken.
  EXPECT_EQ(changes, (std::vector<std::string>{"0:", "0:-4", "0:4"}));
  EXPECT_TRUE(t.TakeErrors().empty());
}

TEST_F(PanelEditing, ClearingAnEditToItsBlankTextSetsNull) {
  Form t("customers", kFields);
  t.ClickInto(t.Edit("name"));
  t.Type("Ro");
  EXPECT_EQ(t.Record("name")->GetValues(0), Variant("Ro"));
  t.Press(VK_BACK);
  t.Press(VK_BACK);
  EXPECT_TRUE(t.Record("name")->GetValues(0).IsNull());

  // With a mask that keeps its literals, the blank text is the literals among blanks.
  TFieldRecord* city = t.Record("city");
  city->SetEditMask("99-99;1;_");
  TFieldRecordEdit* edit = t.Edit("city");
  t.ClickInto(edit);
  t.Press(VK_HOME);
  t.Type("1234");
  EXPECT_EQ(edit->Text(), "12-34");
  EXPECT_EQ(city->GetValues(0), Variant("12-34"));
  t.Press(VK_HOME);
  t.Press(VK_END, {ssShift});
  t.Press(VK_BACK);
  EXPECT_EQ(edit->Text(), "  -  ");
  EXPECT_TRUE(city->GetValues(0).IsNull());
}

// ---- leaving an edit ----

struct DateTyping {
  const char* locale;
  FormatSettings settings;
  const char* typed;                 // the date 2 January (19)98 as the locale writes it short
  std::vector<int> applied_per_key;  // UpdateDataSet calls after each key
  const char* normalised;            // the text once the edit is left
};

class DateTypingTest : public PanelEditing, public ::testing::WithParamInterface<DateTyping> {};

TEST_P(DateTypingTest, AppliesAtEachAcceptedKeyAndLeavingRewritesTheTextWithoutApplyingAgain) {
  const DateTyping& p = GetParam();
  ScopedFormatSettings locale(p.settings);
  Form t("customers", kFields);
  TFieldRecord* born = t.Record("born");
  born->SetCount(coOne);
  TFieldRecordEdit* edit = t.Edit("born");
  t.ClickInto(edit);
  std::vector<int> applied;
  for (const char* c = p.typed; *c != 0; ++c) {
    const int before = t.panel->update_data_set_calls;
    t.Type(std::string(1, *c));
    applied.push_back(t.panel->update_data_set_calls - before);
  }
  EXPECT_EQ(applied, p.applied_per_key);
  EXPECT_EQ(edit->Text(), p.typed);
  // A two-digit year is taken in the current century.
  int year = 0, month = 0, day = 0;
  DecodeDate(born->GetValues(0).AsDate(), year, month, day);
  EXPECT_EQ(year % 100, 98);
  EXPECT_EQ(month, 1);
  EXPECT_EQ(day, 2);
  EXPECT_EQ(born->MainValues(0), born->GetValues(0));

  const int before = t.panel->update_data_set_calls;
  const Variant value = born->GetValues(0);
  t.Press(VK_TAB);
  EXPECT_EQ(edit->Text(), p.normalised);
  EXPECT_FALSE(edit->Modified());
  EXPECT_EQ(born->GetValues(0), value);
  EXPECT_EQ(t.panel->update_data_set_calls, before);
  EXPECT_TRUE(BeepLog().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Locales, DateTypingTest,
    ::testing::Values(
        // 1/2 is a date of this year, 1/2/ is not yet, 1/2/9 is 2009, 1/2/98 is 2098.
        DateTyping{"US", testing::UsLocale(), "1/2/98", {0, 0, 1, 0, 1, 1}, "1/2/2098"},
        DateTyping{"German", testing::GermanLocale(), "2.1.98", {0, 0, 1, 0, 1, 1}, "02.01.2098"},
        // Year first: 98-1 would be month 98, so only the complete date applies.
        DateTyping{"Iso", testing::IsoLocale(), "98-1-2", {0, 0, 0, 0, 0, 1}, "2098-01-02"}),
    [](const auto& info) { return std::string(info.param.locale); });

TEST_F(PanelEditing, LeavingTheFirstEditOfARangeWithAnEmptyUpperBoundCopiesItUp) {
  Form t("customers", kFields);
  TFieldRecord* visits = t.Record("visits");
  ASSERT_EQ(visits->GetCount(), coTwo);
  t.ClickInto(t.Edit("visits", 0));
  t.Type("25");
  EXPECT_TRUE(visits->GetValues(1).IsNull());
  t.Press(VK_TAB);  // into the upper bound
  EXPECT_EQ(GetFocus(), t.Edit("visits", 1));
  EXPECT_EQ(visits->GetValues(1), Variant(std::int16_t{25}));
  EXPECT_EQ(t.Edit("visits", 1)->Text(), "25");

  // The upper bound changed and left: nothing goes back down.
  t.Press(VK_HOME);
  t.Press(VK_END, {ssShift});
  t.Type("40");
  t.Press(VK_TAB, {ssShift});
  EXPECT_EQ(GetFocus(), t.Edit("visits", 0));
  EXPECT_EQ(visits->GetValues(0), Variant(std::int16_t{25}));
  EXPECT_EQ(visits->GetValues(1), Variant(std::int16_t{40}));

  // Leaving the lower bound while the upper one holds a value keeps both.
  t.Press(VK_END);
  t.Type("0");
  t.Leave();
  EXPECT_EQ(visits->GetValues(0), Variant(std::int16_t{250}));
  EXPECT_EQ(visits->GetValues(1), Variant(std::int16_t{40}));

  // Leaving the upper bound empty never fills it from the lower one.
  t.ClickInto(t.Edit("visits", 1));
  t.Press(VK_END);
  t.Press(VK_BACK);
  t.Press(VK_BACK);
  t.Leave();
  EXPECT_TRUE(visits->GetValues(1).IsNull());
  EXPECT_EQ(t.Edit("visits", 1)->Text(), "");
}

TEST_F(PanelEditing, ATextThatDoesNotConvertRaisesOnLeavingAndTheFocusStays) {
  Form t("customers", kFields);
  TFieldRecord* visits = t.Record("visits");
  TFieldRecordEdit* edit = t.Edit("visits");
  t.ClickInto(edit);
  t.Type("40000");  // the last key makes it too large for a small integer
  EXPECT_EQ(visits->GetValues(0), Variant(std::int16_t{4000}));
  t.Press(VK_TAB);
  const std::vector<std::string> errors = t.TakeErrors();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(edit->Text(), "40000");
  EXPECT_TRUE(edit->Modified());
  EXPECT_EQ(visits->GetValues(0), Variant(std::int16_t{4000}));
  // The range was not completed from a text that failed.
  EXPECT_TRUE(visits->GetValues(1).IsNull());

  // Corrected, the edit can be left.
  t.Press(VK_BACK);
  t.Press(VK_TAB);
  EXPECT_TRUE(t.TakeErrors().empty());
  EXPECT_EQ(GetFocus(), t.Edit("visits", 1));
  EXPECT_EQ(visits->GetValues(1), Variant(std::int16_t{4000}));

  // A half-typed date: the value of the last accepted keystroke stays.
  TFieldRecord* born = t.Record("born");
  born->SetCount(coOne);
  t.ClickInto(t.Edit("born"));
  t.Type("3/4/");
  const Variant accepted = born->GetValues(0);
  ASSERT_FALSE(accepted.IsNull());
  int year = 0, month = 0, day = 0;
  DecodeDate(accepted.AsDate(), year, month, day);
  EXPECT_EQ(month * 100 + day, 304);
  t.Leave();
  EXPECT_EQ(t.TakeErrors().size(), 1u);
  EXPECT_EQ(GetFocus(), t.Edit("born"));
  EXPECT_EQ(born->GetValues(0), accepted);
  EXPECT_EQ(t.Edit("born")->Text(), "3/4/");
}

// ---- event order and EditNo ----

TEST_F(PanelEditing, OnEditExitComesBeforeTheTextIsRewrittenAndTheValuesApply) {
  Form t("customers", kFields, usEditExit);
  TFieldRecord* born = t.Record("born");
  born->SetCount(coOne);
  std::vector<std::string> log;
  t.panel->OnEditExit = [&](TFieldRecord* record, int edit_no) {
    log.push_back("exit " + record->GetFieldName() + " " + std::to_string(edit_no) + " text " +
                  FieldEdit(*record, edit_no)->Text() + " applied " +
                  std::to_string(t.panel->update_data_set_calls));
  };
  t.ClickInto(t.Edit("born"));
  t.Type("1/2/98");
  const int before = t.panel->update_data_set_calls;
  EXPECT_TRUE(born->MainValues(0).IsNull()) << "usEditExit applies nothing while typing";
  t.Press(VK_TAB);
  EXPECT_EQ(log, (std::vector<std::string>{"exit born 0 text 1/2/98 applied " + std::to_string(before)}));
  EXPECT_EQ(t.Edit("born")->Text(), "1/2/2098");
  EXPECT_EQ(t.panel->update_data_set_calls, before + 1);
  EXPECT_EQ(born->MainValues(0), born->GetValues(0));
}

TEST_F(PanelEditing, OnEditChangeFiresAfterTheValueAlsoWhenTheProgramSetsIt) {
  Form t("customers", kFields);
  TFieldRecord* visits = t.Record("visits");
  std::vector<std::string> log;
  t.panel->OnEditChange = [&](TFieldRecord* record, int edit_no) {
    log.push_back(std::to_string(edit_no) + " " + FieldEdit(*record, edit_no)->Text() + " = " +
                  record->VariantToText(record->GetValues(edit_no)));
  };
  t.ClickInto(t.Edit("visits", 1));
  t.Type("7");
  visits->SetValues(1, Variant(std::int32_t{9}));  // the program writes the value and its text
  visits->SetValues(0, Variant(std::int32_t{3}));
  EXPECT_EQ(log, (std::vector<std::string>{"1 7 = 7", "1 9 = 9", "0 3 = 3"}));
  EXPECT_FALSE(t.Edit("visits", 1)->Modified());
}

TEST_F(PanelEditing, EveryEventNamesTheRecordAndTheEditItCameFrom) {
  Form t("customers", kFields);
  TFieldRecord* visits = t.Record("visits");
  visits->SetButtonStyle(rbsEllipsis);
  std::vector<std::string> log;
  auto note = [&](const char* what, TFieldRecord* record, int edit_no, const std::string& more = "") {
    if (record != visits) return;  // the other fields' edits are left when focus moves
    log.push_back(std::string(what) + " " + std::to_string(edit_no) + more);
  };
  auto at = [](int x, int y) { return " (" + std::to_string(x) + "," + std::to_string(y) + ")"; };
  TPanelFieldsSet& p = *t.panel;
  p.OnEditChange = [&](TFieldRecord* r, int n) { note("change", r, n); };
  p.OnEditClick = [&](TFieldRecord* r, int n) { note("click", r, n); };
  p.OnEditDblClick = [&](TFieldRecord* r, int n) { note("dblclick", r, n); };
  p.OnEditEnter = [&](TFieldRecord* r, int n) { note("enter", r, n); };
  p.OnEditExit = [&](TFieldRecord* r, int n) { note("exit", r, n); };
  p.OnEditKeyDown = [&](TFieldRecord* r, std::uint16_t& k, TShiftState, int n) { note("keydown", r, n, " " + std::to_string(k)); };
  p.OnEditKeyPress = [&](TFieldRecord* r, char32_t& k, int n) { note("keypress", r, n, " " + std::string(1, static_cast<char>(k))); };
  p.OnEditKeyUp = [&](TFieldRecord* r, std::uint16_t& k, TShiftState, int n) { note("keyup", r, n, " " + std::to_string(k)); };
  p.OnEditMouseDown = [&](TFieldRecord* r, TMouseButton, TShiftState, int x, int y, int n) { note("down", r, n, at(x, y)); };
  p.OnEditMouseMove = [&](TFieldRecord* r, TShiftState, int x, int y, int n) { note("move", r, n, at(x, y)); };
  p.OnEditMouseUp = [&](TFieldRecord* r, TMouseButton, TShiftState, int x, int y, int n) { note("up", r, n, at(x, y)); };
  p.OnEditButtonClick = [&](TFieldRecord* r, int n) { note("button", r, n); };

  TFieldRecordEdit* upper = t.Edit("visits", 1);
  TFieldRecordEdit* lower = t.Edit("visits", 0);
  MoveMouseTo(upper, 6, 5);
  ClickAt(upper, 6, 5);
  t.Type("3");
  DoubleClickAt(upper, 9, 4);
  ASSERT_NE(upper->Button(), nullptr);
  // The ellipsis button inside the edit's right edge.
  ClickAt(upper->Button(), 4, 4);
  ClickAt(lower, 5, 5);
  // A click reports itself before the button's release; a double click's second press
  // is no click.
  EXPECT_EQ(log, (std::vector<std::string>{
                     "move 1 (6,5)", "enter 1", "down 1 (6,5)", "click 1", "up 1 (6,5)",
                     "keydown 1 51", "keypress 1 3", "change 1", "keyup 1 51",
                     "down 1 (9,4)", "click 1", "up 1 (9,4)", "dblclick 1", "down 1 (9,4)", "up 1 (9,4)",
                     "button 1",
                     "exit 1", "enter 0", "down 0 (5,5)", "click 0", "up 0 (5,5)"}));
}

// ---- the update states ----

struct StateCounts {
  TUpdateState state;
  const char* name;
  int per_key;         // UpdateDataSet calls for one key that changes a value
  int per_edit_exit;   // for moving to the next edit of the panel
  int per_panel_exit;  // for leaving the panel after that
  int idle_round;      // for entering the panel and leaving it again without typing
};

class UpdateStates : public PanelEditing, public ::testing::WithParamInterface<StateCounts> {};

TEST_P(UpdateStates, CountUpdatesPerKeystrokeEditExitAndPanelExit) {
  const StateCounts& p = GetParam();
  Form t("customers", kFields, p.state);
  int& calls = t.panel->update_data_set_calls;

  t.ClickInto(t.Edit("name"));
  int before = calls;
  t.Type("W");
  EXPECT_EQ(calls - before, p.per_key) << "first key";
  before = calls;
  t.Type("e");
  EXPECT_EQ(calls - before, p.per_key) << "second key";
  before = calls;
  t.Type(" ");  // a trailing blank is no new value
  EXPECT_EQ(calls - before, 0) << "a key that changes no value";

  before = calls;
  t.Press(VK_TAB);
  ASSERT_EQ(GetFocus(), t.Edit("visits", 0));
  EXPECT_EQ(calls - before, p.per_edit_exit) << "edit exit";

  before = calls;
  t.Leave();
  EXPECT_EQ(calls - before, p.per_panel_exit) << "panel exit";

  before = calls;
  ScriptedUser().Focus("Panel1");
  ScriptedUser().PlayNow();
  ASSERT_EQ(GetFocus(), t.Edit("name"));
  t.Leave();
  EXPECT_EQ(calls - before, p.idle_round) << "entering and leaving without typing";

  // Whatever the state, the typed value is the entered one; applied or pending.
  EXPECT_EQ(t.Record("name")->GetValues(0), Variant("We"));
  EXPECT_EQ(t.Record("name")->MainValues(0).IsNull(), p.state == usNone);
}

INSTANTIATE_TEST_SUITE_P(All, UpdateStates,
                         ::testing::Values(StateCounts{usNone, "usNone", 0, 0, 0, 0},
                                           StateCounts{usAuto, "usAuto", 1, 0, 0, 0},
                                           StateCounts{usEditExitChange, "usEditExitChange", 0, 1, 0, 0},
                                           StateCounts{usExitChange, "usExitChange", 0, 0, 1, 0},
                                           StateCounts{usEditExit, "usEditExit", 0, 1, 1, 1},
                                           StateCounts{usExit, "usExit", 0, 0, 1, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PanelEditing, LeavingThePanelFiresOnExitBeforeTheValuesApply) {
  Form t("customers", kFields, usExit);
  std::vector<std::string> log;
  t.panel->OnExit = [&](TObject*) { log.push_back("OnExit " + std::to_string(t.panel->update_data_set_calls)); };
  t.ClickInto(t.Edit("city"));
  t.Type("Oslo");
  const int before = t.panel->update_data_set_calls;
  t.ClickInto(t.Edit("name"));  // moving inside the panel is no exit
  EXPECT_TRUE(log.empty());
  t.Leave();
  EXPECT_EQ(log, (std::vector<std::string>{"OnExit " + std::to_string(before)}));
  EXPECT_EQ(t.panel->update_data_set_calls, before + 1);
  EXPECT_EQ(t.Record("city")->MainValues(0), Variant("Oslo"));
}

// ---- the panel's focus and cursor ----

TEST_F(PanelEditing, FocusingThePanelScrollsBackAndFocusesTheFirstVisibleField) {
  Form t("customers", kFields);
  t.panel->SetAutoSize(false);
  t.panel->SetBounds(0, 0, 260, 60);  // room for two rows: the box scrolls
  t.Record("name")->SetVisible(false);
  TScrollingFieldsSet* box = t.panel->ScrollBox();
  ASSERT_TRUE(box->VertScrollBar()->IsScrollBarVisible());
  box->VertScrollBar()->SetPosition(box->VertScrollBar()->ScrollRange());
  ASSERT_GT(box->VertScrollBar()->Position(), 0);
  TFieldRecordEdit* first = t.Edit("visits");
  ASSERT_LT(first->Top(), 0) << "scrolled out of view";

  ScriptedUser().Focus("Panel1");
  ScriptedUser().PlayNow();
  EXPECT_EQ(GetFocus(), first);
  EXPECT_EQ(box->VertScrollBar()->Position(), 0);
  EXPECT_EQ(box->HorzScrollBar()->Position(), 0);
  EXPECT_GE(first->Top(), 0);

  // No visible field: the focus stays where it was.
  t.Leave();
  for (TFieldRecord* record : t.panel->Fields()->Records()) record->SetVisible(false);
  ScriptedUser().Focus("Panel1");
  ScriptedUser().PlayNow();
  EXPECT_EQ(GetFocus(), t.outside);
}

TEST_F(PanelEditing, TheEditCursorReachesEveryEditThroughARelayout) {
  Form t("customers", kFields);
  const int passes = t.panel->layout_passes;
  t.panel->SetEditCursor(crIBeam);
  EXPECT_EQ(t.panel->GetEditCursor(), crIBeam);
  EXPECT_GT(t.panel->layout_passes, passes);
  for (TFieldRecord* record : t.panel->Fields()->Records()) {
    for (int slot = 0; slot < 2; ++slot) {
      if (TFieldRecordEdit* edit = FieldEdit(*record, slot)) {
        EXPECT_EQ(edit->Cursor(), crIBeam);
      }
    }
  }
  const int after = t.panel->layout_passes;
  t.panel->SetEditCursor(crIBeam);
  EXPECT_EQ(t.panel->layout_passes, after) << "the same cursor again changes nothing";
}

}  // namespace
}  // namespace vantor
