#include "platform/rtl/field_type.h"

#include <array>

namespace vantor {

namespace {

constexpr std::array<std::string_view, kFieldTypeCount> kNames = {
    "ftUnknown",  "ftString",   "ftSmallint", "ftInteger",    "ftWord",      "ftBoolean",
    "ftFloat",    "ftCurrency", "ftBCD",      "ftDate",       "ftTime",      "ftDateTime",
    "ftBytes",    "ftVarBytes", "ftAutoInc",  "ftBlob",       "ftMemo",      "ftGraphic",
    "ftFmtMemo",  "ftParadoxOle", "ftDBaseOle", "ftTypedBinary",
};

}  // namespace

std::string_view FieldTypeName(TFieldType type) {
  const auto i = static_cast<std::size_t>(type);
  return i < kNames.size() ? kNames[i] : std::string_view{};
}

bool FieldTypeFromName(std::string_view name, TFieldType& type) {
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    if (kNames[i] == name) {
      type = static_cast<TFieldType>(i);
      return true;
    }
  }
  return false;
}

}  // namespace vantor
