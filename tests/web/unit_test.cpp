// The web backend's own logic, run in Node: the key table against
// DirectInput's published DIK_* codes (dinput.h), and how far the mixer runs
// ahead of the page's audio output.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>

#include "shell/platform/web/audio_feed.h"
#include "shell/platform/web/key_table.h"

TEST(WebKeyTable, ThePageGetsThePublishedCodesAndEachKeyACodeOfItsOwn) {
  // The game's keys and some of the 0xE0-prefixed ones (their codes have
  // 0x80 added); names no key has.
  const std::map<std::string, int> published = {
      {"Escape", 0x01}, {"KeyY", 0x15}, {"Enter", 0x1C}, {"ControlLeft", 0x1D}, {"ShiftLeft", 0x2A},
      {"KeyN", 0x31}, {"ShiftRight", 0x36}, {"Space", 0x39}, {"ArrowUp", 0xC8}, {"ArrowLeft", 0xCB},
      {"ArrowRight", 0xCD}, {"ArrowDown", 0xD0}, {"NumpadEnter", 0x9C}, {"ControlRight", 0x9D},
      {"AltRight", 0xB8}, {"Insert", 0xD2}, {"MetaLeft", 0xDB}, {"OSLeft", 0xDB}, {"ContextMenu", 0xDD},
      {"Tab", 0x0F}, {"KeyQ", 0x10}, {"Digit0", 0x0B}, {"F11", 0x57}, {"Fn", 0}, {"", 0}};
  // Read as the page reads it: none without a code, and no code twice but for
  // the old browsers' names of the system keys.
  std::map<std::string, int> table;
  std::set<int> codes;
  std::istringstream pairs(web::KeyTableForPage());
  for (std::string code, dik; std::getline(pairs, code, '=') && pairs >> dik; pairs.ignore()) {
    table[code] = std::stoi(dik);
    EXPECT_TRUE(table[code] != 0 && (codes.insert(table[code]).second || code.starts_with("OS"))) << code;
  }
  for (const auto& [code, dik] : published) EXPECT_EQ(table[code], dik) << code;
}

TEST(WebAudioFeed, StaysTwoQuantaAheadInWholeQuantaAndSkipsWhatTheOutputPassedAlone) {
  web::AudioFeed feed(2000);
  // The output's frame now; then what to skip, from which frame to mix, and
  // how many frames.
  const struct { uint64_t now, skip, first; uint32_t mix; } steps[] = {
      {2000, 0, 2000, 256},   // the start: two quanta ahead of where the output is
      {2100, 0, 2256, 128},   // the output moved on: one quantum keeps the lead
      {2100, 0, 2384, 0},     // nothing due yet
      {2129, 0, 2384, 128},   // a frame past the lead is a whole quantum more
      {3000, 488, 3000, 256}  // stalled: the frames passed are skipped, the lead begins anew
  };
  for (const auto& s : steps) {
    const web::FeedStep got = feed.Next(s.now);
    EXPECT_EQ(std::tuple(got.skipFrames, got.firstFrame, got.mixFrames), std::tuple(s.skip, s.first, s.mix)) << s.now;
  }
}
