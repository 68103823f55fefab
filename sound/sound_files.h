// Every sound file the game plays, the one place its name is written. The game
// takes its paths from here; so do tools/make_sounds, which renders each file
// from its line in the manifest (named by the first column below), and
// tools/check_sounds.py, which checks each file by its kind:
//   speech  spoken, starting at once and ending soon after its last sound,
//           since numbers are spoken by playing one file after another;
//   fight   an effect that answers a key, short and starting at once;
//   ending  the game's ends of a round, effect and speech together;
//   music   the background loop, without a click at its seam.
// Paths are relative to the program's folder, which LoadSounds makes the
// current directory.
#pragma once

#define GRUMBOSH_SOUND_FILES(SOUND)                          \
  SOUND(Intro, "sounds/intro.wav", speech)                   \
  SOUND(Music, "sounds/pianolp.wav", music)                  \
  SOUND(Swing, "sounds/swing.wav", fight)                    \
  SOUND(Block, "sounds/block.wav", fight)                    \
  SOUND(Punch, "sounds/punch.wav", fight)                    \
  SOUND(Round, "sounds/round.wav", speech)                   \
  SOUND(Taunt0, "sounds/grumbo00.wav", speech)               \
  SOUND(Taunt1, "sounds/grumbo01.wav", speech)               \
  SOUND(Taunt2, "sounds/grumbo02.wav", speech)               \
  SOUND(Taunt3, "sounds/grumbo03.wav", speech)               \
  SOUND(Taunt4, "sounds/grumbo04.wav", speech)               \
  SOUND(Taunt5, "sounds/grumbo05.wav", speech)               \
  SOUND(BrokenTooth, "sounds/BrokToof.wav", ending)          \
  SOUND(KnockOut, "sounds/KnockOut.wav", ending)             \
  SOUND(YourScoreIs, "sounds/ysi.wav", speech)               \
  SOUND(ToRound, "sounds/toround.wav", speech)               \
  SOUND(FinalScore, "sounds/finalscore.wav", speech)         \
  SOUND(Points, "sounds/points.wav", speech)                 \
  SOUND(Agility, "sounds/agility.wav", speech)               \
  SOUND(PlayAgain, "sounds/playagain.wav", speech)           \
  SOUND(Yes, "sounds/yes.wav", speech)                       \
  SOUND(No, "sounds/no.wav", speech)                         \
  SOUND(SeeYou, "sounds/seeya.wav", speech)                  \
  SOUND(Zero, "sounds/numbers/zero.wav", speech)             \
  SOUND(One, "sounds/numbers/1.wav", speech)                 \
  SOUND(Two, "sounds/numbers/2.wav", speech)                 \
  SOUND(Three, "sounds/numbers/3.wav", speech)               \
  SOUND(Four, "sounds/numbers/4.wav", speech)                \
  SOUND(Five, "sounds/numbers/5.wav", speech)                \
  SOUND(Six, "sounds/numbers/6.wav", speech)                 \
  SOUND(Seven, "sounds/numbers/7.wav", speech)               \
  SOUND(Eight, "sounds/numbers/8.wav", speech)               \
  SOUND(Nine, "sounds/numbers/9.wav", speech)                \
  SOUND(Ten, "sounds/numbers/10.wav", speech)                \
  SOUND(Eleven, "sounds/numbers/11.wav", speech)             \
  SOUND(Twelve, "sounds/numbers/12.wav", speech)             \
  SOUND(Thirteen, "sounds/numbers/13.wav", speech)           \
  SOUND(Fourteen, "sounds/numbers/14.wav", speech)           \
  SOUND(Fifteen, "sounds/numbers/15.wav", speech)            \
  SOUND(Sixteen, "sounds/numbers/16.wav", speech)            \
  SOUND(Seventeen, "sounds/numbers/17.wav", speech)          \
  SOUND(Eighteen, "sounds/numbers/18.wav", speech)           \
  SOUND(Nineteen, "sounds/numbers/19.wav", speech)           \
  SOUND(Twenty, "sounds/numbers/20.wav", speech)             \
  SOUND(Thirty, "sounds/numbers/30.wav", speech)             \
  SOUND(Forty, "sounds/numbers/40.wav", speech)              \
  SOUND(Fifty, "sounds/numbers/50.wav", speech)              \
  SOUND(Sixty, "sounds/numbers/60.wav", speech)              \
  SOUND(Seventy, "sounds/numbers/70.wav", speech)            \
  SOUND(Eighty, "sounds/numbers/80.wav", speech)             \
  SOUND(Ninety, "sounds/numbers/90.wav", speech)             \
  SOUND(Hundred, "sounds/numbers/hundred.wav", speech)       \
  SOUND(Thousand, "sounds/numbers/thousand.wav", speech)     \
  SOUND(Million, "sounds/numbers/million.wav", speech)

namespace sound_file {

#define GRUMBOSH_SOUND_FILE_PATH(name, path, kind) inline constexpr const char* k##name = path;
GRUMBOSH_SOUND_FILES(GRUMBOSH_SOUND_FILE_PATH)
#undef GRUMBOSH_SOUND_FILE_PATH

// A taunt is drawn by its number.
inline constexpr const char* kTaunts[6] = {kTaunt0, kTaunt1, kTaunt2, kTaunt3, kTaunt4, kTaunt5};

// Digits, teens and tens are found by the digits of the number spoken, in
// the folder of the number recordings.
inline constexpr const char* kNumbersFolder = "sounds/numbers/";

}  // namespace sound_file
