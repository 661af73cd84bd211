#pragma once
// The small types of the criteria model that the field records, the fields list, the
// panels, the engines and the dialogs share: matching options, record kinds, the
// assigned-value flags, the pending-work flags of a fields list, when a panel applies
// its values, how it arranges its rows, and the search and dialog options.
// Ordinals are fixed: the form stream writes these enumerations by name and the
// option sets index arrays by them.

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

#include <vantor/platform/rtl/enum_names.h>
#include <vantor/platform/rtl/field_type.h>
#include <vantor/platform/rtl/set.h>

namespace vantor {

// How many values a criterion takes: none (a row that never filters), one, or an
// inclusive range of two (either bound may be left empty).
enum class TCountType : std::uint8_t { coNone, coOne, coTwo };
using enum TCountType;

// How an entered value is matched: equal, the field's text begins with it, or the
// field's text contains it. ctInternal and coTwo exclude each other.
enum class TCompareType : std::uint8_t { ctExact, ctInitial, ctInternal };
using enum TCompareType;

// A data record is about the data-set field it names; a calculated record is a free
// criterion with a data type of its own.
enum class TRecordKind : std::uint8_t { rkData, rkCalculated };
using enum TRecordKind;

// Style of the button of a record's edits.
enum class TRecordButtonStyle : std::uint8_t { rbsAuto, rbsEllipsis };
using enum TRecordButtonStyle;

// The record properties that follow the assigned-value pattern: each holds an explicit
// value only once it has been assigned; otherwise it reads its default.
enum class TFieldRecordValue : std::uint8_t {
  frvDisplayLabel,
  frvDisplayWidth,
  frvEditMask,
  frvVisible,
  frvCommentWidth,
  frvCompare,
  frvCount,
  frvCaseInsensitive,
  frvAlignment,
};
using enum TFieldRecordValue;
using TFieldRecordValues = Set<TFieldRecordValue>;

// Pending work collected by a fields list and drained by its Update:
//   fsPaintNeeded   the rows must be laid out again;
//   fsUpdateNeeded  the field map must be rebuilt and the criteria applied again;
//   fsValueChanged  an entered value changed and waits for the panel's update state;
//   fsValueUpdate   an entered value changed and is applied at the next rebuild.
enum class TFieldsStateItem : std::uint8_t {
  fsPaintNeeded,
  fsUpdateNeeded,
  fsValueChanged,
  fsValueUpdate,
};
using enum TFieldsStateItem;
using TFieldsState = Set<TFieldsStateItem>;

// When a panel applies typed values to its data set.
enum class TUpdateState : std::uint8_t {
  usNone,            // only when the application calls ValuesChanged
  usAuto,            // at every change of a value
  usEditExitChange,  // when a field edit is left and a change is pending
  usExitChange,      // when the panel is left and a change is pending
  usEditExit,        // whenever a field edit is left
  usExit,            // whenever the panel is left
};
using enum TUpdateState;

// How a row arranges its label and edits.
enum class TPosState : std::uint8_t { psOneLineFmt, psOneLine, psTwoLineFmt, psTwoLine };
using enum TPosState;

// The find panel's search strategy; the first two are the index modes.
enum class TFindOptions : std::uint8_t { foIndexExact, foIndexNearest, foFast, foNormal };
using enum TFindOptions;

// Result of the find panel's key comparisons: equal, the record is beyond the key,
// before it, or it matches inside.
enum class TComparisonOptions : std::uint8_t { coExact, coMore, coLess, coInternal };
using enum TComparisonOptions;

// Buttons a fields-set dialog offers.
enum class TStateOption : std::uint8_t { soClear, soSetup, soHelp, soNext };
using enum TStateOption;
using TStateOptions = Set<TStateOption>;

// How a fields-set dialog form was closed.
enum class TCloseState : std::uint8_t { csOk, csCancel, csNone };
using enum TCloseState;

// The shape of the record test: field-map positions StartIndex..EndIndex (inclusive).
using TCheckRecordObject = std::function<bool(int start_index, int end_index)>;

// ---- type categories ----

// The option sets keep one entry per category; a field type outside every category
// (blobs, bytes, unknown) gets no per-type option.
enum class TTypeCategory : std::uint8_t { tcBoolean, tcDateTime, tcFloat, tcInteger, tcMemo, tcString };
using enum TTypeCategory;
inline constexpr int kTypeCategoryCount = 6;

// The category index (0..5) of a field type, or -1 when the type belongs to none.
constexpr int FieldTypeCategory(TFieldType type) {
  switch (type) {
    case TFieldType::ftBoolean:
      return 0;
    case TFieldType::ftDate:
    case TFieldType::ftTime:
    case TFieldType::ftDateTime:
      return 1;
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD:
      return 2;
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftWord:
    case TFieldType::ftAutoInc:
    case TFieldType::ftLargeint:
      return 3;
    case TFieldType::ftMemo:
    case TFieldType::ftFmtMemo:
      return 4;
    case TFieldType::ftString:
      return 5;
    default:
      return -1;
  }
}

// Text types: the only ones for which case sensitivity means anything.
constexpr bool IsTextFieldType(TFieldType type) {
  return type == TFieldType::ftString || type == TFieldType::ftMemo ||
         type == TFieldType::ftFmtMemo;
}

// ---- names for the form stream ----

template <>
struct EnumNames<TCountType> {
  static constexpr std::array<std::string_view, 3> value{"coNone", "coOne", "coTwo"};
};
template <>
struct EnumNames<TCompareType> {
  static constexpr std::array<std::string_view, 3> value{"ctExact", "ctInitial", "ctInternal"};
};
template <>
struct EnumNames<TRecordKind> {
  static constexpr std::array<std::string_view, 2> value{"rkData", "rkCalculated"};
};
template <>
struct EnumNames<TRecordButtonStyle> {
  static constexpr std::array<std::string_view, 2> value{"rbsAuto", "rbsEllipsis"};
};
template <>
struct EnumNames<TFieldRecordValue> {
  static constexpr std::array<std::string_view, 9> value{
      "frvDisplayLabel", "frvDisplayWidth", "frvEditMask",        "frvVisible",  "frvCommentWidth",
      "frvCompare",      "frvCount",        "frvCaseInsensitive", "frvAlignment"};
};
template <>
struct EnumNames<TFieldsStateItem> {
  static constexpr std::array<std::string_view, 4> value{"fsPaintNeeded", "fsUpdateNeeded",
                                                          "fsValueChanged", "fsValueUpdate"};
};
template <>
struct EnumNames<TUpdateState> {
  static constexpr std::array<std::string_view, 6> value{
      "usNone", "usAuto", "usEditExitChange", "usExitChange", "usEditExit", "usExit"};
};
template <>
struct EnumNames<TPosState> {
  static constexpr std::array<std::string_view, 4> value{"psOneLineFmt", "psOneLine",
                                                          "psTwoLineFmt", "psTwoLine"};
};
template <>
struct EnumNames<TFindOptions> {
  static constexpr std::array<std::string_view, 4> value{"foIndexExact", "foIndexNearest",
                                                          "foFast", "foNormal"};
};
template <>
struct EnumNames<TComparisonOptions> {
  static constexpr std::array<std::string_view, 4> value{"coExact", "coMore", "coLess",
                                                          "coInternal"};
};
template <>
struct EnumNames<TStateOption> {
  static constexpr std::array<std::string_view, 4> value{"soClear", "soSetup", "soHelp", "soNext"};
};
template <>
struct EnumNames<TCloseState> {
  static constexpr std::array<std::string_view, 3> value{"csOk", "csCancel", "csNone"};
};

}  // namespace vantor
