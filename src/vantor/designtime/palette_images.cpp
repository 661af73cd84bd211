#include <array>
#include <string_view>
#include <vector>

#include <vantor/designtime/registration.h>
#include <vantor/platform/ui/bitmap.h>
#include <vantor/platform/ui/color.h>

namespace vantor {

namespace {

constexpr int kSize = 24;

// A picture being drawn, in the sixteen colours of the classic palette.
class Picture {
 public:
  Picture() : pixels_(kSize * kSize, clSilver) {}
  void Set(int x, int y, TColor c) {
    if (x >= 0 && x < kSize && y >= 0 && y < kSize) pixels_[static_cast<std::size_t>(y * kSize + x)] = c;
  }
  void Fill(int x0, int y0, int x1, int y1, TColor c) {
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) Set(x, y, c);
    }
  }
  // A raised frame: light top and left, dark bottom and right.
  void Raised(int x0, int y0, int x1, int y1) {
    Fill(x0, y0, x1, y0, clWhite);
    Fill(x0, y0, x0, y1, clWhite);
    Fill(x0, y1, x1, y1, clGray);
    Fill(x1, y0, x1, y1, clGray);
  }
  // A glyph from a text map whose letters name colours (a space keeps the pixel).
  void Glyph(int x0, int y0, std::initializer_list<std::string_view> rows) {
    int y = y0;
    for (std::string_view row : rows) {
      for (int x = 0; x < static_cast<int>(row.size()); ++x) {
        if (row[static_cast<std::size_t>(x)] != ' ') Set(x0 + x, y, ColourOf(row[static_cast<std::size_t>(x)]));
      }
      ++y;
    }
  }
  std::vector<TColor> Take() { return std::move(pixels_); }

 private:
  static TColor ColourOf(char c) {
    switch (c) {
      case 'k': return clBlack;
      case 'w': return clWhite;
      case 'y': return clYellow;
      case 'o': return clOlive;
      case 'a': return clAqua;
      case 't': return clTeal;
      case 'g': return clGray;
      case 'n': return clNavy;
      default: return clRed;
    }
  }
  std::vector<TColor> pixels_;
};

// A panel with two rows of a caption and an edit.
void DrawPanel(Picture& p) {
  p.Raised(0, 2, 23, 21);
  for (int row : {5, 12}) {
    p.Fill(2, row + 2, 6, row + 2, clBlack);  // the caption
    p.Fill(8, row, 21, row + 4, clWhite);     // the edit
    p.Fill(8, row, 21, row, clGray);
    p.Fill(8, row, 8, row + 4, clGray);
  }
}

// A window with its title bar and one row of a caption and an edit.
void DrawWindow(Picture& p) {
  p.Raised(0, 1, 23, 22);
  p.Fill(1, 2, 22, 5, clNavy);
  p.Fill(19, 3, 21, 4, clSilver);  // the close box
  p.Fill(2, 10, 6, 10, clBlack);
  p.Fill(8, 8, 21, 12, clWhite);
  p.Fill(8, 8, 21, 8, clGray);
  p.Fill(8, 8, 8, 12, clGray);
  p.Fill(14, 18, 21, 20, clSilver);  // a button
  p.Raised(14, 18, 21, 20);
}

// A funnel in the lower right corner: filtering.
void DrawFunnel(Picture& p) {
  p.Glyph(12, 13, {"kkkkkkkkkkk",
                   "kyyyyyyyyyk",
                   " kyyyyyyyk ",
                   "  kyyyyyk  ",
                   "   kyyyk   ",
                   "    kyk    ",
                   "    kyk    ",
                   "    kok    ",
                   "    kok    ",
                   "    kkk    "});
}

// A magnifying glass in the lower right corner: finding.
void DrawMagnifier(Picture& p) {
  p.Glyph(11, 11, {"   kkkk     ",
                   "  kaaaak    ",
                   " kaawaaak   ",
                   " kawaaaak   ",
                   " kaaaaaak   ",
                   " kaaaaaak   ",
                   "  kaaaak    ",
                   "   kkkkkk   ",
                   "        kk  ",
                   "         kk ",
                   "          kk",
                   "           k"});
}

std::vector<TColor> Image(void (*base)(Picture&), void (*glyph)(Picture&)) {
  Picture p;
  base(p);
  glyph(p);
  return p.Take();
}

}  // namespace

void RegisterPaletteImages() {
  RegisterBitmapResource("TDBFILTERPANEL", kSize, kSize, Image(&DrawPanel, &DrawFunnel));
  RegisterBitmapResource("TDBFINDPANEL", kSize, kSize, Image(&DrawPanel, &DrawMagnifier));
  RegisterBitmapResource("TDBFILTERDIALOG", kSize, kSize, Image(&DrawWindow, &DrawFunnel));
  RegisterBitmapResource("TDBFINDDIALOG", kSize, kSize, Image(&DrawWindow, &DrawMagnifier));
}

}  // namespace vantor
