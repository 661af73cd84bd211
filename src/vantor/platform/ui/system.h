#pragma once
// The small window-system services the controls rely on: points and rectangles,
// system metrics with the classic desktop's values, the beep (recorded so tests can
// hear it) and whether controls have the new-style 3-D look.

#include <cstdint>
#include <vector>

#include <vantor/platform/rtl/saturating.h>

namespace vantor {

// A point in pixels.
struct TPoint {
  int X = 0;
  int Y = 0;
  constexpr bool operator==(const TPoint&) const = default;
};

// A rectangle with exclusive right and bottom edges, as the window system's. Edges are
// computed saturating (Bounds, InflateRect, OffsetRect), so a rectangle made from a
// huge size ends at the largest int instead of wrapping around.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  constexpr int Width() const { return SaturatingSub(Right, Left); }
  constexpr int Height() const { return SaturatingSub(Bottom, Top); }
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  constexpr TPoint TopLeft() const { return {Left, Top}; }
  constexpr TPoint BottomRight() const { return {Right, Bottom}; }
  constexpr bool operator==(const TRect&) const = default;
};

constexpr TRect Rect(int left, int top, int right, int bottom) { return {left, top, right, bottom}; }
constexpr TRect Bounds(int left, int top, int width, int height) {
  return {left, top, SaturatingAdd(left, width), SaturatingAdd(top, height)};
}
constexpr TPoint Point(int x, int y) { return {x, y}; }

// Grows the rectangle by dx on the left and right and dy on top and bottom (negative shrinks).
inline void InflateRect(TRect& r, int dx, int dy) {
  r.Left = SaturatingSub(r.Left, dx);
  r.Top = SaturatingSub(r.Top, dy);
  r.Right = SaturatingAdd(r.Right, dx);
  r.Bottom = SaturatingAdd(r.Bottom, dy);
}
inline void OffsetRect(TRect& r, int dx, int dy) {
  r.Left = SaturatingAdd(r.Left, dx);
  r.Right = SaturatingAdd(r.Right, dx);
  r.Top = SaturatingAdd(r.Top, dy);
  r.Bottom = SaturatingAdd(r.Bottom, dy);
}
// True when p lies inside r (left and top edges inclusive, right and bottom exclusive).
constexpr bool PtInRect(const TRect& r, TPoint p) {
  return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}
// The overlap of a and b; false (and an empty rectangle) when they do not overlap.
bool IntersectRect(TRect& dest, const TRect& a, const TRect& b);

// System metric identifiers, with the window system's numbers.
inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SM_CXVSCROLL = 2;   // width of a vertical scroll bar
inline constexpr int SM_CYHSCROLL = 3;   // height of a horizontal scroll bar
inline constexpr int SM_CYCAPTION = 4;
inline constexpr int SM_CXBORDER = 5;
inline constexpr int SM_CYBORDER = 6;
inline constexpr int SM_CXDLGFRAME = 7;
inline constexpr int SM_CYDLGFRAME = 8;
inline constexpr int SM_CYVTHUMB = 9;
inline constexpr int SM_CXHTHUMB = 10;
inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;
inline constexpr int SM_CXCURSOR = 13;
inline constexpr int SM_CYCURSOR = 14;
inline constexpr int SM_CYMENU = 15;
inline constexpr int SM_CXFULLSCREEN = 16;
inline constexpr int SM_CYFULLSCREEN = 17;
inline constexpr int SM_MOUSEPRESENT = 19;
inline constexpr int SM_CYVSCROLL = 20;  // height of a vertical scroll bar's arrow
inline constexpr int SM_CXHSCROLL = 21;  // width of a horizontal scroll bar's arrow
inline constexpr int SM_CXMIN = 28;
inline constexpr int SM_CYMIN = 29;
inline constexpr int SM_CXSIZE = 30;
inline constexpr int SM_CYSIZE = 31;
inline constexpr int SM_CXFRAME = 32;
inline constexpr int SM_CYFRAME = 33;
inline constexpr int SM_CXMINTRACK = 34;
inline constexpr int SM_CYMINTRACK = 35;
inline constexpr int SM_CXDOUBLECLK = 36;
inline constexpr int SM_CYDOUBLECLK = 37;
inline constexpr int SM_CXEDGE = 45;
inline constexpr int SM_CYEDGE = 46;
inline constexpr int SM_CXSMICON = 49;
inline constexpr int SM_CYSMICON = 50;
inline constexpr int SM_CYSMCAPTION = 51;
inline constexpr int SM_CXFIXEDFRAME = SM_CXDLGFRAME;
inline constexpr int SM_CYFIXEDFRAME = SM_CYDLGFRAME;

// The metric's value on a classic 96-dpi desktop of 1024 x 768 pixels; 0 for unknown ids.
int GetSystemMetrics(int index);
// Overrides one metric (a test's or an application's different screen); ResetSystemMetrics
// brings back the classic values.
void SetSystemMetric(int index, int value);
void ResetSystemMetrics();

// MessageBeep types.
inline constexpr std::uint32_t MB_OK = 0x00000000;
inline constexpr std::uint32_t MB_ICONHAND = 0x00000010;
inline constexpr std::uint32_t MB_ICONQUESTION = 0x00000020;
inline constexpr std::uint32_t MB_ICONEXCLAMATION = 0x00000030;
inline constexpr std::uint32_t MB_ICONASTERISK = 0x00000040;

// Sounds the beep of that type. Headless, every beep is appended to a process-wide log.
void MessageBeep(std::uint32_t type);
// The types of the beeps sounded since the last ClearBeepLog, oldest first.
const std::vector<std::uint32_t>& BeepLog();
void ClearBeepLog();

// True when controls draw with the new-style 3-D look (sunken client edges). On by
// default; a test can switch it to exercise the flat-look paths.
bool NewStyleControls();
void SetNewStyleControls(bool value);

}  // namespace vantor
