#include <vantor/panel/scrolling_fields_set.h>

#include <cstdint>

#include <vantor/panel/panel_fields_set.h>
#include <vantor/platform/ui/messages.h>

namespace vantor {

namespace {

// A 16-bit coordinate of a mouse message moved by `delta`, kept to 16 bits as the
// message carries it.
std::intptr_t Shift16(std::intptr_t word, int delta) {
  const auto value = static_cast<std::int16_t>(static_cast<std::uint16_t>(word & 0xFFFF));
  return static_cast<std::uint16_t>(static_cast<std::int16_t>(value + delta));
}

}  // namespace

const TypeInfo& TScrollingFieldsSet::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TScrollingFieldsSet>("TScrollingFieldsSet", &TScrollingWinControl::StaticType())
          .Build();
  return info;
}

TScrollingFieldsSet::TScrollingFieldsSet(TComponent* owner) : TScrollingWinControl(owner) {
  SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks});
  SetAutoScroll(false);
}

void TScrollingFieldsSet::WndProc(TMessage& message) {
  if (message.Msg == WM_NCHITTEST) {
    // The window system's own answer, not the control's hit test.
    DefaultHandler(message);
    return;
  }
  if (message.Msg >= WM_MOUSEMOVE && message.Msg <= WM_MBUTTONDBLCLK) {
    if (auto* panel = dynamic_cast<TPanelFieldsSet*>(Owner())) {
      const std::intptr_t x = Shift16(message.LParam, Left());
      const std::intptr_t y = Shift16(message.LParam >> 16, Top());
      panel->Perform(message.Msg, message.WParam, x | (y << 16));
      return;
    }
  }
  TScrollingWinControl::WndProc(message);
}

}  // namespace vantor
