// The SDL audio device that the mixer plays through where no sound server is
// played to directly (ALSA alone, SDL's disk driver, or SDL_AUDIODRIVER
// set), and its keeper, which reopens the device when it is lost.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <thread>

#include "shell/platform/mixer/mixer.h"

namespace sdl {

using mixer::kMixerChannels;
using mixer::kMixerRate;
using mixer::Mixer;
using mixer::Voice;

// Whether the program's window has the focus (SetAudioFocus).
bool AudioFocus();

// The keeper's schedule while the device is lost: the frames the mixer is
// owed for the time gone by, and when to try a device again.
class LossClock {
 public:
  // Microseconds on the steady clock, the times the clock is given.
  static uint64_t Now();

  // A missing sound server costs an attempt this often, and a device that is
  // back is heard again within this time.
  static constexpr uint64_t kRetryMicroseconds = 300'000;

  // The first attempt is due at once: the default device may already be
  // another one.
  explicit LossClock(uint64_t lostAt) : lostAt_(lostAt), nextAttempt_(lostAt) {}

  // The frames since the previous call, counted from the loss so that the
  // rounding never adds up to a drift.
  size_t FramesDue(uint64_t now) {
    const uint64_t total = (now - lostAt_) * kMixerRate / 1'000'000;
    const uint64_t due = total - framesGiven_;
    framesGiven_ = total;
    return static_cast<size_t>(due);
  }
  bool AttemptDue(uint64_t now) const { return now >= nextAttempt_; }
  // Counted from the end of an attempt, which may have waited on a server.
  void Attempted(uint64_t now) { nextAttempt_ = now + kRetryMicroseconds; }

 private:
  uint64_t lostAt_;
  uint64_t framesGiven_ = 0;
  uint64_t nextAttempt_;
};

class AudioOutput {
 public:
  // Frames of one device buffer: 256 at 22,050 Hz is 11.6 ms. A change is
  // heard a buffer or two later, at worst about 23 ms plus what the device
  // or server holds behind it (11.5 ms median from a key to silence through
  // PulseAudio). Half of it would halve that, but SDL's thread must then wake
  // every 5.8 ms: with both cores busy it lost 9 stretches of the 44-second
  // introduction at 128 frames, 4 at 256 and none at 512. 256 is kept as
  // the balance for this path; desktops with a sound server get the direct
  // output (pulse_output.h), which has neither cost.
  static constexpr uint16_t kBufferFrames = 256;

  // Opens the default device and starts it. Raises kDsErrNoDriver, with
  // SDL's reason, when SDL's audio or the device cannot be opened.
  AudioOutput();
  ~AudioOutput();
  AudioOutput(const AudioOutput&) = delete;
  AudioOutput& operator=(const AudioOutput&) = delete;

  // Buffers hold the mixer too, so that they may outlive the device.
  const std::shared_ptr<Mixer>& SharedMixer() const { return mixer_; }

 private:
  static void SDLCALL Callback(void* self, Uint8* stream, int bytes);
  // Opens the default device, paused; 0 when none can be opened.
  SDL_AudioDeviceID Open();
  void Keep();

  std::shared_ptr<Mixer> mixer_;
  // Set by the constructor, then the keeper's alone until it has ended.
  SDL_AudioDeviceID device_ = 0;
  // Under the keepers' mutex: the keeper ends when the output does, or when
  // SDL does (StopAudioKeepers).
  bool ending_ = false;
  uint64_t life_ = 0;
  std::thread keeper_;
};

}  // namespace sdl
