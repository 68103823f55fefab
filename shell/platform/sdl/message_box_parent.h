// Which window a message box is given as its owner.
#pragma once

#include <SDL.h>

namespace sdl {

// Our window, or null when SDL would misplace the box over it: SDL's X11 box
// centres itself on its owner by adding the owner's position twice, which
// only comes out right while a window manager has framed the owner. With no
// window manager the box then lands off the screen, so it goes unowned and
// SDL centres it on the screen instead.
SDL_Window* MessageBoxParent(SDL_Window* window);

}  // namespace sdl
