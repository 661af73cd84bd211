// The demo application: the customers of the sample database (or any SQLite table) in a
// grid under a filter panel and a find panel, in a window when a display is there.
//
//   demo [--db FILE] [--table NAME] [--type TEXT] [--screenshot FILE.png] [--report FILE]

#include <clocale>
#include <cstring>
#include <iostream>
#include <string>

#include "demo/demo_form.h"
#include <vantor/platform/data/sample_database.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/ui/application.h>
#include <vantor/platform/ui/keyboard_input.h>
#include <vantor/platform/ui/mask_edit.h>
#include <vantor/platform/raster/render.h>
#include <vantor/platform/x11/x11_host.h>

namespace {

constexpr const char* kUsage =
    "usage: demo [--db FILE] [--table NAME] [--type TEXT] [--screenshot FILE.png] [--report FILE]\n"
    "  --db FILE          an SQLite database (default: the sample database, made on first use)\n"
    "  --table NAME       the table or view to show (default: customers)\n"
    "  --type TEXT        types TEXT into the first filter field at start\n"
    "  --screenshot FILE  renders the main form to a PNG file without a display, and exits\n"
    "  --report FILE      keeps the record count, the first filter field's text and the form's size in FILE\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace vantor;
  std::string db;
  std::string table = "customers";
  std::string screenshot;
  std::string report;
  std::string typed;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) {
        std::cerr << "demo: " << arg << " needs a value\n" << kUsage;
        std::exit(2);
      }
      out = argv[++i];
    };
    if (arg == "--db") value(db);
    else if (arg == "--table") value(table);
    else if (arg == "--screenshot") value(screenshot);
    else if (arg == "--report") value(report);
    else if (arg == "--type") value(typed);
    else if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    } else {
      std::cerr << "demo: unknown argument " << arg << "\n" << kUsage;
      return 2;
    }
  }
  try {
    if (db.empty()) {
      db = SampleDatabasePath();
      EnsureSampleDatabase(db, [](const std::string& path) {
        std::cerr << "demo: generating the sample database at " << path << " (first run)...\n";
      });
    }
    // The input method turns key strokes into UTF-8 text only under a UTF-8 character
    // type; the environment's, or C.UTF-8 when it names none.
    const char* ctype = std::setlocale(LC_CTYPE, "");
    if (ctype == nullptr || std::strcmp(ctype, "C") == 0 || std::strcmp(ctype, "POSIX") == 0) {
      std::setlocale(LC_CTYPE, "C.UTF-8");
    }
    // The window host only when a window is wanted and a display is there.
    std::unique_ptr<TX11Host> host = screenshot.empty() ? InstallX11HostIfDisplay() : nullptr;
    if (host) {
      // Other programs on the display can make our requests fail (a window gone before we
      // answer it); the host survives that, and the demo says so on its error output.
      host->SetErrorObserver([](const TX11Error& e) {
        std::cerr << "demo: X error " << (e.foreign ? "caused by another client, survived: " : "of our own: ")
                  << e.text << "\n";
      });
    }
    demo::TDemoForm form(db, table);
    form.SetReportFile(report);
    if (!screenshot.empty()) {
      form.Show();
      if (!typed.empty()) TypeText(form.FirstFilterEdit(), typed);
      Application->ProcessMessages();
      SaveControlToPng(form, screenshot);
      std::cout << "demo: " << screenshot << " written (" << form.StatusText().substr(2) << ")\n";
      return 0;
    }
    if (!host) {
      std::cerr << "demo: no display (DISPLAY is not set or cannot be opened).\n"
                   "      For a picture of the form without one: demo --screenshot demo.png\n";
      return 1;
    }
    if (!typed.empty()) {
      form.Show();
      TypeText(form.FirstFilterEdit(), typed);
      form.Hide();
    }
    form.ShowModal();
    return 0;
  } catch (const vantor::Exception& e) {
    std::cerr << "demo: " << e.Message() << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "demo: " << e.what() << "\n";
    return 1;
  }
}
