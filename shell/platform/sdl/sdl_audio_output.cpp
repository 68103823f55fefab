#include "shell/platform/sdl/sdl_audio_output.h"

#include <atomic>
#include <string>

#include "shell/platform/platform.h"
#include "shell/platform/sdl/sdl_audio.h"

namespace sdl {
namespace {

// Focus is the program's, not a device's: the event pump sets it, and every
// open device's callback hands it to its mixer.
std::atomic<bool> g_focused{true};

}  // namespace

void SetAudioFocus(bool focused) { g_focused.store(focused, std::memory_order_relaxed); }

AudioOutput::AudioOutput() : mixer_(std::make_shared<Mixer>()) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    throw platform::RuntimeError(platform::kDsErrNoDriver,
                                 std::string("No sound driver could be opened: ") + SDL_GetError());
  }
  SDL_AudioSpec want{};
  want.freq = static_cast<int>(kMixerRate);
  want.format = AUDIO_S16SYS;
  want.channels = kMixerChannels;
  want.samples = kBufferFrames;
  want.callback = &AudioOutput::Callback;
  want.userdata = this;
  // No changes allowed: SDL converts if the hardware differs, and the
  // callback always gets 16-bit stereo frames at the mixer's rate.
  SDL_AudioSpec have{};
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device_ == 0) {
    const std::string reason = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    throw platform::RuntimeError(platform::kDsErrNoDriver, "No sound device could be opened: " + reason);
  }
  SDL_PauseAudioDevice(device_, 0);
}

AudioOutput::~AudioOutput() {
  // After this no callback runs, so the mixer may go whenever its last
  // buffer does.
  SDL_CloseAudioDevice(device_);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SDLCALL AudioOutput::Callback(void* self, Uint8* stream, int bytes) {
  auto* output = static_cast<AudioOutput*>(self);
  const size_t frames = static_cast<size_t>(bytes) / (sizeof(int16_t) * kMixerChannels);
  // SDL hands a byte buffer aligned for its sample format.
  auto* out = reinterpret_cast<int16_t*>(stream);
  output->mixer_->SetFocused(g_focused.load(std::memory_order_relaxed));
  output->mixer_->Render(out, frames);
}

}  // namespace sdl
