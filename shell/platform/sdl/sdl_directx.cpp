// The DirectX root object of the SDL backend: SDL's audio device for sound,
// SDL's and the display server's key state for input.
#include <memory>
#include <string>

#include "shell/platform/platform.h"
#include "shell/platform/sdl/sdl_audio.h"
#include "shell/platform/sdl/sdl_keyboard.h"

namespace {

class SdlDirectX final : public platform::DirectX {
 public:
  // The game opens the default device ("").
  std::shared_ptr<platform::SoundDevice> DirectSoundCreate(const std::string&) override {
    return sdl::OpenSoundDevice();
  }

  std::shared_ptr<platform::DirectInput> DirectInputCreate() override { return sdl::CreateDirectInput(); }
};

}  // namespace

namespace platform {

std::shared_ptr<DirectX> CreateDirectX() { return std::make_shared<SdlDirectX>(); }

}  // namespace platform
