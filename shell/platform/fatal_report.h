// How every backend's run-time support reports a failure that nothing caught.
#pragma once

#include <string>

#include "shell/platform/platform.h"

namespace platform {

inline constexpr int kFatalExitStatus = 1;

// "Run-time error '6':" followed by a blank line and the description.
std::string FatalReport(const RuntimeError& failure);

}  // namespace platform
