#include "shell/platform/sim/machine.h"

#include <filesystem>
#include <new>
#include <stdexcept>

#include "shell/platform/fatal_report.h"
#include "shell/platform/random_generator.h"
#include "shell/platform/wave_file.h"

namespace sim {
namespace {

Machine* current = nullptr;
uint64_t machinesMade = 0;

// Raised out of DoEvents when a scenario's virtual time runs out; nothing in
// the game catches it.
struct TimeLimitReached {};

}  // namespace

Machine::Machine(Config config_) : config(std::move(config_)), id(++machinesMade) {
  if (current != nullptr) throw std::logic_error("one simulated machine at a time");
  current = this;
}

Machine::~Machine() { current = nullptr; }

Machine& Machine::Current() {
  if (current == nullptr) throw std::logic_error("no simulated machine");
  return *current;
}

bool Machine::IsLive(uint64_t machineId) { return current != nullptr && current->id == machineId; }

void Machine::PressKey(uint64_t atUs, uint8_t code, uint64_t holdUs) {
  KeyAt(atUs, code, true);
  KeyAt(atUs + holdUs, code, false);
}

Outcome Machine::Run(const std::function<void()>& entry, const std::string& title) {
  try {
    entry();
    return {Outcome::How::Returned};
  } catch (const platform::ProgramEnd& end) {
    return {Outcome::How::Ended, end.exitStatus};
  } catch (const platform::RuntimeError& failure) {
    messageBoxes.emplace_back(platform::FatalReport(failure), title);
    return {Outcome::How::Fatal, platform::kFatalExitStatus};
  } catch (const TimeLimitReached&) {
    return {Outcome::How::TimeLimit};
  }
}

void Machine::Enter(const char* op, const std::string& detail, bool logged) {
  if (logged) {
    const int frame = 0;
    log_.push_back({nowUs_, op, detail, -1, reinterpret_cast<uintptr_t>(&frame)});
  }
  for (auto& [failure, failed] : failures_) {
    if (failure.op != op || detail.find(failure.match) == std::string::npos) continue;
    if (failure.times >= 0 && failed >= failure.times) continue;
    ++failed;
    if (failure.code == platform::kRuntimeOutOfMemory) throw std::bad_alloc();
    throw platform::RuntimeError(failure.code, std::string(op) + " failed");
  }
}

void Machine::Pass() {
  nowUs_ += config.passUs;
  if (nowUs_ > config.timeLimitUs) throw TimeLimitReached{};
}

platform::KeyboardState Machine::Keys() {
  for (auto at = keyEvents_.begin(); at != keyEvents_.end() && at->first <= nowUs_; at = keyEvents_.erase(at)) {
    keys_[at->second.first] = at->second.second ? 0x80 : 0x00;
  }
  return keys_;
}

uint64_t Machine::SoundLengthUs(const std::string& file) {
  const std::string path = (std::filesystem::path(currentDirectory) / file).string();
  // Read once a file: a thousand games play the same recordings many times.
  if (const auto known = lengths_.find(path); known != lengths_.end()) return known->second;
  return lengths_[path] = platform::ReadWaveFile(path).DurationMicroseconds();
}

size_t Machine::StartPlay(const PlayEvent& play) {
  plays_.push_back(play);
  log_.back().play = static_cast<int>(plays_.size() - 1);
  for (const auto& listener : listeners_) listener(*this, play);
  return plays_.size() - 1;
}

float Machine::NextRnd() {
  if (nextRandom_ < randoms_.size()) return randoms_[nextRandom_++];
  return platform::NextUniform();
}

}  // namespace sim
