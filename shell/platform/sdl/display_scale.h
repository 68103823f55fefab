// How big the window is drawn: the display's dots per inch, and the form's
// twips and points turned into pixels at that density.
#pragma once

namespace sdl {

// The dots per inch the desktop asks programs to draw at; never below 96.
int DisplayDpi();

// Twips to pixels, rounded to the nearest, as Windows lays out a form: 15
// twips to the pixel at 96 dots per inch, 10 at 144.
int PixelsFromTwips(int twips, int dpi);

// A font size in pixels for one in points.
int PixelsFromPoints(double points, int dpi);

}  // namespace sdl
