// Whole games: rounds of exchanges, the score and the opponent's agility, the
// knock-out, the summary, and the question whether to play again.
#pragma once

#include <cstdint>
#include <memory>

#include "shell/platform/platform.h"

// The resident sounds, loaded at start-up.
extern std::shared_ptr<platform::SoundBuffer> MusicBuffer;
extern std::shared_ptr<platform::SoundBuffer> BlockBuffer;
extern std::shared_ptr<platform::SoundBuffer> SwingBuffer;

// The tick count read as a reaction window opens, and the milliseconds since
// then; written and read by the exchange alone.
extern int32_t TickStart;
extern int32_t Elapsed;

// The opponent's speed, 0 to 800 in steps of 50: each reaction window lasts
// 1000 - Agility milliseconds.
extern int16_t Agility;
extern int32_t Score;

// Starts a game. Never returns: a game started from inside the question of the
// previous one abandons that game, whose calls are left without running any
// further step of it.
[[noreturn]] void NewGame();
// The rounds of one game and the summary at its end.
[[noreturn]] void PlayRounds();
// The play-again question: ends the program or starts a new game.
[[noreturn]] void PlayAgainPrompt();
