// DirectInput's system keyboard in a page: the keys the game area has down.
// A browser shows a page no key pressed outside it, so the keyboard opened at
// the background level reads every key up while the page has not the focus,
// and one opened at the foreground level is lost when the page loses it, as
// the desktop backends' are with their window.
#include <memory>
#include <string>

#include "shell/platform/platform.h"
#include "shell/platform/web/page.h"

namespace web {
namespace {

using platform::RuntimeError;

class Keyboard final : public platform::InputDevice {
 public:
  void SetCommonDataFormat(int32_t) override {}

  void SetCooperativeLevel(platform::WindowHandle, int32_t flags) override {
    foreground_ = (flags & platform::kCooperativeForeground) != 0;
  }

  void Acquire() override {
    // DIERR_OTHERAPPHASPRIO: a foreground device waits for the page.
    if (foreground_ && Input().focused == 0) {
      throw RuntimeError(platform::kErrAccessDenied, "Another window has the focus");
    }
    acquired_ = true;
    lossesAtAcquire_ = Input().focusLosses;
  }

  void GetDeviceStateKeyboard(platform::KeyboardState& state) override {
    if (!acquired_) throw RuntimeError(platform::kDierrNotAcquired, "The keyboard is not acquired");
    // Losing the focus takes the device away even if the focus is back by now.
    if (foreground_ && (Input().focusLosses != lossesAtAcquire_ || Input().focused == 0)) {
      acquired_ = false;
      throw RuntimeError(platform::kDierrInputLost, "The keyboard input was lost");
    }
    state = Input().keys;
  }

 private:
  bool acquired_ = false;
  bool foreground_ = false;
  uint32_t lossesAtAcquire_ = 0;
};

class WebDirectInput final : public platform::DirectInput {
 public:
  // The game asks for nothing but the system keyboard.
  std::shared_ptr<platform::InputDevice> CreateDevice(const std::string&) override {
    return std::make_shared<Keyboard>();
  }
};

}  // namespace

std::shared_ptr<platform::DirectInput> CreateDirectInput() { return std::make_shared<WebDirectInput>(); }

}  // namespace web
