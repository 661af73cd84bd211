#include <vantor/platform/ui/font.h>

#include <array>
#include <cstdlib>

#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/exceptions.h>

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
          .Property("Charset", &TFont::Charset, &TFont::SetCharset, TFont::kDefaultCharset)
          .Range(0, 255)
          .Idents(CharsetValueOfIdent, CharsetIdentOfValue)
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

void TFont::SetCharset(int charset) {
  if (charset < 0 || charset > 255) throw EInvalidOperation("A character set is a number from 0 to 255");
  if (charset == charset_) return;
  charset_ = charset;
  Changed();
}

namespace {

struct CharsetName {
  int charset;
  std::string_view name;
};
constexpr std::array<CharsetName, 19> kCharsetNames{{
    {0, "ANSI_CHARSET"},        {1, "DEFAULT_CHARSET"},   {2, "SYMBOL_CHARSET"},    {77, "MAC_CHARSET"},
    {128, "SHIFTJIS_CHARSET"},  {129, "HANGEUL_CHARSET"}, {130, "JOHAB_CHARSET"},   {134, "GB2312_CHARSET"},
    {136, "CHINESEBIG5_CHARSET"}, {161, "GREEK_CHARSET"}, {162, "TURKISH_CHARSET"}, {163, "VIETNAMESE_CHARSET"},
    {177, "HEBREW_CHARSET"},    {178, "ARABIC_CHARSET"},  {186, "BALTIC_CHARSET"},  {204, "RUSSIAN_CHARSET"},
    {222, "THAI_CHARSET"},      {238, "EASTEUROPE_CHARSET"}, {255, "OEM_CHARSET"},
}};

}  // namespace

std::optional<std::int64_t> CharsetValueOfIdent(std::string_view ident) {
  for (const CharsetName& entry : kCharsetNames) {
    if (AnsiSameText(entry.name, ident)) return entry.charset;
  }
  return std::nullopt;
}

std::optional<std::string> CharsetIdentOfValue(std::int64_t value) {
  for (const CharsetName& entry : kCharsetNames) {
    if (entry.charset == value) return std::string(entry.name);
  }
  return std::nullopt;
}

bool TFont::SameAs(const TFont& o) const {
  return name_ == o.name_ && height_ == o.height_ && style_ == o.style_ && color_ == o.color_ &&
         pitch_ == o.pitch_ && charset_ == o.charset_;
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
  charset_ = font->charset_;
  Changed();
}

void TFont::Changed() { OnChange(this); }

}  // namespace vantor
