// Puts every module-level variable of the program back to its value at the
// start of a process. The simulated machine runs many programs in one test
// process, one after another; the real program never needs it.
#pragma once

void ResetModuleState();
