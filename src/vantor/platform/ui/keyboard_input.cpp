#include <vantor/platform/ui/keyboard_input.h>

#include <vantor/platform/rtl/utf8.h>
#include <vantor/platform/ui/messages.h>

namespace vantor {

namespace {

// The keyboard state for the duration of one delivered stroke or click.
class ShiftGuard {
 public:
  explicit ShiftGuard(TShiftState s) : saved_(KeyboardShiftState()) { SetKeyboardShiftState(s); }
  ShiftGuard(const ShiftGuard&) = delete;
  ShiftGuard& operator=(const ShiftGuard&) = delete;
  ~ShiftGuard() { SetKeyboardShiftState(saved_); }

 private:
  TShiftState saved_;
};

// The dialog manager's turn: a dialog key that the control does not claim goes to
// the focus owner; true when it took the key.
bool DialogKey(TWinControl* control, std::uint16_t vk, std::intptr_t key_data) {
  std::intptr_t mask = 0;
  switch (vk) {
    case VK_TAB: mask = DLGC_WANTTAB; break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: mask = DLGC_WANTARROWS; break;
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
    default: return false;
  }
  if (control->Perform(CM_WANTSPECIALKEY, vk) != 0) return false;
  if ((control->Perform(WM_GETDLGCODE) & mask) != 0) return false;
  return control->FocusOwner()->Perform(CM_DIALOGKEY, vk, key_data) != 0;
}

std::uint16_t KeyForChar(char32_t c, TShiftState& shift) {
  if (c >= 'a' && c <= 'z') return static_cast<std::uint16_t>(c - 'a' + 'A');
  if (c >= 'A' && c <= 'Z') {
    shift.Include(ssShift);
    return static_cast<std::uint16_t>(c);
  }
  if (c >= '0' && c <= '9') return static_cast<std::uint16_t>(c);
  switch (c) {
    case ' ': return VK_SPACE;
    case '\b': return VK_BACK;
    case '\t': return VK_TAB;
    case '\r':
    case '\n': return VK_RETURN;
    case 27: return VK_ESCAPE;
    case '-': return VK_OEM_MINUS;
    case '.': return VK_OEM_PERIOD;
    case ',': return VK_OEM_COMMA;
    case '/': return VK_OEM_2;
    case ';': return VK_OEM_1;
    case '=': return VK_OEM_PLUS;
    default: return VK_PACKET;
  }
}

// Sends a mouse message for a point of `control` to the window under the mouse: a
// control without a window is reached through its parent's window.
void SendMouse(TControl* control, std::uint32_t msg, std::intptr_t keys, int x, int y) {
  TControl* target = control;
  if (dynamic_cast<TWinControl*>(control) == nullptr && control->Parent() != nullptr) {
    target = control->Parent();
    x += control->Left();
    y += control->Top();
  }
  target->Perform(msg, keys, MakeLParam(x, y));
}

}  // namespace

char32_t KeyToChar(std::uint16_t vk, TShiftState shift) {
  const bool shifted = shift.Contains(ssShift);
  if (vk >= 'A' && vk <= 'Z') {
    if (shift.Contains(ssCtrl)) return static_cast<char32_t>(vk - 'A' + 1);
    return shifted ? static_cast<char32_t>(vk) : static_cast<char32_t>(vk - 'A' + 'a');
  }
  if (shift.Contains(ssCtrl) || shift.Contains(ssAlt)) return 0;
  if (vk >= '0' && vk <= '9') {
    static constexpr char32_t kShiftedDigits[] = U")!@#$%^&*(";
    return shifted ? kShiftedDigits[vk - '0'] : static_cast<char32_t>(vk);
  }
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) return static_cast<char32_t>('0' + vk - VK_NUMPAD0);
  switch (vk) {
    case VK_SPACE: return U' ';
    case VK_RETURN: return 13;
    case VK_BACK: return 8;
    case VK_TAB: return 9;
    case VK_ESCAPE: return 27;
    case VK_MULTIPLY: return U'*';
    case VK_ADD: return U'+';
    case VK_SUBTRACT: return U'-';
    case VK_DECIMAL: return U'.';
    case VK_DIVIDE: return U'/';
    case VK_OEM_1: return shifted ? U':' : U';';
    case VK_OEM_PLUS: return shifted ? U'+' : U'=';
    case VK_OEM_COMMA: return shifted ? U'<' : U',';
    case VK_OEM_MINUS: return shifted ? U'_' : U'-';
    case VK_OEM_PERIOD: return shifted ? U'>' : U'.';
    case VK_OEM_2: return shifted ? U'?' : U'/';
    default: return 0;
  }
}

void SendKey(TWinControl* control, std::uint16_t vk, TShiftState shift) {
  if (control == nullptr) return;
  ShiftGuard guard(shift);
  const std::intptr_t key_data = 1 | (shift.Contains(ssAlt) ? KF_ALTDOWN_BIT : 0);
  if (!DialogKey(control, vk, key_data)) {
    control->Perform(shift.Contains(ssAlt) ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, key_data);
    // The character is made from the key stroke itself, whatever KeyDown did with it.
    if (const char32_t ch = KeyToChar(vk, shift); ch != 0) {
      control->Perform(WM_CHAR, static_cast<std::intptr_t>(ch), key_data);
    }
  }
  control->Perform(shift.Contains(ssAlt) ? WM_SYSKEYUP : WM_KEYUP, vk,
                   key_data | static_cast<std::intptr_t>(0xC0000000u));
}

void TypeText(TWinControl* control, std::string_view text) {
  if (control == nullptr) return;
  for (char32_t c : DecodeUtf8(text)) {
    TShiftState shift;
    const std::uint16_t vk = KeyForChar(c, shift);
    if (c < 0x20) {
      SendKey(control, vk, shift);
      continue;
    }
    ShiftGuard guard(shift);
    control->Perform(WM_KEYDOWN, vk, 1);
    control->Perform(WM_CHAR, static_cast<std::intptr_t>(c), 1);
    control->Perform(WM_KEYUP, vk, 1 | static_cast<std::intptr_t>(0xC0000000u));
  }
}

void ClickAt(TControl* control, int x, int y, TShiftState shift) {
  if (control == nullptr) return;
  ShiftGuard guard(shift);
  const std::intptr_t keys = ShiftStateToKeys(shift);
  SendMouse(control, WM_LBUTTONDOWN, keys | MK_LBUTTON, x, y);
  SendMouse(control, WM_LBUTTONUP, keys, x, y);
}

void DoubleClickAt(TControl* control, int x, int y, TShiftState shift) {
  if (control == nullptr) return;
  ClickAt(control, x, y, shift);
  ShiftGuard guard(shift);
  const std::intptr_t keys = ShiftStateToKeys(shift);
  SendMouse(control, WM_LBUTTONDBLCLK, keys | MK_LBUTTON, x, y);
  SendMouse(control, WM_LBUTTONUP, keys, x, y);
}

void MoveMouseTo(TControl* control, int x, int y, TShiftState shift) {
  if (control == nullptr) return;
  ShiftGuard guard(shift);
  SendMouse(control, WM_MOUSEMOVE, ShiftStateToKeys(shift), x, y);
}

}  // namespace vantor
