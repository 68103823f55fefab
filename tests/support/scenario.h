// Running the real program, or a part of it, on the simulated machine.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "shell/platform/sim/machine.h"

namespace test {

// The built program's folder, with its sounds beside it.
std::string ProgramFolder();

sim::Config DefaultConfig();

// A copy of the program's folder in a temporary place, so that a test may
// remove or spoil sound files; removed with the object.
class ProgramFolderCopy {
 public:
  ProgramFolderCopy();
  ~ProgramFolderCopy();
  const std::string& Path() const { return path_; }
  void Remove(const std::string& file);
  void Write(const std::string& file, const std::vector<uint8_t>& bytes);

 private:
  std::string path_;
};

// Runs the whole program from Main, as a fresh process would.
sim::Outcome RunProgram(sim::Machine& machine);
// Runs `body` after the start-up a game needs (window, devices, keyboard and
// resident sounds, but no introduction and no game), as a fresh process.
sim::Outcome RunAfterStartup(sim::Machine& machine, std::function<void()> body);

// The files a run played through one-shot buffers, in order.
std::vector<std::string> Played(const sim::Machine& machine);
// The calls of one kind, as "detail" strings.
std::vector<std::string> Details(const sim::Machine& machine, sim::Op op);
// Every call in order as "Op detail" lines, for sequence checks.
std::vector<std::string> Sequence(const sim::Machine& machine, std::initializer_list<sim::Op> ops);

constexpr uint64_t Ms(uint64_t ms) { return ms * 1000; }

}  // namespace test
