#pragma once
// TX11Clipboard: the CLIPBOARD selection, kept the way other X programs expect of its owner
// and of its requestors. It owns the selection through an unmapped window of its own, so a
// copy outlives the form it was made in.
//
// As the owner it answers TARGETS, TIMESTAMP, UTF8_STRING, STRING (Latin-1) and TEXT;
// writes the answer to the property named after the target when the requestor names none
// (older clients do); and hands data larger than one request over in INCR steps, one step
// each time the requestor deletes the property. As a requestor it asks for UTF8_STRING,
// then STRING, then TEXT, reads the answer whole however large it is, and takes INCR
// transfers step by step. Requests that name another client's window run inside an error
// trap (x11_error_trap.h): that window may be gone by the time they reach the server.

#include <memory>
#include <string>

struct _XDisplay;  // Xlib's Display and XEvent, kept out of this header with its macros
union _XEvent;

namespace vantor {

class TX11Clipboard {
 public:
  explicit TX11Clipboard(_XDisplay* display);
  ~TX11Clipboard();
  TX11Clipboard(const TX11Clipboard&) = delete;
  TX11Clipboard& operator=(const TX11Clipboard&) = delete;

  // Takes the selection with `text`. `time` is the server time of the user's event that
  // asked for the copy; 0 (CurrentTime) when there is none, and the server's now is asked.
  void SetText(const std::string& text, unsigned long time);
  // The selection's text as UTF-8: ours while we own it, else the owner's answer, waited
  // for as long as the owner keeps making progress; empty when there is no owner, it has
  // no text, or it stops answering (a part of a transfer is never returned).
  std::string Text(unsigned long time);
  // Handles the events that belong to the selection: requests, the loss of the selection,
  // the steps of transfers under way. False for every other event, left to the caller.
  bool Handle(_XEvent& event);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace vantor
