// The keyboard's translation into DirectInput key codes: SDL's scancodes (the
// USB usage numbering) while our window has the focus, and the X server's key
// names while another window has it.
#pragma once

#include <SDL_scancode.h>

#include <cstdint>
#include <span>
#include <string_view>

namespace sdl {

struct Key {
  SDL_Scancode scancode;
  uint8_t dik;
  std::string_view xkbNames;  // XKB's key names, such as "AC01", space separated
};

// Every key we translate, one row a key, in DirectInput order.
std::span<const Key> Keys();

// 0 for a key name DirectInput has no code for.
uint8_t DikFromXkbName(std::string_view name);

}  // namespace sdl
