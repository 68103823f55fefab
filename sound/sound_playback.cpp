#include "sound/sound_playback.h"

#include <new>

#include "game/main_game.h"
#include "input/key_codes.h"
#include "input/keyboard.h"
#include "game/arithmetic.h"
#include "shell/product.h"
#include "shell/program_state.h"
#include "sound/sound_files.h"

PROGRAM_STATE(SoundDevice, std::shared_ptr<platform::SoundDevice>);
PROGRAM_STATE(PrimaryBuffer, std::shared_ptr<platform::PrimaryBuffer>);
PROGRAM_STATE(Listener, std::shared_ptr<platform::Listener3D>);
PROGRAM_STATE(OneShotBuffer, std::shared_ptr<platform::SoundBuffer>);
PROGRAM_STATE(WaveFormat, platform::WaveFormat);
PROGRAM_STATE(BufferDesc, platform::BufferDescription);

namespace {

constexpr const char* kAlgorithm3D = "DS3DALG_DEFAULT";

void FillWaveFormat() {
  WaveFormat.formatTag = 1;  // PCM
  WaveFormat.channels = 1;
  WaveFormat.samplesPerSecond = 22050;
  WaveFormat.bitsPerSample = 16;
  WaveFormat.blockAlign = ConvertRounded<int16_t>(16.0 / 8.0);
  WaveFormat.averageBytesPerSecond = CheckedMultiply32(WaveFormat.blockAlign, WaveFormat.samplesPerSecond);
  WaveFormat.extraSize = 0;
}

// Every creation from a file describes the buffer the same way; only the
// flags differ between resident and one-shot buffers.
void PrepareBufferDesc(int32_t flags) {
  FillWaveFormat();
  BufferDesc.bufferBytes = WaveFormat.averageBytesPerSecond;
  BufferDesc.algorithm3D = kAlgorithm3D;
  BufferDesc.flags = flags;
}

bool AnySkipKeyDown() {
  for (uint8_t code : kSkipKeys) {
    if (KeyDown(code)) return true;
  }
  return false;
}

void ReportTrappedFailure(const std::string& procedure, const platform::RuntimeError& failure) {
  platform::ShowMessageBox(TrappedFailureMessage(procedure, failure), kProductTitle);
}

}  // namespace

std::string TrappedFailureMessage(const std::string& procedure, const platform::RuntimeError& failure) {
  return "An error has occurred in this application.  Procedure: " + procedure +
         ".  Error Number: " + std::to_string(failure.Number()) + " - " + failure.Description() +
         ".  Please e-mail " + kSupportEmail + " with this information.";
}

void LoadSounds() {
  platform::ChangeDirectory(platform::ProgramFolder());
  // Not trapped: a missing resident sound is fatal. KEPT_MISSING_RESIDENT_SOUND_FATAL
  CreateSoundBuffer(MusicBuffer, sound_file::kMusic);
  CreateSoundBuffer(BlockBuffer, sound_file::kBlock);
  CreateSoundBuffer(SwingBuffer, sound_file::kSwing);
}

void CreateSoundBuffer(std::shared_ptr<platform::SoundBuffer>& slot, std::string file) {
  PrepareBufferDesc(ResidentFlags);
  BufferDesc.format = WaveFormat;
  slot.reset();
  slot = SoundDevice->CreateSoundBufferFromFile(file, BufferDesc);
}

void PlaySound(const std::string& file, int32_t pan, bool wait) {
  try {
    PrepareBufferDesc(OneShotFlags);
    // The new buffer is made before the old one is let go, so a failed
    // creation leaves the previous sound where it was.
    OneShotBuffer = SoundDevice->CreateSoundBufferFromFile(file, BufferDesc);
    OneShotBuffer->SetVolume(0);
    OneShotBuffer->SetPan(pan);
    OneShotBuffer->Play(platform::kPlayOnce);
    if (wait) {
      // KEPT_UNSEEN_WHILE_SOUND_PLAYS
      // The keyboard is not polled here: a key pressed and released while a
      // recording plays is never seen.
      while (OneShotBuffer->GetStatus() == platform::kStatusPlaying) platform::DoEvents();
    }
  } catch (const platform::RuntimeError& failure) {
    // Reported at every call; the game goes on. KEPT_UNPLAYABLE_SOUND_REPORTED
    ReportTrappedFailure("PlaySound", failure);
  } catch (const std::bad_alloc&) {
    // A file too large for memory is a failure to play it, like any other.
    ReportTrappedFailure("PlaySound", platform::RuntimeError(platform::kRuntimeOutOfMemory, "Out of memory"));
  }
}

void Announcement(const std::string& file) {
  try {
    // KEPT_INTRO_WAITS_FOR_RELEASE
    // Hold back while a skip key is still down, so that the key which ended
    // the previous sound does not cut this one short at once.
    while (AnySkipKeyDown()) {
      platform::DoEvents();
      PollKeyboard();
    }
    PrepareBufferDesc(OneShotFlags);
    std::shared_ptr<platform::SoundBuffer> buffer = SoundDevice->CreateSoundBufferFromFile(file, BufferDesc);
    buffer->SetVolume(0);
    buffer->Play(platform::kPlayOnce);
    while ((buffer->GetStatus() & platform::kStatusPlaying) != 0) {
      platform::DoEvents();
      PollKeyboard();
      if (AnySkipKeyDown()) {
        buffer->Stop();
        break;
      }
    }
    buffer->Stop();
  } catch (const platform::RuntimeError& failure) {
    ReportTrappedFailure("Announcement", failure);
  } catch (const std::bad_alloc&) {
    ReportTrappedFailure("Announcement", platform::RuntimeError(platform::kRuntimeOutOfMemory, "Out of memory"));
  }
}
