// The game's sound straight into a PulseAudio server (PulseAudio's own, or
// PipeWire's), where a player's desktop has one.
//
// Why not through SDL: SDL's audio thread has to wake once a buffer, and a
// buffer small enough for a key to be heard at once (128 frames, 5.8 ms) is
// missed on a busy machine whenever that thread wakes a few milliseconds
// late, which is a dropout. Here the server holds kAheadFrames (93 ms) mixed
// ahead, which no late wake of ours empties, and every change the game makes
// (a Play, a Stop, a pan, a release) has the queue mixed again from where the
// server reads: a Stop is heard as soon as the server's own output buffer
// has played out. Measured from a key to silence on private servers:
// PulseAudio 0.2 ms median, PipeWire 4.8 ms, against about 60 ms for an SDL
// program with SDL's default buffer (README, "Performance").
//
// The game's statuses follow the server's reading place, estimated from its
// timing reports and moved on every tick: a sound has ended for the game
// once the server has read its last sample.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "shell/platform/mixer/mixer.h"
#include "shell/platform/sdl/reading_pace.h"
#include "shell/platform/sdl/sdl_audio_output.h"

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;
struct pa_time_event;

namespace sdl {

class PulseOutput final : public Mixer::Ahead {
 public:
  // The period the server is asked for: PipeWire runs its graph a period at
  // a time; PulseAudio keeps its own output buffer as small as its sink
  // allows. With both cores busy PipeWire now and then misses a period of
  // its graph (a period of silence in place, our queue full, no underrun
  // reported): at 64 frames; at 128 (5.8 ms) in 6 of 51 whole games, though
  // in none of the 14 played since; and at 256 too, which besides costs
  // 5 ms more from a key to silence (9.6 ms median). A sound that starts is
  // placed a period past the server's estimated reading place, and past how
  // far the server has lately been seen to read ahead of such estimates
  // (ReadingPace), so that none of its start lands where it has already read.
  static constexpr uint32_t kPeriodFrames = 128;
  // What the server holds: a late wake of ours costs nothing until this runs out.
  static constexpr uint32_t kAheadFrames = 2048;

  // The default server's output, started; nullptr when no server answers.
  static std::unique_ptr<PulseOutput> Open();
  ~PulseOutput();
  PulseOutput(const PulseOutput&) = delete;
  PulseOutput& operator=(const PulseOutput&) = delete;

  const std::shared_ptr<Mixer>& SharedMixer() const { return mixer_; }

  void Change(const std::function<void()>& change, bool startsSound) override;

 private:
  PulseOutput();
  void Connect();
  void CreateStream();
  void Drop();
  void Lost();
  void Started();
  void ArmTick();
  void OnTick();
  void Feed();
  void NoteReport();
  void KeepLost();
  // Moves the voices on by the time gone by since the server was lost.
  void PassLostTime();
  // Moves the heard timeline on to the frame the server reads now, or
  // `lead` frames past it.
  void Advance(uint32_t lead = 0);
  std::optional<uint64_t> ServerFrame() const;
  // Mixes the queue again from the heard frame.
  void Rewrite();
  void Write(uint64_t from, size_t frames);

  std::shared_ptr<Mixer> mixer_;
  pa_threaded_mainloop* loop_ = nullptr;
  // Everything below is under the main loop's lock.
  pa_context* context_ = nullptr;
  pa_stream* stream_ = nullptr;
  bool ready_ = false;
  bool started_ = false;
  bool failed_ = false;
  bool focused_ = true;
  // Frames of the game's timeline: where the heard voices are, where the
  // queue ends, and where the server's stream began.
  uint64_t heard_ = 0;
  uint64_t written_ = 0;
  uint64_t origin_ = 0;
  std::optional<LossClock> lost_;
  ReadingPace pace_{sizeof(int16_t) * kMixerChannels, kMixerRate};
  pa_time_event* tick_ = nullptr;
  std::vector<int16_t> block_;
};

}  // namespace sdl
