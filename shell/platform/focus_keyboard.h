// DirectInput's system keyboard where the backend sees keys only through its
// window (SDL, a page): the game opens it at the background level at
// start-up and at the foreground level whenever it opens it again, and those
// are the only settings this device tells apart. At the foreground level it
// cannot be acquired while another window has the focus, and losing the
// focus takes it away, as DirectInput does.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "shell/platform/platform.h"

namespace platform {

class FocusKeyboard : public InputDevice {
 public:
  void SetCommonDataFormat(int32_t) override {}
  void SetCooperativeLevel(WindowHandle, int32_t flags) override;
  void Acquire() override;
  void GetDeviceStateKeyboard(KeyboardState& state) override;

 protected:
  virtual bool HasFocus() = 0;
  // How many times the window has lost the focus.
  virtual uint64_t FocusLosses() = 0;
  // Every key down now, by its DirectInput code.
  virtual void ReadKeys(KeyboardState& state) = 0;

 private:
  bool acquired_ = false;
  bool foreground_ = false;
  uint64_t lossesAtAcquire_ = 0;
};

// The game asks for nothing but the system keyboard.
template <class Keyboard>
class KeyboardOnlyInput final : public DirectInput {
 public:
  std::shared_ptr<InputDevice> CreateDevice(const std::string&) override { return std::make_shared<Keyboard>(); }
};

}  // namespace platform
