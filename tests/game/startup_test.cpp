// Start-up: the window, the order in which the devices are opened and the
// values passed, and what happens when a device cannot be opened.
#include <gtest/gtest.h>

#include "input/key_codes.h"
#include "shell/main_window.h"
#include "shell/product.h"
#include "shell/startup.h"
#include "tests/support/player.h"
#include "tests/support/scenario.h"

namespace {

using sim::Op;
using test::Ms;

TEST(Startup, OpensTheDevicesInOrderWithTheirFixedValues) {
  sim::Machine machine(test::DefaultConfig());
  // Cut the introduction short, then leave the first game for the question
  // and answer no.
  test::Player player(machine, {.escapeAtAttack = 1});
  const sim::Outcome outcome = test::RunProgram(machine);
  ASSERT_EQ(outcome.how, sim::Outcome::How::Ended);
  EXPECT_EQ(outcome.exitStatus, 0);

  const std::vector<std::string> expected = {
      "ShowForm frmGrumbosh",
      "CreateDirectX",
      "DirectSoundCreate guid=",
      "SoundSetCooperativeLevel hwnd=4660 level=2",
      "CreatePrimaryBuffer flags=17 bytes=0 format=0,0,0,0,0,0,0 alg=",
      "GetDirectSound3DListener",
      "DirectInputCreate",
      "CreateDevice GUID_SysKeyboard",
      "SetCommonDataFormat 1",
      "KeyboardSetCooperativeLevel hwnd=4660 flags=10",
      "Acquire",
      "ChangeDirectory " + test::ProgramFolder(),
      "CreateSoundBufferFromFile sounds/pianolp.wav flags=226 bytes=44100 format=1,1,22050,44100,2,16,0 "
      "alg=DS3DALG_DEFAULT",
      "CreateSoundBufferFromFile sounds/block.wav flags=226 bytes=44100 format=1,1,22050,44100,2,16,0 "
      "alg=DS3DALG_DEFAULT",
      "CreateSoundBufferFromFile sounds/swing.wav flags=226 bytes=44100 format=1,1,22050,44100,2,16,0 "
      "alg=DS3DALG_DEFAULT",
      // The introduction's buffer reuses the format copied in by the last
      // resident creation; only its flags differ.
      "CreateSoundBufferFromFile sounds/intro.wav flags=194 bytes=44100 format=1,1,22050,44100,2,16,0 "
      "alg=DS3DALG_DEFAULT",
  };
  std::vector<std::string> seen = test::Sequence(
      machine, {Op::ShowForm, Op::CreateDirectX, Op::DirectSoundCreate, Op::SoundSetCooperativeLevel,
                Op::CreatePrimaryBuffer, Op::GetDirectSound3DListener, Op::DirectInputCreate, Op::CreateDevice,
                Op::SetCommonDataFormat, Op::KeyboardSetCooperativeLevel, Op::Acquire, Op::ChangeDirectory,
                Op::CreateSoundBufferFromFile});
  seen.resize(expected.size());
  EXPECT_EQ(seen, expected);
  EXPECT_TRUE(machine.MessageBoxes().empty());
}

TEST(Startup, WindowOpensWithItsLayoutAndEmptyBoxes) {
  sim::Machine machine(test::DefaultConfig());
  test::Player player(machine, {.escapeAtAttack = 1});
  test::RunProgram(machine);
  ASSERT_TRUE(machine.FormShown());
  const platform::FormDescription& form = *machine.Form();
  EXPECT_EQ(form.name, "frmGrumbosh");
  EXPECT_EQ(form.title, kProductTitle);
  EXPECT_EQ(form.clientWidth / platform::kTwipsPerPixel, 540);
  EXPECT_EQ(form.clientHeight / platform::kTwipsPerPixel, 47);
  EXPECT_EQ(form.font.face, "MS Sans Serif");
  EXPECT_EQ(form.font.points, 13.5);
  ASSERT_EQ(form.controls.size(), 6u);
  EXPECT_EQ(form.controls[0].text, "Round:");
  EXPECT_EQ(form.controls[2].text, "Score:");
  EXPECT_EQ(form.controls[4].text, "Agility:");
  // No control overlaps the next, and each label sits 60 twips below its box.
  for (size_t i = 0; i + 1 < form.controls.size(); ++i) {
    EXPECT_LE(form.controls[i].left + form.controls[i].width, form.controls[i + 1].left);
  }
  for (size_t i = 0; i < 6; i += 2) EXPECT_EQ(form.controls[i].top, form.controls[i + 1].top + 60);
  // The window is on the screen before any device is opened.
  EXPECT_EQ(machine.Log().front().op, Op::ShowForm);
}

TEST(Startup, NoSoundDeviceShowsTheDriverMessageAndEndsHavingOpenedNothingElse) {
  for (Op failing : {Op::CreateDirectX, Op::DirectSoundCreate}) {
    sim::Machine machine(test::DefaultConfig());
    machine.InjectFailure({.op = failing, .code = platform::kDsErrNoDriver});
    const sim::Outcome outcome = test::RunProgram(machine);
    EXPECT_EQ(outcome.how, sim::Outcome::How::Ended) << sim::OpName(failing);
    EXPECT_EQ(outcome.exitStatus, 0);
    ASSERT_EQ(machine.MessageBoxes().size(), 1u);
    EXPECT_EQ(machine.MessageBoxes()[0],
              "Sound driver error. Please update your sound card drivers and make sure you have at least DirectX "
              "7.0 installed.  For more information, please refer to https://grumbosh.example.org or contact "
              "support@grumbosh.example.org.");
    EXPECT_EQ(machine.MessageBoxCaptions()[0], kProductTitle);
    EXPECT_EQ(machine.CallCount(Op::DirectInputCreate), 0u);
    EXPECT_EQ(machine.CallCount(Op::CreateSoundBufferFromFile), 0u);
    EXPECT_EQ(machine.CallCount(Op::SoundSetCooperativeLevel), 0u);
    EXPECT_TRUE(machine.Plays().empty());
  }
}

TEST(Startup, AnyLaterDeviceFailureIsFatalBeforeASoundIsLoaded) {
  for (Op failing : {Op::SoundSetCooperativeLevel, Op::CreatePrimaryBuffer, Op::GetDirectSound3DListener,
                     Op::DirectInputCreate, Op::CreateDevice, Op::SetCommonDataFormat,
                     Op::KeyboardSetCooperativeLevel, Op::Acquire}) {
    sim::Machine machine(test::DefaultConfig());
    machine.InjectFailure({.op = failing, .code = platform::kErrFail});
    const sim::Outcome outcome = test::RunProgram(machine);
    EXPECT_EQ(outcome.how, sim::Outcome::How::Fatal) << sim::OpName(failing);
    EXPECT_EQ(outcome.errorNumber, platform::kErrFail);
    EXPECT_EQ(outcome.exitStatus, 1);
    ASSERT_EQ(machine.MessageBoxes().size(), 1u) << sim::OpName(failing);
    EXPECT_EQ(machine.MessageBoxes()[0].rfind("Run-time error '-2147467259':", 0), 0u) << machine.MessageBoxes()[0];
    EXPECT_EQ(machine.CallCount(Op::CreateSoundBufferFromFile), 0u);
  }
}

}  // namespace
