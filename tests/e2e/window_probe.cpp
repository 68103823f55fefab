// The game's window and keyboard without the game, for the Linux program's
// keyboard checks: prints "ready" once started, "down CODE" and "up CODE" for
// every change of the key state (DirectInput codes), and "failed NUMBER" once
// for a run of failed reads, while it opens the keyboard again at the
// foreground level, as the game does. Escape ends it with status 0.
//   window_probe [--foreground]   the first keyboard's level; else background
#include <cstdio>
#include <string>

#include "shell/main_window.h"
#include "shell/platform/platform.h"
#include "shell/product.h"

namespace {

bool StartInForeground = false;
std::shared_ptr<platform::InputDevice> Keyboard;

void OpenKeyboard(int32_t level) {
  Keyboard = platform::CreateDirectX()->DirectInputCreate()->CreateDevice("GUID_SysKeyboard");
  Keyboard->SetCommonDataFormat(platform::kDataFormatKeyboard);
  Keyboard->SetCooperativeLevel(platform::FormHandle(), platform::kCooperativeNonExclusive | level);
  Keyboard->Acquire();
}

void Probe() {
  platform::ShowForm(frmGrumboshDescription());
  try {
    OpenKeyboard(StartInForeground ? platform::kCooperativeForeground : platform::kCooperativeBackground);
  } catch (const platform::RuntimeError&) {
    if (!StartInForeground) throw;  // the foreground one waits for the window's first focus
  }
  std::printf("ready\n");
  platform::KeyboardState shown{}, state{};
  for (bool failing = false;; platform::DoEvents(), std::fflush(stdout)) {
    try {
      Keyboard->GetDeviceStateKeyboard(state);
    } catch (const platform::RuntimeError& failure) {
      if (!failing) std::printf("failed %d\n", failure.Number());
      failing = true;
      try {
        OpenKeyboard(platform::kCooperativeForeground);
      } catch (const platform::RuntimeError&) {
      }
      continue;
    }
    failing = false;
    for (size_t code = 0; code < state.size(); ++code)
      if ((state[code] ^ shown[code]) & 0x80) std::printf("%s %zu\n", state[code] & 0x80 ? "down" : "up", code);
    shown = state;
    if (state[1] & 0x80) platform::EndProgram(0);
  }
}

}  // namespace

int main(int argc, char** argv) {
  StartInForeground = argc > 1 && std::string(argv[1]) == "--foreground";
  return platform::RunProgram({kProductTitle}, Probe);
}
