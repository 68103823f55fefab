// The samples a sound buffer of the SDL backend plays: its file read once, when
// the buffer is created, and brought to the mixer's rate, so that the audio
// callback only ever copies and scales.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shell/platform/wave_file.h"

namespace sdl {

struct MixerSound {
  platform::Samples samples;  // frames at kMixerRate, `channels` interleaved
  int channels = 1;              // 1 or 2
};

// The game's own files (16-bit mono at kMixerRate) are read straight into the
// samples; a player's file of another width or rate is converted. Failures
// are the wave reader's (shell/platform/wave_file.h) and name the file.
MixerSound ReadAtMixerRate(const std::string& file);

}  // namespace sdl
