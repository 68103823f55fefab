#include "tests/support/player.h"

#include "input/key_codes.h"

namespace test {

uint8_t KeyFor(int32_t pan) {
  if (pan < 0) return DIK_LEFT;
  if (pan > 0) return DIK_RIGHT;
  return DIK_SPACE;
}

namespace {

// A side other than the attack's, for a counter-punch that lands or a block
// that misses.
int32_t OtherSide(int32_t pan) { return pan == 0 ? 10000 : 0; }

}  // namespace

Player::Player(sim::Machine& machine, PlayerPlan plan) : plan_(std::move(plan)) {
  machine.OnPlay([this](sim::Machine& m, const sim::PlayEvent& play) { Hear(m, play); });
}

void Player::Hear(sim::Machine& machine, const sim::PlayEvent& play) {
  const uint64_t answerAt = play.startUs + plan_.reactionUs;
  if (play.file == "sounds/intro.wav") {
    if (plan_.skipIntroduction) machine.PressKey(answerAt, DIK_SPACE, plan_.holdUs);
  } else if (play.file == "sounds/swing.wav") {
    ++attacks_;
    attackPan_ = play.pan;
    attackPans_.push_back(play.pan);
    if (attacks_ == plan_.escapeAtAttack) {
      machine.PressKey(answerAt, DIK_ESCAPE, plan_.holdUs);
    } else if (plan_.blocks(attacks_)) {
      machine.PressKey(answerAt, KeyFor(play.pan), plan_.holdUs);
    } else {
      machine.PressKey(answerAt, KeyFor(OtherSide(play.pan)), plan_.holdUs);
    }
  } else if (play.file == "sounds/block.wav") {
    machine.PressKey(answerAt, KeyFor(OtherSide(attackPan_)), plan_.holdUs);
  } else if (play.file == "sounds/playagain.wav") {
    const size_t question = static_cast<size_t>(questions_++);
    const char answer = question < plan_.answers.size() ? plan_.answers[question] : 'N';
    // Answer once the question has been heard to its end.
    machine.PressKey(play.endUs + plan_.reactionUs, answer == 'Y' ? DIK_Y : DIK_N, plan_.holdUs);
  }
}

}  // namespace test
