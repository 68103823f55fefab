// The keyboard as the display server sees it, whatever window has the focus:
// what a background reader needs while another program is in front. Only X11
// offers it; every read is a round trip to the server, so it is for the times
// our own window does not have the focus.
#pragma once

#include "shell/platform/platform.h"

namespace sdl {

// Sets bit 7 of the byte of every key that is down, other bytes 0. False,
// leaving `state` alone, when SDL does not run on X11 or the server has no
// XKB key names.
bool ReadGlobalKeyboard(platform::KeyboardState& state);
void CloseGlobalKeyboard();

}  // namespace sdl
