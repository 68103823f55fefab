// The web backend's own logic, run in Node: the key table against
// DirectInput's published DIK_* codes (dinput.h), and how far the mixer runs
// ahead of the page's audio output. The page's copy of the table is read by
// the end-to-end tests, which press the game's keys on the page.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "shell/platform/web/audio_feed.h"
#include "shell/platform/web/key_table.h"

TEST(WebKeyTable, KeysHaveTheirPublishedCodesAndEachACodeOfItsOwn) {
  // The game's keys and some of the 0xE0-prefixed ones (their codes have
  // 0x80 added); a name no key has.
  const std::map<std::string, int> published = {
      {"Escape", 0x01}, {"KeyY", 0x15}, {"Enter", 0x1C}, {"ControlLeft", 0x1D}, {"ShiftLeft", 0x2A},
      {"KeyN", 0x31}, {"ShiftRight", 0x36}, {"Space", 0x39}, {"ArrowUp", 0xC8}, {"ArrowLeft", 0xCB},
      {"ArrowRight", 0xCD}, {"ArrowDown", 0xD0}, {"NumpadEnter", 0x9C}, {"ControlRight", 0x9D},
      {"AltRight", 0xB8}, {"Insert", 0xD2}, {"MetaLeft", 0xDB}, {"OSLeft", 0xDB}, {"ContextMenu", 0xDD},
      {"Tab", 0x0F}, {"KeyQ", 0x10}, {"Digit0", 0x0B}, {"F11", 0x57}, {"Fn", 0}, {"", 0}};
  for (const auto& [code, dik] : published) EXPECT_EQ(web::DikFromCode(code), dik) << code;

  // One row a key, none without a code, and no code twice but for the old
  // browsers' names of the system keys.
  std::set<int> codes;
  for (const web::Key& key : web::Keys())
    EXPECT_TRUE(key.dik != 0 && (codes.insert(key.dik).second || key.code.starts_with("OS"))) << key.code;
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
    const web::FeedStep step = feed.Next(s.now);
    EXPECT_EQ(step.skipFrames, s.skip) << s.now;
    EXPECT_EQ(step.firstFrame, s.first) << s.now;
    EXPECT_EQ(step.mixFrames, s.mix) << s.now;
  }
}
