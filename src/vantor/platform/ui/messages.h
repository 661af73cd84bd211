#pragma once
// Window messages and the constants that travel with them. Controls talk to each
// other through TMessage, as windows do: Perform sends a message synchronously to a
// control's WndProc, which hands it to a named handler or to DefaultHandler. Every
// number here is the window system's own, so message logs read the same as there.

#include <cstdint>

namespace vantor {

// One message. WParam and LParam are pointer-sized so that a message can carry the
// address of a structure (EM_GETRECT's rectangle, WM_WINDOWPOSCHANGED's position).
struct TMessage {
  std::uint32_t Msg = 0;
  std::intptr_t WParam = 0;
  std::intptr_t LParam = 0;
  std::intptr_t Result = 0;
};

// Packing of two 16-bit halves, as mouse positions and margins travel.
constexpr std::intptr_t MakeLParam(int low, int high) {
  return static_cast<std::intptr_t>(
      static_cast<std::uint32_t>((static_cast<std::uint32_t>(low) & 0xFFFFu) |
                                 ((static_cast<std::uint32_t>(high) & 0xFFFFu) << 16)));
}
constexpr int LoWord(std::intptr_t v) { return static_cast<int>(static_cast<std::uint32_t>(v) & 0xFFFFu); }
constexpr int HiWord(std::intptr_t v) {
  return static_cast<int>((static_cast<std::uint32_t>(v) >> 16) & 0xFFFFu);
}
// The signed 16-bit halves: mouse coordinates left of or above a window are negative.
constexpr int GetXLParam(std::intptr_t v) { return static_cast<std::int16_t>(LoWord(v)); }
constexpr int GetYLParam(std::intptr_t v) { return static_cast<std::int16_t>(HiWord(v)); }

// Window messages.
inline constexpr std::uint32_t WM_NULL = 0x0000;
inline constexpr std::uint32_t WM_CREATE = 0x0001;
inline constexpr std::uint32_t WM_DESTROY = 0x0002;
inline constexpr std::uint32_t WM_MOVE = 0x0003;
inline constexpr std::uint32_t WM_SIZE = 0x0005;
inline constexpr std::uint32_t WM_ACTIVATE = 0x0006;
inline constexpr std::uint32_t WM_SETFOCUS = 0x0007;
inline constexpr std::uint32_t WM_KILLFOCUS = 0x0008;
inline constexpr std::uint32_t WM_ENABLE = 0x000A;
inline constexpr std::uint32_t WM_SETTEXT = 0x000C;
inline constexpr std::uint32_t WM_GETTEXT = 0x000D;
inline constexpr std::uint32_t WM_GETTEXTLENGTH = 0x000E;
inline constexpr std::uint32_t WM_PAINT = 0x000F;
inline constexpr std::uint32_t WM_CLOSE = 0x0010;
inline constexpr std::uint32_t WM_ERASEBKGND = 0x0014;
inline constexpr std::uint32_t WM_SHOWWINDOW = 0x0018;
inline constexpr std::uint32_t WM_CANCELMODE = 0x001F;
inline constexpr std::uint32_t WM_SETCURSOR = 0x0020;
inline constexpr std::uint32_t WM_WINDOWPOSCHANGING = 0x0046;
inline constexpr std::uint32_t WM_WINDOWPOSCHANGED = 0x0047;
// LParam: the screen point of the click, or (-1, -1) when the menu key asked for it.
inline constexpr std::uint32_t WM_CONTEXTMENU = 0x007B;
inline constexpr std::uint32_t WM_NCHITTEST = 0x0084;
inline constexpr std::uint32_t WM_GETDLGCODE = 0x0087;
inline constexpr std::uint32_t WM_KEYFIRST = 0x0100;
inline constexpr std::uint32_t WM_KEYDOWN = 0x0100;
inline constexpr std::uint32_t WM_KEYUP = 0x0101;
inline constexpr std::uint32_t WM_CHAR = 0x0102;
inline constexpr std::uint32_t WM_SYSKEYDOWN = 0x0104;
inline constexpr std::uint32_t WM_SYSKEYUP = 0x0105;
inline constexpr std::uint32_t WM_SYSCHAR = 0x0106;
inline constexpr std::uint32_t WM_KEYLAST = 0x0108;
inline constexpr std::uint32_t WM_COMMAND = 0x0111;
inline constexpr std::uint32_t WM_HSCROLL = 0x0114;
inline constexpr std::uint32_t WM_VSCROLL = 0x0115;
inline constexpr std::uint32_t WM_MOUSEFIRST = 0x0200;
inline constexpr std::uint32_t WM_MOUSEMOVE = 0x0200;
inline constexpr std::uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr std::uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr std::uint32_t WM_LBUTTONDBLCLK = 0x0203;
inline constexpr std::uint32_t WM_RBUTTONDOWN = 0x0204;
inline constexpr std::uint32_t WM_RBUTTONUP = 0x0205;
inline constexpr std::uint32_t WM_RBUTTONDBLCLK = 0x0206;
inline constexpr std::uint32_t WM_MBUTTONDOWN = 0x0207;
inline constexpr std::uint32_t WM_MBUTTONUP = 0x0208;
inline constexpr std::uint32_t WM_MBUTTONDBLCLK = 0x0209;
inline constexpr std::uint32_t WM_MOUSELAST = 0x0209;
// WParam: key flags in the low word, the wheel distance (120 a notch, forward positive) in
// the high word; LParam: the screen point.
inline constexpr std::uint32_t WM_MOUSEWHEEL = 0x020A;
inline constexpr std::uint32_t WM_CUT = 0x0300;
inline constexpr std::uint32_t WM_COPY = 0x0301;
inline constexpr std::uint32_t WM_PASTE = 0x0302;
inline constexpr std::uint32_t WM_CLEAR = 0x0303;
inline constexpr std::uint32_t WM_UNDO = 0x0304;
inline constexpr std::uint32_t WM_USER = 0x0400;

// Edit-control messages.
inline constexpr std::uint32_t EM_GETSEL = 0x00B0;
inline constexpr std::uint32_t EM_SETSEL = 0x00B1;
inline constexpr std::uint32_t EM_GETRECT = 0x00B2;    // LParam: TRect* to fill
inline constexpr std::uint32_t EM_SETRECT = 0x00B3;    // LParam: const TRect*
inline constexpr std::uint32_t EM_SETRECTNP = 0x00B4;  // as EM_SETRECT, without repainting
inline constexpr std::uint32_t EM_GETMODIFY = 0x00B8;
inline constexpr std::uint32_t EM_SETMODIFY = 0x00B9;
inline constexpr std::uint32_t EM_LIMITTEXT = 0x00C5;
inline constexpr std::uint32_t EM_SETPASSWORDCHAR = 0x00CC;
inline constexpr std::uint32_t EM_SETREADONLY = 0x00CF;
inline constexpr std::uint32_t EM_SETMARGINS = 0x00D3;  // WParam: EC_ flags, LParam: left | right << 16
inline constexpr std::uint32_t EM_GETMARGINS = 0x00D4;  // Result: left | right << 16
inline constexpr std::intptr_t EC_LEFTMARGIN = 0x0001;
inline constexpr std::intptr_t EC_RIGHTMARGIN = 0x0002;

// The component library's own notifications, at their offsets from CM_BASE.
inline constexpr std::uint32_t CM_BASE = 0xB000;
inline constexpr std::uint32_t CM_ACTIVATE = CM_BASE + 0;
inline constexpr std::uint32_t CM_DEACTIVATE = CM_BASE + 1;
inline constexpr std::uint32_t CM_GOTFOCUS = CM_BASE + 2;
inline constexpr std::uint32_t CM_LOSTFOCUS = CM_BASE + 3;
inline constexpr std::uint32_t CM_CANCELMODE = CM_BASE + 4;
inline constexpr std::uint32_t CM_DIALOGKEY = CM_BASE + 5;
inline constexpr std::uint32_t CM_DIALOGCHAR = CM_BASE + 6;
inline constexpr std::uint32_t CM_FOCUSCHANGED = CM_BASE + 7;
inline constexpr std::uint32_t CM_PARENTFONTCHANGED = CM_BASE + 8;
inline constexpr std::uint32_t CM_PARENTCOLORCHANGED = CM_BASE + 9;
inline constexpr std::uint32_t CM_HITTEST = CM_BASE + 10;
inline constexpr std::uint32_t CM_VISIBLECHANGED = CM_BASE + 11;
inline constexpr std::uint32_t CM_ENABLEDCHANGED = CM_BASE + 12;
inline constexpr std::uint32_t CM_COLORCHANGED = CM_BASE + 13;
inline constexpr std::uint32_t CM_FONTCHANGED = CM_BASE + 14;
inline constexpr std::uint32_t CM_CURSORCHANGED = CM_BASE + 15;
inline constexpr std::uint32_t CM_CTL3DCHANGED = CM_BASE + 16;
inline constexpr std::uint32_t CM_PARENTCTL3DCHANGED = CM_BASE + 17;
inline constexpr std::uint32_t CM_TEXTCHANGED = CM_BASE + 18;
inline constexpr std::uint32_t CM_MOUSEENTER = CM_BASE + 19;
inline constexpr std::uint32_t CM_MOUSELEAVE = CM_BASE + 20;
inline constexpr std::uint32_t CM_MENUCHANGED = CM_BASE + 21;
inline constexpr std::uint32_t CM_APPKEYDOWN = CM_BASE + 22;
inline constexpr std::uint32_t CM_APPSYSCOMMAND = CM_BASE + 23;
inline constexpr std::uint32_t CM_BUTTONPRESSED = CM_BASE + 24;
inline constexpr std::uint32_t CM_SHOWINGCHANGED = CM_BASE + 25;
inline constexpr std::uint32_t CM_ENTER = CM_BASE + 26;
inline constexpr std::uint32_t CM_EXIT = CM_BASE + 27;
inline constexpr std::uint32_t CM_DESIGNHITTEST = CM_BASE + 28;
inline constexpr std::uint32_t CM_ICONCHANGED = CM_BASE + 29;
inline constexpr std::uint32_t CM_WANTSPECIALKEY = CM_BASE + 30;
inline constexpr std::uint32_t CM_INVOKEHELP = CM_BASE + 31;
inline constexpr std::uint32_t CM_WINDOWHOOK = CM_BASE + 32;
inline constexpr std::uint32_t CM_RELEASE = CM_BASE + 33;
inline constexpr std::uint32_t CM_SHOWHINTCHANGED = CM_BASE + 34;
inline constexpr std::uint32_t CM_PARENTSHOWHINTCHANGED = CM_BASE + 35;
inline constexpr std::uint32_t CM_SYSCOLORCHANGE = CM_BASE + 36;
inline constexpr std::uint32_t CM_WININICHANGE = CM_BASE + 37;
inline constexpr std::uint32_t CM_FONTCHANGE = CM_BASE + 38;
inline constexpr std::uint32_t CM_TIMECHANGE = CM_BASE + 39;
inline constexpr std::uint32_t CM_TABSTOPCHANGED = CM_BASE + 40;
inline constexpr std::uint32_t CM_UIACTIVATE = CM_BASE + 41;
inline constexpr std::uint32_t CM_UIDEACTIVATE = CM_BASE + 42;
inline constexpr std::uint32_t CM_DOCWINDOWACTIVATE = CM_BASE + 43;
inline constexpr std::uint32_t CM_CONTROLLISTCHANGE = CM_BASE + 44;
inline constexpr std::uint32_t CM_GETDATALINK = CM_BASE + 45;
inline constexpr std::uint32_t CM_CHILDKEY = CM_BASE + 46;
inline constexpr std::uint32_t CM_DRAG = CM_BASE + 47;
inline constexpr std::uint32_t CM_HINTSHOW = CM_BASE + 48;
inline constexpr std::uint32_t CM_DIALOGHANDLE = CM_BASE + 49;
inline constexpr std::uint32_t CM_ISTOOLCONTROL = CM_BASE + 50;
inline constexpr std::uint32_t CM_RECREATEWND = CM_BASE + 51;
inline constexpr std::uint32_t CM_INVALIDATE = CM_BASE + 52;
inline constexpr std::uint32_t CM_SYSFONTCHANGED = CM_BASE + 53;
inline constexpr std::uint32_t CM_CONTROLCHANGE = CM_BASE + 54;
inline constexpr std::uint32_t CM_CHANGED = CM_BASE + 55;

// WM_GETDLGCODE answers: which keys a control wants before the dialog manager.
inline constexpr std::intptr_t DLGC_WANTARROWS = 0x0001;
inline constexpr std::intptr_t DLGC_WANTTAB = 0x0002;
inline constexpr std::intptr_t DLGC_WANTALLKEYS = 0x0004;
inline constexpr std::intptr_t DLGC_WANTMESSAGE = 0x0004;
inline constexpr std::intptr_t DLGC_HASSETSEL = 0x0008;
inline constexpr std::intptr_t DLGC_DEFPUSHBUTTON = 0x0010;
inline constexpr std::intptr_t DLGC_UNDEFPUSHBUTTON = 0x0020;
inline constexpr std::intptr_t DLGC_RADIOBUTTON = 0x0040;
inline constexpr std::intptr_t DLGC_WANTCHARS = 0x0080;
inline constexpr std::intptr_t DLGC_STATIC = 0x0100;
inline constexpr std::intptr_t DLGC_BUTTON = 0x2000;

// WM_NCHITTEST answers.
inline constexpr std::intptr_t HTERROR = -2;
inline constexpr std::intptr_t HTTRANSPARENT = -1;
inline constexpr std::intptr_t HTNOWHERE = 0;
inline constexpr std::intptr_t HTCLIENT = 1;
inline constexpr std::intptr_t HTBORDER = 18;

// Mouse-message key flags (WParam of WM_MOUSEMOVE ... WM_MBUTTONDBLCLK).
inline constexpr std::intptr_t MK_LBUTTON = 0x0001;
inline constexpr std::intptr_t MK_RBUTTON = 0x0002;
inline constexpr std::intptr_t MK_SHIFT = 0x0004;
inline constexpr std::intptr_t MK_CONTROL = 0x0008;
inline constexpr std::intptr_t MK_MBUTTON = 0x0010;

// Key data of WM_KEYDOWN/WM_KEYUP/WM_CHAR (LParam): the context bit says Alt is down.
inline constexpr std::intptr_t KF_ALTDOWN_BIT = 0x20000000;

// WM_SIZE kinds (WParam).
inline constexpr std::intptr_t SIZE_RESTORED = 0;

// WM_WINDOWPOSCHANGED carries a TWindowPos (LParam); the flags tell what did not change.
inline constexpr std::uint32_t SWP_NOSIZE = 0x0001;
inline constexpr std::uint32_t SWP_NOMOVE = 0x0002;
inline constexpr std::uint32_t SWP_NOZORDER = 0x0004;
inline constexpr std::uint32_t SWP_NOREDRAW = 0x0008;
inline constexpr std::uint32_t SWP_NOACTIVATE = 0x0010;
inline constexpr std::uint32_t SWP_SHOWWINDOW = 0x0040;
inline constexpr std::uint32_t SWP_HIDEWINDOW = 0x0080;

// The new position, size and z-order a WM_WINDOWPOSCHANGED message reports.
struct TWindowPos {
  std::intptr_t hwnd = 0;
  std::intptr_t hwndInsertAfter = 0;
  int x = 0;
  int y = 0;
  int cx = 0;
  int cy = 0;
  std::uint32_t flags = 0;
};

// Window styles (TCreateParams::Style / ExStyle).
inline constexpr std::uint32_t WS_OVERLAPPED = 0x00000000;
inline constexpr std::uint32_t WS_POPUP = 0x80000000;
inline constexpr std::uint32_t WS_CHILD = 0x40000000;
inline constexpr std::uint32_t WS_VISIBLE = 0x10000000;
inline constexpr std::uint32_t WS_DISABLED = 0x08000000;
inline constexpr std::uint32_t WS_CLIPSIBLINGS = 0x04000000;
inline constexpr std::uint32_t WS_CLIPCHILDREN = 0x02000000;
inline constexpr std::uint32_t WS_CAPTION = 0x00C00000;
inline constexpr std::uint32_t WS_BORDER = 0x00800000;
inline constexpr std::uint32_t WS_DLGFRAME = 0x00400000;
inline constexpr std::uint32_t WS_VSCROLL = 0x00200000;
inline constexpr std::uint32_t WS_HSCROLL = 0x00100000;
inline constexpr std::uint32_t WS_TABSTOP = 0x00010000;
inline constexpr std::uint32_t WS_EX_CLIENTEDGE = 0x00000200;
inline constexpr std::uint32_t WS_EX_CONTROLPARENT = 0x00010000;

// Edit styles.
inline constexpr std::uint32_t ES_LEFT = 0x0000;
inline constexpr std::uint32_t ES_CENTER = 0x0001;
inline constexpr std::uint32_t ES_RIGHT = 0x0002;
inline constexpr std::uint32_t ES_MULTILINE = 0x0004;
inline constexpr std::uint32_t ES_PASSWORD = 0x0020;
inline constexpr std::uint32_t ES_AUTOHSCROLL = 0x0080;
inline constexpr std::uint32_t ES_NOHIDESEL = 0x0100;
inline constexpr std::uint32_t ES_READONLY = 0x0800;
inline constexpr std::uint32_t ES_WANTRETURN = 0x1000;

// Virtual-key codes.
inline constexpr std::uint16_t VK_LBUTTON = 0x01;
inline constexpr std::uint16_t VK_RBUTTON = 0x02;
inline constexpr std::uint16_t VK_CANCEL = 0x03;
inline constexpr std::uint16_t VK_MBUTTON = 0x04;
inline constexpr std::uint16_t VK_BACK = 0x08;
inline constexpr std::uint16_t VK_TAB = 0x09;
inline constexpr std::uint16_t VK_CLEAR = 0x0C;
inline constexpr std::uint16_t VK_RETURN = 0x0D;
inline constexpr std::uint16_t VK_SHIFT = 0x10;
inline constexpr std::uint16_t VK_CONTROL = 0x11;
inline constexpr std::uint16_t VK_MENU = 0x12;
inline constexpr std::uint16_t VK_PAUSE = 0x13;
inline constexpr std::uint16_t VK_CAPITAL = 0x14;
inline constexpr std::uint16_t VK_ESCAPE = 0x1B;
inline constexpr std::uint16_t VK_SPACE = 0x20;
inline constexpr std::uint16_t VK_PRIOR = 0x21;
inline constexpr std::uint16_t VK_NEXT = 0x22;
inline constexpr std::uint16_t VK_END = 0x23;
inline constexpr std::uint16_t VK_HOME = 0x24;
inline constexpr std::uint16_t VK_LEFT = 0x25;
inline constexpr std::uint16_t VK_UP = 0x26;
inline constexpr std::uint16_t VK_RIGHT = 0x27;
inline constexpr std::uint16_t VK_DOWN = 0x28;
inline constexpr std::uint16_t VK_SELECT = 0x29;
inline constexpr std::uint16_t VK_EXECUTE = 0x2B;
inline constexpr std::uint16_t VK_SNAPSHOT = 0x2C;
inline constexpr std::uint16_t VK_INSERT = 0x2D;
inline constexpr std::uint16_t VK_DELETE = 0x2E;
inline constexpr std::uint16_t VK_HELP = 0x2F;
// '0'..'9' and 'A'..'Z' are their ASCII codes.
inline constexpr std::uint16_t VK_NUMPAD0 = 0x60;
inline constexpr std::uint16_t VK_MULTIPLY = 0x6A;
inline constexpr std::uint16_t VK_ADD = 0x6B;
inline constexpr std::uint16_t VK_SUBTRACT = 0x6D;
inline constexpr std::uint16_t VK_DECIMAL = 0x6E;
inline constexpr std::uint16_t VK_DIVIDE = 0x6F;
inline constexpr std::uint16_t VK_F1 = 0x70;
inline constexpr std::uint16_t VK_F2 = 0x71;
inline constexpr std::uint16_t VK_F3 = 0x72;
inline constexpr std::uint16_t VK_F4 = 0x73;
inline constexpr std::uint16_t VK_F5 = 0x74;
inline constexpr std::uint16_t VK_F10 = 0x79;
inline constexpr std::uint16_t VK_F12 = 0x7B;
inline constexpr std::uint16_t VK_OEM_1 = 0xBA;       // ;
inline constexpr std::uint16_t VK_OEM_PLUS = 0xBB;    // =
inline constexpr std::uint16_t VK_OEM_COMMA = 0xBC;   // ,
inline constexpr std::uint16_t VK_OEM_MINUS = 0xBD;   // -
inline constexpr std::uint16_t VK_OEM_PERIOD = 0xBE;  // .
inline constexpr std::uint16_t VK_OEM_2 = 0xBF;       // /
// Characters typed without a key of their own arrive as this key with the character.
inline constexpr std::uint16_t VK_PACKET = 0xE7;

}  // namespace vantor
