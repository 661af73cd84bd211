#pragma once
// TForm: a top-level window with a caption and a frame. It is the root component of
// what it contains (it owns its controls and keeps the method table through which a
// form description binds "OnClick = bbOkClick"), the focus owner of its controls
// (it keeps ActiveControl and routes Tab, Enter and Escape), and it can run modally:
// ShowModal returns once ModalResult is set and the close protocol agrees.
//
// Life of a form:  constructed (hidden) -> AfterConstruction (OnCreate) ->
//   Show (positioned, OnShow, activated: OnActivate) <-> Hide (OnHide) ->
//   destroyed (OnDestroy).
// ShowModal: Show, then the modal loop hands the scripted user's steps to the form
// until ModalResult is non-zero and OnCloseQuery and OnClose let it close; then Hide.
//
// Construction. TForm(owner) makes an empty form: a descendant adds its controls in its
// own constructor, or fills itself from a form description with ReadDescription. OnCreate
// runs from AfterConstruction, which NewForm<F>() calls once the whole object exists (a
// C++ base-class constructor cannot reach a descendant's handlers); a form that was never
// announced gets it before it first shows. The TCreateNew constructor tells a descendant
// that reads a description to skip it, as the host's CreateNew does.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include <vantor/platform/rtl/enum_names.h>
#include <vantor/platform/rtl/set.h>
#include <vantor/platform/ui/message_dialogs.h>
#include <vantor/platform/ui/win_control.h>

namespace vantor {

enum class TPosition : std::uint8_t {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter
};
using enum TPosition;
template <>
struct EnumNames<TPosition> {
  static constexpr std::array<std::string_view, 5> value{
      "poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter"};
};

// The frame of a form. bsNone and bsSingle share their names with the controls'
// TBorderStyle, so those two are written qualified (TFormBorderStyle::bsSingle); the
// others have unqualified constants below.
enum class TFormBorderStyle : std::uint8_t {
  bsNone,
  bsSingle,
  bsSizeable,
  bsDialog,
  bsToolWindow,
  bsSizeToolWin
};
inline constexpr TFormBorderStyle bsSizeable = TFormBorderStyle::bsSizeable;
inline constexpr TFormBorderStyle bsDialog = TFormBorderStyle::bsDialog;
inline constexpr TFormBorderStyle bsToolWindow = TFormBorderStyle::bsToolWindow;
inline constexpr TFormBorderStyle bsSizeToolWin = TFormBorderStyle::bsSizeToolWin;
template <>
struct EnumNames<TFormBorderStyle> {
  static constexpr std::array<std::string_view, 6> value{
      "bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"};
};

enum class TBorderIcon : std::uint8_t { biSystemMenu, biMinimize, biMaximize, biHelp };
using enum TBorderIcon;
using TBorderIcons = Set<TBorderIcon>;
template <>
struct EnumNames<TBorderIcon> {
  static constexpr std::array<std::string_view, 4> value{"biSystemMenu", "biMinimize",
                                                         "biMaximize", "biHelp"};
};

enum class TCloseAction : std::uint8_t { caNone, caHide, caFree, caMinimize };
using enum TCloseAction;

enum class TWindowState : std::uint8_t { wsNormal, wsMinimized, wsMaximized };
using enum TWindowState;
template <>
struct EnumNames<TWindowState> {
  static constexpr std::array<std::string_view, 3> value{"wsNormal", "wsMinimized",
                                                         "wsMaximized"};
};

using TCloseEvent = Event<TObject*, TCloseAction&>;
using TCloseQueryEvent = Event<TObject*, bool&>;

// Tag of the constructor that makes a form without reading its description.
struct TCreateNew {};

// The sizes of a form's frame for a border style, from the system metrics.
struct TFrameMetrics {
  int left = 0;    // frame width on the left and on the right
  int top = 0;     // caption plus frame above the client area
  int bottom = 0;  // frame below the client area
  int Horizontal() const { return 2 * left; }
  int Vertical() const { return top + bottom; }
};
TFrameMetrics FrameMetrics(TFormBorderStyle style);

class TForm : public TWinControl {
 public:
  explicit TForm(TComponent* owner);
  TForm(TComponent* owner, TCreateNew);
  ~TForm() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // Runs OnCreate, once; NewForm<F> calls it after construction.
  void AfterConstruction();
  // Fills this form from its text description ("object fmFind: TfmFind ... end"):
  // properties, controls (created by registered class name and owned by the form) and
  // handlers bound by name through the method table. Then AfterConstruction.
  void ReadDescription(std::string_view text);

  // --- Appearance and placement ---
  TPosition Position() const { return position_; }
  void SetPosition(TPosition value);
  // Puts the form in the middle of the screen, but never above or left of it, so that a
  // form larger than the screen keeps its caption within reach. poScreenCenter places a
  // form so when it shows; a form that centres itself again after a change of its size
  // calls this, so both agree.
  void CenterOnScreen();
  TFormBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TFormBorderStyle value);
  TBorderIcons BorderIcons() const { return border_icons_; }
  void SetBorderIcons(TBorderIcons value);
  TWindowState WindowState() const { return window_state_; }
  void SetWindowState(TWindowState value);
  THelpContext HelpContext() const { return help_context_; }
  void SetHelpContext(THelpContext value) { help_context_ = value; }
  // The form sees every key before the focused control (KeyDown, KeyPress, KeyUp).
  bool KeyPreview() const override { return key_preview_; }
  void SetKeyPreview(bool value) { key_preview_ = value; }
  // Kept for form descriptions written at another resolution; forms are not rescaled.
  int PixelsPerInch() const { return pixels_per_inch_; }
  void SetPixelsPerInch(int value) { pixels_per_inch_ = value; }
  int TextHeight() const { return text_height_; }
  void SetTextHeight(int value) { text_height_ = value; }
  bool Scaled() const { return scaled_; }
  void SetScaled(bool value) { scaled_ = value; }
  // Client size as published properties (a description gives the client area).
  int GetClientWidth() const { return ClientWidth(); }
  int GetClientHeight() const { return ClientHeight(); }

  // --- Showing ---
  // Visible true shows and activates the form; false hides it.
  void SetVisible(bool visible) override;
  void Show();
  void Hide();
  // Shows the form modally and returns its ModalResult. EInvalidOperation when the form
  // is already visible or modal; the scripted user supplies the input (see scripted_user.h).
  TModalResult ShowModal();
  TModalResult ModalResult() const { return modal_result_; }
  // A non-zero value ends the modal loop (after the close protocol agrees).
  void SetModalResult(TModalResult value) { modal_result_ = value; }
  bool Modal() const { return modal_; }
  // Asks the form to close: a modal form gets ModalResult mrCancel; otherwise OnCloseQuery,
  // then OnClose decides between hiding, minimising, freeing (deferred) or staying.
  void Close();
  // OnCloseQuery's answer (true without a handler).
  virtual bool CloseQuery();
  // Frees the form once the messages pending now have been handled (safe from its own
  // event handlers).
  void Release();

  // --- Activation and focus ---
  // True while this is the screen's active form.
  bool Active() const { return active_; }
  // Makes the form the screen's active form (OnDeactivate of the previous one, then
  // OnActivate) and gives the focus to its ActiveControl.
  void Activate();
  // The control that has (or will get, when the form activates) the focus.
  TWinControl* ActiveControl() const { return active_control_; }
  // EInvalidOperation "Cannot focus a disabled or invisible window" for a control that is
  // not on this form or cannot take the focus while the form shows.
  void SetActiveControl(TWinControl* control);
  void FocusControl(TWinControl* control) override;
  void SetFocusedControl(TWinControl* control) override;
  void SetFocus() override;

  // The client area within the window: the window less the caption and the frame.
  TRect ClientAreaInWindow() const override;
  // The form stream writes the form's controls, then the components it owns that stand
  // on no control (menus, data sources).
  std::vector<TComponent*> GetChildren(TComponent* root) const override;
  void Notification(TComponent* c, TOperation op) override;
  void WndProc(TMessage& message) override;
  void Loaded() override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

 protected:
  virtual void DoCreate();
  virtual void DoDestroy();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoActivate();
  virtual void DoDeactivate();
  virtual void DoClose(TCloseAction& action);
  void CreateParams(TCreateParams& params) const override;
  // A control leaving the form takes ActiveControl and the focused control with it when
  // they are inside it; a hidden or disabled one keeps them (Activate passes over it).
  void ForgetFocusInside(TWinControl* control, bool removing) override;

  // Message handlers.
  void CMDialogKey(TMessage& m);
  void WMClose(TMessage& m);

 private:
  friend class TScreen;
  struct ModalState;

  void Init();
  void ShowForm();
  void HideForm();
  void PlaceOnScreen();
  // The modal loop's close protocol: OnCloseQuery then OnClose; clears ModalResult
  // when the form stays open.
  void CloseModal();
  void Deactivate();
  void BroadcastFocusChanged(TWinControl* focused);
  bool IsOnForm(const TControl* control) const;
  // Stores `control` in `slot` (ActiveControl or the focused control, `other` being the
  // other one), with a free notification on every control either holds.
  void StoreFocusPointer(TWinControl*& slot, const TWinControl* other, TWinControl* control);
  // Stores ActiveControl, or the control that last got the focus on this form.
  void SetActiveControlPtr(TWinControl* control);
  void SetFocusedControlPtr(TWinControl* control);
  // Whether ActiveControl and the focused control are null or on this form.
  bool FocusIsOnForm() const;

  TPosition position_ = poDesigned;
  TFormBorderStyle border_style_ = bsSizeable;
  TBorderIcons border_icons_{biSystemMenu, biMinimize, biMaximize};
  TWindowState window_state_ = wsNormal;
  THelpContext help_context_ = 0;
  bool key_preview_ = false;
  int pixels_per_inch_ = kScreenPixelsPerInch;
  int text_height_ = 13;
  bool scaled_ = true;

  TModalResult modal_result_ = mrNone;
  bool modal_ = false;
  bool active_ = false;
  bool created_ = false;        // OnCreate has run
  bool releasing_ = false;
  bool show_when_loaded_ = false;
  // Null, or controls on this form (the focused one may be the form itself): a control
  // leaving the form takes them with it (ForgetFocusInside), one freed clears them
  // (Notification).
  TWinControl* active_control_ = nullptr;
  TWinControl* focused_control_ = nullptr;
};

// Makes a form of class F and announces it (OnCreate), as a form is created by name.
template <typename F, typename... Args>
F* NewForm(Args&&... args) {
  F* form = new F(std::forward<Args>(args)...);
  try {
    form->AfterConstruction();
  } catch (...) {
    delete form;
    throw;
  }
  return form;
}

// The form that contains `control` (its focus owner when that is a form), or null.
TForm* GetParentForm(const TControl* control);

// Registers the form and the controls of this layer's second half (TForm, TButton,
// TBitBtn, TCheckBox, TComboBox, TListBox, TPageControl, TTabSheet, TGroupBox, TBevel,
// TPopupMenu, TMenuItem) so that form descriptions can create them by class name.
void RegisterFormClasses();

}  // namespace vantor
