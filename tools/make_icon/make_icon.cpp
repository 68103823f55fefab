// Writes the program's icon (AppIcon() of shell/app_icon.cpp) as a Windows .ico
// file for the resource script of the Windows build. Built for the machine
// that runs the build, not for Windows.
//
//   make_icon OUTPUT.ico
#include <cstdio>
#include <fstream>
#include <vector>

#include "shell/app_icon.h"
#include "shell/platform/win32/icon_file.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.ico\n", argv[0]);
    return 2;
  }
  const std::vector<uint8_t> bytes = win32::IconFileBytes(AppIcon());
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
