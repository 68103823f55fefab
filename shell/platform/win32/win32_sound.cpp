// DirectSound 8, called as the platform layer describes it: the buffer flags,
// cooperative level, volumes, pans and play flags are passed through as the
// game gives them, and every failure raises its HRESULT unchanged.
//
// A buffer made from a file takes the file's own PCM format and exactly its
// data's size: the game's description asks for 22,050 Hz 16-bit mono and
// 44,100 bytes, which is what its own sounds are and hold per second, and a
// player's recording in another format still plays at its own rate.
#include "shell/platform/win32/win32_sound.h"

#include <dsound.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "shell/platform/wave_file.h"
#include "shell/platform/win32/com_ref.h"
#include "shell/platform/win32/win32_failure.h"
#include "shell/platform/win32/win32_guid.h"

namespace win32 {
namespace {

using platform::RuntimeError;

class Listener final : public platform::Listener3D {
 public:
  explicit Listener(ComRef<IDirectSound3DListener> listener) : listener_(std::move(listener)) {}

 private:
  ComRef<IDirectSound3DListener> listener_;
};

class Primary final : public platform::PrimaryBuffer {
 public:
  Primary(ComRef<IDirectSound8> device, ComRef<IDirectSoundBuffer> buffer)
      : device_(std::move(device)), buffer_(std::move(buffer)) {}

  std::shared_ptr<platform::Listener3D> GetDirectSound3DListener() override {
    ComRef<IDirectSound3DListener> listener;
    Check(buffer_->QueryInterface(IID_IDirectSound3DListener, listener.ReceiveVoid()), Api::Sound,
          "IDirectSoundBuffer::QueryInterface(IID_IDirectSound3DListener)");
    return std::make_shared<Listener>(std::move(listener));
  }

 private:
  ComRef<IDirectSound8> device_;  // a buffer is only valid while its device lives
  ComRef<IDirectSoundBuffer> buffer_;
};

class Buffer final : public platform::SoundBuffer {
 public:
  Buffer(ComRef<IDirectSound8> device, ComRef<IDirectSoundBuffer> buffer)
      : device_(std::move(device)), buffer_(std::move(buffer)) {}

  void SetVolume(int32_t volume) override {
    Check(buffer_->SetVolume(volume), Api::Sound, "IDirectSoundBuffer::SetVolume");
  }
  void SetPan(int32_t pan) override { Check(buffer_->SetPan(pan), Api::Sound, "IDirectSoundBuffer::SetPan"); }
  void Play(int32_t flags) override {
    Check(buffer_->Play(0, 0, static_cast<DWORD>(flags)), Api::Sound, "IDirectSoundBuffer::Play");
  }
  int32_t GetStatus() override {
    DWORD status = 0;
    Check(buffer_->GetStatus(&status), Api::Sound, "IDirectSoundBuffer::GetStatus");
    return static_cast<int32_t>(status);
  }
  void Stop() override { Check(buffer_->Stop(), Api::Sound, "IDirectSoundBuffer::Stop"); }

  IDirectSoundBuffer* Get() const { return buffer_.Get(); }

 private:
  ComRef<IDirectSound8> device_;
  ComRef<IDirectSoundBuffer> buffer_;
};

GUID Algorithm3D(const std::string& name) {
  if (name.empty() || name == "DS3DALG_DEFAULT") return DS3DALG_DEFAULT;
  if (name == "DS3DALG_NO_VIRTUALIZATION") return DS3DALG_NO_VIRTUALIZATION;
  if (name == "DS3DALG_HRTF_FULL") return DS3DALG_HRTF_FULL;
  if (name == "DS3DALG_HRTF_LIGHT") return DS3DALG_HRTF_LIGHT;
  if (std::optional<GUID> guid = ParseBracedGuid(name)) return *guid;
  throw RuntimeError(platform::kErrInvalidArgument, "No 3-D algorithm " + name);
}

WAVEFORMATEX FormatOf(const platform::WaveFormat& format) {
  WAVEFORMATEX result{};
  result.wFormatTag = static_cast<WORD>(format.formatTag);
  result.nChannels = static_cast<WORD>(format.channels);
  result.nSamplesPerSec = static_cast<DWORD>(format.samplesPerSecond);
  result.nAvgBytesPerSec = static_cast<DWORD>(format.averageBytesPerSecond);
  result.nBlockAlign = static_cast<WORD>(format.blockAlign);
  result.wBitsPerSample = static_cast<WORD>(format.bitsPerSample);
  result.cbSize = static_cast<WORD>(format.extraSize);
  return result;
}

WAVEFORMATEX FormatOf(const platform::WaveAudio& audio) {
  WAVEFORMATEX result{};
  result.wFormatTag = WAVE_FORMAT_PCM;
  result.nChannels = audio.channels;
  result.nSamplesPerSec = audio.sampleRate;
  result.wBitsPerSample = audio.bitsPerSample;
  result.nBlockAlign = static_cast<WORD>(audio.channels * audio.bitsPerSample / 8);
  result.nAvgBytesPerSec = audio.sampleRate * result.nBlockAlign;
  result.cbSize = 0;
  return result;
}

// DirectSound refuses buffers under DSBSIZE_MIN bytes, and an empty file is a
// sound all the same: it gets the fewest whole frames of silence allowed,
// which end a fraction of a millisecond after they start.
std::vector<uint8_t> PlayableBytes(const platform::WaveAudio& audio, WORD blockAlign) {
  std::vector<uint8_t> bytes = audio.data;
  constexpr size_t kMinimum = DSBSIZE_MIN;
  if (bytes.size() < kMinimum) {
    const size_t frames = (kMinimum + blockAlign - 1) / blockAlign;
    const uint8_t silence = audio.bitsPerSample == 8 ? 0x80 : 0x00;
    bytes.resize(frames * blockAlign, silence);
  }
  return bytes;
}

void Fill(IDirectSoundBuffer* buffer, const std::vector<uint8_t>& bytes, const std::string& file) {
  const std::string operation = "IDirectSoundBuffer::Lock for " + file;
  void* first = nullptr;
  void* second = nullptr;
  DWORD firstBytes = 0;
  DWORD secondBytes = 0;
  const DWORD size = static_cast<DWORD>(bytes.size());
  HRESULT result = buffer->Lock(0, size, &first, &firstBytes, &second, &secondBytes, 0);
  if (result == DSERR_BUFFERLOST) {
    Check(buffer->Restore(), Api::Sound, "IDirectSoundBuffer::Restore");
    result = buffer->Lock(0, size, &first, &firstBytes, &second, &secondBytes, 0);
  }
  Check(result, Api::Sound, operation.c_str());
  std::memcpy(first, bytes.data(), std::min<size_t>(firstBytes, bytes.size()));
  if (second != nullptr && secondBytes > 0 && bytes.size() > firstBytes) {
    std::memcpy(second, bytes.data() + firstBytes, std::min<size_t>(secondBytes, bytes.size() - firstBytes));
  }
  Check(buffer->Unlock(first, firstBytes, second, secondBytes), Api::Sound, "IDirectSoundBuffer::Unlock");
}

class Device final : public platform::SoundDevice {
 public:
  explicit Device(ComRef<IDirectSound8> device) : device_(std::move(device)) {}

  void SetCooperativeLevel(platform::WindowHandle window, int32_t level) override {
    Check(device_->SetCooperativeLevel(reinterpret_cast<HWND>(window), static_cast<DWORD>(level)), Api::Sound,
          "IDirectSound8::SetCooperativeLevel");
  }

  std::shared_ptr<platform::PrimaryBuffer> CreatePrimaryBuffer(
      const platform::BufferDescription& description) override {
    WAVEFORMATEX format = FormatOf(description.format);
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = static_cast<DWORD>(description.flags);
    desc.dwBufferBytes = static_cast<DWORD>(description.bufferBytes);
    desc.lpwfxFormat = description.format.formatTag != 0 ? &format : nullptr;
    desc.guid3DAlgorithm = Algorithm3D(description.algorithm3D);
    ComRef<IDirectSoundBuffer> buffer;
    Check(device_->CreateSoundBuffer(&desc, buffer.Receive(), nullptr), Api::Sound,
          "IDirectSound8::CreateSoundBuffer (primary)");
    return std::make_shared<Primary>(device_, std::move(buffer));
  }

  std::shared_ptr<platform::SoundBuffer> CreateSoundBufferFromFile(
      const std::string& file, const platform::BufferDescription& description) override {
    if ((description.flags & platform::kBufferPrimary) != 0) {
      throw RuntimeError(platform::kErrInvalidArgument,
                         "A buffer made from a file cannot be the primary buffer: " + file);
    }
    const GUID algorithm = Algorithm3D(description.algorithm3D);
    const platform::WaveAudio audio = platform::ReadWaveFile(file);
    WAVEFORMATEX format = FormatOf(audio);
    const std::vector<uint8_t> bytes = PlayableBytes(audio, format.nBlockAlign);

    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = static_cast<DWORD>(description.flags);
    desc.dwBufferBytes = static_cast<DWORD>(bytes.size());
    desc.lpwfxFormat = &format;
    desc.guid3DAlgorithm = algorithm;
    ComRef<IDirectSoundBuffer> buffer;
    const std::string operation = "IDirectSound8::CreateSoundBuffer for " + file;
    Check(device_->CreateSoundBuffer(&desc, buffer.Receive(), nullptr), Api::Sound, operation.c_str());
    Fill(buffer.Get(), bytes, file);
    return std::make_shared<Buffer>(device_, std::move(buffer));
  }

 private:
  ComRef<IDirectSound8> device_;
};

}  // namespace

std::shared_ptr<platform::SoundDevice> CreateSoundDevice(const std::string& deviceGuid) {
  std::optional<GUID> guid;
  if (!deviceGuid.empty()) {
    guid = ParseBracedGuid(deviceGuid);
    if (!guid) throw RuntimeError(static_cast<int32_t>(DSERR_NODRIVER), "No sound device " + deviceGuid);
  }
  ComRef<IDirectSound8> device;
  Check(DirectSoundCreate8(guid ? &*guid : nullptr, device.Receive(), nullptr), Api::Sound, "DirectSoundCreate8");
  return std::make_shared<Device>(std::move(device));
}

BufferFacts DescribeBuffer(platform::SoundBuffer& buffer) {
  auto* ours = dynamic_cast<Buffer*>(&buffer);
  if (ours == nullptr) throw RuntimeError(platform::kErrInvalidArgument, "Not a DirectSound buffer");
  BufferFacts facts;
  DSBCAPS caps{};
  caps.dwSize = sizeof caps;
  Check(ours->Get()->GetCaps(&caps), Api::Sound, "IDirectSoundBuffer::GetCaps");
  facts.flags = caps.dwFlags;
  facts.bytes = caps.dwBufferBytes;
  Check(ours->Get()->GetFormat(&facts.format, sizeof facts.format, nullptr), Api::Sound,
        "IDirectSoundBuffer::GetFormat");
  return facts;
}

}  // namespace win32
