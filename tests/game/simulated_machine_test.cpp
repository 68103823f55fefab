// The simulated machine itself: the tests of the game rest on its clock, its
// buffers, its keyboard and its failure injection behaving as the real ones.
#include <gtest/gtest.h>

#include "shell/platform/wave_file.h"
#include "tests/support/scenario.h"

namespace {

using sim::Op;
using test::Ms;

TEST(SimulatedMachine, BuffersPlayForTheLengthOfTheirFilesAndKeepTheirPosition) {
  sim::Machine machine(test::DefaultConfig());
  const uint64_t length = platform::ReadWaveFile(test::ProgramFolder() + "/sounds/round.wav").DurationMicroseconds();
  ASSERT_GT(length, Ms(100));
  machine.Run([&] {
    platform::ChangeDirectory(test::ProgramFolder());
    auto device = platform::CreateDirectX()->DirectSoundCreate("");
    platform::BufferDescription d{};
    d.flags = 194;
    auto buffer = device->CreateSoundBufferFromFile("sounds/round.wav", d);
    EXPECT_EQ(buffer->GetStatus(), 0) << "stopped at its start";
    buffer->Play(platform::kPlayOnce);
    EXPECT_EQ(buffer->GetStatus(), 1);
    platform::DoEvents();
    buffer->Play(platform::kPlayOnce);  // does not restart
    buffer->Stop();
    EXPECT_EQ(buffer->GetStatus(), 0);
    buffer->Play(platform::kPlayOnce);  // goes on from 1 ms in
    while (buffer->GetStatus() == 1) platform::DoEvents();
    EXPECT_GE(machine.NowUs(), length);
    EXPECT_LE(machine.NowUs(), length + Ms(1));
    buffer->Play(platform::kPlayLooping);  // from the beginning again
    EXPECT_EQ(buffer->GetStatus(), 5);
    while (machine.NowUs() < 3 * length) platform::DoEvents();
    EXPECT_EQ(buffer->GetStatus(), 5) << "a looping buffer plays on";
  });
  const std::vector<sim::PlayEvent>& plays = machine.Plays();
  ASSERT_EQ(plays.size(), 3u);
  EXPECT_EQ(plays[0].end, sim::PlayEvent::End::Stopped);
  EXPECT_EQ(plays[1].startPositionUs, Ms(1));
  EXPECT_EQ(plays[1].end, sim::PlayEvent::End::Finished);
  EXPECT_EQ(plays[1].endUs, length);
  EXPECT_EQ(plays[2].startPositionUs, 0u);
  EXPECT_EQ(plays[2].end, sim::PlayEvent::End::Released) << "released while looping at the end of the scope";
}

TEST(SimulatedMachine, PlayingOnceSwitchedToLoopingPlaysOnPastItsEnd) {
  sim::Machine machine(test::DefaultConfig());
  const uint64_t length = platform::ReadWaveFile(test::ProgramFolder() + "/sounds/block.wav").DurationMicroseconds();
  machine.Run([&] {
    platform::ChangeDirectory(test::ProgramFolder());
    platform::BufferDescription d{};
    d.flags = 226;
    auto buffer = platform::CreateDirectX()->DirectSoundCreate("")->CreateSoundBufferFromFile("sounds/block.wav", d);
    buffer->Play(platform::kPlayOnce);
    platform::DoEvents();
    buffer->Play(platform::kPlayLooping);
    while (machine.NowUs() < 2 * length) platform::DoEvents();
    EXPECT_EQ(buffer->GetStatus(), 5);
    buffer->Stop();
  });
  ASSERT_EQ(machine.Plays().size(), 2u);
  EXPECT_EQ(machine.Plays()[0].end, sim::PlayEvent::End::Stopped);
  EXPECT_EQ(machine.Plays()[1].startPositionUs, Ms(1)) << "going on from where it was";
  EXPECT_TRUE(machine.Plays()[1].looping);
  EXPECT_EQ(machine.Plays()[1].end, sim::PlayEvent::End::Stopped);
}

TEST(SimulatedMachine, TickCountStartsWhereTheTestSaysAndWraps) {
  sim::Config config = test::DefaultConfig();
  config.startTick = 0xFFFFFFFEu;
  sim::Machine machine(config);
  std::vector<uint32_t> ticks;
  machine.Run([&] {
    for (int i = 0; i < 4; ++i) {
      ticks.push_back(platform::GetTickCount());
      platform::DoEvents();
    }
  });
  EXPECT_EQ(ticks, (std::vector<uint32_t>{0xFFFFFFFEu, 0xFFFFFFFFu, 0u, 1u}));
}

TEST(SimulatedMachine, FailuresAreInjectedByCallCountAndMatch) {
  sim::Machine machine(test::DefaultConfig());
  std::vector<int32_t> results;
  machine.InjectFailure({.op = Op::CreateDevice, .code = -5, .skip = 1, .times = 2});
  machine.Run([&] {
    auto input = platform::CreateDirectX()->DirectInputCreate();
    for (int i = 0; i < 5; ++i) {
      try {
        input->CreateDevice("GUID_SysKeyboard");
        results.push_back(0);
      } catch (const platform::RuntimeError& failure) {
        results.push_back(failure.Number());
      }
    }
  });
  EXPECT_EQ(results, (std::vector<int32_t>{0, -5, -5, 0, 0}));
}

TEST(SimulatedMachine, EndingTimeLimitAndMessageBoxesAreObservable) {
  {
    sim::Machine machine(test::DefaultConfig());
    const sim::Outcome outcome = machine.Run([] {
      platform::ShowMessageBox("hello", "caption");
      platform::EndProgram(3);
    });
    EXPECT_EQ(outcome.how, sim::Outcome::How::Ended);
    EXPECT_EQ(outcome.exitStatus, 3);
    EXPECT_EQ(machine.MessageBoxes(), std::vector<std::string>{"hello"});
  }
  {
    sim::Config config = test::DefaultConfig();
    config.timeLimitUs = Ms(50);
    sim::Machine machine(config);
    const sim::Outcome outcome = machine.Run([] {
      for (;;) platform::DoEvents();
    });
    EXPECT_EQ(outcome.how, sim::Outcome::How::TimeLimit);
    EXPECT_LE(machine.NowUs(), Ms(51));
  }
}

}  // namespace
