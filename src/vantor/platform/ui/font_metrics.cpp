#include <vantor/platform/ui/font_metrics.h>

#include <array>

#include <vantor/platform/rtl/utf8.h>
#include <vantor/platform/ui/font.h>

namespace vantor {

namespace {

// Advance widths of DejaVu Sans (Book), in font units of a 2048-unit em, produced once
// by tools/make_font_metrics.py from the font file and kept here so that no font file
// is read at run time.
// units per em 2048, ascender 1901, descender 483, line gap 0, average width 1038
constexpr int kUnitsPerEm = 2048;
constexpr int kAscender = 1901;
constexpr int kDescender = 483;
constexpr int kAverageWidth = 1038;
constexpr int kMaxWidth = 2048;
// Code points outside the table: wide East Asian characters take a full em, others the
// width of a digit.
constexpr int kWideWidth = 2048;
constexpr int kOtherWidth = 1303;

// U+0020 .. U+007E
constexpr std::array<short, 95> kAsciiWidths{
    651, 821, 942, 1716, 1303, 1946, 1597, 563, 799, 799, 1024, 1716, 651, 739, 651, 690,
    1303, 1303, 1303, 1303, 1303, 1303, 1303, 1303, 1303, 1303, 690, 690, 1716, 1716, 1716, 1087,
    2048, 1401, 1405, 1430, 1577, 1294, 1178, 1587, 1540, 604, 604, 1343, 1141, 1767, 1532, 1612,
    1235, 1612, 1423, 1300, 1251, 1499, 1401, 2025, 1403, 1251, 1403, 799, 690, 799, 1716, 1024,
    1024, 1255, 1300, 1126, 1300, 1260, 721, 1300, 1298, 569, 569, 1186, 569, 1995, 1298, 1253,
    1300, 1300, 842, 1067, 803, 1298, 1212, 1675, 1212, 1212, 1075, 1303, 690, 1303, 1716
};

// U+00A0 .. U+00FF
constexpr std::array<short, 96> kLatin1Widths{
    651, 821, 1303, 1303, 1303, 1303, 690, 1024, 1024, 2048, 965, 1253, 1716, 739, 2048, 1024,
    1024, 1716, 821, 821, 1024, 1303, 1303, 651, 1024, 821, 965, 1253, 1985, 1985, 1985, 1087,
    1401, 1401, 1401, 1401, 1401, 1401, 1995, 1430, 1294, 1294, 1294, 1294, 604, 604, 604, 604,
    1587, 1532, 1612, 1612, 1612, 1612, 1612, 1716, 1612, 1499, 1499, 1499, 1499, 1251, 1239, 1290,
    1255, 1255, 1255, 1255, 1255, 1255, 2011, 1126, 1260, 1260, 1260, 1260, 569, 569, 569, 569,
    1253, 1298, 1253, 1253, 1253, 1253, 1253, 1716, 1253, 1298, 1298, 1298, 1298, 1212, 1300, 1212
};

// U+0100 .. U+017F (Latin Extended-A: the letters of Turkish, Polish, Czech, Hungarian...)
constexpr std::array<short, 128> kLatinExtendedAWidths{
    1401, 1255, 1401, 1255, 1401, 1255, 1430, 1126, 1430, 1126, 1430, 1126, 1430, 1126, 1577, 1300,
    1587, 1300, 1294, 1260, 1294, 1260, 1294, 1260, 1294, 1260, 1294, 1260, 1587, 1300, 1587, 1300,
    1587, 1300, 1587, 1300, 1540, 1298, 1876, 1423, 604, 569, 604, 569, 604, 569, 604, 569,
    604, 569, 1208, 1138, 604, 569, 1343, 1186, 1186, 1141, 569, 1141, 569, 1141, 768, 1141,
    700, 1151, 582, 1532, 1298, 1532, 1298, 1532, 1298, 1666, 1532, 1298, 1612, 1253, 1612, 1253,
    1612, 1253, 2191, 2095, 1423, 842, 1423, 842, 1423, 842, 1300, 1067, 1300, 1067, 1300, 1067,
    1300, 1067, 1251, 803, 1251, 803, 1251, 803, 1499, 1298, 1499, 1298, 1499, 1298, 1499, 1298,
    1499, 1298, 1499, 1298, 2025, 1675, 1251, 1212, 1251, 1403, 1075, 1403, 1075, 1403, 1075, 721
};

bool IsWide(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
         (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

int Units(char32_t c) {
  if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) return 0;  // control characters
  if (c < 0x7F) return kAsciiWidths[c - 0x20];
  if (c >= 0xA0 && c <= 0xFF) return kLatin1Widths[c - 0xA0];
  if (c >= 0x100 && c <= 0x17F) return kLatinExtendedAWidths[c - 0x100];
  return IsWide(c) ? kWideWidth : kOtherWidth;
}

// units * em / 2048, rounded half up: each character is a whole number of pixels.
int Scale(int units, int em) { return (units * em + kUnitsPerEm / 2) / kUnitsPerEm; }

bool IsBold(const TFont& font) { return font.Style().Contains(fsBold); }

}  // namespace

int FontEmPixels(int font_height) {
  if (font_height < 0) return -font_height;
  if (font_height == 0) return 11;
  // A cell height includes the internal leading: scale it down to the em.
  return (font_height * kUnitsPerEm + (kAscender + kDescender) / 2) / (kAscender + kDescender);
}

int CharWidth(char32_t ch, int font_height, bool bold) {
  const int units = Units(ch);
  if (units == 0) return 0;
  return Scale(units, FontEmPixels(font_height)) + (bold ? 1 : 0);
}

int TextWidth(const TFont& font, std::string_view text) {
  const int em = FontEmPixels(font.Height());
  const int extra = IsBold(font) ? 1 : 0;
  int width = 0;
  for (char32_t c : DecodeUtf8(text)) {
    const int units = Units(c);
    if (units != 0) width += Scale(units, em) + extra;
  }
  return width;
}

int TextHeight(const TFont& font) { return GetTextMetrics(font).tmHeight; }

TTextMetric GetTextMetrics(const TFont& font) {
  const int em = FontEmPixels(font.Height());
  const int extra = IsBold(font) ? 1 : 0;
  TTextMetric tm;
  tm.tmAscent = Scale(kAscender, em);
  tm.tmDescent = Scale(kDescender, em);
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = tm.tmHeight - em;
  tm.tmExternalLeading = 0;
  tm.tmAveCharWidth = Scale(kAverageWidth, em) + extra;
  tm.tmMaxCharWidth = Scale(kMaxWidth, em) + extra;
  return tm;
}

TTextMetric GetSystemFontMetrics() {
  TFont system;
  system.SetName("System");
  system.SetHeight(16);
  system.SetStyle({fsBold});
  return GetTextMetrics(system);
}

}  // namespace vantor
