// What the Windows backend's parts and tests share about the one window.
#pragma once

#include <windows.h>

namespace win32 {

// Null until ShowForm.
HWND MainWindow();

// The screen's dots per inch, and a length in twips in pixels at that
// resolution (1440 twips to the inch: 15 to a pixel at 96 dpi).
int ScreenDpi();
int PixelsFromTwips(int twips);

}  // namespace win32
