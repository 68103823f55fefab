// A test tool for the SDL backend: shows the main window, opens the sound
// device and the keyboard in the game's order (the sound-driver message when
// there is no sound device), then polls the keyboard and prints every change
// of the 256-byte key state on standard output, one line each:
//   ready              the keyboard is acquired and polled from now on
//   down CODE / up CODE  a DirectInput key code went down or up
//   failed NUMBER      a read failed (printed once for a run of failures);
//                      the keyboard is then opened again at the foreground
//                      level, as the game does
// Escape ends it with status 0.
//
//   window_probe [--foreground] [--text INDEX TEXT]...
// --foreground opens the keyboard at the foreground level (6) from the start;
// --text sets a control's text once the devices are open.
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "shell/main_window.h"
#include "shell/platform/platform.h"
#include "shell/product.h"

namespace {

int32_t KeyboardLevel = platform::kCooperativeNonExclusive | platform::kCooperativeBackground;
std::vector<std::pair<int, std::string>> Texts;

std::shared_ptr<platform::DirectX> Root;
std::shared_ptr<platform::SoundDevice> Sound;
std::shared_ptr<platform::PrimaryBuffer> Primary;
std::shared_ptr<platform::Listener3D> Listener;
std::shared_ptr<platform::DirectInput> Input;
std::shared_ptr<platform::InputDevice> Keyboard;

void Say(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

void OpenKeyboard(int32_t level) {
  Input = Root->DirectInputCreate();
  Keyboard = Input->CreateDevice("GUID_SysKeyboard");
  Keyboard->SetCommonDataFormat(platform::kDataFormatKeyboard);
  Keyboard->SetCooperativeLevel(platform::FormHandle(), level);
  Keyboard->Acquire();
}

void ProbeMain() {
  platform::ShowForm(frmGrumboshDescription());
  bool soundOpen = true;
  try {
    Root = platform::CreateDirectX();
    Sound = Root->DirectSoundCreate("");
  } catch (const platform::RuntimeError&) {
    soundOpen = false;
  }
  if (!soundOpen) {
    platform::ShowMessageBox(
        std::string("Sound driver error. Please update your sound card drivers and make sure you have at least "
                    "DirectX 7.0 installed.  For more information, please refer to ") +
            kSupportWebsite + " or contact " + kSupportEmail + ".",
        kProductTitle);
    platform::EndProgram(0);
  }
  Sound->SetCooperativeLevel(platform::FormHandle(), platform::kCooperativePriority);
  platform::BufferDescription primary{};
  primary.flags = platform::kBufferPrimary | platform::kBufferCtrl3D;
  Primary = Sound->CreatePrimaryBuffer(primary);
  Listener = Primary->GetDirectSound3DListener();
  try {
    OpenKeyboard(KeyboardLevel);
  } catch (const platform::RuntimeError&) {
    // A foreground keyboard cannot be acquired before the window has had the
    // focus; the polling loop opens it again until it can.
    if (KeyboardLevel == (platform::kCooperativeNonExclusive | platform::kCooperativeBackground)) throw;
  }
  for (const auto& [index, text] : Texts) platform::SetControlText(index, text);
  Say("ready");

  platform::KeyboardState shown{};
  platform::KeyboardState state{};
  bool failing = false;
  for (;;) {
    try {
      Keyboard->GetDeviceStateKeyboard(state);
      failing = false;
      for (size_t code = 0; code < state.size(); ++code) {
        if ((state[code] & 0x80) != (shown[code] & 0x80)) {
          Say(std::string(state[code] & 0x80 ? "down " : "up ") + std::to_string(code));
        }
      }
      shown = state;
      if (state[1] & 0x80) {
        Say("escape");
        platform::EndProgram(0);
      }
    } catch (const platform::RuntimeError& failure) {
      if (!failing) Say("failed " + std::to_string(failure.Number()));
      failing = true;
      if (failure.Number() == platform::kDierrNotAcquired || failure.Number() == platform::kDierrInputLost) {
        try {
          OpenKeyboard(platform::kCooperativeNonExclusive | platform::kCooperativeForeground);
        } catch (const platform::RuntimeError&) {
        }
      }
    }
    platform::DoEvents();
    (void)platform::GetTickCount();
  }
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--foreground") == 0) {
      KeyboardLevel = platform::kCooperativeNonExclusive | platform::kCooperativeForeground;
    } else if (std::strcmp(argv[i], "--text") == 0 && i + 2 < argc) {
      Texts.emplace_back(std::stoi(argv[i + 1]), argv[i + 2]);
      i += 2;
    } else {
      std::fprintf(stderr, "usage: %s [--foreground] [--text INDEX TEXT]...\n", argv[0]);
      return 2;
    }
  }
  return platform::RunProgram({kProductTitle}, ProbeMain);
}
