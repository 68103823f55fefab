// The DirectX root object, created at start-up and shared by the sound device
// and the keyboard, which re-creates DirectInput from it.
#pragma once

#include <memory>

#include "shell/platform/platform.h"

extern std::shared_ptr<platform::DirectX> DirectXRoot;
