#include "shell/platform/focus_keyboard.h"

namespace platform {

void FocusKeyboard::SetCooperativeLevel(WindowHandle, int32_t flags) {
  foreground_ = (flags & kCooperativeForeground) != 0;
}

void FocusKeyboard::Acquire() {
  // DIERR_OTHERAPPHASPRIO: a foreground device waits for our window.
  if (foreground_ && !HasFocus()) throw RuntimeError(kErrAccessDenied, "Another window has the focus");
  acquired_ = true;
  lossesAtAcquire_ = FocusLosses();
}

void FocusKeyboard::GetDeviceStateKeyboard(KeyboardState& state) {
  if (!acquired_) throw RuntimeError(kDierrNotAcquired, "The keyboard is not acquired");
  // Losing the focus takes the device away even if the focus is back by now.
  if (foreground_ && (FocusLosses() != lossesAtAcquire_ || !HasFocus())) {
    acquired_ = false;
    throw RuntimeError(kDierrInputLost, "The keyboard input was lost");
  }
  ReadKeys(state);
}

}  // namespace platform
