// The program's 32 x 32, 256-colour icon in Windows' own icon layouts. Plain
// C++ with no Windows headers: the host-built tools/make_icon writes the icon
// file the resource script embeds, and the backend builds the window's icon
// from the same bytes, so the program file and the title bar show one image.
#pragma once

#include <cstdint>
#include <vector>

#include "shell/platform/platform.h"

namespace win32 {

// One icon image as an icon resource holds it (and CreateIconFromResourceEx
// takes it): a BITMAPINFOHEADER of 8 bits a pixel and twice the height, the
// 256-entry palette, the colour rows bottom up, then the transparency mask,
// all clear: every pixel of the image is drawn.
std::vector<uint8_t> IconResourceBytes(const platform::IconImage& icon);

// A whole .ico file holding that one image.
std::vector<uint8_t> IconFileBytes(const platform::IconImage& icon);

}  // namespace win32
