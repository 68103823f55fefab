// Reading RIFF wave files, shared by every backend. The game's own sounds are
// 16-bit mono 22,050 Hz PCM; any other PCM file (8 or 16 bits, mono or stereo,
// any rate) is accepted too, so that a player may put a recording of their own
// in a sound's place. Anything else is a RuntimeError naming the file and what
// is wrong with it. Bad input never crashes, over-reads or allocates beyond
// the file's own size (or, for a sound brought to another rate, beyond
// kMaxSampleBytes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace platform {

struct WaveAudio {
  uint16_t channels = 0;       // 1 or 2
  uint32_t sampleRate = 0;     // frames a second
  uint16_t bitsPerSample = 0;  // 8 (unsigned) or 16 (signed, little-endian)
  std::vector<uint8_t> data;   // the PCM bytes as in the file, whole frames only

  size_t FrameCount() const;
  // Duration in microseconds, rounded down.
  uint64_t DurationMicroseconds() const;
};

// Sample memory that leaves new elements uninitialised: a read overwrites
// them at once, and zeroing them first cost a quarter of the time of reading
// the introduction.
template <class T>
struct UninitialisedAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = UninitialisedAllocator<U>;
  };
  template <class U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};
using Samples = std::vector<int16_t, UninitialisedAllocator<int16_t>>;

// A sound ready to mix: signed 16-bit samples, channels interleaved, at the
// rate it was read for.
struct WaveSamples {
  uint16_t channels = 0;  // 1 or 2
  Samples samples;
};

// Largest file the reader accepts; about 25 minutes of the game's own format.
inline constexpr size_t kMaxWaveFileBytes = 64u * 1024u * 1024u;
// Largest sound once brought to another rate: a file of the largest size at a
// very low rate would become gigabytes; four times the largest file is plenty.
inline constexpr size_t kMaxSampleBytes = 4 * kMaxWaveFileBytes;

// Sample rates accepted, frames a second: what players' recordings use, from
// old telephone-quality files to studio ones.
inline constexpr uint32_t kMinSampleRate = 1000;
inline constexpr uint32_t kMaxSampleRate = 192000;

// Parses a whole file's bytes; `name` only serves the failure's description.
// A file that is not a PCM wave file we can play raises kDsErrBadFormat.
// Never reads outside [bytes, bytes + size) and allocates at most `size`.
WaveAudio ParseWave(const uint8_t* bytes, size_t size, const std::string& name);

// Reads and parses a file. A missing file raises kErrFileNotFound; a folder, a
// pipe or device, or a file that cannot be opened kErrAccessDenied; a read
// that fails kErrFail; a file larger than kMaxWaveFileBytes kErrOutOfMemory
// (before any of it is read); a file that is not a PCM wave file
// kDsErrBadFormat; each with a description that names the file.
WaveAudio ReadWaveFile(const std::string& path);

// Reads a file's samples for playing at `rate` frames a second (one the
// reader accepts). A file in the game's own format at that rate is read
// straight into the samples, with no copy on the way; any other is read as
// ReadWaveFile does and made into samples by ToSamples. Fails as those do,
// naming the file.
WaveSamples ReadWaveSamples(const std::string& path, uint32_t rate);

// The samples of `audio` at `rate` (one the reader accepts): 8-bit ones
// widened, other rates interpolated linearly (a player's recording is speech
// or a noise, for which the aliasing of a linear resampler is inaudible next
// to a click-free and exact length). A sound that would take more than
// kMaxSampleBytes at `rate` raises kErrOutOfMemory naming `name`.
WaveSamples ToSamples(const WaveAudio& audio, uint32_t rate, const std::string& name);

}  // namespace platform
