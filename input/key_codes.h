// Every key the game reacts to, as DirectInput key codes: the published DIK_
// numbering, which is the keyboard's set-1 scan code with 0x80 added for the
// extended (E0-prefixed) keys such as the arrows.
#pragma once

#include <array>
#include <cstdint>

#include "game/direction.h"

inline constexpr uint8_t DIK_ESCAPE = 0x01;
inline constexpr uint8_t DIK_Y = 0x15;
inline constexpr uint8_t DIK_RETURN = 0x1C;
inline constexpr uint8_t DIK_LCONTROL = 0x1D;
inline constexpr uint8_t DIK_LSHIFT = 0x2A;
inline constexpr uint8_t DIK_N = 0x31;
inline constexpr uint8_t DIK_RSHIFT = 0x36;
inline constexpr uint8_t DIK_SPACE = 0x39;
inline constexpr uint8_t DIK_UP = 0xC8;
inline constexpr uint8_t DIK_LEFT = 0xCB;
inline constexpr uint8_t DIK_RIGHT = 0xCD;
inline constexpr uint8_t DIK_DOWN = 0xD0;

struct DirectionKey {
  uint8_t code;
  Direction direction;
};

// The six direction keys in the order every pass of an exchange tests them:
// when two are found down in one pass, the later one here wins.
inline constexpr std::array<DirectionKey, 6> kDirectionKeys = {{
    {DIK_LEFT, kLeft},
    {DIK_LSHIFT, kLeft},
    {DIK_UP, kCentre},
    {DIK_SPACE, kCentre},
    {DIK_RIGHT, kRight},
    {DIK_RSHIFT, kRight},
}};

// The ten keys that hold back and cut short an announcement; any one suffices.
inline constexpr std::array<uint8_t, 10> kSkipKeys = {
    DIK_UP, DIK_DOWN, DIK_LEFT, DIK_RIGHT, DIK_SPACE,
    DIK_LCONTROL, DIK_ESCAPE, DIK_RETURN, DIK_LSHIFT, DIK_RSHIFT,
};
