// Wave files built byte by byte, well-formed or broken on purpose, for the
// tests of the wave reader and of the backends' sound buffers.
#pragma once

#include <cstdint>
#include <fstream>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

namespace wave_test {

using Bytes = std::vector<uint8_t>;

inline Bytes operator+(Bytes a, const Bytes& b) { return a.insert(a.end(), b.begin(), b.end()), a; }

// `v` as `n` little-endian bytes.
inline Bytes Le(uint32_t v, int n) { return n == 0 ? Bytes() : Bytes{static_cast<uint8_t>(v)} + Le(v >> 8, n - 1); }

inline Bytes Samples16(const std::vector<int16_t>& s) {
  return std::accumulate(s.begin(), s.end(), Bytes(), [](Bytes b, int16_t v) { return b + Le(uint16_t(v), 2); });
}

// A plain PCM fmt chunk's fields; a block align of 0 stands for the right one.
struct Format { uint16_t tag = 1, channels = 1; uint32_t rate = 22050; uint16_t bits = 16, align = 0; };

inline Bytes FormatBody(const Format& f) {
  const uint32_t frame = f.align ? f.align : f.channels * f.bits / 8u;
  return Le(f.tag, 2) + Le(f.channels, 2) + Le(f.rate, 4) + Le(f.rate * frame, 4) + Le(frame, 2) + Le(f.bits, 2);
}

// Chunks in order, then the RIFF header around them.
struct WaveBuilder {
  Bytes chunks;
  // A chunk that declares its body's size (and is padded to an even one), or `declared`.
  WaveBuilder& Chunk(const char* id, const Bytes& body, std::optional<uint32_t> declared = {}) {
    const Bytes size = Le(declared.value_or(uint32_t(body.size())), 4);
    chunks = chunks + Bytes(id, id + 4) + size + body + Bytes(declared ? 0 : body.size() % 2);
    return *this;
  }
  WaveBuilder& Fmt(const Format& f) { return Chunk("fmt ", FormatBody(f)); }
  WaveBuilder& Data(const Bytes& samples) { return Chunk("data", samples); }
  Bytes Build(std::optional<uint32_t> riffSize = {}) const {
    const uint32_t size = riffSize.value_or(uint32_t(chunks.size() + 4));
    return WaveBuilder().Chunk("RIFF", Bytes{'W', 'A', 'V', 'E'} + chunks, size).chunks;
  }
};

inline void WriteBytes(const std::string& path, const Bytes& b) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

}  // namespace wave_test
