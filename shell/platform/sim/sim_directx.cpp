// The simulated machine's DirectX: a sound device whose buffers play for the
// length of their files in virtual time, and a keyboard that reads the
// machine's key script.
#include <memory>
#include <string>

#include "shell/platform/sim/machine.h"

namespace sim {
namespace {

std::string Describe(const platform::BufferDescription& d) {
  const platform::WaveFormat& f = d.format;
  return "flags=" + std::to_string(d.flags) + " bytes=" + std::to_string(d.bufferBytes) +
         " format=" + std::to_string(f.formatTag) + "," + std::to_string(f.channels) + "," +
         std::to_string(f.samplesPerSecond) + "," + std::to_string(f.averageBytesPerSecond) + "," +
         std::to_string(f.blockAlign) + "," + std::to_string(f.bitsPerSample) + "," + std::to_string(f.extraSize) +
         " alg=" + d.algorithm3D;
}

// A static buffer: a position in its sound that moves on with virtual time
// while it plays.
class Buffer final : public platform::SoundBuffer {
 public:
  Buffer(Machine& machine, std::string file, uint64_t lengthUs)
      : machine_(machine), machineId_(machine.id), file_(std::move(file)), lengthUs_(lengthUs) {}

  // Releasing a buffer silences it.
  ~Buffer() override {
    if (Machine::IsLive(machineId_) && Playing()) machine_.Silence(play_);
  }

  void SetVolume(int32_t volume) override {
    machine_.Enter("SetVolume", file_ + " " + std::to_string(volume));
    volume_ = volume;
  }

  void SetPan(int32_t pan) override {
    machine_.Enter("SetPan", file_ + " " + std::to_string(pan));
    pan_ = pan;
  }

  void Play(int32_t flags) override {
    machine_.Enter("Play", file_ + " " + std::to_string(flags));
    if (Playing()) return;  // playing a playing buffer does not restart it
    const bool looping = (flags & platform::kPlayLooping) != 0;
    const uint64_t now = machine_.NowUs();
    play_ = machine_.StartPlay(
        {file_, pan_, volume_, looping, now, looping ? UINT64_MAX : now + lengthUs_ - fromUs_, fromUs_, lengthUs_});
    fromUs_ = 0;  // played to its end, it starts from the beginning next time
  }

  int32_t GetStatus() override {
    machine_.Enter("GetStatus", file_, false);
    if (!Playing()) return 0;
    return platform::kStatusPlaying | (machine_.Plays()[play_].looping ? platform::kStatusLooping : 0);
  }

  void Stop() override {
    machine_.Enter("Stop", file_);
    if (!Playing()) return;
    const PlayEvent& play = machine_.Plays()[play_];
    fromUs_ = lengthUs_ == 0 ? 0 : (play.fromUs + machine_.NowUs() - play.startUs) % lengthUs_;
    machine_.Silence(play_);
  }

 private:
  bool Playing() const { return play_ != kNone && machine_.Plays()[play_].endUs > machine_.NowUs(); }

  static constexpr size_t kNone = SIZE_MAX;
  Machine& machine_;
  uint64_t machineId_;
  std::string file_;
  uint64_t lengthUs_;
  uint64_t fromUs_ = 0;
  int32_t volume_ = 0;
  int32_t pan_ = 0;
  size_t play_ = kNone;
};

class Listener final : public platform::Listener3D {};

class Primary final : public platform::PrimaryBuffer {
 public:
  explicit Primary(Machine& machine) : machine_(machine) {}
  std::shared_ptr<platform::Listener3D> GetDirectSound3DListener() override {
    machine_.Enter("GetDirectSound3DListener", {});
    return std::make_shared<Listener>();
  }

 private:
  Machine& machine_;
};

class Device final : public platform::SoundDevice {
 public:
  explicit Device(Machine& machine) : machine_(machine) {}

  void SetCooperativeLevel(platform::WindowHandle window, int32_t level) override {
    machine_.Enter("SoundSetCooperativeLevel", "hwnd=" + std::to_string(window) + " level=" + std::to_string(level));
  }

  std::shared_ptr<platform::PrimaryBuffer> CreatePrimaryBuffer(const platform::BufferDescription& d) override {
    machine_.Enter("CreatePrimaryBuffer", Describe(d));
    return std::make_shared<Primary>(machine_);
  }

  std::shared_ptr<platform::SoundBuffer> CreateSoundBufferFromFile(const std::string& file,
                                                                   const platform::BufferDescription& d) override {
    machine_.Enter("CreateSoundBufferFromFile", file + " " + Describe(d));
    return std::make_shared<Buffer>(machine_, file, machine_.SoundLengthUs(file));
  }

 private:
  Machine& machine_;
};

// The keyboard device: it reads the key script once acquired.
class Keyboard final : public platform::InputDevice {
 public:
  explicit Keyboard(Machine& machine) : machine_(machine) {}

  void SetCommonDataFormat(int32_t format) override { machine_.Enter("SetCommonDataFormat", std::to_string(format)); }

  void SetCooperativeLevel(platform::WindowHandle window, int32_t flags) override {
    machine_.Enter("KeyboardSetCooperativeLevel", "hwnd=" + std::to_string(window) + " flags=" + std::to_string(flags));
  }

  void Acquire() override {
    machine_.Enter("Acquire", {});
    acquired_ = true;
  }

  void GetDeviceStateKeyboard(platform::KeyboardState& state) override {
    machine_.Enter("GetDeviceStateKeyboard", {}, false);
    if (!acquired_) throw platform::RuntimeError(platform::kDierrNotAcquired, "The keyboard is not acquired");
    state = machine_.Keys();
  }

 private:
  Machine& machine_;
  bool acquired_ = false;
};

class Input final : public platform::DirectInput {
 public:
  explicit Input(Machine& machine) : machine_(machine) {}
  std::shared_ptr<platform::InputDevice> CreateDevice(const std::string& guid) override {
    machine_.Enter("CreateDevice", guid);
    return std::make_shared<Keyboard>(machine_);
  }

 private:
  Machine& machine_;
};

class Root final : public platform::DirectX {
 public:
  explicit Root(Machine& machine) : machine_(machine) {}
  std::shared_ptr<platform::SoundDevice> DirectSoundCreate(const std::string& guid) override {
    machine_.Enter("DirectSoundCreate", guid);
    return std::make_shared<Device>(machine_);
  }
  std::shared_ptr<platform::DirectInput> DirectInputCreate() override {
    machine_.Enter("DirectInputCreate", {});
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
  machine.Enter("CreateDirectX", {});
  return std::make_shared<sim::Root>(machine);
}

}  // namespace platform
