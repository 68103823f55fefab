#include "shell/platform/sdl/sdl_audio_output.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>

#include "shell/platform/platform.h"
#include "shell/platform/sdl/sdl_audio.h"

namespace sdl {
namespace {

// Focus is the program's, not a device's: the event pump sets it, and every
// open device's callback hands it to its mixer.
std::atomic<bool> g_focused{true};

// A keeper holds the mutex whenever it calls SDL, so that SDL's end and a new
// output wait for it. Never destroyed: an output may outlive every other
// static object of the program.
struct Keepers {
  std::mutex mutex;
  std::condition_variable wake;
  uint64_t life = 0;  // moved on when SDL ends; a keeper of an earlier life stops
};
Keepers& TheKeepers() {
  static Keepers& keepers = *new Keepers;
  return keepers;
}

// A lost device is noticed within this time.
constexpr auto kWatchInterval = std::chrono::milliseconds(100);
// Without a device the voices are moved on this often, about as often as a
// device would ask for a buffer, so that a sound's status ends on time.
constexpr auto kSkipInterval = std::chrono::milliseconds(5);

}  // namespace

void SetAudioFocus(bool focused) { g_focused.store(focused, std::memory_order_relaxed); }
bool AudioFocus() { return g_focused.load(std::memory_order_relaxed); }

uint64_t LossClock::Now() {
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
}

void StopAudioKeepers() {
  Keepers& keepers = TheKeepers();
  {
    const std::lock_guard lock(keepers.mutex);
    ++keepers.life;
  }
  keepers.wake.notify_all();
}

AudioOutput::AudioOutput() : mixer_(std::make_shared<Mixer>()) {
  const std::lock_guard lock(TheKeepers().mutex);
  life_ = TheKeepers().life;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    throw platform::RuntimeError(platform::kDsErrNoDriver,
                                 std::string("No sound driver could be opened: ") + SDL_GetError());
  }
  device_ = Open();
  if (device_ == 0) {
    const std::string reason = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    throw platform::RuntimeError(platform::kDsErrNoDriver, "No sound device could be opened: " + reason);
  }
  SDL_PauseAudioDevice(device_, 0);
  keeper_ = std::thread(&AudioOutput::Keep, this);
}

AudioOutput::~AudioOutput() {
  Keepers& keepers = TheKeepers();
  {
    const std::lock_guard lock(keepers.mutex);
    ending_ = true;
  }
  keepers.wake.notify_all();
  keeper_.join();
  const std::lock_guard lock(keepers.mutex);
  // SDL has ended and closed the device itself.
  if (life_ != keepers.life) return;
  // After this no callback runs, so the mixer may go whenever its last
  // buffer does.
  if (device_ != 0) SDL_CloseAudioDevice(device_);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

SDL_AudioDeviceID AudioOutput::Open() {
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
  return SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
}

// The game never learns that the device was lost: its buffers keep their
// positions and statuses, time goes on for them while no device plays, and
// the next device plays them on from where they are.
void AudioOutput::Keep() {
  Keepers& keepers = TheKeepers();
  std::unique_lock lock(keepers.mutex);
  std::optional<LossClock> lost;
  while (!ending_ && life_ == keepers.life) {
    if (!lost && SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_STOPPED) {
      // Until it is closed SDL goes on calling a lost device's callback at
      // about the device's pace and drops what it mixes; from then on the
      // keeper moves the voices on.
      SDL_CloseAudioDevice(device_);
      device_ = 0;
      lost.emplace(LossClock::Now());
    }
    if (lost) {
      mixer_->Skip(lost->FramesDue(LossClock::Now()));
      if (lost->AttemptDue(LossClock::Now())) {
        // SDL reaches a sound server that was restarted in the meantime.
        device_ = Open();
        // The attempt may have waited on a server: the voices are owed that time too.
        mixer_->Skip(lost->FramesDue(LossClock::Now()));
        if (device_ != 0) {
          SDL_PauseAudioDevice(device_, 0);
          lost.reset();
        } else {
          lost->Attempted(LossClock::Now());
        }
      }
    }
    keepers.wake.wait_for(lock, lost ? kSkipInterval : kWatchInterval);
  }
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
