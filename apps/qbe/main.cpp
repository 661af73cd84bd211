// qbe: find or filter the records of a SQLite table by example, from the command line.
// See --help, or qbe_args.cpp for the syntax.

#include <iostream>
#include <string_view>
#include <vector>

#include "qbe_run.h"

int main(int argc, char** argv) {
  std::vector<std::string_view> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return qbe::Main(args, argc > 0 ? argv[0] : "qbe", std::cout, std::cerr);
}
