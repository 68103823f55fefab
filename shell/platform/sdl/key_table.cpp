// The codes are DirectInput's DIK_* numbering, which is the PC keyboard's
// scan code set 1: the make code of a key, with 0x80 added for the keys whose
// make code is prefixed by 0xE0 (the grey navigation keys, the right-hand
// modifiers, keypad Enter and keypad slash). The values are those published in
// DirectInput's dinput.h. The table is laid out in that order, so a row's
// neighbours are its neighbours on the scan-code map.
//
// XKB names each key by its place on the board (row E, key 01 is "AE01"), not
// by what it types, so the names hold for every layout. Names of both the
// evdev and the older xfree86 keycode sets, and their common aliases, are
// listed.
#include "shell/platform/sdl/key_table.h"

#include <algorithm>

namespace sdl {
namespace {

constexpr Key kKeys[] = {
    {SDL_SCANCODE_ESCAPE, 0x01, "ESC"},             // DIK_ESCAPE
    {SDL_SCANCODE_1, 0x02, "AE01"},                 // DIK_1
    {SDL_SCANCODE_2, 0x03, "AE02"},
    {SDL_SCANCODE_3, 0x04, "AE03"},
    {SDL_SCANCODE_4, 0x05, "AE04"},
    {SDL_SCANCODE_5, 0x06, "AE05"},
    {SDL_SCANCODE_6, 0x07, "AE06"},
    {SDL_SCANCODE_7, 0x08, "AE07"},
    {SDL_SCANCODE_8, 0x09, "AE08"},
    {SDL_SCANCODE_9, 0x0A, "AE09"},
    {SDL_SCANCODE_0, 0x0B, "AE10"},                 // DIK_0
    {SDL_SCANCODE_MINUS, 0x0C, "AE11"},             // DIK_MINUS
    {SDL_SCANCODE_EQUALS, 0x0D, "AE12"},            // DIK_EQUALS
    {SDL_SCANCODE_BACKSPACE, 0x0E, "BKSP"},         // DIK_BACK
    {SDL_SCANCODE_TAB, 0x0F, "TAB"},                // DIK_TAB
    {SDL_SCANCODE_Q, 0x10, "AD01"},
    {SDL_SCANCODE_W, 0x11, "AD02"},
    {SDL_SCANCODE_E, 0x12, "AD03"},
    {SDL_SCANCODE_R, 0x13, "AD04"},
    {SDL_SCANCODE_T, 0x14, "AD05"},
    {SDL_SCANCODE_Y, 0x15, "AD06"},
    {SDL_SCANCODE_U, 0x16, "AD07"},
    {SDL_SCANCODE_I, 0x17, "AD08"},
    {SDL_SCANCODE_O, 0x18, "AD09"},
    {SDL_SCANCODE_P, 0x19, "AD10"},
    {SDL_SCANCODE_LEFTBRACKET, 0x1A, "AD11"},       // DIK_LBRACKET
    {SDL_SCANCODE_RIGHTBRACKET, 0x1B, "AD12"},      // DIK_RBRACKET
    {SDL_SCANCODE_RETURN, 0x1C, "RTRN"},            // DIK_RETURN
    {SDL_SCANCODE_LCTRL, 0x1D, "LCTL"},             // DIK_LCONTROL
    {SDL_SCANCODE_A, 0x1E, "AC01"},
    {SDL_SCANCODE_S, 0x1F, "AC02"},
    {SDL_SCANCODE_D, 0x20, "AC03"},
    {SDL_SCANCODE_F, 0x21, "AC04"},
    {SDL_SCANCODE_G, 0x22, "AC05"},
    {SDL_SCANCODE_H, 0x23, "AC06"},
    {SDL_SCANCODE_J, 0x24, "AC07"},
    {SDL_SCANCODE_K, 0x25, "AC08"},
    {SDL_SCANCODE_L, 0x26, "AC09"},
    {SDL_SCANCODE_SEMICOLON, 0x27, "AC10"},         // DIK_SEMICOLON
    {SDL_SCANCODE_APOSTROPHE, 0x28, "AC11"},        // DIK_APOSTROPHE
    {SDL_SCANCODE_GRAVE, 0x29, "TLDE"},             // DIK_GRAVE
    {SDL_SCANCODE_LSHIFT, 0x2A, "LFSH"},            // DIK_LSHIFT
    {SDL_SCANCODE_BACKSLASH, 0x2B, "BKSL AC12"},    // DIK_BACKSLASH
    {SDL_SCANCODE_NONUSHASH, 0x2B, ""},             // the ISO key in the backslash's place
    {SDL_SCANCODE_Z, 0x2C, "AB01"},
    {SDL_SCANCODE_X, 0x2D, "AB02"},
    {SDL_SCANCODE_C, 0x2E, "AB03"},
    {SDL_SCANCODE_V, 0x2F, "AB04"},
    {SDL_SCANCODE_B, 0x30, "AB05"},
    {SDL_SCANCODE_N, 0x31, "AB06"},
    {SDL_SCANCODE_M, 0x32, "AB07"},
    {SDL_SCANCODE_COMMA, 0x33, "AB08"},             // DIK_COMMA
    {SDL_SCANCODE_PERIOD, 0x34, "AB09"},            // DIK_PERIOD
    {SDL_SCANCODE_SLASH, 0x35, "AB10"},             // DIK_SLASH
    {SDL_SCANCODE_RSHIFT, 0x36, "RTSH"},            // DIK_RSHIFT
    {SDL_SCANCODE_KP_MULTIPLY, 0x37, "KPMU"},       // DIK_MULTIPLY
    {SDL_SCANCODE_LALT, 0x38, "LALT"},              // DIK_LMENU
    {SDL_SCANCODE_SPACE, 0x39, "SPCE"},             // DIK_SPACE
    {SDL_SCANCODE_CAPSLOCK, 0x3A, "CAPS"},          // DIK_CAPITAL
    {SDL_SCANCODE_F1, 0x3B, "FK01"},
    {SDL_SCANCODE_F2, 0x3C, "FK02"},
    {SDL_SCANCODE_F3, 0x3D, "FK03"},
    {SDL_SCANCODE_F4, 0x3E, "FK04"},
    {SDL_SCANCODE_F5, 0x3F, "FK05"},
    {SDL_SCANCODE_F6, 0x40, "FK06"},
    {SDL_SCANCODE_F7, 0x41, "FK07"},
    {SDL_SCANCODE_F8, 0x42, "FK08"},
    {SDL_SCANCODE_F9, 0x43, "FK09"},
    {SDL_SCANCODE_F10, 0x44, "FK10"},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x45, "NMLK"},      // DIK_NUMLOCK
    {SDL_SCANCODE_SCROLLLOCK, 0x46, "SCLK"},        // DIK_SCROLL
    {SDL_SCANCODE_KP_7, 0x47, "KP7"},               // DIK_NUMPAD7
    {SDL_SCANCODE_KP_8, 0x48, "KP8"},
    {SDL_SCANCODE_KP_9, 0x49, "KP9"},
    {SDL_SCANCODE_KP_MINUS, 0x4A, "KPSU"},          // DIK_SUBTRACT
    {SDL_SCANCODE_KP_4, 0x4B, "KP4"},
    {SDL_SCANCODE_KP_5, 0x4C, "KP5"},
    {SDL_SCANCODE_KP_6, 0x4D, "KP6"},
    {SDL_SCANCODE_KP_PLUS, 0x4E, "KPAD"},           // DIK_ADD
    {SDL_SCANCODE_KP_1, 0x4F, "KP1"},
    {SDL_SCANCODE_KP_2, 0x50, "KP2"},
    {SDL_SCANCODE_KP_3, 0x51, "KP3"},
    {SDL_SCANCODE_KP_0, 0x52, "KP0"},               // DIK_NUMPAD0
    {SDL_SCANCODE_KP_PERIOD, 0x53, "KPDL"},         // DIK_DECIMAL
    {SDL_SCANCODE_NONUSBACKSLASH, 0x56, "LSGT"},    // DIK_OEM_102, the ISO key beside left Shift
    {SDL_SCANCODE_F11, 0x57, "FK11"},
    {SDL_SCANCODE_F12, 0x58, "FK12"},
    {SDL_SCANCODE_F13, 0x64, "FK13"},
    {SDL_SCANCODE_F14, 0x65, "FK14"},
    {SDL_SCANCODE_F15, 0x66, "FK15"},
    {SDL_SCANCODE_INTERNATIONAL2, 0x70, "HKTG"},    // DIK_KANA
    {SDL_SCANCODE_INTERNATIONAL1, 0x73, "AB11"},    // DIK_ABNT_C1
    {SDL_SCANCODE_INTERNATIONAL4, 0x79, "HENK"},    // DIK_CONVERT
    {SDL_SCANCODE_INTERNATIONAL5, 0x7B, "MUHE"},    // DIK_NOCONVERT
    {SDL_SCANCODE_INTERNATIONAL3, 0x7D, "AE13"},    // DIK_YEN
    {SDL_SCANCODE_KP_EQUALS, 0x8D, "KPEQ"},         // DIK_NUMPADEQUALS
    {SDL_SCANCODE_AUDIOPREV, 0x90, "I173"},         // DIK_PREVTRACK; media keys have only evdev's numbered names
    {SDL_SCANCODE_AUDIONEXT, 0x99, "I171"},         // DIK_NEXTTRACK
    {SDL_SCANCODE_KP_ENTER, 0x9C, "KPEN"},          // DIK_NUMPADENTER
    {SDL_SCANCODE_RCTRL, 0x9D, "RCTL"},             // DIK_RCONTROL
    {SDL_SCANCODE_AUDIOMUTE, 0xA0, "MUTE"},         // DIK_MUTE
    {SDL_SCANCODE_AUDIOPLAY, 0xA2, "I172"},         // DIK_PLAYPAUSE
    {SDL_SCANCODE_AUDIOSTOP, 0xA4, "I174"},         // DIK_MEDIASTOP
    {SDL_SCANCODE_VOLUMEDOWN, 0xAE, "VOL-"},        // DIK_VOLUMEDOWN
    {SDL_SCANCODE_VOLUMEUP, 0xB0, "VOL+"},          // DIK_VOLUMEUP
    {SDL_SCANCODE_KP_COMMA, 0xB3, "KPDC"},          // DIK_NUMPADCOMMA
    {SDL_SCANCODE_KP_DIVIDE, 0xB5, "KPDV"},         // DIK_DIVIDE
    {SDL_SCANCODE_PRINTSCREEN, 0xB7, "PRSC SYRQ"},  // DIK_SYSRQ
    {SDL_SCANCODE_RALT, 0xB8, "RALT ALGR"},         // DIK_RMENU
    {SDL_SCANCODE_PAUSE, 0xC5, "PAUS BRK"},         // DIK_PAUSE
    {SDL_SCANCODE_HOME, 0xC7, "HOME"},              // DIK_HOME
    {SDL_SCANCODE_UP, 0xC8, "UP"},                  // DIK_UP
    {SDL_SCANCODE_PAGEUP, 0xC9, "PGUP"},            // DIK_PRIOR
    {SDL_SCANCODE_LEFT, 0xCB, "LEFT"},              // DIK_LEFT
    {SDL_SCANCODE_RIGHT, 0xCD, "RGHT"},             // DIK_RIGHT
    {SDL_SCANCODE_END, 0xCF, "END"},                // DIK_END
    {SDL_SCANCODE_DOWN, 0xD0, "DOWN"},              // DIK_DOWN
    {SDL_SCANCODE_PAGEDOWN, 0xD1, "PGDN"},          // DIK_NEXT
    {SDL_SCANCODE_INSERT, 0xD2, "INS"},             // DIK_INSERT
    {SDL_SCANCODE_DELETE, 0xD3, "DELE"},            // DIK_DELETE
    {SDL_SCANCODE_LGUI, 0xDB, "LWIN LMTA"},         // DIK_LWIN
    {SDL_SCANCODE_RGUI, 0xDC, "RWIN RMTA"},         // DIK_RWIN
    {SDL_SCANCODE_APPLICATION, 0xDD, "COMP MENU"},  // DIK_APPS
    {SDL_SCANCODE_POWER, 0xDE, "POWR"},             // DIK_POWER
    {SDL_SCANCODE_SLEEP, 0xDF, "I150"},             // DIK_SLEEP
};

}  // namespace

std::span<const Key> Keys() { return kKeys; }

uint8_t DikFromXkbName(std::string_view name) {
  for (const Key& key : kKeys) {
    for (std::string_view names = key.xkbNames; !names.empty();) {
      const size_t end = std::min(names.find(' '), names.size());
      if (names.substr(0, end) == name) return key.dik;
      names.remove_prefix(std::min(end + 1, names.size()));
    }
  }
  return 0;
}

}  // namespace sdl
