// The polled keyboard: the snapshot, the latches, and the re-opening of a
// keyboard whose input was lost.
#include <gtest/gtest.h>

#include "input/key_codes.h"
#include "input/keyboard.h"
#include "tests/support/scenario.h"

namespace {

using sim::Op;
using test::Ms;

// Polls once per millisecond of virtual time until `untilMs`.
void PollUntil(sim::Machine& machine, uint64_t untilMs) {
  while (machine.NowUs() < Ms(untilMs)) {
    platform::DoEvents();
    PollKeyboard();
  }
}

TEST(Keyboard, LatchesHoldUntilAPollSeesTheKeyUp) {
  sim::Machine machine(test::DefaultConfig());
  machine.PressKey(Ms(10), DIK_SPACE, Ms(20));   // down 10..30 ms
  machine.PressKey(Ms(50), DIK_LEFT, Ms(5));     // down 50..55 ms
  test::RunAfterStartup(machine, [&] {
    // Before the first successful read every key is up.
    EXPECT_EQ(KeyState[DIK_SPACE], 0);
    PollUntil(machine, 12);
    EXPECT_TRUE(KeyDown(DIK_SPACE));
    KeyLatch[DIK_SPACE] = -1;  // a press taken, as the exchange would
    PollUntil(machine, 25);
    EXPECT_EQ(KeyLatch[DIK_SPACE], -1) << "held keys stay latched";
    PollUntil(machine, 31);
    EXPECT_FALSE(KeyDown(DIK_SPACE));
    EXPECT_EQ(KeyLatch[DIK_SPACE], 0) << "the first poll that sees the key up frees it";

    // A latch of a key released and pressed again between two polls is not
    // freed: the new press is not taken.
    machine.KeyDownAt(Ms(35), DIK_RIGHT);
    PollUntil(machine, 37);
    KeyLatch[DIK_RIGHT] = -1;
    machine.KeyUpAt(Ms(40) + 200, DIK_RIGHT);
    machine.KeyDownAt(Ms(40) + 600, DIK_RIGHT);
    PollUntil(machine, 45);
    EXPECT_EQ(KeyLatch[DIK_RIGHT], -1);
  });
}

TEST(Keyboard, ReleaseUnseenWhileNotPollingIsFreedByTheNextPoll) {
  sim::Machine machine(test::DefaultConfig());
  machine.PressKey(Ms(1), DIK_UP, Ms(5));
  test::RunAfterStartup(machine, [&] {
    PollUntil(machine, 2);
    KeyLatch[DIK_UP] = -1;
    // Time passes without polling, as while a recording plays.
    while (machine.NowUs() < Ms(30)) platform::DoEvents();
    EXPECT_EQ(KeyLatch[DIK_UP], -1);
    PollKeyboard();
    EXPECT_EQ(KeyLatch[DIK_UP], 0);
  });
}

TEST(Keyboard, FailedReadKeepsTheSnapshotAndFreesNoLatch) {
  sim::Machine machine(test::DefaultConfig());
  machine.PressKey(Ms(1), DIK_LSHIFT, Ms(5));
  test::RunAfterStartup(machine, [&] {
    PollUntil(machine, 2);
    KeyLatch[DIK_LSHIFT] = -1;
    // Reads fail from here on with a code that opens nothing.
    machine.InjectFailure({.op = Op::GetDeviceStateKeyboard, .code = platform::kErrFail, .times = -1});
    const uint64_t opened = machine.CallCount(Op::DirectInputCreate);
    PollUntil(machine, 20);
    EXPECT_TRUE(KeyDown(DIK_LSHIFT)) << "the last snapshot stays";
    EXPECT_EQ(KeyLatch[DIK_LSHIFT], -1) << "a failed read frees nothing";
    EXPECT_EQ(machine.CallCount(Op::DirectInputCreate), opened) << "other codes open nothing";
  });
}

TEST(Keyboard, TheTwoLostCodesReopenTheKeyboardInTheForeground) {
  for (int32_t code : {platform::kDierrNotAcquired, platform::kDierrInputLost}) {
    sim::Machine machine(test::DefaultConfig());
    test::RunAfterStartup(machine, [&] {
      machine.InjectFailure({.op = Op::GetDeviceStateKeyboard, .code = code});
      PollKeyboard();
    });
    EXPECT_EQ(test::Sequence(machine, {Op::DirectInputCreate, Op::CreateDevice, Op::SetCommonDataFormat,
                                       Op::KeyboardSetCooperativeLevel, Op::Acquire}),
              (std::vector<std::string>{
                  "DirectInputCreate", "CreateDevice GUID_SysKeyboard", "SetCommonDataFormat 1",
                  "KeyboardSetCooperativeLevel hwnd=4660 flags=10", "Acquire",
                  // re-opened at the foreground level
                  "DirectInputCreate", "CreateDevice GUID_SysKeyboard", "SetCommonDataFormat 1",
                  "KeyboardSetCooperativeLevel hwnd=4660 flags=6", "Acquire"}))
        << code;
  }
}

TEST(Keyboard, BackgroundUntilFirstLostThenOnlyWithTheFocus) {
  sim::Machine machine(test::DefaultConfig());
  machine.FocusAt(Ms(10), false);  // another program's window is active
  machine.PressKey(Ms(20), DIK_SPACE, Ms(5));
  machine.FocusAt(Ms(40), true);
  machine.FocusAt(Ms(60), false);
  machine.PressKey(Ms(70), DIK_RIGHT, Ms(5));
  machine.FocusAt(Ms(90), true);
  test::RunAfterStartup(machine, [&] {
    PollUntil(machine, 22);
    EXPECT_TRUE(KeyDown(DIK_SPACE)) << "the background level reads keys without the focus";
    PollUntil(machine, 50);
    // The input is lost once: from now on the keyboard is a foreground one.
    machine.InjectFailure({.op = Op::GetDeviceStateKeyboard, .code = platform::kDierrInputLost});
    PollUntil(machine, 52);
    EXPECT_EQ(machine.Calls(Op::KeyboardSetCooperativeLevel).back().detail, "hwnd=4660 flags=6");
    PollUntil(machine, 72);
    EXPECT_FALSE(KeyDown(DIK_RIGHT)) << "the foreground level does not read without the focus";
    const uint64_t acquiresWhileAway = machine.CallCount(Op::Acquire);
    PollUntil(machine, 80);
    EXPECT_GT(machine.CallCount(Op::Acquire), acquiresWhileAway) << "every poll tries to open it again";
    PollUntil(machine, 95);
  });
  // Acquire failed while away and succeeded once the focus came back.
  const std::vector<sim::Call> acquires = machine.Calls(Op::Acquire);
  ASSERT_GE(acquires.size(), 3u);
  EXPECT_NE(acquires[acquires.size() - 2].result, "");
  EXPECT_EQ(acquires.back().result, "");
  EXPECT_GE(acquires.back().timeUs, Ms(90));
}

TEST(Keyboard, FailureInsideReopeningIsSwallowedAndKeepsNewObjects) {
  sim::Machine machine(test::DefaultConfig());
  const sim::Outcome outcome = test::RunAfterStartup(machine, [&] {
    machine.InjectFailure({.op = Op::GetDeviceStateKeyboard, .code = platform::kDierrInputLost});
    machine.InjectFailure({.op = Op::SetCommonDataFormat, .code = platform::kErrFail});
    const auto oldDevice = KeyboardDevice;
    PollKeyboard();
    EXPECT_NE(KeyboardDevice, oldDevice) << "the device created before the failing step is kept";
    // The new device has no data format and was never acquired: the next
    // poll fails as not acquired and opens the keyboard again, now fully.
    PollKeyboard();
    PollKeyboard();
    EXPECT_EQ(machine.Calls(Op::KeyboardSetCooperativeLevel).back().detail, "hwnd=4660 flags=6");
  });
  EXPECT_EQ(outcome.how, sim::Outcome::How::Returned);
  EXPECT_TRUE(machine.MessageBoxes().empty());
}

}  // namespace
