#pragma once
// A message box as a window of its own: a modal form with the box's text and one button
// per choice, shown when a real window host is installed, where no scripted user is
// there to answer. The person's click answers; the close box answers Cancel (or No)
// where the box offers it, and is refused where it offers neither, since the box's
// caller must get one of its own choices back.

#include <vantor/platform/ui/message_dialogs.h>

namespace vantor {

// Shows the box modally and returns the modal result of the chosen button.
TModalResult ShowMessageForm(const TMessageBoxRecord& box);

}  // namespace vantor
