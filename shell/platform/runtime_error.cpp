#include "shell/platform/platform.h"

#include <utility>

namespace platform {

RuntimeError::RuntimeError(int32_t number, std::string description)
    : number_(number), description_(std::move(description)) {}

}  // namespace platform

#include "shell/platform/fatal_report.h"

namespace platform {

std::string FatalReport(const RuntimeError& failure) {
  return "Run-time error '" + std::to_string(failure.Number()) + "':\n\n" + failure.Description();
}

}  // namespace platform
