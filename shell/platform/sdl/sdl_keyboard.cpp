#include "shell/platform/sdl/sdl_keyboard.h"

#include <SDL.h>

#include <string>

#include "shell/platform/sdl/global_keyboard.h"
#include "shell/platform/sdl/key_table.h"
#include "shell/platform/sdl/sdl_window.h"

namespace sdl {
namespace {

using platform::RuntimeError;

constexpr int32_t kExclusive = 1;  // DISCL_EXCLUSIVE
constexpr int32_t kNoWindowsKey = 16;  // DISCL_NOWINKEY: has no effect here

class Keyboard final : public platform::InputDevice {
 public:
  void SetCommonDataFormat(int32_t format) override {
    if (acquired_) throw RuntimeError(kDierrAcquired, "The keyboard is acquired");
    if (format != platform::kDataFormatKeyboard) {
      throw RuntimeError(platform::kErrInvalidArgument, "The keyboard has only the keyboard data format");
    }
    formatSet_ = true;
  }

  void SetCooperativeLevel(platform::WindowHandle window, int32_t flags) override {
    if (acquired_) throw RuntimeError(kDierrAcquired, "The keyboard is acquired");
    if (window == 0 || window != platform::FormHandle()) {
      throw RuntimeError(kErrInvalidHandle, "Not the program's window");
    }
    const int32_t access = flags & (kExclusive | platform::kCooperativeNonExclusive);
    const int32_t level = flags & (platform::kCooperativeForeground | platform::kCooperativeBackground);
    const bool known = (flags & ~(kExclusive | platform::kCooperativeNonExclusive | platform::kCooperativeForeground |
                                  platform::kCooperativeBackground | kNoWindowsKey)) == 0;
    // Exclusive access to the keyboard is not offered by any desktop we run on.
    if (!known || access != platform::kCooperativeNonExclusive || level == 0 ||
        level == (platform::kCooperativeForeground | platform::kCooperativeBackground)) {
      throw RuntimeError(platform::kErrInvalidArgument, "Cooperative level " + std::to_string(flags));
    }
    foreground_ = level == platform::kCooperativeForeground;
  }

  void Acquire() override {
    if (!formatSet_) throw RuntimeError(platform::kErrInvalidArgument, "The keyboard has no data format");
    if (acquired_) return;
    if (foreground_ && !WindowHasFocus()) {
      throw RuntimeError(kDierrOtherAppHasPriority, "Another program's window has the focus");
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
      ReadFocusedKeyboard(state);
      return;
    }
    // SDL's state is the cheap one but empties when our window loses the focus.
    if (!WindowHasFocus()) {
      if (GlobalKeyboard* global = TheGlobalKeyboard()) {
        global->Read(state);
        return;
      }
    }
    ReadFocusedKeyboard(state);
  }

 private:
  static constexpr int32_t kDierrAcquired = platform::ResultCode(0x800700AA);
  static constexpr int32_t kDierrOtherAppHasPriority = platform::kErrAccessDenied;
  static constexpr int32_t kErrInvalidHandle = platform::ResultCode(0x80070006);

  bool formatSet_ = false;
  bool acquired_ = false;
  bool foreground_ = false;  // non-exclusive background until told otherwise
  uint64_t lossesAtAcquire_ = 0;
};

class SdlDirectInput final : public platform::DirectInput {
 public:
  std::shared_ptr<platform::InputDevice> CreateDevice(const std::string& deviceGuid) override {
    if (deviceGuid == "GUID_SysKeyboard" || deviceGuid == "{6F1D2B61-D5A0-11CF-BFC7-444553540000}") {
      return std::make_shared<Keyboard>();
    }
    throw RuntimeError(platform::kErrDeviceNotFound, "No input device " + deviceGuid);
  }
};

}  // namespace

std::shared_ptr<platform::DirectInput> CreateDirectInput() { return std::make_shared<SdlDirectInput>(); }

void ReadFocusedKeyboard(platform::KeyboardState& state) {
  int count = 0;
  const Uint8* keys = SDL_GetKeyboardState(&count);
  state.fill(0);
  for (const ScancodeKey& key : ScancodeKeys()) {
    if (key.scancode < count && keys[key.scancode] != 0) state[key.dik] = 0x80;
  }
}

}  // namespace sdl
