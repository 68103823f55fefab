// One exchange: what is heard, in order and where, and the result.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "game/exchange.h"
#include "game/main_game.h"
#include "input/key_codes.h"
#include "input/keyboard.h"
#include "tests/support/player.h"
#include "tests/support/scenario.h"

namespace {

using sim::Op;
using test::Ms;

constexpr float kLeftDraw = 0.1f;
constexpr float kCentreDraw = 0.5f;
constexpr float kRightDraw = 0.9f;
constexpr int32_t kPans[3] = {-10000, 0, 10000};

struct Heard {
  std::string file;
  int32_t pan;
};

std::vector<Heard> HeardIn(const sim::Machine& machine) {
  std::vector<Heard> heard;
  for (const sim::PlayEvent& play : machine.Plays()) heard.push_back({play.file, play.pan});
  return heard;
}

void ExpectHeard(const sim::Machine& machine, const std::vector<Heard>& expected, const std::string& context) {
  const std::vector<Heard> heard = HeardIn(machine);
  ASSERT_EQ(heard.size(), expected.size()) << context;
  for (size_t i = 0; i < heard.size(); ++i) {
    EXPECT_EQ(heard[i].file, expected[i].file) << context << " #" << i;
    EXPECT_EQ(heard[i].pan, expected[i].pan) << context << " #" << i;
  }
}

// Runs one exchange at virtual time 0 and returns its result.
bool RunExchange(sim::Machine& machine, int16_t agility = 0) {
  bool result = false;
  const sim::Outcome outcome = test::RunAfterStartup(machine, [&] {
    Agility = agility;
    result = Exchange();
  });
  EXPECT_EQ(outcome.how, sim::Outcome::How::Returned);
  return result;
}

uint8_t KeyOf(int direction) { return test::KeyFor(kPans[direction]); }

TEST(Exchange, EveryRowOfTheOutcomesTable) {
  const float draws[3] = {kLeftDraw, kCentreDraw, kRightDraw};
  for (int attack = 0; attack < 3; ++attack) {
    for (int block = 0; block < 3; ++block) {
      for (int counter = 0; counter < 3; ++counter) {
        if (block != attack && counter != 0) continue;  // the counter window never opens
        sim::Machine machine(test::DefaultConfig());
        machine.QueueRandom({draws[attack]});
        machine.PressKey(Ms(100), KeyOf(block), Ms(30));
        machine.PressKey(Ms(400), KeyOf(counter), Ms(30));
        const bool result = RunExchange(machine);
        const std::string context =
            "attack " + std::to_string(attack) + " block " + std::to_string(block) + " counter " + std::to_string(counter);
        const Heard swing{"sounds/swing.wav", kPans[attack]};
        if (block != attack) {
          EXPECT_FALSE(result) << context;
          ExpectHeard(machine, {swing}, context);
        } else if (counter == attack) {
          EXPECT_FALSE(result) << context;
          ExpectHeard(machine, {swing, {"sounds/block.wav", kPans[block]}}, context);
        } else {
          EXPECT_TRUE(result) << context;
          ExpectHeard(machine, {swing, {"sounds/block.wav", kPans[block]}, {"sounds/punch.wav", kPans[counter]}},
                      context);
          // The punch is waited for; the swing and the block are not.
          const sim::PlayEvent& punch = machine.Plays().back();
          EXPECT_EQ(punch.end, sim::PlayEvent::End::Finished);
          EXPECT_EQ(machine.Plays()[0].end, sim::PlayEvent::End::Finished);
          EXPECT_LT(machine.Plays()[1].startUs, Ms(102)) << "the block sounds as soon as the press is seen";
        }
      }
    }
  }
}

TEST(Exchange, NoKeyAtAllIsJudgedAsLeft) {
  {
    // From the left: blocked once the window has run out, then the counter
    // stays left too, the side of the attack.
    sim::Machine machine(test::DefaultConfig());
    machine.QueueRandom({kLeftDraw});
    EXPECT_FALSE(RunExchange(machine));
    ExpectHeard(machine, {{"sounds/swing.wav", -10000}, {"sounds/block.wav", -10000}}, "left");
    // The window's closing pass is the one at which 1001 ms have elapsed;
    // its own message processing takes the pass's millisecond.
    EXPECT_EQ(machine.Plays()[1].startUs, Ms(1002));
    EXPECT_EQ(machine.NowUs(), Ms(2004));
  }
  for (float draw : {kCentreDraw, kRightDraw}) {
    sim::Machine machine(test::DefaultConfig());
    machine.QueueRandom({draw});
    EXPECT_FALSE(RunExchange(machine));
    EXPECT_EQ(machine.Plays().size(), 1u);
    EXPECT_EQ(machine.NowUs(), Ms(1002)) << "false as soon as the block window has run out";
  }
  for (float draw : {kCentreDraw, kRightDraw}) {
    // Blocked, then nothing: the punch lands at the left.
    sim::Machine machine(test::DefaultConfig());
    machine.QueueRandom({draw});
    machine.PressKey(Ms(100), KeyOf(draw == kCentreDraw ? 1 : 2), Ms(30));
    EXPECT_TRUE(RunExchange(machine));
    ASSERT_EQ(machine.Plays().size(), 3u);
    EXPECT_EQ(machine.Plays()[2].pan, -10000);
    EXPECT_EQ(machine.Plays()[2].startUs, machine.Plays()[1].startUs + Ms(1002));
  }
}

TEST(Exchange, KeyHeldIntoTheCounterWindowIsNotTakenTwice) {
  sim::Machine machine(test::DefaultConfig());
  machine.QueueRandom({kCentreDraw});
  machine.PressKey(Ms(100), DIK_SPACE, Ms(1500));  // held through the counter window
  // Taken again it would counter to the centre, the attack's side, and lose.
  EXPECT_TRUE(RunExchange(machine));
  ASSERT_EQ(machine.Plays().size(), 3u);
  EXPECT_EQ(machine.Plays()[2].pan, -10000) << "the counter window ran out on left";
  EXPECT_EQ(KeyLatch[DIK_SPACE], -1) << "still held: still latched after the exchange";
}

TEST(Exchange, TwoKeysInOnePassTheLaterInTheTableWins) {
  struct Case {
    float draw;
    uint8_t first, second;
    int32_t blockPan;
  };
  for (const Case& c : {Case{kRightDraw, DIK_LEFT, DIK_RSHIFT, 10000}, Case{kCentreDraw, DIK_SPACE, DIK_LSHIFT, 0}}) {
    sim::Machine machine(test::DefaultConfig());
    machine.QueueRandom({c.draw});
    machine.PressKey(Ms(100), c.first, Ms(5000));
    machine.PressKey(Ms(100), c.second, Ms(5000));
    RunExchange(machine);
    ASSERT_GE(machine.Plays().size(), 2u);
    EXPECT_EQ(machine.Plays()[1].pan, c.blockPan);
    EXPECT_EQ(KeyLatch[c.first], -1) << "both are latched, and held they stay so";
    EXPECT_EQ(KeyLatch[c.second], -1);
  }
}

TEST(Exchange, WindowClosesAtTheFirstPassPastItsLengthAndThatPassStillCounts) {
  for (int16_t agility : {int16_t{0}, int16_t{800}}) {
    const uint64_t length = static_cast<uint64_t>(1000 - agility);
    {
      sim::Machine machine(test::DefaultConfig());
      machine.QueueRandom({kCentreDraw});
      EXPECT_FALSE(RunExchange(machine, agility));
      EXPECT_EQ(Elapsed, static_cast<int32_t>(length + 1));
      EXPECT_EQ(machine.NowUs(), Ms(length + 2));
    }
    {
      // Pressed in the closing pass: counted.
      sim::Machine machine(test::DefaultConfig());
      machine.QueueRandom({kCentreDraw});
      machine.PressKey(Ms(length + 1), DIK_UP, Ms(5000));
      RunExchange(machine, agility);
      ASSERT_GE(machine.Plays().size(), 2u) << agility;
      EXPECT_EQ(machine.Plays()[1].file, "sounds/block.wav");
    }
    {
      // One millisecond later: the window had closed.
      sim::Machine machine(test::DefaultConfig());
      machine.QueueRandom({kCentreDraw});
      machine.PressKey(Ms(length + 2), DIK_UP, Ms(50));
      EXPECT_FALSE(RunExchange(machine, agility));
      EXPECT_EQ(machine.Plays().size(), 1u) << agility;
    }
  }
}

TEST(Exchange, EscapeInEitherWindowGoesToTheQuestion) {
  for (bool inCounterWindow : {false, true}) {
    sim::Machine machine(test::DefaultConfig());
    machine.QueueRandom({kCentreDraw});
    if (inCounterWindow) machine.PressKey(Ms(100), DIK_SPACE, Ms(30));
    machine.PressKey(Ms(inCounterWindow ? 300 : 100), DIK_ESCAPE, Ms(30));
    machine.OnPlay([](sim::Machine& m, const sim::PlayEvent& play) {
      if (play.file == "sounds/playagain.wav") m.PressKey(play.endUs + Ms(100), DIK_N, Ms(50));
    });
    bool returned = false;
    const sim::Outcome outcome = test::RunAfterStartup(machine, [&] {
      MusicBuffer->Play(platform::kPlayLooping);
      Exchange();
      returned = true;
    });
    EXPECT_FALSE(returned) << "the exchange does not return";
    EXPECT_EQ(outcome.how, sim::Outcome::How::Ended);
    EXPECT_EQ(test::Played(machine), (std::vector<std::string>{"sounds/playagain.wav", "sounds/no.wav",
                                                               "sounds/seeya.wav"}));
    std::vector<std::string> heard;
    for (const sim::PlayEvent& play : machine.Plays()) heard.push_back(play.file);
    EXPECT_EQ(std::count(heard.begin(), heard.end(), "sounds/block.wav"), inCounterWindow ? 1 : 0);
    EXPECT_EQ(std::count(heard.begin(), heard.end(), "sounds/punch.wav"), 0);
    EXPECT_EQ(machine.Plays()[0].end, sim::PlayEvent::End::Stopped) << "the question stops the music";
  }
}

TEST(Exchange, EscapeIsTestedBeforeTheDirectionKeys) {
  sim::Machine machine(test::DefaultConfig());
  machine.QueueRandom({kCentreDraw});
  machine.PressKey(Ms(100), DIK_ESCAPE, Ms(30));
  machine.PressKey(Ms(100), DIK_SPACE, Ms(30));  // the block, in the same pass
  machine.OnPlay([](sim::Machine& m, const sim::PlayEvent& play) {
    if (play.file == "sounds/playagain.wav") m.PressKey(play.endUs + Ms(100), DIK_N, Ms(50));
  });
  const sim::Outcome outcome = test::RunAfterStartup(machine, [] { Exchange(); });
  EXPECT_EQ(outcome.how, sim::Outcome::How::Ended);
  for (const sim::PlayEvent& play : machine.Plays()) EXPECT_NE(play.file, "sounds/block.wav");
  EXPECT_EQ(KeyLatch[DIK_SPACE], 0) << "the question came before the press was taken";
}

TEST(Exchange, PunchThatCannotBePlayedStillWins) {
  test::ProgramFolderCopy folder;
  folder.Remove("sounds/punch.wav");
  sim::Config config = test::DefaultConfig();
  config.programFolder = folder.Path();
  sim::Machine machine(config);
  machine.QueueRandom({kRightDraw});
  machine.PressKey(Ms(100), DIK_RIGHT, Ms(30));
  machine.PressKey(Ms(300), DIK_UP, Ms(30));
  EXPECT_TRUE(RunExchange(machine));
  ASSERT_EQ(machine.MessageBoxes().size(), 1u);
  EXPECT_NE(machine.MessageBoxes()[0].find("Procedure: PlaySound."), std::string::npos);
}

TEST(Exchange, WindowsSpanningBothWrapsOfTheTickCount) {
  for (uint32_t start : {0x7FFFFE00u, 0xFFFFFE00u}) {
    // Windows open 512 ms before the wrap and run across it.
    sim::Config config = test::DefaultConfig();
    config.startTick = start;
    sim::Machine machine(config);
    machine.QueueRandom({kCentreDraw, kLeftDraw});
    bool first = true;
    bool second = true;
    uint64_t secondStarted = 0;
    const sim::Outcome outcome = test::RunAfterStartup(machine, [&] {
      first = Exchange();
      secondStarted = machine.NowUs();
      second = Exchange();
    });
    EXPECT_EQ(outcome.how, sim::Outcome::How::Returned) << outcome.errorDescription;
    EXPECT_FALSE(first);
    EXPECT_EQ(secondStarted, Ms(1002)) << "closed once its length had passed, neither early nor late";
    EXPECT_FALSE(second);
    ASSERT_EQ(machine.Plays().size(), 3u);
    EXPECT_EQ(machine.Plays()[2].startUs, Ms(1002) + Ms(1002));
    EXPECT_EQ(Elapsed, 1001);
  }
}

TEST(Exchange, DirectionsSpreadOneQuarterHalfQuarterAndIndependently) {
  sim::Config config = test::DefaultConfig();
  config.passCostUs = 10'000;  // coarse passes: only the draws matter here
  sim::Machine machine(config);
  constexpr int kExchanges = 4000;
  std::array<int, 3> counts{};
  std::array<std::array<int, 3>, 3> pairs{};
  test::RunAfterStartup(machine, [&] {
    for (int i = 0; i < kExchanges; ++i) Exchange();
  });
  int previous = -1;
  for (const sim::PlayEvent& play : machine.Plays()) {
    if (play.file != "sounds/swing.wav") continue;
    const int direction = play.pan < 0 ? 0 : (play.pan == 0 ? 1 : 2);
    ++counts[static_cast<size_t>(direction)];
    if (previous >= 0) ++pairs[static_cast<size_t>(previous)][static_cast<size_t>(direction)];
    previous = direction;
  }
  ASSERT_EQ(counts[0] + counts[1] + counts[2], kExchanges);
  const double expected[3] = {0.25, 0.5, 0.25};
  for (size_t d = 0; d < 3; ++d) EXPECT_NEAR(counts[d] / double(kExchanges), expected[d], 0.03) << d;
  // Each direction follows each other about as often as chance says.
  for (size_t a = 0; a < 3; ++a) {
    for (size_t b = 0; b < 3; ++b) {
      EXPECT_NEAR(pairs[a][b] / double(kExchanges - 1), expected[a] * expected[b], 0.025) << a << "," << b;
    }
  }
}

TEST(Exchange, ExactHalvesGoToTheEvenSide) {
  struct Case {
    float draw;
    int32_t pan;
  };
  for (const Case& c : {Case{0.0f, -10000}, Case{0.25f, -10000}, Case{std::nextafter(0.25f, 1.0f), 0},
                        Case{std::nextafter(0.75f, 0.0f), 0}, Case{0.75f, 10000},
                        Case{std::nextafter(1.0f, 0.0f), 10000}}) {
    sim::Machine machine(test::DefaultConfig());
    machine.QueueRandom({c.draw});
    RunExchange(machine);
    ASSERT_FALSE(machine.Plays().empty());
    EXPECT_EQ(machine.Plays()[0].pan, c.pan) << c.draw;
    EXPECT_EQ(machine.CallCount(Op::Randomize), 1u) << "reseeded at every exchange";
  }
}

}  // namespace
