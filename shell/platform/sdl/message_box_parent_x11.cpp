#include "shell/platform/sdl/message_box_parent.h"

#include <SDL_syswm.h>

namespace sdl {

SDL_Window* MessageBoxParent(SDL_Window* window) {
  if (window == nullptr) return nullptr;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return window;
  ::Window root = 0;
  ::Window parent = 0;
  ::Window* children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(info.info.x11.display, info.info.x11.window, &root, &parent, &children, &count) == 0) {
    return window;
  }
  if (children != nullptr) XFree(children);
  return parent == root ? nullptr : window;
}

}  // namespace sdl
