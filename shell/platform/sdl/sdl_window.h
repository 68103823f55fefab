// What the SDL backend's parts share about the one window: whether it has the
// keyboard focus, and how often it has lost it, which the keyboard device
// needs to take itself away from a foreground reader.
#pragma once

#include <SDL.h>

#include <cstdint>

namespace sdl {

// Null until ShowForm.
SDL_Window* MainWindow();

// Whether our window has the keyboard focus, as of the latest DoEvents.
bool WindowHasFocus();

// Counts the times our window has lost the focus so far.
uint64_t FocusLossCount();

// The backend's one steady clock: the tick count, and the spacing of
// requests to the display server.
uint64_t MonotonicMicroseconds();

// Frees the window and its font; RunProgram calls it before SDL_Quit.
void CloseMainWindow();

}  // namespace sdl
