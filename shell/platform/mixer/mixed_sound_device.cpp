#include "shell/platform/mixer/mixed_sound_device.h"

#include <utility>

#include "shell/platform/wave_file.h"

namespace mixer {
namespace {

class Listener final : public platform::Listener3D {};

class Primary final : public platform::PrimaryBuffer {
 public:
  std::shared_ptr<platform::Listener3D> GetDirectSound3DListener() override {
    return std::make_shared<Listener>();
  }
};

// The game makes every buffer with volume and pan control.
class Buffer final : public platform::SoundBuffer {
 public:
  Buffer(std::shared_ptr<Mixer> mixer, std::unique_ptr<Voice> voice)
      : mixer_(std::move(mixer)), voice_(std::move(voice)) {
    mixer_->Add(voice_.get());
  }
  // Releasing a playing buffer silences it at once.
  ~Buffer() override {
    mixer_->Change([this] { mixer_->Remove(voice_.get()); });
  }
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;

  void SetVolume(int32_t volume) override {
    mixer_->Change([&] { voice_->SetVolume(volume); });
  }
  void SetPan(int32_t pan) override {
    mixer_->Change([&] { voice_->SetPan(pan); });
  }
  void Play(int32_t flags) override {
    mixer_->Change([&] { voice_->Play(flags); }, voice_->Status() == 0);
  }
  int32_t GetStatus() override { return voice_->Status(); }
  void Stop() override {
    mixer_->Change([&] { voice_->Stop(); });
  }

 private:
  // Buffers hold the mixer too, so that they may outlive the device.
  std::shared_ptr<Mixer> mixer_;
  std::unique_ptr<Voice> voice_;
};

}  // namespace

std::shared_ptr<platform::PrimaryBuffer> MixedSoundDevice::CreatePrimaryBuffer(const platform::BufferDescription&) {
  return std::make_shared<Primary>();
}

std::shared_ptr<platform::SoundBuffer> MixedSoundDevice::CreateSoundBufferFromFile(
    const std::string& file, const platform::BufferDescription&) {
  platform::WaveSamples sound = platform::ReadWaveSamples(file, kMixerRate);
  auto voice = std::make_unique<Voice>(std::move(sound.samples), sound.channels);
  return std::make_shared<Buffer>(mixer_, std::move(voice));
}

}  // namespace mixer
