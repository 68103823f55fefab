#include "shell/platform/mixer/mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>
#include <utility>

#include "shell/platform/platform.h"

namespace mixer {
namespace {

constexpr uint32_t kModeShift = 32;
constexpr uint64_t kPositionMask = 0xFFFFFFFFu;

uint32_t ModeOf(uint64_t word) { return static_cast<uint32_t>(word >> kModeShift); }
uint32_t PositionOf(uint64_t word) { return static_cast<uint32_t>(word & kPositionMask); }
uint64_t Word(uint32_t mode, uint32_t position) {
  return (static_cast<uint64_t>(mode) << kModeShift) | position;
}

// std::bit_cast, which Emscripten's C++ library lacks.
template <typename To, typename From>
To BitCast(From from) {
  static_assert(sizeof(To) == sizeof(From));
  To to;
  std::memcpy(&to, &from, sizeof to);
  return to;
}

uint64_t PackGains(float left, float right) {
  return static_cast<uint64_t>(BitCast<uint32_t>(left)) |
         (static_cast<uint64_t>(BitCast<uint32_t>(right)) << 32);
}
float LeftOf(uint64_t gains) { return BitCast<float>(static_cast<uint32_t>(gains & 0xFFFFFFFFu)); }
float RightOf(uint64_t gains) { return BitCast<float>(static_cast<uint32_t>(gains >> 32)); }

int16_t Saturate(float sample) {
  const float clamped = std::clamp(sample, -32768.0f, 32767.0f);
  return static_cast<int16_t>(std::lrint(clamped));
}

// The linear gain of an attenuation in hundredths of a decibel, 10^(dB/20);
// -10000 and below is silence, exactly 0.
float GainOf(int32_t hundredthsOfDecibel) {
  if (hundredthsOfDecibel <= platform::kVolumeSilent) return 0.0f;
  if (hundredthsOfDecibel >= 0) return 1.0f;
  return static_cast<float>(std::pow(10.0, hundredthsOfDecibel / 2000.0));
}

}  // namespace

// ---------------------------------------------------------------------------
// Voice

Voice::Voice(platform::Samples samples, int channels)
    : samples_(std::move(samples)),
      channels_(channels == 2 ? 2 : 1),
      frames_(static_cast<uint32_t>(samples_.size() / static_cast<size_t>(channels_))),
      gains_(PackGains(1.0f, 1.0f)) {}

void Voice::SetVolume(int32_t volume) {
  volume_ = volume;
  PublishGains();
}

void Voice::SetPan(int32_t pan) {
  pan_ = pan;
  PublishGains();
}

// DirectSound's law: the volume attenuates both sides; a pan to the right
// attenuates only the left side by as many hundredths of a decibel, and a pan
// to the left only the right side. The two add up, and an attenuation of
// 100 dB or more is silence.
void Voice::PublishGains() {
  const int32_t left = volume_ - std::max(pan_, 0);
  const int32_t right = volume_ - std::max(-pan_, 0);
  gains_.store(PackGains(GainOf(left), GainOf(right)), std::memory_order_release);
}

void Voice::Play(int32_t flags) {
  // A buffer without samples has nothing to play and would loop on nothing.
  if (frames_ == 0) return;
  SetMode((flags & platform::kPlayLooping) != 0 ? platform::kStatusPlaying | platform::kStatusLooping
                                                 : platform::kStatusPlaying);
}

void Voice::Stop() { SetMode(0); }

// The status changes; the position is the audio callback's.
void Voice::SetMode(int32_t mode) {
  uint64_t word = state_.load(std::memory_order_acquire);
  while (!state_.compare_exchange_weak(word, Word(static_cast<uint32_t>(mode), PositionOf(word)),
                                       std::memory_order_acq_rel)) {
  }
}

int32_t Voice::Status() const { return static_cast<int32_t>(ModeOf(state_.load(std::memory_order_acquire))); }

// ---------------------------------------------------------------------------
// Mixer

void Mixer::Add(Voice* voice) {
  for (size_t i = 0; i < kMaxVoices; ++i) {
    Voice* expected = nullptr;
    if (slots_[i].compare_exchange_strong(expected, voice)) {
      size_t inUse = slotsInUse_.load();
      while (inUse < i + 1 && !slotsInUse_.compare_exchange_weak(inUse, i + 1)) {
      }
      return;
    }
  }
  throw platform::RuntimeError(platform::kErrOutOfMemory, "Too many sound buffers are alive at once");
}

void Mixer::Remove(Voice* voice) {
  for (auto& slot : slots_) {
    Voice* expected = voice;
    if (slot.compare_exchange_strong(expected, nullptr)) break;
  }
  // A Render that began before the slot was emptied may still be mixing the
  // voice; one that begins after it cannot see it. Wait out the former.
  const uint64_t epoch = renderEpoch_.load();
  if ((epoch & 1u) != 0) {
    while (renderEpoch_.load() == epoch) std::this_thread::yield();
  }
}

void Mixer::Rewind() noexcept {
  const size_t inUse = slotsInUse_.load();
  for (size_t i = 0; i < inUse; ++i) {
    if (Voice* voice = slots_[i].load()) {
      voice->aheadState_ = voice->state_.load(std::memory_order_acquire);
      voice->ahead_ = voice->heard_;
    }
  }
}

void Mixer::Mix(int16_t* out, size_t frames, bool ahead) noexcept {
  renderEpoch_.fetch_add(1);
  const bool focused = focused_.load(std::memory_order_relaxed);
  while (frames > 0) {
    const size_t count = std::min(frames, kChunkFrames);
    std::fill_n(mix_.begin(), count * kMixerChannels, 0.0f);
    const size_t inUse = slotsInUse_.load();
    for (size_t i = 0; i < inUse; ++i) {
      if (Voice* voice = slots_[i].load()) MixVoice(*voice, count, focused, ahead);
    }
    if (out != nullptr) {
      for (size_t i = 0; i < count * kMixerChannels; ++i) out[i] = Saturate(mix_[i]);
      out += count * kMixerChannels;
    }
    frames -= count;
  }
  renderEpoch_.fetch_add(1);
}

void Mixer::MixVoice(Voice& v, size_t frames, bool focused, bool ahead) noexcept {
  if (ahead) {
    // The ahead timeline is the mixing thread's alone: no one else changes it.
    const uint32_t mode = ModeOf(v.aheadState_);
    uint32_t position = PositionOf(v.aheadState_);
    if ((mode & platform::kStatusPlaying) == 0) {
      v.ahead_.audible = false;
      return;
    }
    const bool ended = MixPlayhead(v, v.ahead_, (mode & platform::kStatusLooping) != 0, position, frames, focused);
    v.aheadState_ = ended ? Word(0, 0) : Word(mode, position);
    return;
  }
  const uint64_t word = v.state_.load(std::memory_order_acquire);
  const uint32_t mode = ModeOf(word);
  if ((mode & platform::kStatusPlaying) == 0) {
    v.heard_.audible = false;
    return;
  }
  uint32_t position = PositionOf(word);
  const bool ended = MixPlayhead(v, v.heard_, (mode & platform::kStatusLooping) != 0, position, frames, focused);

  // The game thread may have changed the status meanwhile (Stop, or Play
  // switching the looping mode); its status wins, the position is ours.
  uint64_t expected = word;
  for (;;) {
    const uint32_t current = ModeOf(expected);
    uint64_t desired;
    if (ended) {
      desired = (current & platform::kStatusLooping) != 0 ? Word(current, 0) : Word(0, 0);
    } else {
      desired = Word(current, position);
    }
    if (v.state_.compare_exchange_weak(expected, desired, std::memory_order_acq_rel)) break;
  }
}

bool Mixer::MixPlayhead(const Voice& v, Playhead& head, bool looping, uint32_t& position, size_t frames,
                        bool focused) noexcept {
  float targetLeft = 0.0f;
  float targetRight = 0.0f;
  if (focused) {
    const uint64_t gains = v.gains_.load(std::memory_order_acquire);
    targetLeft = LeftOf(gains);
    targetRight = RightOf(gains);
  }
  if (!head.audible) {
    // A buffer starts at its gains, as DirectSound's do: no fade in.
    head.audible = true;
    head.appliedLeft = head.rampTargetLeft = targetLeft;
    head.appliedRight = head.rampTargetRight = targetRight;
    head.rampFrames = 0;
  } else if (targetLeft != head.rampTargetLeft || targetRight != head.rampTargetRight) {
    head.rampTargetLeft = targetLeft;
    head.rampTargetRight = targetRight;
    head.rampFrames = kRampFrames;
    head.rampStepLeft = (targetLeft - head.appliedLeft) / static_cast<float>(kRampFrames);
    head.rampStepRight = (targetRight - head.appliedRight) / static_cast<float>(kRampFrames);
  }

  const size_t width = static_cast<size_t>(v.channels_);
  float* out = mix_.data();
  float left = head.appliedLeft;
  float right = head.appliedRight;
  bool ended = false;
  for (size_t f = 0; f < frames; ++f) {
    if (head.rampFrames > 0) {
      const bool last = --head.rampFrames == 0;
      left = last ? head.rampTargetLeft : left + head.rampStepLeft;
      right = last ? head.rampTargetRight : right + head.rampStepRight;
    }
    const int16_t* frame = v.samples_.data() + static_cast<size_t>(position) * width;
    out[2 * f] += static_cast<float>(frame[0]) * left;
    out[2 * f + 1] += static_cast<float>(frame[width - 1]) * right;
    if (++position == v.frames_) {
      if (!looping) {
        ended = true;  // played to its end: stopped, and back at the start
        break;
      }
      position = 0;  // the sample after the last is the first
    }
  }
  head.appliedLeft = left;
  head.appliedRight = right;
  if (ended) head.audible = false;
  return ended;
}

}  // namespace mixer
