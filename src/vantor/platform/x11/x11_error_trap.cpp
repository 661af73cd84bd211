#include <vantor/platform/x11/x11_error_trap.h>

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <iostream>
#include <vector>

#include <X11/Xlib.h>

namespace vantor {

namespace {

struct Watched {
  Display* display;
  TX11ErrorObserver observer;
};

// An open trap: the first request it covers and where its errors are counted.
struct OpenTrap {
  Display* display;
  unsigned long first;
  int* errors;
};

// One user-interface thread talks to the display, so the handler's tables need no lock.
std::vector<Watched>& WatchedDisplays() {
  static std::vector<Watched> displays;
  return displays;
}

std::vector<OpenTrap>& OpenTraps() {
  static std::vector<OpenTrap> traps;
  return traps;
}

XErrorHandler g_previous = nullptr;

std::string Describe(Display* display, const XErrorEvent& e) {
  char error[128] = {};
  XGetErrorText(display, e.error_code, error, sizeof error);
  char request[128] = {};
  const std::string code = std::to_string(e.request_code);
  XGetErrorDatabaseText(display, "XRequest", code.c_str(), code.c_str(), request, sizeof request);
  char resource[32];
  std::snprintf(resource, sizeof resource, " (resource 0x%lx)", e.resourceid);
  return std::string(error) + " in " + request + resource;
}

// The innermost open trap of `display` that was open when request `serial` was made: a trap
// covers the requests from its first one on, and it stays open until the server answered
// them, so an error with a later serial than the trap's first request is the trap's.
OpenTrap* TrapOf(Display* display, unsigned long serial) {
  auto& traps = OpenTraps();
  auto it = std::find_if(traps.rbegin(), traps.rend(),
                         [&](const OpenTrap& t) { return t.display == display && serial >= t.first; });
  return it == traps.rend() ? nullptr : &*it;
}

int OnXError(Display* display, XErrorEvent* e) {
  auto& watched = WatchedDisplays();
  auto it = std::find_if(watched.begin(), watched.end(), [&](const Watched& w) { return w.display == display; });
  if (it == watched.end()) return g_previous != nullptr ? g_previous(display, e) : 0;
  TX11Error error;
  error.code = e->error_code;
  error.request = e->request_code;
  error.resource = e->resourceid;
  error.text = Describe(display, *e);
  if (OpenTrap* trap = TrapOf(display, e->serial)) {
    ++*trap->errors;
    error.foreign = true;
  }
  if (it->observer) {
    it->observer(error);
  } else if (!error.foreign) {
    std::cerr << "X error: " << error.text << "\n";
  }
  assert(error.foreign && "an X error outside a trap is a request of ours gone wrong, not another client's doing");
  return 0;
}

}  // namespace

void WatchX11Errors(Display* display, TX11ErrorObserver observer) {
  auto& watched = WatchedDisplays();
  auto it = std::find_if(watched.begin(), watched.end(), [&](const Watched& w) { return w.display == display; });
  if (it != watched.end()) {
    it->observer = std::move(observer);
    return;
  }
  if (watched.empty()) g_previous = XSetErrorHandler(OnXError);
  watched.push_back({display, std::move(observer)});
}

void UnwatchX11Errors(Display* display) {
  auto& watched = WatchedDisplays();
  std::erase_if(watched, [&](const Watched& w) { return w.display == display; });
  if (watched.empty()) XSetErrorHandler(g_previous);
}

TX11ErrorTrap::TX11ErrorTrap(Display* display) : display_(display) {
  OpenTraps().push_back({display, NextRequest(display), &errors_});
}

TX11ErrorTrap::~TX11ErrorTrap() {
  XSync(display_, False);
  // Traps nest as scopes do: this one is the last opened.
  assert(!OpenTraps().empty() && OpenTraps().back().errors == &errors_ && "error traps close in reverse order");
  OpenTraps().pop_back();
}

bool TX11ErrorTrap::Failed() {
  XSync(display_, False);
  return errors_ > 0;
}

}  // namespace vantor
