// The game opens the system keyboard non-exclusively, in its own data format,
// at the background level at start-up and at the foreground level whenever it
// opens it again; those are the only settings this device tells apart.
#include "shell/platform/sdl/sdl_keyboard.h"

#include <SDL.h>

#include "shell/platform/sdl/global_keyboard.h"
#include "shell/platform/sdl/key_table.h"
#include "shell/platform/sdl/sdl_window.h"

namespace sdl {
namespace {

using platform::RuntimeError;

// The keys down now by SDL's own state, which follows our window's focus
// (every key reads up while another window has it). Current as of the
// latest DoEvents.
void ReadFocusedKeyboard(platform::KeyboardState& state) {
  int count = 0;
  const Uint8* keys = SDL_GetKeyboardState(&count);
  state.fill(0);
  for (const Key& key : Keys()) {
    if (key.scancode < count && keys[key.scancode] != 0) state[key.dik] = 0x80;
  }
}

class Keyboard final : public platform::InputDevice {
 public:
  void SetCommonDataFormat(int32_t) override {}

  void SetCooperativeLevel(platform::WindowHandle, int32_t flags) override {
    foreground_ = (flags & platform::kCooperativeForeground) != 0;
  }

  void Acquire() override {
    // DIERR_OTHERAPPHASPRIO: a foreground device waits for our window.
    if (foreground_ && !WindowHasFocus()) {
      throw RuntimeError(platform::kErrAccessDenied, "Another program's window has the focus");
    }
    acquired_ = true;
    lossesAtAcquire_ = FocusLossCount();
  }

  void GetDeviceStateKeyboard(platform::KeyboardState& state) override {
    if (!acquired_) throw RuntimeError(platform::kDierrNotAcquired, "The keyboard is not acquired");
    if (foreground_) {
      // Losing the focus takes the device away even if the focus is back by now.
      if (FocusLossCount() != lossesAtAcquire_ || !WindowHasFocus()) {
        acquired_ = false;
        throw RuntimeError(platform::kDierrInputLost, "The keyboard input was lost");
      }
    } else if (!WindowHasFocus() && ReadGlobalKeyboard(state)) {
      return;  // SDL's own state, the cheap one, empties while another window has the focus
    }
    ReadFocusedKeyboard(state);
  }

 private:
  bool acquired_ = false;
  bool foreground_ = false;
  uint64_t lossesAtAcquire_ = 0;
};

class SdlDirectInput final : public platform::DirectInput {
 public:
  // The game asks for nothing but the system keyboard.
  std::shared_ptr<platform::InputDevice> CreateDevice(const std::string&) override {
    return std::make_shared<Keyboard>();
  }
};

}  // namespace

std::shared_ptr<platform::DirectInput> CreateDirectInput() { return std::make_shared<SdlDirectInput>(); }

}  // namespace sdl
