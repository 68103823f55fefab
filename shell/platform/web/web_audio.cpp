// The web backend's sound device. Buffers are the shared mixer's voices
// (DirectSound's pan and volume law, statuses, stop and resume, the focus
// rule); the page's audio output (an AudioWorklet at 22,050 Hz) plays the
// mixed frames at the output frames they are stamped with. The mixer runs on
// the page's one thread, between the game's passes, so nothing is shared
// with the audio thread but the posted blocks.
#include "shell/platform/web/web_audio.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "shell/platform/mixer/mixed_sound_device.h"
#include "shell/platform/web/audio_feed.h"
#include "shell/platform/web/page.h"

namespace web {
namespace {

struct Output {
  std::shared_ptr<mixer::Mixer> mixer = std::make_shared<mixer::Mixer>();
  AudioFeed feed{AudioOutputFrame()};
  std::vector<int16_t> block;
};

// Null until the game opens the device; one for the page's life.
Output* TheOutput = nullptr;

class Device final : public mixer::MixedSoundDevice {
 public:
  Device() : MixedSoundDevice(TheOutput->mixer) {}

  // The time the output passed while the game read the file belongs to the
  // sounds that were playing then, not to this one, which is about to start.
  std::shared_ptr<platform::SoundBuffer> CreateSoundBufferFromFile(const std::string& file,
                                                                   const platform::BufferDescription& desc) override {
    std::shared_ptr<platform::SoundBuffer> buffer = MixedSoundDevice::CreateSoundBufferFromFile(file, desc);
    FeedAudio();
    return buffer;
  }
};

}  // namespace

std::shared_ptr<platform::SoundDevice> OpenSoundDevice() {
  if (!AudioOutputExists()) {
    throw platform::RuntimeError(platform::kDsErrNoDriver, "The page has no audio output");
  }
  if (TheOutput == nullptr) TheOutput = new Output;  // lives as long as the page
  return std::make_shared<Device>();
}

void FeedAudio() {
  if (TheOutput == nullptr) return;
  Output& out = *TheOutput;
  out.mixer->SetFocused(Input().focused != 0);
  const FeedStep step = out.feed.Next(AudioOutputFrame());
  for (uint64_t due = step.skipFrames; due > 0;) {
    const auto frames = static_cast<size_t>(std::min<uint64_t>(due, uint64_t{1} << 30));
    out.mixer->Skip(frames);
    due -= frames;
  }
  if (step.mixFrames == 0) return;
  out.block.resize(static_cast<size_t>(step.mixFrames) * mixer::kMixerChannels);
  out.mixer->Render(out.block.data(), step.mixFrames);
  PostAudio(out.block.data(), step.mixFrames, step.firstFrame);
}

}  // namespace web
