// The 104 keys of a standard PC keyboard against DirectInput's published
// DIK_* values, reached both from SDL's scancodes and from XKB key names.
#include <gtest/gtest.h>

#include <set>
#include <string_view>

#include "shell/platform/sdl/key_table.h"

namespace {

struct Key {
  const char* label;
  SDL_Scancode scancode;
  std::string_view xkbName;
  uint8_t dik;
};

// Values from dinput.h.
constexpr Key kStandardKeys[] = {
    {"Escape", SDL_SCANCODE_ESCAPE, "ESC", 0x01},
    {"F1", SDL_SCANCODE_F1, "FK01", 0x3B},
    {"F2", SDL_SCANCODE_F2, "FK02", 0x3C},
    {"F3", SDL_SCANCODE_F3, "FK03", 0x3D},
    {"F4", SDL_SCANCODE_F4, "FK04", 0x3E},
    {"F5", SDL_SCANCODE_F5, "FK05", 0x3F},
    {"F6", SDL_SCANCODE_F6, "FK06", 0x40},
    {"F7", SDL_SCANCODE_F7, "FK07", 0x41},
    {"F8", SDL_SCANCODE_F8, "FK08", 0x42},
    {"F9", SDL_SCANCODE_F9, "FK09", 0x43},
    {"F10", SDL_SCANCODE_F10, "FK10", 0x44},
    {"F11", SDL_SCANCODE_F11, "FK11", 0x57},
    {"F12", SDL_SCANCODE_F12, "FK12", 0x58},
    {"PrintScreen", SDL_SCANCODE_PRINTSCREEN, "PRSC", 0xB7},
    {"ScrollLock", SDL_SCANCODE_SCROLLLOCK, "SCLK", 0x46},
    {"Pause", SDL_SCANCODE_PAUSE, "PAUS", 0xC5},
    {"`", SDL_SCANCODE_GRAVE, "TLDE", 0x29},
    {"1", SDL_SCANCODE_1, "AE01", 0x02},
    {"2", SDL_SCANCODE_2, "AE02", 0x03},
    {"3", SDL_SCANCODE_3, "AE03", 0x04},
    {"4", SDL_SCANCODE_4, "AE04", 0x05},
    {"5", SDL_SCANCODE_5, "AE05", 0x06},
    {"6", SDL_SCANCODE_6, "AE06", 0x07},
    {"7", SDL_SCANCODE_7, "AE07", 0x08},
    {"8", SDL_SCANCODE_8, "AE08", 0x09},
    {"9", SDL_SCANCODE_9, "AE09", 0x0A},
    {"0", SDL_SCANCODE_0, "AE10", 0x0B},
    {"-", SDL_SCANCODE_MINUS, "AE11", 0x0C},
    {"=", SDL_SCANCODE_EQUALS, "AE12", 0x0D},
    {"Backspace", SDL_SCANCODE_BACKSPACE, "BKSP", 0x0E},
    {"Tab", SDL_SCANCODE_TAB, "TAB", 0x0F},
    {"Q", SDL_SCANCODE_Q, "AD01", 0x10},
    {"W", SDL_SCANCODE_W, "AD02", 0x11},
    {"E", SDL_SCANCODE_E, "AD03", 0x12},
    {"R", SDL_SCANCODE_R, "AD04", 0x13},
    {"T", SDL_SCANCODE_T, "AD05", 0x14},
    {"Y", SDL_SCANCODE_Y, "AD06", 0x15},
    {"U", SDL_SCANCODE_U, "AD07", 0x16},
    {"I", SDL_SCANCODE_I, "AD08", 0x17},
    {"O", SDL_SCANCODE_O, "AD09", 0x18},
    {"P", SDL_SCANCODE_P, "AD10", 0x19},
    {"[", SDL_SCANCODE_LEFTBRACKET, "AD11", 0x1A},
    {"]", SDL_SCANCODE_RIGHTBRACKET, "AD12", 0x1B},
    {"\\", SDL_SCANCODE_BACKSLASH, "BKSL", 0x2B},
    {"CapsLock", SDL_SCANCODE_CAPSLOCK, "CAPS", 0x3A},
    {"A", SDL_SCANCODE_A, "AC01", 0x1E},
    {"S", SDL_SCANCODE_S, "AC02", 0x1F},
    {"D", SDL_SCANCODE_D, "AC03", 0x20},
    {"F", SDL_SCANCODE_F, "AC04", 0x21},
    {"G", SDL_SCANCODE_G, "AC05", 0x22},
    {"H", SDL_SCANCODE_H, "AC06", 0x23},
    {"J", SDL_SCANCODE_J, "AC07", 0x24},
    {"K", SDL_SCANCODE_K, "AC08", 0x25},
    {"L", SDL_SCANCODE_L, "AC09", 0x26},
    {";", SDL_SCANCODE_SEMICOLON, "AC10", 0x27},
    {"'", SDL_SCANCODE_APOSTROPHE, "AC11", 0x28},
    {"Enter", SDL_SCANCODE_RETURN, "RTRN", 0x1C},
    {"LShift", SDL_SCANCODE_LSHIFT, "LFSH", 0x2A},
    {"Z", SDL_SCANCODE_Z, "AB01", 0x2C},
    {"X", SDL_SCANCODE_X, "AB02", 0x2D},
    {"C", SDL_SCANCODE_C, "AB03", 0x2E},
    {"V", SDL_SCANCODE_V, "AB04", 0x2F},
    {"B", SDL_SCANCODE_B, "AB05", 0x30},
    {"N", SDL_SCANCODE_N, "AB06", 0x31},
    {"M", SDL_SCANCODE_M, "AB07", 0x32},
    {",", SDL_SCANCODE_COMMA, "AB08", 0x33},
    {".", SDL_SCANCODE_PERIOD, "AB09", 0x34},
    {"/", SDL_SCANCODE_SLASH, "AB10", 0x35},
    {"RShift", SDL_SCANCODE_RSHIFT, "RTSH", 0x36},
    {"LCtrl", SDL_SCANCODE_LCTRL, "LCTL", 0x1D},
    {"LWin", SDL_SCANCODE_LGUI, "LWIN", 0xDB},
    {"LAlt", SDL_SCANCODE_LALT, "LALT", 0x38},
    {"Space", SDL_SCANCODE_SPACE, "SPCE", 0x39},
    {"RAlt", SDL_SCANCODE_RALT, "RALT", 0xB8},
    {"RWin", SDL_SCANCODE_RGUI, "RWIN", 0xDC},
    {"Apps", SDL_SCANCODE_APPLICATION, "COMP", 0xDD},
    {"RCtrl", SDL_SCANCODE_RCTRL, "RCTL", 0x9D},
    {"Insert", SDL_SCANCODE_INSERT, "INS", 0xD2},
    {"Home", SDL_SCANCODE_HOME, "HOME", 0xC7},
    {"PgUp", SDL_SCANCODE_PAGEUP, "PGUP", 0xC9},
    {"Delete", SDL_SCANCODE_DELETE, "DELE", 0xD3},
    {"End", SDL_SCANCODE_END, "END", 0xCF},
    {"PgDn", SDL_SCANCODE_PAGEDOWN, "PGDN", 0xD1},
    {"Up", SDL_SCANCODE_UP, "UP", 0xC8},
    {"Left", SDL_SCANCODE_LEFT, "LEFT", 0xCB},
    {"Down", SDL_SCANCODE_DOWN, "DOWN", 0xD0},
    {"Right", SDL_SCANCODE_RIGHT, "RGHT", 0xCD},
    {"NumLock", SDL_SCANCODE_NUMLOCKCLEAR, "NMLK", 0x45},
    {"Keypad /", SDL_SCANCODE_KP_DIVIDE, "KPDV", 0xB5},
    {"Keypad *", SDL_SCANCODE_KP_MULTIPLY, "KPMU", 0x37},
    {"Keypad -", SDL_SCANCODE_KP_MINUS, "KPSU", 0x4A},
    {"Keypad 7", SDL_SCANCODE_KP_7, "KP7", 0x47},
    {"Keypad 8", SDL_SCANCODE_KP_8, "KP8", 0x48},
    {"Keypad 9", SDL_SCANCODE_KP_9, "KP9", 0x49},
    {"Keypad +", SDL_SCANCODE_KP_PLUS, "KPAD", 0x4E},
    {"Keypad 4", SDL_SCANCODE_KP_4, "KP4", 0x4B},
    {"Keypad 5", SDL_SCANCODE_KP_5, "KP5", 0x4C},
    {"Keypad 6", SDL_SCANCODE_KP_6, "KP6", 0x4D},
    {"Keypad 1", SDL_SCANCODE_KP_1, "KP1", 0x4F},
    {"Keypad 2", SDL_SCANCODE_KP_2, "KP2", 0x50},
    {"Keypad 3", SDL_SCANCODE_KP_3, "KP3", 0x51},
    {"Keypad Enter", SDL_SCANCODE_KP_ENTER, "KPEN", 0x9C},
    {"Keypad 0", SDL_SCANCODE_KP_0, "KP0", 0x52},
    {"Keypad .", SDL_SCANCODE_KP_PERIOD, "KPDL", 0x53},
};

TEST(KeyTable, TheStandardKeysHaveTheirPublishedCodesFromBothSources) {
  ASSERT_EQ(std::size(kStandardKeys), 104u);
  std::set<uint8_t> codes;
  for (const Key& key : kStandardKeys) {
    EXPECT_EQ(sdl::DikFromScancode(key.scancode), key.dik) << key.label;
    EXPECT_EQ(sdl::DikFromXkbName(key.xkbName), key.dik) << key.label;
    codes.insert(key.dik);
  }
  EXPECT_EQ(codes.size(), 104u) << "two keys share a code";
}

TEST(KeyTable, AliasesAndOtherKeycodeSetsNameTheSameKeys) {
  EXPECT_EQ(sdl::DikFromXkbName("MENU"), 0xDD);  // xfree86's name for Apps
  EXPECT_EQ(sdl::DikFromXkbName("LMTA"), 0xDB);
  EXPECT_EQ(sdl::DikFromXkbName("RMTA"), 0xDC);
  EXPECT_EQ(sdl::DikFromXkbName("AC12"), 0x2B);
  EXPECT_EQ(sdl::DikFromXkbName("ALGR"), 0xB8);
  EXPECT_EQ(sdl::DikFromXkbName("LSGT"), 0x56);  // the ISO key beside left Shift
  EXPECT_EQ(sdl::DikFromScancode(SDL_SCANCODE_NONUSBACKSLASH), 0x56);
}

TEST(KeyTable, UnknownKeysHaveNoCode) {
  EXPECT_EQ(sdl::DikFromScancode(SDL_SCANCODE_UNKNOWN), 0);
  EXPECT_EQ(sdl::DikFromScancode(SDL_SCANCODE_APP1), 0);
  EXPECT_EQ(sdl::DikFromScancode(static_cast<SDL_Scancode>(SDL_NUM_SCANCODES + 5)), 0);
  EXPECT_EQ(sdl::DikFromXkbName(""), 0);
  EXPECT_EQ(sdl::DikFromXkbName("I248"), 0);
  EXPECT_EQ(sdl::DikFromXkbName("AC1"), 0);
}

TEST(KeyTable, EveryCodeInTheTablesIsAKeyOfDirectInput) {
  // Code 0 means "no key", and the state has 256 bytes.
  for (const sdl::ScancodeKey& key : sdl::ScancodeKeys()) EXPECT_NE(key.dik, 0) << key.scancode;
  for (const sdl::XkbNameKey& key : sdl::XkbNameKeys()) {
    EXPECT_NE(key.dik, 0) << key.name;
    EXPECT_LE(key.name.size(), 4u) << key.name;
  }
  // Both tables know the same set of codes, so a key is the same whichever
  // window has the focus.
  std::set<uint8_t> fromScancodes;
  std::set<uint8_t> fromNames;
  for (const sdl::ScancodeKey& key : sdl::ScancodeKeys()) fromScancodes.insert(key.dik);
  for (const sdl::XkbNameKey& key : sdl::XkbNameKeys()) fromNames.insert(key.dik);
  std::set<uint8_t> onlyScancodes;
  std::set<uint8_t> onlyNames;
  std::set_difference(fromScancodes.begin(), fromScancodes.end(), fromNames.begin(), fromNames.end(),
                      std::inserter(onlyScancodes, onlyScancodes.end()));
  std::set_difference(fromNames.begin(), fromNames.end(), fromScancodes.begin(), fromScancodes.end(),
                      std::inserter(onlyNames, onlyNames.end()));
  EXPECT_TRUE(onlyScancodes.empty()) << "codes with no XKB name: " << onlyScancodes.size();
  EXPECT_TRUE(onlyNames.empty()) << "codes with no scancode: " << onlyNames.size();
}

}  // namespace
