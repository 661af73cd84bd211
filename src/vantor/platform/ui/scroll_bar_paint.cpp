#include <vantor/platform/ui/scroll_bar_paint.h>

#include <algorithm>

namespace vantor {

void PaintRaisedFace(TCanvas& canvas, TRect rect) {
  Frame3D(canvas, rect, cl3DLight, cl3DDkShadow, 1);
  Frame3D(canvas, rect, clBtnHighlight, clBtnShadow, 1);
  canvas.Brush()->SetColor(clBtnFace);
  canvas.Brush()->SetStyle(bsSolid);
  canvas.FillRect(rect);
}

void PaintArrow(TCanvas& canvas, const TRect& r, TArrowDirection direction, TColor color) {
  canvas.Pen()->SetColor(color);
  canvas.Pen()->SetWidth(1);
  const int cx = (r.Left + r.Right) / 2;
  const int cy = (r.Top + r.Bottom) / 2;
  for (int i = 0; i < 4; ++i) {
    switch (direction) {
      case TArrowDirection::adUp:
        canvas.MoveTo(cx - i, cy - 2 + i);
        canvas.LineTo(cx + i + 1, cy - 2 + i);
        break;
      case TArrowDirection::adDown:
        canvas.MoveTo(cx - i, cy + 1 - i);
        canvas.LineTo(cx + i + 1, cy + 1 - i);
        break;
      case TArrowDirection::adLeft:
        canvas.MoveTo(cx - 2 + i, cy - i);
        canvas.LineTo(cx - 2 + i, cy + i + 1);
        break;
      case TArrowDirection::adRight:
        canvas.MoveTo(cx + 1 - i, cy - i);
        canvas.LineTo(cx + 1 - i, cy + i + 1);
        break;
    }
  }
}

TScrollBarParts ScrollBarParts(int length, int thickness, double position, double page) {
  TScrollBarParts parts;
  parts.button = std::min(thickness, length / 2);
  const int track = length - 2 * parts.button;
  if (page >= 1.0 || track < 8) return parts;
  parts.thumb_length = std::max(8, static_cast<int>(track * std::max(page, 0.0)));
  parts.thumb_offset =
      parts.button + static_cast<int>((track - parts.thumb_length) * std::clamp(position, 0.0, 1.0));
  return parts;
}

void PaintScrollBar(TCanvas& canvas, const TRect& r, bool vertical, double position, double page) {
  canvas.Brush()->SetColor(clBtnHighlight);
  canvas.Brush()->SetStyle(bsSolid);
  canvas.FillRect(r);
  canvas.Brush()->SetColor(clBtnFace);
  canvas.Brush()->SetStyle(bsDiagCross);
  canvas.FillRect(r);
  canvas.Brush()->SetStyle(bsSolid);
  const TScrollBarParts parts = vertical ? ScrollBarParts(r.Height(), r.Width(), position, page)
                                         : ScrollBarParts(r.Width(), r.Height(), position, page);
  const int b = parts.button;
  const TRect first = vertical ? Bounds(r.Left, r.Top, r.Width(), b) : Bounds(r.Left, r.Top, b, r.Height());
  const TRect last = vertical ? Bounds(r.Left, r.Bottom - b, r.Width(), b)
                              : Bounds(r.Right - b, r.Top, b, r.Height());
  PaintRaisedFace(canvas, first);
  PaintRaisedFace(canvas, last);
  PaintArrow(canvas, first, vertical ? TArrowDirection::adUp : TArrowDirection::adLeft, clBtnText);
  PaintArrow(canvas, last, vertical ? TArrowDirection::adDown : TArrowDirection::adRight, clBtnText);
  if (parts.thumb_length == 0) return;
  PaintRaisedFace(canvas, vertical ? Bounds(r.Left, r.Top + parts.thumb_offset, r.Width(), parts.thumb_length)
                                   : Bounds(r.Left + parts.thumb_offset, r.Top, parts.thumb_length, r.Height()));
}

}  // namespace vantor
