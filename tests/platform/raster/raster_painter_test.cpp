#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include <vantor/platform/core/stream.h>
#include <vantor/platform/ui/bitmap.h>
#include <vantor/platform/ui/canvas.h>
#include <vantor/platform/ui/font.h>
#include <vantor/platform/raster/raster_image.h>
#include <vantor/platform/raster/raster_painter.h>

namespace vantor {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kSilver = 0xC0C0C0;  // clBtnFace in the classic scheme
constexpr std::uint32_t kRed = 0xFF0000;      // the image's 0x00RRGGBB of clRed

// Replays whatever `draw` paints on a fresh canvas into a white picture.
template <typename Draw>
TRasterImage Paint(int width, int height, Draw draw) {
  TCanvas canvas;
  draw(canvas);
  TRasterImage image(width, height, kWhite);
  TRasterPainter painter(image);
  painter.Replay(canvas.Ops());
  return image;
}

// The columns in which some pixel of the row band differs from white.
std::pair<int, int> InkColumns(const TRasterImage& image) {
  int first = image.Width();
  int last = -1;
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) {
      if (image.Pixel(x, y) != kWhite) {
        first = std::min(first, x);
        last = std::max(last, x);
      }
    }
  }
  return {first, last};
}

TEST(RasterPainter, FillsExactlyTheRectangleInTheResolvedSystemColour) {
  const TRasterImage image = Paint(10, 10, [](TCanvas& c) {
    c.Brush()->SetColor(clBtnFace);
    c.FillRect({2, 3, 5, 7});
  });
  EXPECT_EQ(image.Pixel(2, 3), kSilver);
  EXPECT_EQ(image.Pixel(4, 6), kSilver);
  EXPECT_EQ(image.Pixel(5, 6), kWhite) << "the right edge is outside";
  EXPECT_EQ(image.Pixel(4, 7), kWhite) << "the bottom edge is outside";
  EXPECT_EQ(image.Pixel(1, 3), kWhite);
}

TEST(RasterPainter, AClearBrushFillsNothingAndAFrameIsOnePixelWide) {
  const TRasterImage image = Paint(10, 10, [](TCanvas& c) {
    c.Brush()->SetStyle(bsClear);
    c.FillRect({0, 0, 10, 10});
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(clRed);
    c.FrameRect({1, 1, 6, 6});
  });
  EXPECT_EQ(image.Pixel(0, 0), kWhite);
  EXPECT_EQ(image.Pixel(1, 1), kRed);
  EXPECT_EQ(image.Pixel(5, 5), kRed);
  EXPECT_EQ(image.Pixel(3, 1), kRed);
  EXPECT_EQ(image.Pixel(3, 3), kWhite) << "inside the frame";
  EXPECT_EQ(image.Pixel(6, 6), kWhite);
}

TEST(RasterPainter, ThreeDFrameLightsTopLeftAndShadesBottomRight) {
  const TRasterImage image = Paint(10, 10, [](TCanvas& c) {
    TRect r{0, 0, 10, 10};
    Frame3D(c, r, clBtnHighlight, clBtnShadow, 1);
  });
  EXPECT_EQ(image.Pixel(0, 5), kWhite);  // clBtnHighlight is white
  EXPECT_EQ(image.Pixel(5, 0), kWhite);
  EXPECT_EQ(image.Pixel(9, 5), 0x808080u);
  EXPECT_EQ(image.Pixel(5, 9), 0x808080u);
}

TEST(RasterPainter, LinesLeaveOutTheirEndPointAndFollowDiagonals) {
  const TRasterImage image = Paint(10, 10, [](TCanvas& c) {
    c.Pen()->SetColor(clBlack);
    c.MoveTo(1, 1);
    c.LineTo(6, 1);
    c.MoveTo(0, 3);
    c.LineTo(4, 7);
  });
  for (int x = 1; x < 6; ++x) EXPECT_EQ(image.Pixel(x, 1), kBlack) << x;
  EXPECT_EQ(image.Pixel(6, 1), kWhite) << "the end point is not drawn";
  for (int i = 0; i < 4; ++i) EXPECT_EQ(image.Pixel(i, 3 + i), kBlack) << i;
  EXPECT_EQ(image.Pixel(4, 7), kWhite);
}

TEST(RasterPainter, TextInkStaysWithinTheMeasuredWidthAndBoldIsWider) {
  for (bool bold : {false, true}) {
    SCOPED_TRACE(bold ? "bold" : "regular");
    int measured = 0;
    const TRasterImage image = Paint(200, 30, [&](TCanvas& c) {
      c.Font()->SetHeight(-11);
      if (bold) c.Font()->SetStyle({fsBold});
      c.Brush()->SetStyle(bsClear);
      measured = c.TextWidth("Wagner Ökonomie");
      c.TextOut(10, 5, "Wagner Ökonomie");
    });
    const auto [first, last] = InkColumns(image);
    ASSERT_GE(last, first) << "no text was drawn";
    EXPECT_GE(first, 10);
    EXPECT_LT(last, 10 + measured + 1);
    // The last letter's ink reaches near the end of the measured run: the advances used
    // for drawing are the measured ones.
    EXPECT_GT(last, 10 + measured - 6);
  }
}

TEST(RasterPainter, TextRectClipsTheTextAndFillsItsRectangleWithTheBrush) {
  const TRasterImage image = Paint(100, 20, [](TCanvas& c) {
    c.Brush()->SetColor(clBtnFace);
    c.TextRect({0, 0, 20, 20}, 2, 2, "a long caption that does not fit");
  });
  EXPECT_EQ(image.Pixel(0, 0), kSilver);
  for (int y = 0; y < 20; ++y) {
    for (int x = 20; x < 100; ++x) ASSERT_EQ(image.Pixel(x, y), kWhite) << x << "," << y;
  }
}

TEST(RasterPainter, AnOpaqueTextOutFillsBehindTheTextOnly) {
  const TRasterImage image = Paint(100, 30, [](TCanvas& c) {
    c.Brush()->SetColor(clBtnFace);
    c.TextOut(5, 5, "ab");
  });
  EXPECT_EQ(image.Pixel(5, 5), kSilver);
  EXPECT_EQ(image.Pixel(4, 5), kWhite);
  EXPECT_EQ(image.Pixel(60, 5), kWhite);
}

TEST(RasterPainter, TransparentBitmapsLeaveTheirKeyColourOut) {
  TBitmap glyph;
  glyph.LoadFromResourceName("BTNSPOTS");
  for (bool transparent : {false, true}) {
    glyph.SetTransparent(transparent);
    const TRasterImage image = Paint(20, 10, [&](TCanvas& c) {
      c.Brush()->SetColor(clBtnFace);
      c.FillRect({0, 0, 20, 10});
      c.Draw(2, 2, &glyph);
    });
    EXPECT_EQ(image.Pixel(2, 3), kBlack) << "a dot";
    EXPECT_EQ(image.Pixel(4, 3), transparent ? kSilver : kWhite) << "between the dots";
  }
}

TEST(RasterPainter, NestedWindowsClipToEveryParentAndShiftByTheirOrigin) {
  TCanvas canvas;
  canvas.Brush()->SetColor(clBlack);
  canvas.FillRect({0, 0, 50, 50});
  TRasterImage image(20, 20, kWhite);
  TRasterPainter painter(image);
  painter.PushWindow({5, 5}, {0, 0, 10, 10});
  painter.PushWindow({8, 8}, {0, 0, 10, 10});  // reaches beyond its parent
  painter.Replay(canvas.Ops());
  painter.PopWindow();
  painter.PopWindow();
  EXPECT_EQ(image.Pixel(8, 8), kBlack);
  EXPECT_EQ(image.Pixel(14, 14), kBlack);
  EXPECT_EQ(image.Pixel(15, 15), kWhite) << "outside the outer window";
  EXPECT_EQ(image.Pixel(7, 7), kWhite) << "above and left of the inner window";
}

TEST(RasterImage, PngRoundTripKeepsEveryPixel) {
  TRasterImage image(7, 3, 0x123456);
  TRasterPainter painter(image);
  TCanvas c;
  c.Brush()->SetColor(clRed);
  c.FillRect({1, 1, 3, 2});
  painter.Replay(c.Ops());
  const std::string path =
      (std::filesystem::temp_directory_path() / "vantor_raster_round_trip.png").string();
  image.SavePng(path);
  const TRasterImage back = TRasterImage::LoadPng(path);
  std::filesystem::remove(path);
  EXPECT_TRUE(CompareImages(image, back, 0).Matches());
  EXPECT_EQ(back.Pixel(1, 1), kRed);
  EXPECT_EQ(back.Pixel(0, 0), 0x123456u);
}

TEST(RasterImage, MissingFilesAndOutOfRangePixelsRaiseClearErrors) {
  EXPECT_THROW(TRasterImage::LoadPng("/nonexistent/picture.png"), EFOpenError);
  EXPECT_THROW(TRasterImage(3, 3).SavePng("/nonexistent/dir/picture.png"), EFCreateError);
  EXPECT_THROW(TRasterImage().SavePng("/tmp/empty.png"), EFCreateError);
  EXPECT_THROW((void)TRasterImage(3, 3).Pixel(3, 0), EListError);
}

TEST(RasterImage, ComparisonCountsPixelsBeyondTheToleranceAndSizeMismatches) {
  TRasterImage a(4, 4, 0x808080);
  TRasterImage b(4, 4, 0x808080);
  b.Data()[0] = 0x808090;  // 16 apart in blue
  b.Data()[5] = 0x80A080;  // 32 apart in green
  const TImageDifference loose = CompareImages(a, b, 20);
  EXPECT_EQ(loose.differing_pixels, 1);
  EXPECT_EQ(loose.largest_channel_difference, 32);
  EXPECT_TRUE(CompareImages(a, b, 32).Matches());
  EXPECT_FALSE(CompareImages(a, TRasterImage(4, 5), 255).Matches());
}

}  // namespace
}  // namespace vantor
