#pragma once
// TScrollingWinControl: a container whose content can be larger than its client area.
// Each of its two TControlScrollBars has a Range (the extent of the content) and a
// Position (how far the content is scrolled); a bar is shown when it is Visible and its
// Range exceeds the client extent, and a shown bar takes its width (SM_CXVSCROLL) or
// height (SM_CYHSCROLL) from the client area. Scrolling moves the children, so their
// Left and Top stay in client coordinates. With AutoScroll the ranges follow the
// children's extent. TScrollBox is the published box with a border.

#include <cstdint>
#include <memory>

#include <vantor/platform/ui/win_control.h>

namespace vantor {

class TScrollingWinControl;

enum class TScrollBarKind : std::uint8_t { sbHorizontal, sbVertical };
using enum TScrollBarKind;
template <>
struct EnumNames<TScrollBarKind> {
  static constexpr std::array<std::string_view, 2> value{"sbHorizontal", "sbVertical"};
};

// One scroll bar of a TScrollingWinControl, horizontal or vertical: its Range, Position
// and visibility.
class TControlScrollBar : public TPersistent {
 public:
  TControlScrollBar(TScrollingWinControl* control, TScrollBarKind kind);

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  TScrollBarKind Kind() const { return kind_; }
  // Lines scrolled by one arrow click.
  int Increment() const { return increment_; }
  void SetIncrement(int value);
  // Extra space kept after the last child when the range is computed automatically.
  int Margin() const { return margin_; }
  void SetMargin(int value);
  int Range() const { return range_; }
  void SetRange(int value);
  // Scrolls to the position, kept between 0 and Range less the client extent.
  int Position() const { return position_; }
  void SetPosition(int value);
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  // Shown on the window: Visible and the range exceeds the client extent.
  bool IsScrollBarVisible() const;
  // The largest position: Range less the client extent, never negative.
  int ScrollRange() const;
  bool IsRangeStored() const;

  void Assign(const TPersistent* source) override;
  TPersistent* GetOwner() const override;

 private:
  friend class TScrollingWinControl;
  TScrollingWinControl* control_;
  TScrollBarKind kind_;
  int increment_ = 8;
  int margin_ = 0;
  int range_ = 0;
  int position_ = 0;
  bool visible_ = true;
  bool shown_ = false;
};

class TScrollingWinControl : public TWinControl {
 public:
  explicit TScrollingWinControl(TComponent* owner);
  ~TScrollingWinControl() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  TControlScrollBar* HorzScrollBar() const { return horz_.get(); }
  TControlScrollBar* VertScrollBar() const { return vert_.get(); }
  bool AutoScroll() const { return auto_scroll_; }
  void SetAutoScroll(bool value);
  // Moves every child by (dx, dy).
  void ScrollBy(int dx, int dy);
  // Scrolls so that the child is inside the client area.
  void ScrollInView(TControl* control);

  void AlignControls(TControl* control, TRect& rect) override;

 protected:
  TRect ClientAreaInWindow() const override;
  void BoundsSized() override;
  void ChildBoundsChanged(TControl* control) override;
  void WndProc(TMessage& message) override;
  // Recomputes which bars show, the automatic ranges, and keeps the positions in range.
  void UpdateScrollBars();

 private:
  friend class TControlScrollBar;
  void CalcAutoRange();
  // Which bars show and the positions kept in range; true when a bar appeared or went.
  bool RecalcBars();
  void ShownBars(bool& horz, bool& vert) const;

  std::unique_ptr<TControlScrollBar> horz_;
  std::unique_ptr<TControlScrollBar> vert_;
  bool auto_scroll_ = true;
  int updating_ = 0;
};

// The published scrolling box with a border.
class TScrollBox : public TScrollingWinControl {
 public:
  explicit TScrollBox(TComponent* owner);
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle value);

 protected:
  void CreateParams(TCreateParams& params) const override;

 private:
  TBorderStyle border_style_ = bsSingle;
};

}  // namespace vantor
