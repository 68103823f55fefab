#include "tests/support/scenario.h"

#include <fstream>
#include <random>

#include "input/keyboard.h"
#include "shell/devices.h"
#include "shell/main_window.h"
#include "shell/product.h"
#include "shell/program_state.h"
#include "shell/startup.h"
#include "sound/sound_playback.h"

namespace test {

std::string ProgramFolder() { return GRUMBOSH_PROGRAM_FOLDER; }

sim::Config DefaultConfig() {
  sim::Config config;
  config.programFolder = ProgramFolder();
  return config;
}

ProgramFolderCopy::ProgramFolderCopy() {
  std::random_device entropy;
  path_ = (std::filesystem::temp_directory_path() / ("grumbosh-test-" + std::to_string(entropy()))).string();
  std::filesystem::create_directories(path_);
  std::filesystem::copy(std::filesystem::path(ProgramFolder()) / "sounds", std::filesystem::path(path_) / "sounds",
                        std::filesystem::copy_options::recursive);
}

ProgramFolderCopy::~ProgramFolderCopy() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void ProgramFolderCopy::Remove(const std::string& file) { std::filesystem::remove(std::filesystem::path(path_) / file); }

void ProgramFolderCopy::Write(const std::string& file, const std::vector<uint8_t>& bytes) {
  std::ofstream out(std::filesystem::path(path_) / file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

sim::Outcome RunProgram(sim::Machine& machine) {
  ResetModuleState();
  return machine.Run(Main, {kProductTitle});
}

sim::Outcome RunAfterStartup(sim::Machine& machine, std::function<void()> body) {
  ResetModuleState();
  return machine.Run(
      [&body] {
        ShowMainWindow();
        DirectXRoot = platform::CreateDirectX();
        SoundDevice = DirectXRoot->DirectSoundCreate("");
        OpenKeyboard();
        LoadSounds();
        body();
      },
      {kProductTitle});
}

std::vector<std::string> Played(const sim::Machine& machine) { return machine.PlayedFiles(); }

std::vector<std::string> Details(const sim::Machine& machine, sim::Op op) {
  std::vector<std::string> details;
  for (const sim::Call& call : machine.Calls(op)) details.push_back(call.detail);
  return details;
}

std::vector<std::string> Sequence(const sim::Machine& machine, std::initializer_list<sim::Op> ops) {
  std::vector<std::string> lines;
  for (const sim::Call& call : machine.Log()) {
    for (sim::Op op : ops) {
      if (call.op == op) {
        lines.push_back(std::string(sim::OpName(call.op)) + (call.detail.empty() ? "" : " " + call.detail));
        break;
      }
    }
  }
  return lines;
}

}  // namespace test
