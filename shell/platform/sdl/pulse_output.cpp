#include "shell/platform/sdl/pulse_output.h"

#include <pulse/pulseaudio.h>

#include <algorithm>

namespace sdl {
namespace {

constexpr uint32_t kBytesPerFrame = sizeof(int16_t) * kMixerChannels;
constexpr uint64_t kBytesPerSecond = uint64_t{kMixerRate} * kBytesPerFrame;
// The heard voices are moved on, and the queue topped up, this often: a
// sound's status ends within a tick of its last sample being read.
constexpr pa_usec_t kTick = 5'000;

}  // namespace

std::unique_ptr<PulseOutput> PulseOutput::Open() {
  std::unique_ptr<PulseOutput> output(new PulseOutput);
  pa_threaded_mainloop_lock(output->loop_);
  output->Connect();
  while (!output->ready_ && !output->failed_) pa_threaded_mainloop_wait(output->loop_);
  // A first report of where the server reads, before the game starts a
  // sound: without one the sound could start where the server has read.
  if (output->ready_) {
    const auto signal = [](pa_stream*, int, void* loop) {
      pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
    };
    pa_operation* update = pa_stream_update_timing_info(output->stream_, signal, output->loop_);
    while (update != nullptr && pa_operation_get_state(update) == PA_OPERATION_RUNNING) {
      pa_threaded_mainloop_wait(output->loop_);
    }
    if (update != nullptr) pa_operation_unref(update);
  }
  const bool ready = output->ready_;
  pa_threaded_mainloop_unlock(output->loop_);
  if (!ready) return nullptr;
  output->mixer_->SetAhead(output.get());
  return output;
}

PulseOutput::PulseOutput()
    : mixer_(std::make_shared<Mixer>()),
      loop_(pa_threaded_mainloop_new()),
      block_(size_t{kAheadFrames} * kMixerChannels) {
  pa_threaded_mainloop_start(loop_);
  pa_threaded_mainloop_lock(loop_);
  ArmTick();
  pa_threaded_mainloop_unlock(loop_);
}

PulseOutput::~PulseOutput() {
  mixer_->SetAhead(nullptr);
  pa_threaded_mainloop_lock(loop_);
  if (tick_ != nullptr) pa_threaded_mainloop_get_api(loop_)->time_free(tick_);
  Drop();
  pa_threaded_mainloop_unlock(loop_);
  pa_threaded_mainloop_stop(loop_);
  pa_threaded_mainloop_free(loop_);
}

void PulseOutput::Connect() {
  failed_ = false;
  context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Grumbosh");
  pa_context_set_state_callback(
      context_,
      [](pa_context* context, void* self) {
        auto* output = static_cast<PulseOutput*>(self);
        const pa_context_state_t state = pa_context_get_state(context);
        if (state == PA_CONTEXT_READY) output->CreateStream();
        if (!PA_CONTEXT_IS_GOOD(state)) output->Lost();
      },
      this);
  // No server is started for us: without one, SDL chooses the output.
  if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) Lost();
}

void PulseOutput::CreateStream() {
  const pa_sample_spec spec{PA_SAMPLE_S16NE, kMixerRate, kMixerChannels};
  stream_ = pa_stream_new(context_, "Game", &spec, nullptr);
  if (stream_ == nullptr) return Lost();
  pa_stream_set_state_callback(
      stream_,
      [](pa_stream* stream, void* self) {
        auto* output = static_cast<PulseOutput*>(self);
        const pa_stream_state_t state = pa_stream_get_state(stream);
        if (state == PA_STREAM_READY) output->Started();
        if (!PA_STREAM_IS_GOOD(state)) output->Lost();
      },
      this);
  // The server is asked for the smallest output buffer it has, as for a
  // queue of two periods; it is sent kAheadFrames all the same, at each
  // tick, since a queue may hold far more than it asks for. No
  // prebuffering: should the queue ever run out, the server plays on, with
  // silence, at the pace of the clock the voices keep.
  pa_buffer_attr attr{};
  attr.maxlength = static_cast<uint32_t>(-1);
  attr.tlength = 2 * kPeriodFrames * kBytesPerFrame;
  attr.prebuf = 0;
  attr.minreq = kPeriodFrames * kBytesPerFrame;
  attr.fragsize = static_cast<uint32_t>(-1);
  const auto flags =
      static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_AUTO_TIMING_UPDATE);
  if (pa_stream_connect_playback(stream_, nullptr, &attr, flags, nullptr, nullptr) < 0) Lost();
}

// Called by the main loop's callbacks, by a write that failed, or while
// connecting: what failed is dropped at the next tick, outside them.
void PulseOutput::Lost() {
  failed_ = true;
  pa_threaded_mainloop_signal(loop_, 0);
  // Until it was ready once, Open reports the failure instead.
  if (!started_) return;
  ready_ = false;
  if (!lost_) lost_.emplace(LossClock::Now());
}

void PulseOutput::Drop() {
  if (stream_ != nullptr) {
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
  }
  if (context_ != nullptr) {
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
  }
  ready_ = false;
}

void PulseOutput::ArmTick() {
  pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
  timeval when{};
  pa_timeval_add(pa_gettimeofday(&when), kTick);
  if (tick_ != nullptr) {
    api->time_restart(tick_, &when);
    return;
  }
  const auto tick = [](pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
    static_cast<PulseOutput*>(self)->OnTick();
  };
  tick_ = api->time_new(api, &when, tick, this);
}

void PulseOutput::OnTick() {
  if (lost_) {
    KeepLost();
  } else if (ready_) {
    Feed();
  }
  ArmTick();
}

// The game never learns that the server was lost: time goes on for its
// voices, and the next server plays them on from where they are.
void PulseOutput::KeepLost() {
  if (failed_) Drop();
  PassLostTime();
  if (context_ == nullptr && lost_->AttemptDue(LossClock::Now())) {
    Connect();
    lost_->Attempted(LossClock::Now());
  }
}

void PulseOutput::PassLostTime() {
  const size_t due = lost_->FramesDue(LossClock::Now());
  mixer_->Skip(due);
  heard_ += due;
}

void PulseOutput::Started() {
  if (lost_) {
    PassLostTime();
    lost_.reset();
  }
  ready_ = true;
  started_ = true;
  origin_ = heard_;
  written_ = heard_;
  pace_.Reset();
  Rewrite();
  pa_threaded_mainloop_signal(loop_, 0);
}

void PulseOutput::Feed() {
  Advance();
  const bool focused = AudioFocus();
  if (focused != focused_) {
    focused_ = focused;
    mixer_->SetFocused(focused);
    Rewrite();
  } else if (written_ <= heard_) {
    Rewrite();  // the server read everything queued: the voices go on from the clock
  } else if (written_ < heard_ + kAheadFrames) {
    Write(written_, static_cast<size_t>(heard_ + kAheadFrames - written_));
  }
  NoteReport();
  // Fresh figures for the next estimate of where the server reads.
  if (pa_operation* update = pa_stream_update_timing_info(stream_, nullptr, nullptr)) pa_operation_unref(update);
}

void PulseOutput::NoteReport() {
  const pa_timing_info* info = pa_stream_get_timing_info(stream_);
  if (info == nullptr || info->read_index_corrupt != 0) return;
  pace_.Note(info->read_index, pa_timeval_load(&info->timestamp));
}

void PulseOutput::Change(const std::function<void()>& change, bool startsSound) {
  pa_threaded_mainloop_lock(loop_);
  // What is mixed again lands where the server may already be reading: a
  // Stop or a pan takes effect from wherever that is, at once; a sound that
  // starts is placed past where the server can have read (how far the
  // estimate may fall behind, and a period more), so that it is heard from
  // its first sample.
  if (ready_) Advance(startsSound ? kPeriodFrames + pace_.AheadFrames() : 0);
  change();
  if (ready_) Rewrite();
  pa_threaded_mainloop_unlock(loop_);
}

std::optional<uint64_t> PulseOutput::ServerFrame() const {
  const pa_timing_info* info = pa_stream_get_timing_info(stream_);
  if (info == nullptr || info->read_index_corrupt != 0) return std::nullopt;
  // Without prebuffering the server reads on at its rate whatever it holds.
  const int64_t bytes =
      info->read_index + static_cast<int64_t>(pa_timeval_age(&info->timestamp) * kBytesPerSecond / 1'000'000);
  return origin_ + static_cast<uint64_t>(std::max<int64_t>(bytes, 0)) / kBytesPerFrame;
}

void PulseOutput::Advance(uint32_t lead) {
  const std::optional<uint64_t> server = ServerFrame();
  if (!server) return;
  const uint64_t target = *server + lead;
  if (target <= heard_) return;
  mixer_->Skip(static_cast<size_t>(target - heard_));
  heard_ = target;
}

void PulseOutput::Rewrite() {
  mixer_->Rewind();
  const uint64_t queued = written_ > heard_ ? written_ - heard_ : 0;
  Write(heard_, static_cast<size_t>(std::max<uint64_t>(queued, kAheadFrames)));
}

// Always at an absolute place in the stream: what lands before the server's
// reading place is dropped, so the timeline never shifts.
void PulseOutput::Write(uint64_t from, size_t frames) {
  while (frames > 0) {
    const size_t count = std::min<size_t>(frames, kAheadFrames);
    mixer_->RenderAhead(block_.data(), count);
    const auto offset = static_cast<int64_t>((from - origin_) * kBytesPerFrame);
    if (pa_stream_write(stream_, block_.data(), count * kBytesPerFrame, nullptr, offset, PA_SEEK_ABSOLUTE) < 0) {
      return Lost();
    }
    from += count;
    frames -= count;
  }
  written_ = from;
}

}  // namespace sdl
