// Running the real program, or a part of it, on the simulated machine; a
// player who answers what he hears; and a run as a player hears it and an
// onlooker sees it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "shell/platform/sim/machine.h"

namespace test {

constexpr uint64_t Ms(uint64_t ms) { return ms * 1000; }

// A machine whose program sits beside the built game's sounds.
sim::Config Config();
// The whole program from Main, as a fresh process; or, given `afterStartup`,
// that in a fresh process whose window is shown and whose devices and resident
// sounds are open.
sim::Outcome RunProgram(sim::Machine& machine, const std::function<void()>& afterStartup = nullptr);

// A player who cuts the introduction short with Space, then answers each
// swing and each question with the next letter of `script`: w blocks (Left
// Shift, Up arrow or Right Shift) and counter-punches to the next side round
// (Right arrow, Left arrow or Space), l presses that counter-punch's key
// instead of a block, e holds Escape for 20 seconds; Y or N answers a question
// once it has been heard, - leaves it unanswered. Past the script he loses and
// answers N.
void Player(sim::Machine& machine, std::string script);

// What a run did from the log's entry `from` on, one word an event:
// - a sound started: its file, then "@pan" unless at the centre, "~volume"
//   unless at full volume, "+" unless from the sound's start, "*" when looping,
//   and "!" when it was cut short or still sounded at the program's next call
//   (it was not waited for);
// - "~-400" a volume set below full, "stop" a buffer stopped, "txtScore=250" a
//   text box written, "seed" the random generator reseeded, "end0" the program
//   ended with status 0.
std::string Transcript(const sim::Machine& machine, size_t from = 0);
// Every call logged, in order, as "Op(detail)" words.
std::string Calls(const sim::Machine& machine);

}  // namespace test
