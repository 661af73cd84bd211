#include <vantor/platform/ui/custom_edit.h>

#include <algorithm>
#include <cstdlib>

#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/utf8.h>
#include <vantor/platform/ui/font_metrics.h>
#include <vantor/platform/ui/publishing.h>
#include <vantor/platform/ui/window_host.h>

namespace vantor {

const TypeInfo& TCustomEdit::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TCustomEdit>("TCustomEdit", &TWinControl::StaticType()).Build();
  return info;
}

const TypeInfo& TEdit::StaticType() {
  static const TypeInfo info = [] {
    TypeBuilder<TEdit> b("TEdit", &TCustomEdit::StaticType());
    b.Component();
    PublishEditBoxLook(b)
        .Property("Enabled", &TControl::Enabled, &TControl::SetEnabled, true)
        .Property("Font", &TControl::Font)
        .Stored(&TControl::IsFontStored)
        .Property("HideSelection", &TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection,
                  true);
    PublishEditBoxEntry(b);
    return b.Build();
  }();
  return info;
}

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  SetControlStyle({csCaptureMouse, csDesignInteractive, csClickEvents, csSetCaption,
                   csDoubleClicks, csFixedHeight});
  SetBounds(0, 0, 121, 25);
  SetTabStop(true);
  SetColor(clWindow);
  SetParentColor(false);  // an edit keeps the window colour whatever its parent shows
  UpdateHeight();
}

void TCustomEdit::Loaded() {
  TWinControl::Loaded();
  UpdateHeight();
}

void TCustomEdit::CreateParams(TCreateParams& params) const {
  TWinControl::CreateParams(params);
  params.Style |= ES_AUTOHSCROLL;
  if (read_only_) params.Style |= ES_READONLY;
  if (password_char_ != 0) params.Style |= ES_PASSWORD;
  if (!hide_selection_) params.Style |= ES_NOHIDESEL;
  if (border_style_ == bsSingle) {
    if (NewStyleControls() && Ctl3D()) {
      params.ExStyle |= WS_EX_CLIENTEDGE;
    } else {
      params.Style |= WS_BORDER;
    }
  }
}

void TCustomEdit::AdjustHeight() {
  const int font_height = GetTextMetrics(*Font()).tmHeight;
  int extra = 0;
  if (NewStyleControls()) {
    extra = GetSystemMetrics(SM_CYBORDER) * (Ctl3D() ? 8 : 6);
  } else {
    const int smaller = std::min(GetSystemFontMetrics().tmHeight, font_height);
    extra = smaller / 4 + GetSystemMetrics(SM_CYBORDER) * 4;
  }
  SetHeight(font_height + extra);
}

void TCustomEdit::UpdateHeight() {
  TControlStyle style = ControlStyle();
  if (auto_size_ && border_style_ == bsSingle) {
    style.Include(csFixedHeight);
    SetControlStyle(style);
    if (!ComponentState().Contains(csLoading)) AdjustHeight();
  } else {
    style.Exclude(csFixedHeight);
    SetControlStyle(style);
  }
}

void TCustomEdit::SetAutoSize(bool value) {
  if (value == auto_size_) return;
  auto_size_ = value;
  UpdateHeight();
}

void TCustomEdit::SetBorderStyle(TBorderStyle value) {
  if (value == border_style_) return;
  border_style_ = value;
  UpdateHeight();
  Invalidate();
}

void TCustomEdit::SetCharCase(TEditCharCase value) {
  if (value == char_case_) return;
  char_case_ = value;
  if (value == ecUpperCase) SetText(AnsiUpperCase(WindowText()));
  if (value == ecLowerCase) SetText(AnsiLowerCase(WindowText()));
}

void TCustomEdit::SetMaxLength(int value) { max_length_ = std::max(0, value); }

void TCustomEdit::SetPasswordChar(char32_t value) {
  if (value == password_char_) return;
  password_char_ = value;
  Invalidate();
}

void TCustomEdit::SetReadOnly(bool value) { read_only_ = value; }

int TCustomEdit::TextLength() const { return static_cast<int>(Utf8Length(WindowText())); }

int TCustomEdit::SelStart() const { return std::min(anchor_, caret_); }

int TCustomEdit::SelLength() const { return std::abs(caret_ - anchor_); }

void TCustomEdit::SetSelStart(int value) {
  value = std::clamp(value, 0, TextLength());
  anchor_ = caret_ = value;
}

void TCustomEdit::SetSelLength(int value) {
  const int start = SelStart();
  anchor_ = start;
  caret_ = std::clamp(start + value, 0, TextLength());
}

void TCustomEdit::SetCaret(int caret, bool extend) {
  caret_ = std::clamp(caret, 0, TextLength());
  if (!extend) anchor_ = caret_;
}

std::string TCustomEdit::SelText() const {
  const std::u32string text = DecodeUtf8(WindowText());
  return EncodeUtf8(text.substr(static_cast<std::size_t>(SelStart()),
                                static_cast<std::size_t>(SelLength())));
}

void TCustomEdit::SetSelText(const std::string& inserted) {
  std::u32string text = DecodeUtf8(WindowText());
  const auto start = static_cast<std::size_t>(SelStart());
  const std::u32string add = DecodeUtf8(inserted);
  text.replace(start, static_cast<std::size_t>(SelLength()), add);
  ReplaceWindowText(EncodeUtf8(text), static_cast<int>(start + add.size()));
}

void TCustomEdit::SelectAll() {
  anchor_ = 0;
  caret_ = TextLength();
}

std::string TCustomEdit::DisplayText() const {
  if (password_char_ == 0) return WindowText();
  return EncodeUtf8(std::u32string(static_cast<std::size_t>(TextLength()), password_char_));
}

void TCustomEdit::ReplaceWindowText(const std::string& text, int caret) {
  const bool changed = text != WindowText();
  if (changed) {
    TMessage m{WM_SETTEXT, 0, reinterpret_cast<std::intptr_t>(&text), 0};
    TControl::DefaultHandler(m);  // store without the programmatic reset of the state
  }
  modified_ = true;
  SetCaret(caret, false);
  if (changed) Perform(CM_TEXTCHANGED);
}

void TCustomEdit::ReshowWindowText(const std::string& text) {
  if (text == WindowText()) return;
  TMessage m{WM_SETTEXT, 0, reinterpret_cast<std::intptr_t>(&text), 0};
  TControl::DefaultHandler(m);  // store without the programmatic reset of the state
  const int length = TextLength();
  anchor_ = std::min(anchor_, length);
  caret_ = std::min(caret_, length);
  Invalidate();
}

void TCustomEdit::Change() { OnChange(this); }

void TCustomEdit::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CM_TEXTCHANGED:
      Invalidate();
      Change();
      return;
    case CM_FONTCHANGED:
    case CM_CTL3DCHANGED:
      TWinControl::WndProc(m);
      UpdateHeight();
      return;
    case CM_ENTER:
      // Tabbing into the edit selects its text; a click places the caret instead.
      if (auto_select_ && !ControlState().Contains(csLButtonDown)) SelectAll();
      TWinControl::WndProc(m);
      return;
    default:
      TWinControl::WndProc(m);
      return;
  }
}

TRect TCustomEdit::FormatRect() const {
  if (has_format_rect_) return format_rect_;
  const TRect client = GetClientRect();
  return {margin_left_, 0, std::max(margin_left_, client.Width() - margin_right_), client.Height()};
}

void TCustomEdit::DefaultHandler(TMessage& m) {
  switch (m.Msg) {
    case WM_COPY: CopyToClipboard(); return;
    case WM_CUT: CutToClipboard(); return;
    case WM_PASTE: PasteFromClipboard(); return;
    case WM_SETTEXT:
      TWinControl::DefaultHandler(m);
      // Text set by the program starts unmodified with the caret at the start.
      modified_ = false;
      anchor_ = caret_ = 0;
      return;
    case WM_GETDLGCODE:
      m.Result = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
      if (WindowStyle() & ES_MULTILINE) m.Result |= DLGC_WANTALLKEYS;
      return;
    case WM_KEYDOWN: NativeKeyDown(m); return;
    case WM_CHAR: NativeChar(m); return;
    case WM_PAINT: NativePaint(m); return;
    case WM_LBUTTONDOWN:
      if (!Focused() && CanFocus()) SetFocus();
      return;
    case EM_GETSEL: {
      if (m.WParam != 0) *reinterpret_cast<int*>(m.WParam) = SelStart();
      if (m.LParam != 0) *reinterpret_cast<int*>(m.LParam) = SelStart() + SelLength();
      m.Result = MakeLParam(SelStart(), SelStart() + SelLength());
      return;
    }
    case EM_SETSEL: {
      const int length = TextLength();
      int start = static_cast<int>(m.WParam);
      int end = static_cast<int>(m.LParam);
      if (start < 0) start = 0;
      if (end < 0 || end > length) end = length;
      anchor_ = std::min(start, length);
      caret_ = end;
      return;
    }
    case EM_GETRECT:
      *reinterpret_cast<TRect*>(m.LParam) = FormatRect();
      return;
    case EM_SETRECT:
    case EM_SETRECTNP:
      if (m.LParam == 0) {
        has_format_rect_ = false;
      } else {
        format_rect_ = *reinterpret_cast<const TRect*>(m.LParam);
        has_format_rect_ = true;
      }
      if (m.Msg == EM_SETRECT) Invalidate();
      return;
    case EM_GETMARGINS:
      m.Result = MakeLParam(margin_left_, margin_right_);
      return;
    case EM_SETMARGINS:
      if (m.WParam & EC_LEFTMARGIN) margin_left_ = LoWord(m.LParam);
      if (m.WParam & EC_RIGHTMARGIN) margin_right_ = HiWord(m.LParam);
      return;
    case EM_GETMODIFY: m.Result = modified_ ? 1 : 0; return;
    case EM_SETMODIFY: modified_ = m.WParam != 0; return;
    case EM_LIMITTEXT: SetMaxLength(static_cast<int>(m.WParam)); return;
    case EM_SETREADONLY: read_only_ = m.WParam != 0; m.Result = 1; return;
    case EM_SETPASSWORDCHAR: SetPasswordChar(static_cast<char32_t>(m.WParam)); return;
    default:
      TWinControl::DefaultHandler(m);
      return;
  }
}

void TCustomEdit::CopyToClipboard() {
  if (password_char_ != 0 || SelLength() == 0) return;
  SetClipboardText(SelText());
}

void TCustomEdit::CutToClipboard() {
  if (read_only_ || password_char_ != 0) return;
  CopyToClipboard();
  SetSelText("");
}

void TCustomEdit::PasteFromClipboard() {
  if (read_only_) return;
  std::string text = ClipboardText();
  if ((WindowStyle() & ES_MULTILINE) == 0) text = text.substr(0, text.find_first_of("\r\n"));
  SetSelText(text);
}

void TCustomEdit::NativeKeyDown(TMessage& m) {
  const TShiftState state = KeyboardShiftState();
  const bool shift = state.Contains(ssShift);
  const int length = TextLength();
  // The clipboard keys of the old keyboard standard: Ctrl+Insert, Shift+Insert, Shift+Delete.
  if (m.WParam == VK_INSERT && state.Contains(ssCtrl)) return CopyToClipboard();
  if (m.WParam == VK_INSERT && shift) return PasteFromClipboard();
  if (m.WParam == VK_DELETE && shift) return CutToClipboard();
  switch (static_cast<std::uint16_t>(m.WParam)) {
    case VK_LEFT:
      if (!shift && SelLength() > 0) {
        SetCaret(SelStart(), false);
      } else {
        SetCaret(caret_ - 1, shift);
      }
      return;
    case VK_RIGHT:
      if (!shift && SelLength() > 0) {
        SetCaret(SelStart() + SelLength(), false);
      } else {
        SetCaret(caret_ + 1, shift);
      }
      return;
    case VK_HOME: SetCaret(0, shift); return;
    case VK_END: SetCaret(length, shift); return;
    case VK_DELETE: {
      if (read_only_) return;
      if (SelLength() == 0) {
        if (caret_ >= length) return;
        anchor_ = caret_ + 1;
      }
      SetSelText("");
      return;
    }
    default: return;
  }
}

void TCustomEdit::NativeChar(TMessage& m) {
  char32_t ch = static_cast<char32_t>(m.WParam);
  // Ctrl+C, Ctrl+V and Ctrl+X arrive as the control characters 3, 22 and 24.
  if (ch == 3) return CopyToClipboard();
  if (ch == 22) return PasteFromClipboard();
  if (ch == 24) return CutToClipboard();
  if (ch == 8) {  // Backspace
    if (read_only_) return;
    if (SelLength() == 0) {
      if (caret_ == 0) return;
      anchor_ = caret_ - 1;
    }
    SetSelText("");
    return;
  }
  if (ch == 13) {
    // Only a multi-line window takes a line break; a one-line edit ignores Enter.
    if ((WindowStyle() & ES_MULTILINE) == 0 || read_only_) return;
    SetSelText("\r\n");
    return;
  }
  if (ch < 32 || ch == 127) return;  // other control characters do not edit
  if (read_only_) return;
  if (max_length_ > 0 && TextLength() - SelLength() >= max_length_) {
    MessageBeep(0);
    return;
  }
  if (char_case_ == ecUpperCase) ch = UpperCaseChar(ch);
  if (char_case_ == ecLowerCase) ch = LowerCaseChar(ch);
  SetSelText(EncodeUtf8(ch));
}

void TCustomEdit::NativePaint(TMessage& m) {
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  if (dc == nullptr) dc = &Surface();
  TCanvas canvas;
  canvas.SetHandle(dc);
  canvas.SetFont(Font());
  canvas.Brush()->SetColor(Color());
  canvas.FillRect(GetClientRect());
  const TRect r = FormatRect();
  const std::string text = DisplayText();
  // The text in three runs: before the selection, the selection (highlighted while the
  // edit has the focus, or always when HideSelection is off), and after it.
  const bool focused = Focused();
  const int sel_from = std::min(anchor_, caret_);
  const int sel_to = std::max(anchor_, caret_);
  const bool show_selection = sel_from != sel_to && (focused || !hide_selection_);
  const std::string_view before = Utf8Head(text, static_cast<std::size_t>(show_selection ? sel_from : caret_));
  const std::string_view upto = Utf8Head(text, static_cast<std::size_t>(show_selection ? sel_to : caret_));
  // A long text scrolls so that the caret stays inside the formatting rectangle.
  const int caret_x = canvas.TextWidth(Utf8Head(text, static_cast<std::size_t>(caret_)));
  const int scroll = std::max(0, caret_x - std::max(0, r.Width() - 1));
  const int x = r.Left - scroll;
  canvas.Brush()->SetStyle(bsClear);
  canvas.TextRect(r, x, r.Top, text);
  if (show_selection) {
    const int left = x + canvas.TextWidth(before);
    const std::string_view selected = std::string_view(upto).substr(before.size());
    const TRect band{std::max(left, r.Left), r.Top, std::min(left + canvas.TextWidth(selected), r.Right),
                     r.Top + canvas.TextHeight(text)};
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(clHighlight);
    canvas.Font()->SetColor(clHighlightText);
    canvas.TextRect(band, left, r.Top, selected);
  }
  if (focused) {
    canvas.Pen()->SetColor(Font()->Color());
    canvas.MoveTo(x + caret_x, r.Top + 1);
    canvas.LineTo(x + caret_x, r.Top + canvas.TextHeight(text) - 1);
  }
}

}  // namespace vantor
