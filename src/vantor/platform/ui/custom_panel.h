#pragma once
// TCustomPanel: a framed container. Its frame, from the outside in, is the outer bevel,
// a border of BorderWidth pixels in the panel's colour, and the inner bevel; with
// BorderStyle bsSingle the window also has a border of its own (a sunken edge in the
// 3-D look). Aligned children share what is inside the frame, and the caption is drawn
// centred vertically there.

#include <cstdint>

#include <vantor/platform/ui/custom_control.h>

namespace vantor {

enum class TBevelCut : std::uint8_t { bvNone, bvLowered, bvRaised, bvSpace };
using enum TBevelCut;
template <>
struct EnumNames<TBevelCut> {
  static constexpr std::array<std::string_view, 4> value{"bvNone", "bvLowered", "bvRaised",
                                                         "bvSpace"};
};

class TCustomPanel : public TCustomControl {
 public:
  explicit TCustomPanel(TComponent* owner);

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TBevelCut BevelInner() const { return bevel_inner_; }
  void SetBevelInner(TBevelCut value);
  TBevelCut BevelOuter() const { return bevel_outer_; }
  void SetBevelOuter(TBevelCut value);
  int BevelWidth() const { return bevel_width_; }
  // At least 1.
  void SetBevelWidth(int value);
  int BorderWidth() const { return border_width_; }
  // At least 0.
  void SetBorderWidth(int value);
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle value);
  bool Locked() const { return locked_; }
  void SetLocked(bool value) { locked_ = value; }
  bool FullRepaint() const { return full_repaint_; }
  void SetFullRepaint(bool value) { full_repaint_ = value; }

  // Width of the frame on each side inside the window's client area:
  // BorderWidth plus BevelWidth for each bevel that is not bvNone.
  int FrameSize() const;
  // Inside the frame: where aligned children go.
  void AdjustClientRect(TRect& rect) const override;
  void WndProc(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) const override;
  // Outer bevel, border, inner bevel, background, caption.
  void Paint() override;
  // The frame changed: realign the children and repaint.
  void FrameChanged();

 private:
  TAlignment alignment_ = taCenter;
  TBevelCut bevel_inner_ = bvNone;
  TBevelCut bevel_outer_ = bvRaised;
  int bevel_width_ = 1;
  int border_width_ = 0;
  TBorderStyle border_style_ = bsNone;
  bool locked_ = false;
  bool full_repaint_ = true;
};

// The published panel.
class TPanel : public TCustomPanel {
 public:
  using TCustomPanel::TCustomPanel;
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
};

}  // namespace vantor
