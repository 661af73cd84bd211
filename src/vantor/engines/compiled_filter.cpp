#include <vantor/engines/compiled_filter.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <exception>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <type_traits>
#include <typeinfo>

#include <vantor/criteria/field_record.h>
#include <vantor/criteria/fields_list.h>
#include <vantor/engines/filter_panel.h>
#include <vantor/engines/internal/value_keys.h>
#include <vantor/platform/data/field.h>
#include <vantor/platform/data/typed_fields.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/rtl/utf8.h>
#include <vantor/platform/rtl/value_conversion.h>
#include <vantor/platform/rtl/variant.h>

namespace vantor {
namespace filter_detail {

// One field-map position compiled into a test on the cells of one column. A test is pure:
// it reads the cells only, never raises, and so may run in any order and on any thread.
class Test {
 public:
  Test(const TRowStore::ColumnScan& cells, int column, double cost) : cells_(cells), column_(column), cost_(cost) {}
  virtual ~Test() = default;
  Test(const Test&) = delete;
  Test& operator=(const Test&) = delete;

  // Appends the rows of `in` whose cells pass to `out`, in order. Reads the cells: only
  // during the pass the test was compiled for.
  virtual void Keep(std::span<const RowId> in, std::vector<RowId>& out) const = 0;
  // Whether every cell this test accepts is accepted by `other` (a test of an earlier
  // pass; its cells are not read). False whenever that is not certain.
  virtual bool Implies(const Test& other) const = 0;

  int Column() const { return column_; }
  // Relative cost per row, for ordering the tests.
  double Cost() const { return cost_; }

 protected:
  template <typename Pass>
  static void KeepIf(std::span<const RowId> in, std::vector<RowId>& out, Pass pass) {
    for (RowId r : in) {
      if (pass(r)) out.push_back(r);
    }
  }

  TRowStore::ColumnScan cells_;

 private:
  int column_;
  double cost_;
};

}  // namespace filter_detail

namespace {

using filter_detail::Test;
using namespace value_keys;

// The exact-compare tests of the record test that read only AsVariant (a number, a date,
// a Boolean, or a text compared case-sensitively as a whole): one value must equal the
// cell, or a range of two inclusive bounds must hold it (an absent upper bound is open).
bool ExactAccepts(TCountType count, const Variant& v1, const Variant& v2, const Variant& cell) {
  if (count == coOne) return VarCompare(v1, cell) == 0;
  if (VarCompare(v1, cell) > 0) return false;
  if (v2.IsNull()) return true;
  return VarCompare(v2, cell) >= 0;
}

// --- Numbers and dates ---------------------------------------------------------------------

// Cells of type T held between two inclusive ends (an empty interval accepts no value);
// a null cell and a NaN cell have their own answers.
template <typename T>
class IntervalTest final : public Test {
 public:
  IntervalTest(const TRowStore::ColumnScan& cells, int column, bool empty, T lo, T hi, bool null_pass, bool nan_pass)
      : Test(cells, column, 1.0), empty_(empty), lo_(lo), hi_(hi), null_pass_(null_pass), nan_pass_(nan_pass) {}

  void Keep(std::span<const RowId> in, std::vector<RowId>& out) const override {
    const TRowStore::ColumnScan& c = cells_;
    const T lo = lo_, hi = hi_;
    const bool empty = empty_, null_pass = null_pass_, nan_pass = nan_pass_;
    KeepIf(in, out, [&](RowId r) {
      if (c.IsNull(r)) return null_pass;
      const T v = c.Load<T>(r);
      if constexpr (std::is_floating_point_v<T>) {
        if (std::isnan(v)) return nan_pass;
      }
      return !empty && lo <= v && v <= hi;
    });
  }

  bool Implies(const Test& other) const override {
    const auto* o = dynamic_cast<const IntervalTest*>(&other);
    if (o == nullptr || o->Column() != Column()) return false;
    if (null_pass_ && !o->null_pass_) return false;
    if (nan_pass_ && !o->nan_pass_) return false;
    if (empty_) return true;
    return !o->empty_ && lo_ >= o->lo_ && hi_ <= o->hi_;
  }

 private:
  bool empty_;
  T lo_, hi_;
  bool null_pass_, nan_pass_;
};

template <typename T, typename Cells>
std::unique_ptr<Test> CompileInterval(const TRowStore::ColumnScan& cells, int column, TCountType count,
                                      const Variant& v1, const Variant& v2, const Variant& nan) {
  const std::int64_t first = FirstNotBelow<Cells>(v1);
  bool empty = VarCompare(v1, Cells::Probe(first)) > 0;
  std::int64_t last = Cells::kMax;
  const Variant& upper = count == coOne ? v1 : v2;
  if (count == coOne || !v2.IsNull()) {
    if (!LastNotAbove<Cells>(upper, last)) empty = true;
  }
  if (first > last) empty = true;
  const bool null_pass = ExactAccepts(count, v1, v2, Variant::Null());
  const bool nan_pass = nan.IsClear() ? false : ExactAccepts(count, v1, v2, nan);
  return std::make_unique<IntervalTest<T>>(cells, column, empty, static_cast<T>(Cells::FromKey(first)),
                                           static_cast<T>(Cells::FromKey(empty ? first : last)), null_pass, nan_pass);
}

// A Boolean column has three possible cells: the answer for each is asked once.
class BooleanTest final : public Test {
 public:
  BooleanTest(const TRowStore::ColumnScan& cells, int column, bool pass_false, bool pass_true, bool pass_null)
      : Test(cells, column, 1.0), pass_{pass_false, pass_true}, pass_null_(pass_null) {}

  void Keep(std::span<const RowId> in, std::vector<RowId>& out) const override {
    const TRowStore::ColumnScan& c = cells_;
    KeepIf(in, out, [&](RowId r) { return c.IsNull(r) ? pass_null_ : pass_[c.Load<unsigned char>(r) != 0 ? 1 : 0]; });
  }

  bool Implies(const Test& other) const override {
    const auto* o = dynamic_cast<const BooleanTest*>(&other);
    if (o == nullptr || o->Column() != Column()) return false;
    return (!pass_[0] || o->pass_[0]) && (!pass_[1] || o->pass_[1]) && (!pass_null_ || o->pass_null_);
  }

 private:
  bool pass_[2];
  bool pass_null_;
};

// --- Texts --------------------------------------------------------------------------------

// The rules of the record test on a string field whose text is its stored value. "Upper"
// texts are AnsiUpperCase; "record" texts are the field record's text of a value
// (trailing blanks cut); the generic text of a value is VarToStr.
enum class TextRule : std::uint8_t {
  kEqual,           // one value, exact, case-sensitive: the variants are equal
  kSameText,        // one value, exact, case-insensitive: AnsiCompareUpper is 0
  kStartsUpper,     // one value, initial, case-insensitive
  kStarts,          // one value, initial, case-sensitive (record texts)
  kContainsUpper,   // one value, internal, case-insensitive
  kContains,        // one value, internal, case-sensitive (record texts)
  kRangeVariant,    // range, exact, case-sensitive: variant order of strings
  kRangeUpper,      // range, case-insensitive (exact: whole text; else: upper bound's length)
  kRangeRecord,     // range, initial or internal, case-sensitive (record texts)
};

int Ordinal(std::string_view a, std::string_view b) { return a.compare(b); }

// Whether AnsiUpperCase of the first `chars` characters of `text` is `upper`, built one
// character at a time (no copy of the text).
bool HeadUpperIs(std::string_view text, std::size_t chars, std::string_view upper, std::string& scratch) {
  std::size_t i = 0, j = 0;
  for (std::size_t k = 0; k < chars && i < text.size(); ++k) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      const char u = static_cast<char>(byte >= 'a' && byte <= 'z' ? byte - 32 : byte);
      if (j >= upper.size() || upper[j] != u) return false;
      ++i;
      ++j;
      continue;
    }
    const Utf8Unit unit = DecodeUtf8At(text, i);
    scratch.clear();
    if (unit.invalid) {
      scratch += text[i];
    } else {
      AppendUtf8(UpperCaseChar(unit.cp), scratch);
    }
    if (upper.substr(j, scratch.size()) != scratch) return false;
    j += scratch.size();
    i += unit.len;
  }
  return j == upper.size();
}

// AnsiCompareUpper(text, wanted) == 0 for a wanted text of ASCII characters only, given
// also upper-cased: while the text's characters are ASCII the two are compared byte by
// byte (one character each, capitalised alike); the first other character hands the
// whole to AnsiCompareUpper, since some of them capitalise to ASCII letters ("ı", "ſ").
bool SameCapitalsAsAscii(std::string_view text, std::string_view wanted, std::string_view wanted_upper) {
  std::size_t i = 0;
  for (; i < text.size() && i < wanted_upper.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) return AnsiCompareUpper(wanted, text) == 0;
    if (static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c) != wanted_upper[i]) return false;
  }
  return i == text.size() && i == wanted_upper.size();
}

class TextTest final : public Test {
 public:
  struct Params {
    TextRule rule = TextRule::kEqual;
    bool exact = false;             // kRangeUpper: the upper bound is compared as a whole
    bool v1_null = false, v2_null = false;
    std::string w1, w2;             // the texts the rule compares with (see Compile)
    std::string g1;                 // kStartsUpper: the generic text of the value
    std::size_t n1 = 0, n2 = 0;     // kStartsUpper: characters of g1; kRangeUpper: characters of the upper bound
    bool operator==(const Params&) const = default;
  };

  TextTest(const TRowStore::ColumnScan& cells, int column, Params p)
      : Test(cells, column, CostOf(p.rule)), p_(std::move(p)) {}

  void Keep(std::span<const RowId> in, std::vector<RowId>& out) const override {
    const TRowStore::ColumnScan& c = cells_;
    const Params& p = p_;
    std::string scratch, scratch2;
    switch (p.rule) {
      case TextRule::kEqual:
        // The value equals the cell's variant: Null equals a null cell only.
        KeepIf(in, out, [&](RowId r) { return c.IsNull(r) ? p.v1_null : !p.v1_null && c.Text(r) == p.w1; });
        break;
      case TextRule::kSameText:
        if (!p.w2.empty() || p.w1.empty()) {
          KeepIf(in, out, [&](RowId r) { return SameCapitalsAsAscii(c.Text(r), p.w1, p.w2); });
        } else {
          KeepIf(in, out, [&](RowId r) { return AnsiCompareUpper(p.w1, c.Text(r)) == 0; });
        }
        break;
      case TextRule::kStartsUpper:
        KeepIf(in, out, [&](RowId r) { return HeadUpperIs(c.Text(r), p.n1, p.w1, scratch); });
        break;
      case TextRule::kStarts:
        KeepIf(in, out, [&](RowId r) { return TrimRightView(c.Text(r)).starts_with(p.w1); });
        break;
      case TextRule::kContainsUpper:
        KeepIf(in, out, [&](RowId r) {
          AnsiUpperCaseInto(c.Text(r), scratch);
          return scratch.find(p.w1) != std::string::npos;
        });
        break;
      case TextRule::kContains:
        KeepIf(in, out, [&](RowId r) { return TrimRightView(c.Text(r)).find(p.w1) != std::string_view::npos; });
        break;
      case TextRule::kRangeVariant:
        KeepIf(in, out, [&](RowId r) {
          // Variant order: a clear bound equals a null cell and lies below every text.
          const bool null = c.IsNull(r);
          auto compare = [&](bool bound_clear, const std::string& bound) {
            if (bound_clear || null) return bound_clear == null ? 0 : (bound_clear ? -1 : 1);
            return Ordinal(bound, c.Text(r));
          };
          if (compare(p.v1_null, p.w1) > 0) return false;
          if (p.v2_null) return true;
          return compare(false, p.w2) >= 0;
        });
        break;
      case TextRule::kRangeUpper:
        KeepIf(in, out, [&](RowId r) {
          const std::string_view text = c.Text(r);
          AnsiUpperCaseInto(text, scratch);
          if (Ordinal(p.w1, scratch) > 0) return false;
          if (p.v2_null) return true;
          if (p.exact) return Ordinal(p.w2, scratch) >= 0;
          AnsiUpperCaseInto(Utf8Head(text, p.n2), scratch2);
          return Ordinal(p.w2, scratch2) >= 0;
        });
        break;
      case TextRule::kRangeRecord:
        KeepIf(in, out, [&](RowId r) {
          const std::string_view text = TrimRightView(c.Text(r));
          if (Ordinal(p.w1, text) > 0) return false;
          if (p.v2_null) return true;
          return Ordinal(p.w2, Utf8HeadLike(text, p.w2)) >= 0;
        });
        break;
    }
  }

  bool Implies(const Test& other) const override {
    const auto* o = dynamic_cast<const TextTest*>(&other);
    if (o == nullptr || o->Column() != Column() || o->p_.rule != p_.rule) return false;
    if (o->p_ == p_) return true;
    switch (p_.rule) {
      case TextRule::kStarts:
        // The trimmed text begins with w1, which begins with the earlier w1.
        return p_.w1.starts_with(o->p_.w1);
      case TextRule::kContains:
      case TextRule::kContainsUpper:
        return p_.w1.find(o->p_.w1) != std::string::npos;
      case TextRule::kStartsUpper:
        // With both values valid UTF-8 and the earlier one a head of this one, a text
        // whose first characters upper-case to this value's upper-case has only valid
        // characters there (a stray byte cannot take part in a valid text of as many
        // characters), and its first characters of the earlier count upper-case to the
        // earlier value's upper-case.
        return p_.g1.starts_with(o->p_.g1) && IsValidUtf8(p_.g1) && IsValidUtf8(o->p_.g1);
      default:
        return false;
    }
  }

 private:
  static double CostOf(TextRule rule) {
    switch (rule) {
      case TextRule::kEqual:
      case TextRule::kStarts:
      case TextRule::kSameText:
      case TextRule::kStartsUpper: return 2.0;
      case TextRule::kRangeVariant:
      case TextRule::kRangeRecord: return 3.0;
      case TextRule::kRangeUpper: return 8.0;
      case TextRule::kContains: return 6.0;
      case TextRule::kContainsUpper: return 12.0;
    }
    return 10.0;
  }

  Params p_;
};

// A string field whose text is its stored value: the library's own string field class (a
// descendant may show its values otherwise), read as a string by the criteria record too.
bool PlainStringField(const TField& field, const TFieldRecord& record) {
  return typeid(field) == typeid(TStringField) && field.DataType() == TFieldType::ftString &&
         record.GetDataType() == TFieldType::ftString;
}

std::unique_ptr<Test> CompileText(const TRowStore::ColumnScan& cells, int column, const TField& field,
                                  const TFieldRecord& record, TCountType count, TCompareType compare,
                                  bool case_insensitive) {
  if (!PlainStringField(field, record)) return nullptr;
  const Variant& v1 = record.MainValues(0);
  const Variant& v2 = record.MainValues(1);
  TextTest::Params p;
  auto record_text = [](const Variant& v) { return VariantToText(TFieldType::ftString, v); };
  if (count == coOne) {
    switch (compare) {
      case ctExact:
        if (case_insensitive) {
          p.rule = TextRule::kSameText;
          p.w1 = VarToStr(v1);
          // w2: the value upper-cased when it is ASCII only (for the byte-wise comparison).
          if (std::all_of(p.w1.begin(), p.w1.end(), [](char ch) { return static_cast<unsigned char>(ch) < 0x80; })) {
            for (char ch : p.w1) p.w2 += static_cast<char>(ch >= 'a' && ch <= 'z' ? ch - 32 : ch);
          }
        } else {
          // Only a text or no value compares with the text cells without conversion.
          if (!v1.IsClear() && v1.Get<std::string>() == nullptr) return nullptr;
          p.rule = TextRule::kEqual;
          p.v1_null = v1.IsClear();
          if (!p.v1_null) p.w1 = *v1.Get<std::string>();
        }
        break;
      case ctInitial:
        if (case_insensitive) {
          p.rule = TextRule::kStartsUpper;
          p.g1 = VarToStr(v1);
          p.w1 = AnsiUpperCase(p.g1);
          p.n1 = Utf8Length(p.g1);
        } else {
          p.rule = TextRule::kStarts;
          p.w1 = record_text(v1);
        }
        break;
      case ctInternal:
        p.rule = case_insensitive ? TextRule::kContainsUpper : TextRule::kContains;
        p.w1 = case_insensitive ? AnsiUpperCase(VarToStr(v1)) : record_text(v1);
        break;
      default: return nullptr;
    }
    return std::make_unique<TextTest>(cells, column, std::move(p));
  }
  p.v2_null = v2.IsNull();
  if (compare == ctExact && !case_insensitive) {
    for (const Variant* v : {&v1, &v2}) {
      if (!v->IsClear() && v->Get<std::string>() == nullptr) return nullptr;
    }
    p.rule = TextRule::kRangeVariant;
    p.v1_null = v1.IsClear();
    if (!p.v1_null) p.w1 = *v1.Get<std::string>();
    if (!p.v2_null) {
      // An Empty upper bound orders as Null: below every text, equal to a null cell.
      if (v2.IsClear()) return nullptr;
      p.w2 = *v2.Get<std::string>();
    }
  } else if (compare != ctExact && compare != ctInitial && compare != ctInternal) {
    return nullptr;
  } else if (case_insensitive) {
    p.rule = TextRule::kRangeUpper;
    p.exact = compare == ctExact;
    p.w1 = AnsiUpperCase(VarToStr(v1));
    if (!p.v2_null) {
      const std::string high = VarToStr(v2);
      p.w2 = AnsiUpperCase(high);
      p.n2 = Utf8Length(high);
    }
  } else {
    p.rule = TextRule::kRangeRecord;
    p.w1 = record_text(v1);
    if (!p.v2_null) p.w2 = record_text(v2);
  }
  return std::make_unique<TextTest>(cells, column, std::move(p));
}

// The test of one field-map position, or null when it must stay with the record test.
std::unique_ptr<Test> Compile(const TFilterPass& pass, const TFieldRecord& record, const TField& field,
                              TCountType count, TCompareType compare, bool case_insensitive) {
  const int column = pass.CellColumn(field);
  if (column < 0) return nullptr;
  const TRowStore::ColumnScan cells = pass.Store().Scan(column);
  const Variant& v1 = record.MainValues(0);
  const Variant& v2 = record.MainValues(1);
  try {
    if (cells.kind == TStorageKind::skText) {
      return CompileText(cells, column, field, record, count, compare, case_insensitive);
    }
    // Other kinds read the value (AsVariant) only when exact and case-sensitive; the
    // other rules format texts by the record's type.
    if (compare != ctExact || case_insensitive) return nullptr;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    switch (cells.kind) {
      case TStorageKind::skInt16:
        return CompileInterval<std::int16_t, NumericCells<std::int16_t>>(cells, column, count, v1, v2, Variant::Null());
      case TStorageKind::skUInt16:
        return CompileInterval<std::uint16_t, NumericCells<std::uint16_t>>(cells, column, count, v1, v2, Variant::Null());
      case TStorageKind::skInt32:
        return CompileInterval<std::int32_t, NumericCells<std::int32_t>>(cells, column, count, v1, v2, Variant::Null());
      case TStorageKind::skInt64:
        return CompileInterval<std::int64_t, Int64Cells>(cells, column, count, v1, v2, Variant::Null());
      case TStorageKind::skCurrency:
        return CompileInterval<std::int64_t, CurrencyCells>(cells, column, count, v1, v2, Variant::Null());
      case TStorageKind::skDouble:
        return CompileInterval<double, DoubleCells>(cells, column, count, v1, v2, Variant(nan));
      case TStorageKind::skDate:
        return CompileInterval<double, DateCells>(cells, column, count, v1, v2, Variant::FromDate(nan));
      case TStorageKind::skBoolean:
        return std::make_unique<BooleanTest>(cells, column, ExactAccepts(count, v1, v2, Variant(false)),
                                             ExactAccepts(count, v1, v2, Variant(true)),
                                             ExactAccepts(count, v1, v2, Variant::Null()));
      case TStorageKind::skText: break;
    }
  } catch (const Exception&) {
    // The host cannot compare these values with the cells (or convert them): the record
    // test raises the same error on the records it reaches, in its own order.
  }
  return nullptr;
}

// The rows of `rows` that pass every test, in order, one test at a time over the rows
// the previous ones kept.
std::vector<RowId> RunTests(const std::vector<std::unique_ptr<Test>>& tests, std::span<const RowId> rows) {
  std::vector<RowId> kept, next;
  kept.reserve(rows.size());
  tests.front()->Keep(rows, kept);
  for (std::size_t i = 1; i < tests.size(); ++i) {
    next.clear();
    tests[i]->Keep(kept, next);
    kept.swap(next);
  }
  return kept;
}

// RunTests over the two halves of `rows`, each kept in order, the later one on a second
// thread; both are joined before it returns (jthread), and an error of either is raised here.
std::vector<RowId> RunTestsOnTwoThreads(const std::vector<std::unique_ptr<Test>>& tests, std::span<const RowId> rows) {
  const std::size_t half = rows.size() / 2;
  std::vector<RowId> first, second;
  std::exception_ptr error;
  {
    std::jthread worker([&] {
      try {
        second = RunTests(tests, rows.subspan(half));
      } catch (...) {
        error = std::current_exception();
      }
    });
    first = RunTests(tests, rows.first(half));
  }
  if (error) std::rethrow_exception(error);
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

// Cheapest and most selective first: by cost per rejected row, measured on a sample of
// the candidates spread over all of them. The tests are pure, so the order changes only
// the time.
void OrderTests(std::vector<std::unique_ptr<Test>>& tests, std::span<const RowId> candidates) {
  if (tests.size() < 2 || candidates.empty()) return;
  constexpr std::size_t kSample = 1024;
  std::vector<RowId> sample;
  const std::size_t step = std::max<std::size_t>(1, candidates.size() / kSample);
  for (std::size_t i = 0; i < candidates.size() && sample.size() < kSample; i += step) sample.push_back(candidates[i]);
  std::vector<std::pair<double, std::size_t>> rank;
  std::vector<RowId> kept;
  for (std::size_t i = 0; i < tests.size(); ++i) {
    kept.clear();
    tests[i]->Keep(sample, kept);
    const double rejected = 1.0 - static_cast<double>(kept.size()) / static_cast<double>(sample.size());
    rank.emplace_back(tests[i]->Cost() / std::max(rejected, 1e-3), i);
  }
  std::stable_sort(rank.begin(), rank.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::unique_ptr<Test>> ordered;
  for (const auto& [cost, i] : rank) ordered.push_back(std::move(tests[i]));
  tests.swap(ordered);
}

}  // namespace

TCompiledFilter::TCompiledFilter(TDBCustomFilterPanel& panel) : panel_(&panel) {}

TCompiledFilter::~TCompiledFilter() = default;

void TCompiledFilter::Forget() {
  last_prefix_.clear();
  last_accepted_.clear();
  last_data_set_ = nullptr;
  last_stamp_ = {};
}

bool TCompiledFilter::RefinementApplies(const TFilterPass& pass, const TestList& prefix) const {
  if (last_data_set_ != &pass.DataSet() || last_stamp_.rows != pass.Stamp().rows || last_prefix_.empty()) return false;
  // Every earlier test must be implied by a test of this pass: then a row this pass
  // accepts passed every earlier test, so it is among the rows they accepted.
  return std::all_of(last_prefix_.begin(), last_prefix_.end(), [&](const auto& earlier) {
    return std::any_of(prefix.begin(), prefix.end(), [&](const auto& now) { return now->Implies(*earlier); });
  });
}

std::vector<RowId> TCompiledFilter::Candidates(const TFilterPass& pass) const {
  if (last_stamp_.order == pass.Stamp().order) return last_accepted_;
  // Same rows in another order: the earlier answer, in this order.
  std::vector<unsigned char> earlier(pass.Store().RowLimit(), 0);
  for (RowId r : last_accepted_) earlier[r] = 1;
  std::vector<RowId> rows;
  rows.reserve(last_accepted_.size());
  for (RowId r : pass.Order()) {
    if (earlier[r] != 0) rows.push_back(r);
  }
  return rows;
}

void TCompiledFilter::FilterRows(TFilterPass& pass) {
  report_ = {};
  TestList prefix;
  const GeneralPositions general = CompilePrefix(pass, prefix);
  std::optional<std::vector<RowId>> prefix_rows;
  if (!prefix.empty()) prefix_rows = RunPrefix(pass, std::move(prefix));
  if (panel_->OnFilterRecord) {
    AcceptThroughHandler(pass, general, prefix_rows ? &*prefix_rows : nullptr);
    return;
  }
  if (general.Empty()) {
    const std::span<const RowId> order = pass.Order();
    pass.Accepted() = prefix_rows ? std::move(*prefix_rows) : std::vector<RowId>(order.begin(), order.end());
    return;
  }
  AcceptChecked(pass, general, prefix_rows ? std::span<const RowId>(*prefix_rows) : pass.Order());
}

TCompiledFilter::GeneralPositions TCompiledFilter::CompilePrefix(const TFilterPass& pass, TestList& prefix) {
  TFieldsList* list = panel_->Fields();
  const int count = list != nullptr ? list->FieldMapCount() : 0;
  GeneralPositions general{count, count - 1};
  for (int pos = 0; pos < count; ++pos) {
    const TFieldRecord* record = list->FieldMapRecord(pos);
    const TField* field = record->Field();
    if (field == nullptr) continue;  // the record test skips it too
    const TCountType state = panel_->CountState(record);
    if (state != coOne && state != coTwo) continue;
    std::unique_ptr<filter_detail::Test> test =
        Compile(pass, *record, *field, state, panel_->CompareState(record), panel_->CaseInsensitiveField(record));
    if (!test) {
      general.from = pos;
      break;
    }
    prefix.push_back(std::move(test));
  }
  report_.compiled = prefix.size();
  report_.general = static_cast<std::size_t>(general.last + 1 - general.from);
  return general;
}

std::vector<RowId> TCompiledFilter::RunPrefix(const TFilterPass& pass, TestList prefix) {
  report_.refined = RefinementApplies(pass, prefix);
  const std::vector<RowId> refined_rows = report_.refined ? Candidates(pass) : std::vector<RowId>();
  const std::span<const RowId> candidates = report_.refined ? std::span<const RowId>(refined_rows) : pass.Order();
  report_.candidates = candidates.size();
  OrderTests(prefix, candidates);
  const bool parallel = candidates.size() >= kParallelRows && std::thread::hardware_concurrency() >= 2;
  report_.threads = parallel ? 2 : 1;
  std::vector<RowId> rows = parallel ? RunTestsOnTwoThreads(prefix, candidates) : RunTests(prefix, candidates);
  last_prefix_ = std::move(prefix);
  last_accepted_ = rows;
  last_data_set_ = &pass.DataSet();
  last_stamp_ = pass.Stamp();
  return rows;
}

void TCompiledFilter::AcceptChecked(TFilterPass& pass, GeneralPositions general, std::span<const RowId> rows) {
  std::vector<RowId>& accepted = pass.Accepted();
  for (RowId r : rows) {
    if (pass.Call(r, [&] { return panel_->CheckRecord(general.from, general.last); })) accepted.push_back(r);
  }
}

void TCompiledFilter::AcceptThroughHandler(TFilterPass& pass, GeneralPositions general,
                                           const std::vector<RowId>* prefix_rows) {
  // The application's handler sees every row, as the record test shows it every row; the
  // panel's own tests see only the rows it accepts.
  std::vector<unsigned char> prefix_pass;
  if (prefix_rows != nullptr) {
    prefix_pass.assign(pass.Store().RowLimit(), 0);
    for (RowId r : *prefix_rows) prefix_pass[r] = 1;
  }
  auto* data_set = const_cast<TDataSet*>(&pass.DataSet());
  std::vector<RowId>& accepted = pass.Accepted();
  for (RowId r : pass.Order()) {
    const bool accept = pass.Call(r, [&] {
      bool ok = true;
      panel_->OnFilterRecord(data_set, ok);
      if (!ok) return false;
      if (prefix_rows != nullptr && prefix_pass[r] == 0) return false;
      return panel_->CheckRecord(general.from, general.last);
    });
    if (accept) accepted.push_back(r);
  }
}

}  // namespace vantor
