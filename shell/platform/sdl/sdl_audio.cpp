// The SDL backend's sound device.
//
// Output: 16-bit stereo at 22,050 Hz, to the desktop's sound server itself
// (pulse_output.h) when one answers and SDL_AUDIODRIVER is not set;
// otherwise to one SDL audio device, AUDIO_S16SYS, in buffers of 256 frames
// (11.6 ms). The game's sounds are 22,050 Hz mono, so
// they reach the device sample for sample; a player's own file at another
// rate, width or channel count is converted once, when its buffer is created.
// With SDL_AUDIODRIVER=disk the device file holds raw 16-bit little-endian
// stereo frames at 22,050 Hz.
//
// Each buffer decodes its whole file into its own sample memory before the
// mixer (shell/platform/mixer) sees it; the audio callback only mixes, without
// allocating, locking or reading files.
#include "shell/platform/sdl/sdl_audio.h"

#include <SDL.h>

#include <memory>
#include <utility>

#include "shell/platform/mixer/mixed_sound_device.h"
#include "shell/platform/sdl/pulse_output.h"
#include "shell/platform/sdl/sdl_audio_output.h"

namespace sdl {
namespace {

template <typename Output>
class Device final : public mixer::MixedSoundDevice {
 public:
  explicit Device(std::unique_ptr<Output> output)
      : MixedSoundDevice(output->SharedMixer()), output_(std::move(output)) {}

 private:
  std::unique_ptr<Output> output_;
};

}  // namespace

// A desktop's sound server is played to directly, unless SDL_AUDIODRIVER
// names the output SDL is to use.
std::shared_ptr<platform::SoundDevice> OpenSoundDevice() {
  if (SDL_getenv("SDL_AUDIODRIVER") == nullptr) {
    if (auto output = PulseOutput::Open()) return std::make_shared<Device<PulseOutput>>(std::move(output));
  }
  return std::make_shared<Device<AudioOutput>>(std::make_unique<AudioOutput>());
}

}  // namespace sdl
