#include <vantor/platform/rtl/field_type.h>

namespace vantor {

namespace {

constexpr const auto& kNames = EnumNames<TFieldType>::value;

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
