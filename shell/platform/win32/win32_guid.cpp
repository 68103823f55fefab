#include "shell/platform/win32/win32_guid.h"

#include <objbase.h>

#include "shell/platform/win32/win32_text.h"

namespace win32 {

std::optional<GUID> ParseBracedGuid(const std::string& text) {
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return std::nullopt;
  std::wstring wide = Widen(text);
  GUID guid{};
  if (FAILED(IIDFromString(wide.c_str(), &guid))) return std::nullopt;
  return guid;
}

}  // namespace win32
