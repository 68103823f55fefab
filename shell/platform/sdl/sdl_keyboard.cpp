// The system keyboard of the SDL backend: SDL's own key state while our
// window has the focus, the X server's keymap while it has not (where the
// server lets us read it).
#include "shell/platform/sdl/sdl_keyboard.h"

#include <SDL.h>

#include "shell/platform/focus_keyboard.h"
#include "shell/platform/sdl/global_keyboard.h"
#include "shell/platform/sdl/key_table.h"
#include "shell/platform/sdl/sdl_window.h"

namespace sdl {
namespace {

class Keyboard final : public platform::FocusKeyboard {
 protected:
  bool HasFocus() override { return WindowHasFocus(); }
  uint64_t FocusLosses() override { return FocusLossCount(); }

  void ReadKeys(platform::KeyboardState& state) override {
    // SDL's own state, the cheap one, current as of the latest DoEvents,
    // empties while another window has the focus.
    if (!WindowHasFocus() && ReadGlobalKeyboard(state)) return;
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    state.fill(0);
    for (const Key& key : Keys()) {
      if (key.scancode < count && keys[key.scancode] != 0) state[key.dik] = 0x80;
    }
  }
};

}  // namespace

std::shared_ptr<platform::DirectInput> CreateDirectInput() {
  return std::make_shared<platform::KeyboardOnlyInput<Keyboard>>();
}

}  // namespace sdl
