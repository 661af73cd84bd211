#pragma once
// Input as the keyboard and the mouse deliver it: the character a key stroke makes, and
// the message sequences of a key stroke, typed text and a click, sent to a control the way
// the window system would send them. The scripted user plays its queued input through
// these; tests call them directly.

#include <cstdint>
#include <string_view>

#include <vantor/platform/ui/win_control.h>

namespace vantor {

// Delivers one key stroke to `control` as the keyboard would: CM_DIALOGKEY to the focus
// owner for dialog keys the control does not want, else WM_KEYDOWN, WM_CHAR for the
// character the key makes (letters, digits and a few others, shifted with ssShift), and
// WM_KEYUP. `shift` is the keyboard state for the duration.
void SendKey(TWinControl* control, std::uint16_t vk, TShiftState shift = {});
// Types each character of a UTF-8 text: WM_KEYDOWN, WM_CHAR with the code point, WM_KEYUP.
void TypeText(TWinControl* control, std::string_view text);
// A left click at a point of the control's client area: WM_LBUTTONDOWN then WM_LBUTTONUP.
void ClickAt(TControl* control, int x, int y, TShiftState shift = {});
// A double click there: the first click, then WM_LBUTTONDBLCLK and WM_LBUTTONUP, as the
// window system reports the second press.
void DoubleClickAt(TControl* control, int x, int y, TShiftState shift = {});
// The mouse moved to a point of the control's client area, no button held (WM_MOUSEMOVE).
void MoveMouseTo(TControl* control, int x, int y, TShiftState shift = {});
// The character a key makes, or 0 (Enter 13, Backspace 8, Tab 9, Escape 27, space,
// digits, letters in lower or upper case by ssShift).
char32_t KeyToChar(std::uint16_t vk, TShiftState shift);

}  // namespace vantor
