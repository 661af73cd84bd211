#pragma once
// TAlignment: horizontal alignment of text, shared by fields (how a value is shown)
// and controls (how an edit or label aligns its text).

#include <array>
#include <cstdint>
#include <string_view>

#include <vantor/platform/rtl/enum_names.h>

namespace vantor {

enum class TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };
using enum TAlignment;

template <>
struct EnumNames<TAlignment> {
  static constexpr std::array<std::string_view, 3> value{"taLeftJustify", "taRightJustify",
                                                          "taCenter"};
};

}  // namespace vantor
