#include "shell/platform/win32/icon_file.h"

#include <cstddef>

namespace win32 {
namespace {

constexpr int kSize = platform::IconImage::kSize;
constexpr size_t kHeaderBytes = 40;  // BITMAPINFOHEADER
constexpr size_t kPaletteEntries = 256;
constexpr size_t kColourRowBytes = kSize;           // 8 bits a pixel, already a multiple of 4
constexpr size_t kMaskRowBytes = ((kSize + 31) / 32) * 4;  // 1 bit a pixel, rows padded to 32 bits
constexpr size_t kIconDirBytes = 6;
constexpr size_t kIconDirEntryBytes = 16;

void Put16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
  Put16(out, value & 0xFFFFu);
  Put16(out, value >> 16);
}

}  // namespace

std::vector<uint8_t> IconResourceBytes(const platform::IconImage& icon) {
  const size_t colourBytes = kColourRowBytes * kSize;
  const size_t maskBytes = kMaskRowBytes * kSize;
  std::vector<uint8_t> out;
  out.reserve(kHeaderBytes + kPaletteEntries * 4 + colourBytes + maskBytes);

  Put32(out, kHeaderBytes);
  Put32(out, kSize);
  Put32(out, 2 * kSize);  // the colour rows and the mask rows
  Put16(out, 1);          // planes
  Put16(out, 8);          // bits a pixel
  Put32(out, 0);          // BI_RGB
  Put32(out, static_cast<uint32_t>(colourBytes + maskBytes));
  Put32(out, 0);  // pixels a metre, unused
  Put32(out, 0);
  Put32(out, static_cast<uint32_t>(kPaletteEntries));  // colours used
  Put32(out, 0);                                         // colours important: all

  for (uint32_t rgb : icon.palette) {  // RGBQUAD: blue, green, red, reserved
    out.push_back(static_cast<uint8_t>(rgb));
    out.push_back(static_cast<uint8_t>(rgb >> 8));
    out.push_back(static_cast<uint8_t>(rgb >> 16));
    out.push_back(0);
  }
  for (int y = kSize - 1; y >= 0; --y) {
    for (int x = 0; x < kSize; ++x) out.push_back(icon.pixels[static_cast<size_t>(y * kSize + x)]);
  }
  out.insert(out.end(), maskBytes, 0);
  return out;
}

std::vector<uint8_t> IconFileBytes(const platform::IconImage& icon) {
  const std::vector<uint8_t> image = IconResourceBytes(icon);
  std::vector<uint8_t> out;
  out.reserve(kIconDirBytes + kIconDirEntryBytes + image.size());
  Put16(out, 0);  // reserved
  Put16(out, 1);  // an icon, not a cursor
  Put16(out, 1);  // one image
  out.push_back(static_cast<uint8_t>(kSize));
  out.push_back(static_cast<uint8_t>(kSize));
  out.push_back(0);  // colour count: 0 stands for 256
  out.push_back(0);  // reserved
  Put16(out, 1);     // planes
  Put16(out, 8);     // bits a pixel
  Put32(out, static_cast<uint32_t>(image.size()));
  Put32(out, static_cast<uint32_t>(kIconDirBytes + kIconDirEntryBytes));
  out.insert(out.end(), image.begin(), image.end());
  return out;
}

}  // namespace win32
