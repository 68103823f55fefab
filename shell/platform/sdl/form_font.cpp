#include "shell/platform/sdl/form_font.h"

#include <fontconfig/fontconfig.h>
#include <strings.h>

#include <vector>

namespace sdl {
namespace {

// The family and file fontconfig picks for a pattern; both empty if none.
struct Match {
  std::string family;
  std::string file;
};

Match BestMatch(const std::string& family) {
  Match result;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult outcome = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &outcome);
  if (match != nullptr) {
    FcChar8* value = nullptr;
    if (FcPatternGetString(match, FC_FAMILY, 0, &value) == FcResultMatch) {
      result.family = reinterpret_cast<const char*>(value);
    }
    if (FcPatternGetString(match, FC_FILE, 0, &value) == FcResultMatch) {
      result.file = reinterpret_cast<const char*>(value);
    }
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return result;
}

// The faces tried, in order, for a requested face: the face itself, then
// faces drawn to the same metrics; the caller falls back on sans-serif.
std::vector<std::string> FontCandidates(const std::string& face) {
  // The layout's face is a bitmap font with no scalable file on a Linux
  // desktop. Its outline successor and the common sans faces of the same
  // metrics come next, so that the labels keep the widths the layout expects.
  return {face, "Microsoft Sans Serif", "Arial", "Liberation Sans", "Arimo"};
}

}  // namespace

std::string FindFontFile(const std::string& face) {
  if (FcInit() == FcFalse) return {};
  // fontconfig always answers with something; only an answer under the asked
  // family name means the face is really there.
  std::string file;
  for (const std::string& candidate : FontCandidates(face)) {
    const Match match = BestMatch(candidate);
    if (!match.file.empty() && strcasecmp(match.family.c_str(), candidate.c_str()) == 0) {
      file = match.file;
      break;
    }
  }
  if (file.empty()) file = BestMatch("sans-serif").file;
  // Nothing else asks fontconfig anything, so its caches can go.
  FcFini();
  return file;
}

}  // namespace sdl
