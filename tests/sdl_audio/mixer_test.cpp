// The mixer core, rendered directly: DirectSound's pan and volume law, its
// play/stop/status rules, looping, the focus rule, and summing.
#include "shell/platform/sdl/sdl_mixer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <numbers>
#include <thread>
#include <tuple>
#include <vector>

#include "shell/platform/platform.h"
#include "tests/support/failure_number.h"

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

double Rms(const std::vector<int16_t>& samples, size_t first, size_t step) {
  double sum = 0;
  for (size_t i = first; i < samples.size(); i += step) sum += double(samples[i]) * samples[i];
  return std::sqrt(sum * static_cast<double>(step) / static_cast<double>(samples.size()));
}

bool AllZero(const std::vector<int16_t>& stereo, int channel, size_t fromFrame = 0) {
  for (size_t i = fromFrame * 2 + static_cast<size_t>(channel); i < stereo.size(); i += 2) {
    if (stereo[i] != 0) return false;
  }
  return true;
}
bool Silent(const std::vector<int16_t>& stereo, size_t fromFrame = 0) {
  return AllZero(stereo, 0, fromFrame) && AllZero(stereo, 1, fromFrame);
}

TEST(Mixer, PanAndVolumeFollowDirectSoundsLaw) {
  struct Case {
    int32_t volume, pan;
    double dB[2];  // expected, left and right
  };
  const Case cases[] = {
      {0, 0, {0, 0}},           {0, 2000, {-20, 0}},        {0, -2000, {0, -20}},        {-400, 0, {-4, -4}},
      {-600, 0, {-6, -6}},      {-400, 2000, {-24, -4}},    {-600, -3000, {-6, -36}},    {0, 150, {-1.5, 0}},
      {-400, -7000, {-4, -74}}, {-50, 5777, {-58.27, -0.5}},
      // 100 dB or more, -10000 alone or volume and pan added up, is exact silence.
      {0, 10000, {-100, 0}},    {0, -10000, {0, -100}},     {-10000, 0, {-100, -100}},   {-6000, 5000, {-110, -60}},
  };
  // One second of a 1 kHz tone, each side measured against the tone itself.
  const auto tone = Sine(sdl::kMixerRate, 16000, 1000);
  for (const Case& c : cases) {
    Mixer mixer;
    Voice voice(tone, 1);
    mixer.Add(&voice);
    voice.SetVolume(c.volume);
    voice.SetPan(c.pan);
    voice.Play(platform::kPlayLooping);
    const auto out = Render(mixer, sdl::kMixerRate);
    EXPECT_EQ(voice.Status(), platform::kStatusPlaying | platform::kStatusLooping) << "even when silent";
    for (size_t side : {0u, 1u}) {
      SCOPED_TRACE(testing::Message() << "volume " << c.volume << " pan " << c.pan << " side " << side);
      const double dB = 20 * std::log10(Rms(out, side, 2) / Rms(tone, 0, 1));
      // Near -90 dB the tone is a few steps of 16 bits and rounding dominates,
      // so there only its presence is checked.
      if (c.dB[side] <= -100) {
        EXPECT_TRUE(AllZero(out, int(side)));
      } else if (c.dB[side] > -70) {
        EXPECT_NEAR(dB, c.dB[side], 0.1);
      } else {
        EXPECT_FALSE(AllZero(out, int(side)));
      }
    }
  }
}

class MixerTest : public testing::Test {
 protected:
  Voice& Add(std::vector<int16_t> samples, int channels = 1) {
    voices_.push_back(std::make_unique<Voice>(std::move(samples), channels));
    mixer.Add(voices_.back().get());
    return *voices_.back();
  }
  Mixer mixer;
  std::vector<std::unique_ptr<Voice>> voices_;
};

TEST_F(MixerTest, FullLevelIsBitExactAndStereoKeepsItsSides) {
  const auto tone = Sine(5000, 30000, 440);
  Add(tone).Play(platform::kPlayOnce);
  auto out = Render(mixer, tone.size());
  for (size_t i = 0; i < tone.size(); ++i) {
    ASSERT_EQ(out[2 * i], tone[i]) << i;
    ASSERT_EQ(out[2 * i + 1], tone[i]) << i;
  }

  // Stereo samples keep their sides, and a pan attenuates each.
  std::vector<int16_t> stereo;
  for (int i = 0; i < 500; ++i) stereo.insert(stereo.end(), {10000, -8000});
  Voice& two = Add(stereo, 2);
  EXPECT_EQ(two.FrameCount(), 500u);
  for (const auto& [pan, left, right] : {std::tuple{2000, 1000, -8000}, std::tuple{-10000, 10000, 0}}) {
    two.Stop();
    Render(mixer, 1);  // from a standstill, so that it starts at its new gains
    two.SetPan(pan);
    two.Play(platform::kPlayOnce);
    out = Render(mixer, 10);
    EXPECT_EQ(out[0], left) << pan;
    EXPECT_EQ(out[1], right) << pan;
  }
}

using test::NumberOf;

TEST_F(MixerTest, OutOfRangeVolumeAndPanAreRejectedAndChangeNothing) {
  Voice& voice = Add(std::vector<int16_t>(1000, 1000));
  voice.SetVolume(-600);
  voice.SetPan(-2000);
  for (int32_t bad : {1, -10001, 100000}) {
    EXPECT_EQ(NumberOf([&] { voice.SetVolume(bad); }), platform::kErrInvalidArgument) << bad;
  }
  for (int32_t bad : {10001, -10001}) {
    EXPECT_EQ(NumberOf([&] { voice.SetPan(bad); }), platform::kErrInvalidArgument) << bad;
  }
  voice.Play(platform::kPlayOnce);
  const auto out = Render(mixer, 100);
  EXPECT_EQ(out[0], std::lrint(1000 * std::pow(10.0, -6.0 / 20)));
  EXPECT_EQ(out[1], std::lrint(1000 * std::pow(10.0, -26.0 / 20)));
}

// Frames [from, to) of `out` hold Counting's samples from `first` on, on both
// sides, wrapping after `period` of them.
void ExpectCounting(const std::vector<int16_t>& out, size_t from, size_t to, size_t first, size_t period = 1u << 20) {
  for (size_t i = from; i < to; ++i) {
    const auto expected = static_cast<int16_t>((first - 1 + i - from) % period + 1);
    ASSERT_EQ(out[2 * i], expected) << "frame " << i;
    ASSERT_EQ(out[2 * i + 1], expected) << "frame " << i;
  }
}

TEST_F(MixerTest, PlayStopResumeRestartAndStatus) {
  Voice& voice = Add(Counting(1000));
  EXPECT_EQ(voice.Status(), 0);
  EXPECT_TRUE(AllZero(Render(mixer, 50), 0));  // a new buffer is stopped
  EXPECT_EQ(voice.Position(), 0u);

  voice.Play(platform::kPlayOnce);
  EXPECT_EQ(voice.Status(), platform::kStatusPlaying);
  ExpectCounting(Render(mixer, 300), 0, 300, 1);

  voice.Stop();
  EXPECT_EQ(voice.Status(), 0);
  auto out = Render(mixer, 100);
  EXPECT_TRUE(Silent(out));
  EXPECT_EQ(voice.Position(), 300u);

  voice.Play(platform::kPlayOnce);  // goes on from where it stopped
  ExpectCounting(Render(mixer, 300), 0, 300, 301);
  voice.Play(platform::kPlayOnce);  // playing already: not restarted
  EXPECT_EQ(voice.Status(), platform::kStatusPlaying);
  ExpectCounting(Render(mixer, 100), 0, 100, 601);
  voice.Play(platform::kPlayLooping);  // switches to looping, still not restarted
  EXPECT_EQ(voice.Status(), platform::kStatusPlaying | platform::kStatusLooping);
  ExpectCounting(Render(mixer, 100), 0, 100, 701);
  voice.Play(platform::kPlayOnce);  // and back
  EXPECT_EQ(voice.Status(), platform::kStatusPlaying);

  // The last 200 frames, then silence: played to its end, it stopped.
  out = Render(mixer, 300);
  ExpectCounting(out, 0, 200, 801);
  EXPECT_TRUE(Silent(out, 200));
  EXPECT_EQ(voice.Status(), 0);
  EXPECT_EQ(voice.Position(), 0u);

  voice.Play(platform::kPlayOnce);  // and starts from the beginning
  ExpectCounting(Render(mixer, 1000), 0, 1000, 1);
  EXPECT_EQ(voice.Status(), 0);  // ending exactly at a render's end
}

TEST_F(MixerTest, LoopingHasNoSeamAndNeverStops) {
  Voice& voice = Add(Counting(97));
  voice.Play(platform::kPlayLooping);
  size_t frame = 0;
  for (size_t block : {256u, 1u, 96u, 97u, 3000u}) {
    ExpectCounting(Render(mixer, block), 0, block, frame % 97 + 1, 97);
    frame += block;
    EXPECT_EQ(voice.Status(), platform::kStatusPlaying | platform::kStatusLooping);
    EXPECT_EQ(voice.Position(), frame % 97);
  }
}

TEST_F(MixerTest, UnfocusedIsSilentButPositionsGoOn) {
  Voice& looping = Add(Counting(5000));
  Voice& once = Add(Counting(5000));
  looping.SetVolume(-600);
  looping.Play(platform::kPlayLooping);
  Render(mixer, 100);

  mixer.SetFocused(false);
  auto out = Render(mixer, 256);
  // The gain falls to 0 within a short ramp, then exact silence.
  EXPECT_TRUE(Silent(out, Mixer::kRampFrames));
  once.Play(platform::kPlayOnce);  // a sound started while unfocused is not heard either
  out = Render(mixer, 1000);
  EXPECT_TRUE(Silent(out));
  EXPECT_EQ(looping.Position(), 1356u);
  EXPECT_EQ(once.Position(), 1000u);
  EXPECT_EQ(once.Status(), platform::kStatusPlaying);

  mixer.SetFocused(true);
  looping.Stop();
  Render(mixer, 1);  // `once` at 1001 now
  // Back at full level after the ramp, from where the position had got to.
  ExpectCounting(Render(mixer, 3999), Mixer::kRampFrames, 3999, 1002 + Mixer::kRampFrames);
}

TEST_F(MixerTest, VoicesAreSummedAndSaturated) {
  const auto stereo = [this](int16_t level) -> Voice& {
    std::vector<int16_t> samples;
    for (int i = 0; i < 100; ++i) samples.insert(samples.end(), {level, static_cast<int16_t>(-level)});
    Voice& voice = Add(samples, 2);
    voice.Play(platform::kPlayOnce);
    return voice;
  };
  stereo(1000);
  stereo(2345);
  auto out = Render(mixer, 10);
  EXPECT_EQ(out[0], 3345);
  EXPECT_EQ(out[19], -3345);
  stereo(30000);  // 33345, clipped high on the left and low on the right
  out = Render(mixer, 10);
  EXPECT_EQ(out[0], 32767);
  EXPECT_EQ(out[1], -32768);
}

TEST_F(MixerTest, PanChangesWhilePlayingAreRampedNotStepped) {
  Voice& voice = Add(std::vector<int16_t>(20000, 20000));
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
}

TEST_F(MixerTest, RemovedEmptyAndTooManyVoices) {
  Voice& voice = Add(std::vector<int16_t>(1000, 500));
  voice.Play(platform::kPlayLooping);
  EXPECT_EQ(Render(mixer, 10)[0], 500);
  mixer.Remove(&voice);
  auto out = Render(mixer, 10);
  EXPECT_TRUE(Silent(out)) << "a removed voice is silent at once";

  Voice& empty = Add({});
  empty.Play(platform::kPlayLooping);
  EXPECT_EQ(empty.Status(), 0) << "an empty voice never plays";
  EXPECT_TRUE(AllZero(Render(mixer, 10), 0));

  // Every slot taken: `voice` is in the list but no longer in the mixer.
  while (voices_.size() <= Mixer::kMaxVoices) Add(std::vector<int16_t>(10, 1));
  Voice extra(std::vector<int16_t>(10, 1), 1);
  EXPECT_EQ(NumberOf([&] { mixer.Add(&extra); }), platform::kErrOutOfMemory);
  mixer.Remove(&empty);
  mixer.Add(&extra);  // a freed slot is reused
  mixer.Remove(&extra);
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
