// qbe: find or filter the records of a SQLite table by example, from the command line.
// See --help, or qbe_args.cpp for the syntax.

#include <exception>
#include <iostream>
#include <string>

#include "platform/rtl/exceptions.h"
#include "qbe_args.h"
#include "qbe_run.h"

int main(int argc, char** argv) {
  const char* program = argc > 0 ? argv[0] : "qbe";
  try {
    const qbe::Options options = qbe::ParseArguments(argc, argv);
    const std::string date_form = qbe::ApplyLocale(options.locale, std::cerr);
    if (options.help) {
      std::cout << qbe::UsageText(program, date_form);
      return 0;
    }
    qbe::Run(options, std::cout, std::cerr);
    return 0;
  } catch (const qbe::UsageError& e) {
    std::cerr << "qbe: " << e.what() << "\n(qbe --help explains the syntax)\n";
    return 2;
  } catch (const qbe::RequestError& e) {
    std::cerr << "qbe: " << e.what() << '\n';
    return 2;
  } catch (const vantor::Exception& e) {
    // The library's messages are sentences for the user; the class name would add nothing.
    std::cerr << "qbe: " << e.Message() << '\n';
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "qbe: " << e.what() << '\n';
    return 1;
  }
}
