// The Windows backend's keyboard: DirectInput 8's system keyboard, read as
// the 256-byte state by DirectInput key code.
#pragma once

#include <memory>

#include "shell/platform/platform.h"

namespace win32 {

// DirectInput8Create; a failure raises its HRESULT.
std::shared_ptr<platform::DirectInput> CreateDirectInput();

}  // namespace win32
