// Who is in front while one of our message boxes is open. The box blocks the
// program, which then runs none of its own loops, so no event pump follows the
// focus; yet the game's sounds must still fall silent while another program's
// window is active and come back when ours is.
#pragma once

#include <SDL.h>

#include <memory>

namespace sdl {

// For as long as it lives, tells the sound device whether the window in front
// is ours, the box counting as ours. Watches only on X11 with the X-Resource
// extension; elsewhere it does nothing, and the focus the pump saw last holds.
class BoxFocusWatch {
 public:
  explicit BoxFocusWatch(SDL_Window* form);
  ~BoxFocusWatch();
  BoxFocusWatch(const BoxFocusWatch&) = delete;
  BoxFocusWatch& operator=(const BoxFocusWatch&) = delete;

 private:
  class Watcher;
  std::unique_ptr<Watcher> watcher_;
};

}  // namespace sdl
