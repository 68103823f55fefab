// The game's arithmetic: signed 16- and 32-bit integers whose overflow is a
// run-time failure (error 6, "Overflow"), and conversions from floating point
// that round to the nearest integer with an exact half going to the even one.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "shell/platform/platform.h"

[[noreturn]] inline void RaiseOverflow() { throw platform::RuntimeError(platform::kRuntimeOverflow, "Overflow"); }

template <typename Int>
Int CheckedAdd(Int a, Int b) {
  Int sum;
  if (__builtin_add_overflow(a, b, &sum)) RaiseOverflow();
  return sum;
}

template <typename Int>
Int CheckedSubtract(Int a, Int b) {
  Int difference;
  if (__builtin_sub_overflow(a, b, &difference)) RaiseOverflow();
  return difference;
}

template <typename Int>
Int CheckedMultiply(Int a, Int b) {
  Int product;
  if (__builtin_mul_overflow(a, b, &product)) RaiseOverflow();
  return product;
}

inline int16_t CheckedAdd16(int16_t a, int16_t b) { return CheckedAdd<int16_t>(a, b); }
inline int16_t CheckedSubtract16(int16_t a, int16_t b) { return CheckedSubtract<int16_t>(a, b); }
inline int16_t CheckedMultiply16(int16_t a, int16_t b) { return CheckedMultiply<int16_t>(a, b); }
inline int32_t CheckedAdd32(int32_t a, int32_t b) { return CheckedAdd<int32_t>(a, b); }
inline int32_t CheckedMultiply32(int32_t a, int32_t b) { return CheckedMultiply<int32_t>(a, b); }

// Nearest integer, an exact half to the even neighbour: 0.5 gives 0, 1.5 gives 2.
inline double RoundHalfEven(double value) {
  const double lower = std::floor(value);
  const double fraction = value - lower;
  if (fraction > 0.5) return lower + 1.0;
  if (fraction < 0.5) return lower;
  return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

// A converted value that does not fit its integer type is an overflow too.
template <typename Int>
Int ConvertRounded(double value) {
  const double rounded = RoundHalfEven(value);
  if (!(rounded >= static_cast<double>(std::numeric_limits<Int>::min()) &&
        rounded <= static_cast<double>(std::numeric_limits<Int>::max()))) {
    RaiseOverflow();
  }
  return static_cast<Int>(rounded);
}

// The whole part: rounded down.
template <typename Int>
Int WholePart(double value) {
  const double floored = std::floor(value);
  if (!(floored >= static_cast<double>(std::numeric_limits<Int>::min()) &&
        floored <= static_cast<double>(std::numeric_limits<Int>::max()))) {
    RaiseOverflow();
  }
  return static_cast<Int>(floored);
}
