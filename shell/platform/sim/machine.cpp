#include "shell/platform/sim/machine.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "shell/platform/random_generator.h"
#include "shell/platform/wave_file.h"

namespace sim {
namespace {

Machine* current = nullptr;
uint64_t machinesMade = 0;

constexpr const char* kOpNames[] = {
    "CreateDirectX",
    "DirectSoundCreate",
    "SoundSetCooperativeLevel",
    "CreatePrimaryBuffer",
    "GetDirectSound3DListener",
    "CreateSoundBufferFromFile",
    "SetVolume",
    "SetPan",
    "Play",
    "GetStatus",
    "Stop",
    "ReleaseBuffer",
    "DirectInputCreate",
    "CreateDevice",
    "SetCommonDataFormat",
    "KeyboardSetCooperativeLevel",
    "Acquire",
    "GetDeviceStateKeyboard",
    "ShowForm",
    "FormHandle",
    "SetControlText",
    "ShowMessageBox",
    "DoEvents",
    "EndProgram",
    "ProgramFolder",
    "ChangeDirectory",
    "GetTickCount",
    "Randomize",
    "Rnd",
};
static_assert(std::size(kOpNames) == static_cast<size_t>(Op::kCount));

bool IsPolling(Op op) {
  return op == Op::DoEvents || op == Op::GetTickCount || op == Op::GetDeviceStateKeyboard || op == Op::GetStatus;
}

}  // namespace

const char* OpName(Op op) { return kOpNames[static_cast<size_t>(op)]; }

Machine::Machine(Config config) : config_(std::move(config)), id_(++machinesMade), focused_(config_.focused) {
  if (current != nullptr) throw std::logic_error("one simulated machine at a time");
  current = this;
  currentDirectory_ = config_.startDirectory;
}

Machine::~Machine() { current = nullptr; }

bool Machine::IsLive(uint64_t id) { return current != nullptr && current->id_ == id; }

Machine& Machine::Current() {
  if (current == nullptr) throw std::logic_error("no simulated machine");
  return *current;
}

void Machine::KeyDownAt(uint64_t atUs, uint8_t code) {
  KeyEvent event{atUs, code, true};
  auto at = std::upper_bound(keyEvents_.begin() + static_cast<std::ptrdiff_t>(nextKeyEvent_), keyEvents_.end(), atUs,
                             [](uint64_t t, const KeyEvent& e) { return t < e.atUs; });
  keyEvents_.insert(at, event);
}

void Machine::KeyUpAt(uint64_t atUs, uint8_t code) {
  KeyEvent event{atUs, code, false};
  auto at = std::upper_bound(keyEvents_.begin() + static_cast<std::ptrdiff_t>(nextKeyEvent_), keyEvents_.end(), atUs,
                             [](uint64_t t, const KeyEvent& e) { return t < e.atUs; });
  keyEvents_.insert(at, event);
}

void Machine::PressKey(uint64_t atUs, uint8_t code, uint64_t holdUs) {
  KeyDownAt(atUs, code);
  KeyUpAt(atUs + holdUs, code);
}

void Machine::FocusAt(uint64_t atUs, bool focused) {
  focusEvents_.emplace_back(atUs, focused);
  std::stable_sort(focusEvents_.begin(), focusEvents_.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
}

void Machine::QueueRandom(const std::vector<float>& values) {
  randomQueue_.insert(randomQueue_.end(), values.begin(), values.end());
}

void Machine::InjectFailure(const Failure& failure) {
  failures_.push_back(failure);
  failureMatches_.push_back(0);
}

void Machine::OnPlay(PlayListener listener) { playListeners_.push_back(std::move(listener)); }
void Machine::OnPass(PassListener listener) { passListeners_.push_back(std::move(listener)); }

uint32_t Machine::TickCount() const {
  return static_cast<uint32_t>(config_.startTick + nowUs_ / 1000);
}

std::vector<Call> Machine::Calls(Op op) const {
  std::vector<Call> found;
  for (const Call& call : log_) {
    if (call.op == op) found.push_back(call);
  }
  return found;
}

std::vector<std::string> Machine::PlayedFiles() const {
  std::vector<std::string> files;
  for (const PlayEvent& play : plays_) {
    if (play.flags == 194) files.push_back(play.file);
  }
  return files;
}

std::string Machine::ControlText(const std::string& name) const {
  if (form_ == nullptr) return {};
  for (size_t i = 0; i < form_->controls.size(); ++i) {
    if (form_->controls[i].name == name) return controlTexts_[i];
  }
  throw std::invalid_argument("no control " + name);
}

void Machine::Advance(uint64_t us) {
  nowUs_ += us;
  ApplyScheduledUpTo(nowUs_);
  // A sound played once is heard to its end whether or not the program asks
  // for its status again.
  std::erase_if(openPlays_, [this](size_t index) {
    PlayEvent& play = plays_[index];
    if (play.end != PlayEvent::End::StillPlaying) return true;
    if (play.endUs > nowUs_) return false;
    play.end = PlayEvent::End::Finished;
    return true;
  });
  for (PassListener& listener : passListeners_) listener(*this);
  if (nowUs_ > config_.timeLimitUs) throw TimeLimitReached{};
}

void Machine::RecordCall(Op op, std::string detail, std::string result) {
  ++counts_[static_cast<size_t>(op)];
  if (IsPolling(op) && !config_.logPolling) return;
  int here = 0;
  log_.push_back(Call{nowUs_, op, std::move(detail), std::move(result), reinterpret_cast<uintptr_t>(&here)});
}

void Machine::MaybeFail(Op op, const std::string& detail) {
  for (size_t i = 0; i < failures_.size(); ++i) {
    const Failure& failure = failures_[i];
    if (failure.op != op) continue;
    if (!failure.match.empty() && detail.find(failure.match) == std::string::npos) continue;
    const int seen = failureMatches_[i]++;
    if (seen < failure.skip) continue;
    if (failure.times >= 0 && seen >= failure.skip + failure.times) continue;
    RecordCall(op, detail, "failed " + std::to_string(failure.code));
    throw platform::RuntimeError(failure.code, std::string("Simulated failure of ") + OpName(op));
  }
}

void Machine::ApplyScheduledUpTo(uint64_t us) {
  while (nextKeyEvent_ < keyEvents_.size() && keyEvents_[nextKeyEvent_].atUs <= us) {
    const KeyEvent& event = keyEvents_[nextKeyEvent_++];
    keys_[event.code] = event.down ? 0x80 : 0x00;
  }
  // Scheduled events are few; dropping the applied ones keeps insertion cheap.
  if (nextKeyEvent_ > 256) {
    keyEvents_.erase(keyEvents_.begin(), keyEvents_.begin() + static_cast<std::ptrdiff_t>(nextKeyEvent_));
    nextKeyEvent_ = 0;
  }
  while (!focusEvents_.empty() && focusEvents_.front().first <= us) {
    focused_ = focusEvents_.front().second;
    focusEvents_.erase(focusEvents_.begin());
  }
}

bool Machine::KeyIsDown(uint8_t code) {
  ApplyScheduledUpTo(nowUs_);
  return (keys_[code] & 0x80) != 0;
}

platform::KeyboardState Machine::KeysNow() {
  ApplyScheduledUpTo(nowUs_);
  return keys_;
}

bool Machine::FocusedNow() {
  ApplyScheduledUpTo(nowUs_);
  return focused_;
}

std::string Machine::Resolve(const std::string& path) const {
  const std::filesystem::path p(path);
  if (p.is_absolute()) return path;
  return (std::filesystem::path(currentDirectory_) / p).string();
}

uint64_t Machine::SoundDurationUs(const std::string& resolvedPath, const std::string& file) {
  // Parsing is the reader's job, done once a file: the thousand-game runs
  // read the same recordings tens of thousands of times.
  std::error_code error;
  const auto stamp = std::filesystem::last_write_time(resolvedPath, error);
  const std::string key =
      resolvedPath + '|' + (error ? std::string("?") : std::to_string(stamp.time_since_epoch().count()));
  if (auto found = durations_.find(key); found != durations_.end()) return found->second;
  try {
    const uint64_t duration = platform::ReadWaveFile(resolvedPath).DurationMicroseconds();
    durations_.emplace(key, duration);
    return duration;
  } catch (const platform::RuntimeError& failure) {
    // Name the file as the program asked for it, not the simulated path.
    std::string description = failure.Description();
    if (const size_t at = description.find(resolvedPath); at != std::string::npos) {
      description.replace(at, resolvedPath.size(), file);
    }
    throw platform::RuntimeError(failure.Number(), description);
  }
}

size_t Machine::StartPlay(PlayEvent event) {
  const bool once = !event.looping;
  plays_.push_back(std::move(event));
  if (once) openPlays_.push_back(plays_.size() - 1);
  return plays_.size() - 1;
}

void Machine::EndPlay(size_t index, uint64_t atUs, PlayEvent::End how) {
  PlayEvent& play = plays_[index];
  if (play.end != PlayEvent::End::StillPlaying) return;
  play.endUs = atUs;
  play.end = how;
}

void Machine::NotifyPlayListeners(size_t index) {
  // A listener may schedule keys, which does not touch plays_.
  const PlayEvent event = plays_[index];
  for (PlayListener& listener : playListeners_) listener(*this, event);
}

float Machine::NextRnd() {
  if (nextRandom_ < randomQueue_.size()) return randomQueue_[nextRandom_++];
  return platform::NextUniform();
}

void Machine::SetForm(const platform::FormDescription* form) {
  form_ = form;
  formShown_ = true;
  controlTexts_.clear();
  for (const platform::ControlDescription& control : form->controls) controlTexts_.push_back(control.text);
}

void Machine::SetControl(int index, const std::string& text) {
  if (form_ == nullptr || index < 0 || static_cast<size_t>(index) >= controlTexts_.size()) {
    throw platform::RuntimeError(platform::kErrInvalidArgument, "No such control");
  }
  controlTexts_[static_cast<size_t>(index)] = text;
}

void Machine::AddMessageBox(const std::string& text, const std::string& caption) {
  messageBoxes_.push_back(text);
  messageCaptions_.push_back(caption);
}

}  // namespace sim
