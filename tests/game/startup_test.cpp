// Start-up: the window and its layout, the order in which the devices are
// opened with the values passed, and what a step that fails does.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/scenario.h"

namespace {

using How = sim::Outcome::How;
using Boxes = std::vector<std::pair<std::string, std::string>>;

TEST(Startup, OpensTheDevicesInOrderWithTheirFixedValues) {
  sim::Machine machine(test::Config());
  test::Player(machine, "e");
  ASSERT_EQ(test::RunProgram(machine).how, How::Ended);
  const std::string format = " bytes=44100 format=1,1,22050,44100,2,16,0 alg=DS3DALG_DEFAULT)";
  const std::string expected =
      "ShowForm(frmGrumbosh) CreateDirectX() DirectSoundCreate() SoundSetCooperativeLevel(hwnd=4660 level=2) "
      "CreatePrimaryBuffer(flags=17 bytes=0 format=0,0,0,0,0,0,0 alg=) GetDirectSound3DListener() "
      "DirectInputCreate() CreateDevice(GUID_SysKeyboard) SetCommonDataFormat(1) "
      "KeyboardSetCooperativeLevel(hwnd=4660 flags=10) Acquire() ChangeDirectory(" GRUMBOSH_PROGRAM_FOLDER ") "
      "CreateSoundBufferFromFile(sounds/pianolp.wav flags=226" + format +
      " CreateSoundBufferFromFile(sounds/block.wav flags=226" + format +
      " CreateSoundBufferFromFile(sounds/swing.wav flags=226" + format +
      " CreateSoundBufferFromFile(sounds/intro.wav flags=194" + format;
  const std::string calls = test::Calls(
      machine, {"ShowForm", "CreateDirectX", "DirectSoundCreate", "SoundSetCooperativeLevel", "CreatePrimaryBuffer",
                "GetDirectSound3DListener", "DirectInputCreate", "CreateDevice", "SetCommonDataFormat",
                "KeyboardSetCooperativeLevel", "Acquire", "ChangeDirectory", "CreateSoundBufferFromFile"});
  EXPECT_EQ(calls.substr(0, expected.size()), expected);
}

TEST(Startup, TheWindowItsLayoutAndItsEmptyBoxes) {
  sim::Machine machine(test::Config());
  test::RunAfterStartup(machine, [] {});
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

TEST(Startup, NoSoundDeviceShowsTheDriverMessageAndEndsHavingOpenedNothingElse) {
  for (const std::string failing : {"CreateDirectX", "DirectSoundCreate"}) {
    sim::Machine machine(test::Config());
    machine.InjectFailure({.op = failing, .code = int32_t(0x88780078)});
    const sim::Outcome outcome = test::RunProgram(machine);
    EXPECT_EQ(outcome.how, How::Ended);
    EXPECT_EQ(outcome.exitStatus, 0);
    EXPECT_EQ(machine.messageBoxes,
              (Boxes{{"Sound driver error. Please update your sound card drivers and make sure you have at least "
                      "DirectX 7.0 installed.  For more information, please refer to https://grumbosh.example.org "
                      "or contact support@grumbosh.example.org.",
                      "Grumbosh"}}));
    std::string calls;
    for (const sim::Call& call : machine.Log()) calls += call.op + " ";
    EXPECT_EQ(calls, "ShowForm CreateDirectX " + (failing == "CreateDirectX" ? std::string() : failing + " ") +
                         "ShowMessageBox EndProgram ");
  }
}

TEST(Startup, AnyLaterFailureOfStartUpIsFatalWithTheRuntimeReport) {
  // clang-format off
  const std::pair<std::string, std::string> steps[] = {
      {"SoundSetCooperativeLevel", ""}, {"CreatePrimaryBuffer", ""}, {"GetDirectSound3DListener", ""},
      {"DirectInputCreate", ""}, {"CreateDevice", ""}, {"SetCommonDataFormat", ""},
      {"KeyboardSetCooperativeLevel", ""}, {"Acquire", ""}, {"CreateSoundBufferFromFile", "sounds/pianolp.wav"},
      {"CreateSoundBufferFromFile", "sounds/block.wav"}, {"CreateSoundBufferFromFile", "sounds/swing.wav"}};
  // clang-format on
  for (const auto& [op, match] : steps) {
    sim::Machine machine(test::Config());
    machine.InjectFailure({.op = op, .code = -1, .match = match});
    EXPECT_EQ(test::RunProgram(machine).how, How::Fatal) << op << match;
    EXPECT_EQ(machine.messageBoxes, (Boxes{{"Run-time error '-1':\n\n" + op + " failed", "Grumbosh"}}));
    EXPECT_EQ(test::Transcript(machine), "") << "nothing is played";
  }
}

}  // namespace
