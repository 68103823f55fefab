// The game on the simulated machine: start-up, the keyboard, one-shot sounds,
// the skippable announcement and spoken numbers, exchanges, and whole games
// heard and seen as a replay.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <tuple>

#include "game/exchange.h"
#include "game/main_game.h"
#include "input/keyboard.h"
#include "sound/number_speech.h"
#include "sound/sound_playback.h"
#include "tests/support/scenario.h"

using test::Ms;
using How = sim::Outcome::How;
using Boxes = std::vector<std::pair<std::string, std::string>>;

TEST(Startup, NoSoundDeviceEndsQuietlyAndEveryOtherFailingStepIsFatal) {
  struct Step {
    std::string op, match, script = "ww";
  };
  // clang-format off
  const Step steps[] = {
      {"CreateDirectX", ""}, {"DirectSoundCreate", ""},  // no sound device
      {"SoundSetCooperativeLevel", ""}, {"CreatePrimaryBuffer", ""}, {"GetDirectSound3DListener", ""},
      {"DirectInputCreate", ""}, {"CreateDevice", ""}, {"SetCommonDataFormat", ""},
      {"KeyboardSetCooperativeLevel", ""}, {"Acquire", ""}, {"CreateSoundBufferFromFile", "sounds/pianolp.wav"},
      {"CreateSoundBufferFromFile", "sounds/block.wav"}, {"CreateSoundBufferFromFile", "sounds/swing.wav"},
      // Two exchanges won, the third lost; or Escape held at the first.
      {"SetVolume", "sounds/pianolp.wav"}, {"Play", "sounds/pianolp.wav"}, {"Stop", "sounds/pianolp.wav"},
      {"Stop", "sounds/pianolp.wav", "e"}, {"SetPan", "sounds/swing.wav"}, {"Play", "sounds/swing.wav"},
      {"SetPan", "sounds/block.wav"}, {"Play", "sounds/block.wav"}, {"SetControlText", "txtScore=250"},
      {"Overflow", ""}};
  // clang-format on
  for (size_t i = 0; i < std::size(steps); ++i) {
    const Step& step = steps[i];
    sim::Machine machine(test::Config());
    test::Player(machine, step.script);
    machine.InjectFailure({.op = step.op, .code = -1, .match = step.match});
    // As if some 156,000 rounds had been won: the second exchange's 250 points
    // pass 2,147,483,647.
    machine.OnPlay([&step](sim::Machine&, const sim::PlayEvent& play) {
      if (step.op == "Overflow" && play.file == "sounds/round.wav") Score = 2147483647 - 250;
    });
    const sim::Outcome outcome = test::RunProgram(machine);
    const std::string message =
        i < 2 ? "Sound driver error. Please update your sound card drivers and make sure you have at least DirectX 7.0 "
                "installed.  For more information, please refer to https://grumbosh.example.org or contact "
                "support@grumbosh.example.org."
        : step.op == "Overflow" ? "Run-time error '6':\n\nOverflow"
                                : "Run-time error '-1':\n\n" + step.op + " failed";
    EXPECT_EQ(machine.messageBoxes, (Boxes{{message, "Grumbosh"}})) << step.op << step.match;
    EXPECT_EQ(outcome.how, i < 2 ? How::Ended : How::Fatal) << step.op << step.match;
    EXPECT_EQ(test::Transcript(machine).find("txtScore=2147483647 seed") != std::string::npos, step.op == "Overflow");
    if (i < 2) {
      EXPECT_EQ(outcome.exitStatus, 0);
      // Only the window, the steps up to the failing one, the message and the end.
      EXPECT_EQ(machine.Log().size(), i + 4) << test::Calls(machine);
    }
  }
}

TEST(Startup, TheWindowTheDevicesOpenedInOrderAndTheKeyboardAgainInTheForegroundOnceLost) {
  // The keyboard is opened at start-up in the background (flags 10), again in
  // the foreground (flags 6).
  const std::string keyboard = " DirectInputCreate() CreateDevice(GUID_SysKeyboard) SetCommonDataFormat(1)";
  const std::string reopened = keyboard + " KeyboardSetCooperativeLevel(hwnd=4660 flags=6) Acquire()";
  const std::string format = " bytes=44100 format=1,1,22050,44100,2,16,0 alg=DS3DALG_DEFAULT)";
  const std::string startup =
      "ShowForm(frmGrumbosh) CreateDirectX() DirectSoundCreate() SoundSetCooperativeLevel(hwnd=4660 level=2) "
      "CreatePrimaryBuffer(flags=17 bytes=0 format=0,0,0,0,0,0,0 alg=) GetDirectSound3DListener()" +
      keyboard +
      " KeyboardSetCooperativeLevel(hwnd=4660 flags=10) Acquire() ChangeDirectory(" GRUMBOSH_PROGRAM_FOLDER
      ") CreateSoundBufferFromFile(sounds/pianolp.wav flags=226" +
      format + " CreateSoundBufferFromFile(sounds/block.wav flags=226" + format +
      " CreateSoundBufferFromFile(sounds/swing.wav flags=226" + format;
  // Each row: the keyboard reads' failure, how many fail, a step of the
  // opening again that fails (swallowed), and the calls after start-up's. A
  // read that fails otherwise opens nothing; one that fails as not acquired
  // (0x8007000C) or lost (0x8007001E) opens the keyboard again, keeping the
  // root object. A failed step keeps the new, unacquired device, so the next
  // read fails as not acquired and opens it once more.
  using Row = std::tuple<int32_t, int, std::string, std::string>;
  for (const auto& [code, times, failing, after] :
       {Row{-1, -1, "", ""}, Row{int32_t(0x8007000C), 2, "", reopened + reopened},
        Row{int32_t(0x8007001E), 1, "SetCommonDataFormat", keyboard + reopened}}) {
    sim::Machine machine(test::Config());
    machine.PressKey(0, 0x2A, Ms(1) / 2);  // Left Shift, released before the first failing read
    const sim::Outcome outcome = test::RunProgram(machine, [&] {
      PollKeyboard();
      KeyLatch[0x2A] = -1;  // taken, as an exchange takes a press
      machine.InjectFailure({.op = "GetDeviceStateKeyboard", .code = code, .times = times});
      machine.InjectFailure({.op = failing, .code = -1});
      for (int poll = 0; poll < 4; ++poll) {
        platform::DoEvents();
        PollKeyboard();
      }
      // Seen up only by a read that succeeds.
      EXPECT_EQ(KeyState[0x2A], times < 0 ? 0x80 : 0) << code;
      EXPECT_EQ(KeyLatch[0x2A], times < 0 ? -1 : 0) << code;
    });
    EXPECT_EQ(outcome.how, How::Returned);
    EXPECT_EQ(test::Calls(machine), startup + after) << code;
    // The window and its empty boxes.
    const platform::FormDescription& form = *machine.form;
    const platform::FontDescription& font = form.font;
    std::ostringstream seen;
    seen << form.name << ' ' << form.title << ' ' << form.clientWidth << 'x' << form.clientHeight << ' ' << font.face
         << ' ' << font.points << ' ' << font.weight << font.italic << font.underline << font.strikeout << font.charset;
    for (const platform::ControlDescription& c : form.controls) {
      seen << " | " << (c.kind == platform::ControlKind::Label ? "label " : "box ") << c.name << " '" << c.text << "' "
           << c.left << ' ' << c.top << ' ' << c.width << ' ' << c.height;
    }
    EXPECT_EQ(seen.str(),
              "frmGrumbosh Grumbosh 8100x705 MS Sans Serif 13.5 4000000 | label Label2 'Round:' 120 180 930 360 | "
              "box txtRound '' 1140 120 1575 480 | label Label1 'Score:' 2820 180 825 360 | "
              "box txtScore '' 3720 120 1575 480 | label Label3 'Agility:' 5475 180 810 360 | "
              "box txtAgility '' 6360 120 1575 480");
  }
}

TEST(PlaySound, WaitsForTheEndOrIsCutOffByTheNextCallAndEveryFailureIsReportedOncePerCall) {
  sim::Machine machine(test::Config());
  machine.PressKey(0, 0x01, Ms(1) / 2);  // Escape, released before the announcement
  const sim::Outcome outcome = test::RunProgram(machine, [&] {
    PollKeyboard();
    platform::DoEvents();
    machine.InjectFailure({.op = "Play", .code = -2, .match = "sounds/intro.wav"});
    machine.InjectFailure({.op = "CreateSoundBufferFromFile", .code = -3, .match = "hundred", .times = -1});
    machine.InjectFailure({.op = "SetPan", .code = -4, .match = "sounds/punch.wav"});
    machine.InjectFailure({.op = "CreateSoundBufferFromFile", .code = 7, .match = "sounds/round.wav"});  // no memory
    Announcement("sounds/intro.wav");
    SpeakNumber(250250);  // two hundred fifty thousand two hundred fifty, without its hundreds
    PlaySound("sounds/punch.wav", 10000, true);
    PlaySound("sounds/agility.wav", 2500, false);
    PlaySound("sounds/round.wav", 0, true);
    platform::DoEvents();
    PlaySound("sounds/yes.wav", -2500, true);
  });
  ASSERT_EQ(outcome.how, How::Returned);
  EXPECT_EQ(test::Transcript(machine),
            "sounds/numbers/2.wav sounds/numbers/50.wav sounds/numbers/thousand.wav "
            "sounds/numbers/2.wav sounds/numbers/50.wav sounds/agility.wav@2500! sounds/yes.wav@-2500");
  // The announcement's first test reads the snapshot as it is: Escape holds it
  // back for one pass.
  EXPECT_EQ(machine.Plays().at(0).startUs, Ms(2));
  EXPECT_EQ(machine.Plays().at(5).endUs, machine.Plays().at(6).startUs)
      << "a failed call leaves the sound before it playing, until the next one silences it";
  EXPECT_TRUE(
      test::Calls(machine).ends_with("CreateSoundBufferFromFile(sounds/yes.wav flags=194 bytes=44100 "
                                     "format=1,1,22050,44100,2,16,0 alg=DS3DALG_DEFAULT) SetVolume(sounds/yes.wav 0) "
                                     "SetPan(sounds/yes.wav -2500) Play(sounds/yes.wav 0)"));
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
    test::RunProgram(machine, [&] {
      PollKeyboard();      // down in the snapshot as the announcement begins,
      KeyLatch[key] = -1;  // and taken, as by an exchange
      Announcement("sounds/intro.wav");
      EXPECT_EQ(KeyState[key], 0x80) << int{key};
      EXPECT_EQ(KeyLatch[key], 0) << "its polls free released keys and take no press";
    });
    EXPECT_EQ(test::Transcript(machine), skips ? "sounds/intro.wav! stop stop" : "sounds/intro.wav stop") << int{key};
    EXPECT_EQ(machine.Plays().at(0).startUs, skips ? Ms(300) : 0) << int{key};
    EXPECT_EQ(machine.Plays().at(0).endUs, skips ? Ms(2000) : machine.Plays().at(0).lengthUs) << int{key};
  }
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
  test::RunProgram(machine, [&] {
    for (const auto& [value, words] : table) {
      const size_t from = machine.Log().size();
      SpeakNumber(value);
      EXPECT_EQ(std::regex_replace(test::Transcript(machine, from), std::regex("sounds/numbers/|\\.wav"), ""), words)
          << value;
    }
  });
}

// Draws that send the attack from the left, the centre and the right (twice
// the draw rounded half to even: 0.5 is left, 1.5 right; 0.3 is the centre,
// where a third of the draws would be left), and those sides' pans as a
// transcript writes them.
constexpr float kDraw[3] = {0.25f, 0.3f, 0.75f};
const std::string kPan[3] = {"@-10000", "", "@10000"};

// An exchange for each draw, fought at `agility`, as heard, then their results.
std::string RunExchanges(sim::Machine& machine, const std::vector<float>& draws, int16_t agility = 0) {
  machine.QueueRandom(draws);
  std::string results;
  const sim::Outcome outcome = test::RunProgram(machine, [&] {
    Agility = agility;
    for (size_t i = 0; i < draws.size(); ++i) results += Exchange() ? " true" : " false";
  });
  EXPECT_EQ(outcome.how, How::Returned);
  return test::Transcript(machine) + results;
}

TEST(Exchange, EveryAnswerToEveryAttackNoKeyBeingLeftAndTheLaterInTheTableWinningAPass) {
  // The six keys in the order every pass tests them, and their sides: Left
  // arrow, Left Shift, Up arrow, Space, Right arrow, Right Shift.
  const std::pair<uint8_t, int> keys[6] = {{0xCB, 0}, {0x2A, 0}, {0xC8, 1}, {0x39, 1}, {0xCD, 2}, {0x36, 2}};
  // An answer: no key (the left), or one key or two in the same pass, held on
  // into the counter window; both are taken, so that neither counts there.
  std::vector<std::pair<std::vector<uint8_t>, int>> answers = {{{}, 0}};
  for (size_t first = 0; first < 6; ++first) {
    for (size_t later = first; later < 6; ++later) {
      answers.push_back({{keys[first].first, keys[later].first}, keys[later].second});
    }
  }
  for (int attack = 0; attack < 3; ++attack) {
    for (const auto& [block, blocked] : answers) {
      for (const auto& [counter, countered] : answers) {
        if (blocked != attack && !counter.empty()) continue;  // no counter window
        sim::Machine machine(test::Config());
        for (const uint8_t key : block) machine.PressKey(Ms(100), key, Ms(900));
        for (const uint8_t key : counter) machine.PressKey(Ms(1050), key, Ms(900));
        std::string heard = RunExchanges(machine, {kDraw[attack]});
        std::erase(heard, '!');  // what is waited for is not this table's matter
        std::string expected = "seed sounds/swing.wav" + kPan[attack];
        if (blocked == attack) expected += " sounds/block.wav" + kPan[attack];
        const bool won = blocked == attack && countered != attack;
        if (won) expected += " sounds/punch.wav" + kPan[countered];
        EXPECT_EQ(heard, expected + (won ? " true" : " false"))
            << attack << testing::PrintToString(block) << testing::PrintToString(counter);
      }
    }
  }
}

TEST(Exchange, WindowClosesAtTheFirstPassPastItsLengthAndThatPassStillCounts) {
  // Each agility's windows start elsewhere on the tick count: 512 ms before its
  // passage through 2^31, 512 ms before its wrap to 0, and at 0.
  const std::pair<int16_t, uint32_t> table[] = {{0, 0x7FFFFE00u}, {450, 0xFFFFFE00u}, {800, 0}};
  for (const auto& [agility, start] : table) {
    const uint64_t length = static_cast<uint64_t>(1000 - agility);
    for (const uint64_t pressed : {length + 1, length + 2}) {
      sim::Machine machine({.programFolder = GRUMBOSH_PROGRAM_FOLDER, .startTick = start});
      machine.PressKey(Ms(pressed), 0xC8, Ms(5000));  // Up arrow, against an attack from the centre
      const std::string heard = RunExchanges(machine, {0.5f}, agility);
      EXPECT_EQ(heard.find("sounds/block.wav") != std::string::npos, pressed == length + 1) << heard;
    }
  }
}

TEST(Exchange, AKeyTakenStaysTakenUntilAPollSeesItUp) {
  sim::Machine machine(test::Config());
  machine.KeyAt(Ms(100), 0x39, true);         // Space blocks the centre and stays down, but for
  machine.KeyAt(Ms(200) + 300, 0x39, false);  // a release and a new press between two polls:
  machine.KeyAt(Ms(200) + 600, 0x39, true);   // taken again it would counter to the attack's side.
  machine.KeyAt(Ms(300), 0xCD, true);         // Right arrow counter-punches; while the punch is
  machine.KeyAt(Ms(400), 0xCD, false);        // heard it is released and pressed again against
  machine.KeyAt(Ms(450), 0xCD, true);         // the next attack, from the right: still taken.
  EXPECT_EQ(RunExchanges(machine, {0.5f, 0.75f}),
            "seed sounds/swing.wav! sounds/block.wav sounds/punch.wav@10000 seed sounds/swing.wav@10000 true false");
}

TEST(Exchange, EscapeGoesToTheQuestionBeforeAnyKeyIsTakenWhereNOrEscapeEvenWithYIsANo) {
  for (const std::vector<uint8_t>& held : {std::vector<uint8_t>{0x31}, {0x01}, {0x15, 0x31}, {0x15, 0x01}}) {
    sim::Machine machine(test::Config());
    machine.PressKey(Ms(100), 0x01, Ms(30));
    machine.PressKey(Ms(100), 0x39, Ms(20000));  // Space in the same pass, held on through the question
    for (const uint8_t key : held) machine.PressKey(Ms(5000), key, Ms(100));
    machine.QueueRandom({0.5f});
    EXPECT_EQ(test::RunProgram(machine, [] { Exchange(); }).how, How::Ended);
    EXPECT_EQ(test::Transcript(machine),
              "seed sounds/swing.wav! stop sounds/playagain.wav sounds/no.wav sounds/seeya.wav end0");
    EXPECT_EQ(KeyLatch[0x39], 0) << "Escape is tested before the direction keys";
  }
}

TEST(Exchange, PunchThatCannotBePlayedStillWins) {
  sim::Machine machine(test::Config());
  machine.InjectFailure({.op = "CreateSoundBufferFromFile", .code = -1, .match = "sounds/punch.wav"});
  machine.PressKey(Ms(100), 0xCD, Ms(30));
  machine.PressKey(Ms(300), 0xC8, Ms(30));
  EXPECT_EQ(RunExchanges(machine, {0.75f}), "seed sounds/swing.wav@10000! sounds/block.wav@10000 true");
  EXPECT_EQ(machine.messageBoxes.size(), 1u);
}

// A game starts: the music looping from silence, turned to -400; the boxes
// emptied. Past the first game the music goes on ("+") from where it stopped.
std::string NewGame(const std::string& resumed) {
  return " ~-10000 sounds/pianolp.wav~-10000" + resumed + "* ~-400 txtRound= txtScore= txtAgility=";
}
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
  // Round 1 won, round 2 lost at its third attack; yes. Every round won up to
  // the 18th, then Escape held from its first attack through the question.
  test::Player(machine, "wwwwwlY" + std::string(3 + 5 + 7 + 9 + 11 + 13 + 15 + 17 + 19 + 8 * 19, 'w') + "e-");
  // N pressed and released while the question is asked is never seen.
  machine.OnPlay([](sim::Machine& m, const sim::PlayEvent& play) {
    if (play.file == "sounds/playagain.wav") m.PressKey(play.startUs + Ms(500), 0x31, Ms(100));
  });
  // A taunt is 6 x the draw rounded down, drawn again while it is the last
  // round's (0 as a game starts); an attack comes from the left at 0.1, the
  // centre at 0.5 and the right at 0.9.
  machine.QueueRandom({0.05f, 0.59f, 0.1f, 0.5f, 0.9f, 0.55f, 0.3f, 0.5f, 0.1f, 0.9f, 0.1f, 0.99f, 0.9f, 0.1f, 0.5f});
  EXPECT_EQ(test::RunProgram(machine).how, How::Ended);
  const std::string heard = test::Transcript(machine);
  const std::string expected =
      "sounds/intro.wav! stop stop" + NewGame("") + Round("1", "3") + Won(kPan[0], kPan[2], "250") +
      Won(kPan[1], kPan[0], "500") + Won(kPan[2], kPan[1], "750") + kKnockOutOfRoundOne + Round("2", "1") +
      Won(kPan[1], kPan[0], "2000") + Won(kPan[0], kPan[2], "2250") +
      " seed sounds/swing.wav@10000! sounds/BrokToof.wav stop sounds/toround.wav sounds/numbers/2.wav "
      "sounds/finalscore.wav sounds/numbers/2.wav sounds/numbers/thousand.wav sounds/numbers/2.wav "
      "sounds/numbers/hundred.wav sounds/numbers/50.wav sounds/points.wav sounds/agility.wav "
      "sounds/numbers/5.wav stop sounds/playagain.wav sounds/yes.wav" +
      NewGame("+") + Round("1", "5") + Won(kPan[2], kPan[1], "250") + Won(kPan[0], kPan[2], "500") +
      Won(kPan[1], kPan[0], "750") + kKnockOutOfRoundOne;
  EXPECT_EQ(heard.substr(0, expected.size()), expected);
  EXPECT_TRUE(heard.ends_with("! stop sounds/playagain.wav sounds/no.wav sounds/seeya.wav end0"));
  // The exchanges of every round, and the agility and score boxes after each knock-out.
  std::vector<int> swings;
  std::string knockOuts;
  std::istringstream words(heard);
  for (std::string word, last; words >> word; last = word) {
    if (word == "sounds/round.wav") swings.push_back(0);
    if (word.starts_with("sounds/swing.wav")) ++swings.back();
    if (last.starts_with("txtAgility=") && last.size() > 11) knockOuts += last.substr(11) + ":" + word.substr(9) + " ";
  }
  EXPECT_EQ(swings, (std::vector<int>{3, 3, 3, 5, 7, 9, 11, 13, 15, 17, 19, 19, 19, 19, 19, 19, 19, 19, 19, 1}));
  EXPECT_EQ(knockOuts,
            "5:1750 5:1750 10:4500 15:8250 20:13000 25:18750 30:25500 35:33250 40:42000 45:51750 50:62000 55:72750 "
            "60:84000 65:95750 70:108000 75:120750 80:134000 80:147750 ");
}

TEST(GameFlow, AThousandGamesInOneProcessStartAtTheSameStackDepth) {
  sim::Machine machine(
      {.programFolder = GRUMBOSH_PROGRAM_FOLDER, .passUs = 5000, .timeLimitUs = 24ull * 3600 * 1000 * 1000});
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

