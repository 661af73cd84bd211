#pragma once
// Where the glyph buttons (TBitBtn, TSpeedButton) put the glyph against the caption.

#include <array>
#include <cstdint>
#include <string_view>

#include <vantor/platform/rtl/enum_names.h>

namespace vantor {

enum class TButtonLayout : std::uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
using enum TButtonLayout;
template <>
struct EnumNames<TButtonLayout> {
  static constexpr std::array<std::string_view, 4> value{"blGlyphLeft", "blGlyphRight",
                                                         "blGlyphTop", "blGlyphBottom"};
};

}  // namespace vantor
