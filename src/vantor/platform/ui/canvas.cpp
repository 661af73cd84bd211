#include <vantor/platform/ui/canvas.h>

#include <algorithm>

#include <vantor/platform/rtl/saturating.h>
#include <vantor/platform/ui/bitmap.h>
#include <vantor/platform/ui/control.h>
#include <vantor/platform/ui/win_control.h>

namespace vantor {

const TypeInfo& TBrush::StaticType() {
  static const TypeInfo info = TypeBuilder<TBrush>("TBrush", &TPersistent::StaticType())
                                   .Property("Color", &TBrush::Color, &TBrush::SetColor, clWhite)
                                   .Idents(ColorValueOfIdent, ColorIdentOfValue)
                                   .Property("Style", &TBrush::Style, &TBrush::SetStyle, bsSolid)
                                   .Build();
  return info;
}

void TBrush::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  OnChange(this);
}

void TBrush::SetStyle(TBrushStyle style) {
  if (style == style_) return;
  style_ = style;
  OnChange(this);
}

void TBrush::Assign(const TPersistent* source) {
  const auto* brush = dynamic_cast<const TBrush*>(source);
  if (brush == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (brush->color_ == color_ && brush->style_ == style_) return;
  color_ = brush->color_;
  style_ = brush->style_;
  OnChange(this);
}

const TypeInfo& TPen::StaticType() {
  static const TypeInfo info = TypeBuilder<TPen>("TPen", &TPersistent::StaticType())
                                   .Property("Color", &TPen::Color, &TPen::SetColor, clBlack)
                                   .Idents(ColorValueOfIdent, ColorIdentOfValue)
                                   .Property("Style", &TPen::Style, &TPen::SetStyle, psSolid)
                                   .Property("Width", &TPen::Width, &TPen::SetWidth, 1)
                                   .Build();
  return info;
}

void TPen::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  OnChange(this);
}

void TPen::SetWidth(int width) {
  if (width < 1) width = 1;
  if (width == width_) return;
  width_ = width;
  OnChange(this);
}

void TPen::SetStyle(TPenStyle style) {
  if (style == style_) return;
  style_ = style;
  OnChange(this);
}

void TPen::Assign(const TPersistent* source) {
  const auto* pen = dynamic_cast<const TPen*>(source);
  if (pen == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (pen->color_ == color_ && pen->width_ == width_ && pen->style_ == style_) return;
  color_ = pen->color_;
  width_ = pen->width_;
  style_ = pen->style_;
  OnChange(this);
}

TCanvas::TCanvas()
    : font_(std::make_unique<TFont>()),
      brush_(std::make_unique<TBrush>()),
      pen_(std::make_unique<TPen>()) {}

TCanvas::~TCanvas() = default;

HDC TCanvas::Handle() {
  if (handle_ == nullptr) CreateHandle();
  return handle_;
}

void TCanvas::SetHandle(HDC dc) {
  handle_ = dc;
  if (dc == nullptr) origin_ = {};
}

void TCanvas::CreateHandle() {
  if (!own_dc_) own_dc_ = std::make_unique<TDeviceContext>();
  handle_ = own_dc_.get();
}

int TCanvas::TextWidth(std::string_view text) const { return vantor::TextWidth(*font_, text); }

int TCanvas::TextHeight(std::string_view /*text*/) const { return vantor::TextHeight(*font_); }

TTextMetric TCanvas::GetTextMetrics() const { return vantor::GetTextMetrics(*font_); }

TRect TCanvas::Shift(TRect r) const {
  OffsetRect(r, origin_.X, origin_.Y);
  return r;
}

TPoint TCanvas::Shift(TPoint p) const {
  return {SaturatingAdd(p.X, origin_.X), SaturatingAdd(p.Y, origin_.Y)};
}

TCanvasOp TCanvas::NewOp(TCanvasOpKind kind) const {
  TCanvasOp op;
  op.kind = kind;
  op.brush_color = brush_->Color();
  op.brush_style = brush_->Style();
  op.pen_color = pen_->Color();
  op.pen_width = pen_->Width();
  op.pen_style = pen_->Style();
  op.font_name = font_->Name();
  op.font_height = font_->Height();
  op.font_style = font_->Style();
  op.font_color = font_->Color();
  return op;
}

void TCanvas::Record(TCanvasOp op) {
  Handle()->ops.push_back(std::move(op));
  OnChange(this);
}

void TCanvas::TextOut(int x, int y, std::string_view text) {
  TCanvasOp op = NewOp(TCanvasOpKind::TextOut);
  op.at = Shift(TPoint{x, y});
  op.text = std::string(text);
  op.rect = Shift(Bounds(x, y, TextWidth(text), TextHeight(text)));
  Record(std::move(op));
  pen_pos_ = {SaturatingAdd(x, TextWidth(text)), y};
}

void TCanvas::TextRect(const TRect& rect, int x, int y, std::string_view text) {
  TCanvasOp op = NewOp(TCanvasOpKind::TextRect);
  op.rect = Shift(rect);
  op.at = Shift(TPoint{x, y});
  op.text = std::string(text);
  Record(std::move(op));
}

void TCanvas::FillRect(const TRect& rect) {
  TCanvasOp op = NewOp(TCanvasOpKind::FillRect);
  op.rect = Shift(rect);
  Record(std::move(op));
}

void TCanvas::FrameRect(const TRect& rect) {
  TCanvasOp op = NewOp(TCanvasOpKind::FrameRect);
  op.rect = Shift(rect);
  Record(std::move(op));
}

void TCanvas::Rectangle(const TRect& rect) {
  TCanvasOp op = NewOp(TCanvasOpKind::Rectangle);
  op.rect = Shift(rect);
  Record(std::move(op));
}

void TCanvas::LineTo(int x, int y) {
  TCanvasOp op = NewOp(TCanvasOpKind::Line);
  op.from = Shift(pen_pos_);
  op.at = Shift(TPoint{x, y});
  Record(std::move(op));
  pen_pos_ = {x, y};
}

void TCanvas::Draw(int x, int y, const TBitmap* bitmap) {
  if (bitmap == nullptr || bitmap->Empty()) return;
  TCanvasOp op = NewOp(TCanvasOpKind::Draw);
  op.at = Shift(TPoint{x, y});
  op.rect = Shift(Bounds(x, y, bitmap->Width(), bitmap->Height()));
  op.bitmap_width = bitmap->Width();
  op.bitmap_height = bitmap->Height();
  op.bitmap_pixels = bitmap->Pixels();
  op.bitmap_resource = bitmap->ResourceName();
  if (bitmap->Transparent()) op.bitmap_transparent_color = bitmap->TransparentColor();
  Record(std::move(op));
}

const std::vector<TCanvasOp>& TCanvas::Ops() { return Handle()->ops; }

void TCanvas::ClearOps() { Handle()->ops.clear(); }

void TControlCanvas::SetControl(TControl* control) {
  if (control == control_) return;
  FreeHandle();
  control_ = control;
}

void TControlCanvas::FreeHandle() { SetHandle(nullptr); }

void TControlCanvas::CreateHandle() {
  if (control_ == nullptr) {
    TCanvas::CreateHandle();
    return;
  }
  if (auto* win = dynamic_cast<TWinControl*>(control_)) {
    SetHandle(&win->Surface());
    return;
  }
  if (TWinControl* parent = control_->Parent()) {
    SetHandle(&parent->Surface());
    SetOrigin({control_->Left(), control_->Top()});
    return;
  }
  TCanvas::CreateHandle();
}

void Frame3D(TCanvas& canvas, TRect& rect, TColor top_color, TColor bottom_color, int width) {
  TPen* pen = canvas.Pen();
  pen->SetWidth(1);
  --rect.Bottom;
  --rect.Right;
  // Rings from the rectangle's larger side on lie wholly outside it and only move the edges
  // inwards: they are not drawn (a frame as wide as an int holds would be that many rings).
  const int side = SaturatingAdd(std::max(rect.Width(), rect.Height()), 1);  // as before the decrements
  const int rings = std::clamp(side, 0, std::max(width, 0));
  for (int i = 0; i < rings; ++i) {
    pen->SetColor(top_color);
    canvas.MoveTo(rect.Left, rect.Bottom);
    canvas.LineTo(rect.Left, rect.Top);
    canvas.LineTo(rect.Right, rect.Top);
    pen->SetColor(bottom_color);
    canvas.LineTo(rect.Right, rect.Bottom);
    canvas.LineTo(rect.Left - 1, rect.Bottom);
    InflateRect(rect, -1, -1);
  }
  if (rings < width) InflateRect(rect, rings - width, rings - width);
  ++rect.Bottom;
  ++rect.Right;
}

}  // namespace vantor
