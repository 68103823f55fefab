#include "shell/platform/wave_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "shell/platform/platform.h"
#include "tests/wave/wave_bytes.h"

#if defined(__unix__)
#include <sys/stat.h>
#endif

namespace {

using namespace wave_test;
using platform::ParseWave;
using platform::ReadWaveFile;
using platform::RuntimeError;
using platform::ToSigned16;
using platform::WaveAudio;

using Samples = std::vector<int16_t>;

const std::string kName = "sounds/test.wav";

WaveAudio Parse(const Bytes& bytes) { return ParseWave(bytes.data(), bytes.size(), kName); }

// `read` must fail with `number`, the description naming the file first and
// saying `what`.
void ExpectFailure(const std::function<void()>& read, const std::string& name, int32_t number,
                   const std::string& what) {
  try {
    read();
    ADD_FAILURE() << name << " was read, but expected a failure saying \"" << what << "\"";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Number(), number) << e.Description();
    EXPECT_EQ(e.Description().rfind(name + " ", 0), 0u) << e.Description();
    EXPECT_NE(e.Description().find(what), std::string::npos) << e.Description();
  }
}
void ExpectFailure(const Bytes& bytes, const std::string& what) {
  ExpectFailure([&] { Parse(bytes); }, kName, platform::kDsErrBadFormat, what);
}
void ExpectReadFailure(const std::string& path, int32_t number, const std::string& what) {
  ExpectFailure([&] { ReadWaveFile(path); }, path, number, what);
}

TEST(WaveFile, ReadsPcmInTheGamesFormatAndThePlayersOwn) {
  const WaveAudio audio = Parse(GameWave({0, 1, -1, 32767, -32768}));
  EXPECT_EQ(audio.channels, 1);
  EXPECT_EQ(audio.sampleRate, 22050u);
  EXPECT_EQ(audio.bitsPerSample, 16);
  EXPECT_EQ(audio.data, Samples16({0, 1, -1, 32767, -32768}));
  EXPECT_EQ(ToSigned16(audio), (Samples{0, 1, -1, 32767, -32768}));
  // 5 / 22050 s; one second exactly; and a fraction rounded down: 22,051
  // frames are 1,000,045.35 microseconds.
  for (const auto& [frames, microseconds] : {std::pair{5u, 226u}, {22050u, 1'000'000u}, {22051u, 1'000'045u}}) {
    WaveAudio sound = audio;
    sound.data.assign(frames * 2, 0);
    EXPECT_EQ(sound.FrameCount(), frames);
    EXPECT_EQ(sound.DurationMicroseconds(), microseconds);
  }

  // 8-bit is unsigned, centred on 128.
  const WaveAudio eight = Parse(WaveBuilder().Fmt({1, 1, 11025, 8}).Data({0, 128, 255, 127}).Build());
  EXPECT_EQ(eight.bitsPerSample, 8);
  EXPECT_EQ(eight.sampleRate, 11025u);
  EXPECT_EQ(ToSigned16(eight), (Samples{-32768, 0, 32512, -256}));
  // Stereo frames interleave left then right.
  const WaveAudio stereo = Parse(WaveBuilder().Fmt({1, 2, 44100, 16}).Data(Samples16({100, -100, 200, -200})).Build());
  EXPECT_EQ(stereo.channels, 2);
  EXPECT_EQ(stereo.FrameCount(), 2u);
  EXPECT_EQ(ToSigned16(stereo), (Samples{100, -100, 200, -200}));
  EXPECT_EQ(stereo.DurationMicroseconds(), 45u);  // 2 / 44100 s
  const WaveAudio stereo8 = Parse(WaveBuilder().Fmt({1, 2, 8000, 8}).Data({1, 2, 3, 4, 5, 6}).Build());
  EXPECT_EQ(stereo8.FrameCount(), 3u);
  EXPECT_EQ(ToSigned16(stereo8)[5], (6 - 128) * 256);

  for (uint32_t rate : {1000u, 8000u, 44100u, 48000u, 96000u, 192000u}) {
    EXPECT_EQ(Parse(WaveBuilder().Fmt({1, 1, rate, 16}).Data(Samples16({7})).Build()).sampleRate, rate);
  }
  for (uint32_t rate : {0u, 999u, 192001u}) {
    ExpectFailure(WaveBuilder().Fmt({1, 1, rate, 16}).Data(Samples16({7})).Build(),
                  "sample rate of " + std::to_string(rate) + " Hz");
  }
}

TEST(WaveFile, ReadsExtensiblePcmAndRejectsOtherSubFormats) {
  const auto file = [](Format f, uint16_t sub, uint16_t valid, const Bytes& data) {
    return WaveBuilder().Chunk("fmt ", ExtensibleBody(f, sub, valid)).Data(data).Build();
  };
  const WaveAudio sixteen = Parse(file({1, 2, 48000, 16}, 1, 16, Samples16({5, -5})));
  EXPECT_EQ(sixteen.channels, 2);
  EXPECT_EQ(sixteen.bitsPerSample, 16);
  EXPECT_EQ(ToSigned16(sixteen), (Samples{5, -5}));
  const WaveAudio eight = Parse(file({1, 1, 22050, 8}, 1, 8, {200}));
  EXPECT_EQ(ToSigned16(eight), (Samples{(200 - 128) * 256}));
  // 12 valid bits in a 16-bit container play as the container.
  EXPECT_EQ(Parse(file({1, 1, 22050, 16}, 1, 12, Samples16({16}))).bitsPerSample, 16);

  ExpectFailure(file({1, 1, 22050, 16}, 1, 17, Samples16({1})), "17 valid bits in a 16-bit sample");
  ExpectFailure(file({1, 1, 22050, 16}, 1, 0, Samples16({1})), "0 valid bits");
  ExpectFailure(file({1, 1, 22050, 32}, 3, 32, Bytes(4)), "floating-point samples (format 3)");
  ExpectFailure(file({1, 1, 22050, 24}, 1, 24, Bytes(3)), "has 24-bit samples; only 8 and 16 bits");
  ExpectFailure(file({1, 1, 22050, 4}, 2, 4, Bytes(1)), "is compressed (format 2)");

  Bytes unknownGuid = ExtensibleBody({1, 1, 22050, 16}, 1, 16);
  unknownGuid.back() ^= 0xFF;
  ExpectFailure(WaveBuilder().Chunk("fmt ", unknownGuid).Data(Samples16({1})).Build(), "unknown extensible sub-format");

  // The extension cut off: 18-byte fmt claiming extensible.
  Bytes shortExt = FormatBody({0xFFFE, 1, 22050, 16});
  Put16(shortExt, 0);
  ExpectFailure(WaveBuilder().Chunk("fmt ", shortExt).Data(Samples16({1})).Build(), "extensible fmt chunk is too short");
}

TEST(WaveFile, RejectsFilesThatAreNotWaveFiles) {
  ExpectFailure({}, "is not a wave file: it is empty");
  ExpectFailure({'R', 'I', 'F'}, "is not a wave file: no RIFF header");
  ExpectFailure({'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V'}, "no RIFF header");
  const std::string text = "This is a text file saved as .wav by mistake.";
  ExpectFailure(Bytes(text.begin(), text.end()), "is not a wave file: no RIFF header");
  Bytes avi = GameWave({1});
  avi[8] = 'A', avi[9] = 'V', avi[10] = 'I', avi[11] = ' ';
  ExpectFailure(avi, "the RIFF form is not WAVE");
  Bytes rifx = GameWave({1});
  rifx[3] = 'X';
  ExpectFailure(rifx, "big-endian");
}

TEST(WaveFile, RejectsFormatsItCannotPlay) {
  const Bytes data = Samples16({1, 2, 3, 4, 5, 6});
  ExpectFailure(WaveBuilder().Fmt({2, 1, 22050, 4, 256}).Data(data).Build(), "is compressed (format 2); only PCM is played");
  ExpectFailure(WaveBuilder().Fmt({0x55, 2, 44100, 0, 1}).Data(data).Build(), "is compressed (format 85)");
  ExpectFailure(WaveBuilder().Fmt({3, 1, 22050, 32}).Data(data).Build(), "floating-point samples (format 3)");
  ExpectFailure(WaveBuilder().Fmt({1, 3, 22050, 16}).Data(data).Build(), "has 3 channels; only mono and stereo are played");
  ExpectFailure(WaveBuilder().Fmt({1, 0, 22050, 16, 2}).Data(data).Build(), "has no channels");
  ExpectFailure(WaveBuilder().Fmt({1, 1, 22050, 24}).Data(data).Build(), "has 24-bit samples");
  ExpectFailure(WaveBuilder().Fmt({1, 1, 22050, 0, 2}).Data(data).Build(), "has 0-bit samples");
  ExpectFailure(WaveBuilder().Fmt({1, 1, 22050, 12}).Data(data).Build(), "has 12-bit samples");

  // Block align must be exactly channels * bits / 8 (Format's 0 stands for
  // that, so a zero is patched into the bytes).
  Bytes zeroAlign = FormatBody({1, 1, 22050, 16});
  zeroAlign[12] = 0;
  ExpectFailure(WaveBuilder().Chunk("fmt ", zeroAlign).Data(data).Build(), "block align of 0");
  ExpectFailure(WaveBuilder().Fmt({1, 2, 22050, 16, 2}).Data(data).Build(), "block align of 2 for 2 channel(s) of 16 bits (4 expected)");
  ExpectFailure(WaveBuilder().Fmt({1, 1, 22050, 8, 2}).Data(data).Build(), "block align of 2");
}

TEST(WaveFile, WalksChunksAndRejectsBrokenStructure) {
  const Bytes fmt = FormatBody({});
  const Bytes data = Samples16({10, 20});

  // Chunks it does not know are skipped, odd ones with their pad byte.
  const WaveAudio padded = Parse(WaveBuilder()
                                     .Chunk("LIST", {'I', 'N', 'F', 'O', 'x'})
                                     .Fmt({})
                                     .Chunk("junk", {1, 2, 3})
                                     .Data(data)
                                     .Chunk("cue ", {9})
                                     .Build());
  EXPECT_EQ(ToSigned16(padded), (Samples{10, 20}));
  // An odd 8-bit data chunk with its pad byte, then another chunk.
  const WaveAudio oddData =
      Parse(WaveBuilder().Fmt({1, 1, 22050, 8}).Data({1, 2, 3}).Chunk("fact", {3, 0, 0, 0}).Build());
  EXPECT_EQ(oddData.data, (Bytes{1, 2, 3}));

  // Data before fmt is played: the whole file is walked before the data is used.
  EXPECT_EQ(Parse(WaveBuilder().Data(data).Chunk("fmt ", fmt).Build()).data, data);

  // The RIFF size is not trusted either way.
  EXPECT_EQ(Parse(WaveBuilder().Fmt({}).Data(data).Build(0xFFFFFFF0u)).data, data);
  EXPECT_EQ(Parse(WaveBuilder().Fmt({}).Data(data).Build(0)).data, data);

  // A cut-off chunk header at the end is ignored.
  EXPECT_EQ(Parse(WaveBuilder().Fmt({}).Data(data).Raw({'L', 'I', 'S'}).Build()).data, data);

  ExpectFailure(WaveBuilder().Data(data).Build(), "has no fmt chunk");
  ExpectFailure(WaveBuilder().Fmt({}).Build(), "has no data chunk");
  ExpectFailure(WaveBuilder().Fmt({}).Chunk("LIST", {1, 2}).Build(), "has no data chunk");
  ExpectFailure(WaveBuilder().Build(), "has no fmt chunk");
  ExpectFailure(WaveBuilder().Raw({'f', 'm', 't', ' ', 16, 0}).Build(), "has no fmt chunk");
  ExpectFailure(WaveBuilder().Fmt({}).Fmt({}).Data(data).Build(), "has two fmt chunks");
  ExpectFailure(WaveBuilder().Fmt({}).Data(data).Data(data).Build(), "has two data chunks");
  ExpectFailure(WaveBuilder().Fmt({}).Data(data).Fmt({}).Build(), "has two fmt chunks");
  ExpectFailure(WaveBuilder().Chunk("fmt ", Bytes(fmt.begin(), fmt.begin() + 14)).Data(data).Build(),
                "fmt chunk is too short (14 bytes)");
  // A fmt chunk whose size runs past the end: by one byte, and absurdly.
  ExpectFailure(WaveBuilder().Chunk("fmt ", 17, fmt).Build(), "fmt chunk runs past the end of the file");
  ExpectFailure(WaveBuilder().Chunk("fmt ", 0xFFFFFFFFu, fmt).Build(), "fmt chunk runs past the end");
  // A chunk before fmt whose size runs past the end hides everything after it.
  ExpectFailure(WaveBuilder().Chunk("LIST", 0xFFFFFFF0u, {1, 2}).Fmt({}).Data(data).Build(), "has no fmt chunk");
}

TEST(WaveFile, KeepsWholeFramesOfTheDataPresent) {
  // Declared longer than the file: what is there is played, and nothing is
  // allocated for the declared size.
  const WaveAudio cut = Parse(WaveBuilder().Fmt({}).Chunk("data", 1000, Samples16({1, 2, 3})).Build());
  EXPECT_EQ(cut.data, Samples16({1, 2, 3}));
  const WaveAudio absurd = Parse(WaveBuilder().Fmt({}).Chunk("data", 0xFFFFFFFFu, Samples16({4, 5})).Build());
  EXPECT_EQ(absurd.data, Samples16({4, 5}));
  EXPECT_LE(absurd.data.capacity(), 8u);

  // Cut in the middle of a frame: the partial frame is dropped.
  Bytes oddTail = Samples16({1, 2});
  oddTail.push_back(0x7F);
  EXPECT_EQ(Parse(WaveBuilder().Fmt({}).Chunk("data", 6, oddTail).Build()).data, Samples16({1, 2}));
  // An odd-sized 16-bit chunk, padded: the odd byte is dropped.
  EXPECT_EQ(Parse(WaveBuilder().Fmt({}).Data(oddTail).Build()).FrameCount(), 2u);
  // Stereo with half a frame left over.
  const WaveAudio stereo = Parse(WaveBuilder().Fmt({1, 2, 22050, 16}).Data(Samples16({1, 2, 3})).Build());
  EXPECT_EQ(ToSigned16(stereo), (Samples{1, 2}));
  // Less than one frame: an empty sound.
  EXPECT_EQ(Parse(WaveBuilder().Fmt({1, 2, 22050, 16}).Data({1, 2, 3}).Build()).FrameCount(), 0u);

  // An empty data chunk is a silent sound of no length, not an error.
  const WaveAudio empty = Parse(WaveBuilder().Fmt({}).Data({}).Build());
  EXPECT_EQ(empty.FrameCount(), 0u);
  EXPECT_EQ(empty.DurationMicroseconds(), 0u);
  EXPECT_TRUE(ToSigned16(empty).empty());
}

class WaveFileOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() /
           (std::string("wave_file_test_") + info->name() + "_" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir_ / "sounds");
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::permissions(dir_ / "sounds" / "locked.wav", std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(dir_, ignored);
  }
  std::string Write(const std::string& name, const Bytes& bytes) {
    const std::string path = (dir_ / "sounds" / name).string();
    WriteBytes(path, bytes);
    return path;
  }
  std::filesystem::path dir_;
};

TEST_F(WaveFileOnDisk, ReadsFilesAndNamesThoseItCannot) {
  const WaveAudio audio = ReadWaveFile(Write("swing.wav", GameWave({3, -3, 300})));
  EXPECT_EQ(audio.sampleRate, 22050u);
  EXPECT_EQ(ToSigned16(audio), (Samples{3, -3, 300}));

  ExpectReadFailure((dir_ / "sounds" / "missing.wav").string(), platform::kErrFileNotFound, "was not found");
  ExpectReadFailure((dir_ / "nowhere" / "missing.wav").string(), platform::kErrFileNotFound, "was not found");
  std::filesystem::create_directories(dir_ / "sounds" / "folder.wav");
  ExpectReadFailure((dir_ / "sounds" / "folder.wav").string(), platform::kErrAccessDenied, "is a folder");

  // A bad file's description names its path.
  ExpectReadFailure(Write("empty.wav", {}), platform::kDsErrBadFormat, "it is empty");
  ExpectReadFailure(Write("four.wav", WaveBuilder().Fmt({1, 4, 22050, 16}).Data({}).Build()),
                    platform::kDsErrBadFormat, "has 4 channels");
#if defined(__unix__)
  // Reading a pipe would block the game until some writer came.
  const auto pipe = (dir_ / "sounds" / "pipe.wav").string();
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  ExpectReadFailure(pipe, platform::kErrAccessDenied, "is not an ordinary file");
#endif
}

TEST_F(WaveFileOnDisk, RefusesTooLargeFilesWithoutReadingThem) {
  // Sparse where the file system allows: no 64 MiB are written or read.
  const std::string path = Write("huge.wav", GameWave({1}));
  std::filesystem::resize_file(path, platform::kMaxWaveFileBytes + 1);
  ExpectReadFailure(path, platform::kErrOutOfMemory, "is too large to play");

  // The largest file accepted is read (its data cut at the end of the file).
  std::filesystem::resize_file(path, platform::kMaxWaveFileBytes);
  Bytes head = WaveBuilder().Fmt({}).Chunk("data", 0xFFFFFFF0u, {}).Build();
  {
    std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
    out.write(reinterpret_cast<const char*>(head.data()), static_cast<std::streamsize>(head.size()));
  }
  EXPECT_EQ(ReadWaveFile(path).data.size(), platform::kMaxWaveFileBytes - head.size());
}

TEST_F(WaveFileOnDisk, RefusesUnreadableFiles) {
  const std::string locked = Write("locked.wav", GameWave({1}));
  std::filesystem::permissions(locked, std::filesystem::perms::none);
  if (std::ifstream(locked).is_open()) GTEST_SKIP() << "permissions do not apply to this user (root?)";
  ExpectReadFailure(locked, platform::kErrAccessDenied, "cannot be opened");
}

}  // namespace
