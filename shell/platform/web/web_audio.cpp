// The web backend's sound device. Buffers are the shared mixer's voices
// (DirectSound's pan and volume law, statuses, stop and resume, the focus
// rule); the page's audio output (an AudioWorklet at 22,050 Hz) plays the
// mixed frames at the output frames they are stamped with. The mixer runs on
// the page's one thread, between the game's passes, so nothing is shared
// with the audio thread but the posted blocks.
#include "shell/platform/web/web_audio.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "shell/platform/mixer/mixer.h"
#include "shell/platform/wave_file.h"
#include "shell/platform/web/audio_feed.h"
#include "shell/platform/web/page.h"

namespace web {
namespace {

struct Output {
  mixer::Mixer mixer;
  AudioFeed feed{AudioOutputFrame()};
  std::vector<int16_t> block;
};

// Null until the game opens the device; one for the page's life.
Output* TheOutput = nullptr;

class Listener final : public platform::Listener3D {};

class Primary final : public platform::PrimaryBuffer {
 public:
  std::shared_ptr<platform::Listener3D> GetDirectSound3DListener() override {
    return std::make_shared<Listener>();
  }
};

class Buffer final : public platform::SoundBuffer {
 public:
  Buffer(mixer::Mixer& owner, std::unique_ptr<mixer::Voice> voice) : mixer_(owner), voice_(std::move(voice)) {
    mixer_.Add(voice_.get());
  }
  // Releasing a playing buffer silences it at once.
  ~Buffer() override { mixer_.Remove(voice_.get()); }
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;

  void SetVolume(int32_t volume) override { voice_->SetVolume(volume); }
  void SetPan(int32_t pan) override { voice_->SetPan(pan); }
  // The time the output passed while the game was busy elsewhere (reading
  // its sounds, say) belongs to the sounds that were playing then, not to
  // this one: the feed catches up before it starts.
  void Play(int32_t flags) override {
    FeedAudio();
    voice_->Play(flags);
  }
  int32_t GetStatus() override { return voice_->Status(); }
  void Stop() override { voice_->Stop(); }

 private:
  mixer::Mixer& mixer_;
  std::unique_ptr<mixer::Voice> voice_;
};

class Device final : public platform::SoundDevice {
 public:
  // The page's output is shared with the rest of the browser at any level.
  void SetCooperativeLevel(platform::WindowHandle, int32_t) override {}

  std::shared_ptr<platform::PrimaryBuffer> CreatePrimaryBuffer(const platform::BufferDescription&) override {
    return std::make_shared<Primary>();
  }

  // The buffer plays the file as it is, whatever format the description gives.
  std::shared_ptr<platform::SoundBuffer> CreateSoundBufferFromFile(const std::string& file,
                                                                   const platform::BufferDescription&) override {
    platform::WaveSamples sound = platform::ReadWaveSamples(file, mixer::kMixerRate);
    auto voice = std::make_unique<mixer::Voice>(std::move(sound.samples), sound.channels);
    return std::make_shared<Buffer>(TheOutput->mixer, std::move(voice));
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
  out.mixer.SetFocused(Input().focused != 0);
  const FeedStep step = out.feed.Next(AudioOutputFrame());
  for (uint64_t due = step.skipFrames; due > 0;) {
    const auto frames = static_cast<size_t>(std::min<uint64_t>(due, uint64_t{1} << 30));
    out.mixer.Skip(frames);
    due -= frames;
  }
  if (step.mixFrames == 0) return;
  out.block.resize(static_cast<size_t>(step.mixFrames) * mixer::kMixerChannels);
  out.mixer.Render(out.block.data(), step.mixFrames);
  PostAudio(out.block.data(), step.mixFrames, step.firstFrame);
}

}  // namespace web
