#include <vantor/platform/x11/x11_host.h>


#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <map>
#include <optional>
#include <vector>

#include <vantor/platform/rtl/utf8.h>
#include <vantor/platform/ui/application.h>
#include <vantor/platform/ui/form.h>
#include <vantor/platform/ui/keyboard_input.h>
#include <vantor/platform/ui/messages.h>
#include <vantor/platform/raster/render.h>
#include <vantor/platform/ui/screen.h>
#include <vantor/platform/x11/internal/x11_clipboard.h>
#include <vantor/platform/x11/x11_error_trap.h>

// Xlib last: its macros (KeyPress, None, Status ...) would otherwise rewrite our headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/keysym.h>

namespace vantor {

namespace {

// The virtual key of an X key symbol; 0 for keys that have none (their text, if any, is
// still delivered as characters).
std::uint16_t VirtualKey(KeySym sym) {
  if (sym >= XK_a && sym <= XK_z) return static_cast<std::uint16_t>('A' + (sym - XK_a));
  if (sym >= XK_A && sym <= XK_Z) return static_cast<std::uint16_t>('A' + (sym - XK_A));
  if (sym >= XK_0 && sym <= XK_9) return static_cast<std::uint16_t>('0' + (sym - XK_0));
  if (sym >= XK_KP_0 && sym <= XK_KP_9) return static_cast<std::uint16_t>(VK_NUMPAD0 + (sym - XK_KP_0));
  if (sym >= XK_F1 && sym <= XK_F12) return static_cast<std::uint16_t>(VK_F1 + (sym - XK_F1));
  switch (sym) {
    case XK_Return: case XK_KP_Enter: return VK_RETURN;
    case XK_BackSpace: return VK_BACK;
    case XK_Tab: case XK_ISO_Left_Tab: return VK_TAB;
    case XK_Escape: return VK_ESCAPE;
    case XK_space: return VK_SPACE;
    case XK_Left: case XK_KP_Left: return VK_LEFT;
    case XK_Right: case XK_KP_Right: return VK_RIGHT;
    case XK_Up: case XK_KP_Up: return VK_UP;
    case XK_Down: case XK_KP_Down: return VK_DOWN;
    case XK_Home: case XK_KP_Home: return VK_HOME;
    case XK_End: case XK_KP_End: return VK_END;
    case XK_Prior: case XK_KP_Prior: return VK_PRIOR;
    case XK_Next: case XK_KP_Next: return VK_NEXT;
    case XK_Insert: case XK_KP_Insert: return VK_INSERT;
    case XK_Delete: case XK_KP_Delete: return VK_DELETE;
    case XK_Shift_L: case XK_Shift_R: return VK_SHIFT;
    case XK_Control_L: case XK_Control_R: return VK_CONTROL;
    case XK_Alt_L: case XK_Alt_R: return VK_MENU;
    case XK_KP_Multiply: return VK_MULTIPLY;
    case XK_KP_Add: return VK_ADD;
    case XK_KP_Subtract: return VK_SUBTRACT;
    case XK_KP_Decimal: return VK_DECIMAL;
    case XK_KP_Divide: return VK_DIVIDE;
    case XK_semicolon: case XK_colon: return VK_OEM_1;
    case XK_equal: case XK_plus: return VK_OEM_PLUS;
    case XK_comma: case XK_less: return VK_OEM_COMMA;
    case XK_minus: case XK_underscore: return VK_OEM_MINUS;
    case XK_period: case XK_greater: return VK_OEM_PERIOD;
    case XK_slash: case XK_question: return VK_OEM_2;
    default: return 0;
  }
}

TShiftState ShiftOf(unsigned int state) {
  TShiftState s;
  if (state & ShiftMask) s.Include(ssShift);
  if (state & ControlMask) s.Include(ssCtrl);
  if (state & Mod1Mask) s.Include(ssAlt);
  if (state & Button1Mask) s.Include(ssLeft);
  if (state & Button2Mask) s.Include(ssMiddle);
  if (state & Button3Mask) s.Include(ssRight);
  return s;
}

std::intptr_t MouseKeys(TShiftState s) {
  std::intptr_t keys = 0;
  if (s.Contains(ssShift)) keys |= MK_SHIFT;
  if (s.Contains(ssCtrl)) keys |= MK_CONTROL;
  if (s.Contains(ssLeft)) keys |= MK_LBUTTON;
  if (s.Contains(ssRight)) keys |= MK_RBUTTON;
  if (s.Contains(ssMiddle)) keys |= MK_MBUTTON;
  return keys;
}

// The text a key press gives through the input method. A text longer than the first buffer
// (a long composed sequence, a phrase an input method commits) is read again with the size
// the input method asks for. `status` tells what came: characters, a key symbol, both.
std::string LookupText(XIC ic, XKeyEvent& e, KeySym& sym, Status& status) {
  std::string text(64, '\0');
  int length = Xutf8LookupString(ic, &e, text.data(), static_cast<int>(text.size()), &sym, &status);
  if (status == XBufferOverflow && length > 0) {
    text.resize(static_cast<std::size_t>(length));
    length = Xutf8LookupString(ic, &e, text.data(), length, &sym, &status);
  }
  const bool chars = status == XLookupChars || status == XLookupBoth;
  text.resize(chars ? static_cast<std::size_t>(std::max(length, 0)) : 0);
  return text;
}

// The place of a mouse button in the tables of messages: left, middle, right. Other clients
// may send any number (0 included); a button without messages has none.
std::optional<std::size_t> ButtonIndex(unsigned int button) {
  if (button < 1 || button > 3) return std::nullopt;
  return button - 1;
}

unsigned int XCursorShape(TCursor cursor) {
  switch (cursor) {
    case crHourGlass: case crSQLWait: return XC_watch;
    case crAppStart: return XC_watch;
    case crIBeam: return XC_xterm;
    case crCross: return XC_crosshair;
    case crSizeNS: case crVSplit: return XC_sb_v_double_arrow;
    case crSizeWE: case crHSplit: return XC_sb_h_double_arrow;
    case crSizeNESW: case crSizeNWSE: return XC_sizing;
    case crUpArrow: return XC_center_ptr;
    case crHandPoint: return XC_hand2;
    case crHelp: return XC_question_arrow;
    case crNo: case crNoDrop: return XC_X_cursor;
    default: return XC_left_ptr;
  }
}

}  // namespace

struct TX11Host::State {
  struct Window {
    ::Window id = 0;
    XIC ic = nullptr;
    bool dirty = true;
  };

  Display* display = nullptr;
  XIM im = nullptr;
  Atom wm_protocols = 0;
  Atom wm_delete = 0;
  Atom utf8_string = 0;
  Atom net_wm_name = 0;
  std::map<TForm*, Window> windows;
  std::map<unsigned int, Cursor> cursors;
  std::unique_ptr<TX11Clipboard> clipboard;
  // The server time of the user's last input: a copy takes the selection at that time, as
  // the conventions ask; synthetic events (any client may send any time) do not count.
  Time input_time = CurrentTime;
  // Whether an event that may have changed what the forms show came since the last paint.
  // The selection's traffic changes nothing there, and a transfer of megabytes in steps
  // must not repaint the windows at every step.
  bool changed = true;
  int min_keycode = 8;
  int max_keycode = 255;
  // The control a button press went to: it gets the moves and the release (capture).
  TControl* pressed = nullptr;
  TPoint pressed_origin;
  Time last_click = 0;
  unsigned int last_button = 0;
  const TControl* last_target = nullptr;  // compared only, never used: it may be gone
  std::vector<std::pair<std::uint16_t, TWinControl*>> keys_down;  // key-up goes where key-down went

  ~State() {
    for (auto& [form, w] : windows) {
      if (w.ic != nullptr) XDestroyIC(w.ic);
      XDestroyWindow(display, w.id);
    }
    for (auto& [shape, cursor] : cursors) XFreeCursor(display, cursor);
    clipboard.reset();
    if (im != nullptr) XCloseIM(im);
    if (display == nullptr) return;
    UnwatchX11Errors(display);
    XCloseDisplay(display);
  }

  TForm* FormOf(::Window id) const {
    for (const auto& [form, w] : windows) {
      if (w.id == id) return form;
    }
    return nullptr;
  }

  Cursor CursorFor(TCursor c) {
    const unsigned int shape = XCursorShape(c);
    auto it = cursors.find(shape);
    if (it == cursors.end()) it = cursors.emplace(shape, XCreateFontCursor(display, shape)).first;
    return it->second;
  }

  void Paint(TForm& form, Window& w) {
    TRasterImage image = RenderControl(form, TRenderArea::raClient);
    if (image.Empty()) return;
    const int screen = DefaultScreen(display);
    Visual* visual = DefaultVisual(display, screen);
    const int depth = DefaultDepth(display, screen);
    // The image's 0x00RRGGBB words are what a 24- or 32-bit TrueColor visual takes as they
    // are; XDestroyImage must not free them, so the data pointer is taken back first.
    XImage* x = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0,
                             reinterpret_cast<char*>(image.Data()), static_cast<unsigned>(image.Width()),
                             static_cast<unsigned>(image.Height()), 32, image.Stride());
    if (x == nullptr) return;
    XPutImage(display, w.id, DefaultGC(display, screen), x, 0, 0, 0, 0, static_cast<unsigned>(image.Width()),
              static_cast<unsigned>(image.Height()));
    x->data = nullptr;
    XDestroyImage(x);
    w.dirty = false;
  }

  // The deepest windowed control under a point of the form's client area, and the point
  // in its client coordinates.
  static TWinControl* TargetAt(TForm& form, TPoint& p) {
    const TPoint screen{form.ClientOrigin().X + p.X, form.ClientOrigin().Y + p.Y};
    TWinControl* target = &form;
    while (true) {
      const TPoint o = target->ClientOrigin();
      const TPoint local{screen.X - o.X, screen.Y - o.Y};
      auto* child = dynamic_cast<TWinControl*>(target->ControlAtPos(local, false));
      if (child == nullptr) {
        p = local;
        return target;
      }
      target = child;
    }
  }

  void Key(TForm& form, XKeyEvent& e, bool press) {
    TWinControl* focus = GetFocus();
    if (focus == nullptr || GetParentForm(focus) != &form) focus = &form;
    const TShiftState shift = ShiftOf(e.state);
    KeySym sym = NoSymbol;
    std::string text;
    Window& w = windows[&form];
    if (press && w.ic != nullptr) {
      Status status = 0;
      text = LookupText(w.ic, e, sym, status);
      if (status == XLookupChars) sym = XLookupKeysym(&e, 0);
    } else {
      char buffer[64] = {};
      const int length = XLookupString(&e, buffer, sizeof buffer, &sym, nullptr);
      text.assign(buffer, static_cast<std::size_t>(std::clamp(length, 0, static_cast<int>(sizeof buffer))));
      // Without an input method the text is the key symbol's character (Latin-1 symbols
      // are their code points; Unicode symbols carry theirs).
      if (press && text.empty()) {
        if (sym >= 0x20 && sym <= 0xFF) AppendUtf8(static_cast<char32_t>(sym), text);
        if ((sym & 0xFF000000) == 0x01000000) AppendUtf8(static_cast<char32_t>(sym & 0xFFFFFF), text);
      }
    }
    std::uint16_t vk = VirtualKey(sym);
    const bool typed = !text.empty() && static_cast<unsigned char>(text[0]) >= 0x20 && text[0] != 0x7F &&
                       !shift.Contains(ssCtrl) && !shift.Contains(ssAlt);
    if (!press) {
      // The release of a typed key goes where its press went.
      auto it = std::find_if(keys_down.begin(), keys_down.end(), [&](const auto& k) { return k.first == vk; });
      if (it == keys_down.end()) return;
      TWinControl* target = it->second;
      keys_down.erase(it);
      if (GetFocus() == target) target->Perform(WM_KEYUP, vk, 1 | static_cast<std::intptr_t>(0xC0000000u));
      return;
    }
    if (!typed) {
      if (vk != 0 && vk != VK_SHIFT && vk != VK_CONTROL && vk != VK_MENU) SendKey(focus, vk, shift);
      return;
    }
    if (vk == 0) vk = VK_PACKET;
    SetKeyboardShiftState(shift);
    focus->Perform(WM_KEYDOWN, vk, 1);
    for (char32_t c : DecodeUtf8(text)) {
      if (GetFocus() != nullptr) GetFocus()->Perform(WM_CHAR, static_cast<std::intptr_t>(c), 1);
    }
    keys_down.emplace_back(vk, focus);
    SetKeyboardShiftState({});
  }

  void Button(TForm& form, XButtonEvent& e, bool press) {
    const TShiftState shift = ShiftOf(e.state);
    if (press && (e.button == 4 || e.button == 5)) {
      // The wheel goes to the control with the focus, as the window system sends it.
      TWinControl* focus = GetFocus();
      if (focus == nullptr || GetParentForm(focus) != &form) return;
      const int delta = e.button == 4 ? 120 : -120;
      focus->Perform(WM_MOUSEWHEEL,
                     static_cast<std::intptr_t>((static_cast<std::uint32_t>(delta) << 16) |
                                                static_cast<std::uint32_t>(MouseKeys(shift))),
                     MakeLParam(e.x_root, e.y_root));
      return;
    }
    const std::optional<std::size_t> index = ButtonIndex(e.button);
    if (!index) return;
    static constexpr std::uint32_t kDown[] = {WM_LBUTTONDOWN, WM_MBUTTONDOWN, WM_RBUTTONDOWN};
    static constexpr std::uint32_t kDouble[] = {WM_LBUTTONDBLCLK, WM_MBUTTONDBLCLK, WM_RBUTTONDBLCLK};
    static constexpr std::uint32_t kUp[] = {WM_LBUTTONUP, WM_MBUTTONUP, WM_RBUTTONUP};
    const std::size_t b = *index;
    assert(b < std::size(kDown) && "ButtonIndex maps only the buttons the tables have");
    if (press) {
      TPoint p{e.x, e.y};
      TWinControl* target = TargetAt(form, p);
      if (target != &form && target->TabStop() && target->CanFocus() && !target->Focused()) target->SetFocus();
      // A second press soon after the first is a double click only on the control pressed
      // before, and only for a control that takes double clicks; any other control gets
      // a plain press, so quick clicks on two buttons are two clicks.
      const bool twice = e.button == last_button && target == last_target && e.time - last_click < 400 &&
                         target->ControlStyle().Contains(csDoubleClicks);
      last_click = twice ? 0 : e.time;
      last_button = e.button;
      last_target = target;
      pressed = target;
      pressed_origin = target->ClientOrigin();
      target->Perform(twice ? kDouble[b] : kDown[b], MouseKeys(shift) | (b == 0 ? MK_LBUTTON : 0),
                      MakeLParam(p.X, p.Y));
      return;
    }
    if (pressed == nullptr) return;
    TControl* target = pressed;
    pressed = nullptr;
    const TPoint origin = form.ClientOrigin();
    target->Perform(kUp[b], MouseKeys(shift),
                    MakeLParam(origin.X + e.x - pressed_origin.X, origin.Y + e.y - pressed_origin.Y));
  }

  void Motion(TForm& form, XMotionEvent& e) {
    const TShiftState shift = ShiftOf(e.state);
    if (pressed != nullptr) {
      const TPoint origin = form.ClientOrigin();
      pressed->Perform(WM_MOUSEMOVE, MouseKeys(shift),
                       MakeLParam(origin.X + e.x - pressed_origin.X, origin.Y + e.y - pressed_origin.Y));
      return;
    }
    TPoint p{e.x, e.y};
    TWinControl* target = TargetAt(form, p);
    target->Perform(WM_MOUSEMOVE, MouseKeys(shift), MakeLParam(p.X, p.Y));
    // The control's own cursor shows while the screen's is the default.
    if (Screen->Cursor() == crDefault) {
      XDefineCursor(display, windows[&form].id, CursorFor(target->Cursor()));
    }
  }

  void NoteInputTime(const XEvent& e) {
    if (e.xany.send_event) return;
    switch (e.type) {
      case KeyPress: case KeyRelease: input_time = e.xkey.time; return;
      case ButtonPress: case ButtonRelease: input_time = e.xbutton.time; return;
      default: return;
    }
  }

  // A key event with a key code the keyboard does not have can only come from another
  // client's XSendEvent. Xlib's own input method takes code 0 for a text it composed and
  // reads its compose table with it (its own events of that kind are not synthetic).
  bool ForgedKey(const XEvent& e) const {
    if (e.type != KeyPress && e.type != KeyRelease) return false;
    const int code = static_cast<int>(e.xkey.keycode);
    return e.xkey.send_event && (code < min_keycode || code > max_keycode);
  }

  void Dispatch(XEvent& e) {
    if (ForgedKey(e)) return;
    if (XFilterEvent(&e, None)) return;  // the input method composes (dead keys)
    if (clipboard->Handle(e)) return;
    changed = true;
    NoteInputTime(e);
    if (e.type == MappingNotify) {
      // The keyboard map changed (a layout switch, or a tool mapping a spare key to a
      // character it types): Xlib's cached copy must follow, or new keys read as nothing.
      XRefreshKeyboardMapping(&e.xmapping);
      return;
    }
    TForm* form = FormOf(e.xany.window);
    if (form == nullptr) return;
    Window& w = windows[form];
    switch (e.type) {
      case Expose:
        w.dirty = true;
        return;
      case ConfigureNotify: {
        // Only the server's own notices tell the size: any client may send one with any
        // size (a window manager sends them to tell where the frame put the window).
        if (e.xconfigure.send_event) return;
        const int width = e.xconfigure.width;
        const int height = e.xconfigure.height;
        if (width != form->ClientWidth() || height != form->ClientHeight()) {
          form->SetBounds(form->Left(), form->Top(), form->Width() - form->ClientWidth() + width,
                          form->Height() - form->ClientHeight() + height);
          w.dirty = true;
        }
        return;
      }
      case ClientMessage:
        if (e.xclient.message_type == wm_protocols && static_cast<Atom>(e.xclient.data.l[0]) == wm_delete) {
          form->Close();
        }
        return;
      case FocusIn:
        if (w.ic != nullptr) XSetICFocus(w.ic);
        if (!form->Active() && form->Visible()) form->Activate();
        return;
      case FocusOut:
        if (w.ic != nullptr) XUnsetICFocus(w.ic);
        return;
      case KeyPress: Key(*form, e.xkey, true); break;
      case KeyRelease: Key(*form, e.xkey, false); break;
      case ButtonPress: Button(*form, e.xbutton, true); break;
      case ButtonRelease: Button(*form, e.xbutton, false); break;
      case MotionNotify: Motion(*form, e.xmotion); break;
      default: return;
    }
  }
};

TX11Host::TX11Host(std::unique_ptr<State> state) : state_(std::move(state)) {}

TX11Host::~TX11Host() {
  if (WindowHost() == this) SetWindowHost(nullptr);
}

std::unique_ptr<TX11Host> TX11Host::Open() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return nullptr;
  auto state = std::make_unique<State>();
  state->display = display;
  WatchX11Errors(display, nullptr);
  XSetLocaleModifiers("");
  state->im = XOpenIM(display, nullptr, nullptr, nullptr);
  if (state->im == nullptr) {
    XSetLocaleModifiers("@im=none");
    state->im = XOpenIM(display, nullptr, nullptr, nullptr);
  }
  XDisplayKeycodes(display, &state->min_keycode, &state->max_keycode);
  state->wm_protocols = XInternAtom(display, "WM_PROTOCOLS", False);
  state->wm_delete = XInternAtom(display, "WM_DELETE_WINDOW", False);
  state->utf8_string = XInternAtom(display, "UTF8_STRING", False);
  state->clipboard = std::make_unique<TX11Clipboard>(display);
  state->net_wm_name = XInternAtom(display, "_NET_WM_NAME", False);
  const int screen = DefaultScreen(display);
  Screen->SetWidth(DisplayWidth(display, screen));
  Screen->SetHeight(DisplayHeight(display, screen));
  return std::unique_ptr<TX11Host>(new TX11Host(std::move(state)));
}

void TX11Host::FormShown(TForm& form) {
  State& s = *state_;
  if (s.windows.count(&form) != 0) return;
  const int screen = DefaultScreen(s.display);
  const TPoint origin = form.ClientOrigin();
  const auto width = static_cast<unsigned>(std::max(1, form.ClientWidth()));
  const auto height = static_cast<unsigned>(std::max(1, form.ClientHeight()));
  ::Window id = XCreateSimpleWindow(s.display, RootWindow(s.display, screen), origin.X, origin.Y, width,
                                    height, 0, BlackPixel(s.display, screen), WhitePixel(s.display, screen));
  XSelectInput(s.display, id,
               ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                   PointerMotionMask | StructureNotifyMask | FocusChangeMask);
  XSetWMProtocols(s.display, id, &s.wm_delete, 1);
  const std::string caption = form.Caption();
  XStoreName(s.display, id, caption.c_str());
  XChangeProperty(s.display, id, s.net_wm_name, s.utf8_string, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(caption.data()), static_cast<int>(caption.size()));
  State::Window w;
  w.id = id;
  if (s.im != nullptr) {
    w.ic = XCreateIC(s.im, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow, id,
                     XNFocusWindow, id, nullptr);
  }
  s.windows[&form] = w;
  s.changed = true;
  XMapRaised(s.display, id);
  XFlush(s.display);
}

void TX11Host::FormHidden(TForm& form) {
  State& s = *state_;
  auto it = s.windows.find(&form);
  if (it == s.windows.end()) return;
  if (it->second.ic != nullptr) XDestroyIC(it->second.ic);
  XDestroyWindow(s.display, it->second.id);
  s.windows.erase(it);
  if (s.pressed != nullptr && GetParentForm(s.pressed) == &form) s.pressed = nullptr;
  s.keys_down.clear();
  XFlush(s.display);
}

void TX11Host::PaintAll() {
  state_->changed = false;
  for (auto& [form, w] : state_->windows) {
    if (form->Visible()) state_->Paint(*form, w);
  }
  XFlush(state_->display);
}

bool TX11Host::ProcessPendingEvents() {
  bool any = false;
  while (XPending(state_->display) > 0) {
    XEvent e;
    XNextEvent(state_->display, &e);
    state_->Dispatch(e);
    any = true;
  }
  return any;
}

void TX11Host::WaitForInput(TForm& /*modal*/) {
  if (state_->changed) PaintAll();
  XEvent e;
  XNextEvent(state_->display, &e);
  state_->Dispatch(e);
  ProcessPendingEvents();
}

void TX11Host::CursorChanged(TCursor cursor) {
  State& s = *state_;
  const Cursor shape = s.CursorFor(cursor);
  for (auto& [form, w] : s.windows) XDefineCursor(s.display, w.id, shape);
  XFlush(s.display);
}

void TX11Host::SetClipboardText(const std::string& text) { state_->clipboard->SetText(text, state_->input_time); }

std::string TX11Host::ClipboardText() { return state_->clipboard->Text(state_->input_time); }

void TX11Host::SetErrorObserver(TX11ErrorObserver observer) { WatchX11Errors(state_->display, std::move(observer)); }

std::unique_ptr<TX11Host> InstallX11HostIfDisplay() {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == 0) return nullptr;
  std::unique_ptr<TX11Host> host = TX11Host::Open();
  if (host) SetWindowHost(host.get());
  return host;
}

}  // namespace vantor
