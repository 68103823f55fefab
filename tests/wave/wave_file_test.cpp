#include "shell/platform/wave_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>

#include "shell/platform/platform.h"
#include "tests/wave/wave_bytes.h"
#if defined(__unix__)
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace platform;
using namespace wave_test;

// What the readers make of a file: "CHANNELSxRATE, BYTES bytes, DURATION us, played as N: SAMPLES", the
// first samples of N played at 22,050 Hz, or "NUMBER DESCRIPTION" of the failure.
static std::string Outcome(const std::string& path) try {
  const WaveAudio audio = ReadWaveFile(path);
  const Samples read = ReadWaveSamples(path, 22050).samples;
  const std::vector<int16_t> played(read.begin(), read.end());
  std::string shown = std::to_string(audio.channels) + "x" + std::to_string(audio.sampleRate) + ", " +
                      std::to_string(audio.data.size()) + " bytes, " + std::to_string(audio.DurationMicroseconds()) +
                      " us, played as " + std::to_string(played.size()) + ":";
  for (size_t i = 0; i < std::min<size_t>(played.size(), 16); ++i) shown += " " + std::to_string(played[i]);
  return shown;
} catch (const RuntimeError& e) {
  return std::to_string(e.Number()) + " " + e.Description();
}

TEST(WaveFile, ReadsPcmFilesAndNamesWhatItCannotPlay) {
  const auto path = (std::filesystem::temp_directory_path() / std::to_string(std::random_device{}())).string() + ".wav";
  auto error = [&](const char* s, int32_t n = kDsErrBadFormat) { return std::to_string(n) + ' ' + path + ' ' + s; };
  // WAVE_FORMAT_EXTENSIBLE, stereo 16-bit: a sub-format, the last two bytes of its GUID, the valid bits.
  const auto extensible = [](uint32_t format, uint32_t end, uint32_t validBits = 16) {
    return FormatBody({0xFFFE, 2, 11025, 16}) + Le(22, 2) + Le(validBits, 2) + Le(3, 4) + Le(format, 2) + Le(0, 4) +
           Le(0x800010, 4) + Le(0x3800AA00, 4) + Le(end, 2);
  };
  using W = WaveBuilder;
  const Bytes s = Samples16({0, 1, -1, 32767, -32768}), game = W().Fmt({}).Data(s).Build();
  // Each outcome as it begins; those of files read are whole.
  const std::pair<Bytes, std::string> table[] = {
      // The largest file accepted: the game's format, then zeros. One byte more is refused unread.
      {game + Bytes(kMaxWaveFileBytes - game.size()), "1x22050, 10 bytes, 226 us, played as 5: 0 1 -1 32767 -32768"},
      {game + Bytes(kMaxWaveFileBytes + 1 - game.size()), error("is too large to play", kErrOutOfMemory)},
      // At half the rate every frame is followed by the midpoint to the next one; the last is held.
      {W().Chunk("fmt ", extensible(1, 0x719B)).Data(Samples16({5, -5, 9, -9})).Build(),
       "2x11025, 8 bytes, 181 us, played as 8: 5 -5 7 -7 9 -9 9 -9"},
      // 8-bit stereo cut short: the whole frames present, whatever the data's size says.
      {W().Fmt({1, 2, 8000, 8}).Chunk("data", {128, 0, 129, 127, 5}, 9).Build(),
       "2x8000, 4 bytes, 250 us, played as 12: 0 -32768 93 -20972 186 -9177 256 -256 256 -256 256 -256"},
      // Other chunks skipped, odd ones with their pad byte; data before fmt, longer than the headers read at first.
      {W().Chunk("LIST", {1, 2, 3}).Data(Bytes{7} + Bytes(599)).Chunk("junk", {4}).Fmt({}).Build(),
       "1x22050, 600 bytes, 13605 us, played as 300: 7 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0"},
      // Streaming writers leave the sizes at 0 or the largest: the samples run to the end. A truly empty
      // data chunk is followed by chunks.
      {W().Fmt({}).Chunk("data", Samples16({0, 0, 0, 0, 7, 0, 0, 0}), 0).Build(0),
       "1x22050, 16 bytes, 362 us, played as 8: 0 0 0 0 7 0 0 0"},
      {W().Fmt({}).Chunk("data", s, ~0u).Build(~0u), "1x22050, 10 bytes, 226 us, played as 5: 0 1 -1 32767 -32768"},
      {W().Fmt({}).Chunk("data", Samples16({0x4141, 0x4141, 0x7FFF, 0}), 0).Build(0),  // "AAAA", too long to be a chunk
       "1x22050, 8 bytes, 181 us, played as 4: 16705 16705 32767 0"},
      {W().Fmt({}).Data({}).Chunk("LIST", {1, 2, 3}).Build(), "1x22050, 0 bytes, 0 us, played as 0:"},
      {W().Fmt({1, 1, 1000, 16}).Data(Bytes(12'300'000)).Build(),
       error("is too long to play at 22050 Hz", kErrOutOfMemory)},
      {Bytes(20, 'x'), error("is not a wave file: no RIFF header")},
      {W().Chunk("RIFF", {'A', 'V', 'I', ' '}).chunks, error("is not a wave file: the RIFF form is not WAVE")},
      {W().Fmt({2, 1, 22050, 4}).Data(s).Build(), error("is compressed (format 2)")},
      {W().Chunk("fmt ", extensible(1, 0)).Data(s).Build(), error("is compressed (an unknown extensible")},
      {W().Chunk("fmt ", extensible(3, 0x719B)).Data(s).Build(), error("has floating-point samples (format 3)")},
      {W().Fmt({1, 3, 22050, 16}).Data(s).Build(), error("has 3 channels; only mono and stereo are played")},
      {W().Fmt({1, 1, 22050, 24}).Data(s).Build(), error("has 24-bit samples; only 8 and 16 bits are played")},
      {W().Fmt({1, 1, 0, 16}).Data(s).Build(), error("has a sample rate of 0 Hz; only 1000 to")},
      {W().Fmt({1, 1, 192001, 16}).Data(s).Build(), error("has a sample rate of 192001 Hz; only 1000 to 192000 Hz")},
      {W().Chunk("fmt ", extensible(1, 0x719B, 17)).Data(s).Build(), error("is damaged: 17 valid bits in a 16-bit")},
      {W().Fmt({1, 1, 8000, 16, 4}).Data(s).Build(), error("is damaged: a block align of 4 for 1 channel(s)")},
      {W().Data(s).Build(), error("is damaged: it has no fmt chunk")},
      {W().Fmt({}).Chunk("LIST", {1, 2}).Build(), error("is damaged: it has no data chunk")},
      {W().Fmt({}).Fmt({}).Data(s).Build(), error("is damaged: it has two fmt chunks")},
      {W().Fmt({}).Data(s).Data(s).Build(), error("is damaged: it has two data chunks")},
      {W().Chunk("fmt ", Bytes(14)).Data(s).Build(), error("is damaged: its fmt chunk is too short (14 bytes)")},
      {W().Chunk("fmt ", Bytes(16), 17).Build(), error("is damaged: its fmt chunk runs past the end of the file")},
  };
  for (const auto& [file, outcome] : table) {
    WriteBytes(path, file);
    EXPECT_EQ(Outcome(path).substr(0, outcome.size()), outcome);
  }
#if defined(__unix__)
  // Root opens any file, so as root this test runs again as user nobody, from a copy of the program.
  chmod(path.c_str(), 0);
  const std::string copy = path + ".exe", self = std::filesystem::read_symlink("/proc/self/exe").string();
  if (geteuid() != 0) EXPECT_EQ(Outcome(path), error("cannot be opened", kErrAccessDenied));
  else EXPECT_EQ(std::system(("cp " + self + " " + copy + " && setpriv --reuid=nobody --regid=nogroup --clear-groups " +
                              copy + "; s=$?; rm " + copy + "; exit $s").c_str()), 0);
#endif
  std::filesystem::remove(path);
}
