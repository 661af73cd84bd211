#include <vantor/platform/ui/application.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include <vantor/platform/core/temporary_change.h>
#include <vantor/platform/ui/form.h>
#include <vantor/platform/ui/menus.h>
#include <vantor/platform/ui/message_form.h>
#include <vantor/platform/ui/screen.h>
#include <vantor/platform/ui/scripted_user.h>
#include <vantor/platform/ui/system.h>
#include <vantor/platform/ui/window_host.h>

namespace vantor {

namespace {

// The screen and the application live as long as the process: forms may refer to both
// while they are destroyed, at any point of the program's end, so neither is ever torn
// down. The screen is made first, so the application's forms always find it.
struct Globals {
  TScreen screen{nullptr};
  TApplication application{nullptr};
};

Globals& TheGlobals() {
  static Globals* globals = new Globals;  // NOLINT(cppcoreguidelines-owning-memory)
  return *globals;
}

std::string DefaultTitle() {
  const char* name = program_invocation_short_name;
  return name != nullptr ? std::string(name) : std::string();
}

// The buttons a MessageBox flag word offers.
TMsgDlgButtons ButtonsOfFlags(std::uint32_t flags) {
  switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL: return {mbOK, mbCancel};
    case MB_ABORTRETRYIGNORE: return {mbAbort, mbRetry, mbIgnore};
    case MB_YESNOCANCEL: return {mbYes, mbNo, mbCancel};
    case MB_YESNO: return {mbYes, mbNo};
    case MB_RETRYCANCEL: return {mbRetry, mbCancel};
    default: return {mbOK};
  }
}

TMsgDlgType TypeOfFlags(std::uint32_t flags) {
  switch (flags & MB_ICONMASK) {
    case MB_ICONHAND: return mtError;
    case MB_ICONQUESTION: return mtConfirmation;
    case MB_ICONEXCLAMATION: return mtWarning;
    case MB_ICONASTERISK: return mtInformation;
    default: return mtCustom;
  }
}

bool Acceptable(TMsgDlgButtons buttons, TModalResult answer) {
  for (int i = 0; i < static_cast<int>(EnumNames<TMsgDlgBtn>::value.size()); ++i) {
    const auto button = static_cast<TMsgDlgBtn>(i);
    if (buttons.Contains(button) && ButtonResult(button) == answer && answer != mrNone) return true;
  }
  return false;
}

}  // namespace

TScreen* ScreenRef::Get() { return &TheGlobals().screen; }
TApplication* ApplicationRef::Get() { return &TheGlobals().application; }

const TypeInfo& TApplication::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TApplication>("TApplication", &TComponent::StaticType()).Build();
  return info;
}

TApplication::TApplication(TComponent* owner) : TComponent(owner), title_(DefaultTitle()) {}

TApplication::~TApplication() {
  Destroying();
  DestroyComponents();
}

void TApplication::PostMessage(TControl* target, std::uint32_t msg, std::intptr_t wparam,
                               std::intptr_t lparam) {
  if (target == nullptr) return;
  Posted p;
  p.target = target;
  p.message = TMessage{msg, wparam, lparam, 0};
  FreeNotification(target);
  posted_.push_back(std::move(p));
}

void TApplication::PostCall(std::function<void()> call) {
  Posted p;
  p.call = std::move(call);
  posted_.push_back(std::move(p));
}

void TApplication::PostCallFor(TComponent* about, std::function<void()> call) {
  Posted p;
  p.about = about;
  p.call = std::move(call);
  if (about != nullptr) FreeNotification(about);
  posted_.push_back(std::move(p));
}

void TApplication::Notification(TComponent* c, TOperation op) {
  TComponent::Notification(c, op);
  if (op != opRemove) return;
  std::erase_if(posted_, [c](const Posted& p) {
    return p.about == c || static_cast<TComponent*>(p.target) == c;
  });
}

void TApplication::Deliver(Posted& posted) {
  if (posted.target != nullptr) {
    posted.target->Perform(posted.message.Msg, posted.message.WParam, posted.message.LParam);
  } else if (posted.call) {
    posted.call();
  }
}

bool TApplication::HandleMessage() {
  if (posted_.empty()) return false;
  Posted next = std::move(posted_.front());
  posted_.pop_front();
  try {
    Deliver(next);
  } catch (...) {
    HandleException(next.target, std::current_exception());
  }
  return true;
}

void TApplication::ProcessMessages() {
  while (HandleMessage()) {
  }
}

bool TApplication::HelpContext(THelpContext context) {
  bool call_help = true;
  OnHelp(context, call_help);
  if (!call_help) return false;
  help_log_.push_back(context);
  return true;
}

TModalResult TApplication::MessageBox(std::string_view text, std::string_view caption,
                                      std::uint32_t flags) {
  TMessageBoxRecord box;
  box.kind = mkMessageBox;
  box.caption = std::string(caption);
  box.text = std::string(text);
  box.type = TypeOfFlags(flags);
  box.buttons = ButtonsOfFlags(flags);
  return ShowBox(std::move(box));
}

TModalResult TApplication::ShowBox(TMessageBoxRecord box) {
  if (box.buttons.Empty()) throw EInvalidOperation("A message box needs at least one button");
  boxes_.push_back(box);
  const std::size_t index = boxes_.size() - 1;
  // A box whose only way out is OK is acknowledged by the user without a choice; in real
  // windows the person reads it first.
  if (box.buttons == TMsgDlgButtons{mbOK}) {
    if (WindowHost() != nullptr) ShowMessageForm(box);
    boxes_[index].result = mrOk;
    return mrOk;
  }
  std::optional<TModalResult> answer = ScriptedUser().TakeAnswer();
  // In real windows the person answers, in a box window of its own.
  if (!answer && WindowHost() != nullptr) answer = ShowMessageForm(box);
  if (!answer) {
    throw EScriptError("message box \"" + box.text + "\" has no scripted answer");
  }
  if (!Acceptable(box.buttons, *answer)) {
    throw EScriptError("message box \"" + box.text + "\" has no button for the scripted answer " +
                       std::to_string(*answer));
  }
  boxes_[index].result = *answer;
  return *answer;
}

TMenuItem* TApplication::TrackPopupMenu(TPopupMenu& menu, TPoint point) {
  TPopupMenuRecord record;
  record.menu = menu.Name();
  record.popup_component = menu.PopupComponent() != nullptr ? menu.PopupComponent()->Name() : "";
  record.point = point;
  popups_.push_back(record);
  const std::size_t index = popups_.size() - 1;
  std::optional<std::string> choice = ScriptedUser().TakeMenuChoice();
  if (!choice) return nullptr;
  TMenuItem* item = menu.Items()->Find(*choice);
  if (item == nullptr) {
    throw EScriptError("popup menu " + menu.Name() + " has no item \"" + *choice + "\"");
  }
  // The user clicks a greyed item or a separator: the menu closes, nothing is chosen.
  if (!item->Enabled() || item->IsLine()) return nullptr;
  popups_[index].chosen = item->Caption();
  return item;
}

void TApplication::Beep(std::uint32_t type) { MessageBeep(type); }

void TApplication::HandleException(TObject* sender, std::exception_ptr error) {
  try {
    std::rethrow_exception(std::move(error));
  } catch (const EScriptError&) {
    throw;  // the test's script does not fit: that is the test's failure, not the program's
  } catch (const std::exception& e) {
    if (OnException.Assigned()) {
      OnException(sender, e);
    } else {
      ShowException(e);
    }
  }
}

void TApplication::ShowException(const std::exception& error) {
  std::string text = error.what();
  // A message that ends in a word gets its full stop, as error boxes read.
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  TMessageBoxRecord box;
  box.kind = mkException;
  box.caption = title_;
  box.text = std::move(text);
  box.type = mtError;
  box.buttons = {mbOK};
  box.result = mrOk;
  boxes_.push_back(box);
  if (WindowHost() == nullptr || showing_exception_) return;
  // In real windows the person reads it. An error while the box shows (or one it raises
  // itself) stays recorded only: an error box must not lead to another.
  const TemporaryChange showing(showing_exception_, true);
  try {
    ShowMessageForm(box);
  } catch (const EScriptError&) {
    throw;
  } catch (const std::exception&) {
  }
}

void TApplication::Reset() {
  posted_.clear();
  help_log_.clear();
  boxes_.clear();
  popups_.clear();
  terminated_ = false;
}

}  // namespace vantor
