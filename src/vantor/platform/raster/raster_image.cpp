#include <vantor/platform/raster/raster_image.h>

#include <cairo.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include <vantor/platform/core/stream.h>
#include <vantor/platform/rtl/exceptions.h>

namespace vantor {

namespace {

struct SurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

int Channel(std::uint32_t rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xFF); }

}  // namespace

TRasterImage::TRasterImage(int width, int height, std::uint32_t rgb)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), rgb) {}

std::uint32_t TRasterImage::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) {
    throw EListError("Pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                     ") is outside the picture");
  }
  return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                 static_cast<std::size_t>(x)] &
         0xFFFFFF;
}

void TRasterImage::SavePng(const std::string& path) const {
  if (Empty()) throw EFCreateError("Cannot write an empty picture to " + path);
  // cairo reads the words as they are; the const_cast is safe because writing a PNG
  // only reads the surface.
  SurfacePtr surface(cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(pixels_.data())),
      CAIRO_FORMAT_RGB24, width_, height_, Stride()));
  const cairo_status_t status = cairo_surface_write_to_png(surface.get(), path.c_str());
  if (status != CAIRO_STATUS_SUCCESS) {
    throw EFCreateError("Cannot write " + path + ": " + cairo_status_to_string(status));
  }
}

TRasterImage TRasterImage::LoadPng(const std::string& path) {
  SurfacePtr surface(cairo_image_surface_create_from_png(path.c_str()));
  const cairo_status_t status = cairo_surface_status(surface.get());
  if (status != CAIRO_STATUS_SUCCESS) {
    throw EFOpenError("Cannot read " + path + ": " + cairo_status_to_string(status));
  }
  cairo_surface_flush(surface.get());
  const int width = cairo_image_surface_get_width(surface.get());
  const int height = cairo_image_surface_get_height(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  const unsigned char* data = cairo_image_surface_get_data(surface.get());
  const cairo_format_t format = cairo_image_surface_get_format(surface.get());
  if (format != CAIRO_FORMAT_RGB24 && format != CAIRO_FORMAT_ARGB32) {
    throw EFOpenError("Cannot read " + path + ": unsupported pixel format");
  }
  TRasterImage image(width, height);
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    std::copy(row, row + width,
              image.pixels_.begin() + static_cast<std::ptrdiff_t>(y) * width);
  }
  for (std::uint32_t& p : image.pixels_) p &= 0xFFFFFF;
  return image;
}

TImageDifference CompareImages(const TRasterImage& expected, const TRasterImage& actual,
                               int channel_tolerance) {
  TImageDifference d;
  if (expected.Width() != actual.Width() || expected.Height() != actual.Height()) {
    d.same_size = false;
    d.differing_pixels = static_cast<long>(std::max(expected.Width(), actual.Width())) *
                         std::max(expected.Height(), actual.Height());
    return d;
  }
  for (int y = 0; y < expected.Height(); ++y) {
    for (int x = 0; x < expected.Width(); ++x) {
      const std::uint32_t a = expected.Pixel(x, y);
      const std::uint32_t b = actual.Pixel(x, y);
      int worst = 0;
      for (int shift : {0, 8, 16}) worst = std::max(worst, std::abs(Channel(a, shift) - Channel(b, shift)));
      d.largest_channel_difference = std::max(d.largest_channel_difference, worst);
      if (worst > channel_tolerance) ++d.differing_pixels;
    }
  }
  return d;
}

}  // namespace vantor
