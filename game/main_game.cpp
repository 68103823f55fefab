#include "game/main_game.h"

#include <string>

#include "game/exchange.h"
#include "input/key_codes.h"
#include "input/keyboard.h"
#include "game/arithmetic.h"
#include "shell/main_window.h"
#include "shell/program_state.h"
#include "sound/number_speech.h"
#include "sound/sound_files.h"
#include "sound/sound_playback.h"

PROGRAM_STATE(MusicBuffer, std::shared_ptr<platform::SoundBuffer>);
PROGRAM_STATE(BlockBuffer, std::shared_ptr<platform::SoundBuffer>);
PROGRAM_STATE(SwingBuffer, std::shared_ptr<platform::SoundBuffer>);
PROGRAM_STATE(TickStart, int32_t);
PROGRAM_STATE(Elapsed, int32_t);
PROGRAM_STATE(Agility, int16_t);
PROGRAM_STATE(Score, int32_t);

namespace {

constexpr int32_t kCentrePan = 0;
constexpr int16_t kAgilityStep = 50;
constexpr int16_t kTopAgility = 800;
constexpr int32_t kExchangePoints = 250;
constexpr int32_t kKnockOutPoints = 1000;
constexpr int16_t kRoundsOfGrowingLength = 10;  // from round 10 on, every round has 19 exchanges

constexpr int32_t kMusicStartVolume = -10000;
constexpr int32_t kMusicVolume = -400;

// Every recording of the game flow is heard at the centre, to its end.
void Say(const char* file) { PlaySound(file, kCentrePan, true); }

// Thrown by NewGame when a game is already running: it unwinds the abandoned
// game's calls (the question, and the exchange or rounds that called it) back
// to the loop in NewGame, which starts the new game there. Nothing on the way
// catches it, so no step of the abandoned game runs again, and each game
// starts at the same depth of the stack however many came before it.
struct AbandonedGame {};
PROGRAM_STATE(gameRunning, bool);

void StartGame() {
  MusicBuffer->SetVolume(kMusicStartVolume);
  // Never rewound: it goes on from where the last game stopped it. KEPT_MUSIC_NEVER_REWOUND
  MusicBuffer->Play(platform::kPlayLooping);
  MusicBuffer->SetVolume(kMusicVolume);
  Agility = 0;
  Score = 0;
  SetTextBoxText(TextBox::txtRound, "");
  SetTextBoxText(TextBox::txtScore, "");
  SetTextBoxText(TextBox::txtAgility, "");
  PlayRounds();
}

uint8_t ChooseTaunt(uint8_t previous) {
  platform::Randomize();
  uint8_t taunt;
  do {
    taunt = WholePart<uint8_t>(6.0 * static_cast<double>(platform::Rnd()));
  } while (taunt == previous);
  return taunt;
}

}  // namespace

void NewGame() {
  if (gameRunning) throw AbandonedGame{};
  gameRunning = true;
  for (;;) {
    try {
      StartGame();
    } catch (const AbandonedGame&) {
      // The question asked for a new game; start it from here.
    }
  }
}

void PlayRounds() {
  int32_t round = 0;
  int16_t attackBound = 0;
  // Starting at 0 means the first round never plays taunt 0. KEPT_FIRST_ROUND_NO_TAUNT_ZERO
  uint8_t tauntIndex = 0;
  bool roundWon = true;

  for (;;) {
    round = CheckedAdd32(round, 1);
    roundWon = true;
    SetTextBoxText(TextBox::txtRound, std::to_string(round));
    if (round < kRoundsOfGrowingLength) attackBound = CheckedMultiply16(2, static_cast<int16_t>(round));
    Say(sound_file::kRound);
    SpeakNumber(round);

    tauntIndex = ChooseTaunt(tauntIndex);
    Say(sound_file::kTaunts[tauntIndex]);

    for (uint8_t exchange = 0; exchange <= attackBound; ++exchange) {
      if (Exchange()) {
        Score = CheckedAdd32(Score, kExchangePoints);  // KEPT_SCORE_OVERFLOW_FATAL
        SetTextBoxText(TextBox::txtScore, std::to_string(Score));
      } else {
        Say(sound_file::kBrokenTooth);
        MusicBuffer->Stop();
        roundWon = false;
        break;
      }
    }
    if (!roundWon) break;

    Say(sound_file::kKnockOut);
    // The bonus counts the agility the round was fought at, before its raise.
    Score = CheckedAdd32(CheckedAdd32(Score, kKnockOutPoints), CheckedMultiply32(10, Agility));
    if (Agility < kTopAgility) Agility = CheckedAdd16(Agility, kAgilityStep);
    SetTextBoxText(TextBox::txtAgility, std::to_string(Agility / 10));
    SetTextBoxText(TextBox::txtScore, std::to_string(Score));
    Say(sound_file::kYourScoreIs);
    SpeakNumber(Score);
  }

  Say(sound_file::kToRound);
  SpeakNumber(round);
  Say(sound_file::kFinalScore);
  SpeakNumber(Score);
  Say(sound_file::kPoints);
  Say(sound_file::kAgility);
  SpeakNumber(Agility / 10);
  PlayAgainPrompt();
}

void PlayAgainPrompt() {
  MusicBuffer->Stop();
  Say(sound_file::kPlayAgain);
  // No latches here: a key counts whenever it is held at a pass, and N and
  // Escape are tested before Y, so holding both ends the program.
  // KEPT_NO_BEFORE_YES
  for (;;) {
    PollKeyboard();
    platform::DoEvents();
    if (KeyDown(DIK_N) || KeyDown(DIK_ESCAPE)) {
      Say(sound_file::kNo);
      Say(sound_file::kSeeYou);
      platform::EndProgram(0);
    }
    if (KeyDown(DIK_Y)) break;
  }
  Say(sound_file::kYes);
  NewGame();
}
