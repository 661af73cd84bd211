// designer: designs a form without a window, from a script of commands: drops components
// from the palette, sets their properties through the property editors, runs the fields
// editor and the value list editor, and saves the form as text. See --help.

#include <iostream>
#include <string_view>
#include <vector>

#include "designer_session.h"

int main(int argc, char** argv) {
  std::vector<std::string_view> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return designer::Main(args, argc > 0 ? argv[0] : "designer", std::cout, std::cerr);
}
