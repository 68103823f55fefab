// The polled keyboard: what a read that fails keeps, the opening again of a
// keyboard whose input was lost, and what no poll sees.
#include <gtest/gtest.h>

#include "game/exchange.h"
#include "input/keyboard.h"
#include "tests/support/scenario.h"

namespace {

using test::Ms;

// Opening the keyboard: at start-up in the background (flags 10), again in
// the foreground (flags 6).
std::string Opening(const std::string& flags) {
  const std::string level = "KeyboardSetCooperativeLevel(hwnd=4660 flags=" + flags + ")";
  return " DirectInputCreate() CreateDevice(GUID_SysKeyboard) SetCommonDataFormat(1) " + level + " Acquire()";
}

std::string Openings(const sim::Machine& machine) {
  return test::Calls(machine, {"CreateDirectX", "DirectInputCreate", "CreateDevice", "SetCommonDataFormat",
                               "KeyboardSetCooperativeLevel", "Acquire"});
}

TEST(Keyboard, FailedReadKeepsTheSnapshotAndFreesNoLatch) {
  sim::Machine machine(test::Config());
  machine.PressKey(0, 0x2A, Ms(5));  // Left Shift
  const sim::Outcome outcome = test::RunAfterStartup(machine, [&] {
    PollKeyboard();
    KeyLatch[0x2A] = -1;  // taken, as an exchange takes a press
    machine.InjectFailure({.op = "GetDeviceStateKeyboard", .code = -1, .times = -1});
    while (machine.NowUs() < Ms(10)) {
      platform::DoEvents();
      PollKeyboard();
    }
    EXPECT_EQ(KeyState[0x2A], 0x80);
    EXPECT_EQ(KeyLatch[0x2A], -1);
  });
  EXPECT_EQ(outcome.how, sim::Outcome::How::Returned);
  EXPECT_EQ(Openings(machine), "CreateDirectX()" + Opening("10")) << "other codes open nothing";
}

TEST(Keyboard, BackgroundUntilFirstLostThenForegroundForGood) {
  struct Row {
    int32_t code;
    int times;
    const char* failing;  // a step of the opening again that fails, swallowed
    std::string after;
  };
  const std::string part = " DirectInputCreate() CreateDevice(GUID_SysKeyboard) SetCommonDataFormat(1)";
  // Every read that fails as not acquired (0x8007000C) or lost (0x8007001E)
  // opens the keyboard again; a failed step keeps the new, unacquired device,
  // so the next read fails as not acquired and opens it once more.
  for (const Row& row : {Row{int32_t(0x8007000C), 2, "", Opening("6") + Opening("6")},
                         Row{int32_t(0x8007001E), 2, "", Opening("6") + Opening("6")},
                         Row{int32_t(0x8007001E), 1, "SetCommonDataFormat", part + Opening("6")}}) {
    sim::Machine machine(test::Config());
    const sim::Outcome outcome = test::RunAfterStartup(machine, [&] {
      machine.InjectFailure({.op = "GetDeviceStateKeyboard", .code = row.code, .times = row.times});
      machine.InjectFailure({.op = row.failing, .code = -1});
      for (int poll = 0; poll < 4; ++poll) PollKeyboard();
    });
    EXPECT_EQ(outcome.how, sim::Outcome::How::Returned);
    EXPECT_EQ(Openings(machine), "CreateDirectX()" + Opening("10") + row.after) << "the root object is kept";
  }
}

TEST(Keyboard, AKeyReleasedAndPressedAgainWhileARecordingPlaysIsNeverSeen) {
  sim::Machine machine(test::Config());
  machine.QueueRandom({0.5f, 0.9f});
  machine.PressKey(Ms(100), 0x39, Ms(30));  // Space blocks the first attack, from the centre;
  machine.KeyAt(Ms(300), 0xCD, true);       // Right arrow counter-punches, and while the punch
  machine.KeyAt(Ms(400), 0xCD, false);      // is heard it is released and pressed again against
  machine.KeyAt(Ms(450), 0xCD, true);       // the next attack, from the right: still taken.
  std::string results;
  test::RunAfterStartup(machine, [&] {
    results += Exchange() ? "won" : "lost";
    results += Exchange() ? " won" : " lost";
  });
  EXPECT_EQ(results, "won lost");
}

}  // namespace
