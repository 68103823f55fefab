// The polled keyboard: the snapshot of every key, the latches that turn a held
// key into one press, and the re-opening of a lost keyboard.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "shell/platform/platform.h"

// The keyboard as read by the latest successful poll, by DirectInput key code;
// bit 7 set while down. Written only by PollKeyboard.
extern platform::KeyboardState KeyState;
// -1: the current press of the key has been taken; 0: free. Set only by the
// exchange, cleared only by PollKeyboard once it sees the key up.
extern std::array<int16_t, 256> KeyLatch;

extern std::shared_ptr<platform::DirectInput> DirectInputObject;
extern std::shared_ptr<platform::InputDevice> KeyboardDevice;

inline bool KeyDown(uint8_t code) { return (KeyState[code] & 0x80) != 0; }

// Start-up's opening of the keyboard (background level); failures are raised.
void OpenKeyboard();
// Opens the keyboard again at the foreground level; swallows every failure.
void InitKeyboard();
// Refreshes KeyState and frees the latches of released keys. Never raises.
void PollKeyboard();
