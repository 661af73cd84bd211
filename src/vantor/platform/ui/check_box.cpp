#include <vantor/platform/ui/check_box.h>

#include <vantor/platform/ui/publishing.h>

namespace vantor {

const TypeInfo& TCheckBox::StaticType() {
  static const TypeInfo info = [] {
    TypeBuilder<TCheckBox> b("TCheckBox", &TWinControl::StaticType());
    b.Component();
    PublishWinControl(b, true, true);
    b.Property("AllowGrayed", &TCheckBox::AllowGrayed, &TCheckBox::SetAllowGrayed, false)
        .Property("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked, false)
        .Property("State", &TCheckBox::State, &TCheckBox::SetState, cbUnchecked);
    return b.Build();
  }();
  return info;
}

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner) {
  // Clicks come from the box's own mouse handling (a release over it toggles it).
  SetControlStyle({csSetCaption, csDoubleClicks, csCaptureMouse});
  SetBounds(0, 0, 97, 17);
  SetTabStop(true);
}

TCheckBox::~TCheckBox() = default;

void TCheckBox::SetState(TCheckBoxState value) {
  if (value == state_) return;
  state_ = value;
  Invalidate();
  Click();
}

void TCheckBox::Toggle() {
  switch (state_) {
    case cbUnchecked: SetState(allow_grayed_ ? cbGrayed : cbChecked); return;
    case cbChecked: SetState(cbUnchecked); return;
    case cbGrayed: SetState(cbChecked); return;
  }
}

void TCheckBox::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (CanFocus() && !Focused()) SetFocus();
      pressed_ = true;
      TWinControl::WndProc(m);
      return;
    case WM_LBUTTONUP: {
      const bool was_pressed = pressed_;
      pressed_ = false;
      TWinControl::WndProc(m);
      const TPoint p{GetXLParam(m.LParam), GetYLParam(m.LParam)};
      if (was_pressed && Enabled() && PtInRect(ClientRect(), p)) Toggle();
      return;
    }
    case WM_KEYUP:
      TWinControl::WndProc(m);
      if (m.WParam == VK_SPACE) Toggle();
      return;
    default:
      TWinControl::WndProc(m);
      return;
  }
}

void TCheckBox::PaintWindow(HDC dc) {
  TCanvas canvas;
  canvas.SetHandle(dc);
  canvas.SetFont(Font());
  const int box = 13;
  const int top = (Height() - box) / 2;
  TRect r = Bounds(0, top, box, box);
  Frame3D(canvas, r, clBtnShadow, clBtnHighlight, 1);
  canvas.Brush()->SetColor(state_ == cbGrayed ? clBtnFace : clWindow);
  canvas.FillRect(r);
  if (state_ != cbUnchecked) {
    canvas.Pen()->SetColor(state_ == cbGrayed ? clGrayText : clWindowText);
    canvas.MoveTo(r.Left + 2, r.Top + 4);
    canvas.LineTo(r.Left + 4, r.Top + 7);
    canvas.LineTo(r.Right - 2, r.Top + 1);
  }
  const std::string caption = Caption();
  canvas.Brush()->SetColor(Color());
  canvas.TextOut(box + 4, (Height() - canvas.TextHeight(caption)) / 2, caption);
}

}  // namespace vantor
