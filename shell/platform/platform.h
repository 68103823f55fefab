// The platform layer: every operation the game needs from outside its own code,
// in the game's own units (hundredths of a decibel, DirectInput key codes,
// DirectSound buffer flags, millisecond ticks). The game includes this header
// and nothing else of the platform; one backend per build implements it:
// shell/platform/sdl (Linux desktop), shell/platform/win32 (Windows) and
// shell/platform/sim (the simulated machine the tests run on).
//
// The devices, buffers and keyboard are objects held by reference
// (std::shared_ptr); dropping the last reference releases the object, as
// emptying an object variable does.
#pragma once

#include <array>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// ---------------------------------------------------------------------------
// Failures

// A raised run-time failure: the operation's negative 32-bit result code (or
// a run-time error number such as 6 for an overflow) and a description.
class RuntimeError : public std::exception {
 public:
  RuntimeError(int32_t number, std::string description);
  int32_t Number() const noexcept { return number_; }
  const std::string& Description() const noexcept { return description_; }
  const char* what() const noexcept override { return description_.c_str(); }

 private:
  int32_t number_;
  std::string description_;
};

constexpr int32_t ResultCode(uint32_t hresult) { return static_cast<int32_t>(hresult); }

// Result codes the backends raise. The game tests only the two DirectInput
// codes of a lost keyboard; the others only have to be negative and telling.
inline constexpr int32_t kDierrNotAcquired = ResultCode(0x8007000C);
inline constexpr int32_t kDierrInputLost = ResultCode(0x8007001E);
inline constexpr int32_t kDsErrNoDriver = ResultCode(0x88780078);
inline constexpr int32_t kDsErrBadFormat = ResultCode(0x88780064);
inline constexpr int32_t kDsErrControlUnavailable = ResultCode(0x8878001E);
inline constexpr int32_t kErrFileNotFound = ResultCode(0x80070002);
inline constexpr int32_t kErrAccessDenied = ResultCode(0x80070005);
inline constexpr int32_t kErrOutOfMemory = ResultCode(0x8007000E);
inline constexpr int32_t kErrInvalidArgument = ResultCode(0x80070057);
inline constexpr int32_t kErrFail = ResultCode(0x80004005);
inline constexpr int32_t kErrDeviceNotFound = ResultCode(0x80040154);

// Run-time error numbers of the language's own support.
inline constexpr int32_t kRuntimeOverflow = 6;
inline constexpr int32_t kRuntimeOutOfMemory = 7;

// ---------------------------------------------------------------------------
// Sound (DirectSound)

// Buffer capabilities, summed into BufferDescription::flags.
inline constexpr int32_t kBufferPrimary = 1;
inline constexpr int32_t kBufferStatic = 2;
inline constexpr int32_t kBufferCtrl3D = 16;
inline constexpr int32_t kBufferCtrlFrequency = 32;
inline constexpr int32_t kBufferCtrlPan = 64;
inline constexpr int32_t kBufferCtrlVolume = 128;

inline constexpr int32_t kCooperativePriority = 2;  // DSSCL_PRIORITY

inline constexpr int32_t kPlayOnce = 0;
inline constexpr int32_t kPlayLooping = 1;  // DSBPLAY_LOOPING

inline constexpr int32_t kStatusPlaying = 1;  // DSBSTATUS_PLAYING
inline constexpr int32_t kStatusLooping = 4;  // DSBSTATUS_LOOPING

inline constexpr int32_t kVolumeSilent = -10000;
inline constexpr int32_t kPanLeft = -10000;
inline constexpr int32_t kPanRight = 10000;

struct WaveFormat {  // WAVEFORMATEX
  int16_t formatTag = 0;
  int16_t channels = 0;
  int32_t samplesPerSecond = 0;
  int32_t averageBytesPerSecond = 0;
  int16_t blockAlign = 0;
  int16_t bitsPerSample = 0;
  int16_t extraSize = 0;
};

struct BufferDescription {  // DSBUFFERDESC
  int32_t flags = 0;
  int32_t bufferBytes = 0;
  WaveFormat format;
  std::string algorithm3D;  // a GUID's name, such as "DS3DALG_DEFAULT"
};

class SoundBuffer {
 public:
  virtual ~SoundBuffer() = default;
  virtual void SetVolume(int32_t volume) = 0;  // 0 full level .. -10000 silence
  virtual void SetPan(int32_t pan) = 0;        // -10000 left .. 0 .. +10000 right
  // kPlayOnce or kPlayLooping. Returns at once. A stopped buffer goes on from
  // where it stopped; playing a playing buffer does not restart it.
  virtual void Play(int32_t flags) = 0;
  // Bit 0 (kStatusPlaying) while playing, with kStatusLooping while looping;
  // 0 when stopped or played to its end.
  virtual int32_t GetStatus() = 0;
  // Ends playback at once; the play position stays where it was.
  virtual void Stop() = 0;
};

class Listener3D {
 public:
  virtual ~Listener3D() = default;
};

class PrimaryBuffer {
 public:
  virtual ~PrimaryBuffer() = default;
  virtual std::shared_ptr<Listener3D> GetDirectSound3DListener() = 0;
};

using WindowHandle = std::intptr_t;

class SoundDevice {
 public:
  virtual ~SoundDevice() = default;
  virtual void SetCooperativeLevel(WindowHandle window, int32_t level) = 0;
  // The description has flags 17 (primary, 3-D control) and nothing else.
  virtual std::shared_ptr<PrimaryBuffer> CreatePrimaryBuffer(const BufferDescription& description) = 0;
  // A new static buffer holding the whole file, stopped at its start. The
  // path is relative to the current directory or absolute.
  virtual std::shared_ptr<SoundBuffer> CreateSoundBufferFromFile(const std::string& file,
                                                                 const BufferDescription& description) = 0;
};

// ---------------------------------------------------------------------------
// Keyboard (DirectInput)

using KeyboardState = std::array<uint8_t, 256>;  // by DirectInput key code, bit 7 while down

inline constexpr int32_t kDataFormatKeyboard = 1;        // DIFORMAT_KEYBOARD
inline constexpr int32_t kCooperativeNonExclusive = 2;   // DISCL_NONEXCLUSIVE
inline constexpr int32_t kCooperativeForeground = 4;     // DISCL_FOREGROUND
inline constexpr int32_t kCooperativeBackground = 8;     // DISCL_BACKGROUND

class InputDevice {
 public:
  virtual ~InputDevice() = default;
  virtual void SetCommonDataFormat(int32_t format) = 0;
  virtual void SetCooperativeLevel(WindowHandle window, int32_t flags) = 0;
  virtual void Acquire() = 0;
  // Fails with kDierrNotAcquired when not acquired, kDierrInputLost when the
  // input was taken away (a foreground device whose window lost the focus).
  virtual void GetDeviceStateKeyboard(KeyboardState& state) = 0;
};

class DirectInput {
 public:
  virtual ~DirectInput() = default;
  virtual std::shared_ptr<InputDevice> CreateDevice(const std::string& deviceGuid) = 0;
};

// ---------------------------------------------------------------------------
// The DirectX root object

class DirectX {
 public:
  virtual ~DirectX() = default;
  // "" opens the default sound device.
  virtual std::shared_ptr<SoundDevice> DirectSoundCreate(const std::string& deviceGuid) = 0;
  virtual std::shared_ptr<DirectInput> DirectInputCreate() = 0;
};

std::shared_ptr<DirectX> CreateDirectX();

// ---------------------------------------------------------------------------
// The window system

enum class ControlKind { Label, TextBox };

struct ControlDescription {
  ControlKind kind;
  std::string name;
  std::string text;
  int left, top, width, height;  // twips, from the client area's top left
};

struct FontDescription {
  std::string face;
  double points;
  int weight;
  bool italic, underline, strikeout;
  int charset;
};

// 32 x 32 pixels, 256 colours: one palette index a pixel, rows top down.
struct IconImage {
  static constexpr int kSize = 32;
  std::array<uint32_t, 256> palette;  // 0x00RRGGBB
  std::array<uint8_t, kSize * kSize> pixels;
};

struct FormDescription {
  std::string name;
  std::string title;
  int clientWidth, clientHeight;  // twips
  FontDescription font;
  std::vector<ControlDescription> controls;
  const IconImage* icon;
};

// Shows the form modeless, without an owner; returns at once.
void ShowForm(const FormDescription& form);
WindowHandle FormHandle();
// Sets the text of the form's control with this index in its description.
void SetControlText(int controlIndex, const std::string& text);
// A modal box with only an OK button, no icon; returns when it is closed.
void ShowMessageBox(const std::string& text, const std::string& caption);
// Lets the window system process pending messages. Called on every pass of
// every busy loop, so it must be cheap.
void DoEvents();
// Ends the program at once, from any depth of the call chain.
[[noreturn]] void EndProgram(int exitStatus = 0);

// ---------------------------------------------------------------------------
// Run-time services

std::string ProgramFolder();
void ChangeDirectory(const std::string& folder);
uint32_t GetTickCount();  // milliseconds, wrapping at 2^32
void Randomize();         // reseed from the system timer
float Rnd();              // uniform in [0, 1)

// ---------------------------------------------------------------------------
// The program

struct ProgramIdentity {
  std::string title;  // the application's title: every message box's caption
};

// Runs the program's entry procedure under the backend's run-time support:
// ending the program (EndProgram) from any depth, and reporting a failure that
// nothing caught, in a message box and on standard error, with a non-zero exit
// status. Returns the process's exit status.
int RunProgram(const ProgramIdentity& identity, void (*entry)());

// Thrown by EndProgram to leave every procedure of the call chain at once. The
// game never catches it; only RunProgram does.
struct ProgramEnd {
  int exitStatus;
};

}  // namespace platform
