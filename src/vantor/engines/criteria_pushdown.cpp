#include <vantor/engines/criteria_pushdown.h>

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <typeinfo>
#include <utility>
#include <vector>

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

namespace vantor {
namespace {

using Condition = TServerCondition;
using namespace value_keys;

// A text a server can be sent as it is: valid UTF-8 without NUL (which no SQL text holds).
bool Sendable(std::string_view text) { return IsValidUtf8(text) && text.find('\0') == std::string_view::npos; }

// The field reads its stored value as it is: one of the library's own field classes (a
// descendant may show its values otherwise), a data column, of the type the criteria
// record compares it as.
bool PlainField(const TField& field, const TFieldRecord& record) {
  if (field.FieldKind() != fkData || record.GetDataType() != field.DataType()) return false;
  const std::type_info& t = typeid(field);
  return t == typeid(TStringField) || t == typeid(TSmallintField) || t == typeid(TIntegerField) ||
         t == typeid(TWordField) || t == typeid(TAutoIncField) || t == typeid(TLargeintField) ||
         t == typeid(TBooleanField) || t == typeid(TFloatField) || t == typeid(TCurrencyField) ||
         t == typeid(TBCDField) || t == typeid(TDateField) || t == typeid(TDateTimeField);
}

// The analysis of one field-map position.
class Position {
 public:
  Position(const TDBCustomFilterPanel& panel, int index, const TFieldRecord& record, const TField& field)
      : panel_(panel), index_(index), record_(record), column_(field.FieldName()), type_(field.DataType()),
        count_(panel.CountState(&record)), compare_(panel.CompareState(&record)),
        case_insensitive_(panel.CaseInsensitiveField(&record)), v1_(record.MainValues(0)), v2_(record.MainValues(1)) {}

  // The term, or TRUE when nothing can be proven.
  Condition Term() const {
    try {
      Condition values = type_ == TFieldType::ftString ? TextTerm() : ValueTerm();
      if (values.IsTrue()) return values;
      return Condition::Or({std::move(values), EmptyTerm()});
    } catch (const Exception&) {
      // The host cannot compare these values (the record test raises on them too).
      return Condition::True();
    }
  }

 private:
  // The rows whose column is null, or an empty text, when the record test accepts them:
  // a null field reads as Null and as the empty text, and a server may also hold an empty
  // text that the field reads as such.
  Condition EmptyTerm() const {
    std::vector<Condition> terms;
    if (panel_.CheckValue(index_, Variant::Null(), {})) terms.push_back(Condition::IsNull(column_, type_));
    if (type_ == TFieldType::ftString && panel_.CheckValue(index_, Variant(std::string()), {})) {
      terms.push_back(Condition::Compare(column_, type_, opEqual, Variant(std::string())));
    }
    return Condition::Or(std::move(terms));
  }

  Condition Compare(TServerOp op, Variant value, bool upper = false) const {
    return Condition::Compare(column_, type_, op, std::move(value), upper);
  }

  // ---- texts ----

  Condition TextTerm() const {
    if (case_insensitive_) return count_ == coOne ? CaseFreeOne() : CaseFreeRange();
    return count_ == coOne ? CaseOne() : CaseRange();
  }

  // One value, letter case significant. ctExact compares the variants: only a text (or no
  // value) compares with the field's texts byte for byte; the others compare record texts
  // (trailing blanks cut), and a field's text begins with or contains what its cut text does.
  Condition CaseOne() const {
    if (compare_ == ctExact) {
      if (v1_.IsClear()) return Condition::False();  // only a null field equals no value
      const std::string* text = v1_.Get<std::string>();
      if (text == nullptr || !Sendable(*text)) return Condition::True();
      return Compare(opEqual, Variant(*text));
    }
    const std::string wanted = record_.VariantToText(v1_);
    if (wanted.empty() || !Sendable(wanted)) return Condition::True();
    const std::string pattern = EscapeLike(wanted);
    return Condition::Like(column_, compare_ == ctInitial ? pattern + "%" : "%" + pattern + "%");
  }

  Condition CaseRange() const {
    std::vector<Condition> terms;
    if (compare_ == ctExact) {
      // Variants: a text bound compares byte for byte, no lower bound admits everything,
      // an Empty upper bound sorts below every value (a Null one is no bound).
      for (const Variant* v : {&v1_, &v2_}) {
        if (!v->IsClear() && v->Get<std::string>() == nullptr) return Condition::True();
      }
      if (const std::string* low = v1_.Get<std::string>(); low != nullptr && Sendable(*low)) {
        terms.push_back(Compare(opGreaterEqual, Variant(*low)));
      }
      if (v2_.IsEmpty()) return Condition::False();
      if (const std::string* high = v2_.Get<std::string>(); high != nullptr && Sendable(*high)) {
        terms.push_back(Compare(opLessEqual, Variant(*high)));
      }
      return Condition::And(std::move(terms));
    }
    // Record texts: the lower bound against the field's cut text T, which is a head of the
    // field's text S, so low <= T implies low <= S.
    const std::string low = record_.VariantToText(v1_);
    if (!low.empty() && Sendable(low)) terms.push_back(Compare(opGreaterEqual, Variant(low)));
    if (!v2_.IsNull()) {
      // The upper bound admits T when T's head of the bound's length is not above it, that
      // is when T < successor(bound). S is T plus trailing bytes up to 32 (blanks and
      // control characters); those could sort above the successor's character at that
      // place, so the bound is first cut before its own first such byte: its successor
      // then has none, and S sorts below it whenever T does.
      const std::string high = record_.VariantToText(v2_);
      std::size_t cut = 0;
      while (cut < high.size() && static_cast<unsigned char>(high[cut]) > 32) ++cut;
      std::string next;
      const std::string_view head = std::string_view(high).substr(0, cut);
      if (Sendable(head) && Utf8Successor(head, next)) terms.push_back(Compare(opLess, Variant(next)));
    }
    return Condition::And(std::move(terms));
  }

  // The pattern that admits every text whose capitals are those of `text` (one character
  // for one): a character with case variants becomes `_`, any other stands for itself.
  static std::string CaseFreePattern(std::string_view text) {
    std::string pattern;
    for (char32_t ch : DecodeUtf8(text)) {
      pattern += SharesCapital(ch) ? std::string("_") : EscapeLike(EncodeUtf8(ch));
    }
    return pattern;
  }

  // One value, letter case ignored: capitals compared (AnsiUpperCase), untrimmed texts.
  Condition CaseFreeOne() const {
    const std::string value = VarToStr(v1_);
    if (!Sendable(value)) return Condition::True();
    const std::string upper = AnsiUpperCase(value);
    if (compare_ == ctExact) {
      return Condition::CaseMapped(Compare(opEqual, Variant(upper), true),
                                   Condition::Like(column_, CaseFreePattern(value)));
    }
    if (value.empty()) return Condition::True();
    auto wrap = [this](const std::string& p) { return compare_ == ctInitial ? p + "%" : "%" + p + "%"; };
    return Condition::CaseMapped(Condition::Like(column_, wrap(EscapeLike(upper)), true),
                                 Condition::Like(column_, wrap(CaseFreePattern(value))));
  }

  // A range, letter case ignored: only on capitals, so only where the server's are known.
  Condition CaseFreeRange() const {
    std::vector<Condition> terms;
    const std::string low = VarToStr(v1_);
    if (!low.empty() && Sendable(low)) terms.push_back(Compare(opGreaterEqual, Variant(AnsiUpperCase(low)), true));
    if (!v2_.IsNull()) {
      const std::string high = VarToStr(v2_);
      if (Sendable(high)) {
        const std::string upper = AnsiUpperCase(high);
        if (compare_ == ctExact) {
          terms.push_back(Compare(opLessEqual, Variant(upper), true));
        } else if (std::string next; Utf8Successor(upper, next)) {
          // The capitals' head of the bound's length is not above the bound's capitals.
          terms.push_back(Compare(opLess, Variant(next), true));
        }
      }
    }
    return Condition::CaseMapped(Condition::And(std::move(terms)), Condition::True());
  }

  // ---- numbers, dates, Booleans ----

  // Only ctExact compares the values (AsVariant); begins-with and contains compare texts
  // formatted by the record's type, and case-insensitivity means nothing here.
  Condition ValueTerm() const {
    if (compare_ != ctExact) return Condition::True();
    switch (type_) {
      case TFieldType::ftSmallint: return Interval<NumericCells<std::int16_t>>(0);
      case TFieldType::ftInteger:
      case TFieldType::ftWord:
      case TFieldType::ftAutoInc: return Interval<NumericCells<std::int32_t>>(0);
      case TFieldType::ftLargeint: return Interval<Int64Cells>(0);
      case TFieldType::ftFloat: return FloatInterval();
      case TFieldType::ftCurrency:
      case TFieldType::ftBCD: return Interval<CurrencyCells>(1);
      case TFieldType::ftDate:
      case TFieldType::ftDateTime: return Interval<DateCells>(0);
      case TFieldType::ftBoolean: return BooleanTerm();
      default: return Condition::True();
    }
  }

  // The values of the field's kind that the record test admits, as keys; false when none.
  template <typename Cells>
  bool KeyInterval(std::int64_t& first, std::int64_t& last) const {
    first = FirstNotBelow<Cells>(v1_);
    if (VarCompare(v1_, Cells::Probe(first)) > 0) return false;
    last = Cells::kMax;
    if (count_ == coOne || !v2_.IsNull()) {
      if (!LastNotAbove<Cells>(count_ == coOne ? v1_ : v2_, last)) return false;
    }
    return first <= last;
  }

  // The key interval as bounds on the column, each widened by `slack` keys (a rounding
  // field's unit); an end at the kind's limit is no bound.
  template <typename Cells>
  Condition Interval(std::int64_t slack) const {
    assert(slack == 0 || slack == 1);  // no rounding field is off by more than one unit
    std::int64_t first = 0, last = 0;
    if (!KeyInterval<Cells>(first, last)) return Condition::False();
    if (first == last && slack == 0) return Compare(opEqual, Cells::Probe(first));
    std::vector<Condition> terms;
    // slack is 0 or 1, so the limits plus or minus it do not overflow.
    if (first > Cells::kMin) {
      terms.push_back(Compare(opGreaterEqual, Cells::Probe(first >= Cells::kMin + slack ? first - slack : Cells::kMin)));
    }
    if (last < Cells::kMax) {
      terms.push_back(Compare(opLessEqual, Cells::Probe(last <= Cells::kMax - slack ? last + slack : Cells::kMax)));
    }
    // No bound on either side: every value passes, and the AND of nothing is TRUE.
    return Condition::And(std::move(terms));
  }

  // Doubles: the interval, and NaN (outside every interval) when the test admits it.
  Condition FloatInterval() const {
    Condition values = Interval<DoubleCells>(0);
    return Condition::Or({std::move(values), NaNTerm()});
  }

  Condition NaNTerm() const {
    const Variant nan(std::numeric_limits<double>::quiet_NaN());
    return panel_.CheckValue(index_, nan, {}) ? Compare(opEqual, nan) : Condition::False();
  }

  Condition BooleanTerm() const {
    std::vector<Condition> terms;
    for (bool b : {false, true}) {
      if (panel_.CheckValue(index_, Variant(b), {})) terms.push_back(Compare(opEqual, Variant(b)));
    }
    return Condition::Or(std::move(terms));
  }

  const TDBCustomFilterPanel& panel_;
  int index_;
  const TFieldRecord& record_;
  std::string column_;
  TFieldType type_;
  TCountType count_;
  TCompareType compare_;
  bool case_insensitive_;
  const Variant& v1_;
  const Variant& v2_;
};

}  // namespace

TServerCondition CriteriaServerCondition(const TDBCustomFilterPanel& panel) {
  if (panel.OnFilterRecord) return Condition::True();
  const TFieldsList* list = panel.Fields();
  if (list == nullptr) return Condition::True();
  std::vector<Condition> terms;
  for (int pos = 0; pos < list->FieldMapCount(); ++pos) {
    const TFieldRecord* record = list->FieldMapRecord(pos);
    const TField* field = record->Field();
    if (field == nullptr || !PlainField(*field, *record)) continue;
    const TCountType count = panel.CountState(record);
    if (count != coOne && count != coTwo) continue;
    terms.push_back(Position(panel, pos, *record, *field).Term());
  }
  return Condition::And(std::move(terms));
}

}  // namespace vantor
