#pragma once
// TCheckBox: a box with a caption that the user ticks. A click (mouse released over it)
// or Space while it has the focus moves it to its next state; every change of State,
// by the user or by code, fires OnClick.

#include <array>
#include <cstdint>

#include <vantor/platform/ui/win_control.h>

namespace vantor {

enum class TCheckBoxState : std::uint8_t { cbUnchecked, cbChecked, cbGrayed };
using enum TCheckBoxState;
template <>
struct EnumNames<TCheckBoxState> {
  static constexpr std::array<std::string_view, 3> value{"cbUnchecked", "cbChecked", "cbGrayed"};
};

class TCheckBox : public TWinControl {
 public:
  explicit TCheckBox(TComponent* owner);
  ~TCheckBox() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  TCheckBoxState State() const { return state_; }
  void SetState(TCheckBoxState value);
  bool Checked() const { return state_ == cbChecked; }
  void SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }
  // A click on an unchecked box goes to grayed first when allowed.
  bool AllowGrayed() const { return allow_grayed_; }
  void SetAllowGrayed(bool value) { allow_grayed_ = value; }
  // The next state, as a click gives it.
  void Toggle();

  void WndProc(TMessage& message) override;

 protected:
  void PaintWindow(HDC dc) override;

 private:
  TCheckBoxState state_ = cbUnchecked;
  bool allow_grayed_ = false;
  bool pressed_ = false;
};

}  // namespace vantor
