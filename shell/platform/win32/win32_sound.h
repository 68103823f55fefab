// The Windows backend's sound: DirectSound 8 on the default device.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "shell/platform/platform.h"

namespace win32 {

// DirectSoundCreate8. "" is the default device; otherwise a device GUID in
// braces. A failure (no driver, no device) raises its HRESULT.
std::shared_ptr<platform::SoundDevice> CreateSoundDevice(const std::string& deviceGuid);

// What DirectSound made of a buffer of ours: its capabilities, size and
// format, as the buffer itself reports them.
struct BufferFacts {
  DWORD flags = 0;
  DWORD bytes = 0;
  WAVEFORMATEX format{};
};
BufferFacts DescribeBuffer(platform::SoundBuffer& buffer);

}  // namespace win32
