// The sound device of the backends that mix the game's sounds themselves
// (SDL, web): a buffer is one of the mixer's voices, holding its whole file.
#pragma once

#include <memory>
#include <string>

#include "shell/platform/mixer/mixer.h"
#include "shell/platform/platform.h"

namespace mixer {

class MixedSoundDevice : public platform::SoundDevice {
 public:
  explicit MixedSoundDevice(std::shared_ptr<Mixer> mixer) : mixer_(std::move(mixer)) {}

  // The output is shared with other programs at any level.
  void SetCooperativeLevel(platform::WindowHandle, int32_t) override {}

  std::shared_ptr<platform::PrimaryBuffer> CreatePrimaryBuffer(const platform::BufferDescription&) override;

  // The buffer plays the file as it is, whatever format the description
  // gives: a player's file of another width or rate is converted once, here;
  // the game's own are read straight into the voice's samples.
  std::shared_ptr<platform::SoundBuffer> CreateSoundBufferFromFile(const std::string& file,
                                                                   const platform::BufferDescription&) override;

 private:
  std::shared_ptr<Mixer> mixer_;
};

}  // namespace mixer
