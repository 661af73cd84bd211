#include <vantor/platform/ui/bitmap.h>

#include <algorithm>
#include <map>

#include <vantor/platform/rtl/ansi_strings.h>

namespace vantor {

namespace {

struct BitmapResource {
  int width = 0;
  int height = 0;
  std::vector<TColor> pixels;
};

// The ellipsis glyph of the field edits' button: three black 2 x 2 dots on the second
// and third rows, at columns 0-1, 4-5 and 8-9, on white.
BitmapResource EllipsisGlyph() {
  BitmapResource r{10, 5, std::vector<TColor>(50, clWhite)};
  for (int y = 1; y <= 2; ++y) {
    for (int x : {0, 1, 4, 5, 8, 9}) r.pixels[static_cast<std::size_t>(y * 10 + x)] = clBlack;
  }
  return r;
}

struct CaseInsensitiveLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return AnsiCompareText(a, b) < 0; }
};

std::map<std::string, BitmapResource, CaseInsensitiveLess>& Registry() {
  static std::map<std::string, BitmapResource, CaseInsensitiveLess> registry{
      {"BTNSPOTS", EllipsisGlyph()}};
  return registry;
}

}  // namespace

void RegisterBitmapResource(std::string name, int width, int height, std::vector<TColor> pixels) {
  if (width < 0 || height < 0 ||
      pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
    throw EListError("Bitmap resource " + name + " has " + std::to_string(pixels.size()) +
                     " pixels for " + std::to_string(width) + " x " + std::to_string(height));
  }
  Registry()[std::move(name)] = BitmapResource{width, height, std::move(pixels)};
}

bool BitmapResourceExists(std::string_view name) {
  return Registry().find(name) != Registry().end();
}

const TypeInfo& TBitmap::StaticType() {
  static const TypeInfo info = TypeBuilder<TBitmap>("TBitmap", &TPersistent::StaticType()).Build();
  return info;
}

void TBitmap::SetSize(int width, int height) {
  width = std::max(0, width);
  height = std::max(0, height);
  if (width == width_ && height == height_) return;
  std::vector<TColor> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                             clWhite);
  for (int y = 0; y < std::min(height, height_); ++y) {
    for (int x = 0; x < std::min(width, width_); ++x) {
      pixels[static_cast<std::size_t>(y * width + x)] = pixels_[static_cast<std::size_t>(y * width_ + x)];
    }
  }
  width_ = width;
  height_ = height;
  pixels_ = std::move(pixels);
  Changed();
}

TColor TBitmap::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) {
    throw EListError("Pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") outside the bitmap");
  }
  return pixels_[static_cast<std::size_t>(y * width_ + x)];
}

void TBitmap::SetPixel(int x, int y, TColor color) {
  if (Pixel(x, y) == color) return;
  pixels_[static_cast<std::size_t>(y * width_ + x)] = color;
  Changed();
}

TColor TBitmap::TransparentColor() const { return Empty() ? clNone : Pixel(0, height_ - 1); }

void TBitmap::LoadFromResourceName(std::intptr_t /*instance*/, std::string_view name) {
  auto it = Registry().find(name);
  if (it == Registry().end()) throw EResNotFound("Resource " + std::string(name) + " not found");
  width_ = it->second.width;
  height_ = it->second.height;
  pixels_ = it->second.pixels;
  resource_name_ = it->first;
  Changed();
}

void TBitmap::Assign(const TPersistent* source) {
  const auto* bitmap = dynamic_cast<const TBitmap*>(source);
  if (bitmap == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (bitmap == this) return;
  width_ = bitmap->width_;
  height_ = bitmap->height_;
  pixels_ = bitmap->pixels_;
  resource_name_ = bitmap->resource_name_;
  transparent_ = bitmap->transparent_;
  Changed();
}

}  // namespace vantor
