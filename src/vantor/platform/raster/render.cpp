#include <vantor/platform/raster/render.h>

#include <algorithm>

#include <vantor/platform/ui/canvas.h>
#include <vantor/platform/ui/form.h>
#include <vantor/platform/raster/raster_painter.h>
#include <vantor/platform/ui/scroll_bar_paint.h>
#include <vantor/platform/ui/scrolling_win_control.h>
#include <vantor/platform/ui/win_control.h>

namespace vantor {

namespace {

// Where the window's top-left corner is, in screen coordinates.
TPoint WindowOrigin(const TWinControl& win) {
  if (const TWinControl* parent = win.Parent()) {
    const TPoint o = parent->ClientOrigin();
    return {o.X + win.Left(), o.Y + win.Top()};
  }
  return {win.Left(), win.Top()};
}

// The client area within the window rectangle.
TRect ClientArea(const TWinControl& win) {
  const TPoint window = WindowOrigin(win);
  const TPoint client = win.ClientOrigin();
  const TRect r = win.GetClientRect();
  return Bounds(client.X - window.X, client.Y - window.Y, r.Width(), r.Height());
}

// The scroll position of a bar as fractions (position, page) of its range.
std::pair<double, double> ScrollFractions(const TWinControl& win, bool vertical) {
  const auto* scrolling = dynamic_cast<const TScrollingWinControl*>(&win);
  if (scrolling == nullptr) return {0.0, 0.5};
  const TControlScrollBar* bar = vertical ? scrolling->VertScrollBar() : scrolling->HorzScrollBar();
  const int client = vertical ? win.ClientHeight() : win.ClientWidth();
  if (bar->Range() <= 0) return {0.0, 1.0};
  const double max = bar->ScrollRange();
  return {max > 0 ? bar->Position() / max : 0.0, static_cast<double>(client) / bar->Range()};
}

// What the window system draws outside the client area.
void PaintNonClient(TCanvas& canvas, TWinControl& win, const TRect& client) {
  TRect r{0, 0, win.Width(), win.Height()};
  const std::uint32_t style = win.WindowStyle();
  if (auto* form = dynamic_cast<TForm*>(&win)) {
    canvas.Brush()->SetColor(clBtnFace);
    canvas.FillRect(r);
    if (form->BorderStyle() != TFormBorderStyle::bsNone) {
      Frame3D(canvas, r, cl3DLight, cl3DDkShadow, 1);
      Frame3D(canvas, r, clBtnHighlight, clBtnShadow, 1);
    }
    if (client.Top - r.Top > 4) {
      const TRect bar{r.Left + 1, r.Top + 1, r.Right - 1, client.Top - 1};
      canvas.Brush()->SetColor(form->Active() ? clActiveCaption : clInactiveCaption);
      canvas.FillRect(bar);
      canvas.Font()->Assign(form->Font());
      canvas.Font()->SetStyle({fsBold});
      canvas.Font()->SetColor(form->Active() ? clCaptionText : clInactiveCaptionText);
      canvas.Brush()->SetStyle(bsClear);
      const int close = bar.Height() - 4;
      TRect text = bar;
      text.Right -= close + 4;
      canvas.TextRect(text, bar.Left + 4, bar.Top + (bar.Height() - canvas.TextHeight("A")) / 2,
                      form->Caption());
      canvas.Brush()->SetStyle(bsSolid);
      if (form->BorderIcons().Contains(biSystemMenu)) {
        const TRect button = Bounds(bar.Right - close - 2, bar.Top + 2, close + 2, close);
        PaintRaisedFace(canvas, button);
        canvas.Pen()->SetColor(clBtnText);
        const int s = std::max(2, close / 2 - 2);
        const int cx = (button.Left + button.Right) / 2 - 1;
        const int cy = (button.Top + button.Bottom) / 2 - 1;
        for (int d : {0, 1}) {
          canvas.MoveTo(cx - s + d, cy - s);
          canvas.LineTo(cx + s + d, cy + s);
          canvas.MoveTo(cx - s + d, cy + s - 1);
          canvas.LineTo(cx + s + d, cy - s - 1);
        }
      }
    }
    return;
  }
  if (win.WindowExStyle() & WS_EX_CLIENTEDGE) {
    Frame3D(canvas, r, clBtnShadow, clBtnHighlight, 1);
    Frame3D(canvas, r, cl3DDkShadow, cl3DLight, 1);
  } else if (style & WS_BORDER) {
    canvas.Brush()->SetColor(clWindowFrame);
    canvas.FrameRect(r);
  }
  const bool vertical = (style & WS_VSCROLL) != 0;
  const bool horizontal = (style & WS_HSCROLL) != 0;
  if (vertical) {
    const auto [position, page] = ScrollFractions(win, true);
    PaintScrollBar(canvas, {client.Right, client.Top, r.Right, client.Bottom}, true, position, page);
  }
  if (horizontal) {
    const auto [position, page] = ScrollFractions(win, false);
    PaintScrollBar(canvas, {client.Left, client.Bottom, client.Right, r.Bottom}, false, position, page);
  }
  if (vertical && horizontal) {
    canvas.Brush()->SetColor(clBtnFace);
    canvas.FillRect({client.Right, client.Bottom, r.Right, r.Bottom});
  }
}

// Paints `win` with its top-left corner at `origin` (image coordinates); `client_only`
// leaves out its frame and puts its client area at `origin` instead.
void RenderWindow(TRasterPainter& painter, TWinControl& win, TPoint origin, bool client_only) {
  TRect client = ClientArea(win);
  if (client_only) {
    origin = {origin.X - client.Left, origin.Y - client.Top};
  } else {
    TCanvas frame;
    PaintNonClient(frame, win, client);
    painter.PushWindow(origin, {0, 0, win.Width(), win.Height()});
    painter.Replay(frame.Ops());
    painter.PopWindow();
  }
  const TPoint client_origin{origin.X + client.Left, origin.Y + client.Top};
  painter.PushWindow(client_origin, {0, 0, client.Width(), client.Height()});
  // The window class's background brush, which erases the window before it paints.
  TCanvas erase;
  erase.Brush()->SetColor(win.Color());
  erase.FillRect({0, 0, client.Width(), client.Height()});
  painter.Replay(erase.Ops());
  painter.Replay(win.Surface().ops);
  for (int i = 0; i < win.ControlCount(); ++i) {
    auto* child = dynamic_cast<TWinControl*>(win.Controls(i));
    if (child == nullptr || !child->Visible() || !child->HandleAllocated()) continue;
    RenderWindow(painter, *child, {client_origin.X + child->Left(), client_origin.Y + child->Top()},
                 false);
  }
  painter.PopWindow();
}

}  // namespace

TRasterImage RenderControl(TWinControl& control, TRenderArea area) {
  control.HandleNeeded();
  control.PaintAll();
  const bool client_only = area == TRenderArea::raClient;
  const TRect client = control.GetClientRect();
  TRasterImage image(client_only ? client.Width() : control.Width(),
                     client_only ? client.Height() : control.Height());
  if (image.Empty()) return image;
  TRasterPainter painter(image);
  RenderWindow(painter, control, {0, 0}, client_only);
  return image;
}

void SaveControlToPng(TWinControl& control, const std::string& path) {
  RenderControl(control).SavePng(path);
}

}  // namespace vantor
