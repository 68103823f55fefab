// What only Windows itself shows of the Windows backend: the program file's
// resources, the window's icon, its close and the run-time's message box, the
// services, DirectInput's keyboard and DirectSound on a real device (the test
// script gives wine ALSA's null device). The window's layout, the game's sound
// and the sound-driver message are checked on grumbosh.exe by tests/e2e.
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
#include "tests/support/failure_number.h"
#include "tests/wave/wave_bytes.h"

namespace {

HWND Form() {
  if (platform::FormHandle() == 0) platform::ShowForm(frmGrumboshDescription());
  return reinterpret_cast<HWND>(platform::FormHandle());
}

// Lets the window process its messages, as the game's loops do, until the
// condition holds; false if it never does.
bool Eventually(const std::function<bool()>& condition) {
  for (auto end = GetTickCount64() + 20000; !condition() && GetTickCount64() < end; Sleep(1)) platform::DoEvents();
  return condition();
}

// The program file's resources, linked into this program as into
// grumbosh.exe: the version record, 1.0.0.1 in US English and Unicode, and
// the icon, which the window shows and which is the art, pixel for pixel.
TEST(Win32Resources, VersionRecordAndTheWindowsIcon) {
  void* record = LockResource(LoadResource(nullptr, FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_VERSION)));
  auto query = [record](const wchar_t* path, void* value = nullptr, UINT length = 0) {
    return VerQueryValueW(record, path, &value, &length) ? value : nullptr;
  };
  const auto* fixed = static_cast<VS_FIXEDFILEINFO*>(query(L"\\"));
  EXPECT_EQ(std::tuple(fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                       fixed->dwProductVersionLS, *static_cast<DWORD*>(query(L"\\VarFileInfo\\Translation"))),
            std::tuple(0x10000ul, 1ul, 0x10000ul, 1ul, 0x04B00409ul));  // 0409 US English, 04B0 Unicode
  EXPECT_STREQ(static_cast<wchar_t*>(query(L"\\StringFileInfo\\040904B0\\FileVersion")), L"1.00.0001");
  EXPECT_STREQ(static_cast<wchar_t*>(query(L"\\StringFileInfo\\040904B0\\ProductVersion")), L"1.00.0001");
  ICONINFO icon{};
  ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(GetClassLongPtrW(Form(), GCLP_HICON)), &icon));
  BITMAPINFO topDown{{sizeof(BITMAPINFOHEADER), 32, -32, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
  std::vector<uint32_t> pixels(32 * 32);
  ASSERT_EQ(GetDIBits(GetDC(nullptr), icon.hbmColor, 0, 32, pixels.data(), &topDown, DIB_RGB_COLORS), 32);
  EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), AppIcon().pixels.begin(),
                         [](uint32_t shown, uint8_t index) { return (shown & 0xFFFFFF) == AppIcon().palette[index]; }));
}

// Closing the window ends the program from DoEvents, not from the window
// procedure, with status 0. A failure nothing caught ends it with status 1,
// reported in a message box with only OK, no icon and the title as its
// caption, which a second thread reads and answers as a person would. The
// services: the program's folder wherever it was started from, the system's
// millisecond count, and a new sequence of random numbers at every reseed.
TEST(Win32Program, RunTimeSupportAndServices) {
  EXPECT_EQ(SendMessageW(Form(), WM_CLOSE, 0, 0), 0);
  EXPECT_EQ(platform::RunProgram({"Grumbosh"}, [] { platform::DoEvents(); platform::EndProgram(2); }), 0);
  auto seen = std::async(std::launch::async, [box = HWND{}]() mutable {
    for (int wait = 0; !IsWindowVisible(box = FindWindowW(L"#32770", L"Grumbosh")) && wait < 2000; ++wait) Sleep(10);
    wchar_t text[64] = {};
    std::tuple shown{std::wstring(text, text + GetDlgItemTextW(box, 0xFFFF, text, 64)), std::vector<int>(), false};
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      if (SendMessageW(child, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON) std::get<1>(shown).push_back(GetDlgCtrlID(child));
      if (SendMessageW(child, STM_GETICON, 0, 0) != 0) std::get<2>(shown) = true;
    }
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return shown;
  });
  EXPECT_EQ(platform::RunProgram({"Grumbosh"}, [] { throw platform::RuntimeError(6, "\xC3\xBC"); }), 1);
  EXPECT_EQ(seen.get(), std::tuple(std::wstring(L"Run-time error '6':\n\n\u00FC"), std::vector{IDOK}, false));
  platform::ChangeDirectory("..");
  EXPECT_EQ(test::NumberOf([] { platform::ChangeDirectory("no such folder"); }), platform::kRuntimePathNotFound);
  platform::ChangeDirectory(platform::ProgramFolder());
  EXPECT_NE(GetFileAttributesW(L"win32_backend_tests.exe"), INVALID_FILE_ATTRIBUTES) << "not the program's folder";
  EXPECT_NEAR(platform::GetTickCount(), GetTickCount(), 100);
  auto reseeded = [] { return platform::Randomize(), platform::Rnd(); };
  EXPECT_NE(reseeded(), reseeded());
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
          << int{code} << (up ? " up" : " down");
    }
  }
}

// The device makes buffers from sounds in the game's own format and from
// players' recordings in others, even empty ones. Each takes the game's
// volumes and pans, and tells 5 while looping, 0 once stopped, 1 while playing
// once (an empty one may end at once) and 0 again at its end.
TEST(Win32Sound, BuffersFromFilesTakeTheGamesSettingsAndTellTheirStatus) {
  auto device = platform::CreateDirectX()->DirectSoundCreate("");
  device->SetCooperativeLevel(reinterpret_cast<platform::WindowHandle>(Form()), 2);
  for (const auto& [format, bytes, flags] :
       {std::tuple{wave_test::Format{}, size_t{22050}, 226}, {{1, 2, 11025, 8}, 2204, 194}, {{}, 0, 194}}) {
    wave_test::WriteBytes("test.wav", wave_test::WaveBuilder().Fmt(format).Data(wave_test::Bytes(bytes, 0x80)).Build());
    auto buffer = device->CreateSoundBufferFromFile("test.wav", {flags, 44100, {1, 1, 22050, 44100, 2, 16, 0}, ""});
    for (int32_t volume : {0, -400, -10000}) buffer->SetVolume(volume);
    for (int32_t pan : {-10000, 10000, 0}) buffer->SetPan(pan);
    buffer->Play(platform::kPlayLooping);
    const int32_t looping = buffer->GetStatus();
    buffer->Stop();
    const int32_t stopped = buffer->GetStatus();
    buffer->Play(platform::kPlayOnce);
    EXPECT_EQ(std::tuple(looping, stopped, buffer->GetStatus() | (bytes == 0)), std::tuple(5, 0, 1)) << bytes;
    EXPECT_TRUE(Eventually([&] { return buffer->GetStatus() == 0; })) << bytes;
  }
}

}  // namespace
