// SDL shows a message box on X11 from a child process of ours, with a
// connection of its own; nothing marks the box's window as ours but the
// process that made it. The X server knows every client's process (the
// X-Resource extension tells it), so a window is ours when its maker is this
// process or a child of it.
#include <X11/Xlib.h>
#include <X11/extensions/XRes.h>
#include <pthread.h>
#include <unistd.h>

#include <SDL_syswm.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

#include "shell/platform/sdl/box_focus.h"
#include "shell/platform/sdl/sdl_audio.h"

namespace sdl {
namespace {

// A person changes windows in tenths of a second at best; twenty milliseconds
// is two round trips to the server, a few dozen times a second.
constexpr auto kWatchInterval = std::chrono::milliseconds(20);

// The window in front may be destroyed between two questions about it; the
// error that follows only means it is no longer ours.
int IgnoreError(Display*, XErrorEvent*) { return 0; }

// Held while the watch talks to the server. SDL forks the box's process just
// as the watch starts, and a child forked while this thread holds one of
// Xlib's locks (extensions take a global one) would wait for it forever; so a
// fork first waits for the watch to be done talking.
std::mutex g_talking;

void WaitForTalkBeforeFork() {
  static std::once_flag registered;
  std::call_once(registered, [] {
    pthread_atfork([] { g_talking.lock(); }, [] { g_talking.unlock(); }, [] { g_talking.unlock(); });
  });
}

pid_t ParentProcess(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  // "PID (NAME) STATE PARENT ...", where NAME may hold blanks and brackets.
  const size_t nameEnd = line.rfind(')');
  if (nameEnd == std::string::npos) return 0;
  std::istringstream rest(line.substr(nameEnd + 1));
  char state = 0;
  pid_t parent = 0;
  rest >> state >> parent;
  return parent;
}

}  // namespace

class BoxFocusWatch::Watcher {
 public:
  static std::unique_ptr<Watcher> Start(SDL_Window* form) {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "x11") != 0) return nullptr;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return nullptr;
    int event = 0, error = 0, major = 0, minor = 0;
    // Version 1.2 is the first to name a client's process.
    if (XResQueryExtension(display, &event, &error) == False ||
        XResQueryVersion(display, &major, &minor) == 0 || major * 100 + minor < 102) {
      XCloseDisplay(display);
      return nullptr;
    }
    Window formWindow = 0;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (form != nullptr && SDL_GetWindowWMInfo(form, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11) {
      formWindow = info.info.x11.window;
    }
    WaitForTalkBeforeFork();
    return std::unique_ptr<Watcher>(new Watcher(display, formWindow));
  }

  ~Watcher() {
    {
      const std::lock_guard lock(mutex_);
      stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
    XCloseDisplay(display_);
    XSetErrorHandler(previousHandler_);
  }
  Watcher(const Watcher&) = delete;
  Watcher& operator=(const Watcher&) = delete;

 private:
  // The handler is the process's: while the box is open, SDL's connection
  // has nothing to do.
  Watcher(Display* display, Window formWindow)
      : display_(display),
        formWindow_(formWindow),
        previousHandler_(XSetErrorHandler(IgnoreError)),
        thread_([this] { Watch(); }) {}

  void Watch() {
    bool told = false;
    bool ours = false;
    std::unique_lock lock(mutex_);
    do {
      bool now = false;
      {
        // Both questions wait for their answers, errors included, so nothing
        // is left outstanding.
        const std::lock_guard talking(g_talking);
        now = InFront();
      }
      if (!told || now != ours) SetAudioFocus(now);
      told = true;
      ours = now;
    } while (!wake_.wait_for(lock, kWatchInterval, [this] { return stop_; }));
  }

  // Whether the window with the keyboard focus is ours. No window, or the
  // focus following the pointer, is none of ours, as for the event pump.
  bool InFront() {
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display_, &focus, &revert);
    if (focus == None || focus == PointerRoot) return false;
    if (focus == formWindow_) return true;
    const pid_t maker = MakerProcess(focus);
    return maker > 0 && (maker == getpid() || ParentProcess(maker) == getpid());
  }

  // The process of the client that made the window, 0 when the server cannot
  // tell (a client from another machine).
  pid_t MakerProcess(Window window) {
    XResClientIdSpec spec{window, XRES_CLIENT_ID_PID_MASK};
    long count = 0;
    XResClientIdValue* values = nullptr;
    pid_t pid = 0;
    if (XResQueryClientIds(display_, 1, &spec, &count, &values) != Success) return 0;
    for (long i = 0; i < count && pid <= 0; ++i) pid = XResGetClientPid(&values[i]);
    XResClientIdsDestroy(count, values);
    return pid > 0 ? pid : 0;
  }

  Display* display_;
  Window formWindow_;
  XErrorHandler previousHandler_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread thread_;
};

BoxFocusWatch::BoxFocusWatch(SDL_Window* form) : watcher_(Watcher::Start(form)) {}
BoxFocusWatch::~BoxFocusWatch() = default;

}  // namespace sdl
