// Asks a window to close as a window manager's close button does, which the
// Linux program's display (Xvfb, no window manager) has no other way to do.
//   x11_close WINDOW
#include <X11/Xlib.h>

#include <cstdlib>

int main(int argc, char** argv) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr || argc != 2) return 2;
  XEvent close{.xclient = {.type = ClientMessage, .serial = 0, .send_event = True, .display = display,
                           .window = std::strtoul(argv[1], nullptr, 0),
                           .message_type = XInternAtom(display, "WM_PROTOCOLS", False), .format = 32,
                           .data = {.l = {static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False))}}}};
  XSendEvent(display, close.xclient.window, False, NoEventMask, &close);
  XCloseDisplay(display);
}
