// The application object and the screen: posted messages, message boxes and their
// record, exceptions, help requests, the screen's size, cursor and forms.

#include <vantor/platform/ui/application.h>

#include <memory>
#include <string>
#include <vector>

#include <vantor/platform/ui/button.h>
#include <vantor/platform/ui/form.h>
#include <vantor/platform/ui/message_dialogs.h>
#include <vantor/platform/ui/screen.h>
#include "platform/ui/form_fixture.h"

namespace vantor {
namespace {

using testing::HeadlessTest;

class ApplicationTest : public HeadlessTest {};

// A control that logs the messages it gets.
class TLoggingButton : public TButton {
 public:
  using TButton::TButton;
  void WndProc(TMessage& m) override {
    if (m.Msg >= WM_USER) log.push_back(m.Msg - WM_USER);
    TButton::WndProc(m);
  }
  std::vector<std::uint32_t> log;
};

TEST_F(ApplicationTest, PostedMessagesArriveInOrderWhenMessagesAreProcessed) {
  TLoggingButton button(nullptr);
  Application->PostMessage(&button, WM_USER + 1);
  Application->PostMessage(&button, WM_USER + 2);
  EXPECT_TRUE(button.log.empty());
  EXPECT_EQ(Application->PendingMessages(), 2);
  Application->ProcessMessages();
  EXPECT_EQ(button.log, (std::vector<std::uint32_t>{1, 2}));
  EXPECT_EQ(Application->PendingMessages(), 0);
}

TEST_F(ApplicationTest, MessagesForAFreedControlAreDropped) {
  auto* button = new TLoggingButton(nullptr);
  Application->PostMessage(button, WM_USER + 1);
  delete button;
  EXPECT_EQ(Application->PendingMessages(), 0);
  Application->ProcessMessages();  // nothing left to reach the freed control
}

TEST_F(ApplicationTest, QueuedCallsRunAndMayQueueMore) {
  std::vector<int> order;
  Application->PostCall([&] {
    order.push_back(1);
    Application->PostCall([&] { order.push_back(3); });
  });
  Application->PostCall([&] { order.push_back(2); });
  Application->ProcessMessages();
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST_F(ApplicationTest, AnErrorInAPostedCallIsShownAndProcessingGoesOn) {
  bool second = false;
  Application->PostCall([] { throw EDatabaseError("Table is busy"); });
  Application->PostCall([&] { second = true; });
  Application->ProcessMessages();
  EXPECT_TRUE(second);
  ASSERT_EQ(Application->MessageBoxes().size(), 1u);
  EXPECT_EQ(Application->MessageBoxes()[0].kind, mkException);
  EXPECT_EQ(Application->MessageBoxes()[0].type, mtError);
  EXPECT_EQ(Application->MessageBoxes()[0].text, "Table is busy.");
}

TEST_F(ApplicationTest, OnExceptionReplacesTheErrorBox) {
  std::string seen;
  Application->OnException = [&](TObject*, const std::exception& e) { seen = e.what(); };
  Application->PostCall([] { throw EConvertError("bad"); });
  Application->ProcessMessages();
  EXPECT_EQ(seen, "bad");
  EXPECT_TRUE(Application->MessageBoxes().empty());
}

TEST_F(ApplicationTest, ScriptErrorsAreNeverSwallowed) {
  Application->PostCall([] { MessageDlg("Sure?", mtWarning, {mbYes, mbNo}, 0); });
  EXPECT_THROW(Application->ProcessMessages(), EScriptError);
}

TEST_F(ApplicationTest, ShowMessageNeedsNoAnswerAndIsRecordedWithTheTitle) {
  Application->SetTitle("Vantor demo");
  ShowMessage("The record is not found");
  ASSERT_EQ(Application->MessageBoxes().size(), 1u);
  const TMessageBoxRecord& box = Application->MessageBoxes()[0];
  EXPECT_EQ(box.kind, mkShowMessage);
  EXPECT_EQ(box.caption, "Vantor demo");
  EXPECT_EQ(box.text, "The record is not found");
  EXPECT_EQ(box.buttons, TMsgDlgButtons{mbOK});
  EXPECT_EQ(box.result, mrOk);
  Application->ClearMessageBoxes();
  EXPECT_TRUE(Application->MessageBoxes().empty());
}

TEST_F(ApplicationTest, MessageDlgTakesAnswersInOrderAndCaptionsByType) {
  ScriptedUser().Answer(mrYes).Answer(mrCancel);
  EXPECT_EQ(MessageDlg("Delete all fields?", mtConfirmation, {mbYes, mbNo}, 0), mrYes);
  EXPECT_EQ(MessageDlg("Careful", mtWarning, mbOKCancel, 0), mrCancel);
  EXPECT_EQ(MessageDlg("Only OK", mtInformation, {mbOK}, 0), mrOk);  // single button
  const auto& boxes = Application->MessageBoxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].caption, "Confirm");
  EXPECT_EQ(boxes[1].caption, "Warning");
  EXPECT_EQ(boxes[2].caption, "Information");
  EXPECT_EQ(MessageDlgCaption(mtError), "Error");
}

TEST_F(ApplicationTest, MessageDlgWithoutAnswerOrButtonsRaises) {
  EXPECT_THROW(MessageDlg("Sure?", mtConfirmation, mbYesNoCancel, 0), EScriptError);
  EXPECT_THROW(MessageDlg("No buttons", mtWarning, {}, 0), EInvalidOperation);
  ScriptedUser().Answer(mrAll);
  EXPECT_THROW(MessageDlg("Sure?", mtConfirmation, mbYesNoCancel, 0), EScriptError);
  EXPECT_TRUE(ScriptedUser().Empty());
}

TEST_F(ApplicationTest, MessageBoxFlagsGiveButtonsAndType) {
  ScriptedUser().Answer(mrRetry);
  EXPECT_EQ(Application->MessageBox("Disk not ready", "Drive", MB_RETRYCANCEL | MB_ICONHAND), mrRetry);
  const TMessageBoxRecord& box = Application->MessageBoxes().back();
  EXPECT_EQ(box.kind, mkMessageBox);
  EXPECT_EQ(box.caption, "Drive");
  EXPECT_EQ(box.buttons, (TMsgDlgButtons{mbRetry, mbCancel}));
  EXPECT_EQ(box.type, mtError);
  EXPECT_EQ(Application->MessageBox("Done", "Info", MB_OK | MB_ICONASTERISK), mrOk);
  EXPECT_EQ(Application->MessageBoxes().back().type, mtInformation);
}

TEST_F(ApplicationTest, HelpRequestsAreRecordedUnlessOnHelpRefuses) {
  EXPECT_TRUE(Application->HelpContext(120));
  Application->OnHelp = [](THelpContext context, bool& call_help) { call_help = context != 7; };
  EXPECT_FALSE(Application->HelpContext(7));
  EXPECT_TRUE(Application->HelpContext(8));
  EXPECT_EQ(Application->HelpLog(), (std::vector<THelpContext>{120, 8}));
}

TEST_F(ApplicationTest, BeepGoesToTheBeepLog) {
  Application->Beep();
  Application->Beep(MB_ICONHAND);
  EXPECT_EQ(BeepLog(), (std::vector<std::uint32_t>{MB_OK, MB_ICONHAND}));
}

TEST_F(ApplicationTest, TerminateEndsARunningModalLoopWithCancel) {
  TForm form(nullptr);
  ScriptedUser().Run([](TForm&) { Application->Terminate(); });
  EXPECT_EQ(form.ShowModal(), mrCancel);
  EXPECT_TRUE(Application->Terminated());
}

TEST_F(ApplicationTest, FormsOwnedByTheApplicationAreItsComponents) {
  auto* form = new TForm(Application);
  EXPECT_EQ(form->Owner(), static_cast<TComponent*>(Application));
  EXPECT_GE(Application->ComponentCount(), 1);
  delete form;
}

TEST_F(ApplicationTest, PlayNowPlaysTheScriptOnTheActiveNonModalForm) {
  TForm form(nullptr);
  form.SetName("fmEditor");
  auto* buAdd = new TButton(&form);
  buAdd->SetName("buAdd");
  buAdd->SetParent(&form);
  int adds = 0;
  buAdd->OnClick = [&](TObject*) {
    ++adds;
    Application->PostCall([&] { adds += 10; });  // handled before the next step
  };
  ScriptedUser().Click("buAdd").Click("buAdd").Answer(mrYes);
  // Nothing shows: there is nowhere to play the steps.
  EXPECT_THROW(ScriptedUser().PlayNow(), EScriptError);
  EXPECT_EQ(ScriptedUser().Pending(), 3);
  form.Show();
  ScriptedUser().PlayNow();
  EXPECT_EQ(adds, 22);
  EXPECT_EQ(ScriptedUser().Played(), (std::vector<std::string>{"click buAdd", "click buAdd"}));
  // The answer waits for its box.
  EXPECT_TRUE(ScriptedUser().FrontIsAnswer());
  EXPECT_EQ(MessageDlg("Add more?", mtConfirmation, {mbYes, mbNo}, 0), mrYes);
}

TEST_F(ApplicationTest, ProcessMessagesLeavesTheScriptToTheModalRunItWasQueuedFor) {
  // A main form shows; a dialog is about to run. Its input is queued first, then the
  // program handles its pending messages (as a dialog run does after its form closes).
  TForm main(nullptr);
  main.SetName("fmMain");
  auto* buFind = new TButton(&main);
  buFind->SetName("buFind");
  buFind->SetParent(&main);
  int finds = 0;
  buFind->OnClick = [&](TObject*) { ++finds; };
  main.Show();
  TForm dialog(nullptr);
  dialog.SetName("fmFind");
  auto* bbOk = new TButton(&dialog);
  bbOk->SetName("bbOk");
  bbOk->SetParent(&dialog);
  bbOk->SetModalResult(mrOk);
  ScriptedUser().Click("bbOk");
  Application->ProcessMessages();
  EXPECT_EQ(ScriptedUser().Pending(), 1);
  EXPECT_TRUE(ScriptedUser().Played().empty());
  // Input meant for the main form is not played by it either.
  ScriptedUser().Clear();
  ScriptedUser().Click("buFind");
  Application->ProcessMessages();
  EXPECT_EQ(finds, 0);
  ScriptedUser().Clear();
  // The modal run takes its own input.
  ScriptedUser().Click("bbOk");
  EXPECT_EQ(dialog.ShowModal(), mrOk);
  EXPECT_EQ(ScriptedUser().Played(), (std::vector<std::string>{"click bbOk"}));
}

// --- Screen ---

class ScreenTest : public HeadlessTest {};

TEST_F(ScreenTest, SizeDefaultsToTheDesktopAndIsSettable) {
  EXPECT_EQ(Screen->Width(), 1024);
  EXPECT_EQ(Screen->Height(), 768);
  Screen->SetWidth(640);
  Screen->SetHeight(480);
  EXPECT_EQ(Screen->Width(), 640);
  Screen->Reset();
  EXPECT_EQ(Screen->Height(), 768);
}

TEST_F(ScreenTest, CursorChangesAreRecorded) {
  EXPECT_EQ(Screen->Cursor(), crDefault);
  Screen->SetCursor(crHourGlass);
  Screen->SetCursor(crHourGlass);  // no change
  Screen->SetCursor(crDefault);
  EXPECT_EQ(Screen->CursorLog(), (std::vector<TCursor>{-11, 0}));
  EXPECT_EQ(crHourGlass, -11);
}

TEST_F(ScreenTest, FormsAreListedWhileTheyExist) {
  const int before = Screen->FormCount();
  {
    TForm a(nullptr);
    a.SetName("fmA");
    TForm b(nullptr);
    EXPECT_EQ(Screen->FormCount(), before + 2);
    EXPECT_EQ(Screen->Forms(before), &a);
    EXPECT_EQ(Screen->FindForm("fma"), &a);
    EXPECT_EQ(Screen->FindForm("fmB"), nullptr);
  }
  EXPECT_EQ(Screen->FormCount(), before);
  EXPECT_THROW(Screen->Forms(before), EListError);
}

TEST_F(ScreenTest, ActiveFormChangesAreAnnounced) {
  int changes = 0;
  Screen->OnActiveFormChange = [&](TObject*) { ++changes; };
  {
    TForm a(nullptr);
    a.Show();
    a.Hide();
  }
  Screen->OnActiveFormChange.Clear();
  EXPECT_EQ(changes, 2);
}

}  // namespace
}  // namespace vantor
