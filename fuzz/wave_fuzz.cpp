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
    // What a backend does next with a parsed file.
    const std::vector<int16_t> samples = platform::ToSigned16(audio);
    if (audio.data.size() > size || samples.size() != audio.FrameCount() * audio.channels) std::abort();
    (void)audio.DurationMicroseconds();
  } catch (const platform::RuntimeError&) {
  }
  return 0;
}
