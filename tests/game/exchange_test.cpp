// One exchange: what is heard, where, and its result.
#include <gtest/gtest.h>

#include <cmath>

#include "game/exchange.h"
#include "game/main_game.h"
#include "input/keyboard.h"
#include "tests/support/scenario.h"

namespace {

using test::Ms;

// Draws that send the attack from the left, the centre and the right, and
// those sides' pans as a transcript writes them.
constexpr float kDraw[3] = {0.1f, 0.5f, 0.9f};
const std::string kPan[3] = {"@-10000", "", "@10000"};

// One exchange fought at `agility`, as heard, then its result.
std::string RunExchange(sim::Machine& machine, float draw, int16_t agility = 0) {
  machine.QueueRandom({draw});
  bool won = false;
  const sim::Outcome outcome = test::RunAfterStartup(machine, [&] {
    Agility = agility;
    won = Exchange();
  });
  EXPECT_EQ(outcome.how, sim::Outcome::How::Returned);
  return test::Transcript(machine) + (won ? " true" : " false");
}

TEST(Exchange, EveryAnswerToEveryAttackNoKeyBeingLeft) {
  // The answers: no key, then Left arrow, Up arrow and Right arrow; and the sides they stand for.
  const uint8_t keys[4] = {0, 0xCB, 0xC8, 0xCD};
  const int sides[4] = {0, 0, 1, 2};
  for (int attack = 0; attack < 3; ++attack) {
    for (int block = 0; block < 4; ++block) {
      for (int counter = 0; counter < 4; ++counter) {
        const int blocked = sides[block], countered = sides[counter];
        if (blocked != attack && counter > 0) continue;  // no counter window
        sim::Machine machine(test::Config());
        if (block > 0) machine.PressKey(Ms(100), keys[block], Ms(30));
        if (counter > 0) machine.PressKey(Ms(1050), keys[counter], Ms(30));
        std::string heard = RunExchange(machine, kDraw[attack]);
        std::erase(heard, '!');  // what is waited for is not this table's matter
        std::string expected = "seed sounds/swing.wav" + kPan[attack];
        if (blocked == attack) expected += " sounds/block.wav" + kPan[attack];
        if (blocked == attack && countered != attack) expected += " sounds/punch.wav" + kPan[countered] + " true";
        EXPECT_EQ(heard, expected.ends_with("true") ? expected : expected + " false") << attack << block << counter;
      }
    }
  }
}

TEST(Exchange, DirectionKeysTheirSidesAndTheLaterInTheTableWinningAPass) {
  // The six keys in the order every pass tests them: Left arrow, Left Shift,
  // Up arrow, Space, Right arrow, Right Shift.
  const std::pair<uint8_t, int> table[6] = {{0xCB, 0}, {0x2A, 0}, {0xC8, 1}, {0x39, 1}, {0xCD, 2}, {0x36, 2}};
  for (size_t first = 0; first < 6; ++first) {
    for (size_t later = first; later < 6; ++later) {  // one key alone, or two in the same pass
      const int side = table[later].second;
      sim::Machine machine(test::Config());
      machine.PressKey(Ms(100), table[first].first, Ms(5000));
      machine.PressKey(Ms(100), table[later].first, Ms(5000));
      const std::string expected = "seed sounds/swing.wav" + kPan[side] + "! sounds/block.wav" + kPan[side] + " ";
      EXPECT_EQ(RunExchange(machine, kDraw[side]).substr(0, expected.size()), expected) << first << later;
      EXPECT_EQ(KeyLatch[table[first].first], -1) << "both are taken";
      EXPECT_EQ(KeyLatch[table[later].first], -1);
    }
  }
}

TEST(Exchange, TheAttackSideIsTwiceTheDrawRoundedHalfToEven) {
  const std::pair<float, int> table[] = {{0.0f, 0}, {0.25f, 0}, {std::nextafter(0.25f, 1.0f), 1},
                                         {std::nextafter(0.75f, 0.0f), 1}, {0.75f, 2},
                                         {std::nextafter(1.0f, 0.0f), 2}};
  for (const auto& [draw, side] : table) {
    sim::Machine machine(test::Config());
    const std::string expected = "seed sounds/swing.wav" + kPan[side] + " ";
    EXPECT_EQ(RunExchange(machine, draw).substr(0, expected.size()), expected) << draw;
  }
}

TEST(Exchange, WindowClosesAtTheFirstPassPastItsLengthAndThatPassStillCounts) {
  for (const int16_t agility : {int16_t{0}, int16_t{450}, int16_t{800}}) {
    const uint64_t length = static_cast<uint64_t>(1000 - agility);
    for (const uint64_t pressed : {length + 1, length + 2}) {
      sim::Machine machine(test::Config());
      machine.PressKey(Ms(pressed), 0xC8, Ms(5000));  // Up arrow, against an attack from the centre
      const std::string heard = RunExchange(machine, 0.5f, agility);
      EXPECT_EQ(heard.find("sounds/block.wav") != std::string::npos, pressed == length + 1) << heard;
      if (pressed == length + 2) {
        EXPECT_EQ(machine.NowUs(), Ms(length + 2)) << "lost as the window closed";
      }
    }
  }
}

TEST(Exchange, WindowsSpanningEitherWrapOfTheTickCountLastTheirLength) {
  for (const uint32_t start : {0x7FFFFE00u, 0xFFFFFE00u}) {  // 512 ms before 2^31 and before 2^32
    sim::Config config = test::Config();
    config.startTick = start;
    sim::Machine machine(config);
    EXPECT_EQ(RunExchange(machine, 0.5f), "seed sounds/swing.wav false");
    EXPECT_EQ(machine.NowUs(), Ms(1002));
  }
}

TEST(Exchange, KeyHeldIntoTheCounterWindowIsNotTakenTwice) {
  sim::Machine machine(test::Config());
  machine.KeyAt(Ms(100), 0x39, true);         // Space blocks the centre and stays down,
  machine.KeyAt(Ms(500) + 300, 0x39, false);  // but for a release and a new press between two polls
  machine.KeyAt(Ms(500) + 600, 0x39, true);
  machine.KeyAt(Ms(1500), 0x39, false);
  // Taken again it would counter to the centre, the attack's side, and lose.
  EXPECT_EQ(RunExchange(machine, 0.5f), "seed sounds/swing.wav! sounds/block.wav sounds/punch.wav@-10000 true");
}

TEST(Exchange, EscapeInEitherWindowGoesToTheQuestionBeforeAnyKeyIsTaken) {
  for (const bool inCounterWindow : {false, true}) {
    sim::Machine machine(test::Config());
    const uint64_t at = Ms(inCounterWindow ? 300 : 100);
    if (inCounterWindow) machine.PressKey(Ms(100), 0x39, Ms(30));
    machine.PressKey(at, 0x01, Ms(30));
    machine.PressKey(at, 0xCD, Ms(30));  // Right arrow in the same pass
    machine.PressKey(Ms(5000), 0x31, Ms(100));
    int16_t latch = 1;
    machine.OnPlay([&latch](sim::Machine&, const sim::PlayEvent& play) {
      if (play.file == "sounds/playagain.wav") latch = KeyLatch[0xCD];
    });
    machine.QueueRandom({0.5f});
    EXPECT_EQ(test::RunAfterStartup(machine, [] { Exchange(); }).how, sim::Outcome::How::Ended);
    EXPECT_EQ(test::Transcript(machine), std::string("seed sounds/swing.wav!") +
                                             (inCounterWindow ? " sounds/block.wav" : "") +
                                             " stop sounds/playagain.wav sounds/no.wav sounds/seeya.wav end0");
    EXPECT_EQ(latch, 0) << "Escape is tested before the direction keys";
  }
}

TEST(Exchange, PunchThatCannotBePlayedStillWins) {
  sim::Machine machine(test::Config());
  machine.InjectFailure({.op = "CreateSoundBufferFromFile", .code = -1, .match = "sounds/punch.wav"});
  machine.PressKey(Ms(100), 0xCD, Ms(30));
  machine.PressKey(Ms(300), 0xC8, Ms(30));
  EXPECT_EQ(RunExchange(machine, 0.9f), "seed sounds/swing.wav@10000! sounds/block.wav@10000 true");
  EXPECT_EQ(machine.messageBoxes.size(), 1u);
}

}  // namespace
