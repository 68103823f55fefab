// Whole games on the simulated machine, played by a scripted player that
// listens to the swings and answers with keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "game/main_game.h"
#include "input/key_codes.h"
#include "shell/platform/wave_file.h"
#include "tests/support/player.h"
#include "tests/support/scenario.h"

namespace {

using sim::Op;
using test::Ms;

// The files heard from the last lost exchange of the run to the end.
std::vector<std::string> FromLastLoss(const std::vector<std::string>& played) {
  auto at = std::find(played.rbegin(), played.rend(), "sounds/BrokToof.wav");
  return {at.base() - 1, played.end()};
}

std::vector<std::string> TextsOf(const sim::Machine& machine, const std::string& box) {
  std::vector<std::string> texts;
  for (const std::string& detail : test::Details(machine, Op::SetControlText)) {
    if (detail.rfind(box + "=", 0) == 0) texts.push_back(detail.substr(box.size() + 1));
  }
  return texts;
}

// Swings heard in each round, by round number.
std::vector<int> SwingsPerRound(const sim::Machine& machine) {
  std::vector<int> swings;
  for (const sim::PlayEvent& play : machine.Plays()) {
    if (play.file == "sounds/round.wav") swings.push_back(0);
    if (play.file == "sounds/swing.wav" && !swings.empty()) ++swings.back();
  }
  return swings;
}

TEST(GameFlow, ScoreAndAgilityOfWonRoundsAndExchangesPerRound) {
  sim::Machine machine(test::DefaultConfig());
  // 17 rounds won: 3 + 5 + ... + 19 (rounds 1 to 9) + 8 x 19 exchanges; then
  // the first attack of round 18 is missed.
  constexpr int kWon = 99 + 8 * 19;
  test::Player player(machine, {.blocks = [](int attack) { return attack <= kWon; }});
  const sim::Outcome outcome = test::RunProgram(machine);
  ASSERT_EQ(outcome.how, sim::Outcome::How::Ended);

  const std::vector<int> expectedSwings = {3, 5, 7, 9, 11, 13, 15, 17, 19, 19, 19, 19, 19, 19, 19, 19, 19, 1};
  EXPECT_EQ(SwingsPerRound(machine), expectedSwings);

  // After each knock-out the agility box, then the score box, are written.
  const std::vector<std::string> agility = TextsOf(machine, "txtAgility");
  ASSERT_EQ(agility.size(), 18u);  // emptied by NewGame, then once a won round
  const std::map<int, std::pair<std::string, std::string>> table = {
      {1, {"1750", "5"}},    {2, {"4500", "10"}},    {3, {"8250", "15"}},    {9, {"51750", "45"}},
      {10, {"62000", "50"}}, {16, {"134000", "80"}}, {17, {"147750", "80"}},
  };
  std::vector<std::string> scoreAfterKnockOut;
  const std::vector<std::string> details = test::Details(machine, Op::SetControlText);
  for (size_t i = 0; i + 1 < details.size(); ++i) {
    if (details[i].rfind("txtAgility=", 0) == 0 && details[i] != "txtAgility=") {
      scoreAfterKnockOut.push_back(details[i + 1]);
    }
  }
  ASSERT_EQ(scoreAfterKnockOut.size(), 17u);
  for (const auto& [round, values] : table) {
    EXPECT_EQ(scoreAfterKnockOut[static_cast<size_t>(round - 1)], "txtScore=" + values.first) << round;
    EXPECT_EQ(agility[static_cast<size_t>(round)], values.second) << round;
  }
  EXPECT_EQ(Agility, 800);
  EXPECT_EQ(Score, 147750) << "the missed attack of round 18 adds nothing";

  // The knock-out of round 1: the bonus, then "Your score is" and the score.
  const std::vector<std::string> played = test::Played(machine);
  auto knockOut = std::find(played.begin(), played.end(), "sounds/KnockOut.wav");
  ASSERT_NE(knockOut, played.end());
  EXPECT_EQ(std::vector<std::string>(knockOut, knockOut + 6),
            (std::vector<std::string>{"sounds/KnockOut.wav", "sounds/ysi.wav", "sounds/numbers/1.wav",
                                      "sounds/numbers/thousand.wav", "sounds/numbers/7.wav",
                                      "sounds/numbers/hundred.wav"}));
  // The summary of the game lost in round 18.
  EXPECT_EQ(FromLastLoss(played),
            (std::vector<std::string>{
                "sounds/BrokToof.wav", "sounds/toround.wav", "sounds/numbers/18.wav", "sounds/finalscore.wav",
                "sounds/numbers/1.wav", "sounds/numbers/hundred.wav", "sounds/numbers/40.wav",
                "sounds/numbers/7.wav", "sounds/numbers/thousand.wav", "sounds/numbers/7.wav",
                "sounds/numbers/hundred.wav", "sounds/numbers/50.wav", "sounds/points.wav", "sounds/agility.wav",
                "sounds/numbers/80.wav", "sounds/playagain.wav", "sounds/no.wav", "sounds/seeya.wav"}));
}

TEST(GameFlow, LosingTheFirstExchange) {
  sim::Machine machine(test::DefaultConfig());
  test::Player player(machine, {.blocks = [](int) { return false; }});
  const sim::Outcome outcome = test::RunProgram(machine);
  ASSERT_EQ(outcome.how, sim::Outcome::How::Ended);
  const std::vector<std::string> played = test::Played(machine);
  ASSERT_GE(played.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(played.begin(), played.begin() + 3),
            (std::vector<std::string>{"sounds/intro.wav", "sounds/round.wav", "sounds/numbers/1.wav"}));
  EXPECT_EQ(FromLastLoss(played),
            (std::vector<std::string>{"sounds/BrokToof.wav", "sounds/toround.wav", "sounds/numbers/1.wav",
                                      "sounds/finalscore.wav", "sounds/numbers/zero.wav", "sounds/points.wav",
                                      "sounds/agility.wav", "sounds/numbers/zero.wav", "sounds/playagain.wav",
                                      "sounds/no.wav", "sounds/seeya.wav"}));
  EXPECT_EQ(machine.ControlText("txtRound"), "1");
  EXPECT_EQ(machine.ControlText("txtScore"), "");
  EXPECT_EQ(machine.ControlText("txtAgility"), "");
  // The boxes are emptied in order, and the round shown before it is announced.
  std::vector<std::string> start;
  for (std::string line : test::Sequence(machine, {Op::SetControlText, Op::Play})) {
    if (const size_t id = line.find(" #"); id != std::string::npos) line.erase(id, line.find(' ', id + 1) - id);
    if (line.find("intro.wav") == std::string::npos) start.push_back(line);
    if (start.size() == 6) break;
  }
  EXPECT_EQ(start, (std::vector<std::string>{"Play sounds/pianolp.wav 1", "SetControlText txtRound=",
                                             "SetControlText txtScore=", "SetControlText txtAgility=",
                                             "SetControlText txtRound=1", "Play sounds/round.wav 0"}));
  // The music stops after the loss, and again at the question.
  const std::vector<std::string> stops = test::Details(machine, Op::Stop);
  EXPECT_EQ(std::count_if(stops.begin(), stops.end(),
                          [](const std::string& d) { return d.find("pianolp") != std::string::npos; }),
            2);
}

TEST(GameFlow, LostRoundKeepsItsExchangePointsWithoutBonus) {
  sim::Machine machine(test::DefaultConfig());
  // Round 1 won (3 attacks), round 2 lost at its third attack.
  test::Player player(machine, {.blocks = [](int attack) { return attack != 3 + 3; }});
  test::RunProgram(machine);
  EXPECT_EQ(Score, 1750 + 2 * 250);
  EXPECT_EQ(Agility, 50);
  EXPECT_EQ(SwingsPerRound(machine), (std::vector<int>{3, 3})) << "the round's other attacks are not played";
  EXPECT_EQ(machine.ControlText("txtScore"), "2250");
  EXPECT_EQ(machine.ControlText("txtAgility"), "5");
}

TEST(GameFlow, TauntsNeverRepeatAndTheFirstRoundNeverPlaysTauntZero) {
  sim::Machine machine(test::DefaultConfig());
  // Games of four rounds each (3 + 5 + 7 + 9 attacks, then a miss), twelve times.
  int attack = 0;
  test::Player player(machine, {.blocks = [&attack](int n) {
                                  attack = n;
                                  return (n - 1) % 25 != 24;
                                },
                                .answers = "YYYYYYYYYYY"});
  test::RunProgram(machine);
  ASSERT_EQ(attack, 12 * 25);
  std::vector<std::string> taunts;
  std::vector<bool> firstOfGame;
  bool newGame = true;
  for (const std::string& file : test::Played(machine)) {
    if (file.rfind("sounds/grumbo0", 0) == 0) {
      taunts.push_back(file);
      firstOfGame.push_back(newGame);
      newGame = false;
    }
    if (file == "sounds/yes.wav") newGame = true;
  }
  ASSERT_EQ(taunts.size(), 12u * 5u);
  std::set<std::string> distinct(taunts.begin(), taunts.end());
  EXPECT_EQ(distinct.size(), 6u) << "all six taunts are heard";
  for (size_t i = 0; i < taunts.size(); ++i) {
    if (firstOfGame[i]) {
      EXPECT_NE(taunts[i], "sounds/grumbo00.wav") << i;
    } else {
      EXPECT_NE(taunts[i], taunts[i - 1]) << i;
    }
  }
}

TEST(GameFlow, EscapeLeavesTheExchangeForTheQuestionAtOnce) {
  sim::Machine machine(test::DefaultConfig());
  test::Player player(machine, {.escapeAtAttack = 2, .answers = "N"});
  const sim::Outcome outcome = test::RunProgram(machine);
  EXPECT_EQ(outcome.how, sim::Outcome::How::Ended);
  const std::vector<std::string> played = test::Played(machine);
  EXPECT_EQ(std::count(played.begin(), played.end(), "sounds/BrokToof.wav"), 0);
  EXPECT_EQ(std::count(played.begin(), played.end(), "sounds/toround.wav"), 0);
  EXPECT_EQ(std::vector<std::string>(played.end() - 3, played.end()),
            (std::vector<std::string>{"sounds/playagain.wav", "sounds/no.wav", "sounds/seeya.wav"}));
  // The music stopped for the question.
  EXPECT_EQ(machine.Plays()[1].file, "sounds/pianolp.wav");
  EXPECT_EQ(machine.Plays()[1].end, sim::PlayEvent::End::Stopped);
}

TEST(GameFlow, EscapeHeldThroughTheQuestionEndsTheProgram) {
  sim::Machine machine(test::DefaultConfig());
  machine.OnPlay([](sim::Machine& m, const sim::PlayEvent& play) {
    if (play.file == "sounds/swing.wav") m.PressKey(play.startUs + Ms(100), DIK_ESCAPE, Ms(20000));
  });
  machine.PressKey(Ms(200), DIK_SPACE, Ms(30));  // cuts the introduction short
  const sim::Outcome outcome = test::RunProgram(machine);
  EXPECT_EQ(outcome.how, sim::Outcome::How::Ended);
  const std::vector<std::string> played = test::Played(machine);
  EXPECT_EQ(std::vector<std::string>(played.end() - 3, played.end()),
            (std::vector<std::string>{"sounds/playagain.wav", "sounds/no.wav", "sounds/seeya.wav"}));
}

TEST(GameFlow, NoOrEscapeWithYesEndsAfterBothGoodbyesPlayedToTheirEnd) {
  for (uint8_t no : {DIK_N, DIK_ESCAPE}) {
    sim::Machine machine(test::DefaultConfig());
    test::Player player(machine, {.blocks = [](int) { return false; }});
    machine.OnPlay([no](sim::Machine& m, const sim::PlayEvent& play) {
      if (play.file == "sounds/playagain.wav") {
        m.PressKey(play.endUs + Ms(100), DIK_Y, Ms(500));
        m.PressKey(play.endUs + Ms(100), no, Ms(500));
      }
    });
    const sim::Outcome outcome = test::RunProgram(machine);
    EXPECT_EQ(outcome.how, sim::Outcome::How::Ended);
    EXPECT_EQ(outcome.exitStatus, 0);
    const std::vector<sim::PlayEvent>& plays = machine.Plays();
    ASSERT_GE(plays.size(), 2u);
    const sim::PlayEvent& no_ = plays[plays.size() - 2];
    const sim::PlayEvent& seeya = plays.back();
    EXPECT_EQ(no_.file, "sounds/no.wav");
    EXPECT_EQ(seeya.file, "sounds/seeya.wav");
    EXPECT_EQ(no_.end, sim::PlayEvent::End::Finished);
    EXPECT_EQ(seeya.end, sim::PlayEvent::End::Finished);
    EXPECT_GE(machine.Calls(Op::EndProgram).back().timeUs, seeya.endUs);
  }
}

TEST(GameFlow, YesStartsANewGameWhoseMusicGoesOnFromWhereItStopped) {
  sim::Machine machine(test::DefaultConfig());
  test::Player player(machine, {.blocks = [](int attack) { return attack != 1 && attack != 2; }, .answers = "Y"});
  test::RunProgram(machine);
  std::vector<sim::PlayEvent> music;
  for (const sim::PlayEvent& play : machine.Plays()) {
    if (play.file == "sounds/pianolp.wav") music.push_back(play);
  }
  ASSERT_EQ(music.size(), 2u);
  EXPECT_TRUE(music[1].looping);
  EXPECT_EQ(music[1].volume, -10000) << "started silent, then turned to -400";
  EXPECT_EQ(music[1].lastVolume, -400);
  const uint64_t loopUs =
      platform::ReadWaveFile(test::ProgramFolder() + "/sounds/pianolp.wav").DurationMicroseconds();
  EXPECT_EQ(music[0].startPositionUs, 0u);
  EXPECT_GT(music[1].startPositionUs, 0u);
  EXPECT_EQ(music[1].startPositionUs, (music[0].endUs - music[0].startUs) % loopUs) << "not restarted";
  const std::vector<std::string> volumes = test::Details(machine, Op::SetVolume);
  std::vector<std::string> musicVolumes;
  for (const std::string& v : volumes) {
    if (v.find("pianolp") != std::string::npos) musicVolumes.push_back(v.substr(v.rfind(' ') + 1));
  }
  EXPECT_EQ(musicVolumes, (std::vector<std::string>{"-10000", "-400", "-10000", "-400"}));
  EXPECT_EQ(test::Played(machine)[test::Played(machine).size() - 3], "sounds/playagain.wav");
}

TEST(GameFlow, AThousandGamesInOneProcessStartAtTheSameStackDepth) {
  sim::Config config = test::DefaultConfig();
  config.passCostUs = 5000;
  config.timeLimitUs = 24ull * 3600 * 1000 * 1000;
  sim::Machine machine(config);
  test::Player player(machine, {.blocks = [](int) { return false; }, .answers = std::string(999, 'Y')});
  const sim::Outcome outcome = test::RunProgram(machine);
  ASSERT_EQ(outcome.how, sim::Outcome::How::Ended);
  std::vector<uintptr_t> depths;
  for (const sim::Call& call : machine.Calls(Op::SetVolume)) {
    if (call.detail.find("pianolp.wav -10000") != std::string::npos) depths.push_back(call.stack);
  }
  ASSERT_EQ(depths.size(), 1000u);
  for (size_t game = 1; game < depths.size(); ++game) ASSERT_EQ(depths[game], depths[0]) << "game " << game + 1;
}

TEST(GameFlow, ScoreOverflowIsFatal) {
  sim::Machine machine(test::DefaultConfig());
  test::Player player(machine, {});
  machine.OnPlay([](sim::Machine&, const sim::PlayEvent& play) {
    // As if some 156,000 rounds had been won: the next exchange's 250
    // points pass the largest signed 32-bit value.
    if (play.file == "sounds/round.wav") Score = 2147483647 - 100;
  });
  const sim::Outcome outcome = test::RunProgram(machine);
  EXPECT_EQ(outcome.how, sim::Outcome::How::Fatal);
  EXPECT_EQ(outcome.errorNumber, 6);
  EXPECT_EQ(outcome.exitStatus, 1);
  ASSERT_FALSE(machine.MessageBoxes().empty());
  EXPECT_EQ(machine.MessageBoxes().back(), "Run-time error '6':\n\nOverflow");
  EXPECT_EQ(Score, 2147483647 - 100);
}

}  // namespace
