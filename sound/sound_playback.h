// The sound device and everything played on it: the resident sounds, one-shot
// playback with a pan and a wait, and the skippable announcement.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "shell/platform/platform.h"

extern std::shared_ptr<platform::SoundDevice> SoundDevice;
extern std::shared_ptr<platform::PrimaryBuffer> PrimaryBuffer;
extern std::shared_ptr<platform::Listener3D> Listener;
// The sound of the latest PlaySound call; replacing it silences the previous one.
extern std::shared_ptr<platform::SoundBuffer> OneShotBuffer;
extern platform::WaveFormat WaveFormat;
extern platform::BufferDescription BufferDesc;

inline constexpr int32_t ResidentFlags = 226;  // static, frequency, pan and volume control
inline constexpr int32_t OneShotFlags = 194;   // static, pan and volume control
inline constexpr int32_t PrimaryFlags = 17;    // primary buffer, 3-D control

// Makes the program's folder the current directory and loads the music, block
// and swing sounds. Failures are raised.
void LoadSounds();
void CreateSoundBuffer(std::shared_ptr<platform::SoundBuffer>& slot, std::string file);
// Plays a file once at full volume from a fresh buffer; with wait true returns
// when it has finished. Reports any failure in a message box and returns.
void PlaySound(const std::string& file, int32_t pan, bool wait);
// Plays a file that any key of the skip list cuts short, after waiting for all
// of them to be released. Reports any failure in a message box and returns.
void Announcement(const std::string& file);

// The message of a failure trapped by PlaySound or Announcement.
std::string TrappedFailureMessage(const std::string& procedure, const platform::RuntimeError& failure);
