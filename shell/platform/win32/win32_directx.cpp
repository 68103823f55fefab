// DirectSound 8 and DirectInput 8 as the game calls them. The buffer flags,
// cooperative levels, volumes, pans and play flags pass through as the game
// gives them, and a failure raises its result code unchanged: the game opens
// the keyboard again on exactly DIERR_NOTACQUIRED and DIERR_INPUTLOST.
//
// A buffer made from a file takes the file's own PCM format and exactly its
// data's size: the game's description asks for 22,050 Hz 16-bit mono, which
// is what its own sounds are, and a player's recording in another format
// still plays at its own rate. Every buffer uses the default 3-D algorithm,
// the only one the game names.
#include <dsound.h>
#define DIRECTINPUT_VERSION 0x0800
#include <dinput.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "shell/platform/platform.h"
#include "shell/platform/wave_file.h"

namespace {

[[noreturn]] void Raise(HRESULT result, const std::string& operation) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
  throw platform::RuntimeError(static_cast<int32_t>(result), operation + " failed (" + code + ")");
}

void Check(HRESULT result, const char* operation) {
  if (FAILED(result)) Raise(result, operation);
}

// A COM object held as the platform layer holds its objects: the last
// reference releases it.
template <typename Interface>
std::shared_ptr<Interface> Own(Interface* object) {
  return std::shared_ptr<Interface>(object, [](Interface* held) { held->Release(); });
}

class Listener final : public platform::Listener3D {
 public:
  explicit Listener(std::shared_ptr<IUnknown> listener) : listener_(std::move(listener)) {}

 private:
  std::shared_ptr<IUnknown> listener_;
};

// Each object holds its creator too: a buffer or a keyboard is only valid
// while the device or the DirectInput object that made it lives.
class Primary final : public platform::PrimaryBuffer {
 public:
  Primary(std::shared_ptr<IDirectSound8> device, std::shared_ptr<IDirectSoundBuffer> buffer)
      : device_(std::move(device)), buffer_(std::move(buffer)) {}

  std::shared_ptr<platform::Listener3D> GetDirectSound3DListener() override {
    IDirectSound3DListener* listener = nullptr;
    Check(buffer_->QueryInterface(IID_IDirectSound3DListener, reinterpret_cast<void**>(&listener)),
          "IDirectSoundBuffer::QueryInterface(IID_IDirectSound3DListener)");
    return std::make_shared<Listener>(Own<IUnknown>(listener));
  }

 private:
  std::shared_ptr<IDirectSound8> device_;
  std::shared_ptr<IDirectSoundBuffer> buffer_;
};

class Buffer final : public platform::SoundBuffer {
 public:
  Buffer(std::shared_ptr<IDirectSound8> device, std::shared_ptr<IDirectSoundBuffer> buffer)
      : device_(std::move(device)), buffer_(std::move(buffer)) {}

  void SetVolume(int32_t volume) override { Check(buffer_->SetVolume(volume), "IDirectSoundBuffer::SetVolume"); }
  void SetPan(int32_t pan) override { Check(buffer_->SetPan(pan), "IDirectSoundBuffer::SetPan"); }
  void Play(int32_t flags) override {
    Check(buffer_->Play(0, 0, static_cast<DWORD>(flags)), "IDirectSoundBuffer::Play");
  }
  int32_t GetStatus() override {
    DWORD status = 0;
    Check(buffer_->GetStatus(&status), "IDirectSoundBuffer::GetStatus");
    return static_cast<int32_t>(status);
  }
  void Stop() override { Check(buffer_->Stop(), "IDirectSoundBuffer::Stop"); }

 private:
  std::shared_ptr<IDirectSound8> device_;
  std::shared_ptr<IDirectSoundBuffer> buffer_;
};

class Device final : public platform::SoundDevice {
 public:
  explicit Device(std::shared_ptr<IDirectSound8> device) : device_(std::move(device)) {}

  void SetCooperativeLevel(platform::WindowHandle window, int32_t level) override {
    Check(device_->SetCooperativeLevel(reinterpret_cast<HWND>(window), static_cast<DWORD>(level)),
          "IDirectSound8::SetCooperativeLevel");
  }

  std::shared_ptr<platform::PrimaryBuffer> CreatePrimaryBuffer(
      const platform::BufferDescription& description) override {
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = static_cast<DWORD>(description.flags);
    return std::make_shared<Primary>(device_, Create(desc, "IDirectSound8::CreateSoundBuffer (primary)"));
  }

  std::shared_ptr<platform::SoundBuffer> CreateSoundBufferFromFile(
      const std::string& file, const platform::BufferDescription& description) override {
    platform::WaveAudio audio = platform::ReadWaveFile(file);
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = audio.channels;
    format.nSamplesPerSec = audio.sampleRate;
    format.wBitsPerSample = audio.bitsPerSample;
    format.nBlockAlign = static_cast<WORD>(audio.channels * audio.bitsPerSample / 8);
    format.nAvgBytesPerSec = audio.sampleRate * format.nBlockAlign;
    // DirectSound refuses buffers under DSBSIZE_MIN bytes (4: a whole number
    // of frames in every format), and an empty file is a sound all the same:
    // it is padded with silence, which ends as soon as it starts.
    std::vector<uint8_t>& bytes = audio.data;
    if (bytes.size() < DSBSIZE_MIN) bytes.resize(DSBSIZE_MIN, audio.bitsPerSample == 8 ? 0x80 : 0x00);

    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = static_cast<DWORD>(description.flags);
    desc.dwBufferBytes = static_cast<DWORD>(bytes.size());
    desc.lpwfxFormat = &format;
    std::shared_ptr<IDirectSoundBuffer> buffer = Create(desc, ("IDirectSound8::CreateSoundBuffer for " + file).c_str());
    void* data = nullptr;
    DWORD size = 0;
    // The whole buffer from its start: one part, never wrapped round.
    Check(buffer->Lock(0, desc.dwBufferBytes, &data, &size, nullptr, nullptr, 0),
          ("IDirectSoundBuffer::Lock for " + file).c_str());
    std::memcpy(data, bytes.data(), size);
    Check(buffer->Unlock(data, size, nullptr, 0), "IDirectSoundBuffer::Unlock");
    return std::make_shared<Buffer>(device_, std::move(buffer));
  }

 private:
  std::shared_ptr<IDirectSoundBuffer> Create(const DSBUFFERDESC& desc, const char* operation) {
    IDirectSoundBuffer* buffer = nullptr;
    Check(device_->CreateSoundBuffer(&desc, &buffer, nullptr), operation);
    return Own(buffer);
  }

  std::shared_ptr<IDirectSound8> device_;
};

class Keyboard final : public platform::InputDevice {
 public:
  Keyboard(std::shared_ptr<IDirectInput8W> input, std::shared_ptr<IDirectInputDevice8W> device)
      : input_(std::move(input)), device_(std::move(device)) {}

  // The game asks for the keyboard's format only.
  void SetCommonDataFormat(int32_t) override {
    Check(device_->SetDataFormat(&c_dfDIKeyboard), "IDirectInputDevice8::SetDataFormat");
  }
  void SetCooperativeLevel(platform::WindowHandle window, int32_t flags) override {
    Check(device_->SetCooperativeLevel(reinterpret_cast<HWND>(window), static_cast<DWORD>(flags)),
          "IDirectInputDevice8::SetCooperativeLevel");
  }
  void Acquire() override { Check(device_->Acquire(), "IDirectInputDevice8::Acquire"); }
  void GetDeviceStateKeyboard(platform::KeyboardState& state) override {
    Check(device_->GetDeviceState(static_cast<DWORD>(state.size()), state.data()),
          "IDirectInputDevice8::GetDeviceState");
  }

 private:
  std::shared_ptr<IDirectInput8W> input_;
  std::shared_ptr<IDirectInputDevice8W> device_;
};

class Input final : public platform::DirectInput {
 public:
  explicit Input(std::shared_ptr<IDirectInput8W> input) : input_(std::move(input)) {}

  // The game asks for the system keyboard only.
  std::shared_ptr<platform::InputDevice> CreateDevice(const std::string&) override {
    IDirectInputDevice8W* device = nullptr;
    Check(input_->CreateDevice(GUID_SysKeyboard, &device, nullptr), "IDirectInput8::CreateDevice(GUID_SysKeyboard)");
    return std::make_shared<Keyboard>(input_, Own(device));
  }

 private:
  std::shared_ptr<IDirectInput8W> input_;
};

class Win32DirectX final : public platform::DirectX {
 public:
  // The game opens the default sound device only.
  std::shared_ptr<platform::SoundDevice> DirectSoundCreate(const std::string&) override {
    IDirectSound8* device = nullptr;
    Check(DirectSoundCreate8(nullptr, &device, nullptr), "DirectSoundCreate8");
    return std::make_shared<Device>(Own(device));
  }
  std::shared_ptr<platform::DirectInput> DirectInputCreate() override {
    IDirectInput8W* input = nullptr;
    Check(DirectInput8Create(GetModuleHandleW(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8W,
                             reinterpret_cast<void**>(&input), nullptr),
          "DirectInput8Create");
    return std::make_shared<Input>(Own(input));
  }
};

}  // namespace

namespace platform {

std::shared_ptr<DirectX> CreateDirectX() { return std::make_shared<Win32DirectX>(); }

}  // namespace platform
