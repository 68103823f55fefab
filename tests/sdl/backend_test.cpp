// The SDL backend run as the program, with no display server: SDL's offscreen
// video driver never gives the window the focus, and its disk audio driver
// writes what the sound device plays to a file. The window's layout, its
// closing and the keyboard's focus rules are tested on a real X server
// (tests/e2e).
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "shell/main_window.h"
#include "shell/platform/platform.h"
#include "shell/platform/sdl/sdl_audio.h"
#include "shell/platform/sdl/sdl_window.h"
#include "tests/support/failure_number.h"
#include "tests/wave/wave_bytes.h"

// Every message box the backend shows, as it asks SDL to show it: title,
// text, flags (an icon's among them), how many buttons and the first's text.
std::vector<std::tuple<std::string, std::string, Uint32, int, std::string>> Boxes;
extern "C" int SDL_ShowMessageBox(const SDL_MessageBoxData* box, int*) {
  Boxes.emplace_back(box->title, box->message, box->flags, box->numbuttons, box->buttons[0].text);
  return 0;
}

using namespace platform;

static std::function<void()> Body;
// Runs the body with the main window shown, as the program, which must end normally.
static void RunAsProgram(std::function<void()> body) {
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  setenv("SDL_AUDIODRIVER", "disk", 1);
  Body = std::move(body);
  EXPECT_EQ(RunProgram({"Backend test"}, [] { ShowMainWindow(); Body(); }), 0);
}

TEST(SdlBackend, TheWindowsTextIsInItsFontAndMessageBoxesHaveOnlyOKAndTheTitleAsCaptionAndWrapKeepingEveryCharacter) {
  const std::string word(60, 'x');
  RunAsProgram([&] {
    const SDL_Surface* surface = SDL_GetWindowSurface(sdl::MainWindow());
    int rows = 0;  // of "Round:" holding dark pixels
    for (int y = 0; y < surface->h; ++y) {
      const Uint32* row = static_cast<const Uint32*>(surface->pixels) + y * surface->pitch / 4;
      rows += std::any_of(row + 8, row + 70, [](Uint32 pixel) { return (pixel & 0xC0C0C0) == 0; });
    }
    EXPECT_EQ(rows, 13);  // capitals of letters 18 pixels high: 13.5 points at 96 dots an inch
    ShowMessageBox(word + ".  " + word + " the end", "Caption");
  });
  // Broken after the two blanks, every character kept.
  EXPECT_EQ(Boxes, (decltype(Boxes){{"Caption", word + ".  \n" + word + " the end", 0, 1, "OK"}}));
}

// The window has not the focus: its first sound, panned left, is not heard;
// the second is, once the focus has come, panned right. The device's file
// holds left and right samples in turn.
TEST(SdlBackend, TheSoundOfAWindowWithoutTheFocusIsSilentFromItsFirstSound) {
  const std::string folder = "/tmp/grumbosh_backend_test_" + std::to_string(getpid());
  setenv("SDL_DISKAUDIOFILE", (folder + "/out.raw").c_str(), 1);
  RunAsProgram([&] {
    // The device's file cannot be made before its folder is.
    EXPECT_EQ(test::NumberOf([] { CreateDirectX()->DirectSoundCreate(""); }), kDsErrNoDriver);
    std::filesystem::create_directories(folder);
    wave_test::WriteBytes(folder + "/a.wav",  // 4,000 samples, mono, 16 bits, 22,050 Hz
                          wave_test::WaveBuilder().Fmt({}).Data(wave_test::Bytes(8000, 16)).Build());
    DoEvents();
    auto device = CreateDirectX()->DirectSoundCreate("");
    for (const int32_t pan : {kPanLeft, kPanRight}) {
      auto buffer = device->CreateSoundBufferFromFile(folder + "/a.wav", {});
      buffer->SetPan(pan);
      buffer->Play(kPlayOnce);
      for (int i = 0; i < 5000 && buffer->GetStatus() != 0; ++i) SDL_Delay(1);
      sdl::SetAudioFocus(true);
    }
  });
  std::vector<int16_t> out(std::filesystem::file_size(folder + "/out.raw") / 2);
  std::ifstream(folder + "/out.raw").read(reinterpret_cast<char*>(out.data()), std::streamsize(2 * out.size()));
  std::array<size_t, 2> heard{};  // samples of each side
  for (size_t i = 0; i < out.size(); ++i) heard[i % 2] += out[i] != 0;
  EXPECT_EQ(heard, (std::array<size_t, 2>{0, 4000}));  // the second sound, on the right
  std::filesystem::remove_all(folder);
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
