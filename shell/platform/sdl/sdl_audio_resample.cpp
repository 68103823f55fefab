#include "shell/platform/sdl/sdl_audio_resample.h"

#include <utility>

#include "shell/platform/sdl/sdl_mixer.h"
#include "shell/platform/wave_file.h"

namespace sdl {

MixerSound ReadAtMixerRate(const std::string& file) {
  platform::WaveSamples sound = platform::ReadWaveSamples(file, kMixerRate);
  return {std::move(sound.samples), sound.channels};
}

}  // namespace sdl
