#pragma once
// Captions of labels, buttons and menu items mark their accelerator letter with '&';
// "&&" stands for one ampersand.

#include <string>
#include <string_view>

namespace vantor {

// Caption text without its accelerator marks: "&Copy" is "Copy", "Save && E&xit" is
// "Save & Exit".
std::string StripHotkey(std::string_view caption);

}  // namespace vantor
