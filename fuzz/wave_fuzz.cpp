// Feeds arbitrary bytes to the wave reader: any file a player puts in the
// sounds folder must end in a WaveAudio or a RuntimeError, never a crash,
// an over-read or an allocation beyond the input's size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "shell/platform/platform.h"
#include "shell/platform/wave_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const platform::WaveAudio audio = platform::ParseWave(data, size, "sounds/fuzz.wav");
    // What a backend does next with a parsed file: the SDL one plays it at 22,050 Hz.
    if (audio.data.size() > size) std::abort();
    const platform::WaveSamples sound = platform::ToSamples(audio, 22050, "sounds/fuzz.wav");
    if (sound.channels != audio.channels || sound.samples.size() % audio.channels != 0) std::abort();
    (void)audio.DurationMicroseconds();
  } catch (const platform::RuntimeError&) {
  }
  return 0;
}
