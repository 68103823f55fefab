#include "shell/platform/win32/icon_file.h"

#include <cstddef>

namespace win32 {
namespace {

constexpr uint32_t kSize = platform::IconImage::kSize;
constexpr uint32_t kDirectoryBytes = 6 + 16;  // ICONDIR and its one ICONDIRENTRY
constexpr uint32_t kHeaderBytes = 40;         // BITMAPINFOHEADER
constexpr uint32_t kMaskBytes = kSize * 4;    // 1 bit a pixel, each row 4 bytes
constexpr uint32_t kImageBytes = kHeaderBytes + 256 * 4 + kSize * kSize + kMaskBytes;

void Put(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> IconFileBytes(const platform::IconImage& icon) {
  std::vector<uint8_t> out;
  // The directory: reserved, an icon, one image of 32 x 32, 0 colours
  // standing for 256, one plane, 8 bits a pixel, its size and offset.
  for (uint32_t value : {0u, 1u, 1u}) Put(out, value, 2);
  for (uint32_t value : {kSize, kSize, 0u, 0u}) Put(out, value, 1);
  for (uint32_t value : {1u, 8u}) Put(out, value, 2);
  for (uint32_t value : {kImageBytes, kDirectoryBytes}) Put(out, value, 4);

  // The image as an icon resource holds it: the header with twice the height
  // (the colour rows and the mask rows), one plane, 8 bits a pixel, BI_RGB,
  // the pixels' size, no resolution, all 256 colours used.
  for (uint32_t value : {kHeaderBytes, kSize, 2 * kSize}) Put(out, value, 4);
  for (uint32_t value : {1u, 8u}) Put(out, value, 2);
  for (uint32_t value : {0u, kImageBytes - kHeaderBytes - 256 * 4, 0u, 0u, 256u, 0u}) Put(out, value, 4);
  for (uint32_t rgb : icon.palette) Put(out, rgb, 4);  // blue, green, red, 0
  for (size_t y = kSize; y-- > 0;) {                    // the rows bottom up
    out.insert(out.end(), icon.pixels.begin() + static_cast<ptrdiff_t>(y * kSize),
               icon.pixels.begin() + static_cast<ptrdiff_t>((y + 1) * kSize));
  }
  // The transparency mask, all clear: every pixel of the image is drawn.
  out.insert(out.end(), kMaskBytes, 0);
  return out;
}

}  // namespace win32
