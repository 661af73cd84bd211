// Writes the sample database used by the examples, tests and benchmarks.
//   make_sample_db <file> [customers [orders]]     default 2000 customers, 10000 orders
//   make_sample_db <file> --large                  a million customers, two million orders

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/data/sample_database.h"
#include "platform/rtl/exceptions.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <file> [customers [orders] | --large]\n", argv[0]);
    return 2;
  }
  int customers = 2000;
  int orders = 10000;
  if (argc >= 3 && std::string(argv[2]) == "--large") {
    customers = 1000000;
    orders = 2000000;
  } else {
    if (argc >= 3) customers = std::atoi(argv[2]);
    if (argc >= 4) orders = std::atoi(argv[3]);
  }
  if (customers < 0 || orders < 0) {
    std::fprintf(stderr, "counts must not be negative\n");
    return 2;
  }
  try {
    vantor::CreateSampleDatabase(argv[1], customers, orders);
  } catch (const vantor::Exception& e) {
    std::fprintf(stderr, "%s\n", e.Message().c_str());
    return 1;
  }
  std::printf("%s: %d customers, %d orders\n", argv[1], customers, orders);
  return 0;
}
