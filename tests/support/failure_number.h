// The number of the run-time failure a call raises, 0 when it raises none;
// every failure must also say what went wrong.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

#include "shell/platform/platform.h"

namespace test {

inline int32_t NumberOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const platform::RuntimeError& failure) {
    EXPECT_FALSE(failure.Description().empty());
    return failure.Number();
  }
  return 0;
}

}  // namespace test
