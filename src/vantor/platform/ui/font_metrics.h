#pragma once
// Text measurement without a font renderer. Advance widths of one sans-serif family
// (taken once, offline, from DejaVu Sans; see font_metrics.cpp) are kept in a table in
// font units and scaled to the font's pixel size, each character rounded to whole
// pixels as screen fonts are; bold adds one pixel per character, as synthetic
// emboldening does. Every face name measures with this table, so layouts come out to
// the same pixel on every machine.

#include <string_view>

namespace vantor {

class TFont;

// The vertical measures and the average and widest character of a font (GetTextMetrics).
struct TTextMetric {
  int tmHeight = 0;
  int tmAscent = 0;
  int tmDescent = 0;
  int tmInternalLeading = 0;
  int tmExternalLeading = 0;
  int tmAveCharWidth = 0;
  int tmMaxCharWidth = 0;
};

// The character (em) height in pixels of a font of that Height (negative: em height,
// positive: cell height).
int FontEmPixels(int font_height);
// Advance width in pixels of one character.
int CharWidth(char32_t ch, int font_height, bool bold);
// Width in pixels of a UTF-8 text on one line (no kerning: the sum of the advances).
int TextWidth(const TFont& font, std::string_view text);
// Height in pixels of a line of text in the font (its tmHeight).
int TextHeight(const TFont& font);
TTextMetric GetTextMetrics(const TFont& font);
// The metrics of the system font (the font of a screen device context that has no
// font selected): the classic 16-pixel-high system font.
TTextMetric GetSystemFontMetrics();

}  // namespace vantor
