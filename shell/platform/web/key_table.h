// The keyboard's translation into DirectInput key codes in a browser: the
// page names each key by KeyboardEvent.code, its place on the board (the
// USB usage it sends), not by what it types, so the table holds for every
// layout, as the SDL backend's scancodes do.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace web {

struct Key {
  std::string_view code;  // KeyboardEvent.code
  uint8_t dik;
};

// Every key we translate, one row a key, in DirectInput order.
std::span<const Key> Keys();

// 0 for a key DirectInput has no code for.
uint8_t DikFromCode(std::string_view code);

// The table as the page reads it: "code=dik" pairs, blank separated, the
// codes in decimal.
std::string KeyTableForPage();

}  // namespace web
