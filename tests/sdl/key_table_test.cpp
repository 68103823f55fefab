// The key table against DirectInput's published DIK_* codes (dinput.h),
// written out here apart from the table, reached both from SDL's scancodes
// and from the X server's key names.
#include <SDL_keyboard.h>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string_view>
#include <tuple>
#include <utility>

#include "shell/platform/sdl/key_table.h"

TEST(KeyTable, KeysHaveTheirPublishedCodesAndEachACodeAndANameOfItsOwn) {
  // Two keys with one code, or a key without one, would be a row gone wrong:
  // a forgotten 0x80 gives a grey key the code of a keypad key.
  std::map<int, int> dikOf;  // by scancode
  std::set<int> codes;
  std::set<std::string_view> names;
  for (const sdl::Key& key : sdl::Keys()) {
    dikOf[key.scancode] = key.dik;
    if (key.scancode == SDL_SCANCODE_NONUSHASH) continue;  // the ISO board's key in the backslash's place
    const std::string_view name = key.xkbNames.substr(0, key.xkbNames.find(' '));
    EXPECT_TRUE(key.dik != 0 && codes.insert(key.dik).second && !name.empty() && names.insert(name).second) << name;
  }
  // SDL numbers the keys of a full board 4 to 101 and the modifiers 224 to 231.
  for (int s = 4; s <= 231; s = s == 101 ? 224 : s + 1) EXPECT_NE(dikOf[s], 0) << "scancode " << s;
  // The keys the game reacts to, and some of those whose make code has the
  // 0xE0 prefix (their codes have 0x80 added): SDL's name of the key, its
  // name on an XKB keyboard, its code.
  const std::tuple<const char*, std::string_view, int> published[] = {
      {"Escape", "ESC", 0x01}, {"Return", "RTRN", 0x1C}, {"Left Ctrl", "LCTL", 0x1D}, {"Left Shift", "LFSH", 0x2A},
      {"Right Shift", "RTSH", 0x36}, {"Space", "SPCE", 0x39}, {"Y", "AD06", 0x15}, {"N", "AB06", 0x31},
      {"Up", "UP", 0xC8}, {"Left", "LEFT", 0xCB}, {"Right", "RGHT", 0xCD}, {"Down", "DOWN", 0xD0},
      {"Keypad Enter", "KPEN", 0x9C}, {"Right Ctrl", "RCTL", 0x9D}, {"Right Alt", "RALT", 0xB8},
      {"Insert", "INS", 0xD2}, {"Left GUI", "LWIN", 0xDB}, {"Application", "COMP", 0xDD}};
  for (const auto& [scancode, name, dik] : published) {
    EXPECT_EQ(dikOf[SDL_GetScancodeFromName(scancode)], dik) << scancode;
    EXPECT_EQ(sdl::DikFromXkbName(name), dik) << name;
  }
  // Other keycode sets' names for the same keys, and names of no key.
  const std::pair<const char*, int> aliases[] = {{"MENU", 0xDD}, {"ALGR", 0xB8}, {"AC12", 0x2B}, {"", 0}, {"AC1", 0}};
  for (const auto& [name, dik] : aliases) EXPECT_EQ(sdl::DikFromXkbName(name), dik) << name;
}
