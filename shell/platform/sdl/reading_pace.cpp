#include "shell/platform/sdl/reading_pace.h"

#include <algorithm>

namespace sdl {

void ReadingPace::Note(int64_t readIndex, uint64_t time) {
  if (count_ > 0 && time <= lastTime_) return;
  if (count_ == 0) firstTime_ = time;
  // From the stream's first report: in µs since the epoch the product overflows.
  const auto streamFrames = static_cast<int64_t>((time - firstTime_) * framesPerSecond_ / 1'000'000);
  offsets_[count_ % kWindow] = readIndex / bytesPerFrame_ - streamFrames;
  ++count_;
  lastTime_ = time;
}

uint32_t ReadingPace::AheadFrames() const {
  const size_t kept = std::min(count_, kWindow);
  int64_t spread = 0;
  if (kept > 0) {
    const auto [least, most] = std::minmax_element(offsets_.begin(), offsets_.begin() + static_cast<ptrdiff_t>(kept));
    spread = *most - *least;
  }
  if (count_ < kLearnedAfter) spread = std::max<int64_t>(spread, kAssumedFrames);
  return static_cast<uint32_t>(std::min<int64_t>(spread, kMostFrames));
}

}  // namespace sdl
