#include "shell/program_state.h"

#include "game/main_game.h"
#include "input/keyboard.h"
#include "shell/devices.h"
#include "sound/sound_playback.h"

void ResetModuleState() {
  ResetGameState();
  ResetKeyboardState();
  ResetSoundState();
  DirectXRoot.reset();
}
