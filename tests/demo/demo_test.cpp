// The demo application: headless (a screenshot of the filtered table) and in a real window
// on a virtual X server started by the test, driven by real X key events.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "demo/demo_form.h"
#include "support/virtual_display.h"
#include <vantor/dialogs/filter_dialog.h>
#include <vantor/dialogs/filter_form.h>
#include <vantor/dialogs/find_dialog.h>
#include <vantor/engines/filter_panel.h>
#include <vantor/platform/data/sample_database.h>
#include <vantor/platform/ui/application.h>
#include <vantor/platform/ui/button.h>
#include <vantor/platform/ui/check_box.h>
#include <vantor/platform/ui/keyboard_input.h>
#include <vantor/platform/ui/mask_edit.h>
#include <vantor/platform/ui/raster/raster_image.h>
#include <vantor/platform/ui/raster/render.h>
#include <vantor/platform/ui/scripted_user.h>

namespace vantor {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::Process;
using testing::RunToEnd;
using testing::Which;

// A sample database of 3000 customers, written once for the whole program.
const std::string& TestDatabase() {
  static const std::string path = [] {
    const fs::path p = fs::temp_directory_path() / ("vantor_demo_test_" + std::to_string(::getpid()) + ".db");
    CreateSampleDatabase(p.string(), 3000, 10);
    return p.string();
  }();
  return path;
}

struct DatabaseCleanup : ::testing::Environment {
  void TearDown() override { fs::remove(TestDatabase()); }
};
const auto* const kCleanup = ::testing::AddGlobalTestEnvironment(new DatabaseCleanup);

// The count the filter gives headless when `text` is typed into the first filter field.
int HeadlessCount(const std::string& text) {
  TDemoForm form(TestDatabase(), "customers");
  form.Show();
  TypeText(form.FirstFilterEdit(), text);
  const int count = form.Table().RecordCount();
  form.Hide();
  return count;
}

TEST(Demo, TypingANamePrefixFiltersAndTheScreenshotShowsIt) {
  TDemoForm form(TestDatabase(), "customers");
  form.Show();
  const int all = form.Table().RecordCount();
  ASSERT_EQ(all, 3000);
  TypeText(form.FirstFilterEdit(), "Ber");
  const int filtered = form.Table().RecordCount();
  EXPECT_GT(filtered, 0);
  EXPECT_LT(filtered, all);
  EXPECT_NE(form.StatusText().find(std::to_string(filtered) + " records"), std::string::npos) << form.StatusText();
  for (form.Table().First(); !form.Table().Eof(); form.Table().Next()) {
    const std::string name = form.Table().FieldByName("name")->AsString();
    ASSERT_TRUE(name.size() >= 3 && (name.compare(0, 3, "Ber") == 0 || name.compare(0, 3, "ber") == 0 ||
                                     name.compare(0, 3, "BER") == 0))
        << name;
  }
  const fs::path png = fs::temp_directory_path() / "vantor_demo_test.png";
  SaveControlToPng(form, png.string());
  const TRasterImage image = TRasterImage::LoadPng(png.string());
  fs::remove(png);
  EXPECT_EQ(image.Width(), form.Width());
  EXPECT_EQ(image.Height(), form.Height());
  form.Hide();
}

// The number of records whose `field` text is `value`, walking the table as it stands.
int CountWhere(TDataSet& table, const std::string& field, const std::string& value) {
  int count = 0;
  for (table.First(); !table.Eof(); table.Next()) count += table.FieldByName(field)->AsString() == value;
  return count;
}

TEST(Demo, TheFilterDialogAndThePanelFilterTheTableWhicheverWasUsedLast) {
  TDemoForm form(TestDatabase(), "customers");
  form.Show();
  form.Table().First();
  const std::string city = form.Table().FieldByName("city")->AsString();
  const int in_city = CountWhere(form.Table(), "city", city);
  ASSERT_GT(in_city, 0);
  ASSERT_LT(in_city, 3000);

  ScriptedUser()
      .Run([&](TForm& dialog) {
        TFieldRecord* record = form.FilterDialog()->FieldByName("city");
        record->SetCompare(ctExact);
        record->SetCaseInsensitive(false);
        record->SetValues(0, Variant(city));
        TCheckBox* box = static_cast<TfmFilter&>(dialog).cbFiltered;
        if (!box->Checked()) ClickAt(box, box->Width() / 2, box->Height() / 2);
      })
      .Click("bbOk");
  ClickAt(form.FilterButton(), 10, 10);
  EXPECT_EQ(form.Table().RecordCount(), in_city);
  EXPECT_EQ(CountWhere(form.Table(), "city", city), in_city);
  EXPECT_NE(form.StatusText().find(std::to_string(in_city) + " records"), std::string::npos) << form.StatusText();

  // Typing into the panel gives the table back to the panel's filter.
  TypeText(form.FirstFilterEdit(), "Ber");
  EXPECT_EQ(form.Table().RecordCount(), HeadlessCount("Ber"));

  // The dialog confirmed without "Filtered": the panel's filter holds again.
  ScriptedUser()
      .Run([](TForm& dialog) {
        TCheckBox* box = static_cast<TfmFilter&>(dialog).cbFiltered;
        if (box->Checked()) ClickAt(box, box->Width() / 2, box->Height() / 2);
      })
      .Click("bbOk");
  ClickAt(form.FilterButton(), 10, 10);
  EXPECT_EQ(form.Table().RecordCount(), HeadlessCount("Ber"));
  form.Hide();
}

TEST(Demo, TheFindDialogMovesToTheFirstRecordWithTheName) {
  TDemoForm form(TestDatabase(), "customers");
  form.Show();
  form.Table().Last();
  const std::string name = form.Table().FieldByName("name")->AsString();
  form.Table().First();
  ScriptedUser()
      .Run([&](TForm&) {
        TFieldRecord* record = form.FindDialog()->FieldByName("name");
        record->SetCompare(ctExact);
        record->SetValues(0, Variant(name));
      })
      .Click("bbOk");
  ClickAt(form.FindButton(), 10, 10);
  EXPECT_EQ(form.Table().FieldByName("name")->AsString(), name);
  EXPECT_TRUE(Application->MessageBoxes().empty());
  form.Hide();
}

// --- The real window ---

std::map<std::string, std::string> ReadReport(const fs::path& path) {
  std::map<std::string, std::string> values;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    const auto eq = line.find('=');
    if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return values;
}

// Waits until the report shows `text` and its count has stayed the same for a moment (the
// grid has settled); the last report read.
std::map<std::string, std::string> WaitForText(const fs::path& report, const std::string& text) {
  std::map<std::string, std::string> last;
  int steady = 0;
  for (auto deadline = std::chrono::steady_clock::now() + 30s; std::chrono::steady_clock::now() < deadline;) {
    auto now = ReadReport(report);
    steady = (now == last && now["text"] == text) ? steady + 1 : 0;
    last = now;
    if (steady >= 5) break;
    std::this_thread::sleep_for(100ms);
  }
  return last;
}

TEST(DemoWindow, TypedKeysFilterLikeHeadlessAndAccentedLettersArrive) {
  const std::string xvfb = Which("Xvfb");
  if (xvfb.empty()) GTEST_SKIP() << "Xvfb is not installed (make deps installs it): no real-window test";
  ASSERT_FALSE(Which("xdotool").empty()) << "xdotool is missing (make deps installs it)";
  testing::VirtualDisplay display(xvfb);
  ASSERT_TRUE(display.Ready()) << "Xvfb did not start";
  const std::map<std::string, std::string> env = display.Environment();
  const fs::path report = fs::temp_directory_path() / ("vantor_demo_report_" + std::to_string(::getpid()));
  fs::remove(report);
  Process demo({VANTOR_DEMO_PROGRAM, "--db", TestDatabase(), "--table", "customers", "--report", report.string()},
               env);
  ASSERT_TRUE(demo.Started());
  ASSERT_EQ(RunToEnd({"xdotool", "search", "--sync", "--name", "Vantor demo", "windowfocus", "--sync"}, env), 0);
  ASSERT_EQ(WaitForText(report, "")["count"], "3000") << "the window shows the whole table first";

  ASSERT_EQ(RunToEnd({"xdotool", "type", "--delay", "40", "Ber"}, env), 0);
  auto seen = WaitForText(report, "Ber");
  EXPECT_EQ(seen["text"], "Ber");
  EXPECT_EQ(seen["count"], std::to_string(HeadlessCount("Ber")));
  EXPECT_NE(seen["count"], "3000");

  // xdotool types a letter that is not on the keyboard map by mapping it to a spare key for
  // the length of the delay; a long one leaves a busy client time to read the new map.
  ASSERT_EQ(RunToEnd({"xdotool", "type", "--delay", "800", "é"}, env), 0);
  seen = WaitForText(report, "Beré");
  EXPECT_EQ(seen["text"], "Beré") << "the accented letter arrived as a character";
  EXPECT_EQ(seen["count"], std::to_string(HeadlessCount("Beré")));
  EXPECT_TRUE(demo.Running());
  fs::remove(report);
}

}  // namespace
}  // namespace vantor
