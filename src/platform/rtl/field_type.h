#pragma once
// The host's field types, with the host's ordinals: code that stores or compares
// them by number (the form stream, type categories) relies on these values.

#include <array>
#include <cstdint>
#include <string_view>

namespace vantor {

enum class TFieldType : std::uint8_t {
  ftUnknown,
  ftString,
  ftSmallint,
  ftInteger,
  ftWord,
  ftBoolean,
  ftFloat,
  ftCurrency,
  ftBCD,
  ftDate,
  ftTime,
  ftDateTime,
  ftBytes,
  ftVarBytes,
  ftAutoInc,
  ftBlob,
  ftMemo,
  ftGraphic,
  ftFmtMemo,
  ftParadoxOle,
  ftDBaseOle,
  ftTypedBinary,
};
using enum TFieldType;

inline constexpr std::array<std::string_view, 22> kFieldTypeNames{
    "ftUnknown", "ftString",   "ftSmallint", "ftInteger", "ftWord",        "ftBoolean",
    "ftFloat",   "ftCurrency", "ftBCD",      "ftDate",    "ftTime",        "ftDateTime",
    "ftBytes",   "ftVarBytes", "ftAutoInc",  "ftBlob",    "ftMemo",        "ftGraphic",
    "ftFmtMemo", "ftParadoxOle", "ftDBaseOle", "ftTypedBinary"};

inline constexpr std::string_view FieldTypeName(TFieldType t) {
  return kFieldTypeNames[static_cast<std::size_t>(t)];
}

}  // namespace vantor
