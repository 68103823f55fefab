// DirectInput's system keyboard on SDL: the device the game polls.
#pragma once

#include <memory>

#include "shell/platform/platform.h"

namespace sdl {

std::shared_ptr<platform::DirectInput> CreateDirectInput();

}  // namespace sdl
