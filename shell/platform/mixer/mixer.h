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
//
// Two timelines: Render and Skip move what the game hears and sees (a
// voice's status); RenderAhead mixes further on, into a server's queue, from
// a copy that Rewind takes of the heard one. A device that mixes ahead
// installs itself as the mixer's Ahead, so that every change of a voice's
// controls passes through it and what is queued can be mixed again.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "shell/platform/wave_file.h"

namespace mixer {

// The game's sounds are 22,050 Hz, so the mixer runs at that rate: they play
// sample for sample, without resampling. A player's file at another rate is
// resampled once, when its buffer is created (platform::ReadWaveSamples).
inline constexpr uint32_t kMixerRate = 22050;
inline constexpr int kMixerChannels = 2;

// Where one timeline has got to in mixing a voice: the gains applied at the
// last frame mixed, and a short ramp towards new gains so that a pan, volume
// or focus change while playing does not click.
struct Playhead {
  bool audible = false;
  float appliedLeft = 0.0f;
  float appliedRight = 0.0f;
  float rampTargetLeft = 0.0f;
  float rampTargetRight = 0.0f;
  float rampStepLeft = 0.0f;
  float rampStepRight = 0.0f;
  uint32_t rampFrames = 0;
};

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

  // Render and Skip only.
  Playhead heard_;
  // RenderAhead and Rewind only: the ahead timeline's state word and playhead.
  uint64_t aheadState_ = 0;
  Playhead ahead_;
};

class Mixer {
 public:
  // A device that queues what it mixes ahead of the heard timeline. Change
  // runs `change` (a voice's controls, or a removal) and mixes its queue
  // again from where the change is heard; a change that starts a sound is
  // placed where none of its start can be lost.
  class Ahead {
   public:
    virtual void Change(const std::function<void()>& change, bool startsSound) = 0;

   protected:
    ~Ahead() = default;
  };

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

  // Runs a change of a voice's controls, through the Ahead device if any.
  void Change(const std::function<void()>& change, bool startsSound = false) {
    if (Ahead* ahead = ahead_.load()) {
      ahead->Change(change, startsSound);
    } else {
      change();
    }
  }
  // Set by the device that mixes ahead, on the game thread, and cleared
  // before that device goes.
  void SetAhead(Ahead* ahead) { ahead_.store(ahead); }

  // While unfocused every voice is mixed at gain 0 but its position goes on.
  void SetFocused(bool focused) { focused_.store(focused, std::memory_order_relaxed); }

  // Fills `frames` interleaved stereo frames.
  void Render(int16_t* out, size_t frames) noexcept { Mix(out, frames, false); }
  // Moves every playing voice on by `frames`, as Render would, but plays
  // nothing: the time that passes while there is no device to play through.
  void Skip(size_t frames) noexcept { Mix(nullptr, frames, false); }

  // The ahead timeline starts again where the heard one is.
  void Rewind() noexcept;
  // Fills `frames` frames of the ahead timeline.
  void RenderAhead(int16_t* out, size_t frames) noexcept { Mix(out, frames, true); }

 private:
  static constexpr size_t kChunkFrames = 1024;
  void Mix(int16_t* out, size_t frames, bool ahead) noexcept;
  void MixVoice(Voice& voice, size_t frames, bool focused, bool ahead) noexcept;
  // Mixes `frames` of the voice from `position` along `head`; true when it
  // played to its end.
  bool MixPlayhead(const Voice& voice, Playhead& head, bool looping, uint32_t& position, size_t frames,
                   bool focused) noexcept;

  std::array<std::atomic<Voice*>, kMaxVoices> slots_{};
  std::atomic<size_t> slotsInUse_{0};  // highest slot ever used, plus one
  std::atomic<bool> focused_{true};
  std::atomic<Ahead*> ahead_{nullptr};
  // Odd while a Render runs; Remove waits for it to move on.
  std::atomic<uint64_t> renderEpoch_{0};
  std::array<float, kChunkFrames * kMixerChannels> mix_{};  // Render only
};

}  // namespace mixer
