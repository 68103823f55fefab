#include "shell/platform/win32/win32_text.h"

#include <windows.h>

#include <climits>

namespace win32 {

// Bytes that are not UTF-8 become U+FFFD rather than a failure: the texts are
// the game's own and file names, and a shown replacement beats a lost message.
std::wstring Widen(const std::string& utf8) {
  if (utf8.empty() || utf8.size() > static_cast<size_t>(INT_MAX)) return {};
  const int length = static_cast<int>(utf8.size());
  const int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
  if (wide <= 0) return {};
  std::wstring result(static_cast<size_t>(wide), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, result.data(), wide);
  return result;
}

std::string Narrow(const std::wstring& utf16) {
  if (utf16.empty() || utf16.size() > static_cast<size_t>(INT_MAX)) return {};
  const int length = static_cast<int>(utf16.size());
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string result(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, result.data(), bytes, nullptr, nullptr);
  return result;
}

}  // namespace win32
