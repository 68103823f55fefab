// One pass of an exchange's reaction window on the SDL backend, as the game
// runs it: the tick count, the game's own keyboard poll (the read and the
// pass over the latches), pending messages, and the seven key tests. Its rate
// is the resolution at which a window times the player. Needs an X display
// (run it under xvfb-run).
#include <benchmark/benchmark.h>

#include <SDL.h>

#include "game/main_game.h"
#include "input/key_codes.h"
#include "input/keyboard.h"
#include "game/arithmetic.h"
#include "shell/devices.h"
#include "shell/main_window.h"
#include "shell/platform/platform.h"
#include "shell/platform/sdl/sdl_window.h"
#include "shell/product.h"

namespace {

int Argc = 0;
char** Argv = nullptr;

void BM_ExchangeWindowPass(benchmark::State& state) {
  SDL_SetWindowInputFocus(sdl::MainWindow());
  for (int i = 0; i < 2000 && !sdl::WindowHasFocus(); ++i) {
    platform::DoEvents();
    SDL_Delay(1);
  }
  if (!sdl::WindowHasFocus()) {
    state.SkipWithError("no focus");
    return;
  }
  uint8_t choice = kLeft;
  bool pressed = false;
  TickStart = static_cast<int32_t>(platform::GetTickCount());
  for (auto _ : state) {
    Elapsed = static_cast<int32_t>(platform::GetTickCount() - static_cast<uint32_t>(TickStart));
    PollKeyboard();
    platform::DoEvents();
    if (KeyDown(DIK_ESCAPE) && KeyLatch[DIK_ESCAPE] == 0) state.SkipWithError("Escape is down");
    for (const DirectionKey& key : kDirectionKeys) {
      if (KeyDown(key.code) && KeyLatch[key.code] == 0) {
        choice = key.direction;
        pressed = true;
      }
    }
    benchmark::DoNotOptimize(Elapsed > CheckedSubtract16(1000, Agility));
    benchmark::DoNotOptimize(pressed);
    benchmark::DoNotOptimize(choice);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ExchangeWindowPass)->MinTime(2.0);

void BenchMain() {
  ShowMainWindow();
  DirectXRoot = platform::CreateDirectX();
  OpenKeyboard();
  benchmark::Initialize(&Argc, Argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
}

}  // namespace

int main(int argc, char** argv) {
  Argc = argc;
  Argv = argv;
  return platform::RunProgram({kProductTitle}, BenchMain);
}
