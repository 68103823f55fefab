// The simulated machine: a backend of the platform layer on which the tests
// run the real game code, unchanged, through whole scenarios.
//
// - Time is virtual: a microsecond clock that does not tick on its own. Each
//   DoEvents (every pass of every busy loop) advances it by the pass cost;
//   the tick count is its milliseconds, a 32-bit value that may start
//   anywhere, also just below 2^31 or 2^32.
// - Sound buffers are made from real wave files and play for their length.
// - The keyboard follows a script of presses and releases in virtual time;
//   a player may also listen to what is played and schedule keys in answer.
// - Every operation can be made to fail with a chosen result code.
// - Every call is logged in order, with the virtual time and its arguments.
// - Message boxes are recorded and answered with OK; ending the program is
//   observable; a time limit ends a scenario that would never finish.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "shell/platform/platform.h"

namespace sim {

enum class Op : uint8_t {
  CreateDirectX,
  DirectSoundCreate,
  SoundSetCooperativeLevel,
  CreatePrimaryBuffer,
  GetDirectSound3DListener,
  CreateSoundBufferFromFile,
  SetVolume,
  SetPan,
  Play,
  GetStatus,
  Stop,
  ReleaseBuffer,
  DirectInputCreate,
  CreateDevice,
  SetCommonDataFormat,
  KeyboardSetCooperativeLevel,
  Acquire,
  GetDeviceStateKeyboard,
  ShowForm,
  FormHandle,
  SetControlText,
  ShowMessageBox,
  DoEvents,
  EndProgram,
  ProgramFolder,
  ChangeDirectory,
  GetTickCount,
  Randomize,
  Rnd,
  kCount
};

const char* OpName(Op op);

struct Call {
  uint64_t timeUs;
  Op op;
  std::string detail;  // the arguments, and the object for buffer calls ("#3 -400")
  std::string result;  // what it gave back, or "failed <code>"
  uintptr_t stack;     // a frame address inside the call: how deep the caller was
};

// One playing of a buffer, as the player heard it.
struct PlayEvent {
  uint64_t startUs;
  uint64_t endUs;  // when it fell silent: finished, stopped or released
  int bufferId;
  int32_t flags;  // the buffer's capabilities: 194 for a one-shot buffer
  std::string file;
  int32_t pan;
  int32_t volume;      // at the start
  int32_t lastVolume;  // the last one set while it played
  bool looping;
  uint64_t startPositionUs;  // where in the sound it (re)started
  enum class End { Finished, Stopped, Released, StillPlaying } end;
};

struct Failure {
  Op op;
  int32_t code;
  std::string match;   // only calls whose detail contains this (empty: all)
  int skip = 0;        // let this many matching calls succeed first
  int times = 1;       // then fail this many (-1: every one after)
};

struct Config {
  uint32_t startTick = 0;                 // the tick count when the program starts
  uint64_t passCostUs = 1000;             // virtual time each DoEvents takes
  uint64_t timeLimitUs = 4ull * 3600 * 1000 * 1000;
  std::string programFolder;              // the folder of the program and its sounds
  std::string startDirectory = "/nonexistent-start-directory";
  bool logPolling = false;                // also log DoEvents, tick counts, key reads and statuses
  bool focused = true;                    // whether our window has the focus at the start
};

struct Outcome {
  enum class How { Returned, Ended, Fatal, TimeLimit } how;
  int exitStatus = 0;
  int32_t errorNumber = 0;
  std::string errorDescription;
};

// Raised out of DoEvents when the scenario's virtual time runs out.
struct TimeLimitReached {};

class Machine {
 public:
  explicit Machine(Config config = {});
  ~Machine();
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  static Machine& Current();
  // Objects of the program may outlive the machine they were made on (the
  // program's module-level buffers live until the next scenario resets
  // them); they check this before touching it.
  uint64_t Id() const { return id_; }
  static bool IsLive(uint64_t id);

  // --- Setting the scene
  void KeyDownAt(uint64_t atUs, uint8_t code);
  void KeyUpAt(uint64_t atUs, uint8_t code);
  void PressKey(uint64_t atUs, uint8_t code, uint64_t holdUs);
  void FocusAt(uint64_t atUs, bool focused);
  void QueueRandom(const std::vector<float>& values);
  void InjectFailure(const Failure& failure);
  using PlayListener = std::function<void(Machine&, const PlayEvent&)>;
  void OnPlay(PlayListener listener);
  using PassListener = std::function<void(Machine&)>;
  void OnPass(PassListener listener);

  // --- Running: calls the entry procedure under the machine's run-time
  // support (RunProgram) and reports how the program ended.
  Outcome Run(std::function<void()> entry, const platform::ProgramIdentity& identity = {"Test"});

  // --- Observing
  uint64_t NowUs() const { return nowUs_; }
  uint32_t TickCount() const;
  const Config& config() const { return config_; }
  const std::vector<Call>& Log() const { return log_; }
  std::vector<Call> Calls(Op op) const;
  uint64_t CallCount(Op op) const { return counts_[static_cast<size_t>(op)]; }
  // Every playing, in the order they started; heard ones are those of audible
  // volume.
  const std::vector<PlayEvent>& Plays() const { return plays_; }
  // The files played through one-shot buffers (flags 194), in order.
  std::vector<std::string> PlayedFiles() const;
  const std::vector<std::string>& MessageBoxes() const { return messageBoxes_; }
  const std::vector<std::string>& MessageBoxCaptions() const { return messageCaptions_; }
  bool FormShown() const { return formShown_; }
  const platform::FormDescription* Form() const { return form_; }
  std::string ControlText(const std::string& name) const;
  const std::string& CurrentDirectory() const { return currentDirectory_; }

  // --- Used by the backend's objects
  struct KeyboardModel;
  void Advance(uint64_t us);
  void RecordCall(Op op, std::string detail, std::string result = {});
  void MaybeFail(Op op, const std::string& detail);
  bool KeyIsDown(uint8_t code);
  platform::KeyboardState KeysNow();
  bool FocusedNow();
  std::string Resolve(const std::string& path) const;
  uint64_t SoundDurationUs(const std::string& resolvedPath, const std::string& file);
  int NewBufferId() { return ++lastBufferId_; }
  size_t StartPlay(PlayEvent event);
  void EndPlay(size_t index, uint64_t atUs, PlayEvent::End how);
  void SetPlayVolume(size_t index, int32_t volume) { plays_[index].lastVolume = volume; }
  void NotifyPlayListeners(size_t index);
  float NextRnd();
  void SetForm(const platform::FormDescription* form);
  void SetControl(int index, const std::string& text);
  void AddMessageBox(const std::string& text, const std::string& caption);
  void SetCurrentDirectory(const std::string& folder) { currentDirectory_ = folder; }
  bool LogsPolling() const { return config_.logPolling; }
  uintptr_t stackMark = 0;

 private:
  void ApplyScheduledUpTo(uint64_t us);

  Config config_;
  uint64_t id_;
  uint64_t nowUs_ = 0;
  std::vector<Call> log_;
  std::array<uint64_t, static_cast<size_t>(Op::kCount)> counts_{};
  std::vector<Failure> failures_;
  std::vector<int> failureMatches_;

  struct KeyEvent {
    uint64_t atUs;
    uint8_t code;
    bool down;
  };
  std::vector<KeyEvent> keyEvents_;  // in time order
  size_t nextKeyEvent_ = 0;
  platform::KeyboardState keys_{};
  std::vector<std::pair<uint64_t, bool>> focusEvents_;
  bool focused_;

  std::vector<float> randomQueue_;
  size_t nextRandom_ = 0;

  std::vector<PlayListener> playListeners_;
  std::vector<PassListener> passListeners_;
  std::vector<PlayEvent> plays_;
  std::vector<size_t> openPlays_;  // playing once, not yet past their end
  int lastBufferId_ = 0;

  const platform::FormDescription* form_ = nullptr;
  bool formShown_ = false;
  std::vector<std::string> controlTexts_;
  std::vector<std::string> messageBoxes_;
  std::vector<std::string> messageCaptions_;
  std::string currentDirectory_;
  std::map<std::string, uint64_t> durations_;
};

}  // namespace sim
