// The record test of the criteria panels, and the small queries through which it asks
// about a criteria record (the filter and find panels override some of them).
//
// CheckRecord compares the current record of the data set with the applied (main)
// values of a stretch of the field map. Two renderings of a value take part and the
// rule says which one each comparison uses:
//   generic text  VarToStr of the value ("" for Null);
//   record text   the record's own VariantToText, formatted by its data type.
// Ordinal comparisons are byte comparisons (code point order for UTF-8), a text that
// is a prefix of the other being the lesser; "upper" is AnsiUpperCase.

#include <string>
#include <string_view>

#include <vantor/panel/panel_fields_set.h>
#include <vantor/platform/data/field.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/utf8.h>
#include <vantor/platform/rtl/variant.h>

namespace vantor {
namespace {

// Ordinal order of two texts: byte by byte, unsigned (std::string_view compares through
// char_traits<char>, which orders as unsigned char).
int Ordinal(std::string_view a, std::string_view b) { return a.compare(b); }

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// The generic text of a value; a text value is used as it is, without a copy.
std::string_view GenericText(const Variant& value, std::string& buffer) {
  if (const std::string* text = value.Get<std::string>()) return *text;
  buffer = VarToStr(value);
  return buffer;
}

// upper(wanted) occurs at the start of upper(text). Case mapping here maps one character
// to one character, so only as many leading characters of the text as the wanted text
// has need upper-casing.
bool StartsWithUpper(std::string_view wanted, std::string_view text) {
  return AnsiUpperCase(wanted) == AnsiUpperCase(Utf8HeadLike(text, wanted));
}

// What the tests read of a field: its value and its text. A bound field reads them from
// the current record; a given value stands for a record holding it.
struct GivenValue {
  const Variant& value;
  std::string_view text;
  const Variant& AsVariant() const { return value; }
  std::string AsString() const { return std::string(text); }
};

// One value against the field (coOne).
template <typename Field>
bool MatchOne(const TFieldRecord& record, const Field& field, TCompareType compare,
              bool case_insensitive) {
  const Variant& value = record.MainValues(0);
  switch (compare) {
    case ctExact: {
      if (!case_insensitive) return VarCompare(value, field.AsVariant()) == 0;
      // Equal once upper-cased, the one case rule of every text test here and the
      // equality of a case-insensitive index. Folding to lower case would also equate
      // "İ" with "i", whose capitals differ, and a find along the index would miss them.
      std::string buffer;
      return AnsiCompareUpper(GenericText(value, buffer), field.AsString()) == 0;
    }
    case ctInitial:
      if (case_insensitive) {
        std::string buffer;
        return StartsWithUpper(GenericText(value, buffer), field.AsString());
      }
      [[fallthrough]];
    case ctInternal: {
      std::string wanted;
      std::string text;
      if (case_insensitive) {
        wanted = AnsiUpperCase(VarToStr(value));
        text = AnsiUpperCase(field.AsString());
      } else {
        wanted = record.VariantToText(value);
        text = record.VariantToText(field.AsVariant());
      }
      return compare == ctInitial ? text.starts_with(wanted) : Contains(text, wanted);
    }
  }
  return true;
}

// A range of two inclusive bounds against the field (coTwo). An absent lower bound
// never fails: its texts are empty and a Null variant sorts below every value. With
// ctInitial/ctInternal the upper bound is compared with as many leading characters of
// the field as it has itself, so "D" admits "Dan".
template <typename Field>
bool MatchRange(const TFieldRecord& record, const Field& field, TCompareType compare,
                bool case_insensitive) {
  const Variant& low = record.MainValues(0);
  const Variant& high = record.MainValues(1);

  if (compare == ctExact && !case_insensitive) {
    const Variant value = field.AsVariant();  // a copy: a field reads it anew
    if (VarCompare(low, value) > 0) return false;
    if (high.IsNull()) return true;
    return VarCompare(high, value) >= 0;
  }

  std::string text;
  std::string low_text;
  if (case_insensitive) {
    text = AnsiUpperCase(field.AsString());
    low_text = AnsiUpperCase(VarToStr(low));
  } else {
    // Only ctInitial/ctInternal reach here case-sensitively: record texts.
    text = record.VariantToText(field.AsVariant());
    low_text = record.VariantToText(low);
  }
  if (Ordinal(low_text, text) > 0) return false;
  if (high.IsNull()) return true;

  if (compare == ctExact) {  // case-insensitive exact: the whole text against the bound
    return Ordinal(AnsiUpperCase(VarToStr(high)), text) >= 0;
  }
  if (case_insensitive) {
    // L is the length in characters of the bound's own generic text; the field's first
    // L characters are taken before upper-casing. Counting bytes would be wrong: a
    // letter and its capital need not have as many bytes ("ı" has two, "I" one).
    const std::string high_generic = VarToStr(high);
    const std::string field_text = field.AsString();
    const std::string field_head = AnsiUpperCase(Utf8HeadLike(field_text, high_generic));
    return Ordinal(AnsiUpperCase(high_generic), field_head) >= 0;
  }
  const std::string high_text = record.VariantToText(high);
  return Ordinal(high_text, Utf8HeadLike(text, high_text)) >= 0;
}

// The test of one record against `field` by the record's states.
template <typename Field>
bool MatchRecord(const TPanelFieldsSet& panel, const TFieldRecord& record, const Field& field) {
  switch (panel.CountState(&record)) {
    case coOne: return MatchOne(record, field, panel.CompareState(&record), panel.CaseInsensitiveField(&record));
    case coTwo: return MatchRange(record, field, panel.CompareState(&record), panel.CaseInsensitiveField(&record));
    case coNone: break;
  }
  return true;
}

}  // namespace

bool TPanelFieldsSet::CheckValue(int index, const Variant& value, std::string_view text) const {
  return MatchRecord(*this, *Fields()->FieldMapRecord(index), GivenValue{value, text});
}

bool TPanelFieldsSet::CheckRecord(int start_index, int end_index) {
  if (end_index < start_index) return true;
  TFieldsList* list = Fields();
  for (int pos = start_index; pos <= end_index; ++pos) {
    const TFieldRecord* record = list->FieldMapRecord(pos);
    const TField* field = record->Field();
    if (field == nullptr) continue;  // an unbound record does not restrict
    if (!MatchRecord(*this, *record, *field)) return false;
  }
  return true;
}

TCountType TPanelFieldsSet::CountState(const TFieldRecord* record) const {
  return ValidateFieldRecord(record) ? record->GetCount() : coNone;
}

TCompareType TPanelFieldsSet::CompareState(const TFieldRecord* record) const {
  return record->GetCompare();
}

bool TPanelFieldsSet::CaseInsensitiveField(const TFieldRecord* record) const {
  return CaseSensitiveDependent(record->GetDataType()) && record->GetCaseInsensitive();
}

bool TPanelFieldsSet::CaseSensitiveDependent(TFieldType type) const { return IsTextFieldType(type); }

bool TPanelFieldsSet::ValidateFieldRecord(const TFieldRecord* record) const {
  (void)record;
  return true;
}

}  // namespace vantor
