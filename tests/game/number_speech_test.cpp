// Spoken numbers: which recordings are played, in which order.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "sound/number_speech.h"
#include "tests/support/scenario.h"

namespace {

// "20 1 thousand" for sounds/numbers/20.wav, 1.wav, thousand.wav.
std::string Spoken(const std::vector<std::string>& files) {
  std::string words;
  for (const std::string& file : files) {
    const std::string prefix = "sounds/numbers/";
    std::string word = file.rfind(prefix, 0) == 0 ? file.substr(prefix.size()) : "?" + file;
    if (word.size() > 4 && word.substr(word.size() - 4) == ".wav") word.resize(word.size() - 4);
    words += (words.empty() ? "" : " ") + word;
  }
  return words;
}

std::string Speak(int32_t value) {
  sim::Machine machine(test::DefaultConfig());
  const sim::Outcome outcome = test::RunAfterStartup(machine, [value] { SpeakNumber(value); });
  EXPECT_EQ(outcome.how, sim::Outcome::How::Returned) << value;
  EXPECT_TRUE(machine.MessageBoxes().empty()) << value << ": " << machine.MessageBoxes().front();
  for (const sim::PlayEvent& play : machine.Plays()) {
    EXPECT_EQ(play.pan, 0);
    EXPECT_EQ(play.end, sim::PlayEvent::End::Finished) << "each recording is heard to its end";
  }
  return Spoken(test::Played(machine));
}

TEST(SpeakNumber, WorkedSequences) {
  const std::vector<std::pair<int32_t, std::string>> table = {
      {0, "zero"},
      {5, "5"},
      {10, "10"},
      {15, "15"},
      {20, "20"},
      {21, "20 1"},
      {100, "1 hundred"},
      {105, "1 hundred 5"},
      {110, "1 hundred 10"},
      {999, "9 hundred 90 9"},
      {1000, "1 thousand"},
      {1001, "1 thousand 1"},
      {1015, "1 thousand 15"},
      {1100, "1 thousand 1 hundred"},
      {12345, "12 thousand 3 hundred 40 5"},
      {20000, "20 thousand"},
      {21000, "20 1 thousand"},
      {100000, "1 hundred thousand"},
      {101000, "1 hundred 1 thousand"},
      {250250, "2 hundred 50 thousand 2 hundred 50"},
      {1000000, "1 million"},
      {1001000, "1 million 1 thousand"},
      {1100000, "1 million 1 hundred thousand"},
      {12345678, "12 million 3 hundred 40 5 thousand 6 hundred 70 8"},
      {15000015, "15 million 15"},
      {21000000, "20 1 million"},
      {100000000, "1 hundred million"},
      {123456789, "1 hundred 20 3 million 4 hundred 50 6 thousand 7 hundred 80 9"},
  };
  for (const auto& [value, spoken] : table) EXPECT_EQ(Speak(value), spoken) << value;
}

TEST(SpeakNumber, LongAndNegativeDigitStrings) {
  // Past nine positions nothing more is spoken, but million still is.
  EXPECT_EQ(Speak(1000000000), "million");
  EXPECT_EQ(Speak(1234567890), "2 hundred 30 4 million 5 hundred 60 7 thousand 8 hundred 90");
  // A minus sign is a position of value 0, never spoken.
  EXPECT_EQ(Speak(-15), "15");
  EXPECT_EQ(Speak(-1000), "1 thousand");
  EXPECT_EQ(Speak(-5), "5");
  EXPECT_EQ(Speak(-2147483647 - 1), "1 hundred 40 7 million 4 hundred 80 3 thousand 6 hundred 40 8");
  EXPECT_EQ(Speak(2147483647), "1 hundred 40 7 million 4 hundred 80 3 thousand 6 hundred 40 7");
}

TEST(SpeakNumber, RecordingThatCannotBePlayedIsReportedAndSpeechGoesOn) {
  test::ProgramFolderCopy folder;
  folder.Remove("sounds/numbers/hundred.wav");
  sim::Config config = test::DefaultConfig();
  config.programFolder = folder.Path();
  sim::Machine machine(config);
  test::RunAfterStartup(machine, [] { SpeakNumber(250250); });
  EXPECT_EQ(Spoken(test::Played(machine)), "2 50 thousand 2 50");
  ASSERT_EQ(machine.MessageBoxes().size(), 2u);
  EXPECT_NE(machine.MessageBoxes()[0].find("sounds/numbers/hundred.wav was not found"), std::string::npos);
}

TEST(SpeakNumber, EveryFileItCanAskForIsInTheNumbersFolder) {
  // Every digit string the steps can read: each position 0 to 9, and a
  // leading minus, in strings of 1 to 11 characters. Spoken digit by digit,
  // a string's files depend only on the digits at each position, so walking
  // every digit in every position, with every neighbour in the next one,
  // covers every name the steps can build.
  std::set<std::string> asked;
  sim::Config config = test::DefaultConfig();
  config.passCostUs = 20'000;  // only the names matter here
  sim::Machine machine(config);
  test::RunAfterStartup(machine, [] {
    for (int32_t value = 0; value < 1000; ++value) SpeakNumber(value);
    for (int32_t high = 1; high < 100; ++high) {
      for (int32_t low : {0, 1, 5, 10, 11, 19, 20, 99}) {
        SpeakNumber(high * 1000 + low);
        SpeakNumber(high * 1000000 + low * 1000);
        SpeakNumber(high * 10000000 + low * 100000);
        SpeakNumber(-(high * 1000 + low));
      }
    }
    SpeakNumber(-2147483647 - 1);
    SpeakNumber(2147483647);
  });
  for (const sim::PlayEvent& play : machine.Plays()) asked.insert(play.file);
  EXPECT_TRUE(machine.MessageBoxes().empty()) << machine.MessageBoxes().front();
  std::set<std::string> expected = {"sounds/numbers/hundred.wav", "sounds/numbers/thousand.wav",
                                    "sounds/numbers/million.wav", "sounds/numbers/zero.wav"};
  for (int n = 1; n <= 19; ++n) expected.insert("sounds/numbers/" + std::to_string(n) + ".wav");
  for (int n = 20; n <= 90; n += 10) expected.insert("sounds/numbers/" + std::to_string(n) + ".wav");
  EXPECT_EQ(asked, expected);
  for (const std::string& file : expected) {
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::path(test::ProgramFolder()) / file)) << file;
  }
}

}  // namespace
