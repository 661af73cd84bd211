#pragma once
// TScreen: the desktop as the application sees it: its size, the mouse cursor shown
// over every window, the forms that exist and which of them is active. There is one,
// reached as Screen->...; tests set its size and read back the cursors it showed.

#include <string_view>
#include <vector>

#include <vantor/platform/core/component.h>
#include <vantor/platform/ui/control.h>

namespace vantor {

class TForm;
class TWinControl;

class TScreen : public TComponent {
 public:
  explicit TScreen(TComponent* owner);
  ~TScreen() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // Desktop size in pixels; 1024 x 768 unless set (a test's or an application's screen).
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetWidth(int value) { width_ = value; }
  void SetHeight(int value) { height_ = value; }

  // The cursor shown over the application's windows; crDefault lets each control show
  // its own. Every change is recorded (CursorLog) so tests can see, for instance, that a
  // search showed the hourglass and restored the default afterwards.
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor value);
  const std::vector<TCursor>& CursorLog() const { return cursor_log_; }
  void ClearCursorLog() { cursor_log_.clear(); }

  // Forms in creation order (every TForm registers itself while it exists).
  int FormCount() const { return static_cast<int>(forms_.size()); }
  TForm* Forms(int index) const;  // EListError out of bounds
  // The form of that name (case-insensitive), or null.
  TForm* FindForm(std::string_view name) const;
  // The form that has the focus, or null; its focused control.
  TForm* ActiveForm() const { return active_form_; }
  TWinControl* ActiveControl() const;

  // Restores the start-up state (size, default cursor, empty cursor log); forms stay.
  void Reset();

  TNotifyEvent OnActiveFormChange;
  TNotifyEvent OnActiveControlChange;

 private:
  friend class TForm;
  void AddForm(TForm* form);
  void RemoveForm(TForm* form);
  void SetActiveForm(TForm* form);
  void ActiveControlChanged();
  // The visible, enabled form activated most recently, other than `except`; null when none.
  TForm* PreviousActiveForm(const TForm* except) const;

  int width_ = 1024;
  int height_ = 768;
  TCursor cursor_ = crDefault;
  std::vector<TCursor> cursor_log_;
  std::vector<TForm*> forms_;
  std::vector<TForm*> activation_order_;  // least recently activated first
  TForm* active_form_ = nullptr;
};

// The screen object, created on first use. `Screen->Width()`; converts to TScreen*.
struct ScreenRef {
  TScreen* operator->() const { return Get(); }
  TScreen& operator*() const { return *Get(); }
  operator TScreen*() const { return Get(); }  // NOLINT(google-explicit-constructor)
  static TScreen* Get();
};
inline constexpr ScreenRef Screen{};

}  // namespace vantor
