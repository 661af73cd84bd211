#include <vantor/platform/ui/font.h>

#include <cstdlib>

namespace vantor {

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const long long num = static_cast<long long>(a) * b;
  const long long half = std::llabs(static_cast<long long>(c)) / 2;
  const bool negative = (num < 0) != (c < 0);
  const long long q = (std::llabs(num) + half) / std::llabs(static_cast<long long>(c));
  return static_cast<int>(negative ? -q : q);
}

const TypeInfo& TFont::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TFont>("TFont", &TPersistent::StaticType())
          .Property("Color", &TFont::Color, &TFont::SetColor, clWindowText)
          .Idents(ColorValueOfIdent, ColorIdentOfValue)
          .Property("Height", &TFont::Height, &TFont::SetHeight)
          .Property("Name", &TFont::Name, &TFont::SetName)
          .Property("Pitch", &TFont::Pitch, &TFont::SetPitch, fpDefault)
          .Property("Size", &TFont::Size, &TFont::SetSize)
          .Stored(&TFont::IsSizeStored)
          .Property("Style", &TFont::Style, &TFont::SetStyle, TFontStyles{})
          .Build();
  return info;
}

TFont::TFont() = default;

void TFont::SetName(const std::string& name) {
  if (name.empty() || name == name_) return;
  name_ = name;
  Changed();
}

int TFont::Size() const { return -MulDiv(height_, 72, kScreenPixelsPerInch); }

void TFont::SetSize(int size) { SetHeight(-MulDiv(size, kScreenPixelsPerInch, 72)); }

void TFont::SetHeight(int height) {
  if (height == height_) return;
  height_ = height;
  Changed();
}

void TFont::SetStyle(TFontStyles style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}

void TFont::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed();
}

void TFont::SetPitch(TFontPitch pitch) {
  if (pitch == pitch_) return;
  pitch_ = pitch;
  Changed();
}

bool TFont::SameAs(const TFont& o) const {
  return name_ == o.name_ && height_ == o.height_ && style_ == o.style_ && color_ == o.color_ &&
         pitch_ == o.pitch_;
}

void TFont::Assign(const TPersistent* source) {
  const auto* font = dynamic_cast<const TFont*>(source);
  if (font == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (font == this || SameAs(*font)) return;
  name_ = font->name_;
  height_ = font->height_;
  style_ = font->style_;
  color_ = font->color_;
  pitch_ = font->pitch_;
  Changed();
}

void TFont::Changed() { OnChange(this); }

}  // namespace vantor
