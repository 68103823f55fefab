// Whole games on the simulated machine, heard and seen as a replay.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "game/main_game.h"
#include "tests/support/scenario.h"

namespace {

using test::Ms;
using How = sim::Outcome::How;

const std::string kLeft = "@-10000", kCentre, kRight = "@10000";
// A game starts: the music looping from silence, turned to -400; the boxes emptied.
const std::string kNewGame = " ~-10000 sounds/pianolp.wav~-10000* ~-400 txtRound= txtScore= txtAgility=";
const std::string kKnockOutOfRoundOne =
    " sounds/KnockOut.wav txtAgility=5 txtScore=1750 sounds/ysi.wav sounds/numbers/1.wav "
    "sounds/numbers/thousand.wav sounds/numbers/7.wav sounds/numbers/hundred.wav sounds/numbers/50.wav";

std::string Round(const std::string& number, const std::string& taunt) {
  return " txtRound=" + number + " sounds/round.wav sounds/numbers/" + number + ".wav seed sounds/grumbo0" + taunt +
         ".wav";
}

// An exchange won: the swing and the block, neither waited for, at the
// attack's side; the punch at the player's, heard to its end; the new score.
std::string Won(const std::string& side, const std::string& punch, const std::string& score) {
  return " seed sounds/swing.wav" + side + "! sounds/block.wav" + side + "! sounds/punch.wav" + punch +
         " txtScore=" + score;
}

TEST(GameFlow, TwoGamesAfterYesHeardAndSeenInOrder) {
  sim::Machine machine(test::Config());
  // Round 1 won, round 2 lost at its third attack; yes. Round 1 won, then
  // Escape held from round 2's first attack through the question.
  test::Player(machine, "wwwwwlYwwwe-");
  // N pressed and released while the question is asked is never seen.
  machine.OnPlay([](sim::Machine& m, const sim::PlayEvent& play) {
    if (play.file == "sounds/playagain.wav") m.PressKey(play.startUs + Ms(500), 0x31, Ms(100));
  });
  // A taunt is 6 x the draw rounded down, drawn again while it is the last
  // round's (0 as a game starts); an attack comes from the left at 0.1, the
  // centre at 0.5 and the right at 0.9.
  machine.QueueRandom(
      {0.05f, 0.59f, 0.1f, 0.5f, 0.9f, 0.55f, 0.3f, 0.5f, 0.1f, 0.9f, 0.1f, 0.99f, 0.9f, 0.1f, 0.5f, 0.45f, 0.5f});
  EXPECT_EQ(test::RunProgram(machine).how, How::Ended);
  EXPECT_EQ(test::Transcript(machine),
            "sounds/intro.wav! stop stop" + kNewGame + Round("1", "3") + Won(kLeft, kRight, "250") +
                Won(kCentre, kLeft, "500") + Won(kRight, kCentre, "750") + kKnockOutOfRoundOne + Round("2", "1") +
                Won(kCentre, kLeft, "2000") + Won(kLeft, kRight, "2250") +
                " seed sounds/swing.wav@10000! sounds/BrokToof.wav stop sounds/toround.wav sounds/numbers/2.wav "
                "sounds/finalscore.wav sounds/numbers/2.wav sounds/numbers/thousand.wav sounds/numbers/2.wav "
                "sounds/numbers/hundred.wav sounds/numbers/50.wav sounds/points.wav sounds/agility.wav "
                "sounds/numbers/5.wav stop sounds/playagain.wav sounds/yes.wav" +
                kNewGame + Round("1", "5") + Won(kRight, kCentre, "250") + Won(kLeft, kRight, "500") +
                Won(kCentre, kLeft, "750") + kKnockOutOfRoundOne + Round("2", "2") +
                " seed sounds/swing.wav! stop sounds/playagain.wav sounds/no.wav sounds/seeya.wav end0");
  // The second game's music goes on from where the first one's stopped.
  std::vector<sim::PlayEvent> music;
  for (const sim::PlayEvent& play : machine.Plays()) {
    if (play.file == "sounds/pianolp.wav") music.push_back(play);
  }
  ASSERT_EQ(music.size(), 2u);
  EXPECT_EQ(music[0].fromUs, 0u);
  EXPECT_EQ(music[1].fromUs, (music[0].endUs - music[0].startUs) % music[0].lengthUs);
}

TEST(GameFlow, ExchangesOfEveryRoundAndTheScoreAndAgilityAfterEachKnockOut) {
  sim::Machine machine(test::Config());
  test::Player(machine, std::string(3 + 5 + 7 + 9 + 11 + 13 + 15 + 17 + 19 + 8 * 19, 'w'));
  ASSERT_EQ(test::RunProgram(machine).how, How::Ended);
  std::vector<int> swings;
  std::string knockOuts;
  int after = 0;
  std::istringstream words(test::Transcript(machine));
  for (std::string word; words >> word;) {
    if (word == "sounds/round.wav") swings.push_back(0);
    if (word.starts_with("sounds/swing.wav")) ++swings.back();
    if (after > 0 && after--) knockOuts += word + " ";
    if (word == "sounds/KnockOut.wav") after = 2;
  }
  EXPECT_EQ(swings, (std::vector<int>{3, 5, 7, 9, 11, 13, 15, 17, 19, 19, 19, 19, 19, 19, 19, 19, 19, 1}));
  EXPECT_EQ(knockOuts,
            "txtAgility=5 txtScore=1750 txtAgility=10 txtScore=4500 txtAgility=15 txtScore=8250 "
            "txtAgility=20 txtScore=13000 txtAgility=25 txtScore=18750 txtAgility=30 txtScore=25500 "
            "txtAgility=35 txtScore=33250 txtAgility=40 txtScore=42000 txtAgility=45 txtScore=51750 "
            "txtAgility=50 txtScore=62000 txtAgility=55 txtScore=72750 txtAgility=60 txtScore=84000 "
            "txtAgility=65 txtScore=95750 txtAgility=70 txtScore=108000 txtAgility=75 txtScore=120750 "
            "txtAgility=80 txtScore=134000 txtAgility=80 txtScore=147750 ");
}

TEST(GameFlow, NoOrEscapeWithYesIsANo) {
  for (const std::vector<uint8_t>& held : {std::vector<uint8_t>{0x31}, {0x01}, {0x15, 0x31}, {0x15, 0x01}}) {
    sim::Machine machine(test::Config());
    for (const uint8_t key : held) machine.PressKey(Ms(5000), key, Ms(100));
    EXPECT_EQ(test::RunAfterStartup(machine, [] { PlayAgainPrompt(); }).how, How::Ended);
    EXPECT_EQ(test::Transcript(machine), "stop sounds/playagain.wav sounds/no.wav sounds/seeya.wav end0");
  }
}

TEST(GameFlow, FailuresOfTheResidentSoundsAndTheBoxesAreFatal) {
  // clang-format off
  const std::pair<std::string, std::string> calls[] = {
      {"SetVolume", "sounds/pianolp.wav"}, {"Play", "sounds/pianolp.wav"}, {"Stop", "sounds/pianolp.wav"},
      {"SetPan", "sounds/swing.wav"}, {"Play", "sounds/swing.wav"}, {"SetPan", "sounds/block.wav"},
      {"Play", "sounds/block.wav"}, {"SetControlText", "txtScore=250"}};
  // clang-format on
  for (const auto& [op, match] : calls) {
    sim::Machine machine(test::Config());
    test::Player(machine, "w");
    machine.InjectFailure({.op = op, .code = -1, .match = match});
    EXPECT_EQ(test::RunProgram(machine).how, How::Fatal) << op << match;
    EXPECT_EQ(machine.messageBoxes.at(0).first, "Run-time error '-1':\n\n" + op + " failed");
  }
}

TEST(GameFlow, ScoreOverflowIsFatal) {
  sim::Machine machine(test::Config());
  test::Player(machine, "ww");
  // As if some 156,000 rounds had been won: the second exchange's 250 points
  // pass 2,147,483,647.
  machine.OnPlay([](sim::Machine&, const sim::PlayEvent& play) {
    if (play.file == "sounds/round.wav") Score = 2147483647 - 250;
  });
  EXPECT_EQ(test::RunProgram(machine).how, How::Fatal);
  EXPECT_NE(test::Transcript(machine).find("txtScore=2147483647 seed"), std::string::npos);
  EXPECT_EQ(machine.messageBoxes.at(0).first, "Run-time error '6':\n\nOverflow");
}

TEST(GameFlow, AThousandGamesInOneProcessStartAtTheSameStackDepth) {
  sim::Config config = test::Config();
  config.passUs = 5000;
  config.timeLimitUs = 24ull * 3600 * 1000 * 1000;
  sim::Machine machine(config);
  std::string script;
  for (int game = 1; game < 1000; ++game) script += "lY";
  test::Player(machine, script);
  ASSERT_EQ(test::RunProgram(machine).how, How::Ended);
  std::multiset<uintptr_t> depths;
  for (const sim::Call& call : machine.Log()) {
    if (call.detail == "sounds/pianolp.wav -10000") depths.insert(call.stack);
  }
  EXPECT_EQ(depths.size(), 1000u);
  EXPECT_EQ(depths.count(*depths.begin()), 1000u) << "abandoned games unwind";
}

}  // namespace
