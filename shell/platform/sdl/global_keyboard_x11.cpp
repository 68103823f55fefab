#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <SDL.h>

#include <array>
#include <cstring>
#include <memory>
#include <string_view>

#include "shell/platform/sdl/global_keyboard.h"
#include "shell/platform/sdl/key_table.h"
#include "shell/platform/sdl/sdl_window.h"

namespace sdl {
namespace {

std::string_view KeyName(const char (&name)[XkbKeyNameLength]) {
  return {name, strnlen(name, XkbKeyNameLength)};
}

class X11Keyboard {
 public:
  // A connection of our own, so that our round trips never take events out
  // of the queue SDL reads from its connection.
  static std::unique_ptr<X11Keyboard> Open() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return nullptr;
    auto keyboard = std::unique_ptr<X11Keyboard>(new X11Keyboard(display));
    if (!keyboard->LoadKeyNames()) return nullptr;
    return keyboard;
  }

  ~X11Keyboard() { XCloseDisplay(display_); }
  X11Keyboard(const X11Keyboard&) = delete;
  X11Keyboard& operator=(const X11Keyboard&) = delete;

  void Read(platform::KeyboardState& state) {
    // Each query is a round trip to the server, about 50 µs; a busy loop
    // asking at every pass would keep the server as busy as itself.
    const uint64_t now = MonotonicMicroseconds();
    if (now - lastQuery_ < kQueryIntervalMicroseconds && lastQuery_ != 0) {
      state = last_;
      return;
    }
    lastQuery_ = now;
    char keys[32] = {};
    XQueryKeymap(display_, keys);
    state.fill(0);
    for (size_t keycode = 0; keycode < dikByKeycode_.size(); ++keycode) {
      if ((static_cast<unsigned>(static_cast<unsigned char>(keys[keycode / 8])) >> (keycode % 8)) & 1u) {
        if (const uint8_t dik = dikByKeycode_[keycode]) state[dik] = 0x80;
      }
    }
    last_ = state;
  }

 private:
  explicit X11Keyboard(Display* display) : display_(display) {}

  // Keycodes are the server's own numbering, which differs between keycode
  // sets (evdev, xfree86); the XKB names say which key each one is.
  bool LoadKeyNames() {
    XkbDescPtr description = XkbGetMap(display_, 0, XkbUseCoreKbd);
    if (description == nullptr) return false;
    bool found = false;
    if (XkbGetNames(display_, XkbKeyNamesMask | XkbKeyAliasesMask, description) == Success &&
        description->names != nullptr && description->names->keys != nullptr) {
      const XkbNamesPtr names = description->names;
      // Key codes are bytes, so every one has its place in dikByKeycode_.
      const int first = description->min_key_code;
      const int last = description->max_key_code;
      for (int keycode = first; keycode <= last; ++keycode) {
        const uint8_t dik = DikFromXkbName(KeyName(names->keys[keycode].name));
        dikByKeycode_[static_cast<size_t>(keycode)] = dik;
        found = found || dik != 0;
      }
      // A key whose own name we do not know may have an alias we do.
      for (int i = 0; i < names->num_key_aliases && names->key_aliases != nullptr; ++i) {
        const XkbKeyAliasRec& alias = names->key_aliases[i];
        const uint8_t dik = DikFromXkbName(KeyName(alias.alias));
        if (dik == 0) continue;
        for (int keycode = first; keycode <= last; ++keycode) {
          if (dikByKeycode_[static_cast<size_t>(keycode)] == 0 &&
              KeyName(names->keys[keycode].name) == KeyName(alias.real)) {
            dikByKeycode_[static_cast<size_t>(keycode)] = dik;
          }
        }
      }
    }
    XkbFreeKeyboard(description, 0, True);
    return found;
  }

  static constexpr uint64_t kQueryIntervalMicroseconds = 1000;

  Display* display_;
  std::array<uint8_t, 256> dikByKeycode_{};
  uint64_t lastQuery_ = 0;
  platform::KeyboardState last_{};
};

bool g_tried = false;
std::unique_ptr<X11Keyboard> g_keyboard;

}  // namespace

bool ReadGlobalKeyboard(platform::KeyboardState& state) {
  if (!g_tried) {
    g_tried = true;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver != nullptr && std::strcmp(driver, "x11") == 0) g_keyboard = X11Keyboard::Open();
  }
  if (!g_keyboard) return false;
  g_keyboard->Read(state);
  return true;
}

void CloseGlobalKeyboard() {
  g_keyboard.reset();
  g_tried = false;
}

}  // namespace sdl
