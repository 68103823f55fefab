// The key tables against DirectInput's published DIK_* values, reached both
// from SDL's scancodes and from XKB key names.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <utility>
#include <string_view>

#include "shell/platform/sdl/key_table.h"

namespace {

struct Key {
  SDL_Scancode scancode;
  std::string_view xkbName;
  uint8_t dik;
};

// A sample from dinput.h: every key whose scan code has the 0xE0 prefix (the
// ones a table gets wrong by forgetting the 0x80), and neighbours of each row.
constexpr Key kPublished[] = {
    {SDL_SCANCODE_ESCAPE, "ESC", 0x01},      {SDL_SCANCODE_1, "AE01", 0x02},
    {SDL_SCANCODE_0, "AE10", 0x0B},          {SDL_SCANCODE_BACKSPACE, "BKSP", 0x0E},
    {SDL_SCANCODE_Q, "AD01", 0x10},          {SDL_SCANCODE_RETURN, "RTRN", 0x1C},
    {SDL_SCANCODE_LCTRL, "LCTL", 0x1D},      {SDL_SCANCODE_A, "AC01", 0x1E},
    {SDL_SCANCODE_GRAVE, "TLDE", 0x29},      {SDL_SCANCODE_BACKSLASH, "BKSL", 0x2B},
    {SDL_SCANCODE_Z, "AB01", 0x2C},          {SDL_SCANCODE_RSHIFT, "RTSH", 0x36},
    {SDL_SCANCODE_KP_MULTIPLY, "KPMU", 0x37}, {SDL_SCANCODE_LALT, "LALT", 0x38},
    {SDL_SCANCODE_SPACE, "SPCE", 0x39},      {SDL_SCANCODE_F1, "FK01", 0x3B},
    {SDL_SCANCODE_F10, "FK10", 0x44},        {SDL_SCANCODE_NUMLOCKCLEAR, "NMLK", 0x45},
    {SDL_SCANCODE_KP_7, "KP7", 0x47},        {SDL_SCANCODE_KP_PLUS, "KPAD", 0x4E},
    {SDL_SCANCODE_KP_0, "KP0", 0x52},        {SDL_SCANCODE_KP_PERIOD, "KPDL", 0x53},
    {SDL_SCANCODE_F11, "FK11", 0x57},        {SDL_SCANCODE_F12, "FK12", 0x58},
    {SDL_SCANCODE_KP_ENTER, "KPEN", 0x9C},   {SDL_SCANCODE_RCTRL, "RCTL", 0x9D},
    {SDL_SCANCODE_KP_DIVIDE, "KPDV", 0xB5},  {SDL_SCANCODE_PRINTSCREEN, "PRSC", 0xB7},
    {SDL_SCANCODE_RALT, "RALT", 0xB8},       {SDL_SCANCODE_PAUSE, "PAUS", 0xC5},
    {SDL_SCANCODE_HOME, "HOME", 0xC7},       {SDL_SCANCODE_UP, "UP", 0xC8},
    {SDL_SCANCODE_PAGEUP, "PGUP", 0xC9},     {SDL_SCANCODE_LEFT, "LEFT", 0xCB},
    {SDL_SCANCODE_RIGHT, "RGHT", 0xCD},      {SDL_SCANCODE_END, "END", 0xCF},
    {SDL_SCANCODE_DOWN, "DOWN", 0xD0},       {SDL_SCANCODE_PAGEDOWN, "PGDN", 0xD1},
    {SDL_SCANCODE_INSERT, "INS", 0xD2},      {SDL_SCANCODE_DELETE, "DELE", 0xD3},
    {SDL_SCANCODE_LGUI, "LWIN", 0xDB},       {SDL_SCANCODE_RGUI, "RWIN", 0xDC},
    {SDL_SCANCODE_APPLICATION, "COMP", 0xDD},
};

TEST(KeyTable, PublishedCodesAliasesAndUnknownKeys) {
  for (const Key& key : kPublished) {
    EXPECT_EQ(sdl::DikFromScancode(key.scancode), key.dik) << key.xkbName;
    EXPECT_EQ(sdl::DikFromXkbName(key.xkbName), key.dik) << key.xkbName;
  }
  // Other keycode sets' names for the same keys, and the ISO key beside left Shift.
  const std::pair<std::string_view, uint8_t> aliases[] = {
      {"MENU", 0xDD}, {"LMTA", 0xDB}, {"RMTA", 0xDC}, {"AC12", 0x2B}, {"ALGR", 0xB8}, {"LSGT", 0x56}};
  for (const auto& [name, dik] : aliases) EXPECT_EQ(sdl::DikFromXkbName(name), dik) << name;
  EXPECT_EQ(sdl::DikFromScancode(SDL_SCANCODE_NONUSBACKSLASH), 0x56);
  EXPECT_EQ(sdl::DikFromScancode(SDL_SCANCODE_UNKNOWN), 0);
  EXPECT_EQ(sdl::DikFromScancode(SDL_SCANCODE_APP1), 0);
  EXPECT_EQ(sdl::DikFromScancode(static_cast<SDL_Scancode>(SDL_NUM_SCANCODES + 5)), 0);
  for (std::string_view unknown : {"", "I248", "AC1"}) EXPECT_EQ(sdl::DikFromXkbName(unknown), 0) << unknown;
}

TEST(KeyTable, EveryStandardKeyHasItsOwnCodeAndBothTablesKnowTheSameCodes) {
  // SDL numbers the keys of a standard board (with the ISO ones) 4 to 101
  // and the modifiers 224 to 231; the ISO hash key is the backslash's alias.
  std::map<uint8_t, int> keysOfCode;
  for (int s = SDL_SCANCODE_A; s <= SDL_SCANCODE_RGUI; s = s == SDL_SCANCODE_APPLICATION ? SDL_SCANCODE_LCTRL : s + 1) {
    const uint8_t dik = sdl::DikFromScancode(static_cast<SDL_Scancode>(s));
    EXPECT_NE(dik, 0) << "scancode " << s;
    if (s != SDL_SCANCODE_NONUSHASH) ++keysOfCode[dik];
  }
  EXPECT_EQ(keysOfCode.size(), 105u);
  for (const auto& [dik, keys] : keysOfCode) EXPECT_EQ(keys, 1) << "keys sharing code " << int{dik};

  // A key is the same whichever window has the focus.
  std::set<uint8_t> fromScancodes;
  std::set<uint8_t> fromNames;
  for (const sdl::ScancodeKey& key : sdl::ScancodeKeys()) {
    EXPECT_EQ(sdl::DikFromScancode(key.scancode), key.dik) << key.scancode;
    fromScancodes.insert(key.dik);
  }
  for (const sdl::XkbNameKey& key : sdl::XkbNameKeys()) {
    EXPECT_EQ(sdl::DikFromXkbName(key.name), key.dik) << key.name;
    EXPECT_LE(key.name.size(), 4u) << key.name;
    fromNames.insert(key.dik);
  }
  EXPECT_EQ(fromScancodes.count(0), 0u) << "0 means no key";
  EXPECT_EQ(fromScancodes, fromNames);
}

}  // namespace
