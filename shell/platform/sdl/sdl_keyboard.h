// DirectInput's system keyboard on SDL: the device the game polls.
#pragma once

#include <memory>

#include "shell/platform/platform.h"

namespace sdl {

std::shared_ptr<platform::DirectInput> CreateDirectInput();

// The keys down now by SDL's own state, which follows our window's focus
// (every key reads up while another window has it). Current as of the
// latest DoEvents.
void ReadFocusedKeyboard(platform::KeyboardState& state);

}  // namespace sdl
