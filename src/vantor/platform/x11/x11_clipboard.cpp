#include <vantor/platform/x11/internal/x11_clipboard.h>

#include <algorithm>
#include <cassert>
#include <chrono>
#include <map>
#include <optional>
#include <vector>

#include <vantor/platform/rtl/utf8.h>
#include <vantor/platform/x11/x11_error_trap.h>

// Xlib last: its macros (None, Status ...) would otherwise rewrite our headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>

namespace vantor {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// How long a requestor waits for the owner's next move before it gives up, and how long an
// owner keeps a transfer whose requestor stopped taking the steps.
constexpr auto kPatience = 2s;
constexpr auto kAbandoned = 10s;
// A property is read in pieces of this many 32-bit units (4 MB).
constexpr long kReadUnits = 1L << 20;

// A property as read: its type (None when there was no such property), format and bytes.
struct Property {
  Atom type = None;
  int format = 0;
  std::string bytes;
};

// Waits for the first queued or arriving event that `match` accepts and takes it out of the
// queue, leaving every other event in order; false after `kPatience` without one.
template <class Match>
bool WaitForEvent(Display* display, XEvent& event, Match match) {
  auto predicate = [](Display*, XEvent* e, XPointer arg) -> Bool {
    return (*reinterpret_cast<Match*>(arg))(*e) ? True : False;
  };
  const auto deadline = Clock::now() + kPatience;
  while (!XCheckIfEvent(display, &event, predicate, reinterpret_cast<XPointer>(&match))) {
    if (Clock::now() > deadline) return false;
    pollfd fd{ConnectionNumber(display), POLLIN, 0};
    poll(&fd, 1, 20);
  }
  return true;
}

}  // namespace

struct TX11Clipboard::State {
  // An INCR transfer to a requestor: `sent` bytes of `data` are out; each deletion of the
  // property asks for the next step, and after the last one an empty step ends it.
  struct Transfer {
    ::Window requestor;
    Atom property;
    Atom type;
    std::shared_ptr<const std::string> data;
    std::size_t sent = 0;
    Clock::time_point last_step;
  };

  Display* display;
  ::Window window = 0;
  Atom clipboard;
  Atom targets;
  Atom timestamp;
  Atom utf8_string;
  Atom text_target;
  Atom incr;
  Atom transfer;
  Atom time_probe;
  // The text of our copy, shared with the transfers under way, which finish with the text
  // they started with even when a new copy is made meanwhile.
  std::shared_ptr<const std::string> text = std::make_shared<const std::string>();
  bool owned = false;
  Time owned_since = CurrentTime;
  std::size_t request_bytes;  // the most data one ChangeProperty may carry on this server
  std::size_t step_bytes;     // an INCR step: fits a request even without big requests
  std::vector<Transfer> transfers;
  // What we selected on the requestors' windows before their transfers (nothing, unless a
  // requestor names a window of our own), given back when their last transfer ends.
  std::map<::Window, long> requestor_masks;

  explicit State(Display* d)
      : display(d),
        clipboard(XInternAtom(d, "CLIPBOARD", False)),
        targets(XInternAtom(d, "TARGETS", False)),
        timestamp(XInternAtom(d, "TIMESTAMP", False)),
        utf8_string(XInternAtom(d, "UTF8_STRING", False)),
        text_target(XInternAtom(d, "TEXT", False)),
        incr(XInternAtom(d, "INCR", False)),
        transfer(XInternAtom(d, "VANTOR_CLIPBOARD", False)),
        time_probe(XInternAtom(d, "VANTOR_TIME", False)) {
    // A ChangeProperty request spends 24 bytes on itself, 28 as a big request.
    const long big = XExtendedMaxRequestSize(d);
    request_bytes = static_cast<std::size_t>((big > 0 ? big : XMaxRequestSize(d)) * 4 - 28);
    step_bytes = static_cast<std::size_t>(XMaxRequestSize(d) * 4 - 28);
    window = XCreateSimpleWindow(d, DefaultRootWindow(d), -1, -1, 1, 1, 0, 0, 0);
    XSelectInput(d, window, PropertyChangeMask);
  }

  ~State() { XDestroyWindow(display, window); }

  // The server's time now, read from the notice of an empty append to a property of our
  // own that serves nothing else (an older notice would tell an older time).
  Time ServerTime() {
    XChangeProperty(display, window, time_probe, XA_STRING, 8, PropModeAppend, nullptr, 0);
    XEvent e;
    const bool seen = WaitForEvent(display, e, [&](const XEvent& x) {
      return x.type == PropertyNotify && x.xproperty.window == window && x.xproperty.atom == time_probe;
    });
    return seen ? e.xproperty.time : CurrentTime;
  }

  // ---- the owner's side ----

  void Answer(const XSelectionRequestEvent& r) {
    EndAbandoned();
    // A requestor that names no property is an old one: the target names the property.
    const Atom property = r.property != None ? r.property : r.target;
    TX11ErrorTrap trap(display);
    bool converted = r.selection == clipboard && owned && Convert(r.requestor, r.target, property);
    if (trap.Failed()) {
      converted = false;
      EndTransfers(r.requestor, property);
    }
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.requestor = r.requestor;
    reply.selection = r.selection;
    reply.target = r.target;
    reply.property = converted ? property : None;
    reply.time = r.time;
    XSendEvent(display, r.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
  }

  // Writes our text as `target` to the requestor's property; false for a target we do not
  // offer.
  bool Convert(::Window requestor, Atom target, Atom property) {
    if (target == targets) {
      const Atom offered[] = {targets, timestamp, utf8_string, XA_STRING, text_target};
      XChangeProperty(display, requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(offered), std::size(offered));
      return true;
    }
    if (target == timestamp) {
      const long time = static_cast<long>(owned_since);
      XChangeProperty(display, requestor, property, XA_INTEGER, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(&time), 1);
      return true;
    }
    if (target == utf8_string) return Put(requestor, property, utf8_string, text);
    if (target != XA_STRING && target != text_target) return false;
    auto latin1 = std::make_shared<std::string>();
    const bool whole = Utf8ToLatin1(*text, *latin1);
    // TEXT leaves the encoding to us: Latin-1, which every client reads, when it says it all.
    if (target == text_target && !whole) return Put(requestor, property, utf8_string, text);
    return Put(requestor, property, XA_STRING, std::move(latin1));
  }

  bool Put(::Window requestor, Atom property, Atom type, std::shared_ptr<const std::string> data) {
    if (data->size() <= request_bytes) {
      XChangeProperty(display, requestor, property, type, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(data->data()), static_cast<int>(data->size()));
      return true;
    }
    // Too large for one request: the property announces the size under the type INCR, and
    // the requestor's deletions of it (and its window's end) are watched from now on.
    if (!requestor_masks.contains(requestor)) {
      XWindowAttributes attributes{};
      const bool known = XGetWindowAttributes(display, requestor, &attributes) != 0;
      requestor_masks[requestor] = known ? attributes.your_event_mask : NoEventMask;
    }
    XSelectInput(display, requestor, requestor_masks[requestor] | PropertyChangeMask | StructureNotifyMask);
    const long size = static_cast<long>(data->size());
    XChangeProperty(display, requestor, property, incr, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&size), 1);
    // A request again for the same property starts over.
    std::erase_if(transfers, [&](const Transfer& t) { return t.requestor == requestor && t.property == property; });
    transfers.push_back({requestor, property, type, std::move(data), 0, Clock::now()});
    return true;
  }

  // The requestor deleted the property: the next step goes out; after the last bytes an
  // empty step tells that the data is complete.
  void Step(std::size_t index) {
    Transfer& t = transfers[index];
    const std::size_t n = std::min(step_bytes, t.data->size() - t.sent);
    TX11ErrorTrap trap(display);
    XChangeProperty(display, t.requestor, t.property, t.type, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(t.data->data() + t.sent), static_cast<int>(n));
    t.sent += n;
    t.last_step = Clock::now();
    if (n == 0 || trap.Failed()) EndTransfers(t.requestor, t.property);
  }

  // Forgets the transfers to `property` of `requestor` (every one of its properties when
  // `property` is None), and stops watching a requestor that has no transfer left.
  void EndTransfers(::Window requestor, Atom property, bool window_gone = false) {
    std::erase_if(transfers, [&](const Transfer& t) {
      return t.requestor == requestor && (property == None || t.property == property);
    });
    const bool watched =
        std::any_of(transfers.begin(), transfers.end(), [&](const Transfer& t) { return t.requestor == requestor; });
    if (watched) return;
    const auto mask = requestor_masks.find(requestor);
    if (mask == requestor_masks.end()) return;
    const long before = mask->second;
    requestor_masks.erase(mask);
    if (window_gone) return;
    TX11ErrorTrap trap(display);
    XSelectInput(display, requestor, before);
  }

  void EndAbandoned() {
    const auto now = Clock::now();
    std::vector<std::pair<::Window, Atom>> abandoned;
    for (const Transfer& t : transfers) {
      if (now - t.last_step > kAbandoned) abandoned.emplace_back(t.requestor, t.property);
    }
    for (const auto& [requestor, property] : abandoned) EndTransfers(requestor, property);
  }

  std::optional<std::size_t> TransferTo(::Window requestor, Atom property) const {
    for (std::size_t i = 0; i < transfers.size(); ++i) {
      if (transfers[i].requestor == requestor && transfers[i].property == property) return i;
    }
    return std::nullopt;
  }

  // ---- the requestor's side ----

  // Our property `property`, read whole in pieces and deleted with the last piece.
  Property Read(Atom property) {
    Property p;
    for (long offset = 0;;) {
      Atom type = None;
      int format = 0;
      unsigned long count = 0;
      unsigned long after = 0;
      unsigned char* data = nullptr;
      if (XGetWindowProperty(display, window, property, offset, kReadUnits, True, AnyPropertyType, &type, &format,
                             &count, &after, &data) != Success) {
        return {};
      }
      const std::unique_ptr<unsigned char, int (*)(void*)> owned_data(data, XFree);
      p.type = type;
      p.format = format;
      if (type == None) return p;
      if (type == incr) return p;  // its value, a lower bound of the size, says little
      if (format != 8) return {};  // no text comes in 16- or 32-bit units
      p.bytes.append(reinterpret_cast<const char*>(data), count);
      if (after == 0) return p;
      offset += static_cast<long>(count / 4);
    }
  }

  // Asks the owner for `target`: the answer's property whole; a property of type None when
  // the owner refuses the target; nothing when it stops answering.
  std::optional<Property> Fetch(Atom target, Time time) {
    XDeleteProperty(display, window, transfer);  // what an answer that came too late left
    XConvertSelection(display, clipboard, target, transfer, window, time);
    XEvent e;
    const bool answered = WaitForEvent(display, e, [&](const XEvent& x) {
      return x.type == SelectionNotify && x.xselection.requestor == window && x.xselection.selection == clipboard &&
             x.xselection.target == target;
    });
    if (!answered) return std::nullopt;
    if (e.xselection.property == None) return Property{};
    Property p = Read(e.xselection.property);
    if (p.type != incr) return p;
    return ReadIncrementally(e.xselection.property);
  }

  // Reading the INCR property deleted it, which asked for the first step. Each step is a
  // new value of the property; an empty one ends the transfer. A notice may come for a value
  // read already (the INCR announcement's own, or a step read before its notice came): the
  // property is gone then, and the notice is passed over.
  std::optional<Property> ReadIncrementally(Atom property) {
    Property whole;
    while (true) {
      XEvent e;
      const bool stepped = WaitForEvent(display, e, [&](const XEvent& x) {
        return x.type == PropertyNotify && x.xproperty.window == window && x.xproperty.atom == property &&
               x.xproperty.state == PropertyNewValue;
      });
      if (!stepped) return std::nullopt;
      Property step = Read(property);
      if (step.type == None) continue;
      if (step.format != 8) return std::nullopt;
      whole.type = step.type;
      whole.format = 8;
      if (step.bytes.empty()) return whole;
      whole.bytes += step.bytes;
    }
  }

  // The text of a property: UTF-8 as it is, Latin-1 turned into UTF-8, and any other
  // encoding (COMPOUND_TEXT, as an answer to TEXT) through Xlib's conversion.
  std::string Decode(const Property& p) {
    if (p.type == utf8_string) return p.bytes;
    if (p.type == XA_STRING) return Latin1ToUtf8(p.bytes);
    XTextProperty value{reinterpret_cast<unsigned char*>(const_cast<char*>(p.bytes.data())), p.type, 8,
                        p.bytes.size()};
    char** list = nullptr;
    int count = 0;
    if (Xutf8TextPropertyToTextList(display, &value, &list, &count) < Success || list == nullptr) return {};
    std::string text;
    for (int i = 0; i < count; ++i) text += list[i];
    XFreeStringList(list);
    return text;
  }
};

TX11Clipboard::TX11Clipboard(Display* display) : state_(std::make_unique<State>(display)) {}

TX11Clipboard::~TX11Clipboard() = default;

void TX11Clipboard::SetText(const std::string& text, unsigned long time) {
  State& s = *state_;
  s.text = std::make_shared<const std::string>(text);
  s.owned_since = time != CurrentTime ? time : s.ServerTime();
  XSetSelectionOwner(s.display, s.clipboard, s.window, s.owned_since);
  s.owned = XGetSelectionOwner(s.display, s.clipboard) == s.window;
}

std::string TX11Clipboard::Text(unsigned long time) {
  State& s = *state_;
  if (s.owned) return *s.text;
  if (XGetSelectionOwner(s.display, s.clipboard) == None) return {};
  for (Atom target : {s.utf8_string, static_cast<Atom>(XA_STRING), s.text_target}) {
    const std::optional<Property> p = s.Fetch(target, time);
    if (!p) return {};
    if (p->type != None) return s.Decode(*p);
  }
  return {};
}

bool TX11Clipboard::Handle(XEvent& e) {
  State& s = *state_;
  switch (e.type) {
    case SelectionRequest:
      if (e.xselectionrequest.owner != s.window) return false;
      s.Answer(e.xselectionrequest);
      return true;
    case SelectionClear:
      if (e.xselectionclear.window != s.window) return false;
      // A loss we made good since (a new copy taken after another client's) comes late:
      // the server says who owns the selection now.
      s.owned = XGetSelectionOwner(s.display, s.clipboard) == s.window;
      return true;
    case PropertyNotify: {
      const std::optional<std::size_t> t = s.TransferTo(e.xproperty.window, e.xproperty.atom);
      if (t && e.xproperty.state == PropertyDelete) s.Step(*t);
      return t.has_value() || e.xproperty.window == s.window;
    }
    case DestroyNotify: {
      const ::Window gone = e.xdestroywindow.window;
      if (!std::any_of(s.transfers.begin(), s.transfers.end(), [&](const auto& t) { return t.requestor == gone; })) {
        return false;
      }
      s.EndTransfers(gone, None, true);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace vantor
