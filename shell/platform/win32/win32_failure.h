// Turning a failed HRESULT into the platform layer's RuntimeError: the result
// code itself is the error's number, unchanged (the game tests two DirectInput
// codes by value), and the description names the call and the code.
#pragma once

#include <windows.h>

#include <string>

namespace win32 {

// Which family's names to use: DirectSound and DirectInput reuse the same
// system codes under names of their own.
enum class Api { Sound, Input, System };

// "IDirectSoundBuffer::SetPan: DSERR_INVALIDPARAM (0x80070057)".
std::string DescribeResult(HRESULT result, Api api, const std::string& operation);

[[noreturn]] void RaiseResult(HRESULT result, Api api, const std::string& operation);

inline void Check(HRESULT result, Api api, const char* operation) {
  if (FAILED(result)) RaiseResult(result, api, operation);
}

}  // namespace win32
