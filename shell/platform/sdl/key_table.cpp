// The codes are DirectInput's DIK_* numbering, which is the PC keyboard's
// scan code set 1: the make code of a key, with 0x80 added for the keys whose
// make code is prefixed by 0xE0 (the grey navigation keys, the right-hand
// modifiers, keypad Enter and keypad slash). The values are those published in
// DirectInput's dinput.h. Both tables are laid out in that order, so a row's
// neighbours are its neighbours on the scan-code map.
#include "shell/platform/sdl/key_table.h"

#include <array>

namespace sdl {
namespace {

constexpr ScancodeKey kScancodeKeys[] = {
    {SDL_SCANCODE_ESCAPE, 0x01},        // DIK_ESCAPE
    {SDL_SCANCODE_1, 0x02},             // DIK_1
    {SDL_SCANCODE_2, 0x03},
    {SDL_SCANCODE_3, 0x04},
    {SDL_SCANCODE_4, 0x05},
    {SDL_SCANCODE_5, 0x06},
    {SDL_SCANCODE_6, 0x07},
    {SDL_SCANCODE_7, 0x08},
    {SDL_SCANCODE_8, 0x09},
    {SDL_SCANCODE_9, 0x0A},
    {SDL_SCANCODE_0, 0x0B},             // DIK_0
    {SDL_SCANCODE_MINUS, 0x0C},         // DIK_MINUS
    {SDL_SCANCODE_EQUALS, 0x0D},        // DIK_EQUALS
    {SDL_SCANCODE_BACKSPACE, 0x0E},     // DIK_BACK
    {SDL_SCANCODE_TAB, 0x0F},           // DIK_TAB
    {SDL_SCANCODE_Q, 0x10},
    {SDL_SCANCODE_W, 0x11},
    {SDL_SCANCODE_E, 0x12},
    {SDL_SCANCODE_R, 0x13},
    {SDL_SCANCODE_T, 0x14},
    {SDL_SCANCODE_Y, 0x15},
    {SDL_SCANCODE_U, 0x16},
    {SDL_SCANCODE_I, 0x17},
    {SDL_SCANCODE_O, 0x18},
    {SDL_SCANCODE_P, 0x19},
    {SDL_SCANCODE_LEFTBRACKET, 0x1A},   // DIK_LBRACKET
    {SDL_SCANCODE_RIGHTBRACKET, 0x1B},  // DIK_RBRACKET
    {SDL_SCANCODE_RETURN, 0x1C},        // DIK_RETURN
    {SDL_SCANCODE_LCTRL, 0x1D},         // DIK_LCONTROL
    {SDL_SCANCODE_A, 0x1E},
    {SDL_SCANCODE_S, 0x1F},
    {SDL_SCANCODE_D, 0x20},
    {SDL_SCANCODE_F, 0x21},
    {SDL_SCANCODE_G, 0x22},
    {SDL_SCANCODE_H, 0x23},
    {SDL_SCANCODE_J, 0x24},
    {SDL_SCANCODE_K, 0x25},
    {SDL_SCANCODE_L, 0x26},
    {SDL_SCANCODE_SEMICOLON, 0x27},     // DIK_SEMICOLON
    {SDL_SCANCODE_APOSTROPHE, 0x28},    // DIK_APOSTROPHE
    {SDL_SCANCODE_GRAVE, 0x29},         // DIK_GRAVE
    {SDL_SCANCODE_LSHIFT, 0x2A},        // DIK_LSHIFT
    {SDL_SCANCODE_BACKSLASH, 0x2B},     // DIK_BACKSLASH
    {SDL_SCANCODE_NONUSHASH, 0x2B},     // the ISO key in the backslash's place
    {SDL_SCANCODE_Z, 0x2C},
    {SDL_SCANCODE_X, 0x2D},
    {SDL_SCANCODE_C, 0x2E},
    {SDL_SCANCODE_V, 0x2F},
    {SDL_SCANCODE_B, 0x30},
    {SDL_SCANCODE_N, 0x31},
    {SDL_SCANCODE_M, 0x32},
    {SDL_SCANCODE_COMMA, 0x33},         // DIK_COMMA
    {SDL_SCANCODE_PERIOD, 0x34},        // DIK_PERIOD
    {SDL_SCANCODE_SLASH, 0x35},         // DIK_SLASH
    {SDL_SCANCODE_RSHIFT, 0x36},        // DIK_RSHIFT
    {SDL_SCANCODE_KP_MULTIPLY, 0x37},   // DIK_MULTIPLY
    {SDL_SCANCODE_LALT, 0x38},          // DIK_LMENU
    {SDL_SCANCODE_SPACE, 0x39},         // DIK_SPACE
    {SDL_SCANCODE_CAPSLOCK, 0x3A},      // DIK_CAPITAL
    {SDL_SCANCODE_F1, 0x3B},
    {SDL_SCANCODE_F2, 0x3C},
    {SDL_SCANCODE_F3, 0x3D},
    {SDL_SCANCODE_F4, 0x3E},
    {SDL_SCANCODE_F5, 0x3F},
    {SDL_SCANCODE_F6, 0x40},
    {SDL_SCANCODE_F7, 0x41},
    {SDL_SCANCODE_F8, 0x42},
    {SDL_SCANCODE_F9, 0x43},
    {SDL_SCANCODE_F10, 0x44},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x45},  // DIK_NUMLOCK
    {SDL_SCANCODE_SCROLLLOCK, 0x46},    // DIK_SCROLL
    {SDL_SCANCODE_KP_7, 0x47},          // DIK_NUMPAD7
    {SDL_SCANCODE_KP_8, 0x48},
    {SDL_SCANCODE_KP_9, 0x49},
    {SDL_SCANCODE_KP_MINUS, 0x4A},      // DIK_SUBTRACT
    {SDL_SCANCODE_KP_4, 0x4B},
    {SDL_SCANCODE_KP_5, 0x4C},
    {SDL_SCANCODE_KP_6, 0x4D},
    {SDL_SCANCODE_KP_PLUS, 0x4E},       // DIK_ADD
    {SDL_SCANCODE_KP_1, 0x4F},
    {SDL_SCANCODE_KP_2, 0x50},
    {SDL_SCANCODE_KP_3, 0x51},
    {SDL_SCANCODE_KP_0, 0x52},          // DIK_NUMPAD0
    {SDL_SCANCODE_KP_PERIOD, 0x53},     // DIK_DECIMAL
    {SDL_SCANCODE_NONUSBACKSLASH, 0x56},  // DIK_OEM_102, the ISO key beside left Shift
    {SDL_SCANCODE_F11, 0x57},
    {SDL_SCANCODE_F12, 0x58},
    {SDL_SCANCODE_F13, 0x64},
    {SDL_SCANCODE_F14, 0x65},
    {SDL_SCANCODE_F15, 0x66},
    {SDL_SCANCODE_INTERNATIONAL2, 0x70},  // DIK_KANA
    {SDL_SCANCODE_INTERNATIONAL1, 0x73},  // DIK_ABNT_C1
    {SDL_SCANCODE_INTERNATIONAL4, 0x79},  // DIK_CONVERT
    {SDL_SCANCODE_INTERNATIONAL5, 0x7B},  // DIK_NOCONVERT
    {SDL_SCANCODE_INTERNATIONAL3, 0x7D},  // DIK_YEN
    {SDL_SCANCODE_KP_EQUALS, 0x8D},     // DIK_NUMPADEQUALS
    {SDL_SCANCODE_AUDIOPREV, 0x90},     // DIK_PREVTRACK
    {SDL_SCANCODE_AUDIONEXT, 0x99},     // DIK_NEXTTRACK
    {SDL_SCANCODE_KP_ENTER, 0x9C},      // DIK_NUMPADENTER
    {SDL_SCANCODE_RCTRL, 0x9D},         // DIK_RCONTROL
    {SDL_SCANCODE_AUDIOMUTE, 0xA0},     // DIK_MUTE
    {SDL_SCANCODE_AUDIOPLAY, 0xA2},     // DIK_PLAYPAUSE
    {SDL_SCANCODE_AUDIOSTOP, 0xA4},     // DIK_MEDIASTOP
    {SDL_SCANCODE_VOLUMEDOWN, 0xAE},    // DIK_VOLUMEDOWN
    {SDL_SCANCODE_VOLUMEUP, 0xB0},      // DIK_VOLUMEUP
    {SDL_SCANCODE_KP_COMMA, 0xB3},      // DIK_NUMPADCOMMA
    {SDL_SCANCODE_KP_DIVIDE, 0xB5},     // DIK_DIVIDE
    {SDL_SCANCODE_PRINTSCREEN, 0xB7},   // DIK_SYSRQ
    {SDL_SCANCODE_RALT, 0xB8},          // DIK_RMENU
    {SDL_SCANCODE_PAUSE, 0xC5},         // DIK_PAUSE
    {SDL_SCANCODE_HOME, 0xC7},          // DIK_HOME
    {SDL_SCANCODE_UP, 0xC8},            // DIK_UP
    {SDL_SCANCODE_PAGEUP, 0xC9},        // DIK_PRIOR
    {SDL_SCANCODE_LEFT, 0xCB},          // DIK_LEFT
    {SDL_SCANCODE_RIGHT, 0xCD},         // DIK_RIGHT
    {SDL_SCANCODE_END, 0xCF},           // DIK_END
    {SDL_SCANCODE_DOWN, 0xD0},          // DIK_DOWN
    {SDL_SCANCODE_PAGEDOWN, 0xD1},      // DIK_NEXT
    {SDL_SCANCODE_INSERT, 0xD2},        // DIK_INSERT
    {SDL_SCANCODE_DELETE, 0xD3},        // DIK_DELETE
    {SDL_SCANCODE_LGUI, 0xDB},          // DIK_LWIN
    {SDL_SCANCODE_RGUI, 0xDC},          // DIK_RWIN
    {SDL_SCANCODE_APPLICATION, 0xDD},   // DIK_APPS
    {SDL_SCANCODE_POWER, 0xDE},         // DIK_POWER
    {SDL_SCANCODE_SLEEP, 0xDF},         // DIK_SLEEP
};

// XKB names each key by its place on the board (row E, key 01 is "AE01"), not
// by what it types, so these hold for every layout. Names of both the evdev
// and the older xfree86 keycode sets, and their common aliases, are listed.
constexpr XkbNameKey kXkbNameKeys[] = {
    {"ESC", 0x01},
    {"AE01", 0x02},
    {"AE02", 0x03},
    {"AE03", 0x04},
    {"AE04", 0x05},
    {"AE05", 0x06},
    {"AE06", 0x07},
    {"AE07", 0x08},
    {"AE08", 0x09},
    {"AE09", 0x0A},
    {"AE10", 0x0B},
    {"AE11", 0x0C},
    {"AE12", 0x0D},
    {"BKSP", 0x0E},
    {"TAB", 0x0F},
    {"AD01", 0x10},
    {"AD02", 0x11},
    {"AD03", 0x12},
    {"AD04", 0x13},
    {"AD05", 0x14},
    {"AD06", 0x15},
    {"AD07", 0x16},
    {"AD08", 0x17},
    {"AD09", 0x18},
    {"AD10", 0x19},
    {"AD11", 0x1A},
    {"AD12", 0x1B},
    {"RTRN", 0x1C},
    {"LCTL", 0x1D},
    {"AC01", 0x1E},
    {"AC02", 0x1F},
    {"AC03", 0x20},
    {"AC04", 0x21},
    {"AC05", 0x22},
    {"AC06", 0x23},
    {"AC07", 0x24},
    {"AC08", 0x25},
    {"AC09", 0x26},
    {"AC10", 0x27},
    {"AC11", 0x28},
    {"TLDE", 0x29},
    {"LFSH", 0x2A},
    {"BKSL", 0x2B},
    {"AC12", 0x2B},
    {"AB01", 0x2C},
    {"AB02", 0x2D},
    {"AB03", 0x2E},
    {"AB04", 0x2F},
    {"AB05", 0x30},
    {"AB06", 0x31},
    {"AB07", 0x32},
    {"AB08", 0x33},
    {"AB09", 0x34},
    {"AB10", 0x35},
    {"RTSH", 0x36},
    {"KPMU", 0x37},
    {"LALT", 0x38},
    {"SPCE", 0x39},
    {"CAPS", 0x3A},
    {"FK01", 0x3B},
    {"FK02", 0x3C},
    {"FK03", 0x3D},
    {"FK04", 0x3E},
    {"FK05", 0x3F},
    {"FK06", 0x40},
    {"FK07", 0x41},
    {"FK08", 0x42},
    {"FK09", 0x43},
    {"FK10", 0x44},
    {"NMLK", 0x45},
    {"SCLK", 0x46},
    {"KP7", 0x47},
    {"KP8", 0x48},
    {"KP9", 0x49},
    {"KPSU", 0x4A},
    {"KP4", 0x4B},
    {"KP5", 0x4C},
    {"KP6", 0x4D},
    {"KPAD", 0x4E},
    {"KP1", 0x4F},
    {"KP2", 0x50},
    {"KP3", 0x51},
    {"KP0", 0x52},
    {"KPDL", 0x53},
    {"LSGT", 0x56},
    {"FK11", 0x57},
    {"FK12", 0x58},
    {"FK13", 0x64},
    {"FK14", 0x65},
    {"FK15", 0x66},
    {"HKTG", 0x70},
    {"AB11", 0x73},
    {"HENK", 0x79},
    {"MUHE", 0x7B},
    {"AE13", 0x7D},
    {"KPEQ", 0x8D},
    {"I173", 0x90},  // the media keys have only evdev's numbered names
    {"I171", 0x99},
    {"KPEN", 0x9C},
    {"RCTL", 0x9D},
    {"MUTE", 0xA0},
    {"I172", 0xA2},
    {"I174", 0xA4},
    {"VOL-", 0xAE},
    {"VOL+", 0xB0},
    {"KPDC", 0xB3},
    {"KPDV", 0xB5},
    {"PRSC", 0xB7},
    {"SYRQ", 0xB7},
    {"RALT", 0xB8},
    {"ALGR", 0xB8},
    {"PAUS", 0xC5},
    {"BRK", 0xC5},
    {"HOME", 0xC7},
    {"UP", 0xC8},
    {"PGUP", 0xC9},
    {"LEFT", 0xCB},
    {"RGHT", 0xCD},
    {"END", 0xCF},
    {"DOWN", 0xD0},
    {"PGDN", 0xD1},
    {"INS", 0xD2},
    {"DELE", 0xD3},
    {"LWIN", 0xDB},
    {"LMTA", 0xDB},
    {"RWIN", 0xDC},
    {"RMTA", 0xDC},
    {"COMP", 0xDD},
    {"MENU", 0xDD},
    {"POWR", 0xDE},
    {"I150", 0xDF},
};

constexpr std::array<uint8_t, SDL_NUM_SCANCODES> MakeScancodeLookup() {
  std::array<uint8_t, SDL_NUM_SCANCODES> lookup{};
  for (const ScancodeKey& key : kScancodeKeys) lookup[static_cast<size_t>(key.scancode)] = key.dik;
  return lookup;
}

constexpr std::array<uint8_t, SDL_NUM_SCANCODES> kScancodeLookup = MakeScancodeLookup();

}  // namespace

std::span<const ScancodeKey> ScancodeKeys() { return kScancodeKeys; }
std::span<const XkbNameKey> XkbNameKeys() { return kXkbNameKeys; }

uint8_t DikFromScancode(SDL_Scancode scancode) {
  const auto index = static_cast<size_t>(scancode);
  return index < kScancodeLookup.size() ? kScancodeLookup[index] : 0;
}

uint8_t DikFromXkbName(std::string_view name) {
  for (const XkbNameKey& key : kXkbNameKeys) {
    if (key.name == name) return key.dik;
  }
  return 0;
}

}  // namespace sdl
