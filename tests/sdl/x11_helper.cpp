// What the window tests need of X that xdotool does not do without a window
// manager:
//   x11_helper close WINDOW   asks the window to close, as a title bar's close
//                             button does (WM_DELETE_WINDOW)
//   x11_helper window NAME    maps a window of another program, gives it the
//                             focus, prints its id and stays until killed
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int Close(Display* display, Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
  return 0;
}

int Stay(Display* display, const char* name) {
  const int screen = DefaultScreen(display);
  const Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 10, 10, 200, 100, 1,
                                            BlackPixel(display, screen), WhitePixel(display, screen));
  XStoreName(display, window, name);
  XSelectInput(display, window, StructureNotifyMask | KeyPressMask | KeyReleaseMask);
  XMapWindow(display, window);
  for (;;) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == MapNotify) break;
  }
  XSetInputFocus(display, window, RevertToParent, CurrentTime);
  XSync(display, False);
  std::printf("0x%lx\n", window);
  std::fflush(stdout);
  for (;;) {
    XEvent event;
    XNextEvent(display, &event);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[1], "close") != 0 && std::strcmp(argv[1], "window") != 0)) {
    std::fprintf(stderr, "usage: %s close WINDOW | window NAME\n", argv[0]);
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "cannot open the display\n");
    return 1;
  }
  if (std::strcmp(argv[1], "close") == 0) return Close(display, static_cast<Window>(std::strtoul(argv[2], nullptr, 0)));
  return Stay(display, argv[2]);
}
