#pragma once
// The headless backend's user: a queue of input steps that tests fill before the code
// under test waits for input. A modal loop (TForm::ShowModal) plays one step per turn on
// the modal form until the form's ModalResult is set and it closes; a message box takes
// its answer from the front of the queue. Steps belong to the modal run they were queued
// for: Application->ProcessMessages never plays them (a dialog that handles its pending
// messages after its form closed must not eat the input of the next one). Input for the
// windows that show without a modal loop (a non-modal editor) is played at an explicit
// PlayNow. Every step is delivered as the messages a
// real window would get (WM_KEYDOWN/WM_CHAR/WM_KEYUP, CM_DIALOGKEY for dialog keys,
// WM_LBUTTONDOWN/WM_MOUSEMOVE/WM_LBUTTONUP, focus changes with CM_EXIT/CM_ENTER), so
// exit handlers, close queries and default buttons run as they would on a screen.
//
// Nothing ever blocks: a modal form whose script runs out, a box with choices and no
// queued answer, or a step naming a control that does not exist raise EScriptError.
//
//     ScriptedUser().TypeInto("edName", "Smith").Press(VK_RETURN);
//     EXPECT_EQ(form->ShowModal(), mrOk);
//
// Controls are named as the form knows them: "edName" is found among the components the
// form owns and, failing that, among the controls it contains; "fmSetup.cbFields" names
// a control of another form by that form's name.

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/ui/control.h>
#include <vantor/platform/ui/message_dialogs.h>

namespace vantor {

class TForm;

// The script does not fit what the code under test did: it ran out, or it names a control
// that does not exist, or an answer is queued where no box shows. Derived from
// EInvalidOperation; a modal loop never swallows it.
class EScriptError : public EInvalidOperation {
 public:
  using EInvalidOperation::EInvalidOperation;
  const char* ClassName() const noexcept override { return "EScriptError"; }
};

// The queue of input steps a test fills before the code under test waits for input.
class TScriptedUser {
 public:
  // --- Steps, queued in the order given ---
  // Types a UTF-8 text into the focused control, one key stroke per character.
  TScriptedUser& Type(std::string_view text);
  // Focuses the named control (as a click would), then types into it.
  TScriptedUser& TypeInto(std::string control, std::string_view text);
  // One key stroke to the focused control (Enter, Escape, Tab, arrows ...), with the
  // modifier keys held; dialog keys the control does not want reach the form.
  TScriptedUser& Press(std::uint16_t key, TShiftState shift = {});
  // A left click at the centre of the named control; focuses it first when it is a tab stop.
  TScriptedUser& Click(std::string control);
  // A left click at a point of the named control's client area.
  TScriptedUser& ClickAt(std::string control, TPoint point);
  // A right click (button pressed and released) at the centre of the named control, or
  // at a point of its client area: the control's popup menu shows when it has one.
  TScriptedUser& RightClick(std::string control);
  TScriptedUser& RightClickAt(std::string control, TPoint point);
  // The user's choice in the next popup menu: the visible item with that caption (the
  // accelerator '&' ignored, searched through the submenus too).
  TScriptedUser& ChooseMenuItem(std::string caption);
  // A double click at a point of the named control's client area.
  TScriptedUser& DoubleClickAt(std::string control, TPoint point);
  // Presses the left button at `from` on `source`, moves to `to` on `target` in a few
  // steps and releases it there (points in each control's client coordinates).
  TScriptedUser& Drag(std::string source, TPoint from, std::string target, TPoint to);
  // Gives the named control the focus (CM_EXIT on the old one, CM_ENTER on the new one).
  TScriptedUser& Focus(std::string control);
  // The user's choice in the next message box (mrYes, mrCancel ...).
  TScriptedUser& Answer(TModalResult result);
  // The user closes the window with its close box (WM_CLOSE).
  TScriptedUser& CloseWindow();
  // Runs an arbitrary action with the form the step is played on.
  TScriptedUser& Run(std::function<void(TForm&)> action);

  // --- The queue ---
  int Pending() const { return static_cast<int>(steps_.size()); }
  bool Empty() const { return steps_.empty(); }
  void Clear();
  // What the steps played so far did, one line each ("click bbOk"), for test messages.
  const std::vector<std::string>& Played() const { return played_; }

  // Plays the queued steps now on the active form (the user works in a window that shows
  // without a modal loop), handling the posted messages after each; stops before an
  // answer or a menu choice, which wait for their box or menu. An error of a step's
  // handlers goes to Application->HandleException. EScriptError when no form shows.
  void PlayNow();

  // --- Used by the modal loop and the message boxes ---
  // Plays the front step on `form`; false when the queue is empty. EScriptError when the
  // front step is an answer or a menu choice (no box or menu is showing) or names a
  // missing control.
  bool PlayStep(TForm& form);
  bool FrontIsAnswer() const;
  bool FrontIsMenuChoice() const;
  // Takes the choice for a popup menu that is showing; nullopt when the front step is
  // not one (the user dismisses the menu).
  std::optional<std::string> TakeMenuChoice();
  // Takes the answer for a box that is showing; nullopt when the front step is not one.
  std::optional<TModalResult> TakeAnswer();

  // The control a step name refers to on `form`; EScriptError when there is none.
  static TControl* FindControl(TForm& form, std::string_view name);

 private:
  enum class Kind : std::uint8_t {
    Type, Press, Click, DoubleClick, RightClick, Drag, Focus, Answer, ChooseMenu, Close, Run
  };
  struct Step {
    Kind kind = Kind::Type;
    std::string control;  // empty: the focused control
    std::string target;   // drags: the control released on
    std::string text;
    std::uint16_t key = 0;
    TShiftState shift;
    TPoint point{-1, -1};  // (-1, -1): the centre
    TPoint to;
    TModalResult answer = mrNone;
    std::function<void(TForm&)> action;
  };
  TScriptedUser& Push(Step step);
  void Play(TForm& form, const Step& step);
  static std::string Describe(const Step& step);

  std::deque<Step> steps_;
  std::vector<std::string> played_;
};

// The process's scripted user.
TScriptedUser& ScriptedUser();

}  // namespace vantor
