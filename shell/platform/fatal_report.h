// How every backend's run-time support reports a failure that nothing caught.
#pragma once

#include <string>

#include "shell/platform/platform.h"

namespace platform {

inline constexpr int kFatalExitStatus = 1;

// The run-time's own error numbers for failures that carry none.
inline constexpr int32_t kRuntimeInternalError = 51;
inline constexpr int32_t kRuntimePathNotFound = 76;

// "Run-time error '6':" followed by a blank line and the description.
std::string FatalReport(const RuntimeError& failure);

// The same report on standard error and in a message box, for whoever is
// looking.
void ReportUncaught(const std::string& title, const RuntimeError& failure);

// Calls the program's entry procedure as the run-time does: a program ended
// by EndProgram gives its exit status; a failure nothing caught (and any
// other exception, as a run-time error of its own) is reported and gives
// kFatalExitStatus.
int CallEntry(void (*entry)(), const std::string& title);

}  // namespace platform
