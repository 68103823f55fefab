// The simulated machine: a backend of the platform layer on which the tests
// run the real game code, unchanged, through whole scenarios.
//
// - Time is virtual: a microsecond clock that moves only when the program lets
//   the window process its messages (DoEvents), by the cost of one pass. The
//   tick count is its milliseconds, a 32-bit value that may start anywhere.
// - Sound buffers are made from the real wave files and play for their length.
// - Keys follow a script in virtual time; a listener hears each sound as it
//   starts and may schedule keys in answer, as a player would.
// - Any operation can be made to fail with a chosen result code.
// - Every call is logged in order, but for those of the busy loops.
// - Message boxes are recorded and closed at once; ending the program, a
//   failure that nothing caught and a time limit end a run.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "shell/platform/platform.h"

namespace sim {

struct Call {
  uint64_t timeUs;
  std::string op;      // "SetVolume"
  std::string detail;  // the arguments; a buffer's calls name its file first
  int play;            // a Play call that started a sound: its index in Plays(), else -1
  uintptr_t stack;     // an address in the call's frame: how deep the caller was
};

// One playing of a buffer, as it is heard.
struct PlayEvent {
  std::string file;
  int32_t pan;
  int32_t volume;
  bool looping;
  uint64_t startUs;
  uint64_t endUs;     // when it falls silent: played out, stopped or released
  uint64_t fromUs;    // where in the sound it started: a stopped buffer goes on from there
  uint64_t lengthUs;  // the sound's whole length
};

struct Failure {
  std::string op;
  int32_t code;       // 7 raises std::bad_alloc, as an allocation that fails does
  std::string match;  // only calls whose detail holds this
  int times = 1;      // the first this many of them fail; -1: every one
};

struct Config {
  std::string programFolder;
  uint32_t startTick = 0;
  uint64_t passUs = 1000;
  uint64_t timeLimitUs = 4ull * 3600 * 1000 * 1000;
};

struct Outcome {
  enum class How { Returned, Ended, Fatal, TimeLimit } how;
  int exitStatus = 0;
};

class Machine {
 public:
  explicit Machine(Config config);
  ~Machine();
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  static Machine& Current();
  // The program's module-level objects outlive the machine they were made
  // on; they ask before they touch it.
  static bool IsLive(uint64_t machineId);

  // --- Setting the scene
  void KeyAt(uint64_t atUs, uint8_t code, bool down) { keyEvents_.emplace(atUs, std::pair(code, down)); }
  void PressKey(uint64_t atUs, uint8_t code, uint64_t holdUs);
  // Values Rnd gives before the generator's own.
  void QueueRandom(const std::vector<float>& values) { randoms_.insert(randoms_.end(), values.begin(), values.end()); }
  void InjectFailure(const Failure& failure) { failures_.emplace_back(failure, 0); }
  void OnPlay(std::function<void(Machine&, const PlayEvent&)> listener) { listeners_.push_back(std::move(listener)); }

  // Calls an entry procedure as the run-time does: a failure that nothing
  // caught is reported in a message box with this caption.
  Outcome Run(const std::function<void()>& entry, const std::string& title);

  // --- What happened
  uint64_t NowUs() const { return nowUs_; }
  const std::vector<Call>& Log() const { return log_; }
  const std::vector<PlayEvent>& Plays() const { return plays_; }
  std::vector<std::pair<std::string, std::string>> messageBoxes;  // text, caption
  const platform::FormDescription* form = nullptr;

  // --- For the backend's objects
  const Config config;
  const uint64_t id;
  std::string currentDirectory = "/nonexistent-start-directory";
  // Logs the call (unless it is one of a busy loop's) and raises the failure
  // injected for it, if any.
  void Enter(const char* op, const std::string& detail, bool logged = true);
  void Pass();
  uint32_t TickCount() const { return static_cast<uint32_t>(config.startTick + nowUs_ / 1000); }
  platform::KeyboardState Keys();
  uint64_t SoundLengthUs(const std::string& file);
  // A sound starts, by the Play call logged last; the listeners hear it.
  size_t StartPlay(const PlayEvent& play);
  void Silence(size_t play) { plays_[play].endUs = std::min(plays_[play].endUs, nowUs_); }
  float NextRnd();

 private:
  uint64_t nowUs_ = 0;
  std::vector<Call> log_;
  std::vector<PlayEvent> plays_;
  std::vector<std::pair<Failure, int>> failures_;  // with the calls failed so far
  std::multimap<uint64_t, std::pair<uint8_t, bool>> keyEvents_;
  platform::KeyboardState keys_{};
  std::vector<float> randoms_;
  size_t nextRandom_ = 0;
  std::vector<std::function<void(Machine&, const PlayEvent&)>> listeners_;
  std::map<std::string, uint64_t> lengths_;
};

}  // namespace sim
