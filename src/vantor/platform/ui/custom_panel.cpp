#include <vantor/platform/ui/custom_panel.h>

#include <algorithm>

#include <vantor/platform/rtl/saturating.h>
#include <vantor/platform/ui/publishing.h>

namespace vantor {

const TypeInfo& TCustomPanel::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TCustomPanel>("TCustomPanel", &TCustomControl::StaticType()).Build();
  return info;
}

const TypeInfo& TPanel::StaticType() {
  static const TypeInfo info = [] {
    TypeBuilder<TPanel> b("TPanel", &TCustomPanel::StaticType());
    b.Component()
        .Property("Align", &TControl::Align, &TControl::SetAlign, alNone)
        .Property("Alignment", &TCustomPanel::Alignment, &TCustomPanel::SetAlignment, taCenter);
    PublishPanelFrame(b, 0).Property("Caption", &TControl::Caption, &TControl::SetCaption);
    PublishWindowLook(b).Property("Locked", &TCustomPanel::Locked, &TCustomPanel::SetLocked, false);
    PublishParentLook(b, false);
    PublishHints(b, true);
    PublishTabStop(b, false).Property("Visible", &TControl::Visible, &TControl::SetVisible, true);
    PublishFocusMouseEvents(b, false).Event("OnResize", &TControl::OnResize);
    return b.Build();
  }();
  return info;
}

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque,
                   csDoubleClicks, csReplicatable});
  SetBounds(0, 0, 185, 41);
  SetColor(clBtnFace);
}

int TCustomPanel::FrameSize() const {
  int size = border_width_;
  if (bevel_outer_ != bvNone) size = SaturatingAdd(size, bevel_width_);
  if (bevel_inner_ != bvNone) size = SaturatingAdd(size, bevel_width_);
  return size;
}

void TCustomPanel::AdjustClientRect(TRect& rect) const {
  const int frame = FrameSize();
  InflateRect(rect, -frame, -frame);
  rect.Right = std::max(rect.Left, rect.Right);
  rect.Bottom = std::max(rect.Top, rect.Bottom);
}

void TCustomPanel::CreateParams(TCreateParams& params) const {
  TCustomControl::CreateParams(params);
  if (border_style_ == bsSingle) {
    if (NewStyleControls() && Ctl3D()) {
      params.ExStyle |= WS_EX_CLIENTEDGE;
    } else {
      params.Style |= WS_BORDER;
    }
  }
}

void TCustomPanel::FrameChanged() {
  Realign();
  Invalidate();
}

void TCustomPanel::SetAlignment(TAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut value) {
  if (value == bevel_inner_) return;
  bevel_inner_ = value;
  FrameChanged();
}

void TCustomPanel::SetBevelOuter(TBevelCut value) {
  if (value == bevel_outer_) return;
  bevel_outer_ = value;
  FrameChanged();
}

void TCustomPanel::SetBevelWidth(int value) {
  value = std::max(1, value);
  if (value == bevel_width_) return;
  bevel_width_ = value;
  FrameChanged();
}

void TCustomPanel::SetBorderWidth(int value) {
  value = std::max(0, value);
  if (value == border_width_) return;
  border_width_ = value;
  FrameChanged();
}

void TCustomPanel::SetBorderStyle(TBorderStyle value) {
  if (value == border_style_) return;
  border_style_ = value;
  // The window's own border changes the client area, as a new look does.
  Perform(CM_CTL3DCHANGED);
}

void TCustomPanel::WndProc(TMessage& m) {
  if (m.Msg == CM_TEXTCHANGED) {
    Invalidate();
    return;
  }
  TCustomControl::WndProc(m);
}

void TCustomPanel::Paint() {
  TCanvas* canvas = Canvas();
  TRect rect = GetClientRect();
  auto bevel_colors = [](TBevelCut cut, TColor& top, TColor& bottom) {
    top = cut == bvLowered ? clBtnShadow : clBtnHighlight;
    bottom = cut == bvLowered ? clBtnHighlight : clBtnShadow;
  };
  TColor top = clBtnHighlight;
  TColor bottom = clBtnShadow;
  if (bevel_outer_ != bvNone) {
    bevel_colors(bevel_outer_, top, bottom);
    if (bevel_outer_ == bvSpace) top = bottom = Color();
    Frame3D(*canvas, rect, top, bottom, bevel_width_);
  }
  Frame3D(*canvas, rect, Color(), Color(), border_width_);
  if (bevel_inner_ != bvNone) {
    bevel_colors(bevel_inner_, top, bottom);
    if (bevel_inner_ == bvSpace) top = bottom = Color();
    Frame3D(*canvas, rect, top, bottom, bevel_width_);
  }
  canvas->Brush()->SetColor(Color());
  canvas->Brush()->SetStyle(bsSolid);
  canvas->FillRect(rect);
  const std::string caption = Caption();
  if (caption.empty()) return;
  canvas->Brush()->SetStyle(bsClear);
  canvas->SetFont(Font());
  const int height = canvas->TextHeight(caption);
  const int width = canvas->TextWidth(caption);
  TRect text = rect;
  text.Top = (rect.Bottom + rect.Top - height) / 2;
  text.Bottom = text.Top + height;
  int x = rect.Left;
  if (alignment_ == taRightJustify) x = rect.Right - width;
  if (alignment_ == taCenter) x = rect.Left + (rect.Width() - width) / 2;
  canvas->TextRect(text, x, text.Top, caption);
}

}  // namespace vantor
