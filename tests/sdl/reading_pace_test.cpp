// How far ahead of our estimate a sound server reads, learned from its reports.
#include "shell/platform/sdl/reading_pace.h"

#include <gtest/gtest.h>

#include <cstdint>

using sdl::ReadingPace;

namespace {

constexpr uint32_t kBytes = 4;
constexpr uint32_t kRate = 22050;
// Reports carry the wall clock, in µs since the epoch.
constexpr uint64_t kEpoch = 1'796'000'000'000'000;

// A server that reads `block` frames at a time at the stream's rate, asked
// where it reads every `every` µs (a pace that falls on every phase of the
// blocks), `count` times from `from` µs on; `offset` frames ahead of time.
void Report(ReadingPace& pace, uint64_t block, uint64_t from, int count, int64_t offset = 0,
            uint64_t every = 5'003) {
  for (int i = 0; i < count; ++i) {
    const uint64_t time = from + every * static_cast<uint64_t>(i);
    const auto frames = static_cast<int64_t>((time - kEpoch) * kRate / 1'000'000 / block * block);
    pace.Note((frames + offset) * kBytes, time);
  }
}

TEST(ReadingPace, LearnsHowFarABlockReaderRunsAheadOfAnEvenEstimate) {
  ReadingPace pace(kBytes, kRate);
  EXPECT_EQ(pace.AheadFrames(), ReadingPace::kAssumedFrames);
  // Too few reports to tell an even reader: the assumption holds.
  Report(pace, 1, kEpoch + 1'000'000, ReadingPace::kLearnedAfter - 1);
  EXPECT_EQ(pace.AheadFrames(), ReadingPace::kAssumedFrames);
  Report(pace, 1, kEpoch + 2'000'000, ReadingPace::kWindow);
  EXPECT_LE(pace.AheadFrames(), 1u);

  // PipeWire at the period we ask for: up to a block ahead.
  Report(pace, 128, kEpoch + 4'000'000, ReadingPace::kWindow);
  EXPECT_GE(pace.AheadFrames(), 120u);
  EXPECT_LE(pace.AheadFrames(), 128u);
  // A larger period is learned at once, within bounds.
  Report(pace, 512, kEpoch + 6'000'000, 20);
  EXPECT_GE(pace.AheadFrames(), 480u);
  Report(pace, 4096, kEpoch + 7'000'000, 20);
  EXPECT_EQ(pace.AheadFrames(), ReadingPace::kMostFrames);

  // Back to an even reader: the blocks are forgotten once out of the window.
  Report(pace, 1, kEpoch + 8'000'000, ReadingPace::kWindow - 1);
  EXPECT_GT(pace.AheadFrames(), 100u);
  Report(pace, 1, kEpoch + 10'000'000, 1);
  EXPECT_LE(pace.AheadFrames(), 1u);

  // A new stream, whose index starts again from 0, is learned afresh.
  pace.Reset();
  EXPECT_EQ(pace.AheadFrames(), ReadingPace::kAssumedFrames);
  Report(pace, 1, kEpoch + 20'000'000, ReadingPace::kLearnedAfter, -441'000);
  EXPECT_LE(pace.AheadFrames(), 1u);
}

TEST(ReadingPace, IgnoresRepeatedAndOlderReports) {
  ReadingPace pace(kBytes, kRate);
  Report(pace, 1, kEpoch + 1'000'000, ReadingPace::kLearnedAfter);
  ASSERT_LE(pace.AheadFrames(), 1u);
  const uint64_t last = kEpoch + 1'000'000 + 5'003 * (ReadingPace::kLearnedAfter - 1);
  // The same moment again with another place, and an older moment: were they
  // taken, the offsets would spread by 300 frames.
  pace.Note(int64_t{300} * kBytes, last);
  pace.Note(int64_t{-300} * kBytes, last - 5'003);
  EXPECT_LE(pace.AheadFrames(), 1u);
}

}  // namespace
