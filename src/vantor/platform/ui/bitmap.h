#pragma once
// TBitmap: a small in-memory picture (glyphs of buttons). Pixels are TColor values.
// Bitmaps are loaded by name from a process-wide resource registry, in which the
// library's own glyphs (the ellipsis "BTNSPOTS") are registered from the start.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <vantor/platform/core/persistent.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/ui/color.h>
#include <vantor/platform/ui/font.h>

namespace vantor {

// A named resource that is not in the registry.
class EResNotFound : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EResNotFound"; }
};

// The module instance handle of this library, for LoadFromResourceName's first argument.
inline constexpr std::intptr_t HInstance = 0x400000;

class TBitmap : public TPersistent {
 public:
  TBitmap() = default;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetWidth(int width) { SetSize(width, height_); }
  void SetHeight(int height) { SetSize(width_, height); }
  // Resizes, keeping the overlapping pixels; new pixels are white.
  void SetSize(int width, int height);
  bool Empty() const { return width_ == 0 || height_ == 0; }

  // EListError outside the picture.
  TColor Pixel(int x, int y) const;
  void SetPixel(int x, int y, TColor color);
  const std::vector<TColor>& Pixels() const { return pixels_; }
  // The colour treated as transparent when the bitmap is a glyph: its bottom-left pixel.
  TColor TransparentColor() const;
  // Drawn with the pixels of TransparentColor left out (a glyph on a button face).
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value) { transparent_ = value; }

  // Replaces the picture with the registered bitmap of that name (case-insensitive);
  // EResNotFound "Resource NAME not found" when there is none.
  void LoadFromResourceName(std::intptr_t instance, std::string_view name);
  void LoadFromResourceName(std::string_view name) { LoadFromResourceName(HInstance, name); }
  // The resource name it was last loaded from ("" otherwise).
  const std::string& ResourceName() const { return resource_name_; }

  void Assign(const TPersistent* source) override;
  bool operator==(const TBitmap& other) const {
    return width_ == other.width_ && height_ == other.height_ && pixels_ == other.pixels_;
  }

  TNotifyEvent OnChange;

 private:
  void Changed() { OnChange(this); }

  int width_ = 0;
  int height_ = 0;
  std::vector<TColor> pixels_;  // row by row from the top
  std::string resource_name_;
  bool transparent_ = false;
};

// Registers (or replaces) a bitmap resource; `pixels` holds width * height colours row
// by row from the top. EListError when the sizes do not match.
void RegisterBitmapResource(std::string name, int width, int height, std::vector<TColor> pixels);
// True when a bitmap of that name is registered.
bool BitmapResourceExists(std::string_view name);

}  // namespace vantor
