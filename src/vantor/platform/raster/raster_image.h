#pragma once
// TRasterImage: an opaque picture in memory, what the raster backend paints into and what
// a window host shows. Pixels are 0x00RRGGBB words, row by row from the top, which is
// the layout cairo's RGB24 surfaces and X's 24-bit images both use, so neither needs a copy.

#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

class TRasterImage {
 public:
  TRasterImage() = default;
  // A picture of that size filled with `rgb` (0x00RRGGBB).
  TRasterImage(int width, int height, std::uint32_t rgb = 0xFFFFFF);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  // The pixel as 0x00RRGGBB; EListError outside the picture.
  std::uint32_t Pixel(int x, int y) const;
  std::uint32_t* Data() { return pixels_.data(); }
  const std::uint32_t* Data() const { return pixels_.data(); }
  // Bytes from one row to the next.
  int Stride() const { return width_ * 4; }

  // Writes the picture as a PNG file; EInOutError with the reason when it cannot.
  void SavePng(const std::string& path) const;
  // Reads a PNG file (any colour type; transparency is dropped); EInOutError when the
  // file is missing or not a PNG.
  static TRasterImage LoadPng(const std::string& path);

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

// How two pictures differ: the pixels whose red, green or blue differ by more than the
// tolerance, and the largest difference of one channel seen anywhere. Pictures of
// different sizes differ in every pixel.
struct TImageDifference {
  bool same_size = true;
  long differing_pixels = 0;
  int largest_channel_difference = 0;
  bool Matches() const { return same_size && differing_pixels == 0; }
};
TImageDifference CompareImages(const TRasterImage& expected, const TRasterImage& actual,
                               int channel_tolerance);

}  // namespace vantor
