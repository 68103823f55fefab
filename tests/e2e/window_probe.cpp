// The game's window and keyboard without the game, for the Linux program's
// keyboard checks. It prints "down CODE" and "up CODE" for every change of the
// key state (DirectInput codes), and "failed NUMBER" once for a run of failed
// reads, while it opens the keyboard again at the foreground level, as the game
// does.
//   window_probe [--foreground]   the level of the first keyboard; else background
#include <cstdio>
#include <string>
#include <utility>

#include "shell/main_window.h"
#include "shell/platform/platform.h"
#include "shell/product.h"

namespace {

int32_t Level = platform::kCooperativeBackground;

void Probe() {
  platform::ShowForm(frmGrumboshDescription());
  std::shared_ptr<platform::InputDevice> keyboard;
  platform::KeyboardState shown{}, state{};
  for (int32_t failed = 0;; platform::DoEvents(), std::fflush(stdout)) {
    try {
      if (!keyboard) {
        keyboard = platform::CreateDirectX()->DirectInputCreate()->CreateDevice("GUID_SysKeyboard");
        keyboard->SetCommonDataFormat(platform::kDataFormatKeyboard);
        keyboard->SetCooperativeLevel(platform::FormHandle(), platform::kCooperativeNonExclusive | Level);
        keyboard->Acquire();
      }
      keyboard->GetDeviceStateKeyboard(state);
      failed = 0;
    } catch (const platform::RuntimeError& failure) {
      if (std::exchange(failed, failure.Number()) == 0) std::printf("failed %d\n", failed);
      keyboard = nullptr;
      Level = platform::kCooperativeForeground;
      continue;
    }
    for (size_t code = 0; code < state.size(); ++code)
      if ((state[code] ^ shown[code]) & 0x80) std::printf("%s %zu\n", state[code] & 0x80 ? "down" : "up", code);
    shown = state;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--foreground") Level = platform::kCooperativeForeground;
  return platform::RunProgram({kProductTitle}, Probe);
}
