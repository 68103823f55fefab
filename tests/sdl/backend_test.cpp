// The SDL backend run as the program, with no display server: SDL's offscreen
// video driver never gives the window the focus, and its disk audio driver
// writes what the sound device plays to a file. The window's layout, its
// closing and the keyboard's focus rules are tested on a real X server
// (tests/e2e).
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "shell/main_window.h"
#include "shell/platform/platform.h"
#include "shell/platform/sdl/sdl_audio.h"
#include "shell/platform/sdl/sdl_window.h"
#include "tests/support/failure_number.h"
#include "tests/wave/wave_bytes.h"

// Every message box the backend shows, as it asks SDL to show it: title,
// text, flags (an icon's among them), how many buttons and the first's text.
std::vector<std::string> Boxes;
extern "C" int SDL_ShowMessageBox(const SDL_MessageBoxData* box, int* pressed) {
  Boxes.push_back(std::string(box->title) + "|" + box->message + "|" + std::to_string(box->flags) + "|" +
                  std::to_string(box->numbuttons) + "|" + box->buttons[0].text);
  *pressed = box->buttons[0].buttonid;
  return 0;
}

namespace {

using namespace platform;
using test::NumberOf;

std::function<void()> Body;
// Runs the body with the main window shown, as the program; returns the exit status.
int RunAsProgram(std::function<void()> body, const char* audioDriver = "dummy") {
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  setenv("SDL_AUDIODRIVER", audioDriver, 1);
  Body = std::move(body);
  return RunProgram({"Backend test"}, [] { ShowMainWindow(); Body(); });
}

TEST(SdlBackend, TheWindowsTextIsInItsFont) {
  EXPECT_EQ(RunAsProgram([] {
              const SDL_Surface* surface = SDL_GetWindowSurface(sdl::MainWindow());
              int rows = 0;  // of "Round:" holding dark pixels
              for (int y = 0; y < surface->h; ++y) {
                const Uint32* row = static_cast<const Uint32*>(surface->pixels) + y * surface->pitch / 4;
                rows += std::any_of(row + 8, row + 70, [](Uint32 pixel) { return (pixel & 0xC0C0C0) == 0; });
              }
              EXPECT_EQ(rows, 13);  // capitals of letters 18 pixels high: 13.5 points at 96 dots an inch
            }),
            0);
}

TEST(SdlBackend, MessageBoxesHaveOnlyOKAndTheTitleAsCaptionAndLongLinesWrap) {
  const std::string word(60, 'x');
  EXPECT_EQ(RunAsProgram([&] { ShowMessageBox(word + " " + word + " the end", "Caption"); }), 0);
  EXPECT_EQ(Boxes, std::vector<std::string>{"Caption|" + word + "\n" + word + " the end|0|1|OK"});
}

// The window has not the focus: its first sound, panned left, is not heard;
// the second is, once the focus has come, panned right.
TEST(SdlBackend, TheSoundOfAWindowWithoutTheFocusIsSilentFromItsFirstSound) {
  static const std::string folder = "/tmp/grumbosh_backend_test_" + std::to_string(getpid());
  static std::vector<int16_t> sound(4000);
  for (size_t i = 0; i < sound.size(); ++i) sound[i] = int16_t(1 + i * 37 % 20000);
  std::filesystem::create_directories(folder);
  wave_test::WriteBytes(folder + "/a.wav",
                        wave_test::WaveBuilder().Fmt({1, 1, 22050, 16}).Data(wave_test::Samples16(sound)).Build());
  setenv("SDL_DISKAUDIOFILE", (folder + "/out.raw").c_str(), 1);
  EXPECT_EQ(RunAsProgram([] {
              DoEvents();
              auto device = CreateDirectX()->DirectSoundCreate("");
              for (const int32_t pan : {kPanLeft, kPanRight}) {
                auto buffer = device->CreateSoundBufferFromFile(folder + "/a.wav", {});
                buffer->SetPan(pan);
                buffer->Play(kPlayOnce);
                for (int i = 0; i < 5000 && buffer->GetStatus() != 0; ++i) SDL_Delay(1);
                sdl::SetAudioFocus(true);
              }
            }, "disk"),
            0);
  std::vector<int16_t> out(std::filesystem::file_size(folder + "/out.raw") / 2);
  std::ifstream(folder + "/out.raw").read(reinterpret_cast<char*>(out.data()), std::streamsize(2 * out.size()));
  const auto first = std::find_if(out.begin(), out.end(), [](int16_t sample) { return sample != 0; });
  const size_t start = size_t(first - out.begin()) & ~size_t{1};  // the first frame heard
  ASSERT_GE(out.size(), start + 2 * sound.size()) << "the sound is not in the device's file";
  for (size_t i = 0; i < out.size(); ++i) {
    const size_t frame = (i - start) / 2;  // of the sound, on the right
    ASSERT_EQ(out[i], i >= start && i % 2 == 1 && frame < sound.size() ? sound[frame] : 0) << i;
  }
  std::filesystem::remove_all(folder);  // and with it the device's file: the device cannot be opened
  EXPECT_EQ(RunAsProgram([] { EXPECT_EQ(NumberOf([] { CreateDirectX()->DirectSoundCreate(""); }), kDsErrNoDriver); },
                         "disk"),
            0);
}

TEST(SdlBackend, TicksAndReseeds) {
  // Milliseconds: at least the 30 slept, and no more than a steady clock saw go by.
  const auto start = std::chrono::steady_clock::now();
  const uint32_t ticks = GetTickCount();
  SDL_Delay(30);
  const uint32_t elapsed = GetTickCount() - ticks;
  EXPECT_GE(elapsed, 29u);
  EXPECT_LE(elapsed, (std::chrono::steady_clock::now() - start) / std::chrono::milliseconds(1) + 1);
  Randomize();
  const float first = Rnd();
  Randomize();
  EXPECT_NE(Rnd(), first) << "every reseed starts a new sequence";
}

}  // namespace
