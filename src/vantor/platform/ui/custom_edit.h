#pragma once
// TCustomEdit: a one-line text edit. It keeps the text, the selection (positions count
// characters, that is code points), the modified flag and the formatting rectangle the
// text is drawn in, and it edits as the system edit control does: typed characters
// replace the selection, Backspace and Delete remove, the arrows, Home and End move
// (Shift extends the selection). Keys reach KeyDown/KeyPress first, where a handler can
// change or cancel them. Enter never inserts a line break into a one-line edit; only a
// window created with ES_MULTILINE takes it as "\r\n". Every change of the text, typed
// or set, fires OnChange. With AutoSize the height follows the font: text height plus
// 8 pixels for the 3-D border (6 for the flat one).

#include <cstdint>
#include <string>

#include <vantor/platform/ui/win_control.h>

namespace vantor {

enum class TEditCharCase : std::uint8_t { ecNormal, ecUpperCase, ecLowerCase };
using enum TEditCharCase;
template <>
struct EnumNames<TEditCharCase> {
  static constexpr std::array<std::string_view, 3> value{"ecNormal", "ecUpperCase", "ecLowerCase"};
};

class TCustomEdit : public TWinControl {
 public:
  explicit TCustomEdit(TComponent* owner);

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  bool AutoSelect() const { return auto_select_; }
  void SetAutoSelect(bool value) { auto_select_ = value; }
  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool value);
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle value);
  TEditCharCase CharCase() const { return char_case_; }
  void SetCharCase(TEditCharCase value);
  bool HideSelection() const { return hide_selection_; }
  void SetHideSelection(bool value) { hide_selection_ = value; }
  // Longest text typing may produce, in characters; 0: no limit.
  int MaxLength() const { return max_length_; }
  void SetMaxLength(int value);
  bool Modified() const { return modified_; }
  void SetModified(bool value) { modified_ = value; }
  char32_t PasswordChar() const { return password_char_; }
  void SetPasswordChar(char32_t value);
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool value);

  int SelStart() const;
  void SetSelStart(int value);
  int SelLength() const;
  void SetSelLength(int value);
  std::string SelText() const;
  // Replaces the selection (as a paste would), leaving the caret after the new text.
  void SetSelText(const std::string& text);
  void SelectAll();
  void ClearSelection() { SetSelText(""); }
  // The clipboard (window_host.h): copying a password edit copies nothing; pasting into a
  // one-line edit takes the text up to its first line break.
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  void Clear() { SetText(""); }

  // The text in display form (what the window shows).
  std::string DisplayText() const;

  void WndProc(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;
  void Loaded() override;

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) const override;
  // The text changed (typed or set): fires OnChange.
  virtual void Change();
  // Height = text height of the font + 8 (3-D border) or + 6 (flat); the old look's
  // measure is a quarter of the smaller of the system and edit font heights + 4 borders.
  void AdjustHeight();
  void UpdateHeight();
  // The window text (with a mask: the text with its literals and blanks).
  std::string WindowText() const { return TControl::GetText(); }
  // Replaces the window text as typing does: sets Modified, fires OnChange, moves the caret.
  void ReplaceWindowText(const std::string& text, int caret);
  // Shows the same value in another form (a new edit mask): the window text changes
  // without a change notice; Modified stays, the selection is kept within the text.
  void ReshowWindowText(const std::string& text);
  // Caret and anchor of the selection, in characters.
  int Caret() const { return caret_; }
  void SetCaret(int caret, bool extend);

 private:
  void NativeKeyDown(TMessage& m);
  void NativeChar(TMessage& m);
  void NativePaint(TMessage& m);
  TRect FormatRect() const;
  int TextLength() const;

  bool auto_select_ = true;
  bool auto_size_ = true;
  TBorderStyle border_style_ = bsSingle;
  TEditCharCase char_case_ = ecNormal;
  bool hide_selection_ = true;
  int max_length_ = 0;
  bool modified_ = false;
  char32_t password_char_ = 0;
  bool read_only_ = false;
  int anchor_ = 0;
  int caret_ = 0;
  int margin_left_ = 0;
  int margin_right_ = 0;
  bool has_format_rect_ = false;
  TRect format_rect_;
};

// The single-line edit with its properties published.
class TEdit : public TCustomEdit {
 public:
  using TCustomEdit::TCustomEdit;
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
};

}  // namespace vantor
