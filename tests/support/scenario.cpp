#include "tests/support/scenario.h"

#include "shell/main_window.h"
#include "shell/product.h"
#include "shell/program_state.h"
#include "shell/startup.h"

namespace test {

sim::Config Config() { return {.programFolder = GRUMBOSH_PROGRAM_FOLDER}; }

sim::Outcome RunProgram(sim::Machine& machine, const std::function<void()>& afterStartup) {
  ResetModuleState();
  if (!afterStartup) return machine.Run(Main, kProductTitle);
  return machine.Run(
      [&] {
        ShowMainWindow();
        OpenDevices();
        afterStartup();
      },
      kProductTitle);
}

// The block of an attack at `pan` (Left Shift, Up arrow, Right Shift) and the
// counter-punch to the next side round (Right arrow, Left arrow, Space).
static uint8_t BlockKey(int32_t pan) { return pan < 0 ? 0x2A : pan == 0 ? 0xC8 : 0x36; }
static uint8_t CounterKey(int32_t pan) { return pan < 0 ? 0xCD : pan == 0 ? 0xCB : 0x39; }

void Player(sim::Machine& machine, std::string script) {
  machine.OnPlay([script = std::move(script), next = size_t{0}, attack = int32_t{0}](
                     sim::Machine& m, const sim::PlayEvent& play) mutable {
    const char move = next < script.size() ? script[next] : ' ';
    const uint64_t at = play.startUs + Ms(150);
    if (play.file == "sounds/intro.wav") {
      m.PressKey(at, 0x39, Ms(40));
    } else if (play.file == "sounds/swing.wav") {
      ++next;
      attack = play.pan;
      const uint8_t key = move == 'e' ? 0x01 : move == 'w' ? BlockKey(attack) : CounterKey(attack);
      m.PressKey(at, key, move == 'e' ? Ms(20000) : Ms(40));
    } else if (play.file == "sounds/block.wav") {
      m.PressKey(at, CounterKey(attack), Ms(40));
    } else if (play.file == "sounds/playagain.wav") {
      ++next;
      if (move != '-') m.PressKey(play.endUs + Ms(150), move == 'Y' ? 0x15 : 0x31, Ms(40));
    }
  });
}

std::string Transcript(const sim::Machine& machine, size_t from) {
  const std::vector<sim::Call>& log = machine.Log();
  std::string words;
  for (size_t i = from; i < log.size(); ++i) {
    const sim::Call& call = log[i];
    std::string word;
    if (call.play >= 0) {
      const sim::PlayEvent& play = machine.Plays()[static_cast<size_t>(call.play)];
      const uint64_t next = i + 1 < log.size() ? log[i + 1].timeUs : machine.NowUs();
      const bool whole = play.endUs == play.startUs + play.lengthUs - play.fromUs && play.endUs <= next;
      word = play.file + (play.pan != 0 ? "@" + std::to_string(play.pan) : "") +
             (play.volume != 0 ? "~" + std::to_string(play.volume) : "") + (play.fromUs > 0 ? "+" : "") +
             (play.looping ? "*"
              : whole      ? ""
                           : "!");
    } else if (call.op == "SetVolume" && !call.detail.ends_with(" 0")) {
      word = "~" + call.detail.substr(call.detail.rfind(' ') + 1);
    } else if (call.op == "Stop") {
      word = "stop";
    } else if (call.op == "SetControlText") {
      word = call.detail;
    } else if (call.op == "Randomize") {
      word = "seed";
    } else if (call.op == "EndProgram") {
      word = "end" + call.detail;
    } else {
      continue;
    }
    words += (words.empty() ? "" : " ") + word;
  }
  return words;
}

std::string Calls(const sim::Machine& machine) {
  std::string words;
  for (const sim::Call& call : machine.Log()) words += (words.empty() ? "" : " ") + call.op + "(" + call.detail + ")";
  return words;
}

}  // namespace test
