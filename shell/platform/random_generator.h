// The uniform generator behind Randomize and Rnd, shared by every backend;
// each backend seeds it from its own clock.
#pragma once

#include <cstdint>

namespace platform {

// Every seed starts an unrelated sequence: seeds one apart (two reseeds a
// microsecond apart) give independent draws.
void SeedRandomGenerator(uint64_t seed);
// Uniform in [0, 1), a multiple of 2^-24, so that every value is exact in a
// single-precision float.
float NextUniform();

}  // namespace platform
