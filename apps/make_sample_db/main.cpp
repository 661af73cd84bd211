// Writes the sample database used by the examples, tests and benchmarks.
//   make_sample_db <file> [customers [orders]]     default 2000 customers, 10000 orders
//   make_sample_db <file> --large                  a million customers, two million orders

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <vantor/platform/data/sample_database.h>
#include <vantor/platform/rtl/exceptions.h>

namespace {

void Usage(std::FILE* to, const char* program) {
  std::fprintf(to,
               "Usage: %s FILE [CUSTOMERS [ORDERS] | --large]\n"
               "Writes the sample database (tables customers and orders) to FILE, which must not\n"
               "exist yet. Defaults: 2000 customers and 10000 orders; --large writes a million\n"
               "customers and two million orders.\n",
               program);
}

// A whole number of at least 0, or -1.
long Count(const char* text) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  return end == text || *end != 0 || v < 0 || v > 100'000'000 ? -1 : v;
}

}  // namespace

int main(int argc, char** argv) {
  const char* program = argc > 0 ? argv[0] : "make_sample_db";
  if (argc < 2) {
    Usage(stderr, program);
    return 2;
  }
  const std::string first = argv[1];
  if (first == "--help" || first == "-h") {
    Usage(stdout, program);
    return 0;
  }
  // A file name that looks like an option is a mistake far more often than a wish.
  if (first.starts_with("-")) {
    std::fprintf(stderr, "%s: unknown option '%s'\n", program, argv[1]);
    Usage(stderr, program);
    return 2;
  }
  if (std::filesystem::exists(first)) {
    std::fprintf(stderr, "%s: %s exists already; give the name of a new file\n", program, argv[1]);
    return 2;
  }
  int customers = 2000;
  int orders = 10000;
  if (argc >= 3 && std::string(argv[2]) == "--large") {
    customers = 1000000;
    orders = 2000000;
  } else {
    if (argc >= 3) customers = static_cast<int>(Count(argv[2]));
    if (argc >= 4) orders = static_cast<int>(Count(argv[3]));
  }
  if (customers < 0 || orders < 0 || argc > 4) {
    std::fprintf(stderr, "%s: the counts are whole numbers from 0 to 100000000\n", program);
    Usage(stderr, program);
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
