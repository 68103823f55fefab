// The sound device of the SDL backend: DirectSound's buffers, pan and volume
// law, and focus rule, on one SDL audio device.
#pragma once

#include <memory>

#include "shell/platform/platform.h"

namespace sdl {

// Opens the default audio device. Raises kDsErrNoDriver when no audio device
// can be opened (the game then shows its sound-driver message).
std::shared_ptr<platform::SoundDevice> OpenSoundDevice();

// Every buffer is inaudible while another program's window has the focus and
// audible again when ours gets it back. Called by the event pump.
void SetAudioFocus(bool focused);

// Called before SDL ends: from then on no device's keeper reopens a lost
// device or calls SDL.
void StopAudioKeepers();

}  // namespace sdl
