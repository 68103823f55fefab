// How far ahead of the page's audio clock the mixer runs. The page's audio
// output plays what the mixer hands it at the frames it is stamped with, and
// silence where it has nothing; the mixer is driven from the game's loops
// (DoEvents), so what it has not mixed by the time the output gets there is
// lost, and what it mixes far ahead is heard late after a key.
#pragma once

#include <cstdint>

namespace web {

// The audio output renders in quanta of 128 frames (Web Audio's render
// quantum), so blocks of that size cost one message a quantum at most.
inline constexpr uint32_t kQuantumFrames = 128;

// Two quanta (11.6 ms at 22,050 Hz). The game yields to the browser about
// once a millisecond, so a lead of more than one quantum is never run out by
// the game's own passes; two cover the few milliseconds a browser may take
// over a task of its own between two yields. More would be heard: a key that
// stops a sound is heard after the frames already handed over, up to the
// lead and one block, 17.4 ms, inside the 20 ms a player may be kept
// waiting by the page.
inline constexpr uint32_t kLeadFrames = 2 * kQuantumFrames;

struct FeedStep {
  uint64_t skipFrames;  // the output passed them without us: mixed for nothing
  uint64_t firstFrame;  // the output's frame of the first frame to mix now
  uint32_t mixFrames;   // whole quanta, possibly none
};

class AudioFeed {
 public:
  // The output has been playing since the start gesture; the feed begins
  // where it is when the game opens the device, so that none of the first
  // sounds is taken for time the output already passed.
  explicit AudioFeed(uint64_t outputFrame) : next_(outputFrame) {}

  // `outputFrame` is the frame the output is playing now.
  FeedStep Next(uint64_t outputFrame) {
    FeedStep step{0, next_, 0};
    if (next_ < outputFrame) {
      // The page stalled (a tab in the background): the output played
      // silence meanwhile, and every sound's time went on all the same, so
      // that a sound that would have ended has ended.
      step.skipFrames = outputFrame - next_;
      step.firstFrame = next_ = outputFrame;
    }
    while (next_ < outputFrame + kLeadFrames) {
      next_ += kQuantumFrames;
      step.mixFrames += kQuantumFrames;
    }
    return step;
  }

 private:
  uint64_t next_;  // the output's frame of the next frame to mix
};

}  // namespace web
