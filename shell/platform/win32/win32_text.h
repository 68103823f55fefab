// The game speaks UTF-8; Windows' wide functions speak UTF-16. Bytes that are
// not UTF-8 become U+FFFD rather than a failure: a shown replacement beats a
// lost message.
#pragma once

#include <windows.h>

#include <string>

namespace win32 {

inline std::wstring Widen(const std::string& utf8) {
  std::wstring wide(utf8.size(), L'\0');  // never more UTF-16 units than UTF-8 bytes
  wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                                      wide.data(), static_cast<int>(wide.size()))));
  return wide;
}

inline std::string Narrow(const std::wstring& utf16) {
  std::string narrow(3 * utf16.size(), '\0');  // at most three UTF-8 bytes a UTF-16 unit
  narrow.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()),
                                                        narrow.data(), static_cast<int>(narrow.size()), nullptr,
                                                        nullptr)));
  return narrow;
}

}  // namespace win32
