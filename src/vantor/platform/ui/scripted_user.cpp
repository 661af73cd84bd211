#include <vantor/platform/ui/scripted_user.h>

#include <utility>

#include <vantor/platform/rtl/identifiers.h>
#include <vantor/platform/ui/application.h>
#include <vantor/platform/ui/form.h>
#include <vantor/platform/ui/keyboard_input.h>
#include <vantor/platform/ui/screen.h>
#include <vantor/platform/ui/win_control.h>

namespace vantor {

namespace {

// Depth first through the controls inside `parent`.
TControl* FindChildControl(const TWinControl& parent, std::string_view name) {
  for (int i = 0; i < parent.ControlCount(); ++i) {
    TControl* c = parent.Controls(i);
    if (SameIdent(c->Name(), name)) return c;
  }
  for (int i = 0; i < parent.ControlCount(); ++i) {
    if (auto* w = dynamic_cast<TWinControl*>(parent.Controls(i))) {
      if (TControl* found = FindChildControl(*w, name)) return found;
    }
  }
  return nullptr;
}

// Mouse messages go to the window under the mouse: a control without a window of its
// own is reached through its parent, which hands the message on.
void SendMouse(TControl* control, std::uint32_t msg, std::intptr_t keys, TPoint p) {
  if (dynamic_cast<TWinControl*>(control) != nullptr || control->Parent() == nullptr) {
    control->Perform(msg, keys, MakeLParam(p.X, p.Y));
    return;
  }
  control->Parent()->Perform(msg, keys, MakeLParam(p.X + control->Left(), p.Y + control->Top()));
}

TPoint Centre(const TControl& control) {
  const TRect r = control.ClientRect();
  return {r.Width() / 2, r.Height() / 2};
}

// A click gives the focus to a control that takes it (edits, buttons, lists), as the
// window system does on the button press.
void FocusOnClick(TControl* control) {
  auto* w = dynamic_cast<TWinControl*>(control);
  if (w == nullptr || !w->TabStop() || !w->CanFocus() || w->Focused()) return;
  w->SetFocus();
}

}  // namespace

TScriptedUser& ScriptedUser() {
  static TScriptedUser user;
  return user;
}

TScriptedUser& TScriptedUser::Push(Step step) {
  steps_.push_back(std::move(step));
  return *this;
}

TScriptedUser& TScriptedUser::Type(std::string_view text) {
  Step s;
  s.kind = Kind::Type;
  s.text = std::string(text);
  return Push(std::move(s));
}

TScriptedUser& TScriptedUser::TypeInto(std::string control, std::string_view text) {
  Step s;
  s.kind = Kind::Type;
  s.control = std::move(control);
  s.text = std::string(text);
  return Push(std::move(s));
}

TScriptedUser& TScriptedUser::Press(std::uint16_t key, TShiftState shift) {
  Step s;
  s.kind = Kind::Press;
  s.key = key;
  s.shift = shift;
  return Push(std::move(s));
}

TScriptedUser& TScriptedUser::Click(std::string control) {
  Step s;
  s.kind = Kind::Click;
  s.control = std::move(control);
  return Push(std::move(s));
}

TScriptedUser& TScriptedUser::ClickAt(std::string control, TPoint point) {
  Step s;
  s.kind = Kind::Click;
  s.control = std::move(control);
  s.point = point;
  return Push(std::move(s));
}

TScriptedUser& TScriptedUser::RightClick(std::string control) {
  Step s;
  s.kind = Kind::RightClick;
  s.control = std::move(control);
  return Push(std::move(s));
}

TScriptedUser& TScriptedUser::RightClickAt(std::string control, TPoint point) {
  Step s;
  s.kind = Kind::RightClick;
  s.control = std::move(control);
  s.point = point;
  return Push(std::move(s));
}

TScriptedUser& TScriptedUser::ChooseMenuItem(std::string caption) {
  Step s;
  s.kind = Kind::ChooseMenu;
  s.text = std::move(caption);
  return Push(std::move(s));
}

TScriptedUser& TScriptedUser::DoubleClickAt(std::string control, TPoint point) {
  Step s;
  s.kind = Kind::DoubleClick;
  s.control = std::move(control);
  s.point = point;
  return Push(std::move(s));
}

TScriptedUser& TScriptedUser::Drag(std::string source, TPoint from, std::string target, TPoint to) {
  Step s;
  s.kind = Kind::Drag;
  s.control = std::move(source);
  s.point = from;
  s.target = std::move(target);
  s.to = to;
  return Push(std::move(s));
}

TScriptedUser& TScriptedUser::Focus(std::string control) {
  Step s;
  s.kind = Kind::Focus;
  s.control = std::move(control);
  return Push(std::move(s));
}

TScriptedUser& TScriptedUser::Answer(TModalResult result) {
  Step s;
  s.kind = Kind::Answer;
  s.answer = result;
  return Push(std::move(s));
}

TScriptedUser& TScriptedUser::CloseWindow() {
  Step s;
  s.kind = Kind::Close;
  return Push(std::move(s));
}

TScriptedUser& TScriptedUser::Run(std::function<void(TForm&)> action) {
  Step s;
  s.kind = Kind::Run;
  s.action = std::move(action);
  return Push(std::move(s));
}

void TScriptedUser::Clear() {
  steps_.clear();
  played_.clear();
}

bool TScriptedUser::FrontIsAnswer() const {
  return !steps_.empty() && steps_.front().kind == Kind::Answer;
}

std::optional<TModalResult> TScriptedUser::TakeAnswer() {
  if (!FrontIsAnswer()) return std::nullopt;
  const TModalResult answer = steps_.front().answer;
  played_.push_back(Describe(steps_.front()));
  steps_.pop_front();
  return answer;
}

bool TScriptedUser::FrontIsMenuChoice() const {
  return !steps_.empty() && steps_.front().kind == Kind::ChooseMenu;
}

std::optional<std::string> TScriptedUser::TakeMenuChoice() {
  if (!FrontIsMenuChoice()) return std::nullopt;
  std::string caption = std::move(steps_.front().text);
  played_.push_back("choose menu item \"" + caption + "\"");
  steps_.pop_front();
  return caption;
}

bool TScriptedUser::PlayStep(TForm& form) {
  if (steps_.empty()) return false;
  if (FrontIsAnswer()) {
    throw EScriptError("scripted answer " + std::to_string(steps_.front().answer) +
                       " is queued but no message box shows");
  }
  if (FrontIsMenuChoice()) {
    throw EScriptError("menu item \"" + steps_.front().text +
                       "\" is to be chosen but no popup menu shows");
  }
  Step step = std::move(steps_.front());
  steps_.pop_front();
  played_.push_back(Describe(step));
  Play(form, step);
  return true;
}

void TScriptedUser::PlayNow() {
  while (!Empty() && !FrontIsAnswer() && !FrontIsMenuChoice()) {
    TForm* form = Screen->ActiveForm();
    if (form == nullptr || !form->Visible()) {
      throw EScriptError("no form shows to play \"" + Describe(steps_.front()) + "\" on");
    }
    // What the step's handlers let out is reported as a message loop reports it (script
    // errors, the test's own, pass); the messages the step posted run before the next.
    try {
      PlayStep(*form);
    } catch (...) {
      Application->HandleException(form, std::current_exception());
    }
    Application->ProcessMessages();
  }
}

TControl* TScriptedUser::FindControl(TForm& form, std::string_view name) {
  TForm* where = &form;
  std::string_view local = name;
  if (const auto dot = name.find('.'); dot != std::string_view::npos) {
    where = Screen->FindForm(name.substr(0, dot));
    if (where == nullptr) {
      throw EScriptError("no form named " + std::string(name.substr(0, dot)) + " for step control " +
                         std::string(name));
    }
    local = name.substr(dot + 1);
  }
  if (auto* c = dynamic_cast<TControl*>(where->FindComponent(local))) return c;
  if (TControl* c = FindChildControl(*where, local)) return c;
  throw EScriptError("form " + where->Name() + " has no control named " + std::string(local));
}

void TScriptedUser::Play(TForm& form, const Step& step) {
  auto control = [&form](const std::string& name) -> TControl* {
    TControl* c = FindControl(form, name);
    if (!c->IsVisibleOnScreen()) {
      throw EScriptError("control " + name + " is not on the screen");
    }
    return c;
  };
  // Keys go to the control with the focus, or to the form when nothing inside it has it.
  auto key_target = [&form]() -> TWinControl* {
    TWinControl* focused = GetFocus();
    return focused != nullptr ? focused : &form;
  };

  switch (step.kind) {
    case Kind::Type: {
      if (!step.control.empty()) {
        auto* w = dynamic_cast<TWinControl*>(control(step.control));
        if (w == nullptr) throw EScriptError("control " + step.control + " cannot take typed text");
        if (!w->Focused()) w->SetFocus();
      }
      TypeText(key_target(), step.text);
      return;
    }
    case Kind::Press:
      SendKey(key_target(), step.key, step.shift);
      return;
    case Kind::Click:
    case Kind::DoubleClick: {
      TControl* c = control(step.control);
      if (!c->Enabled()) return;  // a disabled control ignores the mouse
      const TPoint p = step.point == TPoint{-1, -1} ? Centre(*c) : step.point;
      FocusOnClick(c);
      SendMouse(c, WM_LBUTTONDOWN, MK_LBUTTON, p);
      SendMouse(c, WM_LBUTTONUP, 0, p);
      if (step.kind == Kind::DoubleClick) {
        SendMouse(c, WM_LBUTTONDBLCLK, MK_LBUTTON, p);
        SendMouse(c, WM_LBUTTONUP, 0, p);
      }
      return;
    }
    case Kind::RightClick: {
      TControl* c = control(step.control);
      if (!c->Enabled()) return;
      const TPoint p = step.point == TPoint{-1, -1} ? Centre(*c) : step.point;
      SendMouse(c, WM_RBUTTONDOWN, MK_RBUTTON, p);
      SendMouse(c, WM_RBUTTONUP, 0, p);
      return;
    }
    case Kind::Drag: {
      TControl* source = control(step.control);
      TControl* target = control(step.target);
      FocusOnClick(source);
      SendMouse(source, WM_LBUTTONDOWN, MK_LBUTTON, step.point);
      // The mouse travels in a few moves; each goes to the control holding the capture,
      // else to the control under the mouse.
      const TPoint start = source->ClientToScreen(step.point);
      const TPoint end = target->ClientToScreen(step.to);
      constexpr int kMoves = 4;
      auto receiver = [&](TPoint screen) -> std::pair<TControl*, TPoint> {
        TControl* r = source->MouseCapture() ? source : target;
        return {r, r->ScreenToClient(screen)};
      };
      for (int i = 1; i <= kMoves; ++i) {
        const TPoint at{start.X + (end.X - start.X) * i / kMoves,
                        start.Y + (end.Y - start.Y) * i / kMoves};
        auto [r, p] = receiver(at);
        SendMouse(r, WM_MOUSEMOVE, MK_LBUTTON, p);
      }
      auto [r, p] = receiver(end);
      SendMouse(r, WM_LBUTTONUP, 0, p);
      return;
    }
    case Kind::Focus: {
      auto* w = dynamic_cast<TWinControl*>(control(step.control));
      if (w == nullptr || !w->CanFocus()) {
        throw EScriptError("control " + step.control + " cannot take the focus");
      }
      w->SetFocus();
      return;
    }
    case Kind::Close:
      form.Perform(WM_CLOSE);
      return;
    case Kind::Run:
      step.action(form);
      return;
    case Kind::Answer:
    case Kind::ChooseMenu:
      return;  // taken by message boxes and popup menus only (PlayStep refuses them)
  }
}

std::string TScriptedUser::Describe(const Step& step) {
  switch (step.kind) {
    case Kind::Type:
      return "type \"" + step.text + "\"" + (step.control.empty() ? "" : " into " + step.control);
    case Kind::Press: return "press key " + std::to_string(step.key);
    case Kind::Click: return "click " + step.control;
    case Kind::DoubleClick: return "double-click " + step.control;
    case Kind::RightClick: return "right-click " + step.control;
    case Kind::ChooseMenu: return "choose menu item \"" + step.text + "\"";
    case Kind::Drag: return "drag " + step.control + " to " + step.target;
    case Kind::Focus: return "focus " + step.control;
    case Kind::Answer: return "answer " + std::to_string(step.answer);
    case Kind::Close: return "close the window";
    case Kind::Run: return "run an action";
  }
  return {};
}

}  // namespace vantor
