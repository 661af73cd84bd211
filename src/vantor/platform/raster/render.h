#pragma once
// Pictures of controls: a windowed control and everything on it painted into pixels, as
// a window system shows it. The controls paint themselves as always (recorded on their
// surfaces); what a window system draws around them is drawn here: the background brush
// of each window, the sunken edge or the border, scroll bars, and a form's frame and
// caption. Works headless: no display is needed.

#include <string>

#include <vantor/platform/raster/raster_image.h>

namespace vantor {

class TWinControl;

// Which part of a window is rendered.
enum class TRenderArea : std::uint8_t {
  raWindow,  // the whole window, frame and caption included
  raClient,  // the client area only (what a window host shows inside the manager's frame)
};

// Creates the control's window (and those of its children) when needed, repaints them,
// and returns the picture.
TRasterImage RenderControl(TWinControl& control, TRenderArea area = TRenderArea::raWindow);
// Renders the control and writes it as a PNG file: the one call for documentation, bug
// reports and tests. EFCreateError when the file cannot be written.
void SaveControlToPng(TWinControl& control, const std::string& path);

}  // namespace vantor
