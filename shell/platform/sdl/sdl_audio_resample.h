// Bringing a wave file's samples to the mixer's rate, once, when its buffer is
// created, so that the audio callback only ever copies and scales.
#pragma once

#include <cstdint>
#include <vector>

namespace sdl {

// `samples` hold `channels` (1 or 2) interleaved at `rate` frames a second;
// the result holds the same channels at kMixerRate. The game's own files are
// at kMixerRate already and come back unchanged. Other rates are interpolated
// linearly: a player's own recording is speech or a noise, for which the
// aliasing of a linear resampler is inaudible next to a click-free and exact
// length. `rate` is one the wave reader accepts. Raises kErrOutOfMemory when
// the result would be unreasonably long.
std::vector<int16_t> ResampleToMixerRate(std::vector<int16_t> samples, int channels, uint32_t rate);

}  // namespace sdl
