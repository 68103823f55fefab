// The system keyboard in a page: the keys the game area has down. A browser
// shows a page no key pressed outside it, so a keyboard opened at the
// background level reads every key up while the page has not the focus.
#include <memory>

#include "shell/platform/focus_keyboard.h"
#include "shell/platform/web/page.h"

namespace web {
namespace {

class Keyboard final : public platform::FocusKeyboard {
 protected:
  bool HasFocus() override { return Input().focused != 0; }
  uint64_t FocusLosses() override { return Input().focusLosses; }
  void ReadKeys(platform::KeyboardState& state) override { state = Input().keys; }
};

}  // namespace

std::shared_ptr<platform::DirectInput> CreateDirectInput() {
  return std::make_shared<platform::KeyboardOnlyInput<Keyboard>>();
}

}  // namespace web
