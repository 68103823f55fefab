// Preloaded into the Linux program: writes the text of each message box to
// standard error before SDL shows the box, since the pixels of its text cannot
// be read back.
#include <SDL.h>
#include <dlfcn.h>

#include <cstdio>

extern "C" int SDL_ShowMessageBox(const SDL_MessageBoxData* box, int* button) {
  std::fprintf(stderr, "message box: %s\n", box->message);
  using Show = int (*)(const SDL_MessageBoxData*, int*);
  return reinterpret_cast<Show>(dlsym(RTLD_NEXT, "SDL_ShowMessageBox"))(box, button);
}
