// The sound device's two costs that the player can feel or the machine pays:
//  - PlayToFirstMix: the time from a buffer's Play to the audio callback
//    that first mixes its samples into the device's buffer, on a real SDL
//    device (the disk driver writing to /dev/null, paced in real time like a
//    sound card, unless SDL_AUDIODRIVER says otherwise). The buffer is one
//    frame long, so the callback that mixes it also ends it: its status
//    turning 0 marks the moment. Reported as median and worst in
//    milliseconds.
//  - Render4Voices/0: the mixer's work for one 256-frame callback with four
//    voices playing (two mono, one stereo, one looping; each panned);
//    Render4Voices/1: the same voices mixed again for a change on the direct
//    server output (2,176 frames).
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "shell/platform/platform.h"
#include "shell/platform/sdl/pulse_output.h"
#include "shell/platform/sdl/sdl_audio_output.h"
#include "shell/platform/mixer/mixer.h"

namespace {

using Clock = std::chrono::steady_clock;

void PlayToFirstMix(benchmark::State& state) {
  if (std::getenv("SDL_AUDIODRIVER") == nullptr) {
    SDL_setenv("SDL_AUDIODRIVER", "disk", 1);
    SDL_setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
  }
  sdl::AudioOutput output;
  mixer::Voice voice(platform::Samples(1, 8000), 1);
  output.SharedMixer()->Add(&voice);
  std::mt19937 random(1);
  std::uniform_int_distribution<int> phase(0, 12000);
  std::vector<double> latencies;

  for (auto _ : state) {
    // Play at a random moment of the device's period, as the game does.
    std::this_thread::sleep_for(std::chrono::microseconds(15000 + phase(random)));
    const auto start = Clock::now();
    voice.Play(platform::kPlayOnce);
    while (voice.Status() != 0) std::this_thread::yield();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(seconds);
    latencies.push_back(seconds * 1000);
  }
  output.SharedMixer()->Remove(&voice);

  std::sort(latencies.begin(), latencies.end());
  state.counters["median_ms"] = latencies[latencies.size() / 2];
  state.counters["worst_ms"] = latencies.back();
  state.counters["device_buffer_ms"] = 1000.0 * sdl::AudioOutput::kBufferFrames / mixer::kMixerRate;
}
BENCHMARK(PlayToFirstMix)->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);

// Mixes state.range(0) frames of four voices: with argument 0, one SDL
// callback's 256 frames; with argument 1, what a change on the direct server
// output mixes again on the game's thread (the voices taken from the heard
// timeline, then the server's whole queue and a period).
void Render4Voices(benchmark::State& state) {
  platform::Samples mono(22050);
  platform::Samples stereo(2 * 22050);
  for (size_t i = 0; i < mono.size(); ++i) mono[i] = static_cast<int16_t>((i * 131) % 20000 - 10000);
  for (size_t i = 0; i < stereo.size(); ++i) stereo[i] = static_cast<int16_t>((i * 71) % 20000 - 10000);
  mixer::Mixer mixer;
  mixer::Voice a(mono, 1), b(mono, 1), c(stereo, 2), d(mono, 1);
  const int32_t pans[] = {-10000, 0, 2000, 10000};
  mixer::Voice* voices[] = {&a, &b, &c, &d};
  for (int i = 0; i < 4; ++i) {
    mixer.Add(voices[i]);
    voices[i]->SetPan(pans[i]);
    voices[i]->SetVolume(i == 3 ? -400 : 0);
    voices[i]->Play(platform::kPlayLooping);
  }
  const bool again = state.range(0) == 1;
  const size_t frames = again ? sdl::PulseOutput::kAheadFrames + sdl::PulseOutput::kPeriodFrames
                              : sdl::AudioOutput::kBufferFrames;
  std::vector<int16_t> out(frames * 2);
  for (auto _ : state) {
    if (again) {
      mixer.Rewind();
      mixer.RenderAhead(out.data(), frames);
    } else {
      mixer.Render(out.data(), frames);
    }
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  for (mixer::Voice* v : voices) mixer.Remove(v);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(frames));
}
BENCHMARK(Render4Voices)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
