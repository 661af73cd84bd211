// The filter panel's compiled passes against its record test run record by record: random
// tables and criteria, typed keystroke sequences (refining, widening, Backspace), the
// application's handler, calculated fields and fields that show their values their own way.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <vantor/engines/filter_panel.h>
#include "engines/support/contacts.h"
#include "engines/support/random_filter.h"
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/data/table.h>
#include <vantor/platform/rtl/exceptions.h>

namespace vantor::engines_test {
namespace {

// Texts of fewer pieces than a server test's, so that criteria meet the cells' texts often,
// with a stray byte among them, as a file of another program may hold.
ValueSpread RecordTexts() {
  ValueSpread spread;
  spread.pieces = {"a", "A", "b",    "Sm", "sm",  "SM", "é", "É", "ß", "ı", "I", "i",  "ö", "Ö",
                   " ", "straße", "ǆ", "ǅ", "-", "z", "\xC3", "ith", "ITH", "0", "9", "  ", "İ", "ſ"};
  return spread;
}

// Runs `apply` (which makes the panel filter again), then filters the same table through
// the panel's record callback alone, record by record; both must show the same records,
// or both raise. Returns whether they raised.
struct Outcome {
  std::vector<int> ids;
  bool raised = false;
  std::vector<int> handler_calls;
  int calc_calls = 0;
};

class Differential {
 public:
  Differential(RandomTable& t, TDBFilterPanel& panel) : t_(t), panel_(panel) {}

  Outcome Compiled(const std::function<void()>& apply) {
    return Run([&] { apply(); });
  }
  Outcome RecordByRecord() {
    return Run([&] {
      TFilterRecordEvent each;
      each = [this](TDataSet* ds, bool& accept) { panel_.FilterRecord(ds, accept); };
      t_.table.SetOnFilterRecord(each);
      if (!t_.table.Filtered()) t_.table.SetFiltered(true);
    });
  }
  std::vector<int> handler_calls;

 private:
  Outcome Run(const std::function<void()>& step) {
    Outcome o;
    // Calculated values are kept for the current record until the data changes: start both
    // runs with none kept, so that they count the same calculations.
    t_.table.Edit();
    t_.table.Cancel();
    handler_calls.clear();
    t_.calc_calls = 0;
    try {
      step();
    } catch (const Exception&) {
      o.raised = true;
    }
    o.handler_calls = handler_calls;
    o.calc_calls = t_.calc_calls;
    if (!o.raised) o.ids = VisibleIds(t_.table);
    return o;
  }

  RandomTable& t_;
  TDBFilterPanel& panel_;
};

void ExpectSame(const Outcome& compiled, const Outcome& reference, const std::string& what) {
  EXPECT_EQ(compiled.raised, reference.raised) << what;
  EXPECT_EQ(compiled.ids, reference.ids) << what;
  EXPECT_EQ(compiled.handler_calls, reference.handler_calls) << what;
  EXPECT_EQ(compiled.calc_calls, reference.calc_calls) << what;
}

struct Fixture : RandomFilterRig {
  Fixture(std::uint32_t seed, int rows) : RandomFilterRig(seed, rows, RecordTexts()), diff(t, panel) {}

  void Check(const std::function<void()>& apply, const std::string& what) {
    const Outcome compiled = diff.Compiled(apply);
    const Outcome reference = diff.RecordByRecord();
    ExpectSame(compiled, reference, what);
  }

  Differential diff;
};

TEST(CompiledFilter, RandomCriteriaGiveTheRecordTestsAnswers) {
  std::size_t compiled = 0, general = 0;
  for (std::uint32_t seed = 1; seed <= 6; ++seed) {
    Fixture f(seed, 300);
    for (int round = 0; round < 60; ++round) {
      const std::string what = f.EnterRandomCriteria();
      f.Check([&] { f.panel.EndUpdate(); }, "seed " + std::to_string(seed) + ": " + what);
      compiled += f.panel.CompiledFilter().LastPass().compiled;
      general += f.panel.CompiledFilter().LastPass().general;
    }
  }
  // Both paths had work to do.
  EXPECT_GT(compiled, 150u);
  EXPECT_GT(general, 30u);
}

TEST(CompiledFilter, ApplicationHandlerSeesEveryRecordOnceInOrder) {
  Fixture f(11, 200);
  f.panel.OnFilterRecord = [&f](TDataSet* ds, bool& accept) {
    const int id = ds->FieldByName("id")->AsInteger();
    f.diff.handler_calls.push_back(id);
    accept = id % 3 != 0;
  };
  for (int round = 0; round < 40; ++round) {
    const std::string what = f.EnterRandomCriteria();
    const Outcome compiled = f.diff.Compiled([&] { f.panel.EndUpdate(); });
    const Outcome reference = f.diff.RecordByRecord();
    ExpectSame(compiled, reference, what);
    if (!compiled.raised) {
      // Every record, once, in the data set's order.
      ASSERT_EQ(compiled.handler_calls.size(), 200u) << what;
      for (int i = 0; i < 200; ++i) EXPECT_EQ(compiled.handler_calls[static_cast<std::size_t>(i)], i + 1);
    }
  }
}

TEST(CompiledFilter, CalculatedAndOwnTextFieldsStayWithTheRecordTest) {
  Fixture f(5, 400);
  f.panel.BeginUpdate();
  TFieldRecord* calc = f.panel.FieldByName("calc");
  ASSERT_NE(calc, nullptr);
  calc->SetCount(coOne);
  calc->SetCompare(ctInternal);
  calc->SetValues(0, Variant("s"));
  TFieldRecord* shout = f.panel.FieldByName("shout");
  shout->SetCount(coOne);
  shout->SetCompare(ctInitial);
  shout->SetCaseInsensitive(false);
  shout->SetValues(0, Variant("S"));  // the text is in capitals whatever the cell holds ("sm" shows "SM")
  f.Check([&] { f.panel.EndUpdate(); }, "calc and shout");
  EXPECT_EQ(f.panel.CompiledFilter().LastPass().compiled, 0u);
  EXPECT_EQ(f.panel.CompiledFilter().LastPass().general, 2u);
  EXPECT_FALSE(VisibleIds(f.t.table).empty());
}

TEST(CompiledFilter, ValuesTheHostCannotCompareRaiseWhereTheRecordTestRaises) {
  Fixture f(3, 50);
  TFieldRecord* name = f.panel.FieldByName("name");
  TFieldRecord* amount = f.panel.FieldByName("amount");
  amount->SetCount(coOne);
  amount->SetCompare(ctExact);
  amount->SetCaseInsensitive(false);
  amount->SetValues(0, Variant(5));
  const auto refilter = [&] {
    amount->SetMainValues(0, Variant("no number"));  // no value the record would take
    f.panel.SetFiltered(false);
    f.panel.SetFiltered(true);
  };
  const Outcome compiled = f.diff.Compiled(refilter);
  ExpectSame(compiled, f.diff.RecordByRecord(), "raising");
  EXPECT_TRUE(compiled.raised);

  // A name that no record begins with ends every record test before the amount is read.
  amount->SetMainValues(0, Variant(5));
  name->SetCount(coOne);
  name->SetCompare(ctInitial);
  name->SetValues(0, Variant("qqq"));
  const Outcome stopped = f.diff.Compiled(refilter);
  ExpectSame(stopped, f.diff.RecordByRecord(), "stopped before raising");
  EXPECT_FALSE(stopped.raised);
  EXPECT_EQ(f.panel.CompiledFilter().LastPass().compiled, 1u);
}

// Typing into one field: each keystroke makes the panel filter again.
TEST(CompiledFilter, TypedKeystrokesRefineOnlyWhenTheyNarrow) {
  int refined = 0, fresh = 0;
  for (std::uint32_t seed = 21; seed <= 24; ++seed) {
    Fixture f(seed, 400);
    for (const char* name : {"name", "city"}) {
      TFieldRecord* r = f.panel.FieldByName(name);
      for (bool ci : {true, false}) {
        for (TCompareType compare : {ctInitial, ctInternal}) {
          r->SetCount(coOne);
          r->SetCompare(compare);
          r->SetCaseInsensitive(ci);
          std::string typed;
          std::bernoulli_distribution backspace(0.25);
          for (int key = 0; key < 30; ++key) {
            if (!typed.empty() && backspace(f.random.rng)) {
              typed.pop_back();  // may leave half a character: a stray byte
            } else {
              typed += f.random.Piece();
            }
            const std::string what = std::string(name) + " typed '" + typed + "'";
            f.Check([&] { r->SetValues(0, typed.empty() ? Variant::Null() : Variant(typed)); }, what);
            ++(f.panel.CompiledFilter().LastPass().refined ? refined : fresh);
          }
          r->SetValues(0, Variant::Null());
        }
      }
    }
  }
  EXPECT_GT(refined, 100);
  EXPECT_GT(fresh, 100);
}

TEST(CompiledFilter, RefinesALongerPrefixANarrowerRangeAndOneMoreField) {
  Fixture f(7, 300);
  const TCompiledFilter& compiled = f.panel.CompiledFilter();
  TFieldRecord* name = f.panel.FieldByName("name");
  name->SetCount(coOne);
  name->SetCompare(ctInitial);
  name->SetCaseInsensitive(true);
  f.Check([&] { name->SetValues(0, Variant("s")); }, "s");
  EXPECT_FALSE(compiled.LastPass().refined);
  f.Check([&] { name->SetValues(0, Variant("sm")); }, "sm");
  EXPECT_TRUE(compiled.LastPass().refined);
  f.Check([&] { name->SetValues(0, Variant("s")); }, "Backspace");
  EXPECT_FALSE(compiled.LastPass().refined);

  TFieldRecord* amount = f.panel.FieldByName("amount");
  amount->SetCount(coTwo);
  amount->SetCompare(ctExact);
  f.Check([&] { f.panel.BeginUpdate(); amount->SetValues(0, Variant(-10)); amount->SetValues(1, Variant(20)); f.panel.EndUpdate(); },
          "one more field");
  EXPECT_TRUE(compiled.LastPass().refined);
  f.Check([&] { amount->SetValues(1, Variant(10)); }, "narrower");
  EXPECT_TRUE(compiled.LastPass().refined);
  f.Check([&] { amount->SetValues(0, Variant(-20)); }, "wider");
  EXPECT_FALSE(compiled.LastPass().refined);
  f.Check([&] { amount->SetValues(1, Variant::Null()); }, "open upper bound");
  EXPECT_FALSE(compiled.LastPass().refined);

  // A changed record: the earlier answer no longer describes the rows.
  f.t.table.First();
  f.t.table.Edit();
  f.t.table.FieldByName("name")->SetAsString("Smitten");
  f.t.table.Post();
  f.Check([&] { name->SetValues(0, Variant("smi")); }, "after an edit");
  EXPECT_FALSE(compiled.LastPass().refined);

  // Another order of the same rows: refined, the answer in the new order.
  f.t.table.IndexDefs().Add("by_name", "name", {ixCaseInsensitive});
  f.t.table.SetIndexName("by_name");
  f.Check([&] { name->SetValues(0, Variant("smit")); }, "other order");
  EXPECT_TRUE(compiled.LastPass().refined);
}

TEST(CompiledFilter, LargeTablesUseTwoThreadsWithTheSameAnswer) {
  RandomValues random(99);
  TTable table(nullptr);
  table.FieldDefs().Add("id", TFieldType::ftInteger);
  table.FieldDefs().Add("name", TFieldType::ftString, 80);
  table.FieldDefs().Add("amount", TFieldType::ftFloat);
  table.Open();
  const int rows = static_cast<int>(TCompiledFilter::kParallelRows) + 1000;
  std::uniform_int_distribution<int> n(0, 999);
  for (int i = 1; i <= rows; ++i) {
    table.Append();
    table.Fields(0)->SetAsInteger(i);
    table.Fields(1)->SetAsString(random.Text(3));
    table.Fields(2)->SetAsFloat(n(random.rng) / 10.0);
    table.Post();
  }
  TDataSource source(nullptr);
  source.SetDataSet(&table);
  TDBFilterPanel panel(nullptr);
  panel.SetDataSource(&source);
  panel.SetFiltered(true);
  panel.BeginUpdate();
  TFieldRecord* name = panel.FieldByName("name");
  name->SetCount(coOne);
  name->SetCompare(ctInitial);
  name->SetValues(0, Variant("s"));
  TFieldRecord* amount = panel.FieldByName("amount");
  amount->SetCount(coTwo);
  amount->SetValues(0, Variant(10));
  amount->SetValues(1, Variant(60.5));
  panel.EndUpdate();
  EXPECT_EQ(panel.CompiledFilter().LastPass().threads, 2);
  const std::vector<int> compiled = VisibleIds(table);
  TFilterRecordEvent each;
  each = [&panel](TDataSet* ds, bool& accept) { panel.FilterRecord(ds, accept); };
  table.SetOnFilterRecord(each);
  EXPECT_EQ(VisibleIds(table), compiled);
  EXPECT_FALSE(compiled.empty());
  panel.SetDataSource(nullptr);
  source.SetDataSet(nullptr);
}

}  // namespace
}  // namespace vantor::engines_test
