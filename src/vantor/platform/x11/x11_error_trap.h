#pragma once
// X errors on a shared display. Xlib's own handler ends the program at the first error, yet
// other clients cause errors in requests of ours: a requestor window destroyed before it is
// answered (BadWindow), a property name of None (BadAtom), more data than one request
// carries (BadLength). Requests made while a TX11ErrorTrap is open name other clients'
// windows and properties: their errors are recorded and survived. Any other error is a fault
// of this host: recorded too, and in a build with assertions it stops the program.

#include <functional>
#include <string>

struct _XDisplay;  // Xlib's Display, kept out of this header with its macros

namespace vantor {

// One error the X server reported for one of our requests.
struct TX11Error {
  int code = 0;                // BadWindow, BadAtom, BadLength ...
  int request = 0;             // the failed request's major opcode
  unsigned long resource = 0;  // the window, atom ... it named
  bool foreign = false;        // made inside a TX11ErrorTrap: caused by another client
  std::string text;            // the error and the request in words
};

using TX11ErrorObserver = std::function<void(const TX11Error&)>;

// Puts the error handler in place for `display` (Xlib has one handler per process; it serves
// every display watched here). `observer`, if set, hears each error from inside Xlib's
// handler, where no X request may be made; without one, errors of our own go to stderr.
// Watching a display again replaces its observer.
void WatchX11Errors(_XDisplay* display, TX11ErrorObserver observer);
// Stops watching `display`; called before it closes.
void UnwatchX11Errors(_XDisplay* display);

// A scope whose requests concern other clients' resources. Closing it waits for the server
// to have handled them all (XSync), so every error they cause is counted in this scope.
class TX11ErrorTrap {
 public:
  explicit TX11ErrorTrap(_XDisplay* display);
  ~TX11ErrorTrap();
  TX11ErrorTrap(const TX11ErrorTrap&) = delete;
  TX11ErrorTrap& operator=(const TX11ErrorTrap&) = delete;

  // Waits for the server, then tells whether a request made in the scope failed.
  bool Failed();

 private:
  _XDisplay* display_;
  int errors_ = 0;
};

}  // namespace vantor
