// DirectInput 8's system keyboard through the platform layer.
#include <gtest/gtest.h>
#define DIRECTINPUT_VERSION 0x0800
#include <dinput.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <tuple>

#include "shell/main_window.h"
#include "shell/platform/platform.h"
#include "shell/platform/win32/win32_window.h"
#include "tests/support/failure_number.h"

namespace {

using test::NumberOf;

std::shared_ptr<platform::InputDevice> Keyboard() {
  if (win32::MainWindow() == nullptr) platform::ShowForm(frmGrumboshDescription());
  return platform::CreateDirectX()->DirectInputCreate()->CreateDevice("GUID_SysKeyboard");
}

void SendScanCode(WORD scanCode, DWORD flags) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wScan = scanCode;
  input.ki.dwFlags = KEYEVENTF_SCANCODE | flags;
  SendInput(1, &input, sizeof input);
}

// Reads until the key's bit 7 is as wanted, pumping messages between reads
// as the game's loops do; false if it never got so.
bool ReadsKey(platform::InputDevice& keyboard, int code, bool down) {
  platform::KeyboardState state{};
  const ULONGLONG giveUp = GetTickCount64() + 5000;  // a hang guard, not a timing check
  while (GetTickCount64() < giveUp) {
    platform::DoEvents();
    keyboard.GetDeviceStateKeyboard(state);
    if (((state[static_cast<size_t>(code)] & 0x80) != 0) == down) return true;
    Sleep(1);
  }
  return false;
}

TEST(Win32Keyboard, FailuresPassDirectInputsCodesThrough) {
  std::shared_ptr<platform::DirectInput> input = platform::CreateDirectX()->DirectInputCreate();
  EXPECT_EQ(NumberOf([&] { input->CreateDevice("GUID_SysMouse"); }), static_cast<int32_t>(DIERR_DEVICENOTREG));
  EXPECT_EQ(NumberOf([&] { input->CreateDevice("{6F1D2B61-D5A0-11CF-BFC7-444553540000}"); }), 0)
      << "the keyboard by its GUID";

  std::shared_ptr<platform::InputDevice> keyboard = Keyboard();
  platform::KeyboardState state{};
  state[57] = 0x80;
  // The code PollKeyboard opens the keyboard again on, exactly.
  EXPECT_EQ(NumberOf([&] { keyboard->GetDeviceStateKeyboard(state); }), platform::kDierrNotAcquired);
  EXPECT_EQ(state[57], 0x80) << "a failed read leaves the snapshot alone";
  EXPECT_EQ(NumberOf([&] { keyboard->SetCommonDataFormat(2); }), static_cast<int32_t>(DIERR_INVALIDPARAM));
  EXPECT_EQ(NumberOf([&] { keyboard->SetCooperativeLevel(platform::FormHandle(), 0); }),
            static_cast<int32_t>(DIERR_INVALIDPARAM));
}

TEST(Win32Keyboard, OpenedAsAtStartUpItReadsTheKeysByTheirCodes) {
  std::shared_ptr<platform::InputDevice> keyboard = Keyboard();
  keyboard->SetCommonDataFormat(platform::kDataFormatKeyboard);
  keyboard->SetCooperativeLevel(platform::FormHandle(),
                                platform::kCooperativeNonExclusive | platform::kCooperativeBackground);  // 10
  keyboard->Acquire();
  platform::KeyboardState state{};
  state.fill(0xFF);
  keyboard->GetDeviceStateKeyboard(state);
  for (size_t code = 0; code < state.size(); ++code) EXPECT_EQ(state[code] & 0x80, 0) << "key " << code;

  // Space (57) and, by its extended scan code, the left arrow (203).
  for (const auto& [scanCode, extended, code] : {std::tuple<WORD, DWORD, int>{0x39, 0, 57},
                                                 std::tuple<WORD, DWORD, int>{0x4B, KEYEVENTF_EXTENDEDKEY, 203}}) {
    SendScanCode(scanCode, extended);
    EXPECT_TRUE(ReadsKey(*keyboard, code, true)) << code;
    SendScanCode(scanCode, extended | KEYEVENTF_KEYUP);
    EXPECT_TRUE(ReadsKey(*keyboard, code, false)) << code;
  }
}

}  // namespace
