// A scripted player for whole games on the simulated machine: it listens to
// what is played and answers with keys, as a person at the keyboard would.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "shell/platform/sim/machine.h"

namespace test {

struct PlayerPlan {
  uint64_t reactionUs = 150'000;
  uint64_t holdUs = 40'000;
  // Whether to block the n-th attack of the whole run (counted from 1); an
  // attack not blocked gets a press of a wrong side.
  std::function<bool(int attack)> blocks = [](int) { return true; };
  // The n-th attack answered with Escape instead (0: never).
  int escapeAtAttack = 0;
  // Answers to the play-again questions, in order: 'Y' or 'N'; after the
  // last one, N.
  std::string answers;
  bool skipIntroduction = true;
};

class Player {
 public:
  Player(sim::Machine& machine, PlayerPlan plan);

  int Attacks() const { return attacks_; }
  // The pan of every attack heard, in order.
  const std::vector<int32_t>& AttackPans() const { return attackPans_; }

 private:
  void Hear(sim::Machine& machine, const sim::PlayEvent& play);

  PlayerPlan plan_;
  int attacks_ = 0;
  int questions_ = 0;
  int32_t attackPan_ = 0;
  std::vector<int32_t> attackPans_;
};

uint8_t KeyFor(int32_t pan);

}  // namespace test
