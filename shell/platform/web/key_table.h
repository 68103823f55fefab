// The keyboard's translation into DirectInput key codes in a browser: the
// page names each key by KeyboardEvent.code, its place on the board (the
// USB usage it sends), not by what it types, so the table holds for every
// layout, as the SDL backend's scancodes do.
#pragma once

#include <string>

namespace web {

// The table as the page reads it: "code=dik" pairs, blank separated, the
// codes in decimal, one a key we translate.
std::string KeyTableForPage();

}  // namespace web
