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
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "shell/platform/platform.h"

namespace {

namespace fs = std::filesystem;

void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v & 0xFF));
  b.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

void WriteWave(const fs::path& path, const std::vector<int16_t>& samples, uint16_t channels, uint32_t rate) {
  std::vector<uint8_t> b;
  const auto dataBytes = static_cast<uint32_t>(samples.size() * 2);
  for (char c : std::string("RIFF")) b.push_back(static_cast<uint8_t>(c));
  Put32(b, 36 + dataBytes);
  for (char c : std::string("WAVEfmt ")) b.push_back(static_cast<uint8_t>(c));
  Put32(b, 16);
  Put16(b, 1);
  Put16(b, channels);
  Put32(b, rate);
  Put32(b, rate * channels * 2);
  Put16(b, static_cast<uint32_t>(channels * 2));
  Put16(b, 16);
  for (char c : std::string("data")) b.push_back(static_cast<uint8_t>(c));
  Put32(b, dataBytes);
  for (int16_t s : samples) Put16(b, static_cast<uint16_t>(s));
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()),
                                                static_cast<std::streamsize>(b.size()));
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

TEST_F(SdlSoundDevice, FileFailuresPropagateAndBuffersOutliveTheDevice) {
  std::vector<int16_t> stereo44k;
  for (int i = 0; i < 4410; ++i) {
    stereo44k.push_back(1000);
    stereo44k.push_back(-1000);
  }
  WriteWave(dir_ / "player.wav", stereo44k, 2, 44100);
  std::shared_ptr<platform::SoundBuffer> buffer;
  {
    auto device = sdl::OpenSoundDevice();
    try {
      device->CreateSoundBufferFromFile((dir_ / "missing.wav").string(), GameDescription());
      ADD_FAILURE() << "a missing file made a buffer";
    } catch (const platform::RuntimeError& e) {
      EXPECT_EQ(e.Number(), platform::kErrFileNotFound);
    }
    buffer = device->CreateSoundBufferFromFile((dir_ / "player.wav").string(), GameDescription());
    buffer->Play(platform::kPlayOnce);
    ASSERT_TRUE(WaitWhilePlaying(*buffer));  // 0.1 s of a 44.1 kHz file plays
  }
  // The device is gone; the buffer still answers, silently.
  buffer->Play(platform::kPlayLooping);
  EXPECT_EQ(buffer->GetStatus(), platform::kStatusPlaying | platform::kStatusLooping);
  buffer->Stop();
  buffer.reset();
}

TEST_F(SdlSoundDevice, NoDriverIsTheSoundDriverFailure) {
  SDL_setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
  try {
    sdl::OpenSoundDevice();
    ADD_FAILURE() << "a device opened without a driver";
  } catch (const platform::RuntimeError& e) {
    EXPECT_EQ(e.Number(), platform::kDsErrNoDriver);
    EXPECT_FALSE(e.Description().empty());
  }
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

}  // namespace
