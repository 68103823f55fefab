#include "shell/platform/wave_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>
#include <utility>

#include "shell/platform/platform.h"

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
  if (size == 0) BadFormat(name, "is not a wave file: it is empty");
  if (size >= 4 && IdIs(bytes, "RIFX"))
    BadFormat(name, "is a big-endian wave file (RIFX); only little-endian files are played");
  if (size < 12 || !IdIs(bytes, "RIFF")) BadFormat(name, "is not a wave file: no RIFF header");
  if (!IdIs(bytes + 8, "WAVE")) BadFormat(name, "is not a wave file: the RIFF form is not WAVE");

  // The RIFF size is not trusted: writers that stream leave it too large, or
  // zero, so the chunks are walked to the end of the bytes actually present.
  WaveAudio audio;
  bool haveFormat = false;
  std::optional<std::pair<size_t, size_t>> data;  // offset and bytes present
  uint64_t pos = 12;
  // A last chunk header cut short (fewer than 8 bytes) is trailing junk left
  // by some editors; it is ignored.
  while (size - pos >= 8) {
    const uint8_t* header = bytes + pos;
    const uint32_t chunkSize = Read32(header + 4);
    const uint64_t body = pos + 8;
    const uint64_t present = size - body;
    if (IdIs(header, "fmt ")) {
      if (haveFormat) BadFormat(name, "is damaged: it has two fmt chunks");
      if (chunkSize > present) BadFormat(name, "is damaged: its fmt chunk runs past the end of the file");
      if (chunkSize < 16)
        BadFormat(name, "is damaged: its fmt chunk is too short (" + std::to_string(chunkSize) + " bytes)");
      ParseFormat(bytes + body, chunkSize, name, audio);
      haveFormat = true;
    } else if (IdIs(header, "data")) {
      if (data) BadFormat(name, "is damaged: it has two data chunks");
      // A data chunk cut short is common (a recording stopped early, a
      // streaming writer that never came back to fix the size): what is
      // there is played.
      data.emplace(static_cast<size_t>(body), static_cast<size_t>(std::min<uint64_t>(chunkSize, present)));
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
  const size_t frameBytes = size_t{audio.channels} * audio.bitsPerSample / 8u;
  const size_t whole = data->second - data->second % frameBytes;
  audio.data.assign(bytes + data->first, bytes + data->first + whole);
  return audio;
}

WaveAudio ReadWaveFile(const std::string& path) {
  namespace fs = std::filesystem;
  const fs::path file(path);
  std::error_code error;
  const fs::file_status status = fs::status(file, error);
  if (status.type() == fs::file_type::not_found) Fail(kErrFileNotFound, path, "was not found");
  if (error) Fail(kErrAccessDenied, path, "cannot be read: " + error.message());
  if (status.type() == fs::file_type::directory) Fail(kErrAccessDenied, path, "is a folder, not a wave file");
  // A pipe or a device could block the game forever or never end.
  if (status.type() != fs::file_type::regular) Fail(kErrAccessDenied, path, "is not an ordinary file");
  const uintmax_t length = fs::file_size(file, error);
  if (error) Fail(kErrFail, path, "cannot be read: " + error.message());
  if (length > kMaxWaveFileBytes)
    Fail(kErrOutOfMemory, path, "is too large to play (" + std::to_string(length) + " bytes; at most " +
                                    std::to_string(kMaxWaveFileBytes) + ")");

  std::ifstream in(file, std::ios::binary);
  if (!in) Fail(kErrAccessDenied, path, "cannot be opened");
  // Only the bytes actually read are parsed: a file that shrank meanwhile is
  // simply shorter, one that grew is cut at the size found above.
  std::vector<uint8_t> bytes(static_cast<size_t>(length));
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (in.bad()) Fail(kErrFail, path, "cannot be read");
  const size_t got = static_cast<size_t>(in.gcount());
  return ParseWave(bytes.data(), got, path);
}

std::vector<int16_t> ToSigned16(const WaveAudio& audio) {
  const size_t count = audio.FrameCount() * audio.channels;
  std::vector<int16_t> samples(count);
  const uint8_t* p = audio.data.data();
  if (audio.bitsPerSample == 8) {
    for (size_t i = 0; i < count; ++i) samples[i] = static_cast<int16_t>((p[i] - 128) * 256);
  } else if (audio.bitsPerSample == 16) {
    for (size_t i = 0; i < count; ++i) samples[i] = static_cast<int16_t>(Read16(p + 2 * i));
  }
  return samples;
}

}  // namespace platform
