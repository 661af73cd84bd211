#include "demo/other_client.h"

#include <X11/Xatom.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>
#include <cstring>

namespace vantor::testing {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// How long an answer may take: the demo, built with sanitizers, may still be busy with the
// keys that made a copy of megabytes when the request comes.
constexpr auto kAnswerTime = 30s;

OtherClient::OtherClient(const std::string& display_name) : display_(XOpenDisplay(display_name.c_str())) {
  if (display_ == nullptr) return;
  window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
  XSelectInput(display_, window_, PropertyChangeMask);
}

OtherClient::~OtherClient() {
  if (display_ != nullptr) XCloseDisplay(display_);
}

void OtherClient::Key(KeySym key, bool control, bool shift) {
  auto send = [&](KeySym k, bool down) {
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, k), down ? True : False, CurrentTime);
  };
  if (control) send(XK_Control_L, true);
  if (shift) send(XK_Shift_L, true);
  send(key, true);
  send(key, false);
  if (shift) send(XK_Shift_L, false);
  if (control) send(XK_Control_L, false);
  XSync(display_, False);
}

void OtherClient::MapSpareKey(KeySym key) {
  int low = 0;
  int high = 0;
  int per_code = 0;
  XDisplayKeycodes(display_, &low, &high);
  KeySym* map = XGetKeyboardMapping(display_, static_cast<KeyCode>(low), high - low + 1, &per_code);
  for (int code = high; code >= low; --code) {
    const KeySym* syms = map + (code - low) * per_code;
    if (std::all_of(syms, syms + per_code, [](KeySym s) { return s == NoSymbol; })) {
      XChangeKeyboardMapping(display_, code, 1, &key, 1);
      break;
    }
  }
  XFree(map);
  XSync(display_, False);
}

void OtherClient::Offer(std::string bytes, Atom target, std::size_t step, Atom type) {
  offered_ = std::move(bytes);
  offered_target_ = target;
  offered_type_ = type != None ? type : target;
  step_ = step;
  incr_window_ = 0;
  XSetSelectionOwner(display_, Intern("CLIPBOARD"), window_, CurrentTime);
  XSync(display_, False);
}

bool OtherClient::ServeUntil(const std::function<bool()>& done, std::chrono::seconds limit) {
  auto checked = Clock::now();
  for (auto deadline = Clock::now() + limit; Clock::now() < deadline;) {
    // `done` may read a large file: asked a few times a second, not after every event.
    if (Clock::now() - checked > 200ms) {
      if (done()) return true;
      checked = Clock::now();
    }
    XEvent e;
    if (!Next(e, [](const XEvent& x) { return x.type == SelectionRequest || x.type == PropertyNotify; }, 100ms)) {
      continue;
    }
    if (e.type == SelectionRequest) {
      Answer(e.xselectionrequest);
      continue;
    }
    if (e.xproperty.window != incr_window_ || e.xproperty.atom != incr_property_ ||
        e.xproperty.state != PropertyDelete) {
      continue;
    }
    // The requestor took a step: the next one, and after the last bytes an empty one.
    const std::size_t n = std::min(step_, offered_.size() - incr_sent_);
    XChangeProperty(display_, incr_window_, incr_property_, offered_type_, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(offered_.data() + incr_sent_), static_cast<int>(n));
    incr_sent_ += n;
    if (n == 0) incr_window_ = 0;
  }
  return done();
}

void OtherClient::Answer(const XSelectionRequestEvent& r) {
  XSelectionEvent reply{};
  reply.type = SelectionNotify;
  reply.requestor = r.requestor;
  reply.selection = r.selection;
  reply.target = r.target;
  reply.time = r.time;
  reply.property = r.target == offered_target_ ? r.property : None;
  if (reply.property != None && step_ == 0) {
    XChangeProperty(display_, r.requestor, r.property, offered_type_, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(offered_.data()), static_cast<int>(offered_.size()));
  } else if (reply.property != None) {
    XSelectInput(display_, r.requestor, PropertyChangeMask);
    const long size = static_cast<long>(offered_.size());
    XChangeProperty(display_, r.requestor, r.property, Intern("INCR"), 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&size), 1);
    incr_window_ = r.requestor;
    incr_property_ = r.property;
    incr_sent_ = 0;
  }
  XSendEvent(display_, r.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
  XFlush(display_);
}

std::optional<std::string> OtherClient::Request(Atom target, Atom property) {
  XConvertSelection(display_, Intern("CLIPBOARD"), target, property, window_, CurrentTime);
  XEvent e;
  const bool answered =
      Next(e, [&](const XEvent& x) { return x.type == SelectionNotify && x.xselection.target == target; },
           kAnswerTime);
  if (!answered || e.xselection.property == None) return std::nullopt;
  const Atom answer = e.xselection.property;
  Atom type = None;
  std::string whole = ReadProperty(window_, answer, &type);
  if (type != Intern("INCR")) return whole;
  whole.clear();
  while (true) {
    const bool stepped = Next(
        e,
        [&](const XEvent& x) {
          return x.type == PropertyNotify && x.xproperty.atom == answer && x.xproperty.state == PropertyNewValue;
        },
        kAnswerTime);
    if (!stepped) return std::nullopt;
    const std::string step = ReadProperty(window_, answer, &type);
    if (type == None) continue;  // the notice of the INCR announcement, read already
    if (step.empty()) return whole;
    whole += step;
  }
}

std::vector<Atom> OtherClient::Targets() {
  const std::string bytes = Request(Intern("TARGETS"), Intern("TARGETS")).value_or("");
  std::vector<Atom> atoms(bytes.size() / sizeof(Atom));
  std::memcpy(atoms.data(), bytes.data(), atoms.size() * sizeof(Atom));
  return atoms;
}

void OtherClient::RequestAndVanish(Atom target) {
  const Window gone = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
  XConvertSelection(display_, Intern("CLIPBOARD"), target, Intern("ANSWER"), gone, CurrentTime);
  XDestroyWindow(display_, gone);
  XSync(display_, False);
}

bool OtherClient::Next(XEvent& e, const std::function<bool(const XEvent&)>& match, std::chrono::milliseconds limit) {
  XFlush(display_);
  for (auto deadline = Clock::now() + limit;;) {
    while (XPending(display_) > 0) {
      XNextEvent(display_, &e);
      if (match(e)) return true;
    }
    if (Clock::now() > deadline) return false;
    pollfd fd{ConnectionNumber(display_), POLLIN, 0};
    poll(&fd, 1, 10);
  }
}

std::string OtherClient::ReadProperty(Window window, Atom property, Atom* type) {
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  XGetWindowProperty(display_, window, property, 0, 0x7FFFFFFF, True, AnyPropertyType, type, &format, &count, &after,
                     &data);
  // Xlib hands 32-bit items over as longs.
  const std::size_t item = format == 32 ? sizeof(long) : static_cast<std::size_t>(format / 8);
  std::string bytes = data != nullptr ? std::string(reinterpret_cast<char*>(data), count * item) : "";
  if (data != nullptr) XFree(data);
  return bytes;
}

}  // namespace vantor::testing
