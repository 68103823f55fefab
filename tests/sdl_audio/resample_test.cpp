// Files at other rates are brought to the mixer's rate when loaded.
#include "shell/platform/sdl/sdl_audio_resample.h"

#include <gtest/gtest.h>

#include <vector>

#include "shell/platform/platform.h"
#include "shell/platform/sdl/sdl_mixer.h"
#include "shell/platform/wave_file.h"

namespace {

TEST(Resample, MixerRateIsUntouchedAndOtherRatesKeepDurationAndShape) {
  std::vector<int16_t> ramp;
  for (int i = 0; i < 4410; ++i) ramp.push_back(static_cast<int16_t>(i * 7 - 15000));
  EXPECT_EQ(sdl::ResampleToMixerRate(ramp, 1, sdl::kMixerRate), ramp);

  // Twice the rate: every other sample.
  auto half = sdl::ResampleToMixerRate(ramp, 1, 44100);
  ASSERT_EQ(half.size(), 2205u);
  for (size_t i = 0; i < half.size(); ++i) ASSERT_EQ(half[i], ramp[2 * i]) << i;

  // Half the rate: the originals with their midpoints between.
  auto twice = sdl::ResampleToMixerRate(ramp, 1, 11025);
  ASSERT_EQ(twice.size(), 8820u);
  for (size_t i = 0; i + 2 < twice.size(); ++i) {
    const int expected = i % 2 == 0 ? ramp[i / 2] : (ramp[i / 2] + ramp[i / 2 + 1]) / 2;
    ASSERT_NEAR(twice[i], expected, 1) << i;
  }

  // 48 kHz: one second stays one second.
  EXPECT_EQ(sdl::ResampleToMixerRate(std::vector<int16_t>(48000, 1), 1, 48000).size(), 22050u);
}

TEST(Resample, StereoChannelsStayApartAndBadRatesAreRejected) {
  std::vector<int16_t> stereo;
  for (int i = 0; i < 1000; ++i) {
    stereo.push_back(3000);
    stereo.push_back(static_cast<int16_t>(-i));
  }
  const auto out = sdl::ResampleToMixerRate(stereo, 2, 8000);
  ASSERT_EQ(out.size() % 2, 0u);
  EXPECT_EQ(out.size() / 2, (1000u * 22050 + 4000) / 8000);
  for (size_t i = 0; i < out.size(); i += 2) {
    ASSERT_EQ(out[i], 3000);
    ASSERT_LE(out[i + 1], 0);
  }
  EXPECT_EQ(out[out.size() - 1], -999);

  try {
    sdl::ResampleToMixerRate(stereo, 2, 0);
    ADD_FAILURE() << "rate 0 accepted";
  } catch (const platform::RuntimeError& e) {
    EXPECT_EQ(e.Number(), platform::kDsErrBadFormat);
  }
  try {
    sdl::ResampleToMixerRate(std::vector<int16_t>(platform::kMaxWaveFileBytes / 2, 0), 1, 1);
    ADD_FAILURE() << "a sound of gigabytes accepted";
  } catch (const platform::RuntimeError& e) {
    EXPECT_EQ(e.Number(), platform::kErrOutOfMemory);
  }
}

}  // namespace
