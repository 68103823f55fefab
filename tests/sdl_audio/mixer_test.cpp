// The mixer core, rendered directly: DirectSound's pan and volume law, its
// play/stop/status rules, looping, the focus rule, and summing.
#include "shell/platform/sdl/sdl_mixer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <thread>
#include <vector>

#include "shell/platform/platform.h"

namespace {

using sdl::Mixer;
using sdl::Voice;

std::vector<int16_t> Sine(size_t frames, double amplitude, double hertz) {
  std::vector<int16_t> s(frames);
  for (size_t i = 0; i < frames; ++i) {
    s[i] = static_cast<int16_t>(std::lrint(amplitude * std::sin(2 * std::numbers::pi * hertz *
                                                                static_cast<double>(i) / sdl::kMixerRate)));
  }
  return s;
}

// Samples 1, 2, 3, ...: every frame tells where it came from.
std::vector<int16_t> Counting(size_t frames) {
  std::vector<int16_t> s(frames);
  for (size_t i = 0; i < frames; ++i) s[i] = static_cast<int16_t>(i + 1);
  return s;
}

std::vector<int16_t> Render(Mixer& mixer, size_t frames) {
  std::vector<int16_t> out(frames * 2, 12345);  // not silence: Render must write every sample
  mixer.Render(out.data(), frames);
  return out;
}

double Rms(const std::vector<int16_t>& stereo, int channel) {
  double sum = 0;
  size_t n = 0;
  for (size_t i = static_cast<size_t>(channel); i < stereo.size(); i += 2, ++n) sum += double(stereo[i]) * stereo[i];
  return std::sqrt(sum / static_cast<double>(n));
}

bool AllZero(const std::vector<int16_t>& stereo, int channel, size_t fromFrame = 0) {
  for (size_t i = fromFrame * 2 + static_cast<size_t>(channel); i < stereo.size(); i += 2) {
    if (stereo[i] != 0) return false;
  }
  return true;
}

// Renders one second of a 1 kHz tone at the given volume and pan and returns
// each side's level relative to the tone itself, in decibels.
struct Levels {
  double left, right;
  bool leftSilent, rightSilent;
};
Levels Measure(int32_t volume, int32_t pan) {
  const auto tone = Sine(sdl::kMixerRate, 16000, 1000);
  Mixer mixer;
  Voice voice(tone, 1);
  mixer.Add(&voice);
  voice.SetVolume(volume);
  voice.SetPan(pan);
  voice.Play(platform::kPlayLooping);
  const auto out = Render(mixer, sdl::kMixerRate);
  mixer.Remove(&voice);
  std::vector<int16_t> reference(tone.size() * 2);
  for (size_t i = 0; i < tone.size(); ++i) reference[2 * i] = reference[2 * i + 1] = tone[i];
  const double ref = Rms(reference, 0);
  return {20 * std::log10(Rms(out, 0) / ref), 20 * std::log10(Rms(out, 1) / ref), AllZero(out, 0),
          AllZero(out, 1)};
}

TEST(Mixer, PanAndVolumeFollowDirectSoundsLaw) {
  struct Case {
    int32_t volume, pan;
    double left, right;  // expected dB
  };
  const Case cases[] = {
      {0, 0, 0, 0},           {0, 2000, -20, 0},        {0, -2000, 0, -20},        {-400, 0, -4, -4},
      {-600, 0, -6, -6},      {-400, 2000, -24, -4},    {-600, -3000, -6, -36},    {0, 150, -1.5, 0},
      {-400, -7000, -4, -74}, {-50, 5777, -58.27, -0.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "volume " << c.volume << " pan " << c.pan);
    const Levels l = Measure(c.volume, c.pan);
    // Near -90 dB the tone is a few steps of 16 bits and rounding dominates,
    // so there only its presence is checked.
    if (c.left > -70) EXPECT_NEAR(l.left, c.left, 0.1); else EXPECT_FALSE(l.leftSilent);
    if (c.right > -70) EXPECT_NEAR(l.right, c.right, 0.1); else EXPECT_FALSE(l.rightSilent);
  }
}

TEST(Mixer, FullLevelCentreIsBitExactAndTheFarSideOfAFullPanIsSilent) {
  const auto tone = Sine(5000, 30000, 440);
  Mixer mixer;
  Voice voice(tone, 1);
  mixer.Add(&voice);
  voice.Play(platform::kPlayOnce);
  auto out = Render(mixer, tone.size());
  for (size_t i = 0; i < tone.size(); ++i) {
    ASSERT_EQ(out[2 * i], tone[i]) << i;
    ASSERT_EQ(out[2 * i + 1], tone[i]) << i;
  }

  for (int32_t pan : {platform::kPanRight, platform::kPanLeft}) {
    voice.Stop();
    Render(mixer, 10);  // forget the gains the voice was last heard at
    voice.SetPan(pan);
    voice.Play(platform::kPlayOnce);
    out = Render(mixer, tone.size());
    const int silentSide = pan > 0 ? 0 : 1;
    EXPECT_TRUE(AllZero(out, silentSide));
    EXPECT_NEAR(Rms(out, 1 - silentSide), 30000 / std::sqrt(2.0), 10);
  }
  mixer.Remove(&voice);
}

TEST(Mixer, VolumeOfMinus10000IsExactSilenceAndAttenuationsAddUpToIt) {
  const auto tone = Sine(4000, 32000, 300);
  Mixer mixer;
  Voice voice(tone, 1);
  mixer.Add(&voice);
  voice.SetVolume(platform::kVolumeSilent);
  voice.Play(platform::kPlayLooping);
  auto out = Render(mixer, 4000);
  EXPECT_TRUE(AllZero(out, 0));
  EXPECT_TRUE(AllZero(out, 1));
  EXPECT_EQ(voice.Status(), platform::kStatusPlaying | platform::kStatusLooping);

  // -60 dB of volume and 50 dB of pan: the left side is beyond 100 dB.
  voice.Stop();
  Render(mixer, 1);
  voice.SetVolume(-6000);
  voice.SetPan(5000);
  voice.Play(platform::kPlayLooping);
  out = Render(mixer, 4000);
  EXPECT_TRUE(AllZero(out, 0));
  EXPECT_FALSE(AllZero(out, 1));
  mixer.Remove(&voice);
}

TEST(Mixer, OutOfRangeVolumeAndPanAreRejectedAndChangeNothing) {
  Mixer mixer;
  Voice voice(std::vector<int16_t>(1000, 1000), 1);
  mixer.Add(&voice);
  voice.SetVolume(-600);
  voice.SetPan(-2000);
  for (int32_t bad : {1, -10001, 100000}) {
    try {
      voice.SetVolume(bad);
      ADD_FAILURE() << "volume " << bad << " accepted";
    } catch (const platform::RuntimeError& e) {
      EXPECT_EQ(e.Number(), platform::kErrInvalidArgument);
    }
  }
  for (int32_t bad : {10001, -10001}) {
    try {
      voice.SetPan(bad);
      ADD_FAILURE() << "pan " << bad << " accepted";
    } catch (const platform::RuntimeError& e) {
      EXPECT_EQ(e.Number(), platform::kErrInvalidArgument);
    }
  }
  voice.Play(platform::kPlayOnce);
  const auto out = Render(mixer, 100);
  EXPECT_EQ(out[0], std::lrint(1000 * std::pow(10.0, -6.0 / 20)));
  EXPECT_EQ(out[1], std::lrint(1000 * std::pow(10.0, -26.0 / 20)));
  mixer.Remove(&voice);
}

TEST(Mixer, PlayStopResumeRestartAndStatus) {
  const auto samples = Counting(1000);
  Mixer mixer;
  Voice voice(samples, 1);
  mixer.Add(&voice);
  auto expectFrames = [](const std::vector<int16_t>& out, int first, size_t count) {
    for (size_t i = 0; i < count; ++i) {
      ASSERT_EQ(out[2 * i], first + static_cast<int>(i)) << "frame " << i;
      ASSERT_EQ(out[2 * i + 1], first + static_cast<int>(i)) << "frame " << i;
    }
  };

  EXPECT_EQ(voice.Status(), 0);
  EXPECT_TRUE(AllZero(Render(mixer, 50), 0));  // a new buffer is stopped
  EXPECT_EQ(voice.Position(), 0u);

  voice.Play(platform::kPlayOnce);
  EXPECT_EQ(voice.Status(), platform::kStatusPlaying);
  expectFrames(Render(mixer, 300), 1, 300);

  voice.Stop();
  EXPECT_EQ(voice.Status(), 0);
  EXPECT_EQ(voice.Position(), 300u);
  auto out = Render(mixer, 100);
  EXPECT_TRUE(AllZero(out, 0) && AllZero(out, 1));
  EXPECT_EQ(voice.Position(), 300u);

  voice.Play(platform::kPlayOnce);  // goes on from where it stopped
  expectFrames(Render(mixer, 300), 301, 300);

  voice.Play(platform::kPlayOnce);  // playing already: not restarted
  EXPECT_EQ(voice.Status(), platform::kStatusPlaying);
  expectFrames(Render(mixer, 100), 601, 100);

  voice.Play(platform::kPlayLooping);  // switches to looping, still not restarted
  EXPECT_EQ(voice.Status(), platform::kStatusPlaying | platform::kStatusLooping);
  expectFrames(Render(mixer, 100), 701, 100);
  voice.Play(platform::kPlayOnce);  // and back
  EXPECT_EQ(voice.Status(), platform::kStatusPlaying);

  // The last 200 frames, then silence: played to its end, it stopped.
  out = Render(mixer, 300);
  expectFrames(out, 801, 200);
  EXPECT_TRUE(AllZero(out, 0, 200) && AllZero(out, 1, 200));
  EXPECT_EQ(voice.Status(), 0);
  EXPECT_EQ(voice.Position(), 0u);

  voice.Play(platform::kPlayOnce);  // and starts from the beginning
  EXPECT_EQ(voice.Status(), platform::kStatusPlaying);
  expectFrames(Render(mixer, 1000), 1, 1000);
  EXPECT_EQ(voice.Status(), 0);  // ending exactly at a render's end
  mixer.Remove(&voice);
}

TEST(Mixer, LoopingHasNoSeamAndNeverStops) {
  const auto samples = Counting(97);
  Mixer mixer;
  Voice voice(samples, 1);
  mixer.Add(&voice);
  voice.Play(platform::kPlayLooping);
  size_t frame = 0;
  for (size_t block : {256u, 1u, 96u, 97u, 3000u}) {
    const auto out = Render(mixer, block);
    for (size_t i = 0; i < block; ++i, ++frame) {
      ASSERT_EQ(out[2 * i], samples[frame % 97]) << "frame " << frame;
      ASSERT_EQ(out[2 * i + 1], samples[frame % 97]) << "frame " << frame;
    }
    EXPECT_EQ(voice.Status(), platform::kStatusPlaying | platform::kStatusLooping);
    EXPECT_EQ(voice.Position(), frame % 97);
  }
  mixer.Remove(&voice);
}

TEST(Mixer, UnfocusedIsSilentButPositionsGoOn) {
  const auto samples = Counting(5000);
  Mixer mixer;
  Voice looping(samples, 1);
  Voice once(samples, 1);
  mixer.Add(&looping);
  mixer.Add(&once);
  looping.SetVolume(-600);
  looping.Play(platform::kPlayLooping);
  Render(mixer, 100);

  mixer.SetFocused(false);
  auto out = Render(mixer, 256);
  // The gain falls to 0 within a short ramp, then exact silence.
  EXPECT_TRUE(AllZero(out, 0, Mixer::kRampFrames) && AllZero(out, 1, Mixer::kRampFrames));
  once.Play(platform::kPlayOnce);  // a sound started while unfocused is not heard either
  out = Render(mixer, 1000);
  EXPECT_TRUE(AllZero(out, 0) && AllZero(out, 1));
  EXPECT_EQ(looping.Position(), 1356u);
  EXPECT_EQ(once.Position(), 1000u);
  EXPECT_EQ(once.Status(), platform::kStatusPlaying);

  mixer.SetFocused(true);
  looping.Stop();
  Render(mixer, 1);  // `once` at 1001 now
  out = Render(mixer, 4000);
  // Back at full level after the ramp, from where the position had got to.
  for (size_t i = Mixer::kRampFrames; i < 3999; ++i) ASSERT_EQ(out[2 * i], static_cast<int16_t>(1002 + i)) << i;
  mixer.Remove(&looping);
  mixer.Remove(&once);
}

TEST(Mixer, VoicesAreSummedAndSaturated) {
  Mixer mixer;
  Voice a(std::vector<int16_t>(100, 1000), 1);
  Voice b(std::vector<int16_t>(100, 2345), 1);
  Voice c(std::vector<int16_t>(100, 30000), 1);
  Voice d(std::vector<int16_t>(100, -30000), 1);
  for (Voice* v : {&a, &b, &c, &d}) mixer.Add(v);

  a.Play(platform::kPlayOnce);
  b.Play(platform::kPlayOnce);
  auto out = Render(mixer, 10);
  EXPECT_EQ(out[0], 3345);
  EXPECT_EQ(out[19], 3345);

  c.Play(platform::kPlayOnce);  // 33345: clipped high
  out = Render(mixer, 10);
  EXPECT_EQ(out[0], 32767);
  EXPECT_EQ(out[1], 32767);

  a.Stop();
  b.Stop();
  c.Stop();
  d.SetVolume(0);
  Voice e(std::vector<int16_t>(100, -30000), 1);
  mixer.Add(&e);
  d.Play(platform::kPlayOnce);
  e.Play(platform::kPlayOnce);  // -60000: clipped low
  out = Render(mixer, 10);
  EXPECT_EQ(out[0], -32768);
  EXPECT_EQ(out[1], -32768);
  for (Voice* v : {&a, &b, &c, &d, &e}) mixer.Remove(v);
}

TEST(Mixer, StereoSamplesKeepTheirSidesAndPanAttenuatesEach) {
  std::vector<int16_t> stereo;
  for (int i = 0; i < 500; ++i) {
    stereo.push_back(10000);
    stereo.push_back(-8000);
  }
  Mixer mixer;
  Voice voice(stereo, 2);
  EXPECT_EQ(voice.FrameCount(), 500u);
  mixer.Add(&voice);
  voice.SetPan(2000);
  voice.Play(platform::kPlayOnce);
  auto out = Render(mixer, 10);
  EXPECT_EQ(out[0], 1000);  // -20 dB
  EXPECT_EQ(out[1], -8000);
  voice.Stop();
  Render(mixer, 1);
  voice.SetPan(-10000);
  voice.Play(platform::kPlayOnce);
  out = Render(mixer, 10);
  EXPECT_EQ(out[0], 10000);
  EXPECT_EQ(out[1], 0);
  mixer.Remove(&voice);
}

TEST(Mixer, PanChangesWhilePlayingAreRampedNotStepped) {
  Mixer mixer;
  Voice voice(std::vector<int16_t>(20000, 20000), 1);
  mixer.Add(&voice);
  voice.Play(platform::kPlayOnce);
  Render(mixer, 100);
  voice.SetPan(platform::kPanRight);
  auto out = Render(mixer, 100);
  int previous = 20000;
  for (size_t i = 0; i < 100; ++i) {
    ASSERT_LE(std::abs(out[2 * i] - previous), 20000 / static_cast<int>(Mixer::kRampFrames) + 1) << i;
    previous = out[2 * i];
  }
  EXPECT_TRUE(AllZero(out, 0, Mixer::kRampFrames));
  EXPECT_EQ(out[1], 20000);
  mixer.Remove(&voice);
}

TEST(Mixer, RemovedVoiceIsSilentAtOnceAndEmptyVoiceNeverPlays) {
  Mixer mixer;
  Voice voice(std::vector<int16_t>(1000, 500), 1);
  mixer.Add(&voice);
  voice.Play(platform::kPlayLooping);
  EXPECT_EQ(Render(mixer, 10)[0], 500);
  mixer.Remove(&voice);
  auto out = Render(mixer, 10);
  EXPECT_TRUE(AllZero(out, 0) && AllZero(out, 1));

  Voice empty(std::vector<int16_t>{}, 1);
  mixer.Add(&empty);
  empty.Play(platform::kPlayLooping);
  EXPECT_EQ(empty.Status(), 0);
  out = Render(mixer, 10);
  EXPECT_TRUE(AllZero(out, 0));
  mixer.Remove(&empty);
}

TEST(Mixer, TooManyVoicesIsOutOfMemory) {
  Mixer mixer;
  std::vector<std::unique_ptr<Voice>> voices;
  for (size_t i = 0; i < Mixer::kMaxVoices; ++i) {
    voices.push_back(std::make_unique<Voice>(std::vector<int16_t>(10, 1), 1));
    mixer.Add(voices.back().get());
  }
  Voice extra(std::vector<int16_t>(10, 1), 1);
  try {
    mixer.Add(&extra);
    ADD_FAILURE() << "a voice beyond the limit was accepted";
  } catch (const platform::RuntimeError& e) {
    EXPECT_EQ(e.Number(), platform::kErrOutOfMemory);
  }
  mixer.Remove(voices.front().get());
  mixer.Add(&extra);  // a freed slot is reused
  mixer.Remove(&extra);
  for (size_t i = 1; i < voices.size(); ++i) mixer.Remove(voices[i].get());
}

// The audio thread renders without pause while the game thread creates,
// plays, pans and releases buffers: under the sanitizers this catches a
// voice being mixed after its release or a data race on its state.
TEST(Mixer, ReleasingWhileTheCallbackRendersIsSafe) {
  Mixer mixer;
  std::atomic<bool> done{false};
  std::atomic<long> renders{0};
  std::thread audio([&] {
    std::vector<int16_t> out(256 * 2);
    while (!done.load()) {
      mixer.Render(out.data(), 256);
      renders.fetch_add(1);
    }
  });
  while (renders.load() == 0) std::this_thread::yield();
  for (int i = 0; i < 2000; ++i) {
    auto voice = std::make_unique<Voice>(std::vector<int16_t>(static_cast<size_t>(100 + i % 300), 7), 1);
    mixer.Add(voice.get());
    voice->SetPan((i % 3 - 1) * 10000);
    voice->Play(i % 2);
    if (i % 5 == 0) voice->Stop();
    if (i % 7 == 0) voice->Play(platform::kPlayLooping);
    (void)voice->Status();
    // Now and then let a render or two see the voice before it goes.
    if (i % 10 == 0) {
      const long seen = renders.load();
      while (renders.load() < seen + 2) std::this_thread::yield();
    }
    mixer.Remove(voice.get());
  }
  done.store(true);
  audio.join();
  EXPECT_GE(renders.load(), 400);
}

}  // namespace
