// The demo application: headless (a screenshot of the filtered table) and in a real window
// on a virtual X server started by the test, driven by real X key events, beside another
// client that shares the clipboard with it and sends it odd requests and events.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
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
#include <vantor/platform/raster/raster_image.h>
#include <vantor/platform/raster/render.h>
#include <vantor/platform/ui/scripted_user.h>

// Xlib last: its macros (None, Status ...) would otherwise rewrite our headers.
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include "demo/other_client.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using demo::TDemoForm;
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

// --- Other clients on the same display ---

// A text in which every eight-byte word differs, so a step of a transfer lost, doubled or
// out of place shows.
std::string NumberedText(const std::string& head, std::size_t bytes) {
  std::string text = head;
  text.reserve(bytes + 8);
  char word[16];
  for (int i = 0; text.size() < bytes; ++i) {
    std::snprintf(word, sizeof word, "%07d ", i);
    text += word;
  }
  text.resize(bytes);
  return text;
}

// The demo in a window on a display of its own, the whole table shown and the keyboard
// focus in its first filter field, with another client beside it. The demo takes compose
// sequences from the test's file, where one sequence gives a long text.
class DemoAmongOtherClients : public ::testing::Test {
 protected:
  static constexpr const char* kComposed =
      "a composed text longer than the sixty-three bytes an input method lookup gets at first, "
      "with accents: é, ü, ß";

  void SetUp() override {
    const std::string xvfb = Which("Xvfb");
    if (xvfb.empty()) GTEST_SKIP() << "Xvfb is not installed (make deps installs it): no real-window test";
    ASSERT_FALSE(Which("xdotool").empty()) << "xdotool is missing (make deps installs it)";
    display_ = std::make_unique<testing::VirtualDisplay>(xvfb);
    ASSERT_TRUE(display_->Ready()) << "Xvfb did not start";
    const fs::path base = fs::temp_directory_path() / ("vantor_demo_other_" + std::to_string(::getpid()));
    report_ = base.string() + ".report";
    log_ = base.string() + ".log";
    compose_ = base.string() + ".compose";
    std::ofstream(compose_) << "<Multi_key> <v> <t> : \"" << kComposed << "\"\n";
    std::map<std::string, std::string> env = display_->Environment();
    env["XCOMPOSEFILE"] = compose_.string();
    demo_ = std::make_unique<Process>(std::vector<std::string>{VANTOR_DEMO_PROGRAM, "--db", TestDatabase(), "--table",
                                                               "customers", "--report", report_.string()},
                                      env, log_.string());
    ASSERT_TRUE(demo_->Started());
    other_ = std::make_unique<testing::OtherClient>(env["DISPLAY"]);
    ASSERT_NE(other_->display(), nullptr);
    ASSERT_EQ(RunToEnd({"xdotool", "search", "--sync", "--name", "Vantor demo", "windowfocus", "--sync"}, env), 0);
    window_ = other_->FocusedWindow();
    auto shown = WaitForText(report_, "");
    ASSERT_EQ(shown["count"], "3000");
    size_ = shown["size"];
  }

  void TearDown() override {
    demo_.reset();
    for (const fs::path& p : {report_, log_, compose_}) fs::remove(p);
  }

  // Replaces the text of the demo's filter field by a paste of `text`, offered as `target`
  // in INCR steps of `step` bytes (0: in one property); whether it arrived whole.
  // `expected` is the text the demo should show when it is not `text` itself; `type` is
  // the answer's type when it is not the target.
  bool PasteIntoDemo(const std::string& text, Atom target, std::size_t step = 0, const std::string& expected = "",
                     Atom type = None) {
    other_->Offer(text, target, step, type);
    other_->Key(XK_Home);
    other_->Key(XK_End, false, true);
    other_->Key(XK_v, true);
    const std::string& arrives = expected.empty() ? text : expected;
    return other_->ServeUntil([&] { return ReadReport(report_)["text"] == arrives; }, 30s);
  }

  // Selects the filter field's text and copies it; whether the demo took the clipboard.
  bool CopyInDemo() {
    other_->Key(XK_Home);
    other_->Key(XK_End, false, true);
    other_->Key(XK_c, true);
    for (auto deadline = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < deadline;) {
      if (!other_->OwnsClipboard()) return true;
      std::this_thread::sleep_for(20ms);
    }
    return false;
  }

  std::string DemoLog() const {
    std::ifstream in(log_);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::unique_ptr<testing::VirtualDisplay> display_;
  fs::path report_;
  fs::path log_;
  fs::path compose_;
  std::unique_ptr<Process> demo_;
  std::unique_ptr<testing::OtherClient> other_;
  Window window_ = 0;
  std::string size_;  // the form's client size as the demo first reported it
};

TEST_F(DemoAmongOtherClients, PastesArriveWholeInOnePropertyOrInIncrStepsAndInEveryTextType) {
  const Atom utf8 = other_->Intern("UTF8_STRING");
  // Six megabytes: more than one read of a property returns (4 MB), less than a big request.
  EXPECT_TRUE(PasteIntoDemo(NumberedText("one ", 6 << 20), utf8)) << "one property of 6 MB";
  EXPECT_TRUE(PasteIntoDemo(NumberedText("steps ", 6 << 20), utf8, 1 << 18)) << "6 MB in INCR steps";
  EXPECT_TRUE(PasteIntoDemo("Caf\xe9 cr\xe8me", XA_STRING, 0, "Café crème")) << "Latin-1 from an older client";
  // An owner that answers TEXT only, in the encoding of its choice (compound text here).
  char zurich[] = "Zürich";
  char* list[] = {zurich};
  XTextProperty compound{};
  ASSERT_EQ(Xutf8TextListToTextProperty(other_->display(), list, 1, XCompoundTextStyle, &compound), Success);
  const std::string bytes(reinterpret_cast<const char*>(compound.value), compound.nitems);
  XFree(compound.value);
  ASSERT_EQ(compound.encoding, other_->Intern("COMPOUND_TEXT"));
  EXPECT_TRUE(PasteIntoDemo(bytes, other_->Intern("TEXT"), 0, "Zürich", compound.encoding)) << "compound text";
  EXPECT_TRUE(demo_->Running());
}

TEST_F(DemoAmongOtherClients, ACopyOfTwentyMegabytesReachesAnotherClientWholeInIncrSteps) {
  const Atom utf8 = other_->Intern("UTF8_STRING");
  const std::string text = NumberedText("copy ", 20 << 20);
  ASSERT_TRUE(PasteIntoDemo(text, utf8, 1 << 18));
  ASSERT_TRUE(CopyInDemo());
  const std::optional<std::string> copy = other_->Request(utf8, other_->Intern("PASTE"));
  ASSERT_TRUE(copy.has_value()) << "the demo refused or did not answer";
  EXPECT_EQ(copy->size(), text.size());
  EXPECT_TRUE(*copy == text) << "the copy arrived changed";
  EXPECT_TRUE(demo_->Running());
}

TEST_F(DemoAmongOtherClients, OldStyleRequestsAreAnsweredAndErrorsOtherClientsCauseAreSurvived) {
  const Atom utf8 = other_->Intern("UTF8_STRING");
  ASSERT_TRUE(PasteIntoDemo("Café €", utf8));
  ASSERT_TRUE(CopyInDemo());
  const std::vector<Atom> targets = other_->Targets();
  for (const char* offered : {"TARGETS", "TIMESTAMP", "UTF8_STRING", "STRING", "TEXT"}) {
    EXPECT_NE(std::find(targets.begin(), targets.end(), other_->Intern(offered)), targets.end()) << offered;
  }
  // An old client names no property: the answer comes in the one named after the target.
  EXPECT_EQ(other_->Request(XA_STRING, None), "Caf\xe9 ?") << "Latin-1, the euro sign replaced";
  EXPECT_EQ(other_->Request(other_->Intern("TEXT"), None), "Café €") << "TEXT as UTF-8: not all of it is Latin-1";

  // A request that names no atom as its property, and a requestor gone before the answer:
  // the demo's answers fail with BadAtom and BadWindow.
  XEvent request{};
  request.xselectionrequest = {SelectionRequest, 0, True, other_->display(),
                               XGetSelectionOwner(other_->display(), other_->Intern("CLIPBOARD")),
                               DefaultRootWindow(other_->display()), other_->Intern("CLIPBOARD"), utf8,
                               0x1FFFFFFF, CurrentTime};
  XSendEvent(other_->display(), request.xselectionrequest.owner, False, NoEventMask, &request);
  other_->RequestAndVanish(utf8);
  for (auto deadline = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < deadline;) {
    if (DemoLog().find("BadWindow") != std::string::npos) break;
    std::this_thread::sleep_for(50ms);
  }
  const std::string log = DemoLog();
  EXPECT_NE(log.find("caused by another client, survived: BadAtom"), std::string::npos) << log;
  EXPECT_NE(log.find("caused by another client, survived: BadWindow"), std::string::npos) << log;
  EXPECT_EQ(other_->Request(utf8, other_->Intern("PASTE")), "Café €") << "the demo still answers";
  EXPECT_TRUE(demo_->Running());
}

TEST_F(DemoAmongOtherClients, EventsWithFieldsOutOfRangeArePassedOver) {
  Display* x = other_->display();
  auto send = [&](XEvent e) { XSendEvent(x, window_, False, NoEventMask, &e); };
  XEvent e{};
  // Buttons no mouse has, a release of button 0 while a press holds the capture, key codes
  // outside the keyboard's range, every modifier bit, coordinates far off the window.
  for (unsigned int button : {0u, 1u, 6u, 255u, 0xFFFFFFFFu}) {
    e.xbutton = {ButtonPress, 0, True, x, window_, DefaultRootWindow(x), 0, CurrentTime, -900, -900, 0, 0, 0xFFFF,
                 button, True};
    send(e);
    e.xbutton.type = ButtonRelease;
    e.xbutton.button = 0;
    send(e);
  }
  for (unsigned int keycode : {0u, 7u, 255u}) {
    e.xkey = {KeyPress, 0, True, x, window_, DefaultRootWindow(x), 0, CurrentTime, -30000, 30000, 0, 0, 0xFFFF, keycode,
              True};
    send(e);
  }
  e.xmotion = {MotionNotify, 0, True, x, window_, DefaultRootWindow(x), 0, CurrentTime, -32768, 32767, 0, 0, 0xFFFF,
               0, True};
  send(e);
  // A size no window can have: only the server's own notices resize the form.
  e.xconfigure = {ConfigureNotify, 0, True, x, window_, window_, -5, -5, 1 << 30, 1 << 30, 0, None, False};
  send(e);
  e.xclient = {ClientMessage, 0, True, x, window_, other_->Intern("WM_PROTOCOLS"), 8, {}};
  send(e);
  XSync(x, False);

  other_->Key(XK_B, false, true);
  other_->Key(XK_e);
  other_->Key(XK_r);
  auto seen = WaitForText(report_, "Ber");
  EXPECT_EQ(seen["text"], "Ber") << "the demo still takes keys";
  EXPECT_EQ(seen["count"], std::to_string(HeadlessCount("Ber")));
  EXPECT_EQ(seen["size"], size_) << "the form kept the size of its window";
  EXPECT_TRUE(demo_->Running()) << DemoLog();
}

TEST_F(DemoAmongOtherClients, AnInputMethodTextLongerThanTheFirstBufferArrivesWhole) {
  // The input method here is Xlib's own, composing from the test's file: Multi_key, v, t.
  other_->MapSpareKey(XK_Multi_key);
  for (KeySym key : {XK_Multi_key, XK_v, XK_t}) other_->Key(key);
  EXPECT_EQ(WaitForText(report_, kComposed)["text"], kComposed);
  EXPECT_TRUE(demo_->Running());
}

}  // namespace
}  // namespace vantor
