#pragma once
// TRasterPainter: replays recorded canvas operations into a TRasterImage. Rectangles,
// lines, frames and bitmaps are set pixel by pixel, crisp as a classic window system
// draws them; text goes through cairo with FreeType and the DejaVu Sans face the
// font-metrics table was taken from, each character placed at the whole-pixel advance
// the table gives, so the text drawn is exactly as wide as the text measured.
//
// Call order: PushWindow for a window's client area, Replay its operations, then
// PopWindow; windows nest (a child is clipped to its parent's client area as well).

#include <memory>
#include <vector>

#include <vantor/platform/ui/canvas.h>
#include <vantor/platform/raster/raster_image.h>
#include <vantor/platform/ui/system.h>

namespace vantor {

class TRasterPainter {
 public:
  explicit TRasterPainter(TRasterImage& image);
  ~TRasterPainter();
  TRasterPainter(const TRasterPainter&) = delete;
  TRasterPainter& operator=(const TRasterPainter&) = delete;

  // From now on coordinates are relative to `origin` (image coordinates) and drawing
  // stays inside `clip` (relative to the new origin) and every clip pushed before.
  void PushWindow(TPoint origin, TRect clip);
  void PopWindow();

  void Replay(const std::vector<TCanvasOp>& ops);
  void Replay(const TCanvasOp& op);

 private:
  struct Frame {
    TPoint origin;
    TRect clip;  // image coordinates
  };
  struct TextRenderer;

  void FillRect(TRect r, TColor color, TBrushStyle style = bsSolid);
  // Sets one pixel (image coordinates, 0x00RRGGBB) when it is inside the current clip.
  void SetPixel(int x, int y, std::uint32_t rgb);
  void Line(TPoint from, TPoint to, TColor color, int width, TPenStyle style);
  void Text(const TCanvasOp& op, const TRect* clip);
  void Bitmap(const TCanvasOp& op);
  const Frame& Top() const { return frames_.back(); }

  TRasterImage& image_;
  std::vector<Frame> frames_;
  std::unique_ptr<TextRenderer> text_;
};

}  // namespace vantor
