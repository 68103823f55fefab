#include "shell/program_state.h"

#include <vector>

namespace {

// Built on first use, so that registrations from any file's static
// initialisation find it ready.
std::vector<void (*)()>& Resets() {
  static std::vector<void (*)()> resets;
  return resets;
}

}  // namespace

ProgramStateRegistration::ProgramStateRegistration(void (*reset)()) { Resets().push_back(reset); }

void ResetModuleState() {
  for (void (*reset)() : Resets()) reset();
}
