#include <X11/Xlib.h>

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "shell/platform/sdl/display_scale.h"

namespace sdl {
namespace {

// Windows never draws below 100 %; a density past 1000 % can only be a typing
// slip.
constexpr double kBaseDpi = 96;
constexpr double kMostDpi = 960;

}  // namespace

// A Linux desktop scales its programs through the X resource Xft.dpi (GNOME,
// KDE and Xfce all set it, and `xrdb` sets it by hand), which every toolkit
// reads for its fonts; the size the screen reports in millimetres is often
// made up by the driver, so it is not asked. Read once, as the window opens,
// the way Xft itself reads it. Without X11 (SDL's offscreen driver in the
// tests), and without the resource, the form keeps its 96 dots per inch.
int DisplayDpi() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr || std::strcmp(driver, "x11") != 0) return static_cast<int>(kBaseDpi);
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return static_cast<int>(kBaseDpi);
  double dpi = kBaseDpi;
  if (const char* value = XGetDefault(display, "Xft", "dpi")) {
    const double asked = std::strtod(value, nullptr);
    if (std::isfinite(asked)) dpi = std::clamp(asked, kBaseDpi, kMostDpi);
  }
  XCloseDisplay(display);
  return static_cast<int>(std::lround(dpi));
}

int PixelsFromTwips(int twips, int dpi) { return (twips * dpi + 720) / 1440; }

int PixelsFromPoints(double points, int dpi) { return static_cast<int>(std::lround(points * dpi / 72.0)); }

}  // namespace sdl
