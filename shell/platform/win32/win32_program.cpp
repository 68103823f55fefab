// The run-time support of the Windows backend: starting and ending the
// program, and the clock, folder and random services.
#include <objbase.h>
#include <windows.h>

#include <string>

#include "shell/platform/fatal_report.h"
#include "shell/platform/platform.h"
#include "shell/platform/random_generator.h"
#include "shell/platform/win32/win32_text.h"

namespace platform {

int RunProgram(const ProgramIdentity& identity, void (*entry)()) {
  // The window's layout is in twips and scaled by the program itself, so
  // Windows must not stretch the finished window's bitmap on top of that.
  SetProcessDPIAware();
  // DirectSound and DirectInput are COM objects, all on this one thread, and
  // held until the process ends. Should this fail, the sound device cannot
  // be opened, and the game says so.
  CoInitialize(nullptr);
  return CallEntry(entry, identity.title);
}

void EndProgram(int exitStatus) { throw ProgramEnd{exitStatus}; }

std::string ProgramFolder() {
  std::wstring path(32768, L'\0');  // the longest path Windows has
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  // With its last backslash, so that a drive's root stays the root.
  path.erase(path.find_last_of(L'\\') + 1);
  return win32::Narrow(path);
}

void ChangeDirectory(const std::string& folder) {
  if (!SetCurrentDirectoryW(win32::Widen(folder).c_str())) {
    throw RuntimeError(kRuntimePathNotFound, "Path not found: " + folder);
  }
}

uint32_t GetTickCount() { return static_cast<uint32_t>(::GetTickCount()); }

void Randomize() {
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  SeedRandomGenerator(static_cast<uint64_t>(now.QuadPart));
}

float Rnd() { return NextUniform(); }

}  // namespace platform
