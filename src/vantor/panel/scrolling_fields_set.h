#pragma once
// TScrollingFieldsSet: the inner box of a criteria panel that holds every label and edit
// of the rows. It scrolls when the rows do not fit (the layout sets its ranges), lets
// the window system answer its hit tests, and hands mouse messages on to the owner
// panel in the panel's coordinates, so the panel's mouse events fire over empty space.

#include <vantor/platform/ui/scrolling_win_control.h>

namespace vantor {

class TScrollingFieldsSet : public TScrollingWinControl {
 public:
  // ControlStyle exactly [csAcceptsControls, csCaptureMouse, csClickEvents,
  // csDoubleClicks]; AutoScroll off.
  explicit TScrollingFieldsSet(TComponent* owner);

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

 protected:
  // Mouse messages (WM_MOUSEMOVE..WM_MBUTTONDBLCLK) go to an owner panel with X and Y
  // moved by the box's Left and Top; WM_NCHITTEST goes to DefaultHandler.
  void WndProc(TMessage& message) override;
};

}  // namespace vantor
