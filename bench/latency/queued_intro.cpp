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

struct State {
  pa_threaded_mainloop* loop = nullptr;
  bool ready = false;
  bool failed = false;
  int underflows = 0;
};

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

  State state;
  state.loop = pa_threaded_mainloop_new();
  pa_threaded_mainloop_start(state.loop);
  pa_threaded_mainloop_lock(state.loop);
  pa_context* context = pa_context_new(pa_threaded_mainloop_get_api(state.loop), "queued_intro");
  pa_context_set_state_callback(
      context,
      [](pa_context* c, void* data) {
        auto* s = static_cast<State*>(data);
        if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(c))) s->failed = true;
        if (pa_context_get_state(c) == PA_CONTEXT_READY) s->ready = true;
        pa_threaded_mainloop_signal(s->loop, 0);
      },
      &state);
  pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr);
  while (!state.ready && !state.failed) pa_threaded_mainloop_wait(state.loop);
  if (state.failed) return 1;

  const pa_sample_spec spec{PA_SAMPLE_S16LE, kRate, 2};
  pa_stream* stream = pa_stream_new(context, "queued_intro", &spec, nullptr);
  state.ready = false;
  pa_stream_set_state_callback(
      stream,
      [](pa_stream* st, void* data) {
        auto* s = static_cast<State*>(data);
        if (!PA_STREAM_IS_GOOD(pa_stream_get_state(st))) s->failed = true;
        if (pa_stream_get_state(st) == PA_STREAM_READY) s->ready = true;
        pa_threaded_mainloop_signal(s->loop, 0);
      },
      &state);
  pa_stream_set_underflow_callback(
      stream, [](pa_stream*, void* data) { ++static_cast<State*>(data)->underflows; }, &state);
  // The same request as the game's, so the server runs at the same period.
  pa_buffer_attr attr{};
  attr.maxlength = static_cast<uint32_t>(-1);
  attr.tlength = 2 * period * kBytesPerFrame;
  attr.prebuf = 0;
  attr.minreq = period * kBytesPerFrame;
  attr.fragsize = static_cast<uint32_t>(-1);
  pa_stream_connect_playback(stream, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr, nullptr);
  while (!state.ready && !state.failed) pa_threaded_mainloop_wait(state.loop);
  if (state.failed) return 1;
  // A little silence first, so that the recording starts before the sound.
  const std::vector<char> lead(kRate / 10 * kBytesPerFrame, 0);
  pa_stream_write(stream, lead.data(), lead.size(), nullptr, 0, PA_SEEK_RELATIVE);
  if (pa_stream_write(stream, samples.data(), samples.size(), nullptr, 0, PA_SEEK_RELATIVE) < 0) return 1;
  pa_threaded_mainloop_unlock(state.loop);

  // Counted until half a second before the end: at the end the server runs
  // out of it, as it should.
  const auto seconds = static_cast<double>(lead.size() + samples.size()) / (kRate * kBytesPerFrame);
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds - 0.5));
  pa_threaded_mainloop_lock(state.loop);
  const int underflows = state.underflows;
  pa_threaded_mainloop_unlock(state.loop);
  std::this_thread::sleep_for(std::chrono::duration<double>(1.5));

  pa_threaded_mainloop_lock(state.loop);
  std::printf("%d\n", underflows);
  pa_stream_disconnect(stream);
  pa_stream_unref(stream);
  pa_context_disconnect(context);
  pa_context_unref(context);
  pa_threaded_mainloop_unlock(state.loop);
  pa_threaded_mainloop_stop(state.loop);
  pa_threaded_mainloop_free(state.loop);
  return 0;
}
