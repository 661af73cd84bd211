#pragma once
// TButton: a push button. A click (mouse release over it, Space while it has the focus,
// Enter while it is the active button, Escape when it is the cancel button) fires
// OnClick and, when the button carries a ModalResult, ends its form's modal loop with
// it. The "active" button is the focused button or, when no button has the focus, the
// Default one: it answers Enter.
// TBitBtn: a button with a glyph and a Kind that sets caption, glyph, modal result and
// the Default/Cancel roles the usual way (bkOK: "OK", mrOk, Default).

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include <vantor/platform/ui/bitmap.h>
#include <vantor/platform/ui/button_layout.h>
#include <vantor/platform/ui/message_dialogs.h>
#include <vantor/platform/ui/win_control.h>

namespace vantor {

class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* owner);
  ~TButton() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // Enter clicks the Default button while no other button has the focus.
  bool Default() const { return default_; }
  void SetDefault(bool value);
  // Escape clicks the Cancel button.
  bool Cancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  // Given to the form (ModalResult) when the button is clicked; mrNone leaves it alone.
  TModalResult ModalResult() const { return modal_result_; }
  void SetModalResult(TModalResult value) { modal_result_ = value; }
  // True while this is the button that answers Enter.
  bool Active() const { return active_; }
  // The button is pressed down (mouse or Space held), as it is drawn.
  bool Down() const { return down_; }

  // Clicks the button as the user does.
  void Click() override;
  void WndProc(TMessage& message) override;

 protected:
  void PaintWindow(HDC dc) override;
  void CMDialogKey(TMessage& m);
  void CMFocusChanged(TMessage& m);
  void WMGetDlgCode(TMessage& m);
  void WMLButtonDown(TMessage& m);
  void WMKeyDown(TMessage& m);
  void WMKeyUp(TMessage& m);

 private:
  bool default_ = false;
  bool cancel_ = false;
  bool active_ = false;
  bool down_ = false;
  TModalResult modal_result_ = mrNone;
};

enum class TBitBtnKind : std::uint8_t {
  bkCustom,
  bkOK,
  bkCancel,
  bkHelp,
  bkYes,
  bkNo,
  bkClose,
  bkAbort,
  bkRetry,
  bkIgnore,
  bkAll
};
using enum TBitBtnKind;
template <>
struct EnumNames<TBitBtnKind> {
  static constexpr std::array<std::string_view, 11> value{
      "bkCustom", "bkOK",    "bkCancel", "bkHelp",   "bkYes", "bkNo",
      "bkClose",  "bkAbort", "bkRetry",  "bkIgnore", "bkAll"};
};

class TBitBtn : public TButton {
 public:
  explicit TBitBtn(TComponent* owner);
  ~TBitBtn() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // The kind; reads bkCustom once Default, Cancel or ModalResult no longer fit the kind.
  TBitBtnKind Kind() const;
  // A kind other than bkCustom sets the caption, glyph, ModalResult, Default and Cancel.
  void SetKind(TBitBtnKind value);
  TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(const TBitmap* glyph) { glyph_->Assign(glyph); }
  int NumGlyphs() const { return num_glyphs_; }
  void SetNumGlyphs(int value);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout value);
  int Margin() const { return margin_; }
  void SetMargin(int value);
  int Spacing() const { return spacing_; }
  void SetSpacing(int value);

  // bkClose closes the form; bkHelp opens the form's help topic (OnClick when it has none).
  void Click() override;

  // Stored predicates for the form stream: what the kind sets is not written.
  bool IsCustom() const { return Kind() == bkCustom; }
  bool IsCustomCaption() const;

  // The caption and modal result a kind gives.
  static std::string KindCaption(TBitBtnKind kind);
  static TModalResult KindModalResult(TBitBtnKind kind);

 protected:
  void PaintWindow(HDC dc) override;

 private:
  mutable TBitBtnKind kind_ = bkCustom;
  std::unique_ptr<TBitmap> glyph_;
  int num_glyphs_ = 1;
  TButtonLayout layout_ = blGlyphLeft;
  int margin_ = -1;
  int spacing_ = 4;
};

}  // namespace vantor
