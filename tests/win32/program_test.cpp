// The run-time support: ending the program, the report of an uncaught
// failure, and the clock, folder and random services.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "shell/platform/fatal_report.h"
#include "shell/platform/platform.h"
#include "shell/platform/win32/win32_text.h"
#include "tests/win32/message_box_watcher.h"

namespace {

void EndsWithThree() { platform::EndProgram(3); }
void Returns() {}
void Overflows() { throw platform::RuntimeError(platform::kRuntimeOverflow, "Overflow"); }
void FailsOutsideTheGame() { throw std::runtime_error("lost"); }

TEST(Win32Program, RunProgramGivesTheEndsStatusAndReportsWhatNothingCaught) {
  EXPECT_EQ(platform::RunProgram({"Grumbosh"}, EndsWithThree), 3);
  EXPECT_EQ(platform::RunProgram({"Grumbosh"}, Returns), 0);

  const std::wstring overflowReport =
      win32::Widen(platform::FatalReport(platform::RuntimeError(platform::kRuntimeOverflow, "Overflow")));
  for (const auto& [body, report] : {std::pair{&Overflows, overflowReport}, std::pair{&FailsOutsideTheGame, std::wstring()}}) {
    test::MessageBoxWatcher watcher(L"Grumbosh");
    EXPECT_EQ(platform::RunProgram({"Grumbosh"}, body), platform::kFatalExitStatus);
    const test::SeenMessageBox seen = watcher.Result();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.buttonIds, std::vector<int>{IDOK});
    if (report.empty()) EXPECT_NE(seen.text.find(L"Internal error: lost"), std::wstring::npos) << win32::Narrow(seen.text);
    else EXPECT_EQ(seen.text, report);
  }
}

std::wstring CurrentDirectory() {
  wchar_t path[MAX_PATH * 2] = {};
  GetCurrentDirectoryW(MAX_PATH * 2, path);
  return path;
}

TEST(Win32Services, ProgramFolderAndChangeDirectory) {
  wchar_t module[MAX_PATH * 2] = {};
  GetModuleFileNameW(nullptr, module, MAX_PATH * 2);
  std::wstring expected = module;
  expected.erase(expected.find_last_of(L'\\'));

  const std::string folder = platform::ProgramFolder();
  EXPECT_EQ(win32::Widen(folder), expected);
  EXPECT_NE(folder.back(), '\\');
  EXPECT_NE(folder.back(), '/');

  const std::wstring start = CurrentDirectory();
  platform::ChangeDirectory(folder);
  EXPECT_EQ(CurrentDirectory(), expected);

  // Names outside the ANSI code page survive the trip through UTF-8.
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring odd = std::wstring(temp) + L"grumbosh-\u00FC-\u03A9-" + std::to_wstring(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryW(odd.c_str(), nullptr));
  platform::ChangeDirectory(win32::Narrow(odd));
  EXPECT_EQ(CurrentDirectory(), odd);
  platform::ChangeDirectory(folder);
  RemoveDirectoryW(odd.c_str());

  try {
    platform::ChangeDirectory(folder + "\\no such folder");
    ADD_FAILURE() << "changed into a missing folder";
  } catch (const platform::RuntimeError& failure) {
    EXPECT_EQ(failure.Number(), 76);  // Path not found
  }
  EXPECT_EQ(CurrentDirectory(), expected);
  SetCurrentDirectoryW(start.c_str());
}

TEST(Win32Services, TickCountAndRandomNumbers) {
  const DWORD before = ::GetTickCount();
  const uint32_t ticks = platform::GetTickCount();
  const DWORD after = ::GetTickCount();
  EXPECT_GE(ticks, before);
  EXPECT_LE(ticks, after);

  // Every reseed starts a new sequence, even two in a row.
  platform::Randomize();
  const float first = platform::Rnd();
  platform::Randomize();
  const float second = platform::Rnd();
  EXPECT_NE(first, second);
  for (int i = 0; i < 1000; ++i) {
    const float value = platform::Rnd();
    ASSERT_GE(value, 0.0f);
    ASSERT_LT(value, 1.0f);
  }
}

}  // namespace
