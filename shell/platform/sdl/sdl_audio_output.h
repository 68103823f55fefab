// The SDL audio device that the mixer plays through.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>

#include "shell/platform/sdl/sdl_mixer.h"

namespace sdl {

class AudioOutput {
 public:
  // Frames of one device buffer: 256 at 22,050 Hz is 11.6 ms, so a Play is
  // heard within about one buffer, as with DirectSound's hardware mixing.
  static constexpr uint16_t kBufferFrames = 256;

  // Opens the default device and starts it. Raises kDsErrNoDriver, with
  // SDL's reason, when SDL's audio or the device cannot be opened.
  AudioOutput();
  ~AudioOutput();
  AudioOutput(const AudioOutput&) = delete;
  AudioOutput& operator=(const AudioOutput&) = delete;

  // Buffers hold the mixer too, so that they may outlive the device.
  const std::shared_ptr<Mixer>& SharedMixer() const { return mixer_; }

 private:
  static void SDLCALL Callback(void* self, Uint8* stream, int bytes);

  std::shared_ptr<Mixer> mixer_;
  SDL_AudioDeviceID device_ = 0;
};

}  // namespace sdl
