// One-shot playback, the skippable announcement and spoken numbers.
#include <gtest/gtest.h>

#include "input/keyboard.h"
#include "sound/number_speech.h"
#include "sound/sound_playback.h"
#include "tests/support/scenario.h"

namespace {

using test::Ms;
using Boxes = std::vector<std::pair<std::string, std::string>>;

TEST(PlaySound, WaitsForTheEndOrIsCutOffByTheNextCall) {
  sim::Machine machine(test::Config());
  test::RunAfterStartup(machine, [] {
    PlaySound("sounds/round.wav", 0, true);
    PlaySound("sounds/playagain.wav", 2500, false);
    platform::DoEvents();
    PlaySound("sounds/yes.wav", -2500, true);
  });
  EXPECT_EQ(test::Transcript(machine), "sounds/round.wav sounds/playagain.wav@2500! sounds/yes.wav@-2500");
  EXPECT_EQ(machine.Plays().at(1).endUs, machine.Plays().at(2).startUs) << "silenced by the next call";
  EXPECT_TRUE(test::Calls(machine, {"CreateSoundBufferFromFile", "SetVolume", "SetPan", "Play"})
                  .ends_with("CreateSoundBufferFromFile(sounds/yes.wav flags=194 bytes=44100 "
                             "format=1,1,22050,44100,2,16,0 alg=DS3DALG_DEFAULT) SetVolume(sounds/yes.wav 0) "
                             "SetPan(sounds/yes.wav -2500) Play(sounds/yes.wav 0)"));
}

TEST(PlaySound, EveryFailureIsReportedOncePerCallAndTheCallerGoesOn) {
  sim::Machine machine(test::Config());
  const sim::Outcome outcome = test::RunAfterStartup(machine, [&] {
    machine.InjectFailure({.op = "Play", .code = -2, .match = "sounds/intro.wav"});
    machine.InjectFailure({.op = "CreateSoundBufferFromFile", .code = -3, .match = "hundred", .times = -1});
    machine.InjectFailure({.op = "SetPan", .code = -4, .match = "sounds/punch.wav"});
    machine.InjectFailure({.op = "CreateSoundBufferFromFile", .code = 7, .match = "sounds/yes.wav"});  // no memory
    Announcement("sounds/intro.wav");
    SpeakNumber(250250);  // two hundred fifty thousand two hundred fifty, without its hundreds
    PlaySound("sounds/punch.wav", 10000, true);
    PlaySound("sounds/agility.wav", 0, false);
    PlaySound("sounds/yes.wav", 0, true);
    platform::DoEvents();
  });
  ASSERT_EQ(outcome.how, sim::Outcome::How::Returned);
  EXPECT_EQ(test::Transcript(machine),
            "sounds/numbers/2.wav sounds/numbers/50.wav sounds/numbers/thousand.wav "
            "sounds/numbers/2.wav sounds/numbers/50.wav sounds/agility.wav!");
  EXPECT_GT(machine.Plays().at(5).endUs, machine.NowUs()) << "a failed call leaves the sound before it playing";
  const std::string in = "An error has occurred in this application.  Procedure: ";
  const std::string mail = ".  Please e-mail support@grumbosh.example.org with this information.";
  const std::string hundred = in + "PlaySound.  Error Number: -3 - CreateSoundBufferFromFile failed" + mail;
  EXPECT_EQ(machine.messageBoxes, (Boxes{{in + "Announcement.  Error Number: -2 - Play failed" + mail, "Grumbosh"},
                                         {hundred, "Grumbosh"},
                                         {hundred, "Grumbosh"},
                                         {in + "PlaySound.  Error Number: -4 - SetPan failed" + mail, "Grumbosh"},
                                         {in + "PlaySound.  Error Number: 7 - Out of memory" + mail, "Grumbosh"}}));
}

TEST(Announcement, EachSkipKeyHoldsItBackWhileDownAndCutsItShortWithinAPass) {
  // Up, Down, Left and Right arrow, Space, Left Ctrl, Escape, Enter, Left and
  // Right Shift; then Y, N and Right Ctrl, which do not skip.
  const uint8_t keys[] = {0xC8, 0xD0, 0xCB, 0xCD, 0x39, 0x1D, 0x01, 0x1C, 0x2A, 0x36, 0x15, 0x31, 0x9D};
  for (size_t i = 0; i < std::size(keys); ++i) {
    const uint8_t key = keys[i];
    const bool skips = i < 10;
    sim::Machine machine(test::Config());
    machine.KeyAt(0, key, true);
    machine.KeyAt(Ms(300), key, false);
    machine.KeyAt(Ms(2000), key, true);
    const sim::Outcome outcome = test::RunAfterStartup(machine, [&] {
      PollKeyboard();      // down in the snapshot as the announcement begins,
      KeyLatch[key] = -1;  // and taken, as by an exchange
      Announcement("sounds/intro.wav");
      EXPECT_EQ(KeyState[key], 0x80) << int{key};
      EXPECT_EQ(KeyLatch[key], 0) << "its polls free released keys and take no press";
    });
    EXPECT_EQ(outcome.how, sim::Outcome::How::Returned);
    EXPECT_EQ(test::Transcript(machine), skips ? "sounds/intro.wav! stop stop" : "sounds/intro.wav stop") << int{key};
    EXPECT_EQ(machine.Plays().at(0).startUs, skips ? Ms(300) : 0) << int{key};
    EXPECT_EQ(machine.Plays().at(0).endUs, skips ? Ms(2000) : machine.Plays().at(0).lengthUs) << int{key};
  }
  // Its first test reads the snapshot as it is: Escape, released since the
  // last poll, holds it back for one pass.
  sim::Machine machine(test::Config());
  machine.PressKey(0, 0x01, Ms(1) / 2);
  test::RunAfterStartup(machine, [] {
    PollKeyboard();
    platform::DoEvents();
    Announcement("sounds/intro.wav");
  });
  EXPECT_EQ(machine.Plays().at(0).startUs, Ms(2));
}

TEST(SpeakNumber, WorkedSequences) {
  // N stands for the recording sounds/numbers/N.wav.
  // clang-format off
  const std::pair<int32_t, const char*> table[] = {
      {0, "zero"}, {5, "5"}, {10, "10"}, {15, "15"}, {20, "20"}, {21, "20 1"}, {100, "1 hundred"},
      {105, "1 hundred 5"}, {110, "1 hundred 10"}, {999, "9 hundred 90 9"}, {1000, "1 thousand"},
      {1001, "1 thousand 1"}, {1015, "1 thousand 15"}, {1100, "1 thousand 1 hundred"},
      {12345, "12 thousand 3 hundred 40 5"}, {20000, "20 thousand"}, {21000, "20 1 thousand"},
      {100000, "1 hundred thousand"}, {101000, "1 hundred 1 thousand"},
      {250250, "2 hundred 50 thousand 2 hundred 50"}, {1000000, "1 million"}, {1001000, "1 million 1 thousand"},
      {1100000, "1 million 1 hundred thousand"}, {12345678, "12 million 3 hundred 40 5 thousand 6 hundred 70 8"},
      {15000015, "15 million 15"}, {21000000, "20 1 million"}, {100000000, "1 hundred million"},
      {123456789, "1 hundred 20 3 million 4 hundred 50 6 thousand 7 hundred 80 9"},
      // Past nine positions nothing is spoken but million; a minus sign is a silent 0.
      {1000000000, "million"}, {1234567890, "2 hundred 30 4 million 5 hundred 60 7 thousand 8 hundred 90"},
      {-15, "15"}, {-1000, "1 thousand"}};
  // clang-format on
  sim::Machine machine(test::Config());
  const sim::Outcome outcome = test::RunAfterStartup(machine, [&] {
    for (const auto& [value, words] : table) {
      const size_t from = machine.Log().size();
      SpeakNumber(value);
      std::string heard = test::Transcript(machine, from);
      for (const std::string cut : {"sounds/numbers/", ".wav"}) {
        for (size_t at; (at = heard.find(cut)) != std::string::npos;) heard.erase(at, cut.size());
      }
      EXPECT_EQ(heard, words) << value;
    }
  });
  EXPECT_EQ(outcome.how, sim::Outcome::How::Returned);
}

}  // namespace
