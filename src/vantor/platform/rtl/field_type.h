#pragma once
// TFieldType: the data types a field (and a calculated criteria record) can have.
// The ordinals are the host's, because the form stream writes them as numbers and
// code elsewhere groups them by ordinal ranges.

#include <array>
#include <cstdint>
#include <string_view>

#include <vantor/platform/rtl/enum_names.h>

namespace vantor {

enum class TFieldType : std::uint8_t {
  ftUnknown,      // 0
  ftString,       // 1
  ftSmallint,     // 2
  ftInteger,      // 3
  ftWord,         // 4
  ftBoolean,      // 5
  ftFloat,        // 6
  ftCurrency,     // 7
  ftBCD,          // 8
  ftDate,         // 9
  ftTime,         // 10
  ftDateTime,     // 11
  ftBytes,        // 12
  ftVarBytes,     // 13
  ftAutoInc,      // 14
  ftBlob,         // 15
  ftMemo,         // 16
  ftGraphic,      // 17
  ftFmtMemo,      // 18
  ftParadoxOle,   // 19
  ftDBaseOle,     // 20
  ftTypedBinary,  // 21
  // Added after the types above so that their ordinals, which streams hold, stay as they are.
  ftLargeint,     // 22: 64-bit integer
};

inline constexpr int kFieldTypeCount = 23;

template <>
struct EnumNames<TFieldType> {
  static constexpr std::array<std::string_view, kFieldTypeCount> value{
      "ftUnknown",  "ftString",     "ftSmallint", "ftInteger",    "ftWord",      "ftBoolean",
      "ftFloat",    "ftCurrency",   "ftBCD",      "ftDate",       "ftTime",      "ftDateTime",
      "ftBytes",    "ftVarBytes",   "ftAutoInc",  "ftBlob",       "ftMemo",      "ftGraphic",
      "ftFmtMemo",  "ftParadoxOle", "ftDBaseOle", "ftTypedBinary", "ftLargeint",
  };
};

// The enumerator's name as the form stream writes it ("ftString"); "" for a value
// outside the enumeration.
std::string_view FieldTypeName(TFieldType type);
// The reverse of FieldTypeName; false (and `type` untouched) for an unknown name.
// Names are matched exactly, as the form stream writes them.
bool FieldTypeFromName(std::string_view name, TFieldType& type);

}  // namespace vantor
