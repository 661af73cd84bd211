#include <vantor/platform/raster/raster_painter.h>

#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <string>

#include <vantor/platform/core/stream.h>
#include <vantor/platform/rtl/utf8.h>
#include <vantor/platform/ui/font.h>
#include <vantor/platform/ui/font_metrics.h>

namespace vantor {

namespace {

// 0x00BBGGRR (system colours resolved) to the image's 0x00RRGGBB.
std::uint32_t ImageRgb(TColor color) {
  const auto c = static_cast<std::uint32_t>(ColorToRGB(color));
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

TRect Intersect(const TRect& a, const TRect& b) {
  TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
          std::min(a.Bottom, b.Bottom)};
  if (r.Right < r.Left) r.Right = r.Left;
  if (r.Bottom < r.Top) r.Bottom = r.Top;
  return r;
}

// The file of the DejaVu Sans Book face, through fontconfig; the metrics table was made
// from this face, so a substitute would draw text of other widths: refuse it instead.
std::string DejaVuSansPath() {
  if (const char* forced = std::getenv("VANTOR_FONT_FILE"); forced != nullptr && *forced != 0) {
    return forced;
  }
  std::string path;
  // A configuration of our own, destroyed afterwards, so no fontconfig state outlives the
  // look-up.
  FcConfig* config = FcInitLoadConfigAndFonts();
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("DejaVu Sans:style=Book"));
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  if (FcPattern* match = FcFontMatch(config, pattern, &result); match != nullptr) {
    FcChar8* family = nullptr;
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch &&
        FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
        std::string(reinterpret_cast<const char*>(family)) == "DejaVu Sans") {
      path = reinterpret_cast<const char*>(file);
    }
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  FcConfigDestroy(config);
  if (path.empty()) {
    throw EFOpenError(
        "The font DejaVu Sans is not installed (Debian package fonts-dejavu-core); the raster "
        "backend draws text only in the face its metrics come from");
  }
  return path;
}

// The DejaVu Sans face, loaded once for the process and handed to cairo.
class FontFace {
 public:
  static const FontFace& Get() {
    static const FontFace face;
    return face;
  }
  FT_Face Face() const { return face_; }
  cairo_font_face_t* Cairo() const { return cairo_; }
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

 private:
  FontFace() {
    const std::string path = DejaVuSansPath();
    if (FT_Init_FreeType(&library_) != 0) throw EFOpenError("FreeType cannot start");
    if (FT_New_Face(library_, path.c_str(), 0, &face_) != 0) {
      FT_Done_FreeType(library_);
      throw EFOpenError("Cannot read the font file " + path);
    }
    cairo_ = cairo_ft_font_face_create_for_ft_face(face_, 0);
  }
  ~FontFace() {
    cairo_font_face_destroy(cairo_);
    FT_Done_Face(face_);
    FT_Done_FreeType(library_);
  }

  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
  cairo_font_face_t* cairo_ = nullptr;
};

// Whether the hatch of a brush style covers the pixel (image coordinates).
bool HatchCovers(TBrushStyle style, int x, int y) {
  const int u = ((x % 8) + 8) % 8;
  const int v = ((y % 8) + 8) % 8;
  switch (style) {
    case bsHorizontal: return v == 0;
    case bsVertical: return u == 0;
    case bsFDiagonal: return u == v;
    case bsBDiagonal: return u == 7 - v;
    case bsCross: return u == 0 || v == 0;
    case bsDiagCross: return u == v || u == 7 - v;
    default: return true;
  }
}

// Whether the pen style draws the n-th pixel of a line.
bool PenCovers(TPenStyle style, int n) {
  switch (style) {
    case psDash: return n % 8 < 6;
    case psDot: return n % 2 == 0;
    case psDashDot: return n % 12 < 6 || n % 12 == 8;
    case psDashDotDot: return n % 16 < 6 || n % 16 == 8 || n % 16 == 11;
    default: return true;
  }
}

}  // namespace

// cairo's view of the image, used for text only.
struct TRasterPainter::TextRenderer {
  explicit TextRenderer(TRasterImage& image)
      : surface(cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(image.Data()),
                                                    CAIRO_FORMAT_RGB24, image.Width(),
                                                    image.Height(), image.Stride())),
        cr(cairo_create(surface)),
        options(cairo_font_options_create()) {
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
  }
  ~TextRenderer() {
    cairo_font_options_destroy(options);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
  TextRenderer(const TextRenderer&) = delete;
  TextRenderer& operator=(const TextRenderer&) = delete;

  cairo_surface_t* surface;
  cairo_t* cr;
  cairo_font_options_t* options;
};

TRasterPainter::TRasterPainter(TRasterImage& image)
    : image_(image), frames_{Frame{{0, 0}, {0, 0, image.Width(), image.Height()}}} {}

TRasterPainter::~TRasterPainter() = default;

void TRasterPainter::PushWindow(TPoint origin, TRect clip) {
  OffsetRect(clip, origin.X, origin.Y);
  frames_.push_back(Frame{origin, Intersect(Top().clip, clip)});
}

void TRasterPainter::PopWindow() {
  // The first frame is the whole image and is never pushed, so a pop that would remove
  // it is a nesting error of the caller.
  assert(frames_.size() > 1);
  frames_.pop_back();
}

void TRasterPainter::Replay(const std::vector<TCanvasOp>& ops) {
  for (const TCanvasOp& op : ops) Replay(op);
}

void TRasterPainter::SetPixel(int x, int y, std::uint32_t rgb) {
  const TRect& c = Top().clip;
  if (x < c.Left || y < c.Top || x >= c.Right || y >= c.Bottom) return;
  image_.Data()[static_cast<std::size_t>(y) * static_cast<std::size_t>(image_.Width()) +
                static_cast<std::size_t>(x)] = rgb;
}

void TRasterPainter::FillRect(TRect r, TColor color, TBrushStyle style) {
  if (style == bsClear || color == clNone) return;
  OffsetRect(r, Top().origin.X, Top().origin.Y);
  r = Intersect(r, Top().clip);
  const std::uint32_t rgb = ImageRgb(color);
  for (int y = r.Top; y < r.Bottom; ++y) {
    for (int x = r.Left; x < r.Right; ++x) {
      if (style == bsSolid || HatchCovers(style, x, y)) SetPixel(x, y, rgb);
    }
  }
}

// Bresenham's line from `from` to `to`, the end point left out (as the pen draws it).
void TRasterPainter::Line(TPoint from, TPoint to, TColor color, int width, TPenStyle style) {
  if (style == psClear || color == clNone) return;
  const std::uint32_t rgb = ImageRgb(color);
  const TPoint o = Top().origin;
  int x = from.X + o.X;
  int y = from.Y + o.Y;
  const int x1 = to.X + o.X;
  const int y1 = to.Y + o.Y;
  const int dx = std::abs(x1 - x);
  const int dy = -std::abs(y1 - y);
  const int sx = x < x1 ? 1 : -1;
  const int sy = y < y1 ? 1 : -1;
  const int half = (std::max(width, 1) - 1) / 2;
  int error = dx + dy;
  for (int n = 0; x != x1 || y != y1; ++n) {
    if (PenCovers(style, n)) {
      for (int py = y - half; py < y - half + std::max(width, 1); ++py) {
        for (int px = x - half; px < x - half + std::max(width, 1); ++px) SetPixel(px, py, rgb);
      }
    }
    const int e2 = 2 * error;
    if (e2 >= dy) {
      error += dy;
      x += sx;
    }
    if (e2 <= dx) {
      error += dx;
      y += sy;
    }
  }
}

void TRasterPainter::Text(const TCanvasOp& op, const TRect* clip) {
  if (op.text.empty() || op.font_color == clNone) return;
  TFont font;
  font.SetHeight(op.font_height);
  font.SetStyle(op.font_style);
  const TTextMetric tm = GetTextMetrics(font);
  const int em = FontEmPixels(op.font_height);
  const bool bold = op.font_style.Contains(fsBold);
  const FontFace& face = FontFace::Get();
  const TPoint o = Top().origin;

  std::vector<cairo_glyph_t> glyphs;
  int x = op.at.X + o.X;
  const int baseline = op.at.Y + o.Y + tm.tmAscent;
  for (char32_t c : DecodeUtf8(op.text)) {
    const int advance = CharWidth(c, op.font_height, bold);
    if (advance == 0) continue;
    glyphs.push_back(cairo_glyph_t{FT_Get_Char_Index(face.Face(), c), static_cast<double>(x),
                                   static_cast<double>(baseline)});
    x += advance;
  }
  TRect area = Top().clip;
  if (clip != nullptr) {
    TRect r = *clip;
    OffsetRect(r, o.X, o.Y);
    area = Intersect(area, r);
  }
  if (area.Width() == 0 || area.Height() == 0) return;

  if (!text_) text_ = std::make_unique<TextRenderer>(image_);
  cairo_t* cr = text_->cr;
  cairo_surface_mark_dirty(text_->surface);
  cairo_save(cr);
  cairo_rectangle(cr, area.Left, area.Top, area.Width(), area.Height());
  cairo_clip(cr);
  const std::uint32_t rgb = ImageRgb(op.font_color);
  cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0,
                       (rgb & 0xFF) / 255.0);
  cairo_set_font_face(cr, face.Cairo());
  cairo_matrix_t matrix;
  cairo_matrix_init_scale(&matrix, em, em);
  if (op.font_style.Contains(fsItalic)) matrix.xy = -0.2 * em;  // an oblique slant
  cairo_set_font_matrix(cr, &matrix);
  cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
  if (bold) {
    // Emboldened by a second impression one pixel to the right: the extra pixel per
    // character the metrics give bold text.
    cairo_translate(cr, 1, 0);
    cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
    cairo_translate(cr, -1, 0);
  }
  const int left = op.at.X + o.X;
  if (op.font_style.Contains(fsUnderline)) {
    cairo_rectangle(cr, left, baseline + 1, x - left, std::max(1, em / 12));
    cairo_fill(cr);
  }
  if (op.font_style.Contains(fsStrikeOut)) {
    cairo_rectangle(cr, left, baseline - tm.tmAscent / 3, x - left, std::max(1, em / 12));
    cairo_fill(cr);
  }
  cairo_restore(cr);
  cairo_surface_flush(text_->surface);
}

void TRasterPainter::Bitmap(const TCanvasOp& op) {
  const TPoint o = Top().origin;
  const bool keyed = op.bitmap_transparent_color != clNone;
  const auto key = keyed ? ColorToRGB(op.bitmap_transparent_color) : 0;
  // The canvas records a bitmap's own pixels together with its size, so they agree.
  assert(op.bitmap_pixels.size() ==
         static_cast<std::size_t>(op.bitmap_width) * static_cast<std::size_t>(op.bitmap_height));
  for (int y = 0; y < op.bitmap_height; ++y) {
    for (int x = 0; x < op.bitmap_width; ++x) {
      const TColor c = op.bitmap_pixels[static_cast<std::size_t>(y * op.bitmap_width + x)];
      if (c == clNone || (keyed && ColorToRGB(c) == key)) continue;
      SetPixel(op.at.X + o.X + x, op.at.Y + o.Y + y, ImageRgb(c));
    }
  }
}

void TRasterPainter::Replay(const TCanvasOp& op) {
  switch (op.kind) {
    case TCanvasOpKind::TextOut:
      FillRect(op.rect, op.brush_color, op.brush_style == bsClear ? bsClear : bsSolid);
      Text(op, nullptr);
      return;
    case TCanvasOpKind::TextRect:
      FillRect(op.rect, op.brush_color, op.brush_style == bsClear ? bsClear : bsSolid);
      Text(op, &op.rect);
      return;
    case TCanvasOpKind::FillRect:
      FillRect(op.rect, op.brush_color, op.brush_style);
      return;
    case TCanvasOpKind::FrameRect: {
      const TRect& r = op.rect;
      if (r.Width() <= 0 || r.Height() <= 0) return;
      FillRect({r.Left, r.Top, r.Right, r.Top + 1}, op.brush_color);
      FillRect({r.Left, r.Bottom - 1, r.Right, r.Bottom}, op.brush_color);
      FillRect({r.Left, r.Top, r.Left + 1, r.Bottom}, op.brush_color);
      FillRect({r.Right - 1, r.Top, r.Right, r.Bottom}, op.brush_color);
      return;
    }
    case TCanvasOpKind::Rectangle: {
      const TRect& r = op.rect;
      if (r.Width() <= 0 || r.Height() <= 0) return;
      const int w = op.pen_style == psClear ? 0 : std::max(op.pen_width, 1);
      FillRect({r.Left + w, r.Top + w, r.Right - w, r.Bottom - w}, op.brush_color, op.brush_style);
      if (w == 0) return;
      const TColor pen = op.pen_color;
      FillRect({r.Left, r.Top, r.Right, r.Top + w}, pen);
      FillRect({r.Left, r.Bottom - w, r.Right, r.Bottom}, pen);
      FillRect({r.Left, r.Top, r.Left + w, r.Bottom}, pen);
      FillRect({r.Right - w, r.Top, r.Right, r.Bottom}, pen);
      return;
    }
    case TCanvasOpKind::Line:
      Line(op.from, op.at, op.pen_color, op.pen_width, op.pen_style);
      return;
    case TCanvasOpKind::Draw:
      Bitmap(op);
      return;
  }
}

}  // namespace vantor
