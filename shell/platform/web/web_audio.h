// The sound device of the web backend: the shared mixer, fed to the page's
// audio output from the game's own loops.
#pragma once

#include <memory>

#include "shell/platform/platform.h"

namespace web {

// Raises kDsErrNoDriver when the page has no audio output (no Web Audio, or
// none could be started), so that the game shows its sound-driver message.
std::shared_ptr<platform::SoundDevice> OpenSoundDevice();

// Mixes what the output will need next, silent while the page is hidden or
// its window has not the focus. Cheap when nothing is due; called before
// every yield to the browser.
void FeedAudio();

}  // namespace web
