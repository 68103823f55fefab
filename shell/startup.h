// The program's entry procedure and the opening of its devices.
#pragma once

#include <string>

// Shows the main window and starts the devices; the whole game runs inside.
void Main();
// Opens the sound device and the keyboard, loads the resident sounds, plays
// the introduction and starts the first game. Does not return.
void InitDevices();

std::string SoundDriverMessage();
