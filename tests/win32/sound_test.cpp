// DirectSound 8 through the platform layer. Needs a sound device: the test
// script gives wine ALSA's null device.
#include <gtest/gtest.h>
#include <dsound.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/main_window.h"
#include "shell/platform/platform.h"
#include "shell/platform/wave_file.h"
#include "shell/platform/win32/win32_sound.h"
#include "shell/platform/win32/win32_window.h"
#include "tests/wave/wave_bytes.h"
#include "tests/support/failure_number.h"

namespace {

using platform::BufferDescription;

const std::string kSounds = std::string(GRUMBOSH_PROGRAM_FOLDER) + "/sounds/";

BufferDescription GameDescription(int32_t flags) {
  BufferDescription description;
  description.flags = flags;
  description.bufferBytes = 44100;
  description.format = {1, 1, 22050, 44100, 2, 16, 0};
  description.algorithm3D = "DS3DALG_DEFAULT";
  return description;
}

std::shared_ptr<platform::SoundDevice> OpenDevice() {
  if (win32::MainWindow() == nullptr) platform::ShowForm(frmGrumboshDescription());
  std::shared_ptr<platform::SoundDevice> device = platform::CreateDirectX()->DirectSoundCreate("");
  device->SetCooperativeLevel(platform::FormHandle(), platform::kCooperativePriority);
  return device;
}

// Plays to the end, polling as the game's waits do; false if it never ends.
bool PlaysToItsEnd(platform::SoundBuffer& buffer) {
  const ULONGLONG giveUp = GetTickCount64() + 30000;  // a hang guard, not a timing check
  while (buffer.GetStatus() != 0) {
    if (GetTickCount64() > giveUp) return false;
    platform::DoEvents();
    Sleep(1);
  }
  return true;
}

using test::NumberOf;

void WriteWave(const std::string& path, uint16_t channels, uint32_t rate, uint16_t bits,
               const std::vector<uint8_t>& data) {
  using namespace wave_test;
  WriteBytes(path, WaveBuilder().Fmt({1, channels, rate, bits}).Data(data).Build());
}

std::string TempFile(const std::string& name) {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + "grumbosh-" + std::to_string(GetCurrentProcessId()) + "-" + name;
}

TEST(Win32Sound, DeviceOpensWithThePrimaryBufferAndItsListener) {
  std::shared_ptr<platform::SoundDevice> device = OpenDevice();
  BufferDescription primary;
  primary.flags = platform::kBufferPrimary | platform::kBufferCtrl3D;  // 17
  std::shared_ptr<platform::PrimaryBuffer> buffer = device->CreatePrimaryBuffer(primary);
  ASSERT_NE(buffer, nullptr);
  EXPECT_NE(buffer->GetDirectSound3DListener(), nullptr);
}

TEST(Win32Sound, ResidentBufferHoldsTheGameSoundInItsFormatAndPlays) {
  std::shared_ptr<platform::SoundDevice> device = OpenDevice();
  const std::string file = kSounds + "swing.wav";
  std::shared_ptr<platform::SoundBuffer> swing = device->CreateSoundBufferFromFile(file, GameDescription(226));
  const win32::BufferFacts facts = win32::DescribeBuffer(*swing);
  EXPECT_EQ(facts.format.wFormatTag, WAVE_FORMAT_PCM);
  EXPECT_EQ(facts.format.nChannels, 1);
  EXPECT_EQ(facts.format.nSamplesPerSec, 22050u);
  EXPECT_EQ(facts.format.wBitsPerSample, 16);
  EXPECT_EQ(facts.bytes, platform::ReadWaveFile(file).data.size()) << "the whole file, not 44,100 bytes";
  const DWORD asked = DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
  EXPECT_EQ(facts.flags & asked, asked);
  EXPECT_EQ(facts.flags & (DSBCAPS_GLOBALFOCUS | DSBCAPS_STICKYFOCUS), 0u) << "muted when another window is active";

  EXPECT_EQ(swing->GetStatus(), 0);
  swing->SetVolume(0);
  swing->SetVolume(-400);
  swing->SetPan(platform::kPanLeft);
  swing->SetPan(platform::kPanRight);
  swing->SetPan(0);
  swing->Play(platform::kPlayOnce);
  EXPECT_EQ(swing->GetStatus(), platform::kStatusPlaying) << "exactly 1 while a one-shot plays";
  EXPECT_TRUE(PlaysToItsEnd(*swing));
  // Played to its end, it plays again from the start.
  swing->Play(platform::kPlayOnce);
  EXPECT_EQ(swing->GetStatus(), platform::kStatusPlaying);
  swing->Stop();
  EXPECT_EQ(swing->GetStatus(), 0);

  swing->Play(platform::kPlayLooping);
  EXPECT_EQ(swing->GetStatus(), platform::kStatusPlaying | platform::kStatusLooping);
  swing->Stop();
  EXPECT_EQ(swing->GetStatus(), 0);
}

TEST(Win32Sound, FailuresCarryDirectSoundsOwnCodes) {
  std::shared_ptr<platform::SoundDevice> device = OpenDevice();
  std::shared_ptr<platform::SoundBuffer> oneShot =
      device->CreateSoundBufferFromFile(kSounds + "punch.wav", GameDescription(194));
  EXPECT_EQ(win32::DescribeBuffer(*oneShot).flags & DSBCAPS_CTRLFREQUENCY, 0u);
  try {
    oneShot->SetPan(10001);
    ADD_FAILURE() << "a pan beyond full right";
  } catch (const platform::RuntimeError& failure) {
    EXPECT_EQ(failure.Number(), static_cast<int32_t>(DSERR_INVALIDPARAM));
    EXPECT_LT(failure.Number(), 0);
    EXPECT_NE(failure.Description().find("SetPan"), std::string::npos) << failure.Description();
    EXPECT_NE(failure.Description().find("DSERR_INVALIDPARAM"), std::string::npos) << failure.Description();
  }
  EXPECT_EQ(NumberOf([&] { oneShot->SetVolume(1); }), static_cast<int32_t>(DSERR_INVALIDPARAM));
  EXPECT_EQ(NumberOf([&] { device->CreateSoundBufferFromFile(kSounds + "missing.wav", GameDescription(194)); }),
            platform::kErrFileNotFound);
  EXPECT_EQ(NumberOf([&] { device->CreateSoundBufferFromFile(kSounds + "swing.wav", GameDescription(17)); }),
            platform::kErrInvalidArgument);
  BufferDescription oddAlgorithm = GameDescription(194);
  oddAlgorithm.algorithm3D = "DS3DALG_SOMETHING";
  EXPECT_EQ(NumberOf([&] { device->CreateSoundBufferFromFile(kSounds + "swing.wav", oddAlgorithm); }),
            platform::kErrInvalidArgument);
}

TEST(Win32Sound, PlayersRecordingsKeepTheirOwnFormatAndEmptyOnesEnd) {
  std::shared_ptr<platform::SoundDevice> device = OpenDevice();
  const std::string stereo = TempFile("stereo.wav");
  std::vector<uint8_t> frames(11025 / 10 * 2, 0x80);  // a tenth of a second of 8-bit stereo silence
  WriteWave(stereo, 2, 11025, 8, frames);
  std::shared_ptr<platform::SoundBuffer> buffer = device->CreateSoundBufferFromFile(stereo, GameDescription(194));
  win32::BufferFacts facts = win32::DescribeBuffer(*buffer);
  EXPECT_EQ(facts.format.nChannels, 2);
  EXPECT_EQ(facts.format.nSamplesPerSec, 11025u);
  EXPECT_EQ(facts.format.wBitsPerSample, 8);
  EXPECT_EQ(facts.format.nBlockAlign, 2);
  EXPECT_EQ(facts.bytes, frames.size());
  buffer->Play(platform::kPlayOnce);
  EXPECT_TRUE(PlaysToItsEnd(*buffer));
  DeleteFileA(stereo.c_str());

  const std::string empty = TempFile("empty.wav");
  WriteWave(empty, 1, 22050, 16, {});
  std::shared_ptr<platform::SoundBuffer> nothing = device->CreateSoundBufferFromFile(empty, GameDescription(194));
  facts = win32::DescribeBuffer(*nothing);
  EXPECT_EQ(facts.bytes, static_cast<DWORD>(DSBSIZE_MIN)) << "two frames of silence";
  nothing->Play(platform::kPlayOnce);
  EXPECT_TRUE(PlaysToItsEnd(*nothing));
  DeleteFileA(empty.c_str());
}

}  // namespace
