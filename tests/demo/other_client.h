#pragma once
// Another program on the demo's display, written with plain Xlib: it types through XTest,
// owns the CLIPBOARD (answering in one property or in INCR steps), asks for it, and does
// what careless or hostile clients do: asks with the property None, vanishes before the
// answer, sends events with fields no server would send.

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <X11/Xlib.h>

namespace vantor::testing {

class OtherClient {
 public:
  explicit OtherClient(const std::string& display_name);
  ~OtherClient();
  OtherClient(const OtherClient&) = delete;
  OtherClient& operator=(const OtherClient&) = delete;

  Display* display() const { return display_; }
  Atom Intern(const char* name) const { return XInternAtom(display_, name, False); }
  // The window with the keyboard focus.
  Window FocusedWindow() const {
    Window window = 0;
    int revert = 0;
    XGetInputFocus(display_, &window, &revert);
    return window;
  }

  // A key stroke through XTest, with Control and Shift held as asked.
  void Key(KeySym key, bool control = false, bool shift = false);
  // Maps a free key code to `key`, for key symbols the keyboard map lacks.
  void MapSpareKey(KeySym key);

  // Owns the CLIPBOARD with `bytes`, offered as the one target `target` and sent in steps
  // of `step` bytes (INCR) when `step` is not zero, else in one property, whose type is
  // `type` (None: the target).
  void Offer(std::string bytes, Atom target, std::size_t step = 0, Atom type = None);
  // Whether the CLIPBOARD is still ours (no other program took it since Offer).
  bool OwnsClipboard() const { return XGetSelectionOwner(display_, Intern("CLIPBOARD")) == window_; }
  // Answers requests for the offered text until `done` is true or `limit` has passed.
  bool ServeUntil(const std::function<bool()>& done, std::chrono::seconds limit);

  // Asks the CLIPBOARD's owner for `target` into `property` (None as older clients ask: the
  // answer then comes in the property named after the target). The whole answer, after
  // INCR steps if the owner takes them; nothing when it refuses or does not answer.
  std::optional<std::string> Request(Atom target, Atom property);
  // The targets the owner offers (its answer to TARGETS).
  std::vector<Atom> Targets();
  // Asks for `target` from a window that is destroyed before the owner can answer.
  void RequestAndVanish(Atom target);

 private:
  bool Next(XEvent& e, const std::function<bool(const XEvent&)>& match, std::chrono::milliseconds limit);
  void Answer(const XSelectionRequestEvent& r);
  std::string ReadProperty(Window window, Atom property, Atom* type);

  Display* display_ = nullptr;
  Window window_ = 0;
  std::string offered_;
  Atom offered_target_ = None;
  Atom offered_type_ = None;
  std::size_t step_ = 0;
  // The INCR transfer under way: requestor, property and how much is out.
  Window incr_window_ = 0;
  Atom incr_property_ = None;
  std::size_t incr_sent_ = 0;
};

}  // namespace vantor::testing
