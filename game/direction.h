// The three sides an attack comes from and a key answers to, and how each is
// heard: its pan, in hundredths of a decibel.
#pragma once

#include <cstdint>

enum Direction : uint8_t { kLeft = 0, kCentre = 1, kRight = 2 };

inline constexpr int32_t kDirectionPan[3] = {-10000, 0, 10000};
