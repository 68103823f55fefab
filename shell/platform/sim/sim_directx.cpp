// The simulated machine's DirectX: a sound device whose buffers play for the
// length of their files in virtual time, and a keyboard that follows the
// machine's key script and focus.
#include <memory>
#include <string>

#include "shell/platform/sim/machine.h"

namespace sim {
namespace {

std::string Describe(const platform::BufferDescription& d) {
  const platform::WaveFormat& f = d.format;
  return "flags=" + std::to_string(d.flags) + " bytes=" + std::to_string(d.bufferBytes) + " format=" +
         std::to_string(f.formatTag) + "," + std::to_string(f.channels) + "," + std::to_string(f.samplesPerSecond) +
         "," + std::to_string(f.averageBytesPerSecond) + "," + std::to_string(f.blockAlign) + "," +
         std::to_string(f.bitsPerSample) + "," + std::to_string(f.extraSize) + " alg=" + d.algorithm3D;
}

// A static buffer: a position in the sound, in microseconds, that advances
// with virtual time while it plays.
class Buffer final : public platform::SoundBuffer {
 public:
  Buffer(Machine& machine, std::string file, uint64_t durationUs, int32_t flags)
      : machine_(machine),
        machineId_(machine.Id()),
        id_(machine.NewBufferId()),
        file_(std::move(file)),
        durationUs_(durationUs),
        flags_(flags) {}

  ~Buffer() override {
    if (!Machine::IsLive(machineId_)) return;  // its machine is gone
    Settle();
    machine_.RecordCall(Op::ReleaseBuffer, Tag(), playing_ ? "was playing" : "");
    if (playing_) machine_.EndPlay(playIndex_, machine_.NowUs(), PlayEvent::End::Released);
  }

  int Id() const { return id_; }

  void SetVolume(int32_t volume) override {
    const std::string detail = Tag() + " " + std::to_string(volume);
    machine_.MaybeFail(Op::SetVolume, detail);
    machine_.RecordCall(Op::SetVolume, detail);
    RequireControl(platform::kBufferCtrlVolume);
    RequireRange(volume, -10000, 0);
    volume_ = volume;
    Settle();
    if (playing_) machine_.SetPlayVolume(playIndex_, volume);
  }

  void SetPan(int32_t pan) override {
    const std::string detail = Tag() + " " + std::to_string(pan);
    machine_.MaybeFail(Op::SetPan, detail);
    machine_.RecordCall(Op::SetPan, detail);
    RequireControl(platform::kBufferCtrlPan);
    RequireRange(pan, -10000, 10000);
    pan_ = pan;
  }

  void Play(int32_t flags) override {
    const std::string detail = Tag() + " " + std::to_string(flags);
    machine_.MaybeFail(Op::Play, detail);
    machine_.RecordCall(Op::Play, detail);
    Settle();
    const bool looping = (flags & platform::kPlayLooping) != 0;
    if (playing_) {
      // Playing a playing buffer does not restart it; the flag still counts,
      // and the playing goes on under it as a new one from where it is.
      if (looping == looping_) return;
      positionUs_ = CurrentPosition();
      playing_ = false;
      machine_.EndPlay(playIndex_, machine_.NowUs(), PlayEvent::End::Stopped);
    }
    playing_ = true;
    looping_ = looping;
    startedAtUs_ = machine_.NowUs();
    startPositionUs_ = positionUs_;
    PlayEvent event{startedAtUs_, 0, id_, flags_, file_, pan_, volume_, volume_, looping_, positionUs_,
                    PlayEvent::End::StillPlaying};
    event.endUs = looping ? UINT64_MAX : startedAtUs_ + (durationUs_ - positionUs_);
    playIndex_ = machine_.StartPlay(event);
    machine_.NotifyPlayListeners(playIndex_);
  }

  int32_t GetStatus() override {
    machine_.MaybeFail(Op::GetStatus, Tag());
    Settle();
    const int32_t status =
        playing_ ? (platform::kStatusPlaying | (looping_ ? platform::kStatusLooping : 0)) : 0;
    if (machine_.LogsPolling()) {
      machine_.RecordCall(Op::GetStatus, Tag(), std::to_string(status));
    } else {
      machine_.RecordCall(Op::GetStatus, {});
    }
    return status;
  }

  void Stop() override {
    machine_.MaybeFail(Op::Stop, Tag());
    machine_.RecordCall(Op::Stop, Tag());
    Settle();
    if (!playing_) return;
    positionUs_ = CurrentPosition();
    playing_ = false;
    machine_.EndPlay(playIndex_, machine_.NowUs(), PlayEvent::End::Stopped);
  }

 private:
  std::string Tag() const { return "#" + std::to_string(id_) + " " + file_; }

  void RequireControl(int32_t capability) const {
    if ((flags_ & capability) == 0) {
      throw platform::RuntimeError(platform::kDsErrControlUnavailable, "The buffer was made without that control");
    }
  }

  static void RequireRange(int32_t value, int32_t low, int32_t high) {
    if (value < low || value > high) {
      throw platform::RuntimeError(platform::kErrInvalidArgument, "Value out of range: " + std::to_string(value));
    }
  }

  uint64_t CurrentPosition() const {
    const uint64_t played = startPositionUs_ + (machine_.NowUs() - startedAtUs_);
    if (durationUs_ == 0) return 0;
    return looping_ ? played % durationUs_ : std::min(played, durationUs_);
  }

  // A buffer played once to its end stops there and starts from the
  // beginning next time.
  void Settle() {
    if (!playing_ || looping_) return;
    const uint64_t endUs = startedAtUs_ + (durationUs_ - startPositionUs_);
    if (machine_.NowUs() < endUs) return;
    playing_ = false;
    positionUs_ = 0;
    machine_.EndPlay(playIndex_, endUs, PlayEvent::End::Finished);
  }

  Machine& machine_;
  uint64_t machineId_;
  int id_;
  std::string file_;
  uint64_t durationUs_;
  int32_t flags_;
  int32_t volume_ = 0;
  int32_t pan_ = 0;
  bool playing_ = false;
  bool looping_ = false;
  uint64_t positionUs_ = 0;
  uint64_t startedAtUs_ = 0;
  uint64_t startPositionUs_ = 0;
  size_t playIndex_ = 0;
};

class Listener final : public platform::Listener3D {};

class Primary final : public platform::PrimaryBuffer {
 public:
  explicit Primary(Machine& machine) : machine_(machine) {}
  std::shared_ptr<platform::Listener3D> GetDirectSound3DListener() override {
    machine_.MaybeFail(Op::GetDirectSound3DListener, {});
    machine_.RecordCall(Op::GetDirectSound3DListener, {});
    return std::make_shared<Listener>();
  }

 private:
  Machine& machine_;
};

class Device final : public platform::SoundDevice {
 public:
  explicit Device(Machine& machine) : machine_(machine) {}

  void SetCooperativeLevel(platform::WindowHandle window, int32_t level) override {
    const std::string detail = "hwnd=" + std::to_string(window) + " level=" + std::to_string(level);
    machine_.MaybeFail(Op::SoundSetCooperativeLevel, detail);
    machine_.RecordCall(Op::SoundSetCooperativeLevel, detail);
  }

  std::shared_ptr<platform::PrimaryBuffer> CreatePrimaryBuffer(const platform::BufferDescription& d) override {
    const std::string detail = Describe(d);
    machine_.MaybeFail(Op::CreatePrimaryBuffer, detail);
    machine_.RecordCall(Op::CreatePrimaryBuffer, detail);
    return std::make_shared<Primary>(machine_);
  }

  std::shared_ptr<platform::SoundBuffer> CreateSoundBufferFromFile(const std::string& file,
                                                                   const platform::BufferDescription& d) override {
    const std::string detail = file + " " + Describe(d);
    machine_.MaybeFail(Op::CreateSoundBufferFromFile, detail);
    uint64_t duration = 0;
    try {
      duration = machine_.SoundDurationUs(machine_.Resolve(file), file);
    } catch (const platform::RuntimeError& failure) {
      machine_.RecordCall(Op::CreateSoundBufferFromFile, detail, "failed " + std::to_string(failure.Number()));
      throw;
    }
    auto buffer = std::make_shared<Buffer>(machine_, file, duration, d.flags);
    machine_.RecordCall(Op::CreateSoundBufferFromFile, detail, "#" + std::to_string(buffer->Id()));
    return buffer;
  }

 private:
  Machine& machine_;
};

// The keyboard device. At the background level it reads whatever has the
// focus; at the foreground level losing the focus takes the input away.
class Keyboard final : public platform::InputDevice {
 public:
  explicit Keyboard(Machine& machine) : machine_(machine) {}

  void SetCommonDataFormat(int32_t format) override {
    const std::string detail = std::to_string(format);
    machine_.MaybeFail(Op::SetCommonDataFormat, detail);
    machine_.RecordCall(Op::SetCommonDataFormat, detail);
    if (format != platform::kDataFormatKeyboard) {
      throw platform::RuntimeError(platform::kErrInvalidArgument, "Unknown data format");
    }
    formatSet_ = true;
  }

  void SetCooperativeLevel(platform::WindowHandle window, int32_t flags) override {
    const std::string detail = "hwnd=" + std::to_string(window) + " flags=" + std::to_string(flags);
    machine_.MaybeFail(Op::KeyboardSetCooperativeLevel, detail);
    machine_.RecordCall(Op::KeyboardSetCooperativeLevel, detail);
    flags_ = flags;
  }

  void Acquire() override {
    machine_.MaybeFail(Op::Acquire, {});
    if (Foreground() && !machine_.FocusedNow()) {
      machine_.RecordCall(Op::Acquire, {}, "failed " + std::to_string(platform::kErrAccessDenied));
      throw platform::RuntimeError(platform::kErrAccessDenied, "Another application has the keyboard");
    }
    machine_.RecordCall(Op::Acquire, {});
    acquired_ = true;
  }

  void GetDeviceStateKeyboard(platform::KeyboardState& state) override {
    machine_.MaybeFail(Op::GetDeviceStateKeyboard, {});
    if (acquired_ && Foreground() && !machine_.FocusedNow()) {
      acquired_ = false;
      Fail(platform::kDierrInputLost, "The keyboard's input was lost");
    }
    if (!acquired_ || !formatSet_) Fail(platform::kDierrNotAcquired, "The keyboard is not acquired");
    state = machine_.KeysNow();
    machine_.RecordCall(Op::GetDeviceStateKeyboard, {});
  }

 private:
  bool Foreground() const { return (flags_ & platform::kCooperativeForeground) != 0; }

  [[noreturn]] void Fail(int32_t code, const char* description) {
    machine_.RecordCall(Op::GetDeviceStateKeyboard, {}, "failed " + std::to_string(code));
    throw platform::RuntimeError(code, description);
  }

  Machine& machine_;
  bool formatSet_ = false;
  bool acquired_ = false;
  int32_t flags_ = 0;
};

class Input final : public platform::DirectInput {
 public:
  explicit Input(Machine& machine) : machine_(machine) {}
  std::shared_ptr<platform::InputDevice> CreateDevice(const std::string& guid) override {
    machine_.MaybeFail(Op::CreateDevice, guid);
    machine_.RecordCall(Op::CreateDevice, guid);
    if (guid != "GUID_SysKeyboard") {
      throw platform::RuntimeError(platform::kErrDeviceNotFound, "No such device: " + guid);
    }
    return std::make_shared<Keyboard>(machine_);
  }

 private:
  Machine& machine_;
};

class Root final : public platform::DirectX {
 public:
  explicit Root(Machine& machine) : machine_(machine) {}
  std::shared_ptr<platform::SoundDevice> DirectSoundCreate(const std::string& guid) override {
    const std::string detail = "guid=" + guid;
    machine_.MaybeFail(Op::DirectSoundCreate, detail);
    machine_.RecordCall(Op::DirectSoundCreate, detail);
    return std::make_shared<Device>(machine_);
  }
  std::shared_ptr<platform::DirectInput> DirectInputCreate() override {
    machine_.MaybeFail(Op::DirectInputCreate, {});
    machine_.RecordCall(Op::DirectInputCreate, {});
    return std::make_shared<Input>(machine_);
  }

 private:
  Machine& machine_;
};

}  // namespace
}  // namespace sim

namespace platform {

std::shared_ptr<DirectX> CreateDirectX() {
  sim::Machine& machine = sim::Machine::Current();
  machine.MaybeFail(sim::Op::CreateDirectX, {});
  machine.RecordCall(sim::Op::CreateDirectX, {});
  return std::make_shared<sim::Root>(machine);
}

}  // namespace platform
