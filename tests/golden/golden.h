#pragma once
// Golden pictures: a rendered control is compared with a stored PNG beside this file,
// allowing a small difference per colour channel (anti-aliased text may shift a shade
// between library versions) and a few stray pixels. On a mismatch the rendered picture
// is written next to the expected one as NAME.actual.png for inspection. With
// VANTOR_UPDATE_GOLDEN=1 in the environment the stored pictures are written afresh.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <vantor/platform/raster/raster_image.h>

namespace vantor::testing {

inline constexpr int kGoldenChannelTolerance = 48;
// At most one pixel in 500 may differ by more than the channel tolerance.
inline constexpr long kGoldenStrayPixelsPerMille = 2;

inline void ExpectMatchesGolden(const TRasterImage& actual, const std::string& name) {
  const std::filesystem::path dir = VANTOR_GOLDEN_DIR;
  const std::filesystem::path expected_path = dir / (name + ".png");
  const std::filesystem::path actual_path = dir / (name + ".actual.png");
  const char* update = std::getenv("VANTOR_UPDATE_GOLDEN");
  if (update != nullptr && std::string(update) == "1") {
    actual.SavePng(expected_path.string());
    std::filesystem::remove(actual_path);
    return;
  }
  ASSERT_TRUE(std::filesystem::exists(expected_path))
      << expected_path << " is missing (VANTOR_UPDATE_GOLDEN=1 writes it)";
  const TRasterImage expected = TRasterImage::LoadPng(expected_path.string());
  const TImageDifference d = CompareImages(expected, actual, kGoldenChannelTolerance);
  const long allowed = static_cast<long>(expected.Width()) * expected.Height() *
                       kGoldenStrayPixelsPerMille / 1000;
  if (d.same_size && d.differing_pixels <= allowed) {
    std::filesystem::remove(actual_path);
    return;
  }
  actual.SavePng(actual_path.string());
  ADD_FAILURE() << name << ": " << d.differing_pixels << " pixels differ (largest channel difference "
                << d.largest_channel_difference << (d.same_size ? "" : ", sizes differ")
                << "); the rendered picture is " << actual_path;
}

}  // namespace vantor::testing
