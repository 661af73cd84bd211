#include <vantor/platform/ui/form.h>

#include <algorithm>
#include <cassert>
#include <exception>

#include <vantor/platform/core/object_text.h>
#include <vantor/platform/core/reader.h>
#include <vantor/platform/core/stream.h>
#include <vantor/platform/core/temporary_change.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/ui/application.h>
#include <vantor/platform/ui/bevel.h>
#include <vantor/platform/ui/button.h>
#include <vantor/platform/ui/check_box.h>
#include <vantor/platform/ui/combo_box.h>
#include <vantor/platform/ui/group_box.h>
#include <vantor/platform/ui/list_box.h>
#include <vantor/platform/ui/page_control.h>
#include <vantor/platform/ui/publishing.h>
#include <vantor/platform/ui/screen.h>
#include <vantor/platform/ui/window_host.h>
#include <vantor/platform/ui/scripted_user.h>

namespace vantor {

namespace {

// Window-style bits of top-level frames (the others are in messages.h).
constexpr std::uint32_t kWsThickFrame = 0x00040000;
constexpr std::uint32_t kWsSysMenu = 0x00080000;
constexpr std::uint32_t kWsMinimizeBox = 0x00020000;
constexpr std::uint32_t kWsMaximizeBox = 0x00010000;
constexpr std::uint32_t kWsExDlgModalFrame = 0x00000001;
constexpr std::uint32_t kWsExToolWindow = 0x00000080;
constexpr std::uint32_t kWsExContextHelp = 0x00000400;

const char* const kCannotFocus = "Cannot focus a disabled or invisible window";

// Visible and enabled up to (not including) the form: a control of a hidden form can
// still be its ActiveControl, and takes the focus when the form shows.
bool CanFocusOnForm(const TWinControl* control, const TForm* form) {
  for (const TControl* c = control; c != nullptr && c != form; c = c->Parent()) {
    if (!c->Visible() || !c->Enabled()) return false;
  }
  return true;
}

// Sends `m` to every control inside `parent`, depth first, until one answers non-zero.
bool SendToAll(TWinControl& parent, TMessage& m) {
  for (int i = 0; i < parent.ControlCount(); ++i) {
    TControl* c = parent.Controls(i);
    c->WndProc(m);
    if (m.Result != 0) return true;
    if (auto* w = dynamic_cast<TWinControl*>(c)) {
      if (SendToAll(*w, m)) return true;
    }
  }
  return false;
}

// An exception out of an event the form fires on its own (showing, activating) is
// reported the way a message loop reports it, and the form carries on.
template <typename F>
void Guarded(TForm* form, F&& action) {
  try {
    action();
  } catch (const EScriptError&) {
    throw;
  } catch (...) {
    Application->HandleException(form, std::current_exception());
  }
}

// Counts forms that are placed where the system chooses, so that they cascade.
int VisibleFormsOtherThan(const TForm* form) {
  int n = 0;
  for (int i = 0; i < Screen->FormCount(); ++i) {
    if (Screen->Forms(i) != form && Screen->Forms(i)->Visible()) ++n;
  }
  return n;
}

}  // namespace

TFrameMetrics FrameMetrics(TFormBorderStyle style) {
  switch (style) {
    case TFormBorderStyle::bsNone:
      return {};
    case TFormBorderStyle::bsSingle:
    case TFormBorderStyle::bsDialog:
      return {GetSystemMetrics(SM_CXDLGFRAME),
              GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYDLGFRAME),
              GetSystemMetrics(SM_CYDLGFRAME)};
    case TFormBorderStyle::bsSizeable:
      return {GetSystemMetrics(SM_CXFRAME),
              GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME),
              GetSystemMetrics(SM_CYFRAME)};
    case TFormBorderStyle::bsToolWindow:
      return {GetSystemMetrics(SM_CXDLGFRAME),
              GetSystemMetrics(SM_CYSMCAPTION) + GetSystemMetrics(SM_CYDLGFRAME),
              GetSystemMetrics(SM_CYDLGFRAME)};
    case TFormBorderStyle::bsSizeToolWin:
      return {GetSystemMetrics(SM_CXFRAME),
              GetSystemMetrics(SM_CYSMCAPTION) + GetSystemMetrics(SM_CYFRAME),
              GetSystemMetrics(SM_CYFRAME)};
  }
  return {};
}

TForm* GetParentForm(const TControl* control) {
  if (control == nullptr) return nullptr;
  const TControl* top = control;
  while (top->Parent() != nullptr) top = top->Parent();
  return dynamic_cast<TForm*>(const_cast<TControl*>(top));
}

void RegisterFormClasses() {
  for (const TypeInfo* info :
       {&TForm::StaticType(), &TButton::StaticType(), &TBitBtn::StaticType(),
        &TCheckBox::StaticType(), &TComboBox::StaticType(), &TListBox::StaticType(),
        &TPageControl::StaticType(), &TTabSheet::StaticType(), &TGroupBox::StaticType(),
        &TBevel::StaticType(), &TPopupMenu::StaticType(), &TMenuItem::StaticType()}) {
    RegisterClass(*info);
  }
}

const TypeInfo& TForm::StaticType() {
  static const TypeInfo info = [] {
    TypeBuilder<TForm> b("TForm", &TWinControl::StaticType());
    b.Component();
    PublishControl(b, true);
    b.Property("ActiveControl", &TForm::ActiveControl, &TForm::SetActiveControl)
          .Property("BorderIcons", &TForm::BorderIcons, &TForm::SetBorderIcons,
                    TBorderIcons{biSystemMenu, biMinimize, biMaximize})
          .Property("BorderStyle", &TForm::BorderStyle, &TForm::SetBorderStyle, bsSizeable)
          .Property("ClientHeight", &TForm::GetClientHeight, &TForm::SetClientHeight)
          .Property("Ctl3D", &TForm::Ctl3D, &TForm::SetCtl3D, true)
          .Property("ClientWidth", &TForm::GetClientWidth, &TForm::SetClientWidth)
          .Property("HelpContext", &TForm::HelpContext, &TForm::SetHelpContext, 0)
          .Property("KeyPreview", &TForm::KeyPreview, &TForm::SetKeyPreview, false)
          .Property("PixelsPerInch", &TForm::PixelsPerInch, &TForm::SetPixelsPerInch)
          .Property("Position", &TForm::Position, &TForm::SetPosition, poDesigned)
          .Property("Scaled", &TForm::Scaled, &TForm::SetScaled, true)
          .Property("TextHeight", &TForm::TextHeight, &TForm::SetTextHeight)
          .Property("WindowState", &TForm::WindowState, &TForm::SetWindowState, wsNormal)
          .Event("OnActivate", &TForm::OnActivate)
          .Event("OnClose", &TForm::OnClose)
          .Event("OnCloseQuery", &TForm::OnCloseQuery)
          .Event("OnCreate", &TForm::OnCreate)
          .Event("OnDeactivate", &TForm::OnDeactivate)
          .Event("OnDestroy", &TForm::OnDestroy)
          .Event("OnHide", &TForm::OnHide)
          .Event("OnShow", &TForm::OnShow);
    return PublishKeyEvents(b).Build();
  }();
  return info;
}

TForm::TForm(TComponent* owner) : TWinControl(owner) { Init(); }

TForm::TForm(TComponent* owner, TCreateNew) : TWinControl(owner) { Init(); }

void TForm::Init() {
  TWinControl::SetVisible(false);
  SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks});
  SetParentColor(false);
  SetColor(clBtnFace);
  SetParentFont(false);
  SetBounds(0, 0, 320, 240);
  Screen->AddForm(this);
}

TForm::~TForm() {
  Destroying();
  if (created_) {
    try {
      DoDestroy();
    } catch (const std::exception& e) {
      Application->ShowException(e);  // a destructor cannot pass it on
    } catch (...) {
    }
  }
  if (active_) {
    active_ = false;
    Screen->SetActiveForm(nullptr);
  }
  DestroyComponents();
  Screen->RemoveForm(this);
}

void TForm::AfterConstruction() {
  if (created_) return;
  created_ = true;
  DoCreate();
}

void TForm::ReadDescription(std::string_view text) {
  TMemoryStream source(text);
  TMemoryStream binary;
  ObjectTextToBinary(source, binary);
  binary.SetPosition(0);
  TReader reader(binary);
  reader.ReadRootComponent(this);
  AfterConstruction();
}

// --- Properties ---

void TForm::SetPosition(TPosition value) {
  if (value == position_) return;
  position_ = value;
}

void TForm::SetBorderStyle(TFormBorderStyle value) {
  if (value == border_style_) return;
  // The client area keeps its size: descriptions give it, and the frame grows around it.
  const int client_width = ClientWidth();
  const int client_height = ClientHeight();
  border_style_ = value;
  const TFrameMetrics f = FrameMetrics(value);
  SetBounds(Left(), Top(), client_width + f.Horizontal(), client_height + f.Vertical());
  if (HandleAllocated()) RecreateWnd();
}

void TForm::SetBorderIcons(TBorderIcons value) {
  if (value == border_icons_) return;
  border_icons_ = value;
  if (HandleAllocated()) RecreateWnd();
}

void TForm::SetWindowState(TWindowState value) {
  if (value == window_state_) return;
  window_state_ = value;
}

TRect TForm::ClientAreaInWindow() const {
  const TFrameMetrics f = FrameMetrics(border_style_);
  return {f.left, f.top, std::max(f.left, Width() - f.left), std::max(f.top, Height() - f.bottom)};
}

void TForm::CreateParams(TCreateParams& params) const {
  TWinControl::CreateParams(params);
  params.Style &= ~(WS_CHILD | WS_CAPTION | WS_POPUP);
  params.ExStyle &= ~WS_EX_CLIENTEDGE;
  params.WndParent = 0;
  switch (border_style_) {
    case TFormBorderStyle::bsNone: params.Style |= WS_POPUP; break;
    case TFormBorderStyle::bsSingle: params.Style |= WS_CAPTION; break;
    case TFormBorderStyle::bsSizeable: params.Style |= WS_CAPTION | kWsThickFrame; break;
    case TFormBorderStyle::bsDialog:
      params.Style |= WS_POPUP | WS_CAPTION;
      params.ExStyle |= kWsExDlgModalFrame;
      break;
    case TFormBorderStyle::bsToolWindow:
      params.Style |= WS_CAPTION;
      params.ExStyle |= kWsExToolWindow;
      break;
    case TFormBorderStyle::bsSizeToolWin:
      params.Style |= WS_CAPTION | kWsThickFrame;
      params.ExStyle |= kWsExToolWindow;
      break;
  }
  if (border_style_ != TFormBorderStyle::bsNone && border_icons_.Contains(biSystemMenu)) {
    params.Style |= kWsSysMenu;
    if (border_style_ != bsDialog && border_style_ != bsToolWindow &&
        border_style_ != bsSizeToolWin) {
      if (border_icons_.Contains(biMinimize)) params.Style |= kWsMinimizeBox;
      if (border_icons_.Contains(biMaximize)) params.Style |= kWsMaximizeBox;
    }
    if (border_icons_.Contains(biHelp)) params.ExStyle |= kWsExContextHelp;
  }
}

// --- Showing and hiding ---

void TForm::SetVisible(bool visible) {
  if (ComponentState().Contains(csLoading)) {
    // A description that says Visible = True shows the form once it is complete.
    show_when_loaded_ = visible;
    return;
  }
  if (visible == Visible()) return;
  if (visible) {
    ShowForm();
  } else {
    HideForm();
  }
}

void TForm::Show() {
  SetVisible(true);
  if (!active_) Activate();
}

void TForm::Hide() { SetVisible(false); }

void TForm::ShowForm() {
  AfterConstruction();
  HandleNeeded();
  TWinControl::SetVisible(true);
  Guarded(this, [this] { DoShow(); });
  PlaceOnScreen();
  if (TWindowHost* host = WindowHost()) host->FormShown(*this);
  if (Enabled()) Activate();
}

void TForm::HideForm() {
  Guarded(this, [this] { DoHide(); });
  const bool was_active = active_;
  if (was_active) Deactivate();
  // Take the focus out of the window that disappears.
  if (was_active && focused_control_ != nullptr) RemoveFocus(false);
  TWinControl::SetVisible(false);
  if (TWindowHost* host = WindowHost()) host->FormHidden(*this);
  if (was_active) {
    Screen->SetActiveForm(nullptr);
    if (TForm* next = Screen->PreviousActiveForm(this)) next->Activate();
  }
}

void TForm::CenterOnScreen() {
  const int x = std::max(0, (Screen->Width() - Width()) / 2);
  const int y = std::max(0, (Screen->Height() - Height()) / 2);
  SetBounds(x, y, Width(), Height());
}

void TForm::PlaceOnScreen() {
  switch (position_) {
    case poDesigned:
      return;
    case poScreenCenter:
      CenterOnScreen();
      return;
    case poDefault:
    case poDefaultPosOnly:
    case poDefaultSizeOnly: {
      // The system's choice: a cascade by the number of windows already showing, and
      // three quarters of the screen for the size.
      int x = Left();
      int y = Top();
      int w = Width();
      int h = Height();
      if (position_ != poDefaultSizeOnly) {
        const int step = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME);
        x = y = step * (VisibleFormsOtherThan(this) % 8);
      }
      if (position_ != poDefaultPosOnly) {
        w = Screen->Width() * 3 / 4;
        h = Screen->Height() * 3 / 4;
      }
      SetBounds(x, y, w, h);
      return;
    }
  }
}

void TForm::Loaded() {
  TWinControl::Loaded();
  if (show_when_loaded_) {
    show_when_loaded_ = false;
    Show();
  }
}

// --- Activation and focus ---

void TForm::Activate() {
  if (active_ || !Visible()) return;
  if (TForm* previous = Screen->ActiveForm(); previous != nullptr && previous != this) {
    previous->Deactivate();
  }
  active_ = true;
  Screen->SetActiveForm(this);
  if (active_control_ == nullptr || !CanFocusOnForm(active_control_, this)) {
    SetActiveControlPtr(FindNextControl(nullptr, true, true, false));
  }
  TWinControl::FocusControl(active_control_ != nullptr ? active_control_ : this);
  Guarded(this, [this] { DoActivate(); });
}

void TForm::Deactivate() {
  if (!active_) return;
  active_ = false;
  Guarded(this, [this] { DoDeactivate(); });
}

void TForm::StoreFocusPointer(TWinControl*& slot, const TWinControl* other, TWinControl* control) {
  if (control == slot) return;
  if (slot != nullptr && slot != other) RemoveFreeNotification(slot);
  slot = control;
  if (control != nullptr) FreeNotification(control);
}

void TForm::SetActiveControlPtr(TWinControl* control) { StoreFocusPointer(active_control_, focused_control_, control); }

void TForm::SetFocusedControlPtr(TWinControl* control) { StoreFocusPointer(focused_control_, active_control_, control); }

void TForm::SetActiveControl(TWinControl* control) {
  if (control == active_control_) return;
  if (control != nullptr &&
      (control == this || !ContainsControl(control) ||
       (!ComponentState().Contains(csLoading) && !CanFocusOnForm(control, this)))) {
    throw EInvalidOperation(kCannotFocus);
  }
  SetActiveControlPtr(control);
  if (active_ && control != nullptr && !ComponentState().Contains(csLoading)) {
    TWinControl::FocusControl(control);
  }
}

void TForm::FocusControl(TWinControl* control) {
  if (control == this || control == nullptr) {
    TWinControl::FocusControl(this);
    return;
  }
  // A new active control of an active form takes the focus at once, and activating the
  // form focuses its active control; an exit or enter handler met on the way may take the
  // focus elsewhere, and that stands (a second try would send the exits again).
  const bool moved = active_ && control != active_control_;
  SetActiveControl(control);
  if (!active_) {
    SetFocus();
    return;
  }
  if (!moved && GetFocus() != control && control->CanFocus()) TWinControl::FocusControl(control);
}

void TForm::SetFocus() {
  if (!Visible() || !Enabled()) throw EInvalidOperation(kCannotFocus);
  if (!active_) {
    Activate();
    return;
  }
  TWinControl::FocusControl(active_control_ != nullptr ? active_control_ : this);
}

bool TForm::FocusIsOnForm() const {
  const bool active = active_control_ == nullptr || (active_control_ != this && IsOnForm(active_control_));
  return active && (focused_control_ == nullptr || IsOnForm(focused_control_));
}

void TForm::ForgetFocusInside(TWinControl* control, bool removing) {
  TWinControl::ForgetFocusInside(control, removing);
  if (!removing) return;
  if (active_control_ != nullptr && control->ContainsControl(active_control_)) SetActiveControlPtr(nullptr);
  if (focused_control_ != nullptr && control->ContainsControl(focused_control_)) SetFocusedControlPtr(nullptr);
  // Both were on the form; what stays of them lies outside the control that leaves it.
  assert(FocusIsOnForm());
}

void TForm::SetFocusedControl(TWinControl* control) {
  if (control != this && control != nullptr) SetActiveControlPtr(control);
  SetFocusedControlPtr(control);
  // The window that got the focus told its focus owner, this form: it is on the form.
  assert(FocusIsOnForm());
  TWinControl::SetFocusedControl(control);
  BroadcastFocusChanged(control);
  if (Screen->ActiveForm() == this) Screen->ActiveControlChanged();
}

void TForm::BroadcastFocusChanged(TWinControl* focused) {
  TMessage m{CM_FOCUSCHANGED, 0, reinterpret_cast<std::intptr_t>(focused), 0};
  SendToAll(*this, m);
}

bool TForm::IsOnForm(const TControl* control) const { return ContainsControl(control); }

std::vector<TComponent*> TForm::GetChildren(TComponent* root) const {
  std::vector<TComponent*> children = TWinControl::GetChildren(root);
  for (TComponent* c : TComponent::GetChildren(root)) children.push_back(c);
  return children;
}

void TForm::Notification(TComponent* c, TOperation op) {
  TWinControl::Notification(c, op);
  if (op != opRemove) return;
  if (c == active_control_) active_control_ = nullptr;
  if (c == focused_control_) focused_control_ = nullptr;
}

// --- Modal showing and closing ---

struct TForm::ModalState {
  explicit ModalState(TForm& form) : form_(form), previous_(Screen->ActiveForm()) {
    // The other windows take no input while a modal form runs.
    for (int i = 0; i < Screen->FormCount(); ++i) {
      TForm* other = Screen->Forms(i);
      if (other != &form && other->Visible() && other->Enabled()) {
        other->SetEnabled(false);
        disabled_.push_back(other);
      }
    }
    form_.modal_ = true;
    ++Application->modal_level_;
  }
  // The other windows come back as a message loop would bring them back: an error of a
  // handler is reported and the next window still comes back. Only the test's own script
  // errors pass, and those not while the modal run is already being left by an error.
  ~ModalState() noexcept(false) {
    // Raised by this state's constructor; a modal run nested in this one has lowered it
    // again by the time its own state went.
    assert(Application->modal_level_ > 0);
    --Application->modal_level_;
    form_.modal_ = false;
    CloseScope(exceptions_, [this] {
      for (TForm* other : disabled_) {
        if (StillThere(other)) Guarded(other, [other] { other->SetEnabled(true); });
      }
      if (previous_ != nullptr && previous_ != &form_ && StillThere(previous_) && previous_->Visible()) {
        Guarded(previous_, [this] { previous_->Activate(); });
      }
    });
  }
  ModalState(const ModalState&) = delete;
  ModalState& operator=(const ModalState&) = delete;

 private:
  static bool StillThere(TForm* form) {
    for (int i = 0; i < Screen->FormCount(); ++i) {
      if (Screen->Forms(i) == form) return true;
    }
    return false;
  }
  TForm& form_;
  TForm* previous_;
  std::vector<TForm*> disabled_;
  int exceptions_ = std::uncaught_exceptions();
};

TModalResult TForm::ShowModal() {
  if (Visible() || !Enabled() || modal_) {
    throw EInvalidOperation("Cannot make a visible window modal");
  }
  ModalState state(*this);
  modal_result_ = mrNone;
  try {
    Show();
    while (true) {
      while (Application->HandleMessage()) {
      }
      if (Application->Terminated()) {
        modal_result_ = mrCancel;
        break;
      }
      if (modal_result_ != mrNone) {
        CloseModal();
        if (modal_result_ != mrNone) break;
        continue;
      }
      if (TWindowHost* host = WindowHost()) {
        host->WaitForInput(*this);
        continue;
      }
      if (ScriptedUser().Empty()) {
        throw EScriptError("modal form " + (Name().empty() ? ClassName() : Name()) +
                           " has no scripted input left");
      }
      try {
        ScriptedUser().PlayStep(*this);
      } catch (const EScriptError&) {
        throw;
      } catch (...) {
        Application->HandleException(this, std::current_exception());
      }
    }
  } catch (...) {
    try {
      Deactivate();
      Hide();
    } catch (...) {  // NOLINT(bugprone-empty-catch): the first error is the one to report
    }
    throw;
  }
  Deactivate();
  Hide();
  return modal_result_;
}

void TForm::CloseModal() {
  try {
    TCloseAction action = caNone;
    if (CloseQuery()) {
      action = caHide;
      DoClose(action);
    }
    if (action == caNone) modal_result_ = mrNone;
    if (action == caFree) Release();
  } catch (const EScriptError&) {
    throw;
  } catch (...) {
    modal_result_ = mrNone;
    Application->HandleException(this, std::current_exception());
  }
}

bool TForm::CloseQuery() {
  bool can_close = true;
  OnCloseQuery(this, can_close);
  return can_close;
}

void TForm::Close() {
  if (modal_) {
    modal_result_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  switch (action) {
    case caNone: return;
    case caHide: Hide(); return;
    case caMinimize: SetWindowState(wsMinimized); return;
    case caFree: Release(); return;
  }
}

void TForm::Release() {
  if (releasing_) return;
  releasing_ = true;
  Application->PostCallFor(this, [this] { delete this; });
}

// --- Events ---

void TForm::DoCreate() { OnCreate(this); }
void TForm::DoDestroy() { OnDestroy(this); }
void TForm::DoShow() { OnShow(this); }
void TForm::DoHide() { OnHide(this); }
void TForm::DoActivate() { OnActivate(this); }
void TForm::DoDeactivate() { OnDeactivate(this); }
void TForm::DoClose(TCloseAction& action) { OnClose(this, action); }

// --- Messages ---

void TForm::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CM_DIALOGKEY: CMDialogKey(m); return;
    case WM_CLOSE: WMClose(m); return;
    default: TWinControl::WndProc(m); return;
  }
}

void TForm::WMClose(TMessage& m) {
  m.Result = 0;
  Close();
}

void TForm::CMDialogKey(TMessage& m) {
  const auto key = static_cast<std::uint16_t>(m.WParam);
  const TShiftState shift = KeyDataToShiftState(m.LParam);
  if (!shift.Contains(ssAlt)) {
    switch (key) {
      case VK_TAB:
        if (shift.Contains(ssCtrl)) break;
        SelectNext(active_control_, !shift.Contains(ssShift), true);
        m.Result = 1;
        return;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        // Arrows move among the focused control's neighbours, tab stops or not.
        if (active_control_ != nullptr && active_control_->Parent() != nullptr) {
          active_control_->Parent()->SelectNext(active_control_,
                                                key == VK_RIGHT || key == VK_DOWN, false);
          m.Result = 1;
        }
        return;
      default:
        break;
    }
  }
  // Enter and Escape: the default and cancel buttons answer (CM_DIALOGKEY to every control).
  m.Result = 0;
  SendToAll(*this, m);
}

}  // namespace vantor
