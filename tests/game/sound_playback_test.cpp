// One-shot playback, the resident sounds and the skippable announcement.
#include <gtest/gtest.h>

#include "game/main_game.h"
#include "input/key_codes.h"
#include "input/keyboard.h"
#include "shell/product.h"
#include "sound/sound_playback.h"
#include "tests/support/player.h"
#include "tests/support/scenario.h"

namespace {

using sim::Op;
using test::Ms;

const sim::PlayEvent& LastPlayOf(const sim::Machine& machine, const std::string& file) {
  for (auto it = machine.Plays().rbegin(); it != machine.Plays().rend(); ++it) {
    if (it->file == file) return *it;
  }
  throw std::runtime_error("never played: " + file);
}

TEST(PlaySound, WaitsForTheEndAndTheNextCallCutsTheEarlierOff) {
  sim::Machine machine(test::DefaultConfig());
  uint64_t returnedAfterWait = 0;
  uint64_t returnedAtOnce = 0;
  test::RunAfterStartup(machine, [&] {
    PlaySound("sounds/round.wav", 0, true);
    returnedAfterWait = machine.NowUs();
    PlaySound("sounds/playagain.wav", 2500, false);
    returnedAtOnce = machine.NowUs();
    platform::DoEvents();
    PlaySound("sounds/yes.wav", -2500, true);
  });
  const sim::PlayEvent& round = LastPlayOf(machine, "sounds/round.wav");
  EXPECT_EQ(round.end, sim::PlayEvent::End::Finished);
  EXPECT_GE(returnedAfterWait, round.endUs) << "wait true returns only once the sound has finished";
  EXPECT_LE(returnedAfterWait, round.endUs + machine.config().passCostUs);
  EXPECT_EQ(round.pan, 0);
  EXPECT_EQ(round.volume, 0);

  const sim::PlayEvent& question = LastPlayOf(machine, "sounds/playagain.wav");
  EXPECT_EQ(returnedAtOnce, question.startUs) << "wait false returns at once";
  EXPECT_EQ(question.pan, 2500);
  EXPECT_EQ(question.end, sim::PlayEvent::End::Released) << "the next PlaySound silences it";
  EXPECT_EQ(question.endUs, LastPlayOf(machine, "sounds/yes.wav").startUs);
  EXPECT_EQ(LastPlayOf(machine, "sounds/yes.wav").pan, -2500);

  // Each one-shot buffer: flags 194, full volume, then the pan, then play once.
  std::vector<std::string> yes;
  for (const std::string& line :
       test::Sequence(machine, {Op::CreateSoundBufferFromFile, Op::SetVolume, Op::SetPan, Op::Play})) {
    if (line.find("yes.wav") != std::string::npos) yes.push_back(line);
  }
  const std::string id = "#" + std::to_string(LastPlayOf(machine, "sounds/yes.wav").bufferId) + " sounds/yes.wav";
  EXPECT_EQ(yes, (std::vector<std::string>{
                     "CreateSoundBufferFromFile sounds/yes.wav flags=194 bytes=44100 format=1,1,22050,44100,2,16,0 "
                     "alg=DS3DALG_DEFAULT",
                     "SetVolume " + id + " 0", "SetPan " + id + " -2500", "Play " + id + " 0"}));
}

TEST(PlaySound, MissingFileIsReportedOncePerCallAndTheGameGoesOn) {
  test::ProgramFolderCopy folder;
  folder.Remove("sounds/yes.wav");
  sim::Config config = test::DefaultConfig();
  config.programFolder = folder.Path();
  sim::Machine machine(config);
  const sim::Outcome outcome = test::RunAfterStartup(machine, [&] {
    PlaySound("sounds/round.wav", 0, true);
    PlaySound("sounds/yes.wav", 0, true);
    PlaySound("sounds/yes.wav", 0, true);
    PlaySound("sounds/no.wav", 0, true);
  });
  EXPECT_EQ(outcome.how, sim::Outcome::How::Returned);
  ASSERT_EQ(machine.MessageBoxes().size(), 2u);
  EXPECT_EQ(machine.MessageBoxes()[0],
            "An error has occurred in this application.  Procedure: PlaySound.  Error Number: -2147024894 - "
            "sounds/yes.wav was not found.  Please e-mail support@grumbosh.example.org with this information.");
  EXPECT_EQ(machine.MessageBoxCaptions()[0], kProductTitle);
  EXPECT_EQ(test::Played(machine), (std::vector<std::string>{"sounds/round.wav", "sounds/no.wav"}));
  // The failed creation left the previous buffer in place until no.wav
  // replaced it.
  EXPECT_EQ(LastPlayOf(machine, "sounds/round.wav").end, sim::PlayEvent::End::Finished);
}

TEST(PlaySound, FailingBufferCallIsTrappedToo) {
  sim::Machine machine(test::DefaultConfig());
  test::RunAfterStartup(machine, [&] {
    machine.InjectFailure({.op = Op::SetPan, .code = platform::kErrInvalidArgument, .match = "punch"});
    PlaySound("sounds/punch.wav", 10000, true);
  });
  ASSERT_EQ(machine.MessageBoxes().size(), 1u);
  EXPECT_NE(machine.MessageBoxes()[0].find("Procedure: PlaySound.  Error Number: -2147024809 - "), std::string::npos);
  EXPECT_TRUE(test::Played(machine).empty()) << "the call returns before playing";
}

TEST(LoadSounds, MissingResidentSoundEndsStartUpWithTheRuntimeReport) {
  for (const char* file : {"sounds/pianolp.wav", "sounds/block.wav", "sounds/swing.wav"}) {
    test::ProgramFolderCopy folder;
    folder.Remove(file);
    sim::Config config = test::DefaultConfig();
    config.programFolder = folder.Path();
    sim::Machine machine(config);
    const sim::Outcome outcome = test::RunProgram(machine);
    EXPECT_EQ(outcome.how, sim::Outcome::How::Fatal) << file;
    EXPECT_EQ(outcome.errorNumber, platform::kErrFileNotFound);
    ASSERT_EQ(machine.MessageBoxes().size(), 1u);
    EXPECT_EQ(machine.MessageBoxes()[0],
              "Run-time error '-2147024894':\n\n" + std::string(file) + " was not found");
    EXPECT_TRUE(machine.Plays().empty()) << "nothing is played before the introduction";
  }
}

TEST(LoadSounds, FindsTheSoundsBesideTheProgramWhereverItStarts) {
  sim::Config config = test::DefaultConfig();
  config.startDirectory = "/";
  sim::Machine machine(config);
  const sim::Outcome outcome = test::RunAfterStartup(machine, [] {});
  EXPECT_EQ(outcome.how, sim::Outcome::How::Returned);
  EXPECT_EQ(machine.CurrentDirectory(), test::ProgramFolder());
}

TEST(Announcement, WaitsForHeldSkipKeysThenStopsWithinOnePassOfOne) {
  sim::Machine machine(test::DefaultConfig());
  // Space held from before the announcement until 300 ms; Enter pressed at 2 s.
  machine.KeyDownAt(0, DIK_SPACE);
  machine.KeyUpAt(Ms(300), DIK_SPACE);
  machine.PressKey(Ms(2000), DIK_RETURN, Ms(100));
  test::RunAfterStartup(machine, [&] {
    PollKeyboard();  // the snapshot now holds Space down
    KeyLatch[DIK_SPACE] = -1;
    Announcement("sounds/intro.wav");
    EXPECT_TRUE(KeyDown(DIK_RETURN)) << "the key stays down in the snapshot after the return";
    EXPECT_EQ(KeyLatch[DIK_RETURN], 0) << "the announcement takes no press";
    EXPECT_EQ(KeyLatch[DIK_SPACE], 0) << "but its polls free released keys";
  });
  const sim::PlayEvent& intro = LastPlayOf(machine, "sounds/intro.wav");
  EXPECT_GE(intro.startUs, Ms(300)) << "held back until Space was released";
  EXPECT_LE(intro.startUs, Ms(302));
  EXPECT_EQ(intro.end, sim::PlayEvent::End::Stopped);
  EXPECT_GE(intro.endUs, Ms(2000));
  EXPECT_LE(intro.endUs, Ms(2000) + machine.config().passCostUs) << "silenced within one pass";
  // Its pan is never set: the buffer keeps the centre it was made with.
  for (const std::string& pan : test::Details(machine, Op::SetPan)) {
    EXPECT_EQ(pan.find("intro.wav"), std::string::npos) << pan;
  }
}

TEST(Announcement, FirstHoldBackTestUsesTheSnapshotWithoutPolling) {
  sim::Machine machine(test::DefaultConfig());
  machine.PressKey(0, DIK_ESCAPE, Ms(5));
  uint64_t called = 0;
  test::RunAfterStartup(machine, [&] {
    PollKeyboard();  // Escape down in the snapshot
    while (machine.NowUs() < Ms(20)) platform::DoEvents();  // released meanwhile, unseen
    called = machine.NowUs();
    Announcement("sounds/intro.wav");
  });
  // The stale snapshot holds it back for one pass, whose poll sees the key up.
  EXPECT_EQ(LastPlayOf(machine, "sounds/intro.wav").startUs, called + machine.config().passCostUs);
}

TEST(Announcement, EveryOneOfTheTenSkipKeysCutsItShortAndOthersDoNot) {
  for (uint8_t key : {DIK_UP, DIK_DOWN, DIK_LEFT, DIK_RIGHT, DIK_SPACE, DIK_LCONTROL, DIK_ESCAPE, DIK_RETURN,
                      DIK_LSHIFT, DIK_RSHIFT, DIK_Y}) {
    sim::Machine machine(test::DefaultConfig());
    machine.PressKey(Ms(500), key, Ms(50));
    test::RunAfterStartup(machine, [] { Announcement("sounds/intro.wav"); });
    const sim::PlayEvent& intro = LastPlayOf(machine, "sounds/intro.wav");
    if (key == DIK_Y) {
      EXPECT_EQ(intro.end, sim::PlayEvent::End::Finished);
    } else {
      EXPECT_EQ(intro.end, sim::PlayEvent::End::Stopped) << int(key);
      EXPECT_LE(intro.endUs, Ms(501));
    }
  }
}

TEST(Announcement, MissingFileIsReportedAndTheGameStarts) {
  test::ProgramFolderCopy folder;
  folder.Remove("sounds/intro.wav");
  sim::Config config = test::DefaultConfig();
  config.programFolder = folder.Path();
  sim::Machine machine(config);
  test::Player player(machine, {.escapeAtAttack = 1});
  const sim::Outcome outcome = test::RunProgram(machine);
  EXPECT_EQ(outcome.how, sim::Outcome::How::Ended);
  ASSERT_GE(machine.MessageBoxes().size(), 1u);
  EXPECT_EQ(machine.MessageBoxes()[0],
            "An error has occurred in this application.  Procedure: Announcement.  Error Number: -2147024894 - "
            "sounds/intro.wav was not found.  Please e-mail support@grumbosh.example.org with this information.");
  ASSERT_FALSE(test::Played(machine).empty());
  EXPECT_EQ(test::Played(machine)[0], "sounds/round.wav");
}

}  // namespace
