#include <vantor/platform/ui/group_box.h>

#include <vantor/platform/ui/publishing.h>

namespace vantor {

const TypeInfo& TGroupBox::StaticType() {
  static const TypeInfo info = [] {
    TypeBuilder<TGroupBox> b("TGroupBox", &TCustomControl::StaticType());
    b.Component();
    PublishWinControl(b, true, false);
    return b.Build();
  }();
  return info;
}

TGroupBox::TGroupBox(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks});
  SetBounds(0, 0, 185, 105);
}

TGroupBox::~TGroupBox() = default;

void TGroupBox::AdjustClientRect(TRect& rect) const {
  TCustomControl::AdjustClientRect(rect);
  TCanvas canvas;
  canvas.SetFont(Font());
  rect.Top += canvas.TextHeight("0");
  InflateRect(rect, -1, -1);
  if (Ctl3D()) InflateRect(rect, -1, -1);
}

void TGroupBox::Paint() {
  TCanvas& canvas = *Canvas();
  canvas.SetFont(Font());
  const int h = canvas.TextHeight("0");
  TRect frame{0, h / 2 - 1, Width(), Height()};
  if (Ctl3D()) {
    frame.Left += 1;
    frame.Top += 1;
    canvas.Brush()->SetColor(clBtnHighlight);
    canvas.FrameRect(frame);
    OffsetRect(frame, -1, -1);
    canvas.Brush()->SetColor(clBtnShadow);
  } else {
    canvas.Brush()->SetColor(clWindowFrame);
  }
  canvas.FrameRect(frame);
  const std::string caption = Caption();
  if (caption.empty()) return;
  canvas.Brush()->SetColor(Color());
  const TRect text = Bounds(8, 0, canvas.TextWidth(caption), h);
  canvas.TextRect(text, text.Left, text.Top, caption);
}

}  // namespace vantor
