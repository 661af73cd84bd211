#pragma once
// TCanvas: the drawing surface of a control, a bitmap or a window. Painting is
// recorded: every operation appends a TCanvasOp, with the colours, font and geometry
// it used, to the device context the canvas is bound to, so tests can read what was
// painted and a raster backend can replay it. Coordinates are recorded in the device
// context's own space (the canvas origin is added).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <vantor/platform/core/persistent.h>
#include <vantor/platform/ui/color.h>
#include <vantor/platform/ui/font.h>
#include <vantor/platform/ui/font_metrics.h>
#include <vantor/platform/ui/system.h>

namespace vantor {

class TBitmap;
class TControl;

enum class TBrushStyle : std::uint8_t {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};
using enum TBrushStyle;
template <>
struct EnumNames<TBrushStyle> {
  static constexpr std::array<std::string_view, 8> value{
      "bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal",
      "bsCross", "bsDiagCross"};
};

enum class TPenStyle : std::uint8_t {
  psSolid,
  psDash,
  psDot,
  psDashDot,
  psDashDotDot,
  psClear,
  psInsideFrame
};
using enum TPenStyle;
template <>
struct EnumNames<TPenStyle> {
  static constexpr std::array<std::string_view, 7> value{
      "psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"};
};

// How a canvas fills areas: its colour and style.
class TBrush : public TPersistent {
 public:
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle style);
  void Assign(const TPersistent* source) override;
  TNotifyEvent OnChange;

 private:
  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
};

// How a canvas draws lines: its colour, width and style.
class TPen : public TPersistent {
 public:
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  int Width() const { return width_; }
  void SetWidth(int width);
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle style);
  void Assign(const TPersistent* source) override;
  TNotifyEvent OnChange;

 private:
  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = psSolid;
};

enum class TCanvasOpKind : std::uint8_t {
  TextOut,    // text at `at`, no clipping
  TextRect,   // brush fills `rect` (unless clear), then text at `at` clipped to `rect`
  FillRect,   // brush fills `rect`
  FrameRect,  // one-pixel frame of `rect` in the brush colour
  Rectangle,  // pen outline of `rect`, brush inside
  Line,       // pen line from `from` to `at` (the end point itself not drawn)
  Draw,       // bitmap copied with its top-left corner at `at`
};

// One recorded drawing operation with everything it used.
struct TCanvasOp {
  TCanvasOpKind kind = TCanvasOpKind::TextOut;
  TRect rect;
  TPoint from;
  TPoint at;
  std::string text;
  TColor brush_color = clWhite;
  TBrushStyle brush_style = bsSolid;
  TColor pen_color = clBlack;
  int pen_width = 1;
  TPenStyle pen_style = psSolid;
  std::string font_name;
  int font_height = 0;
  TFontStyles font_style;
  TColor font_color = clBlack;
  // Draw: the picture copied.
  int bitmap_width = 0;
  int bitmap_height = 0;
  std::vector<TColor> bitmap_pixels;
  std::string bitmap_resource;
  // The colour left out when the picture is drawn, clNone when every pixel is drawn.
  TColor bitmap_transparent_color = clNone;
};

// A device context: the recording surface of a window, a bitmap or a memory canvas.
struct TDeviceContext {
  std::vector<TCanvasOp> ops;
};
using HDC = TDeviceContext*;

class TCanvas : public TPersistent {
 public:
  TCanvas();
  ~TCanvas() override;

  TFont* Font() const { return font_.get(); }
  void SetFont(const TFont* font) { font_->Assign(font); }
  TBrush* Brush() const { return brush_.get(); }
  void SetBrush(const TBrush* brush) { brush_->Assign(brush); }
  TPen* Pen() const { return pen_.get(); }
  void SetPen(const TPen* pen) { pen_->Assign(pen); }

  // The device context drawn on. A canvas that is not bound to one draws on a private
  // context of its own; TControlCanvas binds itself to its control's on first use.
  HDC Handle();
  void SetHandle(HDC dc);
  bool HandleAllocated() const { return handle_ != nullptr; }
  // Added to every coordinate before it is recorded.
  TPoint Origin() const { return origin_; }
  void SetOrigin(TPoint origin) { origin_ = origin; }

  TPoint PenPos() const { return pen_pos_; }
  void SetPenPos(TPoint p) { pen_pos_ = p; }

  // Measuring, in the canvas's font.
  int TextWidth(std::string_view text) const;
  int TextHeight(std::string_view text) const;
  TTextMetric GetTextMetrics() const;

  void TextOut(int x, int y, std::string_view text);
  void TextRect(const TRect& rect, int x, int y, std::string_view text);
  void FillRect(const TRect& rect);
  void FrameRect(const TRect& rect);
  void Rectangle(const TRect& rect);
  void Rectangle(int x1, int y1, int x2, int y2) { Rectangle(TRect{x1, y1, x2, y2}); }
  void MoveTo(int x, int y) { pen_pos_ = {x, y}; }
  void LineTo(int x, int y);
  void Draw(int x, int y, const TBitmap* bitmap);

  // What has been drawn on the bound device context.
  const std::vector<TCanvasOp>& Ops();
  void ClearOps();

  TNotifyEvent OnChange;

 protected:
  // Binds the canvas to a device context when it is first needed.
  virtual void CreateHandle();
  TCanvasOp NewOp(TCanvasOpKind kind) const;
  void Record(TCanvasOp op);
  TRect Shift(TRect r) const;
  TPoint Shift(TPoint p) const;

 private:
  std::unique_ptr<TFont> font_;
  std::unique_ptr<TBrush> brush_;
  std::unique_ptr<TPen> pen_;
  std::unique_ptr<TDeviceContext> own_dc_;
  HDC handle_ = nullptr;
  TPoint origin_;
  TPoint pen_pos_;
};

// A canvas bound to a control: a windowed control's own surface, or, for a control
// without a window, its parent's surface with the origin at the control's top-left.
class TControlCanvas : public TCanvas {
 public:
  TControlCanvas() = default;
  TControl* Control() const { return control_; }
  void SetControl(TControl* control);
  // Unbinds from the device context (the next drawing binds again).
  void FreeHandle();

 protected:
  void CreateHandle() override;

 private:
  TControl* control_ = nullptr;
};

// Draws a 3-D frame of `width` pixels inside `rect`: top and left edges in `top_color`,
// bottom and right edges in `bottom_color`; shrinks `rect` by `width` on every side.
void Frame3D(TCanvas& canvas, TRect& rect, TColor top_color, TColor bottom_color, int width);

}  // namespace vantor
