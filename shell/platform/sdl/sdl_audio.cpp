// The SDL backend's sound device.
//
// Output: one SDL audio device, AUDIO_S16SYS, 2 channels, 22,050 Hz, in
// buffers of 256 frames (11.6 ms). The game's sounds are 22,050 Hz mono, so
// they reach the device sample for sample; a player's own file at another
// rate, width or channel count is converted once, when its buffer is created.
// With SDL_AUDIODRIVER=disk the device file holds raw 16-bit little-endian
// stereo frames at 22,050 Hz.
//
// Each buffer decodes its whole file into its own sample memory before the
// mixer (shell/platform/mixer) sees it; the audio callback only mixes, without
// allocating, locking or reading files.
#include "shell/platform/sdl/sdl_audio.h"

#include <memory>
#include <string>
#include <utility>

#include "shell/platform/sdl/sdl_audio_output.h"
#include "shell/platform/mixer/mixer.h"
#include "shell/platform/wave_file.h"

namespace sdl {
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
  ~Buffer() override { mixer_->Remove(voice_.get()); }
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;

  void SetVolume(int32_t volume) override { voice_->SetVolume(volume); }
  void SetPan(int32_t pan) override { voice_->SetPan(pan); }
  void Play(int32_t flags) override { voice_->Play(flags); }
  int32_t GetStatus() override { return voice_->Status(); }
  void Stop() override { voice_->Stop(); }

 private:
  std::shared_ptr<Mixer> mixer_;
  std::unique_ptr<Voice> voice_;
};

class Device final : public platform::SoundDevice {
 public:
  // SDL shares the device with other programs at any level.
  void SetCooperativeLevel(platform::WindowHandle, int32_t) override {}

  std::shared_ptr<platform::PrimaryBuffer> CreatePrimaryBuffer(const platform::BufferDescription&) override {
    return std::make_shared<Primary>();
  }

  // The buffer plays the file as it is, whatever format the description gives.
  std::shared_ptr<platform::SoundBuffer> CreateSoundBufferFromFile(const std::string& file,
                                                                   const platform::BufferDescription&) override {
    // A player's file of another width or rate is converted once, here; the
    // game's own are read straight into the voice's samples.
    platform::WaveSamples sound = platform::ReadWaveSamples(file, kMixerRate);
    auto voice = std::make_unique<Voice>(std::move(sound.samples), sound.channels);
    return std::make_shared<Buffer>(output_.SharedMixer(), std::move(voice));
  }

 private:
  AudioOutput output_;
};

}  // namespace

std::shared_ptr<platform::SoundDevice> OpenSoundDevice() { return std::make_shared<Device>(); }

}  // namespace sdl
