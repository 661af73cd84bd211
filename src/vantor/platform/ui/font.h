#pragma once
// TFont: the typeface, size, style and colour of text. A change of any attribute fires
// OnChange, which is how controls learn that their font changed (and stop following
// their parent's). Height and Size are two views of one value at 96 dots per inch:
// Height = -Size * 96 / 72, rounded half away from zero; a negative Height is the
// character (em) height in pixels, a positive one the cell height.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <vantor/platform/core/event.h>
#include <vantor/platform/core/persistent.h>
#include <vantor/platform/rtl/enum_names.h>
#include <vantor/platform/rtl/set.h>
#include <vantor/platform/ui/color.h>

namespace vantor {

using TObject = TPersistent;
using TNotifyEvent = Event<TObject*>;

enum class TFontStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using enum TFontStyle;
using TFontStyles = Set<TFontStyle>;
template <>
struct EnumNames<TFontStyle> {
  static constexpr std::array<std::string_view, 4> value{"fsBold", "fsItalic", "fsUnderline",
                                                         "fsStrikeOut"};
};

enum class TFontPitch : std::uint8_t { fpDefault, fpVariable, fpFixed };
using enum TFontPitch;
template <>
struct EnumNames<TFontPitch> {
  static constexpr std::array<std::string_view, 3> value{"fpDefault", "fpVariable", "fpFixed"};
};

inline constexpr int kScreenPixelsPerInch = 96;

// a * b / c rounded half away from zero, as the window system's MulDiv.
int MulDiv(int a, int b, int c);

class TFont : public TPersistent {
 public:
  TFont();

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
  static constexpr int kDefaultCharset = 1;  // DEFAULT_CHARSET

  const std::string& Name() const { return name_; }
  void SetName(const std::string& name);
  // Points; derived from Height.
  int Size() const;
  void SetSize(int size);
  int Height() const { return height_; }
  void SetHeight(int height);
  // The stream keeps Height; Size is derived from it.
  bool IsSizeStored() const { return false; }
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles style);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch pitch);
  // The character set the font is asked for (0..255, DEFAULT_CHARSET = 1 by default):
  // kept and streamed, as form files of other tools name it; drawing uses Unicode.
  int Charset() const { return charset_; }
  void SetCharset(int charset);

  // Copies every attribute of another font (one OnChange when anything differs).
  void Assign(const TPersistent* source) override;
  // True when every attribute equals the other font's.
  bool SameAs(const TFont& other) const;

  TNotifyEvent OnChange;

 protected:
  void Changed();

 private:
  std::string name_ = "MS Sans Serif";
  int height_ = -11;  // 8 points
  TFontStyles style_;
  TColor color_ = clWindowText;
  TFontPitch pitch_ = fpDefault;
  int charset_ = kDefaultCharset;
};

// A character set's name ("DEFAULT_CHARSET") and the set of a name, in the form the
// published Charset names its values with (TypeBuilder::Idents).
std::optional<std::int64_t> CharsetValueOfIdent(std::string_view ident);
std::optional<std::string> CharsetIdentOfValue(std::int64_t value);

}  // namespace vantor
