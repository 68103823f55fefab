// The DirectX root object of the Windows backend: DirectSound 8 and
// DirectInput 8 themselves.
#include <memory>
#include <string>

#include "shell/platform/platform.h"
#include "shell/platform/win32/win32_keyboard.h"
#include "shell/platform/win32/win32_sound.h"

namespace {

class Win32DirectX final : public platform::DirectX {
 public:
  std::shared_ptr<platform::SoundDevice> DirectSoundCreate(const std::string& deviceGuid) override {
    return win32::CreateSoundDevice(deviceGuid);
  }
  std::shared_ptr<platform::DirectInput> DirectInputCreate() override { return win32::CreateDirectInput(); }
};

}  // namespace

namespace platform {

std::shared_ptr<DirectX> CreateDirectX() { return std::make_shared<Win32DirectX>(); }

}  // namespace platform
