// The program's 32 x 32, 256-colour icon as a Windows .ico file. Plain C++
// with no Windows headers: tools/make_icon runs on the build machine and
// writes the file that the resource script embeds as the program file's icon,
// which is also the window's.
#pragma once

#include <cstdint>
#include <vector>

#include "shell/platform/platform.h"

namespace win32 {

std::vector<uint8_t> IconFileBytes(const platform::IconImage& icon);

}  // namespace win32
