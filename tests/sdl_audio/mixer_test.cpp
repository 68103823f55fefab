// The sound device's mixer rendered directly, and files at other rates
// brought to its rate when loaded.
#include "shell/platform/sdl/sdl_mixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <numbers>
#include <numeric>
#include <utility>
#include <vector>

#include "shell/platform/platform.h"
#include "shell/platform/sdl/sdl_audio_resample.h"
#include "shell/platform/wave_file.h"
#include "tests/support/failure_number.h"

// The audio callback allocates nothing: every render of these tests is watched.
thread_local bool Rendering = false;
void* operator new(size_t size) {
  if (std::exchange(Rendering, false)) ADD_FAILURE() << "the mixer allocated " << size << " bytes";
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* memory) noexcept { std::free(memory); }
[[gnu::noinline]] void operator delete(void* memory, size_t) noexcept { std::free(memory); }

namespace {

using namespace platform;
using sdl::Mixer, sdl::Voice;

std::vector<int16_t> Render(Mixer& mixer, size_t frames) {
  std::vector<int16_t> out(frames * 2, 12345);  // not silence: Render must write every sample
  Rendering = true;
  mixer.Render(out.data(), frames);
  Rendering = false;
  return out;
}

// Stereo frames of the samples first, first + 1, ..., counting round 1000;
// silence for first 0.
std::vector<int16_t> Counted(size_t first, size_t frames) {
  std::vector<int16_t> out;
  for (size_t i = 0; i < frames; ++i) out.insert(out.end(), 2, int16_t(first == 0 ? 0 : (first - 1 + i) % 1000 + 1));
  return out;
}

TEST(Mixer, PanAndVolumeFollowDirectSoundsLaw) {
  // Decibels: the volume on both sides, and a pan's amount off the other
  // side; 100 dB or more is silence.
  constexpr double kSilent = -1000;
  const struct { int32_t volume, pan; double left, right; } cases[] = {
      {0, 0, 0, 0}, {0, 2000, -20, 0}, {0, -2000, 0, -20}, {-400, 0, -4, -4}, {-400, 2000, -24, -4},
      {-600, -3000, -6, -36}, {0, 150, -1.5, 0}, {-50, 5777, -58.27, -0.5}, {0, 10000, kSilent, 0},
      {-400, -10000, -4, kSilent}, {-10000, 0, kSilent, kSilent}, {-6000, 5000, kSilent, -60}};
  std::vector<int16_t> tone(sdl::kMixerRate);  // a second at 1 kHz
  for (size_t i = 0; i < tone.size(); ++i) {
    tone[i] = int16_t(std::lrint(16000 * std::sin(2 * std::numbers::pi * 1000 * double(i) / sdl::kMixerRate)));
  }
  const double reference = std::inner_product(tone.begin(), tone.end(), tone.begin(), 0.0);
  for (const auto& c : cases) {
    Mixer mixer;
    Voice voice(tone, 1);
    mixer.Add(&voice);
    voice.SetVolume(c.volume);
    voice.SetPan(c.pan);
    voice.Play(kPlayLooping);
    const std::vector<int16_t> out = Render(mixer, tone.size());
    double power[2] = {};
    for (size_t i = 0; i < out.size(); ++i) power[i % 2] += std::pow(out[i], 2);
    for (const int side : {0, 1}) {
      const double dB = power[side] == 0 ? kSilent : 10 * std::log10(power[side] / reference);
      EXPECT_NEAR(dB, side == 0 ? c.left : c.right, 0.1) << c.volume << ", " << c.pan << ", side " << side;
    }
  }
}

TEST(Mixer, StatusStopResumeLoopingAndTheEnd) {
  Mixer mixer;
  Voice voice(Counted(1, 1000), 2);
  mixer.Add(&voice);
  // The call ('1' play once, 'L' play looping, 'S' stop, ' ' none), the frames then
  // rendered, the first sample heard in them (0 silence) and the status after.
  const struct { char call; size_t frames, first; int32_t status; } steps[] = {
      {' ', 50, 0, 0},    {'1', 300, 1, 1},  {'S', 50, 0, 0},   {'1', 300, 301, 1}, {'L', 0, 0, 5},
      {'1', 400, 601, 0}, {' ', 50, 0, 0},   {'L', 2500, 1, 5}, {' ', 1, 501, 5},   {' ', 499, 502, 5},
      {'1', 0, 0, 1},     {'L', 1000, 1, 5}, {'S', 10, 0, 0}};
  for (const auto& step : steps) {
    if (step.call == 'S') voice.Stop();
    if (step.call == '1' || step.call == 'L') voice.Play(step.call == 'L' ? kPlayLooping : kPlayOnce);
    EXPECT_EQ(Render(mixer, step.frames), Counted(step.first, step.frames)) << "step " << &step - steps;
    EXPECT_EQ(voice.Status(), step.status) << "step " << &step - steps;
  }
}

// A pan on a playing buffer, and the focus going to another window, move
// its gains in 32 steps, not at once; without the focus it is silent.
TEST(Mixer, GainChangesOnAPlayingBufferAreRampedAndTheFocusGoingMutesIt) {
  Mixer mixer;
  Voice voice(std::vector<int16_t>(1000, 32000), 1);
  mixer.Add(&voice);
  voice.Play(kPlayLooping);
  Render(mixer, 10);
  voice.SetPan(kPanRight);
  std::vector<int16_t> out = Render(mixer, 100);
  mixer.SetFocused(false);
  for (const int16_t sample : Render(mixer, 100)) out.push_back(sample);
  for (size_t f = 0; f < 200; ++f) {
    const int16_t ramp = int16_t(std::max(0, 32000 - int(1000 * (f % 100 + 1))));  // 1/32 of 32000 a frame
    const auto expected = f < 100 ? std::pair(ramp, int16_t{32000}) : std::pair(int16_t{0}, ramp);
    EXPECT_EQ(std::pair(out[2 * f], out[2 * f + 1]), expected) << f;
  }
}

TEST(Mixer, VoicesAreSummedSideBySideAndSaturatedAndAnEmptyOneNeverPlays) {
  Mixer mixer;
  Voice mono(std::vector<int16_t>(10, 20000), 1), stereo(std::vector<int16_t>{30000, -30000}, 2), empty({}, 1);
  for (Voice* voice : {&mono, &stereo, &empty}) {
    mixer.Add(voice);
    voice->Play(kPlayLooping);
  }
  EXPECT_EQ(empty.Status(), 0) << "a player's empty file has nothing to play";
  EXPECT_EQ(Render(mixer, 1), (std::vector<int16_t>{32767, -10000}));
}

TEST(Resample, AFileAtAnotherRateKeepsItsLengthAndShape) {
  std::vector<int16_t> in;
  for (int16_t i = 0; i < 100; ++i) in.insert(in.end(), {int16_t(20 * i), int16_t(-2 * i)});
  // At half the rate every sample is followed by the midpoint to the next one.
  const std::vector<int16_t> twice = sdl::ResampleToMixerRate(in, 2, 11025);
  ASSERT_EQ(twice.size(), 400u);
  for (size_t i = 0; i + 4 < twice.size(); ++i) {
    EXPECT_EQ(twice[i], (in[i % 2 + 2 * (i / 4)] + in[i % 2 + 2 * ((i + 2) / 4)]) / 2) << i;
  }
  EXPECT_EQ(test::NumberOf([] { sdl::ResampleToMixerRate(std::vector<int16_t>(kMaxWaveFileBytes / 8), 1, 1000); }),
            kErrOutOfMemory);
}

}  // namespace
