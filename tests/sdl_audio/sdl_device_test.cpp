// The sound device through SDL itself, on its disk driver: a buffer created
// from a wave file and played comes out in the device's file, panned.
#include "shell/platform/sdl/sdl_audio.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "shell/main_window.h"
#include "shell/platform/platform.h"
#include "tests/wave/wave_bytes.h"
#include "tests/support/failure_number.h"

namespace {

namespace fs = std::filesystem;

void WriteWave(const fs::path& path, const std::vector<int16_t>& samples, uint16_t channels, uint32_t rate) {
  using namespace wave_test;
  WriteBytes(path.string(), WaveBuilder().Fmt({1, channels, rate, 16}).Data(Samples16(samples)).Build());
}

std::vector<int16_t> ReadRaw(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<int16_t> samples(bytes.size() / 2);
  for (size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                      (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
  }
  return samples;
}

class SdlSoundDevice : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("grumbosh_sdl_audio_" + std::to_string(getpid()));
    fs::create_directories(dir_);
    SDL_setenv("SDL_AUDIODRIVER", "disk", 1);
    SDL_setenv("SDL_DISKAUDIOFILE", (dir_ / "out.raw").c_str(), 1);
  }
  void TearDown() override { fs::remove_all(dir_); }

  bool WaitWhilePlaying(platform::SoundBuffer& buffer) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (buffer.GetStatus() != 0) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
  }

  fs::path dir_;
};

using test::NumberOf;

platform::BufferDescription GameDescription() {
  platform::BufferDescription d;
  d.flags = 194;
  d.bufferBytes = 44100;
  d.format = {1, 1, 22050, 44100, 2, 16, 0};
  d.algorithm3D = "DS3DALG_DEFAULT";
  return d;
}

TEST_F(SdlSoundDevice, APlayedBufferComesOutOfTheDevicePanned) {
  std::vector<int16_t> sound;
  for (int i = 0; i < 4000; ++i) sound.push_back(static_cast<int16_t>(1 + (i * 37) % 20000));
  WriteWave(dir_ / "sound.wav", sound, 1, 22050);
  {
    auto device = sdl::OpenSoundDevice();
    device->SetCooperativeLevel(0, platform::kCooperativePriority);
    platform::BufferDescription primary;
    primary.flags = platform::kBufferPrimary | platform::kBufferCtrl3D;
    auto primaryBuffer = device->CreatePrimaryBuffer(primary);
    EXPECT_NE(primaryBuffer->GetDirectSound3DListener(), nullptr);

    auto buffer = device->CreateSoundBufferFromFile((dir_ / "sound.wav").string(), GameDescription());
    EXPECT_EQ(buffer->GetStatus(), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));  // some silence first
    buffer->SetPan(platform::kPanRight);
    buffer->Play(platform::kPlayOnce);
    EXPECT_EQ(buffer->GetStatus(), platform::kStatusPlaying);
    ASSERT_TRUE(WaitWhilePlaying(*buffer));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }  // closing the device finishes the file

  const auto out = ReadRaw(dir_ / "out.raw");
  size_t start = 0;
  while (start + 1 < out.size() && out[start + 1] == 0) start += 2;
  ASSERT_GE(out.size(), start + sound.size() * 2) << "the sound is not in the device's file";
  EXPECT_GT(start, 0u) << "the device file should begin with silence";
  for (size_t i = 0; i < sound.size(); ++i) {
    ASSERT_EQ(out[start + 2 * i], 0) << "left side, frame " << i;
    ASSERT_EQ(out[start + 2 * i + 1], sound[i]) << "right side, frame " << i;
  }
  for (size_t i = start + sound.size() * 2; i < out.size(); ++i) ASSERT_EQ(out[i], 0) << "after the end";
}

TEST_F(SdlSoundDevice, FailuresPropagateAndBuffersOutliveTheDevice) {
  std::vector<int16_t> stereo44k;
  for (int i = 0; i < 4410; ++i) stereo44k.insert(stereo44k.end(), {1000, -1000});
  WriteWave(dir_ / "player.wav", stereo44k, 2, 44100);
  std::shared_ptr<platform::SoundBuffer> buffer;
  {
    auto device = sdl::OpenSoundDevice();
    EXPECT_EQ(NumberOf([&] { device->CreateSoundBufferFromFile((dir_ / "missing.wav").string(), GameDescription()); }),
              platform::kErrFileNotFound);
    // A buffer has only the controls it was asked for.
    platform::BufferDescription plain = GameDescription();
    plain.flags = platform::kBufferStatic;
    auto bare = device->CreateSoundBufferFromFile((dir_ / "player.wav").string(), plain);
    EXPECT_EQ(NumberOf([&] { bare->SetPan(0); }), platform::kDsErrControlUnavailable);
    EXPECT_EQ(NumberOf([&] { bare->SetVolume(0); }), platform::kDsErrControlUnavailable);
    buffer = device->CreateSoundBufferFromFile((dir_ / "player.wav").string(), GameDescription());
    buffer->Play(platform::kPlayOnce);
    ASSERT_TRUE(WaitWhilePlaying(*buffer));  // 0.1 s of a 44.1 kHz file plays
  }
  // The device is gone; the buffer still answers, silently.
  buffer->Play(platform::kPlayLooping);
  EXPECT_EQ(buffer->GetStatus(), platform::kStatusPlaying | platform::kStatusLooping);
  buffer->Stop();
  buffer.reset();

  SDL_setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
  EXPECT_EQ(NumberOf([] { sdl::OpenSoundDevice(); }), platform::kDsErrNoDriver);
}

TEST_F(SdlSoundDevice, FocusMutesEveryBufferOfTheDevice) {
  WriteWave(dir_ / "tone.wav", std::vector<int16_t>(22050, 5000), 1, 22050);
  {
    auto device = sdl::OpenSoundDevice();
    auto buffer = device->CreateSoundBufferFromFile((dir_ / "tone.wav").string(), GameDescription());
    sdl::SetAudioFocus(false);
    buffer->Play(platform::kPlayOnce);
    ASSERT_TRUE(WaitWhilePlaying(*buffer));  // muted, yet it plays to its end
    sdl::SetAudioFocus(true);
  }
  for (int16_t s : ReadRaw(dir_ / "out.raw")) ASSERT_EQ(s, 0);
}

// A window that opens behind another program's never has the focus; the
// game must be silent from its first sound, not only after a focus change.
TEST_F(SdlSoundDevice, AWindowOpenedWithoutTheFocusIsSilentFromTheStart) {
  static fs::path tone;
  static bool played;
  tone = dir_ / "tone.wav";
  played = false;
  WriteWave(tone, std::vector<int16_t>(4410, 5000), 1, 22050);
  SDL_setenv("SDL_VIDEODRIVER", "offscreen", 1);  // a window nothing ever focuses
  const int status = platform::RunProgram({"Test"}, [] {
    ShowMainWindow();
    platform::DoEvents();
    auto device = sdl::OpenSoundDevice();
    auto buffer = device->CreateSoundBufferFromFile(tone.string(), GameDescription());
    buffer->Play(platform::kPlayOnce);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (buffer->GetStatus() != 0 && std::chrono::steady_clock::now() < deadline) platform::DoEvents();
    played = buffer->GetStatus() == 0;
  });
  sdl::SetAudioFocus(true);
  EXPECT_EQ(status, 0);
  ASSERT_TRUE(played);
  const std::vector<int16_t> out = ReadRaw(dir_ / "out.raw");
  ASSERT_GE(out.size(), 2u * 4410u);
  for (int16_t sample : out) ASSERT_EQ(sample, 0);
}

}  // namespace
