// Measures, from outside a program, how long a key press takes to silence the
// introduction it is playing into a sound server's null sink.
//
//   latency_probe key SINK INTRO.wav      one trial: prints the milliseconds from
//                                         the key's arrival at the X server to the
//                                         first sample of the recording that is no
//                                         longer the introduction
//   latency_probe whole SINK INTRO.wav OUT.raw SECONDS
//                                         records SECONDS, checks that the
//                                         introduction is in it whole, sample for
//                                         sample, and keeps the recording in OUT.raw
//
// The program under test must play INTRO.wav unchanged (full volume, centre)
// at 22,050 Hz into SINK, a null sink at that rate, and have the keyboard focus.
// The key is Escape, sent through XTEST; its time is taken around XSync, which
// returns once the server has handled the request.
//
// Recording times: the sink's monitor is read in blocks of 1.5 ms, and the
// null sink takes samples at its rate in real time, so each sample's time is
// the earliest that agrees with every block read in the second around it (see TimeOf). A server
// that renders ahead of real time would make the figures smaller, never
// larger; the two servers' null sinks render at most a quantum ahead.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <cmath>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kRate = 22050;
// Small reads place each block closely; but PipeWire runs its whole graph at
// the smallest period any client asks for, so the script asks for a period
// no smaller than the program's own there (PROBE_BLOCK_FRAMES).
const size_t kBlockFrames =
    std::getenv("PROBE_BLOCK_FRAMES") ? std::strtoul(std::getenv("PROBE_BLOCK_FRAMES"), nullptr, 10) : 32;

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

[[noreturn]] void Fail(const std::string& why) {
  std::fprintf(stderr, "latency_probe: %s\n", why.c_str());
  std::exit(1);
}

std::vector<int16_t> ReadMonoWave(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // Our own sounds: a 44-byte header, then 16-bit mono samples.
  if (bytes.size() < 44 || std::memcmp(bytes.data() + 36, "data", 4) != 0) Fail("not a plain wave file: " + path);
  std::vector<int16_t> samples((bytes.size() - 44) / 2);
  std::memcpy(samples.data(), bytes.data() + 44, samples.size() * 2);
  return samples;
}

// The left channel of the sink's monitor, with the time of each block's end.
class Recorder {
 public:
  explicit Recorder(const std::string& sink) {
    const pa_sample_spec spec{PA_SAMPLE_S16LE, kRate, 2};
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.fragsize = static_cast<uint32_t>(kBlockFrames * 4);
    int error = 0;
    const std::string monitor = sink + ".monitor";
    stream_ = pa_simple_new(nullptr, "latency_probe", PA_STREAM_RECORD, monitor.c_str(), "probe", &spec, nullptr,
                            &attr, &error);
    if (stream_ == nullptr) Fail(std::string("cannot record ") + monitor + ": " + pa_strerror(error));
    thread_ = std::thread([this] { Run(); });
  }
  ~Recorder() {
    stop_ = true;
    thread_.join();
    pa_simple_free(stream_);
  }

  size_t Size() {
    std::lock_guard lock(mutex_);
    return samples_.size();
  }
  std::vector<int16_t> Samples() {
    std::lock_guard lock(mutex_);
    return samples_;
  }
  // Seconds on the steady clock at which sample `index` reached the sink.
  double TimeOf(size_t index) {
    std::lock_guard lock(mutex_);
    // No sample is read before the sink has taken it, and the sink takes
    // them in real time: the line at the sink's rate that no block's read
    // precedes. Blocks read late, in a burst, lie above it. Only the blocks
    // of the half second either side count: a stream's first blocks may come
    // in a burst, and samples lost to the recording earlier on would move
    // the line for all that follow.
    double offset = HUGE_VAL;
    for (const auto& [end, time] : blockEnds_) {
      if (end + kRate / 2 < index || end > index + kRate / 2) continue;
      offset = std::min(offset, time - static_cast<double>(end) / kRate);
    }
    return offset + static_cast<double>(index) / kRate;
  }

 private:
  void Run() {
    std::vector<int16_t> block(kBlockFrames * 2);
    while (!stop_) {
      int error = 0;
      if (pa_simple_read(stream_, block.data(), block.size() * 2, &error) < 0) Fail(std::string("read: ") + pa_strerror(error));
      const double read = Now();
      std::lock_guard lock(mutex_);
      for (size_t i = 0; i < kBlockFrames; ++i) samples_.push_back(block[2 * i]);
      blockEnds_.emplace_back(samples_.size(), read);
    }
  }

  pa_simple* stream_ = nullptr;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<int16_t> samples_;
  std::vector<std::pair<size_t, double>> blockEnds_;
  std::thread thread_;
};

// Where `piece` lies in `intro`, sample for sample, or npos.
size_t FindExactly(const std::vector<int16_t>& intro, const int16_t* piece, size_t length) {
  for (size_t at = 0; at + length <= intro.size(); ++at) {
    if (std::equal(piece, piece + length, intro.begin() + static_cast<std::ptrdiff_t>(at))) return at;
  }
  return std::string::npos;
}

bool Sounding(const std::vector<int16_t>& samples, size_t from) {
  return std::any_of(samples.begin() + static_cast<std::ptrdiff_t>(from), samples.end(),
                     [](int16_t s) { return s > 300 || s < -300; });
}

int Key(const std::string& sink, const std::vector<int16_t>& intro) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) Fail("no X display");
  const KeyCode escape = XKeysymToKeycode(display, XK_Escape);
  Recorder recorder(sink);
  // The introduction has been playing for a second, then a moment anywhere
  // in a tenth of a second, so that the press falls anywhere in a buffer.
  const double deadline = Now() + 30;
  size_t heardFrom = 0;
  for (;;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (Now() > deadline) Fail("the introduction was not heard");
    const std::vector<int16_t> samples = recorder.Samples();
    if (!Sounding(samples, heardFrom)) heardFrom = samples.size();
    else if (samples.size() - heardFrom > kRate) break;
  }
  std::mt19937 random(std::random_device{}());
  std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<>(0, 100000)(random)));
  const size_t beforeKey = recorder.Size();
  XTestFakeKeyEvent(display, escape, True, CurrentTime);
  const double sent = Now();
  XSync(display, False);
  const double handled = Now();
  const double keyTime = (sent + handled) / 2;
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  XTestFakeKeyEvent(display, escape, False, CurrentTime);
  XSync(display, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));

  const std::vector<int16_t> samples = recorder.Samples();
  // Place the recording in the introduction by a stretch heard before the
  // key, the latest that is the introduction sample for sample.
  constexpr size_t kStretch = kRate / 20;
  size_t stretchAt = beforeKey;
  size_t introAt = std::string::npos;
  while (introAt == std::string::npos && stretchAt >= kStretch + kRate / 2) {
    stretchAt -= kStretch;
    introAt = FindExactly(intro, samples.data() + stretchAt, kStretch);
  }
  if (introAt == std::string::npos) Fail("the recording is not the introduction, sample for sample");
  // Walk on while the recording is the introduction. A difference after
  // which it is the introduction again, a little later or earlier, is a
  // dropout (counted, not taken for the stop).
  size_t stop = stretchAt;
  size_t dropouts = 0;
  for (;;) {
    while (stop < samples.size() && introAt + (stop - stretchAt) < intro.size() &&
           std::abs(samples[stop] - intro[introAt + (stop - stretchAt)]) <= 2) {
      ++stop;
    }
    // A dropout of up to a tenth of a second is looked past.
    constexpr size_t kPiece = kRate / 200;
    if (stop + kRate / 10 + kPiece > samples.size()) Fail("the introduction did not stop");
    const size_t expected = introAt + (stop - stretchAt);
    const size_t from = expected > kRate / 5 ? expected - kRate / 5 : 0;
    const std::vector<int16_t> near(intro.begin() + static_cast<std::ptrdiff_t>(std::min(from, intro.size())),
                                    intro.begin() + static_cast<std::ptrdiff_t>(std::min(expected + kRate, intro.size())));
    size_t found = std::string::npos, ahead = kRate / 200;
    for (; found == std::string::npos && ahead <= kRate / 10; ahead *= 2) {
      found = FindExactly(near, samples.data() + stop + ahead, kPiece);
    }
    if (found == std::string::npos) break;
    ++dropouts;
    stretchAt = stop + ahead / 2;
    introAt = from + found;
    stop = stretchAt;
  }
  if (stop < beforeKey) Fail("the introduction stopped before the key");
  const double stopTime = recorder.TimeOf(stop);

  std::printf("%.2f\n", (stopTime - keyTime) * 1000);
  std::fprintf(stderr, "key handled in %.2f ms; %zu dropouts\n", (handled - sent) * 1000, dropouts);
  XCloseDisplay(display);
  return 0;
}

int Whole(const std::string& sink, const std::vector<int16_t>& intro, const std::string& out, double seconds) {
  std::vector<int16_t> samples;
  {
    Recorder recorder(sink);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    samples = recorder.Samples();
  }
  std::ofstream(out, std::ios::binary).write(reinterpret_cast<const char*>(samples.data()),
                                               static_cast<std::streamsize>(samples.size() * 2));
  // The introduction starts after whatever silence came first.
  const auto first = std::find_if(samples.begin(), samples.end(), [](int16_t s) { return s != 0; });
  const auto introFirst = std::find_if(intro.begin(), intro.end(), [](int16_t s) { return s != 0; });
  const size_t skip = static_cast<size_t>(introFirst - intro.begin());
  const size_t at = static_cast<size_t>(first - samples.begin());
  size_t same = 0;
  while (skip + same < intro.size() && at + same < samples.size() && samples[at + same] == intro[skip + same]) ++same;
  const bool whole = skip + same == intro.size();
  std::printf("introduction: %zu of %zu samples heard in order%s%s", skip + same, intro.size(),
              whole ? ", none lost" : ", first difference at ",
              whole ? "" : (std::to_string(static_cast<double>(skip + same) / kRate) + " s").c_str());
  // What the difference is: where the introduction is found again, sample
  // for sample, and how far it has moved (0: samples replaced in place,
  // more: a stretch lost, less: one repeated).
  constexpr size_t kPiece = 100;
  constexpr long kReach = kRate / 10;
  bool found = whole;
  for (size_t k = 0; !found && skip + same + k + kPiece <= intro.size(); k += kPiece / 4) {
    const int16_t* piece = intro.data() + skip + same + k;
    const long expected = static_cast<long>(at + same + k);
    for (long shift = -kReach; shift <= kReach; ++shift) {
      const long from = expected + shift;
      if (from < 0 || static_cast<size_t>(from) + kPiece > samples.size()) continue;
      if (!std::equal(piece, piece + kPiece, samples.begin() + from)) continue;
      std::printf("; found again %zu samples on, moved by %ld", k, shift);
      found = true;
      break;
    }
  }
  std::printf("%s\n", found ? "" : "; not found again within a tenth of a second");
  return whole ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "key" && argc == 4) return Key(argv[2], ReadMonoWave(argv[3]));
  if (mode == "whole" && argc == 6) return Whole(argv[2], ReadMonoWave(argv[3]), argv[4], std::atof(argv[5]));
  std::fprintf(stderr, "usage: latency_probe key SINK INTRO.wav | whole SINK INTRO.wav OUT.raw SECONDS\n");
  return 2;
}
