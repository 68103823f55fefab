// The part of every real backend's RunProgram that does not depend on the
// backend: calling the entry procedure and reporting what nothing caught.
#include <cstdio>
#include <new>

#include "shell/platform/fatal_report.h"

namespace platform {

void ReportUncaught(const std::string& title, const RuntimeError& failure) {
  const std::string text = FatalReport(failure);
  std::fprintf(stderr, "%s\n", text.c_str());
  std::fflush(stderr);
  ShowMessageBox(text, title);
}

int CallEntry(void (*entry)(), const std::string& title) {
  try {
    entry();
    return 0;
  } catch (const ProgramEnd& end) {
    return end.exitStatus;
  } catch (const RuntimeError& failure) {
    ReportUncaught(title, failure);
  } catch (const std::bad_alloc&) {
    ReportUncaught(title, RuntimeError(kRuntimeOutOfMemory, "Out of memory"));
  } catch (const std::exception& failure) {
    ReportUncaught(title, RuntimeError(kRuntimeInternalError, std::string("Internal error: ") + failure.what()));
  }
  return kFatalExitStatus;
}

}  // namespace platform
