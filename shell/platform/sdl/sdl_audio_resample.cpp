#include "shell/platform/sdl/sdl_audio_resample.h"

#include <cmath>

#include "shell/platform/platform.h"
#include "shell/platform/sdl/sdl_mixer.h"
#include "shell/platform/wave_file.h"

namespace sdl {

std::vector<int16_t> ResampleToMixerRate(std::vector<int16_t> samples, int channels, uint32_t rate) {
  if (rate == kMixerRate) return samples;
  const size_t width = channels == 2 ? 2 : 1;
  const uint64_t inFrames = samples.size() / width;
  // The same duration, to the nearest frame.
  const uint64_t outFrames = (inFrames * kMixerRate + rate / 2) / rate;
  // A file of the largest accepted size at a very low rate would become
  // gigabytes at the mixer's rate; four times the largest file is plenty.
  if (outFrames * width * sizeof(int16_t) > 4 * platform::kMaxWaveFileBytes) {
    throw platform::RuntimeError(platform::kErrOutOfMemory, "A sound too long to be played");
  }
  std::vector<int16_t> out(static_cast<size_t>(outFrames * width));
  for (uint64_t j = 0; j < outFrames; ++j) {
    // Output frame j sits at j * rate / kMixerRate input frames, kept as a
    // whole index and an exact fraction so that long files do not drift.
    const uint64_t numerator = j * rate;
    const uint64_t index = numerator / kMixerRate;
    const double fraction = static_cast<double>(numerator % kMixerRate) / kMixerRate;
    const uint64_t next = index + 1 < inFrames ? index + 1 : index;
    for (size_t c = 0; c < width; ++c) {
      const double a = samples[static_cast<size_t>(index * width + c)];
      const double b = samples[static_cast<size_t>(next * width + c)];
      out[static_cast<size_t>(j * width + c)] = static_cast<int16_t>(std::lrint(a + (b - a) * fraction));
    }
  }
  return out;
}

}  // namespace sdl
