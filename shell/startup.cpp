#include "shell/startup.h"

#include "game/main_game.h"
#include "input/keyboard.h"
#include "shell/devices.h"
#include "shell/main_window.h"
#include "shell/product.h"
#include "shell/program_state.h"
#include "sound/sound_files.h"
#include "sound/sound_playback.h"

PROGRAM_STATE(DirectXRoot, std::shared_ptr<platform::DirectX>);

std::string SoundDriverMessage() {
  return std::string(
             "Sound driver error. Please update your sound card drivers and make sure you have at least "
             "DirectX 7.0 installed.  For more information, please refer to ") +
         kSupportWebsite + " or contact " + kSupportEmail + ".";
}

void Main() {
  ShowMainWindow();
  InitDevices();
}

void InitDevices() {
  OpenDevices();
  Announcement(sound_file::kIntro);
  NewGame();
}

void OpenDevices() {
  // Only the first two steps are guarded: without a root object or a sound
  // device the player is told to look at the sound driver, and nothing else
  // is opened. Every later failure is fatal.
  bool soundDeviceOpen = true;
  try {
    DirectXRoot = platform::CreateDirectX();
    SoundDevice = DirectXRoot->DirectSoundCreate("");
  } catch (const platform::RuntimeError&) {
    soundDeviceOpen = false;
  }
  if (!soundDeviceOpen) {
    platform::ShowMessageBox(SoundDriverMessage(), kProductTitle);
    platform::EndProgram(0);  // KEPT_NO_DEVICE_ENDS_QUIETLY
  }

  SoundDevice->SetCooperativeLevel(MainWindowHandle(), platform::kCooperativePriority);
  platform::BufferDescription primary{};
  primary.flags = PrimaryFlags;
  PrimaryBuffer = SoundDevice->CreatePrimaryBuffer(primary);
  Listener = PrimaryBuffer->GetDirectSound3DListener();

  OpenKeyboard();

  LoadSounds();
}
