// The game speaks UTF-8; Windows' wide functions speak UTF-16.
#pragma once

#include <string>

namespace win32 {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);

}  // namespace win32
