#pragma once
// TVntMaskEdit: the mask edit of the criteria panels. It adds three things to the host's
// mask edit: an optional ellipsis button inside its right edge (ShowButton), the
// alignment of its text while it does not have the focus (the edit then paints the text
// itself; with the focus the native, left-aligned edit shows it), and a painting path
// that also serves when the edit is painted as a copy (csPaintCopy).
//
// The window is multi-line only so that the formatting rectangle can keep typed text
// left of the button; Enter never reaches it as a line break, and the edit does not ask
// the dialog manager for every key.

#include <memory>

#include <vantor/platform/core/alignment.h>
#include <vantor/platform/ui/mask_edit.h>
#include <vantor/platform/ui/speed_button.h>

namespace vantor {

class TControlCanvas;

// A speed button that adds nothing but lets the edit reach its Paint.
class TSpeedButtonCrack : public TSpeedButton {
 public:
  using TSpeedButton::TSpeedButton;
  using TSpeedButton::Paint;
};

class TVntMaskEdit : public TMaskEdit {
 public:
  // Width of the ellipsis button.
  static constexpr int kButtonWidth = 16;

  explicit TVntMaskEdit(TComponent* owner);
  // Frees the paint canvas and the button.
  ~TVntMaskEdit() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // Alignment of the text the edit paints itself (not focused).
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  // Whether the ellipsis button exists. Showing it loads the "BTNSPOTS" glyph; when that
  // fails the edit stays without a button and the error propagates.
  bool ShowButton() const { return show_button_; }
  void SetShowButton(bool value);
  // The inherited password character, published read-only.
  char32_t GetPasswordChar() const { return PasswordChar(); }
  bool IsPasswordCharStored() const { return false; }

  // The embedded button (null while ShowButton is off) and its width (16 or 0).
  TSpeedButton* Button() const { return button_; }
  int ButtonWidth() const { return button_width_; }
  // True between CM_ENTER and CM_EXIT.
  bool IsFocusedFlag() const { return focused_; }
  // Horizontal (X) and vertical (Y) margin of the self-painted text.
  TPoint GetTextMargins();

  // Fired when the button is clicked, with the edit as Sender.
  TNotifyEvent OnButtonClick;

  void WndProc(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) const override;
  void CreateWnd() override;
  // Without a window the size arrives here instead of WM_SIZE: the same follow-up.
  void BoundsSized() override;
  void KeyPress(char32_t& key) override;

  void SetButton(bool show);
  void SetButtonBounds();
  // Formatting rectangle: the client area less the button and 2 pixels on the right.
  void SetEditRect();
  void SetFocused(bool value);
  void ButtonClick(TObject* sender);
  void ButtonMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);

 private:
  void Sized();
  bool PaintsItself() const;
  void PaintText(TMessage& message);

  std::unique_ptr<TControlCanvas> canvas_;
  TAlignment alignment_ = taLeftJustify;
  bool focused_ = false;
  TSpeedButtonCrack* button_ = nullptr;  // owned as a component and child of the edit
  int button_width_ = 0;
  bool show_button_ = false;
};

}  // namespace vantor
