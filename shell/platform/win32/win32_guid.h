// GUIDs given to the platform layer as text: a name the game uses, or the
// registry form in braces.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace win32 {

// "{6F1D2B61-D5A0-11CF-BFC7-444553540000}" and the like; nothing else.
std::optional<GUID> ParseBracedGuid(const std::string& text);

}  // namespace win32
