// designer: designs a form as a developer does in a form designer: drops components from
// the palette, sets their properties through the property editors, runs the fields
// editor and the value list editor, and saves the form as text. From a script of
// commands, or in a window (--window, or no arguments at all where a display is there).
// See --help.

#include <cstdlib>
#include <iostream>
#include <string_view>
#include <vector>

#include "designer_session.h"
#include "designer_window.h"

int main(int argc, char** argv) {
  std::vector<std::string_view> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  const std::string_view program = argc > 0 ? argv[0] : "designer";
  const char* display = std::getenv("DISPLAY");
  if (args.empty() && display != nullptr && *display != 0) args.emplace_back("--window");
  if (designer::WantsWindow(args)) return designer::WindowMain(args, program, std::cout, std::cerr);
  return designer::Main(args, program, std::cout, std::cerr);
}
