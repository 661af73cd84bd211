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
#include "engines/support/server_condition_eval.h"
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/data/table.h>
#include <vantor/platform/data/typed_fields.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/exceptions.h>
#include "support/random_text.h"

namespace vantor::engines_test {
namespace {

using Kind = TServerCondition::Kind;

// A string field that shows its values in capitals: its text is not its stored value.
class CapitalsField : public TStringField {
 public:
  using TStringField::TStringField;

 protected:
  std::string ValueText(const Variant& stored) const override { return AnsiUpperCase(stored.AsString()); }
};

// Pieces of texts a server can hold (valid UTF-8): case variants that capitals join
// (i I ı İ, s S ſ, σ ς Σ, ǆ ǅ Ǆ), letters without a capital of their own (ß), the LIKE
// specials, blanks and control characters that the record texts cut.
const std::vector<std::string> kPieces = {"a", "A", "b", "B", "Sm", "sm", "é", "É", "ß", "ı", "I", "i", "İ",
                                          "ſ", "s", "S", "σ", "ς", "Σ", "ǆ", "ǅ", "Ǆ", "%", "_", "\\", " ",
                                          "\t", "z", "0", "9", "ö", "Ö", "D", "ẞ"};

std::string RandomText(std::mt19937& rng, int max_pieces) {
  return testing_support::RandomPieces(rng, kPieces, max_pieces);
}

struct RandomTable {
  explicit RandomTable(std::mt19937& rng, int rows) : table(nullptr), source(nullptr) {
    struct Column {
      const char* name;
      TFieldType type;
    };
    const Column columns[] = {
        {"id", TFieldType::ftInteger},    {"name", TFieldType::ftString},     {"city", TFieldType::ftString},
        {"shout", TFieldType::ftString},  {"amount", TFieldType::ftInteger},  {"small", TFieldType::ftSmallint},
        {"word", TFieldType::ftWord},     {"price", TFieldType::ftFloat},     {"limit", TFieldType::ftCurrency},
        {"day", TFieldType::ftDate},      {"stamp", TFieldType::ftDateTime},  {"flag", TFieldType::ftBoolean},
        {"big", TFieldType::ftLargeint},  {"note", TFieldType::ftMemo},
    };
    for (const Column& c : columns) {
      const bool text = c.type == TFieldType::ftString;
      table.FieldDefs().Add(c.name, c.type, text ? 60 : 0);
      TField* f = text && std::string(c.name) == "shout" ? new CapitalsField(&table) : CreateField(&table, c.type);
      f->SetFieldName(c.name);
      if (text) f->SetSize(60);
    }
    TField* calc = CreateField(&table, TFieldType::ftString);
    calc->SetFieldName("calc");
    calc->SetSize(120);
    calc->SetFieldKind(fkInternalCalc);
    table.OnCalcFields = [](TDataSet* ds) {
      ds->FieldByName("calc")->SetAsString(ds->FieldByName("city")->AsString() + ds->FieldByName("name")->AsString());
    };
    table.Open();
    std::bernoulli_distribution null(0.15);
    std::uniform_int_distribution<int> n(-30, 30);
    for (int i = 1; i <= rows; ++i) {
      table.Append();
      table.FieldByName("id")->SetAsInteger(i);
      for (const char* name : {"name", "city", "shout", "note"}) {
        if (!null(rng)) table.FieldByName(name)->SetAsString(RandomText(rng, 4));
      }
      if (!null(rng)) table.FieldByName("amount")->SetAsInteger(n(rng));
      if (!null(rng)) table.FieldByName("small")->SetAsInteger(n(rng));
      if (!null(rng)) table.FieldByName("word")->SetAsInteger(n(rng) + 30);
      if (!null(rng)) table.FieldByName("price")->SetAsFloat(n(rng) / 4.0);
      if (!null(rng)) table.FieldByName("limit")->SetAsCurrency(Currency::FromScaled(n(rng) * 2500 + n(rng)));
      if (!null(rng)) table.FieldByName("day")->SetAsDateTime(40000 + n(rng));
      if (!null(rng)) table.FieldByName("stamp")->SetAsDateTime(40000 + n(rng) / 8.0);
      if (!null(rng)) table.FieldByName("flag")->SetAsBoolean(n(rng) > 0);
      if (!null(rng)) table.FieldByName("big")->SetAsVariant(Variant(std::int64_t{n(rng)} * std::int64_t{3000000000}));
      table.Post();
    }
    source.SetDataSet(&table);
  }
  ~RandomTable() { source.SetDataSet(nullptr); }

  TTable table;
  TDataSource source;
};

const char* const kFields[] = {"name", "city", "shout", "amount", "small", "word", "price",
                               "limit", "day",  "stamp", "flag",  "big",   "calc"};

// A value of some kind for a field: mostly of its own kind, sometimes a text (some that
// no server holds), a number of another kind or no value.
Variant RandomValue(std::mt19937& rng, TFieldType type) {
  std::uniform_int_distribution<int> pick(0, 11);
  std::uniform_int_distribution<int> n(-32, 32);
  const int p = pick(rng);
  if (p == 0) return Variant(RandomText(rng, 2));
  if (p == 1) return Variant::Null();
  if (p == 2 && type == TFieldType::ftString) return Variant(RandomText(rng, 1) + "\xC3");
  switch (type) {
    case TFieldType::ftString: return Variant(RandomText(rng, 3));
    case TFieldType::ftFloat: return p < 6 ? Variant(n(rng) / 4.0) : Variant(n(rng));
    case TFieldType::ftCurrency:
      return p < 6 ? Variant(Currency::FromScaled(n(rng) * 2500 + n(rng))) : Variant(n(rng) / 4.0);
    case TFieldType::ftDate: return Variant::FromDate(40000 + n(rng));
    case TFieldType::ftDateTime: return p < 6 ? Variant::FromDate(40000 + n(rng) / 8.0) : Variant(40000 + n(rng));
    case TFieldType::ftBoolean: return p < 7 ? Variant(p % 2 == 0) : Variant(p < 9 ? "True" : "false");
    case TFieldType::ftLargeint: return Variant(std::int64_t{n(rng)} * std::int64_t{3000000000});
    default: return p < 5 ? Variant(std::to_string(n(rng))) : Variant(n(rng));
  }
}

struct Fixture {
  Fixture(std::uint32_t seed, int rows) : rng(seed), t(rng, rows), panel(nullptr) {
    panel.SetDataSource(&t.source);
    panel.SetFiltered(true);
  }
  ~Fixture() { panel.SetDataSource(nullptr); }

  // Random criteria for 1 to 4 fields (values a record refuses are left out).
  std::string RandomCriteria() {
    std::string what;
    panel.BeginUpdate();
    for (const char* name : kFields) {
      if (TFieldRecord* r = panel.FindField(name)) {
        r->SetValues(0, Variant::Null());
        r->SetValues(1, Variant::Null());
      }
    }
    std::uniform_int_distribution<int> fields(1, 4);
    std::uniform_int_distribution<std::size_t> field(0, std::size(kFields) - 1);
    std::uniform_int_distribution<int> three(0, 2);
    std::bernoulli_distribution coin(0.5);
    for (int n = fields(rng); n > 0; --n) {
      const char* name = kFields[field(rng)];
      TFieldRecord* r = panel.FindField(name);
      if (r == nullptr) continue;
      try {
        const bool two = coin(rng);
        r->SetCount(two ? coTwo : coOne);
        r->SetCompare(static_cast<TCompareType>(three(rng)));
        r->SetCaseInsensitive(coin(rng));
        const TFieldType type = t.table.FieldByName(name)->DataType();
        r->SetValues(0, RandomValue(rng, type));
        if (two) r->SetValues(1, RandomValue(rng, type));
        what += std::string(name) + (two ? " range " : " one ") + VarToStr(r->GetValues(0)) + ".." +
                VarToStr(r->GetValues(1)) + " cmp" + std::to_string(static_cast<int>(r->GetCompare())) +
                (r->GetCaseInsensitive() ? " ci; " : " cs; ");
      } catch (const Exception&) {
        // A value the record cannot take: the criterion stays as the record left it.
      }
    }
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

  std::mt19937 rng;
  RandomTable t;
  TDBFilterPanel panel;
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
  std::mt19937 rng(5);
  RandomTable t(rng, 0);
  TDBFilterPanel panel(nullptr);
  panel.SetDataSource(&t.source);
  panel.SetFiltered(true);
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
  panel.SetDataSource(nullptr);
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
