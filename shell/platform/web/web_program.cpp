// The run-time support of the web backend: starting and ending the game on
// the page, the DirectX root object, and the clock, folder and random
// services. The page's script calls main once the start gesture has made the
// audio output and the sounds are in the file system.
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <memory>
#include <string>

#include "shell/platform/fatal_report.h"
#include "shell/platform/platform.h"
#include "shell/platform/random_generator.h"
#include "shell/platform/web/page.h"
#include "shell/platform/web/web_audio.h"

namespace web {
std::shared_ptr<platform::DirectInput> CreateDirectInput();
}

namespace {

class WebDirectX final : public platform::DirectX {
 public:
  // The game opens the default device ("").
  std::shared_ptr<platform::SoundDevice> DirectSoundCreate(const std::string&) override {
    return web::OpenSoundDevice();
  }
  std::shared_ptr<platform::DirectInput> DirectInputCreate() override { return web::CreateDirectInput(); }
};

}  // namespace

namespace platform {

std::shared_ptr<DirectX> CreateDirectX() { return std::make_shared<WebDirectX>(); }

int RunProgram(const ProgramIdentity& identity, void (*entry)()) {
  web::AttachPage();
  const int status = CallEntry(entry, identity.title);
  web::ShowEnded(status);
  return status;
}

void EndProgram(int exitStatus) { throw ProgramEnd{exitStatus}; }

// The page puts the sounds here before the game starts.
std::string ProgramFolder() { return "/grumbosh"; }

void ChangeDirectory(const std::string& folder) {
  if (chdir(folder.c_str()) != 0) {
    const int error = errno;
    throw RuntimeError(error == EACCES ? kErrAccessDenied : kRuntimePathNotFound, "Path not found: " + folder);
  }
}

// Like the system's tick count, from the page's opening, wrapping at 2^32.
uint32_t GetTickCount() {
  return static_cast<uint32_t>(static_cast<uint64_t>(std::floor(web::PageMilliseconds())));
}

// The wall clock in a page moves in whole milliseconds; the page's own clock
// adds its fraction, so that two reseeds in one millisecond differ.
void Randomize() {
  const auto wall = static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
  SeedRandomGenerator(wall ^ static_cast<uint64_t>(web::PageMilliseconds() * 1000.0));
}

float Rnd() { return NextUniform(); }

}  // namespace platform
