#pragma once
// TApplication: the running program as its windows see it. It owns forms created with
// it as owner, keeps the queue of posted messages and runs it (ProcessMessages), shows
// message boxes and exceptions, and answers help requests. Headless, nothing is drawn:
// every box shown, every help request and every exception reported is recorded here,
// and the boxes' answers come from the scripted user (scripted_user.h).
// There is one, reached as Application->...; it converts to TComponent* so that it can
// be given as an owner (new TfmValues(Application)).

#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <vantor/platform/core/component.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/ui/control.h>
#include <vantor/platform/ui/message_dialogs.h>

namespace vantor {

class TForm;
class TMenuItem;
class TPopupMenu;

// One showing of a popup menu: which menu, for which component, where on the screen,
// and the caption of the item the user chose ("" when the menu was dismissed).
struct TPopupMenuRecord {
  std::string menu;
  std::string popup_component;
  TPoint point;
  std::string chosen;
};

using TExceptionEvent = Event<TObject*, const std::exception&>;

class TApplication : public TComponent {
 public:
  explicit TApplication(TComponent* owner);
  ~TApplication() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // The caption of ShowMessage boxes and exception boxes.
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title) { title_ = title; }

  // --- Messages ---
  // Queues a message for `target`; it is delivered by the next ProcessMessages (or modal
  // loop turn). Messages for a control freed in between are dropped.
  void PostMessage(TControl* target, std::uint32_t msg, std::intptr_t wparam = 0,
                   std::intptr_t lparam = 0);
  // Queues a call; it runs like a posted message.
  void PostCall(std::function<void()> call);
  // Queues a call about `about`; it is dropped when `about` is freed first.
  void PostCallFor(TComponent* about, std::function<void()> call);
  int PendingMessages() const { return static_cast<int>(posted_.size()); }
  // Delivers the posted messages waiting now (and those they post in turn). Never waits,
  // and never plays the scripted user's steps: they wait for the modal run they were
  // queued for, or for TScriptedUser::PlayNow. An exception from a handler goes to
  // HandleException, as a message loop does.
  void ProcessMessages();
  // Delivers the next posted message, if any; true when one was delivered.
  bool HandleMessage();
  // Asks the program to end; Terminated() tells the main loop.
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }

  // --- Help ---
  // Opens the help topic: recorded in HelpLog; OnHelp may refuse it. True when shown.
  bool HelpContext(THelpContext context);
  const std::vector<THelpContext>& HelpLog() const { return help_log_; }
  void ClearHelpLog() { help_log_.clear(); }

  // --- Message boxes ---
  // The Win32-style box: `flags` carries the button group (MB_OKCANCEL ...) and the icon;
  // returns the result of the chosen button (IDOK = mrOk ... IDNO = mrNo).
  TModalResult MessageBox(std::string_view text, std::string_view caption, std::uint32_t flags);
  // Shows a box (ShowMessage and MessageDlg come here): records it and takes the scripted
  // answer. A box with a single OK button needs no answer; any other raises EScriptError
  // when the script holds none, and EInvalidOperation when the answer is not one of its
  // buttons. Under a real window host the person sees every box, in a window of its own
  // (message_form.h), and answers where the script does not.
  TModalResult ShowBox(TMessageBoxRecord box);
  // Every box shown since the last ClearMessageBoxes, oldest first.
  const std::vector<TMessageBoxRecord>& MessageBoxes() const { return boxes_; }
  void ClearMessageBoxes() { boxes_.clear(); }
  // --- Popup menus ---
  // Shows `menu` at the screen point: records it and takes the scripted user's choice
  // (TScriptedUser::ChooseMenuItem), returning the chosen item, or null when the user
  // dismissed the menu (no choice queued). EScriptError when the queued caption names no
  // visible item of the menu; a disabled item or a separator chosen dismisses the menu.
  TMenuItem* TrackPopupMenu(TPopupMenu& menu, TPoint point);
  // Every popup menu shown since the last ClearPopupMenus, oldest first.
  const std::vector<TPopupMenuRecord>& PopupMenus() const { return popups_; }
  void ClearPopupMenus() { popups_.clear(); }

  // Sounds the system beep (recorded in the beep log of system.h).
  void Beep(std::uint32_t type = MB_OK);

  // --- Exceptions ---
  // What a message loop does with an exception a handler let out: OnException when
  // assigned, else ShowException. Script errors (the test's own mistakes) are re-raised.
  void HandleException(TObject* sender, std::exception_ptr error);
  // Shows the exception's message in an error box (recorded with kind mkException; under a
  // real window host also shown to the person, who closes it).
  void ShowException(const std::exception& error);

  // Restores the start-up state for a new test: clears the records, the posted messages
  // and the terminated flag.
  void Reset();

  // Called before a help topic opens; clear `call_help` to refuse it.
  Event<THelpContext, bool&> OnHelp;
  TExceptionEvent OnException;

  // The number of modal loops running (nested ones count).
  int ModalLevel() const { return modal_level_; }

  void Notification(TComponent* c, TOperation op) override;

 private:
  friend class TForm;
  struct Posted {
    TControl* target = nullptr;   // null for a queued call
    TComponent* about = nullptr;  // a queued call's subject
    TMessage message;
    std::function<void()> call;
  };
  void Deliver(Posted& posted);

  std::string title_;
  std::deque<Posted> posted_;
  std::vector<THelpContext> help_log_;
  std::vector<TMessageBoxRecord> boxes_;
  bool showing_exception_ = false;  // an error box is up (see ShowException)
  std::vector<TPopupMenuRecord> popups_;
  bool terminated_ = false;
  int modal_level_ = 0;
};

// The application object, created on first use; it lives as long as the process.
struct ApplicationRef {
  TApplication* operator->() const { return Get(); }
  TApplication& operator*() const { return *Get(); }
  operator TApplication*() const { return Get(); }  // NOLINT(google-explicit-constructor)
  static TApplication* Get();
};
inline constexpr ApplicationRef Application{};

}  // namespace vantor
