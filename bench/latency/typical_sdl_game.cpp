// What a typical SDL game does, for comparison: a window, the introduction
// played by an audio callback in SDL's usual buffer of 1,024 samples, and
// silence from the first key press on.
//
//   typical_sdl_game INTRO.wav
#include <SDL.h>

#include <atomic>
#include <cstdio>
#include <cstring>

namespace {

struct Playing {
  Uint8* samples = nullptr;
  Uint32 length = 0;
  Uint32 position = 0;
  std::atomic<bool> silenced{false};
};

// 16-bit mono in, the same sample on both channels out.
void SDLCALL Fill(void* userdata, Uint8* stream, int bytes) {
  auto* playing = static_cast<Playing*>(userdata);
  auto* out = reinterpret_cast<Sint16*>(stream);
  const int frames = bytes / 4;
  for (int i = 0; i < frames; ++i) {
    Sint16 sample = 0;
    if (!playing->silenced && playing->position + 2 <= playing->length) {
      std::memcpy(&sample, playing->samples + playing->position, 2);
      playing->position += 2;
    }
    out[2 * i] = out[2 * i + 1] = sample;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO) != 0) return 2;
  Playing playing;
  SDL_AudioSpec file{};
  if (SDL_LoadWAV(argv[1], &file, &playing.samples, &playing.length) == nullptr) return 2;
  SDL_AudioSpec want{};
  want.freq = file.freq;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = 1024;
  want.callback = Fill;
  want.userdata = &playing;
  const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
  SDL_Window* window = SDL_CreateWindow("typical", 0, 0, 320, 100, 0);
  if (device == 0 || window == nullptr) return 2;
  SDL_PauseAudioDevice(device, 0);
  for (SDL_Event event; SDL_WaitEvent(&event) && event.type != SDL_QUIT;) {
    if (event.type == SDL_KEYDOWN) playing.silenced = true;
  }
  SDL_CloseAudioDevice(device);
  SDL_FreeWAV(playing.samples);
  SDL_Quit();
  return 0;
}
