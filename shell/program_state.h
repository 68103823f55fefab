// The program's module-level variables, each declared once with
// PROGRAM_STATE, which also records how to put it back to its value at the
// start of a process: empty, zero or false. The simulated machine runs many
// programs in one test process, one after another, and calls
// ResetModuleState before each; the real program never needs it.
#pragma once

// Puts every variable declared with PROGRAM_STATE back to its start value.
void ResetModuleState();

struct ProgramStateRegistration {
  explicit ProgramStateRegistration(void (*reset)());
};

// PROGRAM_STATE(Score, int32_t); defines `int32_t Score` and its reset. The
// type comes last, so that it may hold commas.
#define PROGRAM_STATE(name, ...) \
  __VA_ARGS__ name{};            \
  static const ProgramStateRegistration name##Registration([] { name = {}; })
