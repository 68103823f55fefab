// The mixer behind the sound devices of the SDL and web backends, free of any
// library so that tests can render it directly: DirectSound's buffers (play
// once or looping, stop and resume, status), its pan and volume law and its
// focus rule, summed into 16-bit stereo frames at kMixerRate.
//
// Threads: the game thread owns every Voice's controls (SetVolume, SetPan,
// Play, Stop, Status); the audio callback runs Render, or, while no device is
// open, the device's keeper runs Skip, never both at once (in a browser all
// of them run on the page's one thread). They share only
// atomics: a voice's gains and its state word (mode and position). Render
// never allocates, locks or waits; Remove waits at most for one Render to
// finish, so that a released buffer is silent and unreferenced at once.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "shell/platform/wave_file.h"

namespace mixer {

// The game's sounds are 22,050 Hz, so the mixer runs at that rate: they play
// sample for sample, without resampling. A player's file at another rate is
// resampled once, when its buffer is created (platform::ReadWaveSamples).
inline constexpr uint32_t kMixerRate = 22050;
inline constexpr int kMixerChannels = 2;

// One sound buffer's sample memory and controls.
class Voice {
 public:
  // `samples` are frames at kMixerRate, `channels` (1 or 2) interleaved.
  Voice(platform::Samples samples, int channels);
  Voice(const Voice&) = delete;
  Voice& operator=(const Voice&) = delete;

  // Hundredths of a decibel: 0 .. -10000, and -10000 (left) .. 10000 (right).
  void SetVolume(int32_t volume);
  void SetPan(int32_t pan);

  // kPlayOnce or kPlayLooping. A playing buffer is not restarted; its
  // looping mode becomes the one asked for.
  void Play(int32_t flags);
  // Keeps the position: the next Play goes on from there.
  void Stop();
  // kStatusPlaying, with kStatusLooping while looping; 0 when stopped.
  int32_t Status() const;

 private:
  friend class Mixer;
  void PublishGains();
  void SetMode(int32_t mode);

  const platform::Samples samples_;
  const int channels_;
  const uint32_t frames_;

  // Game thread only.
  int32_t volume_ = 0;
  int32_t pan_ = 0;

  // Shared: the left and right gains as the bits of two floats (left low);
  // the state word: the status in the high half, the position in frames in
  // the low half. Only Render moves the position; the game thread changes
  // only the status.
  std::atomic<uint64_t> gains_;
  std::atomic<uint64_t> state_{0};

  // Render only: the gains applied at the last frame mixed, and a short ramp
  // towards new gains so that a pan, volume or focus change while playing
  // does not click.
  bool audible_ = false;
  float appliedLeft_ = 0.0f;
  float appliedRight_ = 0.0f;
  float rampTargetLeft_ = 0.0f;
  float rampTargetRight_ = 0.0f;
  float rampStepLeft_ = 0.0f;
  float rampStepRight_ = 0.0f;
  uint32_t rampFrames_ = 0;
};

class Mixer {
 public:
  // Voices alive at once; the game holds about five.
  static constexpr size_t kMaxVoices = 256;
  // Frames a gain change takes to reach its new value: 1.5 ms.
  static constexpr uint32_t kRampFrames = 32;

  Mixer() = default;
  Mixer(const Mixer&) = delete;
  Mixer& operator=(const Mixer&) = delete;

  // The voice is mixed from now on, while it plays. Raises kErrOutOfMemory
  // when kMaxVoices are registered.
  void Add(Voice* voice);
  // Once this returns the voice is silent and Render no longer touches it.
  void Remove(Voice* voice);

  // While unfocused every voice is mixed at gain 0 but its position goes on.
  void SetFocused(bool focused) { focused_.store(focused, std::memory_order_relaxed); }

  // Fills `frames` interleaved stereo frames.
  void Render(int16_t* out, size_t frames) noexcept { Mix(out, frames); }
  // Moves every playing voice on by `frames`, as Render would, but plays
  // nothing: the time that passes while there is no device to play through.
  void Skip(size_t frames) noexcept { Mix(nullptr, frames); }

 private:
  static constexpr size_t kChunkFrames = 1024;
  void Mix(int16_t* out, size_t frames) noexcept;
  void MixVoice(Voice& voice, size_t frames, bool focused) noexcept;

  std::array<std::atomic<Voice*>, kMaxVoices> slots_{};
  std::atomic<size_t> slotsInUse_{0};  // highest slot ever used, plus one
  std::atomic<bool> focused_{true};
  // Odd while a Render runs; Remove waits for it to move on.
  std::atomic<uint64_t> renderEpoch_{0};
  std::array<float, kChunkFrames * kMixerChannels> mix_{};  // Render only
};

}  // namespace mixer
