// The run-time support of the SDL backend: starting and ending the program,
// the report of a failure nothing caught, and the clock, folder and random
// services.
#include <SDL.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>

#include "shell/platform/fatal_report.h"
#include "shell/platform/platform.h"
#include "shell/platform/random_generator.h"
#include "shell/platform/sdl/global_keyboard.h"
#include "shell/platform/sdl/sdl_audio.h"
#include "shell/platform/sdl/sdl_window.h"

namespace platform {
namespace {

void Shutdown() {
  sdl::CloseGlobalKeyboard();
  sdl::CloseMainWindow();
  // The game's sound device lives on until the process ends: its keeper must
  // not reopen it once SDL is gone.
  sdl::StopAudioKeepers();
  // Closes the audio device too, which makes the disk driver write out its file.
  SDL_Quit();
}

}  // namespace

int RunProgram(const ProgramIdentity& identity, void (*entry)()) {
  // Ctrl+C and SIGTERM end the process as they would any other; SDL would
  // otherwise turn them into a quit event the game may not look at for a while.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // The window is drawn in software a few times a game; a GPU renderer behind
  // it would only load a graphics driver.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "%s\n",
                 FatalReport(RuntimeError(kErrFail, std::string("Cannot open the display: ") + SDL_GetError()))
                     .c_str());
    SDL_Quit();
    return kFatalExitStatus;
  }
  const int status = CallEntry(entry, identity.title);
  Shutdown();
  return status;
}

void EndProgram(int exitStatus) { throw ProgramEnd{exitStatus}; }

std::string ProgramFolder() {
  char* base = SDL_GetBasePath();
  if (base == nullptr) throw RuntimeError(kErrFail, std::string("No program folder: ") + SDL_GetError());
  std::string folder = base;
  SDL_free(base);
  // Without the separator at the end, as the game appends "/sounds/...".
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

void ChangeDirectory(const std::string& folder) {
  if (chdir(folder.c_str()) != 0) {
    const int error = errno;
    throw RuntimeError(error == EACCES ? kErrAccessDenied : kRuntimePathNotFound, "Path not found: " + folder);
  }
}

// Like the system's tick count, from an arbitrary start, wrapping at 2^32.
uint32_t GetTickCount() { return static_cast<uint32_t>(sdl::MonotonicMicroseconds() / 1000u); }

void Randomize() {
  SeedRandomGenerator(static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()));
}

float Rnd() { return NextUniform(); }

}  // namespace platform
