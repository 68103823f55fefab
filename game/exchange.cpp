#include "game/exchange.h"

#include <cstdint>

#include "game/main_game.h"
#include "input/key_codes.h"
#include "input/keyboard.h"
#include "game/arithmetic.h"
#include "game/direction.h"
#include "sound/sound_files.h"
#include "sound/sound_playback.h"

namespace {

// Milliseconds from `start` to `now` on the 32-bit tick count. Taken modulo
// 2^32, so that a window spanning the count's passage through 2^31 (where the
// signed reading jumps from +2147483647 to -2147483648) or its wrap to 0 after
// 49.7 days still measures its true length instead of overflowing.
int32_t TicksSince(int32_t start, uint32_t now) {
  return static_cast<int32_t>(now - static_cast<uint32_t>(start));
}

// 2 x r rounded half to even: r up to 0.25 is left, up to but not including
// 0.75 the centre, from 0.75 on the right; the centre comes twice as often.
Direction DrawAttackDirection() {
  platform::Randomize();
  const float r = platform::Rnd();
  return static_cast<Direction>(ConvertRounded<uint8_t>(2.0 * static_cast<double>(r)));
}

// One reaction window, the same for the block and the counter-punch. The
// choice keeps the direction of the last press taken; without a press it
// stays left.
void RunWindow(uint8_t& choice) {
  Elapsed = 0;
  bool pressed = false;
  TickStart = static_cast<int32_t>(platform::GetTickCount());
  for (;;) {
    Elapsed = TicksSince(TickStart, platform::GetTickCount());
    PollKeyboard();
    platform::DoEvents();
    // Nothing latches Escape, so holding it at any pass leaves the exchange,
    // and still held at the question it answers no. KEPT_ESCAPE_HELD_ENDS
    if (KeyDown(DIK_ESCAPE) && KeyLatch[DIK_ESCAPE] == 0) PlayAgainPrompt();
    // Every free direction key down in this pass is taken; the last one in
    // the table's order decides the choice. KEPT_LATER_KEY_WINS
    for (const DirectionKey& key : kDirectionKeys) {
      // A key held on from the block is still latched. KEPT_HELD_KEY_TAKEN_ONCE
      if (KeyDown(key.code) && KeyLatch[key.code] == 0) {
        KeyLatch[key.code] = -1;
        choice = key.direction;
        pressed = true;
      }
    }
    // A press seen in the pass that runs out the window still counts.
    // KEPT_PRESS_IN_CLOSING_PASS
    if (Elapsed > CheckedSubtract16(1000, Agility)) break;
    if (pressed) break;
  }
}

}  // namespace

bool Exchange() {
  const Direction attack = DrawAttackDirection();
  // Without a press the choice stays left. KEPT_NO_KEY_IS_LEFT
  uint8_t blockChoice = kLeft;
  uint8_t counterChoice = kLeft;

  // Neither the swing nor the block is waited for: the player may answer
  // while it is still heard.
  SwingBuffer->SetPan(kDirectionPan[attack]);
  SwingBuffer->Play(platform::kPlayOnce);
  RunWindow(blockChoice);
  if (blockChoice != attack) return false;

  BlockBuffer->SetPan(kDirectionPan[blockChoice]);
  BlockBuffer->Play(platform::kPlayOnce);
  RunWindow(counterChoice);
  if (counterChoice == attack) return false;

  // PlaySound reports its own failure; the punch was landed. KEPT_UNPLAYABLE_PUNCH_WINS
  PlaySound(sound_file::kPunch, kDirectionPan[counterChoice], true);
  return true;
}
