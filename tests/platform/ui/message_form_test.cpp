// Message boxes under a real window host: a box with choices shows as a modal window of
// its own and the button the person clicks answers it, where headless a box without a
// scripted answer is the test's mistake.

#include <vantor/platform/ui/message_form.h>

#include <string>
#include <vector>

#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/ui/application.h>
#include <vantor/platform/ui/button.h>
#include <vantor/platform/ui/form.h>
#include <vantor/platform/ui/keyboard_input.h>
#include <vantor/platform/ui/label.h>
#include <vantor/platform/ui/message_dialogs.h>
#include <vantor/platform/ui/scripted_user.h>
#include <vantor/platform/ui/window_host.h>
#include "platform/ui/form_fixture.h"

namespace vantor {
namespace {

// A window host whose person does one thing per wait: clicks the named button of the
// modal window, or (for "close") its close box. What the window showed is kept.
class PersonHost : public TWindowHost {
 public:
  explicit PersonHost(std::vector<std::string> actions) : actions_(std::move(actions)) {}
  void FormShown(TForm&) override {}
  void FormHidden(TForm&) override {}
  void WaitForInput(TForm& modal) override {
    if (next_ >= actions_.size()) throw EScriptError("the window waits for more than the person does");
    caption = modal.Caption();
    text = dynamic_cast<TLabel*>(TScriptedUser::FindControl(modal, "Message"))->Caption();
    buttons.clear();
    for (int i = 0; i < modal.ControlCount(); ++i) {
      if (auto* b = dynamic_cast<TButton*>(modal.Controls(i))) buttons.push_back(b->Caption());
    }
    const std::string& action = actions_[next_++];
    if (action == "close") {
      modal.Perform(WM_CLOSE, 0, 0);
      return;
    }
    TControl* button = TScriptedUser::FindControl(modal, action);
    ClickAt(button, button->Width() / 2, button->Height() / 2);
  }
  void CursorChanged(TCursor) override {}
  void SetClipboardText(const std::string&) override {}
  std::string ClipboardText() override { return {}; }

  std::string caption;
  std::string text;
  std::vector<std::string> buttons;
  std::size_t Used() const { return next_; }

 private:
  std::vector<std::string> actions_;
  std::size_t next_ = 0;
};

// Installs a host for the test's scope.
struct HostGuard {
  explicit HostGuard(TWindowHost* host) { SetWindowHost(host); }
  ~HostGuard() { SetWindowHost(nullptr); }
  HostGuard(const HostGuard&) = delete;
  HostGuard& operator=(const HostGuard&) = delete;
};

class MessageFormTest : public testing::HeadlessTest {};

TEST_F(MessageFormTest, ABoxWithChoicesShowsAsAWindowAndTheClickedButtonAnswers) {
  PersonHost person({"No"});
  const HostGuard guard(&person);
  EXPECT_EQ(MessageDlg("Delete all fields?", mtConfirmation, {mbYes, mbNo}, 0), mrNo);
  EXPECT_EQ(person.caption, "Confirm");
  EXPECT_EQ(person.text, "Delete all fields?");
  EXPECT_EQ(person.buttons, (std::vector<std::string>{"Yes", "No"}));
  ASSERT_EQ(Application->MessageBoxes().size(), 1u);
  EXPECT_EQ(Application->MessageBoxes()[0].result, mrNo) << "the box is recorded with its answer";
}

TEST_F(MessageFormTest, TheCloseBoxAnswersCancelOrNoAndIsRefusedWhereTheBoxOffersNeither) {
  {
    PersonHost person({"close"});
    const HostGuard guard(&person);
    EXPECT_EQ(MessageDlg("Append?", mtConfirmation, mbYesNoCancel, 0), mrCancel);
  }
  {
    PersonHost person({"close"});
    const HostGuard guard(&person);
    EXPECT_EQ(MessageDlg("Replace?", mtConfirmation, {mbYes, mbNo}, 0), mrNo);
  }
  {
    PersonHost person({"close", "Retry"});
    const HostGuard guard(&person);
    EXPECT_EQ(MessageDlg("Disk busy", mtWarning, {mbAbort, mbRetry, mbIgnore}, 0), mrRetry);
    EXPECT_EQ(person.Used(), 2u) << "the close box did not end a box that offers no way out";
  }
}

TEST_F(MessageFormTest, AScriptedAnswerStillGoesFirst) {
  PersonHost person({});
  const HostGuard guard(&person);
  ScriptedUser().Answer(mrYes);
  EXPECT_EQ(MessageDlg("Delete all fields?", mtConfirmation, {mbYes, mbNo}, 0), mrYes);
  EXPECT_EQ(person.Used(), 0u);
}

TEST_F(MessageFormTest, ABoxWithOnlyOKAndAnErrorAreShownToThePersonToo) {
  PersonHost person({"OK", "close"});
  const HostGuard guard(&person);
  ShowMessage("The record is not found");
  EXPECT_EQ(person.text, "The record is not found");
  EXPECT_EQ(person.buttons, std::vector<std::string>{"OK"});
  Application->ShowException(EDatabaseError("Record not found"));
  EXPECT_EQ(person.caption, Application->Title());
  EXPECT_EQ(person.text, "Record not found.");
  EXPECT_EQ(person.Used(), 2u) << "the close box ends an error box";
  ASSERT_EQ(Application->MessageBoxes().size(), 2u);
  EXPECT_EQ(Application->MessageBoxes()[0].result, mrOk);
  EXPECT_EQ(Application->MessageBoxes()[1].kind, mkException);
}

TEST_F(MessageFormTest, AnErrorWhileAnErrorBoxShowsIsRecordedOnly) {
  // The person's host fails while the error box waits: the program goes on, the first
  // error recorded, the second not shown on top of it.
  class FailingHost : public PersonHost {
   public:
    FailingHost() : PersonHost({}) {}
    void WaitForInput(TForm&) override {
      ++waits;
      Application->ShowException(EConvertError("a second error"));
      throw EConvertError("the window system went away");
    }
    int waits = 0;
  } host;
  const HostGuard guard(&host);
  Application->ShowException(EDatabaseError("first"));
  EXPECT_EQ(host.waits, 1);
  ASSERT_EQ(Application->MessageBoxes().size(), 2u);
  EXPECT_EQ(Application->MessageBoxes()[0].text, "first.");
  EXPECT_EQ(Application->MessageBoxes()[1].text, "a second error.");
}

}  // namespace
}  // namespace vantor
