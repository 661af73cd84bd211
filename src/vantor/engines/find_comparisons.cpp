// The find panel's comparisons: how much of the index key the entered values can seek
// with, and where the current record lies along the index relative to those values.
// Unlike the record test, these read the edited values (GetValues), since the seek is
// built from them too.
//
// The results name where the record lies, in index order:
//   coExact     it matches (or lies inside the entered range);
//   coMore      it lies beyond the wanted records: nothing later can match;
//   coLess      it lies before them: seek forward;
//   coInternal  it lies inside the band of case variants without matching: seek to the
//               end of the band.
// A descending key field swaps coMore and coLess.

#include <string>
#include <string_view>

#include <vantor/engines/find_panel.h>
#include <vantor/platform/data/field.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/rtl/utf8.h>

namespace vantor {
namespace {

// Where a record text lies relative to an entered text, as CompareVariant says it for
// two texts: ordinal (byte) order, or the order of a case-insensitive index when `fold`
// (upper-cased code points, in which the texts that the record test accepts lie
// together), so that "before" and "beyond" follow the index.
TComparisonOptions CompareText(std::string_view value, std::string_view record_text, bool fold) {
  const int c = fold ? AnsiCompareUpper(value, record_text) : value.compare(record_text);
  if (c < 0) return coMore;
  if (c > 0) return coLess;
  return coExact;
}

}  // namespace

TComparisonOptions TDBCustomFindPanel::CompareVariant(const Variant& v1, const Variant& v2) {
  const int c = VarCompare(v1, v2);
  if (c < 0) return coMore;
  if (c > 0) return coLess;
  return coExact;
}

TComparisonOptions TDBCustomFindPanel::InverseComparison(TComparisonOptions comparison, bool invert) {
  if (!invert) return comparison;
  if (comparison == coMore) return coLess;
  if (comparison == coLess) return coMore;
  return comparison;
}

void TDBCustomFindPanel::IndexFieldCheck(int& index_field_no, int& key_no) const {
  index_field_no = -1;
  key_no = -1;
  const int n = std::min(data_set_index_->GetCount(), Fields()->FieldMapCount());
  for (int i = 0; i < n; ++i) {
    const TFieldRecord* record = MapRecord(i);
    const TIndexFieldDef* entry = data_set_index_->GetItem(i);
    // The map lists key fields first in key order: this stops at the first key field
    // without an entered value.
    if (entry->Field == nullptr || record->Field() == nullptr ||
        entry->Field->FieldNo() != record->Field()->FieldNo()) {
      break;
    }
    const TCompareType compare = CompareState(record);
    if (compare == ctInternal) break;  // a substring cannot use the index
    const bool text = CaseSensitiveDependent(record->GetDataType());
    if (compare == ctInitial && !text) break;
    if (text && record->GetCaseInsensitive() != entry->CaseInsensitive) {
      // Case-free criterion on a case-sensitive index: unusable. Case-sensitive single
      // value on a case-free index: sought as a band of case variants. A case-sensitive
      // range is not: byte order and the index's case-free order disagree on what lies
      // between two bounds ("_" is between "Z" and "a" in one and after "A" in the other),
      // so its records need not lie together along the index.
      if (!record->GetCaseInsensitive() && SingleValue(record)) key_no = i;
      break;
    }
    index_field_no = i;
    if (compare != ctExact) break;  // a prefix is the last usable field
    // A range is usable further only when it is one value.
    if (!SingleValue(record)) break;
  }
}

bool TDBCustomFindPanel::SingleValue(const TFieldRecord* record) const {
  return CountState(record) == coOne || VarCompare(record->GetValues(0), record->GetValues(1)) == 0;
}

TComparisonOptions TDBCustomFindPanel::CompareRecord(const TFieldRecord* record) const {
  switch (CountState(record)) {
    case coOne:
      break;
    case coTwo:
      return CompareRange(record);
    case coNone:
      return coExact;
  }
  const TField& field = *record->Field();
  const Variant value = record->GetValues(0);
  const bool fold = CaseInsensitiveField(record);
  switch (CompareState(record)) {
    case ctExact: {
      TComparisonOptions result =
          fold ? CompareText(record->VariantToText(value), field.AsString(), true)
               : CompareVariant(value, field.AsVariant());
      if (result != coExact && find_options_ == foIndexNearest &&
          CaseSensitiveDependent(record->GetDataType())) {
        // The nearest key only has to begin with the value.
        const std::string text = record->VariantToText(value);
        result = CompareText(text, Utf8HeadLike(field.AsString(), text), fold);
      }
      return result;
    }
    case ctInitial: {
      const std::string text = record->VariantToText(value);
      const std::string field_text = record->VariantToText(field.AsVariant());
      return CompareText(text, Utf8HeadLike(field_text, text), fold);
    }
    case ctInternal:
      // IndexFieldCheck never lets a substring criterion into the key part.
      throw Exception("Internal");
  }
  return coExact;
}

TComparisonOptions TDBCustomFindPanel::CompareRange(const TFieldRecord* record) const {
  const TField& field = *record->Field();
  const TCompareType compare = CompareState(record);
  const Variant low = record->GetValues(0);
  const Variant high = record->GetValues(1);
  if (compare == ctExact && !CaseInsensitiveField(record)) {
    const Variant value = field.AsVariant();
    if (CompareVariant(low, value) == coLess) return coLess;
    if (high.IsNull()) return coExact;
    return CompareVariant(high, value) == coMore ? coMore : coExact;
  }
  const bool fold = CaseInsensitiveField(record);
  const std::string low_text = record->VariantToText(low);
  const std::string high_text = record->VariantToText(high);
  const std::string field_text = record->VariantToText(field.AsVariant());
  if (CompareText(low_text, field_text, fold) == coLess) return coLess;
  if (high.IsNull()) return coExact;
  const std::string_view upper_end =
      compare == ctExact ? std::string_view(field_text) : Utf8HeadLike(field_text, high_text);
  return CompareText(high_text, upper_end, fold) == coMore ? coMore : coExact;
}

TComparisonOptions TDBCustomFindPanel::IndexComparision(int index_field_no, int key_no) const {
  TComparisonOptions result = coExact;
  int i = 0;
  for (; i <= index_field_no; ++i) {
    result = CompareRecord(MapRecord(i));
    if (result != coExact) break;
  }
  if (i == key_no) return CaseSensitiveCompare(key_no);
  if (i >= 0 && i <= index_field_no) {
    const TIndexFieldDef* entry = EntryOf(MapRecord(i));
    return InverseComparison(result, entry != nullptr && entry->Descending);
  }
  return coExact;
}

namespace {

// The text comparison of CaseSensitiveCompare, by the record's own case rule.
TComparisonOptions BandCompare(std::string_view value, std::string_view field_text, bool case_insensitive) {
  if (!case_insensitive) {
    // A case-sensitive criterion on a case-free index: follow the index's order.
    const int c = AnsiCompareUpper(value, field_text);
    if (c > 0) return coLess;
    if (c < 0) return coMore;
    return coExact;
  }
  const std::string upper = AnsiUpperCase(value);
  if (upper == AnsiUpperCase(field_text)) return coExact;
  if (std::string_view(upper) > field_text) return coLess;
  if (std::string_view(AnsiLowerCase(value)) > field_text) return coInternal;
  return coMore;
}

}  // namespace

TComparisonOptions TDBCustomFindPanel::CaseSensitiveCompare(int key_no) const {
  if (key_no == -1) return coExact;
  const TFieldRecord* record = MapRecord(key_no);
  const bool exact = CompareState(record) == ctExact;
  const bool case_insensitive = record->GetCaseInsensitive();
  const std::string field_text = record->VariantToText(record->Field()->AsVariant());
  const std::string first = record->VariantToText(record->GetValues(0));
  TComparisonOptions result =
      BandCompare(first, exact ? std::string_view(field_text) : Utf8HeadLike(field_text, first), case_insensitive);
  if (CountState(record) == coTwo && result != coLess) {
    const Variant high = record->GetValues(1);
    if (high.IsNull()) {
      result = coExact;
    } else {
      const std::string second = record->VariantToText(high);
      const TComparisonOptions upper_end = BandCompare(
          second, exact ? std::string_view(field_text) : Utf8HeadLike(field_text, second), case_insensitive);
      result = upper_end == coMore ? coMore : coExact;
    }
  }
  const TIndexFieldDef* entry = EntryOf(record);
  return InverseComparison(result, entry != nullptr && entry->Descending);
}

}  // namespace vantor
