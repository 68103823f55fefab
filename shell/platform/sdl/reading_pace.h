#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace sdl {

// How far the sound server's reading place may be ahead of our estimate of
// it: the place of its latest report, moved on at the stream's rate since.
//
// PipeWire reads a whole period of its graph at once, at the period's start,
// so its place runs ahead of an even reader's by anything up to that period,
// and a report catches it at any point of one. Each report's place less the
// stream time of its moment is the server's offset then; the spread of the
// offsets over the last second or so is how far the estimate from one
// report can fall behind the place. A sound that starts must be placed
// beyond it, or its first samples land where the server has already read
// and are never heard.
class ReadingPace {
 public:
  // Reports kept: 1.3 s of them at our tick.
  static constexpr size_t kWindow = 256;
  // Until this many reports have shown the server's habit, the spread is
  // taken to be at least kAssumedFrames: two of PipeWire's periods at the
  // size we ask of it.
  static constexpr size_t kLearnedAfter = 32;
  static constexpr uint32_t kAssumedFrames = 256;
  // At most half the server's queue: a sound placed further on would be
  // heard late.
  static constexpr uint32_t kMostFrames = 1024;

  ReadingPace(uint32_t bytesPerFrame, uint32_t framesPerSecond)
      : bytesPerFrame_(bytesPerFrame), framesPerSecond_(framesPerSecond) {}

  // A new stream: nothing seen yet.
  void Reset() { count_ = 0; }
  // A report: the stream's read index in bytes, current at `time` (µs).
  // The same report seen again, or an older one, is ignored.
  void Note(int64_t readIndex, uint64_t time);
  uint32_t AheadFrames() const;

 private:
  uint32_t bytesPerFrame_;
  uint32_t framesPerSecond_;
  std::array<int64_t, kWindow> offsets_{};
  size_t count_ = 0;
  uint64_t firstTime_ = 0;
  uint64_t lastTime_ = 0;
};

}  // namespace sdl
