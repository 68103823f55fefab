#include "shell/platform/random_generator.h"

namespace platform {
namespace {

// xoshiro128** would do as well; splitmix64 is enough for drawing a side and
// a taunt, and a single 64-bit word of state makes reseeding trivial.
uint64_t state = 0x853C49E6748FEA9Bull;

uint64_t SplitMix64() {
  state += 0x9E3779B97F4A7C15ull;
  uint64_t z = state;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

}  // namespace

void SeedRandomGenerator(uint64_t seed) {
  state = seed;
  // Mix once so that nearby seeds do not start from nearby states.
  state = SplitMix64();
}

float NextUniform() {
  return static_cast<float>(SplitMix64() >> 40) * (1.0f / 16777216.0f);
}

}  // namespace platform
