#include "shell/app_icon.h"

#include <string_view>

namespace {

// A red boxing glove with a white cuff on a dark blue ground. One character a
// pixel; the legend below gives each character's palette entry.
constexpr std::string_view kArt[platform::IconImage::kSize] = {
    "................................",
    "................................",
    "...........rrrrrrrr.............",
    ".........rrRRRRRRRRrr...........",
    "........rRRRRRRRRRRRRr..........",
    ".......rRRRRHHHRRRRRRRr.........",
    "......rRRRRHHHHRRRRRRRRr........",
    "......rRRRHHHRRRRRRRRRRRr.......",
    ".....rRRRRHHRRRRRRRRRRRRr.......",
    ".....rRRRRRRRRRRRRRRRRRRRr......",
    ".....rRRRRRRRRRRRRRRRRRRRr......",
    ".....rRRRRRRRRRRRRRRRRRRRr......",
    "..rrrrRRRRRRRRRRRRRRRRRRRr......",
    ".rRRRRrRRRRRRRRRRRRRRRRRRr......",
    "rRRHRRRrRRRRRRRRRRRRRRRRRr......",
    "rRHHRRRRrRRRRRRRRRRRRRRRRr......",
    "rRHRRRRRrRRRRRRRRRRRRRRRr.......",
    "rRRRRRRRrRRRRRRRRRRRRRRRr.......",
    ".rRRRRRrRRRRRRRRRRRRRRRRr.......",
    "..rrrrrRRRRRRRRRRRRRRRRr........",
    "......rRRRRRRRRRRRRRRRRr........",
    ".......rRRRRRRRRRRRRRRr.........",
    "........rrRRRRRRRRRRrr..........",
    "..........rrrrrrrrrr............",
    ".........wwwwwwwwwwww...........",
    ".........WWWWWWWWWWWW...........",
    ".........wwwwwwwwwwww...........",
    ".........WWWWWWWWWWWW...........",
    ".........gggggggggggg...........",
    "................................",
    "................................",
    "................................",
};

struct Legend {
  char symbol;
  uint8_t index;
  uint32_t rgb;
};

constexpr Legend kLegend[] = {
    {'.', 0, 0x101838},  // ground
    {'r', 1, 0x801010},  // glove's outline
    {'R', 2, 0xD02020},  // glove
    {'H', 3, 0xF08080},  // highlight
    {'w', 4, 0xF0F0F0},  // cuff
    {'W', 5, 0xC8C8C8},  // cuff's shade
    {'g', 6, 0x606060},  // cuff's edge
};

platform::IconImage Draw() {
  platform::IconImage icon{};
  for (const Legend& entry : kLegend) icon.palette[entry.index] = entry.rgb;
  for (int y = 0; y < platform::IconImage::kSize; ++y) {
    for (int x = 0; x < platform::IconImage::kSize; ++x) {
      const char symbol = kArt[y][static_cast<size_t>(x)];
      for (const Legend& entry : kLegend) {
        if (entry.symbol == symbol) icon.pixels[static_cast<size_t>(y * platform::IconImage::kSize + x)] = entry.index;
      }
    }
  }
  return icon;
}

}  // namespace

const platform::IconImage& AppIcon() {
  static const platform::IconImage icon = Draw();
  return icon;
}
