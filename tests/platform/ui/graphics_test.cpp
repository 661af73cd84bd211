#include <gtest/gtest.h>

#include <vantor/platform/ui/bitmap.h>
#include <vantor/platform/ui/canvas.h>
#include <vantor/platform/ui/color.h>
#include <vantor/platform/ui/font.h>
#include <vantor/platform/ui/font_metrics.h>
#include <vantor/platform/ui/system.h>

namespace vantor {
namespace {

TEST(Font, DefaultsAreEightPointSansSerifAtNinetySixDpi) {
  TFont f;
  EXPECT_EQ(f.Name(), "MS Sans Serif");
  EXPECT_EQ(f.Size(), 8);
  EXPECT_EQ(f.Height(), -11);
  EXPECT_EQ(f.Color(), clWindowText);
  EXPECT_TRUE(f.Style().Empty());
}

TEST(Font, SizeAndHeightConvertWithHalfAwayFromZeroRounding) {
  TFont f;
  f.SetSize(10);
  EXPECT_EQ(f.Height(), -13);  // 13.33
  f.SetSize(9);
  EXPECT_EQ(f.Height(), -12);
  f.SetSize(12);
  EXPECT_EQ(f.Height(), -16);
  f.SetHeight(-11);
  EXPECT_EQ(f.Size(), 8);
  EXPECT_EQ(MulDiv(-7, 3, 2), -11);  // -10.5 rounds away from zero
}

TEST(Font, OnChangeFiresOncePerRealChangeAndOnAssign) {
  TFont f;
  int changes = 0;
  f.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &f);
    ++changes;
  };
  f.SetSize(8);  // unchanged
  EXPECT_EQ(changes, 0);
  f.SetStyle({fsBold});
  f.SetColor(clRed);
  f.SetName("Arial");
  EXPECT_EQ(changes, 3);
  TFont other;
  f.Assign(&other);
  EXPECT_EQ(changes, 4);
  EXPECT_TRUE(f.SameAs(other));
  f.Assign(&other);  // already equal
  EXPECT_EQ(changes, 4);
}

TEST(FontMetrics, EightPointFontMeasuresFromTheTable) {
  TFont f;
  const TTextMetric tm = GetTextMetrics(f);
  EXPECT_EQ(tm.tmAscent, 10);
  EXPECT_EQ(tm.tmDescent, 3);
  EXPECT_EQ(tm.tmHeight, 13);
  EXPECT_EQ(tm.tmInternalLeading, 2);
  EXPECT_EQ(tm.tmExternalLeading, 0);
  EXPECT_EQ(tm.tmAveCharWidth, 6);
  EXPECT_EQ(tm.tmMaxCharWidth, 11);
  EXPECT_EQ(TextWidth(f, "A"), 8);  // 1401 units at an 11-pixel em
  EXPECT_EQ(TextWidth(f, "i"), 3);
  EXPECT_EQ(TextWidth(f, "with"), 9 + 3 + 4 + 7);
  EXPECT_EQ(TextWidth(f, ""), 0);
}

TEST(FontMetrics, BoldAddsOnePixelPerCharacterAndSizeScales) {
  TFont f;
  f.SetStyle({fsBold});
  EXPECT_EQ(TextWidth(f, "AA"), 18);
  f.SetStyle({});
  f.SetSize(12);  // 16-pixel em
  EXPECT_EQ(TextWidth(f, "A"), 11);
  EXPECT_EQ(GetTextMetrics(f).tmHeight, 15 + 4);
}

TEST(FontMetrics, CharactersOutsideTheTable) {
  TFont f;
  EXPECT_EQ(TextWidth(f, "\xC3\xA9"), 7);       // é from the Latin-1 part
  EXPECT_EQ(TextWidth(f, "\xE6\x97\xA5"), 11);  // a wide character takes the em
  // Latin Extended-A has its own widths: the dotted capital I and the dotless i are as
  // narrow as I and i (3 pixels), not a digit wide; ł is 3 too, Œ wider than O.
  EXPECT_EQ(TextWidth(f, "\xC4\xB0"), TextWidth(f, "I"));
  EXPECT_EQ(TextWidth(f, "\xC4\xB1"), TextWidth(f, "i"));
  EXPECT_EQ(TextWidth(f, "\xC5\x82"), 3);
  EXPECT_GT(TextWidth(f, "\xC5\x92"), TextWidth(f, "O"));
  EXPECT_EQ(TextWidth(f, "\t"), 0);             // control characters have no width
  EXPECT_EQ(GetSystemFontMetrics().tmHeight, 16);
}

TEST(Color, SystemColoursResolveThroughTheClassicScheme) {
  EXPECT_EQ(static_cast<std::uint32_t>(clBtnFace), 0x8000000Fu);
  EXPECT_EQ(static_cast<std::uint32_t>(clWindow), 0x80000005u);
  EXPECT_EQ(static_cast<std::uint32_t>(clWindowText), 0x80000008u);
  EXPECT_EQ(static_cast<std::uint32_t>(clWindowFrame), 0x80000006u);
  EXPECT_EQ(ColorToRGB(clBtnFace), 0xC0C0C0);
  EXPECT_EQ(ColorToRGB(clWindow), 0xFFFFFF);
  EXPECT_EQ(ColorToRGB(clInfoBk), RGB(255, 255, 225));
  EXPECT_EQ(ColorToRGB(RGB(1, 2, 3)), 0x030201);
  EXPECT_EQ(ColorToString(clBtnFace), "clBtnFace");
  EXPECT_EQ(ColorToString(RGB(0x10, 0x20, 0x30)), "$00302010");
  EXPECT_EQ(IdentToColor("CLWINDOW"), clWindow);
  EXPECT_FALSE(IdentToColor("clNothing").has_value());
}

TEST(Canvas, RecordsEveryOperationWithItsColoursFontAndGeometry) {
  TCanvas c;
  c.Brush()->SetColor(clBtnFace);
  c.FillRect(Rect(0, 0, 10, 10));
  c.Font()->SetStyle({fsBold});
  c.TextRect(Rect(1, 1, 9, 9), 2, 3, "Hi");
  c.Brush()->SetColor(clWindowFrame);
  c.FrameRect(Rect(0, 0, 10, 10));
  c.Pen()->SetColor(clRed);
  c.MoveTo(0, 5);
  c.LineTo(9, 5);
  const auto& ops = c.Ops();
  ASSERT_EQ(ops.size(), 4u);
  EXPECT_EQ(ops[0].kind, TCanvasOpKind::FillRect);
  EXPECT_EQ(ops[0].brush_color, clBtnFace);
  EXPECT_EQ(ops[0].rect, Rect(0, 0, 10, 10));
  EXPECT_EQ(ops[1].kind, TCanvasOpKind::TextRect);
  EXPECT_EQ(ops[1].text, "Hi");
  EXPECT_EQ(ops[1].at, Point(2, 3));
  EXPECT_TRUE(ops[1].font_style.Contains(fsBold));
  EXPECT_EQ(ops[1].font_name, "MS Sans Serif");
  EXPECT_EQ(ops[2].kind, TCanvasOpKind::FrameRect);
  EXPECT_EQ(ops[2].brush_color, clWindowFrame);
  EXPECT_EQ(ops[3].kind, TCanvasOpKind::Line);
  EXPECT_EQ(ops[3].from, Point(0, 5));
  EXPECT_EQ(ops[3].at, Point(9, 5));
  EXPECT_EQ(ops[3].pen_color, clRed);
  EXPECT_EQ(c.PenPos(), Point(9, 5));
  c.ClearOps();
  EXPECT_TRUE(c.Ops().empty());
}

TEST(Canvas, OriginShiftsRecordedCoordinatesAndMeasuresInItsFont) {
  TDeviceContext dc;
  TCanvas c;
  c.SetHandle(&dc);
  c.SetOrigin({100, 50});
  c.TextOut(1, 2, "A");
  ASSERT_EQ(dc.ops.size(), 1u);
  EXPECT_EQ(dc.ops[0].at, Point(101, 52));
  EXPECT_EQ(dc.ops[0].rect, Bounds(101, 52, 8, 13));
  EXPECT_EQ(c.TextWidth("A"), 8);
  c.Font()->SetSize(12);
  EXPECT_EQ(c.TextWidth("A"), 11);
  EXPECT_EQ(c.TextHeight("A"), 19);
}

TEST(Canvas, Frame3DDrawsTopLeftThenBottomRightAndShrinks) {
  TCanvas c;
  TRect r = Rect(0, 0, 20, 10);
  Frame3D(c, r, clBtnHighlight, clBtnShadow, 2);
  EXPECT_EQ(r, Rect(2, 2, 18, 8));
  const auto& ops = c.Ops();
  ASSERT_EQ(ops.size(), 8u);  // four lines per ring
  EXPECT_EQ(ops[0].pen_color, clBtnHighlight);
  EXPECT_EQ(ops[0].from, Point(0, 9));
  EXPECT_EQ(ops[0].at, Point(0, 0));
  EXPECT_EQ(ops[1].at, Point(19, 0));
  EXPECT_EQ(ops[2].pen_color, clBtnShadow);
  EXPECT_EQ(ops[2].at, Point(19, 9));
  EXPECT_EQ(ops[4].from, Point(1, 8));
}

TEST(Bitmap, EllipsisGlyphIsRegisteredAsThreeTwoByTwoDots) {
  TBitmap b;
  b.LoadFromResourceName(HInstance, "BTNSPOTS");
  ASSERT_EQ(b.Width(), 10);
  ASSERT_EQ(b.Height(), 5);
  std::string picture;
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 10; ++x) picture += b.Pixel(x, y) == clBlack ? '#' : '.';
    picture += '\n';
  }
  EXPECT_EQ(picture,
            "..........\n"
            "##..##..##\n"
            "##..##..##\n"
            "..........\n"
            "..........\n");
  EXPECT_EQ(b.TransparentColor(), clWhite);
  EXPECT_EQ(b.ResourceName(), "BTNSPOTS");
}

TEST(Bitmap, MissingResourceRaisesAndRegisteredOnesLoad) {
  TBitmap b;
  EXPECT_THROW(b.LoadFromResourceName("NO_SUCH_GLYPH"), EResNotFound);
  EXPECT_THROW(RegisterBitmapResource("BAD", 2, 2, {clRed}), EListError);
  RegisterBitmapResource("TEST_RED_DOT", 1, 1, {clRed});
  b.LoadFromResourceName("test_red_dot");
  EXPECT_EQ(b.Pixel(0, 0), clRed);
  EXPECT_THROW(b.Pixel(1, 0), EListError);
  TCanvas c;
  c.Draw(3, 4, &b);
  ASSERT_EQ(c.Ops().size(), 1u);
  EXPECT_EQ(c.Ops()[0].kind, TCanvasOpKind::Draw);
  EXPECT_EQ(c.Ops()[0].rect, Bounds(3, 4, 1, 1));
  EXPECT_EQ(c.Ops()[0].bitmap_pixels, std::vector<TColor>{clRed});
}

TEST(System, ClassicMetricsBeepLogAndRectHelpers) {
  EXPECT_EQ(SM_CXVSCROLL, 2);
  EXPECT_EQ(SM_CYVSCROLL, 20);
  EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 16);
  EXPECT_EQ(GetSystemMetrics(SM_CYVSCROLL), 16);
  EXPECT_EQ(GetSystemMetrics(SM_CYHSCROLL), 16);
  EXPECT_EQ(GetSystemMetrics(SM_CXEDGE), 2);
  EXPECT_EQ(GetSystemMetrics(SM_CYBORDER), 1);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  SetSystemMetric(SM_CXSCREEN, 800);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
  ResetSystemMetrics();
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);

  ClearBeepLog();
  MessageBeep(0);
  MessageBeep(MB_ICONHAND);
  EXPECT_EQ(BeepLog(), (std::vector<std::uint32_t>{0, MB_ICONHAND}));
  ClearBeepLog();
  EXPECT_TRUE(BeepLog().empty());

  TRect r = Rect(0, 0, 10, 10);
  InflateRect(r, -2, -1);
  EXPECT_EQ(r, Rect(2, 1, 8, 9));
  TRect i;
  EXPECT_TRUE(IntersectRect(i, r, Rect(5, 5, 20, 20)));
  EXPECT_EQ(i, Rect(5, 5, 8, 9));
  EXPECT_FALSE(IntersectRect(i, r, Rect(50, 50, 60, 60)));
  EXPECT_TRUE(NewStyleControls());
}

}  // namespace
}  // namespace vantor
