// The server on its own, for comparison with the game under load: hands the
// server a whole recording at once, asking for the game's small buffer, and
// waits while it plays. Nothing of this program runs while the server plays,
// so whatever the sink then lacks was lost by the server itself.
//
//   queued_intro RAW PERIOD_FRAMES   RAW: 22,050 Hz, 16-bit, stereo
//
// Prints how often the server reported running out of what it was given
// before its end, which must be never: the recording fits the server's
// queue whole.
#include <pulse/pulseaudio.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

namespace {

constexpr uint32_t kRate = 22050;
constexpr uint32_t kBytesPerFrame = 4;

// Wakes the waits below at each change of state; they read the state themselves.
template <typename Object>
void Signal(Object*, void* loop) { pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: queued_intro RAW PERIOD_FRAMES\n");
    return 2;
  }
  std::ifstream file(argv[1], std::ios::binary);
  const std::vector<char> samples{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  const uint32_t period = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10));
  if (samples.empty() || period == 0) return 2;

  pa_threaded_mainloop* loop = pa_threaded_mainloop_new();
  pa_threaded_mainloop_start(loop);
  pa_threaded_mainloop_lock(loop);
  pa_context* context = pa_context_new(pa_threaded_mainloop_get_api(loop), "queued_intro");
  pa_context_set_state_callback(context, Signal<pa_context>, loop);
  pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr);
  pa_context_state_t contextState;
  while ((contextState = pa_context_get_state(context)) != PA_CONTEXT_READY && PA_CONTEXT_IS_GOOD(contextState)) {
    pa_threaded_mainloop_wait(loop);
  }
  if (contextState != PA_CONTEXT_READY) return 1;

  const pa_sample_spec spec{PA_SAMPLE_S16LE, kRate, 2};
  pa_stream* stream = pa_stream_new(context, "queued_intro", &spec, nullptr);
  pa_stream_set_state_callback(stream, Signal<pa_stream>, loop);
  int underflows = 0;
  pa_stream_set_underflow_callback(stream, [](pa_stream*, void* count) { ++*static_cast<int*>(count); }, &underflows);
  // The same request as the game's, so the server runs at the same period.
  pa_buffer_attr attr{};
  attr.maxlength = static_cast<uint32_t>(-1);
  attr.tlength = 2 * period * kBytesPerFrame;
  attr.prebuf = 0;
  attr.minreq = period * kBytesPerFrame;
  attr.fragsize = static_cast<uint32_t>(-1);
  pa_stream_connect_playback(stream, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr, nullptr);
  pa_stream_state_t streamState;
  while ((streamState = pa_stream_get_state(stream)) != PA_STREAM_READY && PA_STREAM_IS_GOOD(streamState)) {
    pa_threaded_mainloop_wait(loop);
  }
  if (streamState != PA_STREAM_READY) return 1;
  // A little silence first, so that the recording starts before the sound.
  const std::vector<char> lead(kRate / 10 * kBytesPerFrame, 0);
  pa_stream_write(stream, lead.data(), lead.size(), nullptr, 0, PA_SEEK_RELATIVE);
  if (pa_stream_write(stream, samples.data(), samples.size(), nullptr, 0, PA_SEEK_RELATIVE) < 0) return 1;
  pa_threaded_mainloop_unlock(loop);

  // Counted until half a second before the end: at the end the server runs
  // out of it, as it should.
  const auto seconds = static_cast<double>(lead.size() + samples.size()) / (kRate * kBytesPerFrame);
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds - 0.5));
  pa_threaded_mainloop_lock(loop);
  const int beforeTheEnd = underflows;
  pa_threaded_mainloop_unlock(loop);
  std::this_thread::sleep_for(std::chrono::duration<double>(1.5));

  pa_threaded_mainloop_lock(loop);
  std::printf("%d\n", beforeTheEnd);
  pa_stream_disconnect(stream);
  pa_stream_unref(stream);
  pa_context_disconnect(context);
  pa_context_unref(context);
  pa_threaded_mainloop_unlock(loop);
  pa_threaded_mainloop_stop(loop);
  pa_threaded_mainloop_free(loop);
  return 0;
}
