#include "sound/number_speech.h"

#include <string>

#include "sound/sound_files.h"
#include "sound/sound_playback.h"

namespace {

constexpr const char* kFolder = sound_file::kNumbersFolder;

class DigitString {
 public:
  explicit DigitString(int32_t value) : text_(std::to_string(value)), length_(text_.size()) {}

  size_t Length() const { return length_; }
  const std::string& Text() const { return text_; }
  // Position k counted from the right, 1 being the units; a position past the
  // left end reads the first character.
  char At(size_t k) const { return k > length_ ? text_.front() : text_[length_ - k]; }
  int ValueAt(size_t k) const {
    const char c = At(k);
    return c == '-' ? 0 : c - '0';
  }

 private:
  std::string text_;
  size_t length_;
};

void Play(const std::string& file) { PlaySound(file, 0, true); }
void PlayDigit(const DigitString& s, size_t k) { Play(kFolder + std::string(1, s.At(k)) + ".wav"); }
void PlayTens(const DigitString& s, size_t k) { Play(kFolder + std::string(1, s.At(k)) + "0.wav"); }
void PlayTeen(const DigitString& s, size_t k) { Play(kFolder + std::string("1") + s.At(k) + ".wav"); }

}  // namespace

void SpeakNumber(int32_t value) {
  const DigitString s(value);
  const size_t L = s.Length();
  auto v = [&s](size_t k) { return s.ValueAt(k); };

  // Each step tests its own condition; none stops the later ones.
  // Millions.
  if (L > 8 && v(9) > 0) {
    PlayDigit(s, 9);
    Play(sound_file::kHundred);
  }
  if (L > 7 && v(8) > 1) PlayTens(s, 8);
  if (L > 7 && v(8) == 1) PlayTeen(s, 7);
  // Million is said for any number of seven digits or more, even when its
  // three digits are 0; nothing left of the ninth is said.
  // KEPT_NINE_DIGITS_AND_MILLION
  if (L > 6) {
    if ((L < 8 || v(8) != 1) && v(7) > 0) PlayDigit(s, 7);
    Play(sound_file::kMillion);
  }
  // Thousands.
  if (L > 5 && v(6) > 0) {
    PlayDigit(s, 6);
    Play(sound_file::kHundred);
  }
  if (L > 4 && v(5) > 1) PlayTens(s, 5);
  if (L > 4 && v(5) > 1 && s.At(4) != '0') PlayDigit(s, 4);
  if (L > 4 && v(5) == 1) PlayTeen(s, 4);
  if (L > 3 && (L < 5 || v(5) == 0) && v(4) > 0) PlayDigit(s, 4);
  if ((L > 5 && v(6) != 0) || (L > 4 && v(5) != 0) || (L > 3 && v(4) != 0)) Play(sound_file::kThousand);
  // Units, with no joining words. KEPT_NO_JOINING_WORDS
  if (L > 2 && v(3) > 0) {
    PlayDigit(s, 3);
    Play(sound_file::kHundred);
  }
  if (L > 1 && v(2) > 1) PlayTens(s, 2);
  if (L > 1 && v(2) == 1) Play(kFolder + std::string("1") + s.Text().back() + ".wav");
  if (s.Text() == "0") Play(sound_file::kZero);
  if (L > 1 && v(2) != 1 && v(1) > 0) PlayDigit(s, 1);
  if (L == 1 && v(1) > 0) PlayDigit(s, 1);
}
