// The run-time support of the Windows backend: starting and ending the
// program, the report of a failure nothing caught, and the clock, folder and
// random services.
#include <objbase.h>
#include <windows.h>

#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "shell/platform/fatal_report.h"
#include "shell/platform/platform.h"
#include "shell/platform/random_generator.h"
#include "shell/platform/win32/win32_failure.h"
#include "shell/platform/win32/win32_text.h"

namespace platform {
namespace {


}  // namespace

int RunProgram(const ProgramIdentity& identity, void (*entry)()) {
  // The window's layout is in twips and scaled by the program itself, so
  // Windows must not stretch the finished window's bitmap on top of that.
  SetProcessDPIAware();
  // DirectSound and DirectInput are COM objects, all on this one thread.
  const HRESULT com = CoInitialize(nullptr);
  if (FAILED(com)) {
    ReportUncaught(identity.title, RuntimeError(static_cast<int32_t>(com),
                                                win32::DescribeResult(com, win32::Api::System, "CoInitialize")));
    return kFatalExitStatus;
  }
  const int status = CallEntry(entry, identity.title);
  // The devices are held by the game's module-level objects until the process
  // ends, so COM stays initialised for them.
  return status;
}

void EndProgram(int exitStatus) { throw ProgramEnd{exitStatus}; }

std::string ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) throw RuntimeError(kErrFail, "Cannot find the program's folder");
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  // Without the separator at the end, as the game appends "/sounds/...".
  const size_t slash = path.find_last_of(L"\\/");
  if (slash != std::wstring::npos) path.erase(slash);
  if (path.size() == 2 && path[1] == L':') path += L'\\';  // a drive's root keeps its backslash
  return win32::Narrow(path);
}

void ChangeDirectory(const std::string& folder) {
  if (!SetCurrentDirectoryW(win32::Widen(folder).c_str())) {
    const DWORD error = GetLastError();
    throw RuntimeError(error == ERROR_ACCESS_DENIED ? kErrAccessDenied : kRuntimePathNotFound,
                       "Path not found: " + folder);
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
