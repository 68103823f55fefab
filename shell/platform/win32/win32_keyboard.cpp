// DirectInput 8 as the platform layer describes it. The cooperative flags are
// DirectInput's own (DISCL_NONEXCLUSIVE 2, DISCL_FOREGROUND 4,
// DISCL_BACKGROUND 8) and pass through as the game gives them; a failed read
// raises its HRESULT unchanged, since the game opens the keyboard again on
// exactly DIERR_NOTACQUIRED and DIERR_INPUTLOST.
#include "shell/platform/win32/win32_keyboard.h"

#define DIRECTINPUT_VERSION 0x0800
#include <dinput.h>

#include <string>

#include "shell/platform/win32/com_ref.h"
#include "shell/platform/win32/win32_failure.h"
#include "shell/platform/win32/win32_guid.h"

namespace win32 {
namespace {

class Keyboard final : public platform::InputDevice {
 public:
  Keyboard(ComRef<IDirectInput8W> input, ComRef<IDirectInputDevice8W> device)
      : input_(std::move(input)), device_(std::move(device)) {}

  void SetCommonDataFormat(int32_t format) override {
    // The only common format the game asks for; DirectInput's others describe
    // mice and joysticks.
    if (format != platform::kDataFormatKeyboard) {
      RaiseResult(DIERR_INVALIDPARAM, Api::Input,
                  "IDirectInputDevice8::SetDataFormat(common format " + std::to_string(format) + ")");
    }
    Check(device_->SetDataFormat(&c_dfDIKeyboard), Api::Input, "IDirectInputDevice8::SetDataFormat(c_dfDIKeyboard)");
  }

  void SetCooperativeLevel(platform::WindowHandle window, int32_t flags) override {
    Check(device_->SetCooperativeLevel(reinterpret_cast<HWND>(window), static_cast<DWORD>(flags)), Api::Input,
          "IDirectInputDevice8::SetCooperativeLevel");
  }

  void Acquire() override { Check(device_->Acquire(), Api::Input, "IDirectInputDevice8::Acquire"); }

  void GetDeviceStateKeyboard(platform::KeyboardState& state) override {
    // A failed read leaves the caller's snapshot as it was.
    platform::KeyboardState read{};
    Check(device_->GetDeviceState(static_cast<DWORD>(read.size()), read.data()), Api::Input,
          "IDirectInputDevice8::GetDeviceState");
    state = read;
  }

 private:
  ComRef<IDirectInput8W> input_;  // the device's creator lives as long as it
  ComRef<IDirectInputDevice8W> device_;
};

class Input final : public platform::DirectInput {
 public:
  explicit Input(ComRef<IDirectInput8W> input) : input_(std::move(input)) {}

  std::shared_ptr<platform::InputDevice> CreateDevice(const std::string& deviceGuid) override {
    GUID guid{};
    if (deviceGuid == "GUID_SysKeyboard") {
      guid = GUID_SysKeyboard;
    } else if (std::optional<GUID> parsed = ParseBracedGuid(deviceGuid); parsed && *parsed == GUID_SysKeyboard) {
      guid = *parsed;
    } else {
      // Only the keyboard: the device has to take the keyboard data format.
      RaiseResult(DIERR_DEVICENOTREG, Api::Input, "IDirectInput8::CreateDevice(" + deviceGuid + ")");
    }
    ComRef<IDirectInputDevice8W> device;
    Check(input_->CreateDevice(guid, device.Receive(), nullptr), Api::Input,
          "IDirectInput8::CreateDevice(GUID_SysKeyboard)");
    return std::make_shared<Keyboard>(input_, std::move(device));
  }

 private:
  ComRef<IDirectInput8W> input_;
};

}  // namespace

std::shared_ptr<platform::DirectInput> CreateDirectInput() {
  ComRef<IDirectInput8W> input;
  Check(DirectInput8Create(GetModuleHandleW(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8W, input.ReceiveVoid(),
                           nullptr),
        Api::Input, "DirectInput8Create");
  return std::make_shared<Input>(std::move(input));
}

}  // namespace win32
