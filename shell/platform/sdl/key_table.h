// The keyboard's translation into DirectInput key codes: SDL's scancodes (the
// USB usage numbering) while our window has the focus, and the X server's key
// names while another window has it.
#pragma once

#include <SDL_scancode.h>

#include <cstdint>
#include <span>
#include <string_view>

namespace sdl {

struct ScancodeKey {
  SDL_Scancode scancode;
  uint8_t dik;
};

struct XkbNameKey {
  std::string_view name;  // XKB's four-character key name, such as "AC01"
  uint8_t dik;
};

// Every key we translate, in DirectInput order.
std::span<const ScancodeKey> ScancodeKeys();
std::span<const XkbNameKey> XkbNameKeys();

// 0 for a key DirectInput has no code for.
uint8_t DikFromScancode(SDL_Scancode scancode);
uint8_t DikFromXkbName(std::string_view name);

}  // namespace sdl
