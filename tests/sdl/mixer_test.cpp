// The sound device's mixer rendered directly.
#include "shell/platform/mixer/mixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "shell/platform/mixer/mixed_sound_device.h"
#include "shell/platform/platform.h"
#include "shell/platform/sdl/sdl_audio_output.h"
#include "tests/wave/wave_bytes.h"

#include <unistd.h>

// The audio callback allocates nothing: every render of these tests is watched.
thread_local bool Rendering = false;
void* operator new(size_t size) {
  if (std::exchange(Rendering, false)) ADD_FAILURE() << "the mixer allocated " << size << " bytes";
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* memory) noexcept { std::free(memory); }
[[gnu::noinline]] void operator delete(void* memory, size_t) noexcept { std::free(memory); }

using namespace platform;

static std::vector<int16_t> Render(mixer::Mixer& mixer, size_t frames) {
  std::vector<int16_t> out(frames * 2, 12345);  // not silence: Render must write every sample
  Rendering = true;
  mixer.Render(out.data(), frames);
  Rendering = false;
  return out;
}

// Stereo frames of the samples first, first + 1, ..., counting round 1000;
// silence for first 0.
static std::vector<int16_t> Counted(size_t first, size_t frames) {
  std::vector<int16_t> out;
  for (size_t i = 0; i < frames; ++i) out.insert(out.end(), 2, int16_t(first == 0 ? 0 : (first - 1 + i) % 1000 + 1));
  return out;
}

TEST(Mixer, PanAndVolumeFollowDirectSoundsLaw) {
  // Decibels: the volume on both sides, and a pan's amount off the other
  // side; 100 dB or more is silence.
  const struct { int32_t volume, pan; double left, right; } cases[] = {
      {0, 0, 0, 0}, {0, 2000, -20, 0}, {0, -2000, 0, -20}, {-400, 0, -4, -4}, {-400, 2000, -24, -4},
      {-600, -3000, -6, -36}, {0, 150, -1.5, 0}, {-50, 5777, -58.27, -0.5}, {0, 10000, -INFINITY, 0},
      {-400, -10000, -4, -INFINITY}, {-10000, 0, -INFINITY, -INFINITY}, {-6000, 5000, -INFINITY, -60}};
  for (const auto& c : cases) {
    mixer::Mixer mixer;
    mixer::Voice voice(platform::Samples(1, 32000), 1);
    mixer.Add(&voice);
    voice.SetVolume(c.volume);
    voice.SetPan(c.pan);
    voice.Play(kPlayOnce);
    const std::vector<int16_t> out = Render(mixer, 1);
    for (const size_t side : {0u, 1u}) EXPECT_NEAR(out[side], 32000 * std::pow(10, (side ? c.right : c.left) / 20), 1);
  }
}

TEST(Mixer, StatusStopResumeLoopingAndTheEnd) {
  mixer::Mixer mixer;
  const std::vector<int16_t> counted = Counted(1, 1000);
  mixer::Voice voice(platform::Samples(counted.begin(), counted.end()), 2);
  mixer.Add(&voice);
  // The call ('1' play once, 'L' play looping, 'S' stop, ' ' none, '>' none and the
  // frames skipped, as without a device), the frames then rendered, the first
  // sample heard in them (0 silence) and the status after.
  const struct { char call; size_t frames, first; int32_t status; } steps[] = {
      {' ', 50, 0, 0}, {'1', 300, 1, 1}, {'S', 50, 0, 0}, {'1', 300, 301, 1}, {'L', 0, 0, 5}, {'1', 400, 601, 0},
      {' ', 50, 0, 0}, {'L', 2500, 1, 5}, {' ', 500, 501, 5}, {'1', 0, 0, 1}, {'L', 1000, 1, 5}, {'S', 10, 0, 0},
      {'1', 0, 0, 1}, {'>', 999, 0, 1}, {' ', 1, 1000, 0}, {'L', 0, 0, 5}, {'>', 2100, 0, 5}, {' ', 10, 101, 5}};
  for (const auto& step : steps) {
    if (step.call == 'S') voice.Stop();
    if (step.call == '1' || step.call == 'L') voice.Play(step.call == 'L' ? kPlayLooping : kPlayOnce);
    if (step.call == '>') mixer.Skip(step.frames);
    else EXPECT_EQ(Render(mixer, step.frames), Counted(step.first, step.frames)) << "step " << &step - steps;
    EXPECT_EQ(voice.Status(), step.status) << "step " << &step - steps;
  }
}

// A pan on a playing buffer, and the focus going to another window, move
// its gains in 32 steps, not at once; without the focus it is silent.
TEST(Mixer, GainChangesOnAPlayingBufferAreRampedAndTheFocusGoingMutesIt) {
  mixer::Mixer mixer;
  mixer::Voice voice(platform::Samples(1000, 32000), 1);
  mixer.Add(&voice);
  voice.Play(kPlayLooping);
  Render(mixer, 10);
  voice.SetPan(kPanRight);
  const std::vector<int16_t> panned = Render(mixer, 100);
  mixer.SetFocused(false);
  const std::vector<int16_t> unfocused = Render(mixer, 100);
  for (size_t f = 0; f < 100; ++f) {
    const int16_t ramp = int16_t(std::max(0, 31000 - int(1000 * f)));  // 1/32 of 32000 a frame
    EXPECT_EQ(std::pair(panned[2 * f], panned[2 * f + 1]), std::pair(ramp, int16_t{32000})) << f;
    EXPECT_EQ(std::pair(unfocused[2 * f], unfocused[2 * f + 1]), std::pair(int16_t{0}, ramp)) << f;
  }
}

TEST(Mixer, VoicesAreSummedSideBySideAndSaturatedAndAnEmptyOneNeverPlays) {
  mixer::Mixer mixer;
  mixer::Voice mono(platform::Samples(10, 20000), 1), stereo(platform::Samples{30000, -30000}, 2), empty({}, 1);
  for (mixer::Voice* voice : {&mono, &stereo, &empty}) {
    mixer.Add(voice);
    voice->Play(kPlayLooping);
  }
  EXPECT_EQ(empty.Status(), 0) << "a player's empty file has nothing to play";
  EXPECT_EQ(Render(mixer, 1), (std::vector<int16_t>{32767, -10000}));
}

TEST(Mixer, ALostDeviceOwesItsVoicesEveryFrameOfTheTimeAndIsTriedAgainEvery300ms) {
  sdl::LossClock clock(7'000'000);
  // Microseconds since the loss; the frames owed by then in all (22,050 a
  // second, rounded down once); whether an attempt is due, and one made then.
  const struct { uint64_t at, frames; bool due, made; } steps[] = {
      {0, 0, true, true}, {1000, 22, false, false}, {299'999, 6614, false, false}, {300'000, 6615, true, false},
      {350'000, 7717, true, true}, {650'000, 14'332, true, true}, {3'600'000'000, 79'380'000, true, false}};
  for (uint64_t owed = 0; const auto& step : steps) {
    EXPECT_EQ(owed += clock.FramesDue(7'000'000 + step.at), step.frames) << step.at;
    EXPECT_EQ(clock.AttemptDue(7'000'000 + step.at), step.due) << step.at;
    if (step.made) clock.Attempted(7'000'000 + step.at);
  }
}

// What a sound server holds is mixed ahead of what is heard, and mixed again
// from what is heard when the game changes something.
TEST(Mixer, TheAheadTimelineMovesNothingHeardAndStartsAgainWhereTheHeardOneIs) {
  mixer::Mixer mixer;
  const std::vector<int16_t> counted = Counted(1, 1000);
  mixer::Voice voice(platform::Samples(counted.begin(), counted.end()), 2);
  mixer.Add(&voice);
  voice.Play(kPlayOnce);
  mixer.Rewind();
  const auto ahead = [&](size_t frames) {
    std::vector<int16_t> out(frames * 2, 12345);
    Rendering = true;
    mixer.RenderAhead(out.data(), frames);
    Rendering = false;
    return out;
  };
  EXPECT_EQ(ahead(600), Counted(1, 600));
  std::vector<int16_t> ended = Counted(601, 400);
  ended.resize(1000);
  EXPECT_EQ(ahead(500), ended) << "played to its end ahead";
  EXPECT_EQ(voice.Status(), kStatusPlaying) << "but not yet heard to its end";
  EXPECT_EQ(Render(mixer, 100), Counted(1, 100));
  voice.Stop();
  mixer.Rewind();
  EXPECT_EQ(ahead(50), Counted(0, 50));
  voice.Play(kPlayLooping);
  mixer.Rewind();
  EXPECT_EQ(ahead(950), Counted(101, 950)) << "on from the heard position, round the loop";
  EXPECT_EQ(voice.Status(), kStatusPlaying | kStatusLooping);
}

// A device that mixes ahead sees every change a buffer makes, so that it can
// mix its queue again; only a stopped buffer's Play starts a sound.
TEST(Mixer, EveryChangeOfABufferPassesThroughTheDeviceThatMixesAhead) {
  struct Ahead final : mixer::Mixer::Ahead {
    std::string calls;
    void Change(const std::function<void()>& change, bool startsSound) override {
      calls += startsSound ? 'S' : 'c';
      change();
    }
  } ahead;
  auto mixer = std::make_shared<mixer::Mixer>();
  mixer->SetAhead(&ahead);
  const std::string file = "/tmp/grumbosh_mixer_test_" + std::to_string(getpid()) + ".wav";
  wave_test::WriteBytes(file, wave_test::WaveBuilder().Fmt({}).Data(wave_test::Bytes(100, 16)).Build());
  mixer::MixedSoundDevice device(mixer);
  auto buffer = device.CreateSoundBufferFromFile(file, {});
  std::remove(file.c_str());
  buffer->SetVolume(-100);
  buffer->SetPan(100);
  buffer->Play(kPlayOnce);
  buffer->Play(kPlayLooping);
  EXPECT_EQ(buffer->GetStatus(), kStatusPlaying | kStatusLooping) << "each change was made";
  buffer->Stop();
  buffer->Play(kPlayOnce);
  buffer.reset();
  EXPECT_EQ(ahead.calls, "ccSccSc");
  mixer->SetAhead(nullptr);
}
