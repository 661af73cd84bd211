#pragma once
// TX11Host: the forms as real X11 windows, through Xlib. Each shown form is a top-level
// window of its client size (the window manager draws the frame and the caption); its
// controls are painted by the raster backend and put on the window after every batch of
// input. X events become the messages the headless layer already understands: key
// strokes through the X input method (UTF-8 text, so accented letters typed on any layout
// arrive as characters) as WM_KEYDOWN/WM_CHAR/WM_KEYUP with the virtual key and the shift
// state, mouse buttons, moves and the wheel, focus, resizing (the form's client size and
// realignment), and the close button (the form's close protocol). The cursor the screen
// sets shows at once; the CLIPBOARD selection serves copy and paste (x11_clipboard.h).
// The display is shared: events other clients send are taken only as far as they make
// sense (a button the host has no message for is passed over), and X errors their doings
// cause in our requests are recorded and survived (x11_error_trap.h).
//
// Xlib rather than XCB: the input method (XIM, Xutf8LookupString) is an Xlib service, and
// one synchronous connection serving one user-interface thread needs nothing more.

#include <memory>
#include <string>

#include <vantor/platform/ui/window_host.h>
#include <vantor/platform/x11/x11_error_trap.h>

namespace vantor {

class TX11Host : public TWindowHost {
 public:
  // Connects to the display named by DISPLAY; null when there is none (then the headless
  // host stays).
  static std::unique_ptr<TX11Host> Open();
  ~TX11Host() override;
  TX11Host(const TX11Host&) = delete;
  TX11Host& operator=(const TX11Host&) = delete;

  void FormShown(TForm& form) override;
  void FormHidden(TForm& form) override;
  void WaitForInput(TForm& modal) override;
  void CursorChanged(TCursor cursor) override;
  void SetClipboardText(const std::string& text) override;
  std::string ClipboardText() override;

  // Paints every shown form's window now.
  void PaintAll();
  // Delivers the events that have arrived, without waiting; true when there were any.
  bool ProcessPendingEvents();
  // Hears every X error the display reports (see WatchX11Errors: no X requests in it).
  void SetErrorObserver(TX11ErrorObserver observer);

 private:
  struct State;
  explicit TX11Host(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

// Installs the X11 host when a display is present and returns it (kept alive by the
// caller); null, leaving the headless host, when there is none.
std::unique_ptr<TX11Host> InstallX11HostIfDisplay();

}  // namespace vantor
