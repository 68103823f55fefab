// Finding a font file for the form's face through fontconfig.
#pragma once

#include <string>

namespace sdl {

// The path of the first candidate fontconfig has a file for under exactly
// that family name, or else of whatever it matches for sans-serif. Empty when
// fontconfig finds nothing at all.
std::string FindFontFile(const std::string& face);

}  // namespace sdl
