#pragma once
// TWaitCursor: shows the hourglass on the screen for the length of a scope when asked
// to (a panel's ChangeCursor), and puts the default cursor back on every exit path.

#include <vantor/platform/ui/screen.h>

namespace vantor {

class TWaitCursor {
 public:
  explicit TWaitCursor(bool active) : active_(active) {
    if (active_) Screen->SetCursor(crHourGlass);
  }
  ~TWaitCursor() {
    if (active_) Screen->SetCursor(crDefault);
  }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;

 private:
  bool active_;
};

}  // namespace vantor
