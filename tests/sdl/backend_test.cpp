// The SDL backend without a display server: SDL's offscreen video driver
// draws the form into memory, where its pixels can be checked, and the
// keyboard device's rules can be driven without any focus.
#include <gtest/gtest.h>
#include <unistd.h>

#include <SDL.h>

#include <climits>
#include <cstring>
#include <stdexcept>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>

#include "shell/main_window.h"
#include "shell/platform/platform.h"
#include "shell/platform/sdl/sdl_window.h"
#include "tests/support/failure_number.h"

namespace {

std::function<void()> Body;
void RunBody() { Body(); }

// Runs a body as the program's entry procedure; returns the exit status.
int RunAsProgram(std::function<void()> body) {
  Body = std::move(body);
  return platform::RunProgram({"Backend test"}, RunBody);
}

class SdlBackend : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // With no window to own it, SDL would show a message box on any display
    // it can reach and wait for someone to close it.
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
  }
};

using test::NumberOf;

uint32_t PixelAt(SDL_Surface* surface, int x, int y) {
  const auto* row = static_cast<const uint8_t*>(surface->pixels) + y * surface->pitch;
  uint32_t value = 0;
  std::memcpy(&value, row + x * surface->format->BytesPerPixel, surface->format->BytesPerPixel);
  Uint8 r = 0, g = 0, b = 0;
  SDL_GetRGB(value, surface->format, &r, &g, &b);
  return (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
}

bool IsDark(uint32_t rgb) { return ((rgb >> 16) & 0xFF) < 0x60 && ((rgb >> 8) & 0xFF) < 0x60 && (rgb & 0xFF) < 0x60; }

int DarkPixels(SDL_Surface* surface, int left, int top, int width, int height) {
  int count = 0;
  for (int y = top; y < top + height; ++y) {
    for (int x = left; x < left + width; ++x) count += IsDark(PixelAt(surface, x, y)) ? 1 : 0;
  }
  return count;
}

TEST_F(SdlBackend, TheFormIsDrawnToItsLayoutAndRedrawnWhenATextChanges) {
  const int status = RunAsProgram([] {
    platform::ShowForm(frmGrumboshDescription());
    SDL_Window* window = sdl::MainWindow();
    ASSERT_NE(window, nullptr);
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    EXPECT_EQ(w, 540);
    EXPECT_EQ(h, 47);
    EXPECT_EQ(SDL_GetWindowFlags(window) & SDL_WINDOW_RESIZABLE, 0u);
    EXPECT_STREQ(SDL_GetWindowTitle(window), frmGrumboshDescription().title.c_str());
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    ASSERT_NE(surface, nullptr);

    // Text boxes at 76,8 / 248,8 / 424,8, 105 x 32: sunken edge, white and empty inside.
    for (int left : {76, 248, 424}) {
      EXPECT_EQ(PixelAt(surface, left, 8), 0x808080u) << left;
      EXPECT_EQ(PixelAt(surface, left + 104, 39), 0xFFFFFFu) << left;
      EXPECT_EQ(PixelAt(surface, left + 1, 9), 0x000000u) << left;
      EXPECT_EQ(DarkPixels(surface, left + 2, 10, 101, 28), 0) << left;
      EXPECT_EQ(PixelAt(surface, left + 50, 20), 0xFFFFFFu) << left;
      EXPECT_EQ(PixelAt(surface, left - 3, 20), 0xC0C0C0u) << left;  // the window's grey beside it
    }
    // Labels: text inside their rectangles (8,12 62x24; 188,12 55x24; 365,12 54x24).
    for (const auto& [left, width] : {std::pair{8, 62}, std::pair{188, 55}, std::pair{365, 54}}) {
      EXPECT_GT(DarkPixels(surface, left, 12, width, 24), 40) << left;
    }
    // Nothing above the controls.
    EXPECT_EQ(DarkPixels(surface, 0, 0, 540, 7), 0);

    platform::SetControlText(3, "1250");
    EXPECT_GT(DarkPixels(surface, 250, 10, 101, 28), 40);
    EXPECT_EQ(DarkPixels(surface, 78, 10, 101, 28), 0);
    platform::SetControlText(3, "");
    EXPECT_EQ(DarkPixels(surface, 250, 10, 101, 28), 0);

    EXPECT_THROW(platform::SetControlText(6, "x"), platform::RuntimeError);
    EXPECT_THROW(platform::SetControlText(-1, "x"), platform::RuntimeError);
    EXPECT_NE(platform::FormHandle(), 0);
    platform::DoEvents();
  });
  EXPECT_EQ(status, 0);
}

TEST_F(SdlBackend, TheKeyboardDeviceKeepsDirectInputsRules) {
  const int status = RunAsProgram([] {
    platform::ShowForm(frmGrumboshDescription());
    auto root = platform::CreateDirectX();
    auto input = root->DirectInputCreate();
    EXPECT_EQ(NumberOf([&] { input->CreateDevice("GUID_SysMouse"); }), platform::kErrDeviceNotFound);
    auto keyboard = input->CreateDevice("GUID_SysKeyboard");
    platform::KeyboardState state{};
    state.fill(7);
    EXPECT_EQ(NumberOf([&] { keyboard->GetDeviceStateKeyboard(state); }), platform::kDierrNotAcquired)
        << "read before Acquire";
    EXPECT_EQ(state[0], 7) << "a failed read leaves the record alone";
    EXPECT_THROW(keyboard->Acquire(), platform::RuntimeError) << "no data format yet";
    EXPECT_THROW(keyboard->SetCommonDataFormat(2), platform::RuntimeError);
    keyboard->SetCommonDataFormat(platform::kDataFormatKeyboard);
    const platform::WindowHandle form = platform::FormHandle();
    EXPECT_THROW(keyboard->SetCooperativeLevel(form + 1, 10), platform::RuntimeError);
    for (int32_t bad : {0, 2, 4, 8, 12, 14, 5, 9, 32 | 10}) {
      EXPECT_THROW(keyboard->SetCooperativeLevel(form, bad), platform::RuntimeError) << bad;
    }
    // Foreground: our window has no focus here (nobody gave it one), so the
    // device cannot be acquired and stays unreadable.
    keyboard->SetCooperativeLevel(form, 6);
    EXPECT_THROW(keyboard->Acquire(), platform::RuntimeError);
    EXPECT_EQ(NumberOf([&] { keyboard->GetDeviceStateKeyboard(state); }), platform::kDierrNotAcquired)
        << "read of a foreground device without the focus";
    // Background: readable whatever has the focus; no key is down.
    keyboard->SetCooperativeLevel(form, 10);
    keyboard->Acquire();
    keyboard->Acquire();  // again: no harm
    keyboard->GetDeviceStateKeyboard(state);
    for (uint8_t byte : state) EXPECT_EQ(byte, 0);
    EXPECT_THROW(keyboard->SetCooperativeLevel(form, 6), platform::RuntimeError) << "while acquired";

    EXPECT_THROW(root->DirectSoundCreate("{00000000-0000-0000-0000-000000000001}"), platform::RuntimeError);
  });
  EXPECT_EQ(status, 0);
}

void Innermost() { platform::EndProgram(3); }
void Middle() {
  Innermost();
  ADD_FAILURE() << "came back from EndProgram";
}

TEST_F(SdlBackend, TheProgramEndsAndReportsAsTheRunTimeDoes) {
  EXPECT_EQ(RunAsProgram([] {}), 0);
  bool after = false;
  EXPECT_EQ(RunAsProgram([&] {
              Middle();
              after = true;
            }),
            3);
  EXPECT_FALSE(after);

  testing::internal::CaptureStderr();
  EXPECT_EQ(RunAsProgram([] { throw platform::RuntimeError(platform::kErrInvalidArgument, "A bad value"); }), 1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Run-time error '-2147024809':\n\nA bad value"),
            std::string::npos);

  testing::internal::CaptureStderr();
  EXPECT_EQ(RunAsProgram([] { throw std::runtime_error("lost"); }), 1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Run-time error '51':"), std::string::npos);

  // Closing the window (or quitting the desktop session) ends the program
  // with status 0 from inside the message pump.
  after = false;
  EXPECT_EQ(RunAsProgram([&] {
              platform::ShowForm(frmGrumboshDescription());
              SDL_Event close{};
              close.type = SDL_WINDOWEVENT;
              close.window.event = SDL_WINDOWEVENT_CLOSE;
              close.window.windowID = SDL_GetWindowID(sdl::MainWindow());
              SDL_PushEvent(&close);
              for (int i = 0; i < 10; ++i) platform::DoEvents();
              after = true;
            }),
            0);
  EXPECT_FALSE(after);
  EXPECT_EQ(RunAsProgram([&] {
              SDL_Event quit{};
              quit.type = SDL_QUIT;
              SDL_PushEvent(&quit);
              platform::DoEvents();
              after = true;
              platform::EndProgram(4);
            }),
            0);
  EXPECT_FALSE(after);
}

TEST_F(SdlBackend, RunTimeServices) {
  char exe[PATH_MAX] = {};
  ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
  const std::string folder = std::filesystem::path(exe).parent_path().string();
  EXPECT_EQ(platform::ProgramFolder(), folder);

  const std::filesystem::path before = std::filesystem::current_path();
  platform::ChangeDirectory("/tmp");
  EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path("/tmp"));
  EXPECT_THROW(platform::ChangeDirectory("/no/such/folder/here"), platform::RuntimeError);
  EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path("/tmp"));
  std::filesystem::current_path(before);

  const uint32_t first = platform::GetTickCount();
  SDL_Delay(30);
  EXPECT_GE(static_cast<uint32_t>(platform::GetTickCount() - first), 25u);

  platform::Randomize();
  const float a = platform::Rnd();
  platform::Randomize();
  const float b = platform::Rnd();
  EXPECT_NE(a, b) << "two reseeds a moment apart start different sequences";
  for (int i = 0; i < 1000; ++i) {
    const float value = platform::Rnd();
    EXPECT_GE(value, 0.0f);
    EXPECT_LT(value, 1.0f);
  }
}

}  // namespace
