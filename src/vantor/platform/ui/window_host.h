#pragma once
// TWindowHost: the window system the forms show on. With none installed (the default,
// and what tests run on) the control layer is headless: forms show nowhere, a modal loop
// plays the scripted user, the cursor and the clipboard are only recorded. A backend
// installed with SetWindowHost makes each shown form a real window: it hears when forms
// show and hide and when the cursor changes, runs the modal loops' waiting for input
// (delivering what the user does as the same messages the scripted user sends), and
// keeps the clipboard.

#include <string>

#include <vantor/platform/ui/control.h>

namespace vantor {

class TForm;

class TWindowHost {
 public:
  virtual ~TWindowHost() = default;
  virtual void FormShown(TForm& form) = 0;
  virtual void FormHidden(TForm& form) = 0;
  // Called by the modal loop of `modal` when no message is pending: brings the windows up
  // to date, waits for the user's next input and delivers it as messages.
  virtual void WaitForInput(TForm& modal) = 0;
  // The screen cursor changed (crHourGlass during a search): shown at once.
  virtual void CursorChanged(TCursor cursor) = 0;
  virtual void SetClipboardText(const std::string& text) = 0;
  virtual std::string ClipboardText() = 0;
};

// The installed host, or null (headless).
TWindowHost* WindowHost();
// Installs a host (null: back to headless). The host is not owned.
void SetWindowHost(TWindowHost* host);

// The clipboard's text: the window host's clipboard when one is installed, else a text
// kept in the process (so copy and paste work headless too).
std::string ClipboardText();
void SetClipboardText(const std::string& text);

}  // namespace vantor
