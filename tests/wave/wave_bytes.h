// Builds wave files in memory, well-formed or broken on purpose, for the
// reader's tests.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace wave_test {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v & 0xFF));
  out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

inline void Put32(Bytes& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

inline void PutId(Bytes& out, const char* id) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(id[i]));
}

struct Format {
  uint16_t tag = 1;
  uint16_t channels = 1;
  uint32_t rate = 22050;
  uint16_t bits = 16;
  // 0 means channels * bits / 8.
  uint16_t blockAlign = 0;
};

// The 16 bytes of a plain PCM fmt body.
inline Bytes FormatBody(const Format& f) {
  const uint16_t align = f.blockAlign ? f.blockAlign : static_cast<uint16_t>(f.channels * f.bits / 8);
  Bytes b;
  Put16(b, f.tag);
  Put16(b, f.channels);
  Put32(b, f.rate);
  Put32(b, f.rate * align);
  Put16(b, align);
  Put16(b, f.bits);
  return b;
}

// A WAVE_FORMAT_EXTENSIBLE fmt body (40 bytes) with the given sub-format tag.
inline Bytes ExtensibleBody(Format f, uint16_t subFormat, uint16_t validBits) {
  f.tag = 0xFFFE;
  Bytes b = FormatBody(f);
  Put16(b, 22);
  Put16(b, validBits);
  Put32(b, f.channels == 1 ? 0x4 : 0x3);  // centre, or left and right
  Put16(b, subFormat);
  const Bytes tail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
  b.insert(b.end(), tail.begin(), tail.end());
  return b;
}

// Chunks in order, then the RIFF header around them.
class WaveBuilder {
 public:
  // A chunk whose declared size is its body's (padded when odd).
  WaveBuilder& Chunk(const char* id, const Bytes& body) {
    return Chunk(id, static_cast<uint32_t>(body.size()), body, body.size() % 2 == 1);
  }
  // A chunk declaring any size, followed by `body` and optionally a pad byte.
  WaveBuilder& Chunk(const char* id, uint32_t declared, const Bytes& body, bool pad = false) {
    PutId(chunks_, id);
    Put32(chunks_, declared);
    chunks_.insert(chunks_.end(), body.begin(), body.end());
    if (pad) chunks_.push_back(0);
    return *this;
  }
  WaveBuilder& Fmt(const Format& f) { return Chunk("fmt ", FormatBody(f)); }
  WaveBuilder& Data(const Bytes& samples) { return Chunk("data", samples); }
  WaveBuilder& Raw(const Bytes& bytes) {
    chunks_.insert(chunks_.end(), bytes.begin(), bytes.end());
    return *this;
  }
  // `riffSize` overrides the RIFF header's size field when not ~0u.
  Bytes Build(uint32_t riffSize = ~0u) const {
    Bytes out;
    PutId(out, "RIFF");
    Put32(out, riffSize != ~0u ? riffSize : static_cast<uint32_t>(chunks_.size() + 4));
    PutId(out, "WAVE");
    out.insert(out.end(), chunks_.begin(), chunks_.end());
    return out;
  }

 private:
  Bytes chunks_;
};

// Little-endian 16-bit samples.
inline Bytes Samples16(const std::vector<int16_t>& values) {
  Bytes b;
  for (int16_t v : values) Put16(b, static_cast<uint16_t>(v));
  return b;
}

// A whole file in the game's own format.
inline Bytes GameWave(const std::vector<int16_t>& values) { return WaveBuilder().Fmt(Format{}).Data(Samples16(values)).Build(); }

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

}  // namespace wave_test
