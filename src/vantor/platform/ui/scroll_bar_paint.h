#pragma once
// The classic look of scroll bars and raised button faces, painted on a canvas: shared by
// the window frames the raster backend draws and by controls that draw their own bars.

#include <vantor/platform/ui/canvas.h>

namespace vantor {

// A raised face: the two-pixel bevel of a button around a clBtnFace fill.
void PaintRaisedFace(TCanvas& canvas, TRect rect);

enum class TArrowDirection : std::uint8_t { adUp, adDown, adLeft, adRight };

// A small filled triangle in the middle of `rect`.
void PaintArrow(TCanvas& canvas, const TRect& rect, TArrowDirection direction, TColor color);

// A scroll bar filling `rect`: arrow buttons at both ends and, when `page` (the part of
// the range shown, 0..1) is below 1, a thumb at `position` (0 at the start, 1 at the end)
// over a dotted track.
void PaintScrollBar(TCanvas& canvas, const TRect& rect, bool vertical, double position, double page);

// The extents along a scroll bar of that length: each arrow button, and the thumb's
// offset from the start and its length (0 when no thumb is shown).
struct TScrollBarParts {
  int button = 0;
  int thumb_offset = 0;
  int thumb_length = 0;
};
TScrollBarParts ScrollBarParts(int length, int thickness, double position, double page);

}  // namespace vantor
