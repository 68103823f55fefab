// The program's entry procedure and the opening of its devices.
#pragma once

#include <string>

// Shows the main window and starts the devices; the whole game runs inside.
void Main();
// Opens the sound device and the keyboard, loads the resident sounds, plays
// the introduction and starts the first game. Does not return.
void InitDevices();
// The steps of InitDevices before the introduction: the sound device (or the
// sound-driver message and the end), its primary buffer and listener, the
// keyboard, and the resident sounds.
void OpenDevices();

std::string SoundDriverMessage();
