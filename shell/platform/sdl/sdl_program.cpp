// The run-time support of the SDL backend: starting and ending the program,
// the report of a failure nothing caught, and the clock, folder and random
// services.
#include <SDL.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <exception>
#include <new>
#include <string>

#include "shell/platform/fatal_report.h"
#include "shell/platform/platform.h"
#include "shell/platform/random_generator.h"
#include "shell/platform/sdl/global_keyboard.h"
#include "shell/platform/sdl/sdl_window.h"

namespace platform {
namespace {


void Shutdown() {
  sdl::CloseGlobalKeyboard();
  sdl::CloseMainWindow();
  // Closes the audio device too, which makes the disk driver write out its file.
  SDL_Quit();
}

uint64_t ClockNanoseconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1'000'000'000u + static_cast<uint64_t>(now.tv_nsec);
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
  std::string folder;
  if (char* base = SDL_GetBasePath()) {
    folder = base;
    SDL_free(base);
  } else {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) throw RuntimeError(kErrFail, "Cannot find the program's folder");
    folder.assign(path, static_cast<size_t>(length));
    folder.erase(folder.find_last_of('/') + 1);
  }
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
uint32_t GetTickCount() { return static_cast<uint32_t>(ClockNanoseconds(CLOCK_MONOTONIC) / 1'000'000u); }

void Randomize() { SeedRandomGenerator(ClockNanoseconds(CLOCK_REALTIME)); }

float Rnd() { return NextUniform(); }

}  // namespace platform
