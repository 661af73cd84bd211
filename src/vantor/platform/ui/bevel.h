#pragma once
// TBevel: a sunken or raised line or frame that separates parts of a form. It has no
// window of its own and takes no input.

#include <array>
#include <cstdint>

#include <vantor/platform/ui/control.h>

namespace vantor {

enum class TBevelShape : std::uint8_t { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine };
using enum TBevelShape;
template <>
struct EnumNames<TBevelShape> {
  static constexpr std::array<std::string_view, 6> value{"bsBox",        "bsFrame",    "bsTopLine",
                                                         "bsBottomLine", "bsLeftLine", "bsRightLine"};
};

enum class TBevelStyle : std::uint8_t { bsLowered, bsRaised };
using enum TBevelStyle;
template <>
struct EnumNames<TBevelStyle> {
  static constexpr std::array<std::string_view, 2> value{"bsLowered", "bsRaised"};
};

class TBevel : public TGraphicControl {
 public:
  explicit TBevel(TComponent* owner);
  ~TBevel() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  TBevelShape Shape() const { return shape_; }
  void SetShape(TBevelShape value);
  TBevelStyle Style() const { return style_; }
  void SetStyle(TBevelStyle value);

 protected:
  void Paint() override;

 private:
  TBevelShape shape_ = bsBox;
  TBevelStyle style_ = bsLowered;
};

}  // namespace vantor
