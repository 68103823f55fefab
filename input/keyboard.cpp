#include "input/keyboard.h"

#include "shell/devices.h"
#include "shell/main_window.h"
#include "shell/program_state.h"

PROGRAM_STATE(KeyState, platform::KeyboardState);
PROGRAM_STATE(KeyLatch, std::array<int16_t, 256>);

PROGRAM_STATE(DirectInputObject, std::shared_ptr<platform::DirectInput>);
PROGRAM_STATE(KeyboardDevice, std::shared_ptr<platform::InputDevice>);

namespace {

constexpr const char* kSystemKeyboard = "GUID_SysKeyboard";
// Keys count in the background until the keyboard is first lost.
// KEPT_BACKGROUND_UNTIL_LOST
constexpr int32_t kStartupLevel = platform::kCooperativeNonExclusive | platform::kCooperativeBackground;  // 10
constexpr int32_t kReopenLevel = platform::kCooperativeNonExclusive | platform::kCooperativeForeground;   // 6

// Both openings take the same steps; each replaces its object at once, so a
// step that fails leaves the earlier ones' new objects in place.
void OpenKeyboardAt(int32_t cooperativeLevel) {
  DirectInputObject = DirectXRoot->DirectInputCreate();
  KeyboardDevice = DirectInputObject->CreateDevice(kSystemKeyboard);
  KeyboardDevice->SetCommonDataFormat(platform::kDataFormatKeyboard);
  KeyboardDevice->SetCooperativeLevel(MainWindowHandle(), cooperativeLevel);
  KeyboardDevice->Acquire();
}

}  // namespace

void OpenKeyboard() { OpenKeyboardAt(kStartupLevel); }

void InitKeyboard() {
  // Nothing is reported. Re-opened at the foreground level, never the
  // background one again: from now on keys count only while the window has
  // the focus.
  try {
    if (!DirectXRoot) DirectXRoot = platform::CreateDirectX();
    OpenKeyboardAt(kReopenLevel);
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
    // KEPT_FAILED_READ_FREES_NO_LATCH
    if (failure.Number() == platform::kDierrNotAcquired || failure.Number() == platform::kDierrInputLost) {
      InitKeyboard();
    }
    return;
  }
  KeyState = read;
  for (size_t k = 0; k < KeyLatch.size(); ++k) {
    // Only a poll that sees the key up frees it: a release and a new press
    // between two polls stay one press. KEPT_ONE_PRESS_BETWEEN_POLLS
    if (KeyLatch[k] == -1 && !KeyDown(static_cast<uint8_t>(k))) KeyLatch[k] = 0;
  }
}
