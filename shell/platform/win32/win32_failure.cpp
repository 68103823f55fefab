#include "shell/platform/win32/win32_failure.h"

#define DIRECTINPUT_VERSION 0x0800
#include <dinput.h>
#include <dsound.h>

#include <cstdio>

#include "shell/platform/platform.h"
#include "shell/platform/win32/win32_text.h"

namespace win32 {
namespace {

struct NamedResult {
  HRESULT result;
  const char* name;
};

constexpr NamedResult kSoundResults[] = {
    {DSERR_ALLOCATED, "DSERR_ALLOCATED"},
    {DSERR_CONTROLUNAVAIL, "DSERR_CONTROLUNAVAIL"},
    {DSERR_INVALIDPARAM, "DSERR_INVALIDPARAM"},
    {DSERR_INVALIDCALL, "DSERR_INVALIDCALL"},
    {DSERR_GENERIC, "DSERR_GENERIC"},
    {DSERR_PRIOLEVELNEEDED, "DSERR_PRIOLEVELNEEDED"},
    {DSERR_OUTOFMEMORY, "DSERR_OUTOFMEMORY"},
    {DSERR_BADFORMAT, "DSERR_BADFORMAT"},
    {DSERR_UNSUPPORTED, "DSERR_UNSUPPORTED"},
    {DSERR_NODRIVER, "DSERR_NODRIVER"},
    {DSERR_ALREADYINITIALIZED, "DSERR_ALREADYINITIALIZED"},
    {DSERR_NOAGGREGATION, "DSERR_NOAGGREGATION"},
    {DSERR_BUFFERLOST, "DSERR_BUFFERLOST"},
    {DSERR_OTHERAPPHASPRIO, "DSERR_OTHERAPPHASPRIO"},
    {DSERR_UNINITIALIZED, "DSERR_UNINITIALIZED"},
    {DSERR_NOINTERFACE, "DSERR_NOINTERFACE"},
    {DSERR_ACCESSDENIED, "DSERR_ACCESSDENIED"},
    {DSERR_BUFFERTOOSMALL, "DSERR_BUFFERTOOSMALL"},
    {DSERR_DS8_REQUIRED, "DSERR_DS8_REQUIRED"},
    {DSERR_SENDLOOP, "DSERR_SENDLOOP"},
    {DSERR_BADSENDBUFFERGUID, "DSERR_BADSENDBUFFERGUID"},
    {DSERR_FXUNAVAILABLE, "DSERR_FXUNAVAILABLE"},
    {DSERR_OBJECTNOTFOUND, "DSERR_OBJECTNOTFOUND"},
};

constexpr NamedResult kInputResults[] = {
    {DIERR_NOTACQUIRED, "DIERR_NOTACQUIRED"},
    {DIERR_INPUTLOST, "DIERR_INPUTLOST"},
    {DIERR_ACQUIRED, "DIERR_ACQUIRED"},
    {DIERR_INVALIDPARAM, "DIERR_INVALIDPARAM"},
    {DIERR_OTHERAPPHASPRIO, "DIERR_OTHERAPPHASPRIO"},
    {DIERR_DEVICENOTREG, "DIERR_DEVICENOTREG"},
    {DIERR_NOTINITIALIZED, "DIERR_NOTINITIALIZED"},
    {DIERR_OLDDIRECTINPUTVERSION, "DIERR_OLDDIRECTINPUTVERSION"},
    {DIERR_BETADIRECTINPUTVERSION, "DIERR_BETADIRECTINPUTVERSION"},
    {DIERR_BADDRIVERVER, "DIERR_BADDRIVERVER"},
    {DIERR_OUTOFMEMORY, "DIERR_OUTOFMEMORY"},
    {DIERR_NOINTERFACE, "DIERR_NOINTERFACE"},
    {DIERR_GENERIC, "DIERR_GENERIC"},
    {DIERR_UNSUPPORTED, "DIERR_UNSUPPORTED"},
    {DIERR_HANDLEEXISTS, "DIERR_HANDLEEXISTS"},
};

const char* NameOf(HRESULT result, Api api) {
  auto find = [result](const auto& table) -> const char* {
    for (const NamedResult& entry : table) {
      if (entry.result == result) return entry.name;
    }
    return nullptr;
  };
  if (api == Api::Sound) return find(kSoundResults);
  if (api == Api::Input) return find(kInputResults);
  return nullptr;
}

// What the system says about a code it knows, on one line.
std::string SystemMessage(HRESULT result) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(result), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (length == 0 || text == nullptr) return {};
  std::wstring message(text, length);
  LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ' ||
                              message.back() == L'.')) {
    message.pop_back();
  }
  return Narrow(message);
}

}  // namespace

std::string DescribeResult(HRESULT result, Api api, const std::string& operation) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(static_cast<DWORD>(result)));
  std::string description = operation + ": ";
  if (const char* name = NameOf(result, api)) {
    description += std::string(name) + " (" + code + ")";
  } else if (std::string message = SystemMessage(result); !message.empty()) {
    description += message + " (" + code + ")";
  } else {
    description += code;
  }
  return description;
}

void RaiseResult(HRESULT result, Api api, const std::string& operation) {
  throw platform::RuntimeError(static_cast<int32_t>(result), DescribeResult(result, api, operation));
}

}  // namespace win32
