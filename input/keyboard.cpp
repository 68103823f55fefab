#include "input/keyboard.h"

#include "shell/devices.h"
#include "shell/main_window.h"

platform::KeyboardState KeyState{};
int16_t KeyLatch[256]{};

std::shared_ptr<platform::DirectInput> DirectInputObject;
std::shared_ptr<platform::InputDevice> KeyboardDevice;

namespace {

constexpr const char* kSystemKeyboard = "GUID_SysKeyboard";
constexpr int32_t kStartupLevel = platform::kCooperativeNonExclusive | platform::kCooperativeBackground;  // 10
constexpr int32_t kReopenLevel = platform::kCooperativeNonExclusive | platform::kCooperativeForeground;   // 6

}  // namespace

void OpenKeyboard() {
  DirectInputObject = DirectXRoot->DirectInputCreate();
  KeyboardDevice = DirectInputObject->CreateDevice(kSystemKeyboard);
  KeyboardDevice->SetCommonDataFormat(platform::kDataFormatKeyboard);
  KeyboardDevice->SetCooperativeLevel(MainWindowHandle(), kStartupLevel);
  KeyboardDevice->Acquire();
}

void InitKeyboard() {
  // Each step replaces its object at once, so a step that fails leaves the
  // earlier ones' new objects in place; nothing is reported.
  try {
    if (!DirectXRoot) DirectXRoot = platform::CreateDirectX();
    DirectInputObject = DirectXRoot->DirectInputCreate();
    KeyboardDevice = DirectInputObject->CreateDevice(kSystemKeyboard);
    KeyboardDevice->SetCommonDataFormat(platform::kDataFormatKeyboard);
    // Re-opened at the foreground level, never the background one again: from
    // now on keys count only while the window has the focus.
    KeyboardDevice->SetCooperativeLevel(MainWindowHandle(), kReopenLevel);
    KeyboardDevice->Acquire();
  } catch (const platform::RuntimeError&) {
  }
}

void PollKeyboard() {
  if (!KeyboardDevice) return;  // only before start-up has opened it
  platform::KeyboardState read;
  try {
    KeyboardDevice->GetDeviceStateKeyboard(read);
  } catch (const platform::RuntimeError& failure) {
    // A failed read frees no latch, even of keys since released.
    if (failure.Number() == platform::kDierrNotAcquired || failure.Number() == platform::kDierrInputLost) {
      InitKeyboard();
    }
    return;
  }
  KeyState = read;
  for (int k = 0; k < 256; ++k) {
    if (KeyLatch[k] == -1 && (KeyState[static_cast<size_t>(k)] & 0x80) == 0) KeyLatch[k] = 0;
  }
}

void ResetKeyboardState() {
  KeyState.fill(0);
  for (int16_t& latch : KeyLatch) latch = 0;
  DirectInputObject.reset();
  KeyboardDevice.reset();
}
