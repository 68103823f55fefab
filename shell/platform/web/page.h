// What the web backend asks of the page around the game (page/page.js): the
// only place where C++ calls JavaScript.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace web {

// Written by the page's event handlers while the game yields, read by the
// game's polls: a key's byte is 0x80 while the game area has the key down.
struct PageInput {
  std::array<uint8_t, 256> keys{};  // by DirectInput key code
  uint32_t focused = 0;             // the page is shown and its window has the focus
  uint32_t focusLosses = 0;         // times it has lost them
};

PageInput& Input();

// Gives the page the key table and where to write the input.
void AttachPage();

// Lets the browser run its pending tasks (events, rendering) and comes back
// at the next task: the game's "process pending messages".
void YieldToBrowser();

// Milliseconds since the page was opened, fractional.
double PageMilliseconds();

void ShowTitle(const std::string& title);
void LabelField(const std::string& field, const std::string& label);
void SetField(const std::string& field, const std::string& text);

void OpenMessage(const std::string& text, const std::string& caption);
bool MessageOpen();

// Whether the start gesture made an audio output; its clock in frames.
bool AudioOutputExists();
uint64_t AudioOutputFrame();
// Hands `frames` interleaved 16-bit stereo frames to the output, to be played
// from its frame `firstFrame` on.
void PostAudio(const int16_t* samples, uint32_t frames, uint64_t firstFrame);

// The game is over: the page says so and plays nothing more.
void ShowEnded(int exitStatus);

}  // namespace web
