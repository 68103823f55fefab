// One pass of the game's busy loops on the SDL backend: process pending
// messages, read the keyboard, read the tick count. Needs an X display (run
// it under xvfb-run); measured with our window focused and with another
// program's window in front, when the keyboard is read from the X server.
#include <X11/Xlib.h>
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <cstdio>
#include <memory>

#include "shell/main_window.h"
#include "shell/platform/platform.h"
#include "shell/product.h"
#include "shell/platform/sdl/sdl_window.h"

namespace {

std::shared_ptr<platform::InputDevice> Keyboard;
int Argc = 0;
char** Argv = nullptr;
Display* OtherDisplay = nullptr;
Window OtherWindow = 0;

bool WaitForFocus(bool wanted) {
  for (int i = 0; i < 2000 && sdl::WindowHasFocus() != wanted; ++i) {
    platform::DoEvents();
    SDL_Delay(1);
  }
  return sdl::WindowHasFocus() == wanted;
}

bool FocusOurs() {
  SDL_SetWindowInputFocus(sdl::MainWindow());
  return WaitForFocus(true);
}

// A window of "another program", on a connection of its own.
bool FocusOther() {
  if (OtherDisplay == nullptr) {
    OtherDisplay = XOpenDisplay(nullptr);
    if (OtherDisplay == nullptr) return false;
    const int screen = DefaultScreen(OtherDisplay);
    OtherWindow = XCreateSimpleWindow(OtherDisplay, RootWindow(OtherDisplay, screen), 0, 0, 100, 100, 0, 0, 0);
    XMapWindow(OtherDisplay, OtherWindow);
    XSync(OtherDisplay, False);
    SDL_Delay(50);
  }
  XSetInputFocus(OtherDisplay, OtherWindow, RevertToParent, CurrentTime);
  XSync(OtherDisplay, False);
  return WaitForFocus(false);
}

void PollPass(benchmark::State& state, bool (*focus)()) {
  if (!focus()) {
    state.SkipWithError("could not move the focus");
    return;
  }
  platform::KeyboardState keys{};
  for (auto _ : state) {
    platform::DoEvents();
    Keyboard->GetDeviceStateKeyboard(keys);
    benchmark::DoNotOptimize(keys);
    benchmark::DoNotOptimize(platform::GetTickCount());
  }
  state.SetItemsProcessed(state.iterations());
}

void DoEventsOnly(benchmark::State& state, bool (*focus)()) {
  if (!focus()) {
    state.SkipWithError("could not move the focus");
    return;
  }
  for (auto _ : state) platform::DoEvents();
  state.SetItemsProcessed(state.iterations());
}

// What DoEvents spaces out: one request to the server for new events.
void BM_SdlPumpEventsFocused(benchmark::State& state) {
  if (!FocusOurs()) {
    state.SkipWithError("could not move the focus");
    return;
  }
  for (auto _ : state) SDL_PumpEvents();
  state.SetItemsProcessed(state.iterations());
}

void BM_PollPassFocused(benchmark::State& state) { PollPass(state, FocusOurs); }
void BM_PollPassUnfocused(benchmark::State& state) { PollPass(state, FocusOther); }
void BM_DoEventsFocused(benchmark::State& state) { DoEventsOnly(state, FocusOurs); }
BENCHMARK(BM_PollPassFocused);
BENCHMARK(BM_PollPassUnfocused);
BENCHMARK(BM_DoEventsFocused);
BENCHMARK(BM_SdlPumpEventsFocused);

void BenchMain() {
  platform::ShowForm(frmGrumboshDescription());
  auto root = platform::CreateDirectX();
  auto input = root->DirectInputCreate();
  Keyboard = input->CreateDevice("GUID_SysKeyboard");
  Keyboard->SetCommonDataFormat(platform::kDataFormatKeyboard);
  Keyboard->SetCooperativeLevel(platform::FormHandle(),
                                platform::kCooperativeNonExclusive | platform::kCooperativeBackground);
  Keyboard->Acquire();
  benchmark::Initialize(&Argc, Argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (OtherDisplay != nullptr) XCloseDisplay(OtherDisplay);
}

}  // namespace

int main(int argc, char** argv) {
  Argc = argc;
  Argv = argv;
  return platform::RunProgram({kProductTitle}, BenchMain);
}
