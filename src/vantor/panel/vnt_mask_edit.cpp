#include <vantor/panel/vnt_mask_edit.h>

#include <algorithm>
#include <string>

#include <vantor/platform/rtl/utf8.h>
#include <vantor/platform/ui/bitmap.h>
#include <vantor/platform/ui/canvas.h>
#include <vantor/platform/ui/font_metrics.h>

namespace vantor {

const TypeInfo& TVntMaskEdit::StaticType() {
  using C = TVntMaskEdit;
  static const TypeInfo info = TypeBuilder<C>("TVntMaskEdit", &TMaskEdit::StaticType())
                                   .Component()
                                   .Property("Alignment", &C::Alignment, &C::SetAlignment, taLeftJustify)
                                   .Property("ShowButton", &C::ShowButton, &C::SetShowButton, false)
                                   .Event("OnButtonClick", &C::OnButtonClick)
                                   .Property("PasswordChar", &C::GetPasswordChar)
                                   .Stored(&C::IsPasswordCharStored)
                                   .Build();
  return info;
}

TVntMaskEdit::TVntMaskEdit(TComponent* owner) : TMaskEdit(owner) {
  SetControlStyle(ControlStyle() + TControlStyle{csReplicatable});
}

TVntMaskEdit::~TVntMaskEdit() {
  canvas_.reset();
  TSpeedButtonCrack* button = button_;
  button_ = nullptr;
  delete button;
}

void TVntMaskEdit::CreateParams(TCreateParams& params) const {
  TMaskEdit::CreateParams(params);
  params.Style |= ES_MULTILINE | WS_CLIPCHILDREN;
}

void TVntMaskEdit::CreateWnd() {
  TMaskEdit::CreateWnd();
  SetEditRect();
}

void TVntMaskEdit::SetShowButton(bool value) {
  if (value == show_button_) return;
  SetButton(value);  // may raise (glyph resource); nothing is stored then
  show_button_ = value;
  SetEditRect();
  Invalidate();
}

void TVntMaskEdit::SetButton(bool show) {
  if (!show) {
    button_width_ = 0;
    TSpeedButtonCrack* button = button_;
    button_ = nullptr;
    delete button;
    return;
  }
  if (button_ != nullptr) return;
  std::unique_ptr<TSpeedButtonCrack> button = std::make_unique<TSpeedButtonCrack>(this);
  button->SetWidth(kButtonWidth);
  button->SetParentFont(false);
  button->Glyph()->LoadFromResourceName(HInstance, "BTNSPOTS");
  button->SetCursor(crArrow);
  button->OnClick = [this](TObject* sender) { ButtonClick(sender); };
  button->OnMouseDown = [this](TObject* sender, TMouseButton b, TShiftState shift, int x, int y) {
    ButtonMouseDown(sender, b, shift, x, y);
  };
  button_ = button.release();
  button_width_ = kButtonWidth;
  SetButtonBounds();
  button_->SetParent(this);
}

void TVntMaskEdit::SetButtonBounds() {
  if (button_ == nullptr) return;
  const int width = button_->Width();
  if (NewStyleControls() && Ctl3D()) {
    button_->SetBounds(Width() - width - 4, 0, width, Height() - 4);
  } else {
    button_->SetBounds(Width() - width, 1, width, Height() - 3);
  }
}

void TVntMaskEdit::SetEditRect() {
  if (Parent() == nullptr) return;
  TRect rect;
  Perform(EM_GETRECT, 0, reinterpret_cast<std::intptr_t>(&rect));
  rect = {0, 0, ClientWidth() - button_width_ - 2, ClientHeight() + 1};
  Perform(EM_SETRECTNP, 0, reinterpret_cast<std::intptr_t>(&rect));
  TRect check;
  Perform(EM_GETRECT, 0, reinterpret_cast<std::intptr_t>(&check));
}

void TVntMaskEdit::SetFocused(bool value) {
  if (value == focused_) return;
  focused_ = value;
  if (alignment_ != taLeftJustify) Invalidate();
}

void TVntMaskEdit::SetAlignment(TAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  if (!focused_) Invalidate();
}

void TVntMaskEdit::ButtonClick(TObject* /*sender*/) { OnButtonClick(this); }

void TVntMaskEdit::ButtonMouseDown(TObject* /*sender*/, TMouseButton button, TShiftState /*shift*/,
                                   int /*x*/, int /*y*/) {
  // Pressing the button moves the focus into the field first.
  if (button == mbLeft && TabStop() && CanFocus()) SetFocus();
}

void TVntMaskEdit::KeyPress(char32_t& key) {
  TMaskEdit::KeyPress(key);
  if (key == U'\r') key = 0;  // the multi-line window would take it as a line break
}

void TVntMaskEdit::Sized() {
  if (button_ == nullptr) return;
  SetButtonBounds();
  SetEditRect();
}

void TVntMaskEdit::BoundsSized() {
  TMaskEdit::BoundsSized();
  Sized();
}

bool TVntMaskEdit::PaintsItself() const {
  return (alignment_ != taLeftJustify && !focused_) || ControlState().Contains(csPaintCopy);
}

void TVntMaskEdit::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_SIZE:
      TMaskEdit::WndProc(m);
      Sized();
      return;
    case CM_ENTER:
      SetFocused(true);
      if (AutoSelect()) SelectAll();
      TMaskEdit::WndProc(m);
      return;
    case CM_EXIT:
      SetFocused(false);
      TMaskEdit::WndProc(m);
      return;
    case WM_PAINT:
      if (PaintsItself()) {
        PaintText(m);
      } else {
        TMaskEdit::WndProc(m);
      }
      return;
    case WM_GETDLGCODE:
      TMaskEdit::WndProc(m);
      m.Result &= ~DLGC_WANTALLKEYS;
      return;
    default:
      TMaskEdit::WndProc(m);
      return;
  }
}

TPoint TVntMaskEdit::GetTextMargins() {
  if (NewStyleControls()) {
    const int inset = BorderStyle() == bsNone ? 0 : (Ctl3D() ? 1 : 2);
    const auto margins = static_cast<std::uint32_t>(Perform(EM_GETMARGINS));
    return {static_cast<int>(margins & 0xFFFF) + inset, inset};
  }
  int inset = 0;
  if (BorderStyle() != bsNone) {
    inset = std::min(GetSystemFontMetrics().tmHeight, GetTextMetrics(*Font()).tmHeight) / 4;
  }
  return {inset, inset};
}

void TVntMaskEdit::PaintText(TMessage& m) {
  if (canvas_ == nullptr) {
    canvas_ = std::make_unique<TControlCanvas>();
    canvas_->SetControl(this);
  }
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  const bool own_dc = dc == nullptr;
  if (own_dc) dc = BeginPaint();
  // The canvas lets go of the device context, and a context of our own is ended, on
  // every way out.
  struct Release {
    TVntMaskEdit* edit;
    bool own_dc;
    ~Release() {
      edit->canvas_->FreeHandle();
      if (own_dc) edit->EndPaint();
    }
  } release{this, own_dc};
  canvas_->SetHandle(dc);
  canvas_->SetOrigin({0, 0});

  canvas_->SetFont(Font());
  TRect r = GetClientRect();
  if (!(NewStyleControls() && Ctl3D()) && BorderStyle() == bsSingle) {
    canvas_->Brush()->SetColor(clWindowFrame);
    canvas_->FrameRect(r);
    InflateRect(r, -1, -1);
  }
  canvas_->Brush()->SetColor(Color());
  std::string text = EditText();
  if (const char32_t password = PasswordChar(); password != 0) {
    text = EncodeUtf8(std::u32string(Utf8Length(text), password));
  }
  const TPoint margins = GetTextMargins();
  int left = margins.X;
  switch (alignment_) {
    case taLeftJustify:
      break;
    case taRightJustify:
      left = ClientWidth() - canvas_->TextWidth(text) - margins.X - 1 - button_width_;
      break;
    case taCenter:
      left = (ClientWidth() - canvas_->TextWidth(text) - button_width_) / 2;
      break;
  }
  canvas_->TextRect(r, left, margins.Y, text);
  if (button_ != nullptr) {
    TCanvas* button_canvas = button_->Canvas();
    button_canvas->SetHandle(dc);
    button_canvas->SetOrigin({button_->Left(), button_->Top()});
    struct ReleaseButton {
      TCanvas* c;
      ~ReleaseButton() { c->SetHandle(nullptr); }
    } release_button{button_canvas};
    button_->Paint();
  }
}

}  // namespace vantor
