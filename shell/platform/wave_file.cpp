#include "shell/platform/wave_file.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <system_error>
#include <utility>

#include "shell/platform/platform.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;

// The tail of every format GUID; the first two bytes carry the format tag.
constexpr uint8_t kGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                   0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t Read32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool IdIs(const uint8_t* p, const char* id) {
  return p[0] == id[0] && p[1] == id[1] && p[2] == id[2] && p[3] == id[3];
}

[[noreturn]] void Fail(int32_t number, const std::string& name, const std::string& what) {
  throw RuntimeError(number, name + " " + what);
}

[[noreturn]] void BadFormat(const std::string& name, const std::string& what) {
  Fail(kDsErrBadFormat, name, what);
}

// Reads the fmt chunk's body (all of it present, at least 16 bytes) into the
// fields of `audio`, or names what the player's file has that we cannot play.
void ParseFormat(const uint8_t* body, uint32_t size, const std::string& name, WaveAudio& audio) {
  uint16_t tag = Read16(body);
  const uint16_t channels = Read16(body + 2);
  const uint32_t rate = Read32(body + 4);
  // The average bytes a second (body + 8) is ignored: many writers get it
  // wrong, and nothing is played by it.
  const uint16_t blockAlign = Read16(body + 12);
  const uint16_t bits = Read16(body + 14);

  if (tag == kFormatExtensible) {
    if (size < 40 || Read16(body + 16) < 22)
      BadFormat(name, "is damaged: its extensible fmt chunk is too short");
    const uint16_t validBits = Read16(body + 18);
    const uint8_t* guid = body + 24;
    bool knownGuid = true;
    for (int i = 0; i < 14; ++i) knownGuid = knownGuid && guid[2 + i] == kGuidTail[i];
    if (!knownGuid) BadFormat(name, "is compressed (an unknown extensible sub-format); only PCM is played");
    tag = Read16(guid);
    if (tag == kFormatPcm) {
      // Fewer valid bits than the container holds are padded with zeros at
      // the bottom, so playing the whole container is right.
      if (validBits == 0 || validBits > bits)
        BadFormat(name, "is damaged: " + std::to_string(validBits) + " valid bits in a " +
                            std::to_string(bits) + "-bit sample");
    }
  }
  if (tag == kFormatFloat) BadFormat(name, "has floating-point samples (format 3); only PCM is played");
  if (tag != kFormatPcm)
    BadFormat(name, "is compressed (format " + std::to_string(tag) + "); only PCM is played");
  if (channels == 0) BadFormat(name, "has no channels");
  if (channels > 2)
    BadFormat(name, "has " + std::to_string(channels) + " channels; only mono and stereo are played");
  if (bits != 8 && bits != 16)
    BadFormat(name, "has " + std::to_string(bits) + "-bit samples; only 8 and 16 bits are played");
  if (rate < kMinSampleRate || rate > kMaxSampleRate)
    BadFormat(name, "has a sample rate of " + std::to_string(rate) + " Hz; only " +
                        std::to_string(kMinSampleRate) + " to " + std::to_string(kMaxSampleRate) +
                        " Hz are played");
  const uint32_t frameBytes = channels * bits / 8u;
  if (blockAlign != frameBytes)
    BadFormat(name, "is damaged: a block align of " + std::to_string(blockAlign) + " for " +
                        std::to_string(channels) + " channel(s) of " + std::to_string(bits) +
                        " bits (" + std::to_string(frameBytes) + " expected)");
  audio.channels = channels;
  audio.sampleRate = rate;
  audio.bitsPerSample = bits;
}

// Where a file's sound lies, found by walking its chunks.
struct Layout {
  WaveAudio format;      // without its data
  uint64_t dataOffset = 0;
  size_t dataBytes = 0;  // whole frames only
};

// The `n` bytes of the file from `offset` (both inside the file). A pointer
// stays valid only until the next call.
using Fetch = std::function<const uint8_t*(uint64_t offset, size_t n)>;

// After a data chunk that declares 0 bytes come either further chunks (it is
// truly empty) or its samples: a writer that streams leaves the size at 0
// when it cannot go back to set it. Samples almost never read as a row of
// chunks with printable names that ends exactly at the end of the file.
bool ChunksFollow(const Fetch& at, uint64_t pos, uint64_t size) {
  while (pos < size) {
    if (size - pos < 8) return false;
    const uint8_t* header = at(pos, 8);
    if (!std::all_of(header, header + 4, [](uint8_t c) { return c >= 0x20 && c <= 0x7E; })) return false;
    const uint32_t chunkSize = Read32(header + 4);
    if (chunkSize > size - pos - 8) return false;
    // The last chunk's pad byte may be missing.
    pos += 8 + uint64_t{chunkSize} + (chunkSize & 1u);
  }
  return true;
}

Layout Locate(uint64_t size, const std::string& name, const Fetch& at) {
  if (size == 0) BadFormat(name, "is not a wave file: it is empty");
  const uint8_t* head = at(0, static_cast<size_t>(std::min<uint64_t>(size, 12)));
  if (size >= 4 && IdIs(head, "RIFX"))
    BadFormat(name, "is a big-endian wave file (RIFX); only little-endian files are played");
  if (size < 12 || !IdIs(head, "RIFF")) BadFormat(name, "is not a wave file: no RIFF header");
  if (!IdIs(head + 8, "WAVE")) BadFormat(name, "is not a wave file: the RIFF form is not WAVE");

  // The RIFF size is not trusted: writers that stream leave it too large, or
  // zero, so the chunks are walked to the end of the bytes actually present.
  Layout layout;
  bool haveFormat = false;
  std::optional<std::pair<uint64_t, uint64_t>> data;  // offset and bytes present
  uint64_t pos = 12;
  // A last chunk header cut short (fewer than 8 bytes) is trailing junk left
  // by some editors; it is ignored.
  while (size - pos >= 8) {
    const uint8_t* header = at(pos, 8);
    const uint32_t chunkSize = Read32(header + 4);
    const bool isFormat = IdIs(header, "fmt "), isData = IdIs(header, "data");
    const uint64_t body = pos + 8;
    const uint64_t present = size - body;
    if (isFormat) {
      if (haveFormat) BadFormat(name, "is damaged: it has two fmt chunks");
      if (chunkSize > present) BadFormat(name, "is damaged: its fmt chunk runs past the end of the file");
      if (chunkSize < 16)
        BadFormat(name, "is damaged: its fmt chunk is too short (" + std::to_string(chunkSize) + " bytes)");
      ParseFormat(at(body, chunkSize), chunkSize, name, layout.format);
      haveFormat = true;
    } else if (isData) {
      if (data) BadFormat(name, "is damaged: it has two data chunks");
      // A streaming writer that never came back to set the size leaves 0
      // (its samples run to the end of the file) or the largest size; and a
      // data chunk cut short is common (a recording stopped early): what is
      // there is played.
      if (chunkSize == 0 && !ChunksFollow(at, body, size)) {
        data.emplace(body, present);
        break;
      }
      data.emplace(body, std::min<uint64_t>(chunkSize, present));
    }
    // Chunks of odd size are followed by one pad byte.
    pos = body + chunkSize + (chunkSize & 1u);
    if (pos > size) break;
  }
  // A data chunk before the fmt chunk is out of the usual order but tells
  // nothing doubtful, and some editors write it so; since the whole file is
  // walked first, it is played like any other.
  if (!haveFormat) BadFormat(name, "is damaged: it has no fmt chunk");
  if (!data) BadFormat(name, "is damaged: it has no data chunk");

  // An empty data chunk is a legal silent sound: a player who blanks out a
  // sound they dislike expects to hear nothing, not an error box. Its buffer
  // finishes as soon as it is played. A partial last frame is dropped.
  const uint64_t frameBytes = uint64_t{layout.format.channels} * layout.format.bitsPerSample / 8u;
  layout.dataOffset = data->first;
  layout.dataBytes = static_cast<size_t>(data->second - data->second % frameBytes);
  return layout;
}

// An open wave file: its size, and a window of its bytes through which its
// chunks are walked. The samples themselves are read past the window, straight
// to where they are kept.
class WaveFile {
 public:
  explicit WaveFile(const std::string& path) : path_(path) {
#if defined(_WIN32)
    namespace fs = std::filesystem;
    const fs::path file(path);
    std::error_code error;
    const fs::file_status status = fs::status(file, error);
    if (status.type() == fs::file_type::not_found) Fail(kErrFileNotFound, path, "was not found");
    if (error) Fail(kErrAccessDenied, path, "cannot be read: " + error.message());
    if (status.type() == fs::file_type::directory) Fail(kErrAccessDenied, path, "is a folder, not a wave file");
    // A pipe or a device could block the game forever or never end.
    if (status.type() != fs::file_type::regular) Fail(kErrAccessDenied, path, "is not an ordinary file");
    file_.reset(_wfopen(file.c_str(), L"rb"));
    if (!file_) Fail(kErrAccessDenied, path, "cannot be opened");
    // Every read goes straight to its destination, without the library's
    // buffer in between.
    std::setvbuf(file_.get(), nullptr, _IONBF, 0);
    // The size of the file opened, found without a second look-up of its name
    // (Windows' long has 32 bits).
    const int64_t length = _fseeki64(file_.get(), 0, SEEK_END) == 0 ? _ftelli64(file_.get()) : -1;
    if (length < 0) Fail(kErrFail, path, "cannot be read");
    size_ = position_ = static_cast<uint64_t>(length);
#else
    // One open and one look at what was opened: a sound is read at every
    // play, and each system call counts against SDL_LoadWAV's time. Opened
    // without waiting, so that a pipe cannot hold the game up before it is
    // seen to be one.
    file_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file_ < 0) {
      const int cause = errno;
      if (cause == ENOENT || cause == ENOTDIR) Fail(kErrFileNotFound, path, "was not found");
      if (cause == EACCES) Fail(kErrAccessDenied, path, "cannot be opened");
      Fail(kErrAccessDenied, path, std::string("cannot be read: ") + std::strerror(cause));
    }
    struct stat status {};
    if (::fstat(file_, &status) != 0) Fail(kErrFail, path, "cannot be read");
    if (S_ISDIR(status.st_mode)) Fail(kErrAccessDenied, path, "is a folder, not a wave file");
    // A pipe or a device could block the game forever or never end.
    if (!S_ISREG(status.st_mode)) Fail(kErrAccessDenied, path, "is not an ordinary file");
    size_ = static_cast<uint64_t>(status.st_size);
#endif
    if (size_ > kMaxWaveFileBytes)
      Fail(kErrOutOfMemory, path, "is too large to play (" + std::to_string(size_) + " bytes; at most " +
                                      std::to_string(kMaxWaveFileBytes) + ")");
  }
#if !defined(_WIN32)
  ~WaveFile() { ::close(file_); }
  WaveFile(const WaveFile&) = delete;
  WaveFile& operator=(const WaveFile&) = delete;
#endif

  Layout Locate() {
    return platform::Locate(size_, path_, [this](uint64_t offset, size_t n) { return At(offset, n); });
  }

  // Reads the `n` bytes from `offset` into `out`. A file that shrank since it
  // was opened cannot be read.
  void Read(uint64_t offset, size_t n, uint8_t* out) {
    // What the window already holds (the start of the samples, after the
    // chunk headers) is copied; the rest is read in one go.
    if (offset >= windowStart_ && offset < windowStart_ + window_.size()) {
      const size_t held = std::min(n, static_cast<size_t>(windowStart_ + window_.size() - offset));
      std::copy_n(window_.data() + (offset - windowStart_), held, out);
      offset += held, out += held, n -= held;
    }
    if (n > 0) ReadFile(offset, n, out);
  }

 private:
  // Chunk headers are small and mostly near the start: a first window of
  // this size holds all of them in the game's files and in most others, and
  // little of the samples. A file of many chunks is walked in larger steps.
  static constexpr size_t kFirstWindowBytes = 512;
  static constexpr size_t kWindowBytes = 64 * 1024;

  const uint8_t* At(uint64_t offset, size_t n) {
    if (offset < windowStart_ || offset + n > windowStart_ + window_.size()) {
      const size_t want = std::max(n, window_.empty() ? kFirstWindowBytes : kWindowBytes);
      window_.resize(static_cast<size_t>(std::min<uint64_t>(want, size_ - offset)));
      windowStart_ = offset;
      ReadFile(offset, window_.size(), window_.data());
    }
    return window_.data() + (offset - windowStart_);
  }

  void ReadFile(uint64_t offset, size_t n, uint8_t* out) {
#if defined(_WIN32)
    if (offset != position_ && _fseeki64(file_.get(), static_cast<int64_t>(offset), SEEK_SET) != 0)
      Fail(kErrFail, path_, "cannot be read");
    const size_t got = std::fread(out, 1, n, file_.get());
    position_ = offset + got;
    if (got != n) Fail(kErrFail, path_, "cannot be read");
#else
    while (n > 0) {
      const ssize_t got = ::pread(file_, out, n, static_cast<off_t>(offset));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) Fail(kErrFail, path_, "cannot be read");
      offset += static_cast<uint64_t>(got), out += got, n -= static_cast<size_t>(got);
    }
#endif
  }

#if defined(_WIN32)
  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
  uint64_t position_ = 0;
#else
  int file_ = -1;
#endif
  const std::string& path_;  // the caller's, which outlives the reading
  uint64_t size_ = 0;
  std::vector<uint8_t> window_;
  uint64_t windowStart_ = 0;
};

// The frames `frames` of `audio` become at `rate`: the same duration, to the
// nearest frame. A sound that would take more than kMaxSampleBytes is refused.
uint64_t PlayedFrames(const WaveAudio& audio, uint64_t frames, uint32_t rate, const std::string& name) {
  const uint64_t played = rate == audio.sampleRate ? frames : (frames * rate + audio.sampleRate / 2) / audio.sampleRate;
  const uint64_t bytes = played * audio.channels * sizeof(int16_t);
  if (bytes > kMaxSampleBytes)
    Fail(kErrOutOfMemory, name, "is too long to play at " + std::to_string(rate) + " Hz (" + std::to_string(bytes) +
                                    " bytes; at most " + std::to_string(kMaxSampleBytes) + ")");
  return played;
}

int16_t Sample16(const uint8_t* p) { return static_cast<int16_t>(Read16(p)); }
int16_t Sample8(uint8_t v) { return static_cast<int16_t>((v - 128) * 256); }

// Brings interleaved frames from one rate to another, keeping the duration
// to the nearest frame. Output frame j sits at j * from / to input frames,
// kept as a whole index and an exact fraction so that long files do not
// drift; the last input frame is held.
Samples Resample(const Samples& in, size_t width, uint32_t from, uint32_t to,
                              uint64_t outFrames) {
  const uint64_t inFrames = in.size() / width;
  Samples out(static_cast<size_t>(outFrames * width));
  for (uint64_t j = 0; j < outFrames; ++j) {
    const uint64_t numerator = j * from;
    const uint64_t index = numerator / to;
    const double fraction = static_cast<double>(numerator % to) / to;
    const uint64_t next = index + 1 < inFrames ? index + 1 : index;
    for (size_t c = 0; c < width; ++c) {
      const double a = in[static_cast<size_t>(index * width + c)];
      const double b = in[static_cast<size_t>(next * width + c)];
      out[static_cast<size_t>(j * width + c)] = static_cast<int16_t>(std::lrint(a + (b - a) * fraction));
    }
  }
  return out;
}

}  // namespace

size_t WaveAudio::FrameCount() const {
  const size_t frameBytes = size_t{channels} * bitsPerSample / 8u;
  return frameBytes == 0 ? 0 : data.size() / frameBytes;
}

uint64_t WaveAudio::DurationMicroseconds() const {
  if (sampleRate == 0) return 0;
  const uint64_t frames = FrameCount();
  // Split so that the product cannot overflow, whatever the frame count.
  return frames / sampleRate * 1'000'000u + frames % sampleRate * 1'000'000u / sampleRate;
}

WaveAudio ParseWave(const uint8_t* bytes, size_t size, const std::string& name) {
  Layout layout = Locate(size, name, [bytes](uint64_t offset, size_t) { return bytes + offset; });
  const uint8_t* data = bytes + layout.dataOffset;
  layout.format.data.assign(data, data + layout.dataBytes);
  return std::move(layout.format);
}

WaveAudio ReadWaveFile(const std::string& path) {
  WaveFile file(path);
  Layout layout = file.Locate();
  layout.format.data.resize(layout.dataBytes);
  file.Read(layout.dataOffset, layout.dataBytes, layout.format.data.data());
  return std::move(layout.format);
}

WaveSamples ToSamples(const WaveAudio& audio, uint32_t rate, const std::string& name) {
  const uint64_t frames = audio.FrameCount();
  const uint64_t played = PlayedFrames(audio, frames, rate, name);
  const size_t width = audio.channels;
  Samples samples(static_cast<size_t>(frames * width));
  const uint8_t* p = audio.data.data();
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = audio.bitsPerSample == 8 ? Sample8(p[i]) : Sample16(p + 2 * i);
  if (rate == audio.sampleRate) return {audio.channels, std::move(samples)};
  return {audio.channels, Resample(samples, width, audio.sampleRate, rate, played)};
}

WaveSamples ReadWaveSamples(const std::string& path, uint32_t rate) {
  WaveFile file(path);
  Layout layout = file.Locate();
  WaveAudio& audio = layout.format;
  if (audio.bitsPerSample == 16 && rate == audio.sampleRate) {
    // The game's own case: the file's bytes are the samples.
    WaveSamples sound{audio.channels, Samples(layout.dataBytes / 2)};
    file.Read(layout.dataOffset, layout.dataBytes, reinterpret_cast<uint8_t*>(sound.samples.data()));
    if constexpr (std::endian::native == std::endian::big) {
      for (int16_t& s : sound.samples) s = Sample16(reinterpret_cast<const uint8_t*>(&s));
    }
    return sound;
  }
  audio.data.resize(layout.dataBytes);
  file.Read(layout.dataOffset, layout.dataBytes, audio.data.data());
  return ToSamples(audio, rate, path);
}

}  // namespace platform
