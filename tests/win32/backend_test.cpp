// The Windows backend as Windows itself shows it: the program file's
// resources, the window and message boxes, the services, DirectInput's
// keyboard and DirectSound on a real device (the test script gives wine
// ALSA's null device).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <future>
#include <string>
#include <tuple>
#include <vector>

#include "input/key_codes.h"
#include "shell/app_icon.h"
#include "shell/main_window.h"
#include "shell/platform/fatal_report.h"
#include "shell/platform/platform.h"
#include "shell/platform/win32/win32_text.h"
#include "tests/support/failure_number.h"
#include "tests/wave/wave_bytes.h"

namespace {

HWND Form() {
  if (platform::FormHandle() == 0) platform::ShowForm(frmGrumboshDescription());
  return reinterpret_cast<HWND>(platform::FormHandle());
}

// A window's text or class name: Read(GetWindowTextW, window).
std::wstring Read(int(WINAPI* get)(HWND, LPWSTR, int), HWND window) {
  wchar_t text[1024] = {};
  return {text, static_cast<size_t>(get(window, text, 1024))};
}

// Lets the window process its messages, as the game's loops do, until the
// condition holds; false if it never does.
bool Eventually(const std::function<bool()>& condition) {
  for (auto end = GetTickCount64() + 20000; !condition() && GetTickCount64() < end; Sleep(1)) platform::DoEvents();
  return condition();
}

// Reads and answers with OK the message box with this caption from a second
// thread, while the test's own sits in MessageBox, as a person would: its
// text, its buttons' ids and whether it shows an icon.
using SeenBox = std::tuple<std::wstring, std::vector<int>, bool>;
std::future<SeenBox> AnswerBox(const wchar_t* caption) {
  return std::async(std::launch::async, [caption] {
    HWND box = nullptr;
    for (int wait = 0; !IsWindowVisible(box) && wait < 2000; ++wait, Sleep(10)) box = FindWindowW(L"#32770", caption);
    SeenBox seen{Read(GetWindowTextW, GetDlgItem(box, 0xFFFF)), {}, false};
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      if (Read(GetClassNameW, child) == L"Button") std::get<1>(seen).push_back(GetDlgCtrlID(child));
      if (SendMessageW(child, STM_GETICON, 0, 0) != 0) std::get<2>(seen) = true;
    }
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return seen;
  });
}

TEST(Win32Resources, VersionRecordIs1_0_0_1InUsEnglishAndUnicode) {
  const std::wstring file = win32::Widen(GRUMBOSH_PROGRAM_FOLDER "/grumbosh.exe");
  std::vector<uint8_t> record(GetFileVersionInfoSizeW(file.c_str(), nullptr));
  ASSERT_TRUE(GetFileVersionInfoW(file.c_str(), 0, static_cast<DWORD>(record.size()), record.data()));
  auto query = [&record](const wchar_t* path, void* value = nullptr, UINT length = 0) {
    return VerQueryValueW(record.data(), path, &value, &length) ? value : nullptr;
  };
  const auto* fixed = static_cast<VS_FIXEDFILEINFO*>(query(L"\\"));
  EXPECT_EQ(std::tuple(fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                       fixed->dwProductVersionLS, *static_cast<DWORD*>(query(L"\\VarFileInfo\\Translation"))),
            std::tuple(0x10000ul, 1ul, 0x10000ul, 1ul, 0x04B00409ul));  // 0409 US English, 04B0 Unicode
  EXPECT_STREQ(static_cast<wchar_t*>(query(L"\\StringFileInfo\\040904B0\\FileVersion")), L"1.00.0001");
  EXPECT_STREQ(static_cast<wchar_t*>(query(L"\\StringFileInfo\\040904B0\\ProductVersion")), L"1.00.0001");
}

// The window shows the program file's icon (the resources that hold the
// version record): the art, pixel for pixel.
TEST(Win32Resources, WindowShowsTheProgramFilesIconWhichIsTheArt) {
  ICONINFO icon{};
  ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(GetClassLongPtrW(Form(), GCLP_HICON)), &icon));
  BITMAPINFO topDown{{sizeof(BITMAPINFOHEADER), 32, -32, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
  std::vector<uint32_t> pixels(32 * 32);
  ASSERT_EQ(GetDIBits(GetDC(nullptr), icon.hbmColor, 0, 32, pixels.data(), &topDown, DIB_RGB_COLORS), 32);
  EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), AppIcon().pixels.begin(),
                         [](uint32_t shown, uint8_t index) { return (shown & 0xFFFFFF) == AppIcon().palette[index]; }));
}

// Titled, with a fixed border, the client area and every control where the
// description puts them in twips, 1440 to the inch; the last control,
// txtAgility, shows what the game writes.
TEST(Win32Window, FormIsItsDescriptionLaidOutAtTheScreensResolution) {
  const platform::FormDescription& form = frmGrumboshDescription();
  auto pixels = [dpi = GetDeviceCaps(GetDC(nullptr), LOGPIXELSY)](int twips) { return MulDiv(twips, dpi, 1440); };
  RECT at{};
  GetClientRect(Form(), &at);
  EXPECT_EQ(std::tuple(Read(GetWindowTextW, Form()), at.right, at.bottom, GetWindowLongW(Form(), GWL_STYLE) & WS_THICKFRAME),
            std::tuple(win32::Widen(form.title), pixels(form.clientWidth), pixels(form.clientHeight), 0));
  for (HWND child = GetWindow(Form(), GW_CHILD); const platform::ControlDescription& control : form.controls) {
    GetWindowRect(child, &at);
    MapWindowPoints(nullptr, Form(), reinterpret_cast<POINT*>(&at), 2);
    EXPECT_EQ(std::tuple(Read(GetClassNameW, child), Read(GetWindowTextW, child), at.left, at.top, at.right - at.left,
                         at.bottom - at.top),
              std::tuple(control.kind == platform::ControlKind::TextBox ? L"Edit" : L"Static", win32::Widen(control.text),
                         pixels(control.left), pixels(control.top), pixels(control.width), pixels(control.height)));
    child = GetWindow(child, GW_HWNDNEXT);
  }
  SetTextBoxText(TextBox::txtAgility, "\xC3\xBC" "80");
  EXPECT_EQ(Read(GetWindowTextW, GetWindow(GetWindow(Form(), GW_CHILD), GW_HWNDLAST)), L"\u00FC80");
}

TEST(Win32Window, ClosingTheWindowEndsTheProgramFromDoEventsNotFromItsProcedure) {
  EXPECT_EQ(SendMessageW(Form(), WM_CLOSE, 0, 0), 0);
  EXPECT_EQ(platform::RunProgram({"Grumbosh"}, [] { platform::DoEvents(); platform::EndProgram(2); }), 0);
}

// Shown in a message box with only OK, no icon and the title as its caption.
TEST(Win32Program, FailureThatNothingCaughtIsReportedAndEndsWithStatus1) {
  std::future<SeenBox> seen = AnswerBox(L"Grumbosh");
  EXPECT_EQ(platform::RunProgram({"Grumbosh"}, [] { throw platform::RuntimeError(6, "\xC3\xBC"); }), 1);
  EXPECT_EQ(seen.get(), SeenBox(win32::Widen(platform::FatalReport({6, "\xC3\xBC"})), {IDOK}, false));
}

TEST(Win32Services, ProgramFolderTicksAndRandomNumbers) {
  platform::ChangeDirectory(GRUMBOSH_PROGRAM_FOLDER "/sounds");
  EXPECT_EQ(test::NumberOf([] { platform::ChangeDirectory("no such folder"); }), platform::kRuntimePathNotFound);
  platform::ChangeDirectory(platform::ProgramFolder());
  EXPECT_NE(GetFileAttributesW(L"win32_backend_tests.exe"), INVALID_FILE_ATTRIBUTES) << "not the program's folder";
  EXPECT_NEAR(platform::GetTickCount(), GetTickCount(), 100) << "the system's millisecond count";
  auto reseeded = [] { return platform::Randomize(), platform::Rnd(); };
  EXPECT_NE(reseeded(), reseeded()) << "every reseed starts a new sequence";
}

// Opened as at start-up, the keyboard fails to read until it is acquired,
// then reads, even while another window is in the foreground, every key the
// game knows by its DirectInput code: the scan code, plus 0x80 for an
// extended key.
TEST(Win32Keyboard, ReadsEveryKeyOfTheGameByItsDirectInputCode) {
  auto keyboard = platform::CreateDirectX()->DirectInputCreate()->CreateDevice("GUID_SysKeyboard");
  keyboard->SetCommonDataFormat(platform::kDataFormatKeyboard);
  keyboard->SetCooperativeLevel(reinterpret_cast<platform::WindowHandle>(Form()), 10);
  platform::KeyboardState state{};
  EXPECT_EQ(test::NumberOf([&] { keyboard->GetDeviceStateKeyboard(state); }), platform::kDierrNotAcquired);
  HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(SetForegroundWindow(other) && GetForegroundWindow() == other);
  keyboard->Acquire();
  for (uint8_t code : {DIK_ESCAPE, DIK_Y, DIK_RETURN, DIK_LCONTROL, DIK_LSHIFT, DIK_N, DIK_RSHIFT, DIK_SPACE, DIK_UP,
                       DIK_LEFT, DIK_RIGHT, DIK_DOWN}) {
    for (DWORD up : {0ul, DWORD{KEYEVENTF_KEYUP}}) {
      const DWORD flags = KEYEVENTF_SCANCODE | up | ((code & 0x80) != 0 ? KEYEVENTF_EXTENDEDKEY : 0);
      INPUT key{.type = INPUT_KEYBOARD, .ki = {0, static_cast<WORD>(code & 0x7F), flags, 0, 0}};
      SendInput(1, &key, sizeof key);
      EXPECT_TRUE(Eventually([&] { return keyboard->GetDeviceStateKeyboard(state), state[code] == (up ? 0 : 0x80); }))
          << "key " << int{code} << (up ? " up" : " down");
    }
  }
}

// Opened as at start-up, the device makes buffers from the game's sounds and
// from players' own recordings in other formats, even empty ones. Each takes
// the game's volumes and pans, and tells 5 while looping, 0 once stopped, 1
// while playing once (an empty one may end at once) and 0 again at its end.
TEST(Win32Sound, BuffersFromFilesTakeTheGamesSettingsAndTellTheirStatus) {
  auto device = platform::CreateDirectX()->DirectSoundCreate("");
  device->SetCooperativeLevel(reinterpret_cast<platform::WindowHandle>(Form()), 2);
  EXPECT_NE(device->CreatePrimaryBuffer({17, 0, {}, ""})->GetDirectSound3DListener(), nullptr);
  const std::string folder = GRUMBOSH_PROGRAM_FOLDER, stereo = folder + "/stereo.wav", empty = folder + "/empty.wav";
  wave_test::WriteBytes(stereo, wave_test::WaveBuilder().Fmt({1, 2, 11025, 8}).Data(wave_test::Bytes(2204, 0x80)).Build());
  wave_test::WriteBytes(empty, wave_test::WaveBuilder().Fmt({}).Data({}).Build());
  for (const auto& [file, flags] : {std::pair{folder + "/sounds/swing.wav", 226}, {stereo, 194}, {empty, 194}}) {
    auto buffer = device->CreateSoundBufferFromFile(file, {flags, 44100, {1, 1, 22050, 44100, 2, 16, 0}, "DS3DALG_DEFAULT"});
    for (int32_t volume : {0, -400, -10000}) buffer->SetVolume(volume);
    for (int32_t pan : {-10000, 10000, 0}) buffer->SetPan(pan);
    buffer->Play(platform::kPlayLooping);
    const int32_t looping = buffer->GetStatus();
    buffer->Stop();
    const int32_t stopped = buffer->GetStatus();
    buffer->Play(platform::kPlayOnce);
    EXPECT_EQ(std::tuple(looping, stopped, buffer->GetStatus() | (file == empty)), std::tuple(5, 0, 1)) << file;
    EXPECT_TRUE(Eventually([&] { return buffer->GetStatus() == 0; })) << file;
  }
}

}  // namespace
