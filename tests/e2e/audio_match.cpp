// Finds recordings in what the program played, in order, by normalised
// cross-correlation: the music mixed underneath and the timing do not matter.
// Every file is raw 32-bit float mono at one rate (sox makes them).
//
//   audio_match RATE RECORDING TEMPLATE...
//     FILE     must be found after the previous match (score >= 0.6)
//     A|B|C    whichever of these scores best must be found
//     !FILE    must not be found after the previous match (score < 0.45)
//
// A loaded machine may leave a gap in the recording (a sound server's
// underrun) or lose some milliseconds of it. A file not found whole is found
// if its two halves are, the second starting at most a quarter second after
// the first ends or a tenth of a second before, down to pieces of an eighth
// of a second: the sound was played, with a hitch.
#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <numeric>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using Spectrum = std::vector<std::complex<double>>;

std::vector<float> Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<float> samples;
  for (float sample = 0; in.read(reinterpret_cast<char*>(&sample), sizeof sample);) samples.push_back(sample);
  return samples;
}

// The samples, zero-padded to `size`.
Spectrum Padded(const std::vector<float>& s, size_t size) { Spectrum a(s.begin(), s.end()); a.resize(size); return a; }

// Unscaled discrete Fourier transform, of a size that is a power of two.
Spectrum Fft(Spectrum a, double sign) {
  const size_t n = a.size();
  if (n == 1) return a;
  Spectrum even(n / 2), odd(n / 2);
  for (size_t i = 0; i < n / 2; ++i) even[i] = a[2 * i], odd[i] = a[2 * i + 1];
  even = Fft(std::move(even), sign);
  odd = Fft(std::move(odd), sign);
  for (size_t k = 0; k < n / 2; ++k) {
    const auto turned = std::polar(1.0, sign * 2 * std::numbers::pi * double(k) / double(n)) * odd[k];
    a[k] = even[k] + turned;
    a[k + n / 2] = even[k] - turned;
  }
  return a;
}

struct Match {
  double score = 0;
  size_t end = 0;
};

class Recording {
 public:
  Recording(std::vector<float> samples, double rate) : samples_(std::move(samples)), rate_(rate) {
    while (size_ < samples_.size()) size_ *= 2;
    spectrum_ = Fft(Padded(samples_, size_), -1);
    energy_.resize(samples_.size() + 1);  // energy_[i]: of the first i samples
    for (size_t i = 0; i < samples_.size(); ++i) energy_[i + 1] = energy_[i] + samples_[i] * samples_[i];
  }

  // The best match of `wanted` starting at a lag in [from, to].
  Match Best(const std::vector<float>& wanted, size_t from, size_t to) const {
    Match best{0, from};
    if (wanted.empty() || wanted.size() > samples_.size()) return best;
    Spectrum product = Fft(Padded(wanted, size_), -1);
    for (size_t i = 0; i < size_; ++i) product[i] = spectrum_[i] * std::conj(product[i]);
    product = Fft(std::move(product), 1);  // the correlation at every lag, times size_
    const double norm = std::inner_product(wanted.begin(), wanted.end(), wanted.begin(), 0.0);
    for (size_t lag = from; lag <= to && lag + wanted.size() <= samples_.size(); ++lag) {
      const double window = energy_[lag + wanted.size()] - energy_[lag];
      if (window < norm / 1000) continue;  // near silence
      const double score = product[lag].real() / static_cast<double>(size_) / std::sqrt(window * norm);
      if (score > best.score) best = {score, lag + wanted.size()};
    }
    return best;
  }

  // Found whole, or as halves found in turn with a short gap between them.
  Match Found(const std::vector<float>& wanted, size_t from, size_t to) const {
    const Match whole = Best(wanted, from, to);
    const size_t half = wanted.size() / 2;
    if (whole.score >= kPresent || half < static_cast<size_t>(rate_ / 8)) return whole;
    const Match first = Found({wanted.begin(), wanted.begin() + static_cast<std::ptrdiff_t>(half)}, from, to);
    if (first.score < kPresent) return whole;
    const size_t back = std::min(first.end, static_cast<size_t>(rate_ / 10));  // or a few lost
    const Match second = Found({wanted.begin() + static_cast<std::ptrdiff_t>(half), wanted.end()},
                               first.end - back, first.end + static_cast<size_t>(rate_ / 4));
    return second.score >= kPresent ? Match{std::min(first.score, second.score), second.end} : whole;
  }

  static constexpr double kPresent = 0.6;

 private:
  std::vector<float> samples_;
  double rate_;
  size_t size_ = 1;
  Spectrum spectrum_;
  std::vector<double> energy_;
};

}  // namespace

int main(int argc, char** argv) {
  const double rate = argc > 2 ? std::stod(argv[1]) : 0;
  const Recording recording(Read(argc > 2 ? argv[2] : ""), rate);
  bool ok = argc > 3;
  size_t from = 0;  // where the previous match ended
  for (int arg = 3; arg < argc; ++arg) {
    const bool absent = argv[arg][0] == '!';
    std::istringstream names(argv[arg] + (absent ? 1 : 0));
    std::string found = argv[arg];
    Match best{0, from};
    for (std::string name; std::getline(names, name, '|');) {
      const std::vector<float> wanted = Read(name);
      const Match match = absent ? recording.Best(wanted, from, SIZE_MAX) : recording.Found(wanted, from, SIZE_MAX);
      if (match.score > best.score) best = match, found = name;
    }
    const bool pass = absent ? best.score < 0.45 : best.score >= Recording::kPresent;
    std::printf("%s %s %s: %.2f, ending at %.2f s\n", pass ? "ok  " : "FAIL", absent ? "absent " : "present",
                found.c_str(), best.score, double(best.end) / rate);
    ok = ok && pass;
    if (!absent) from = best.end;
  }
  return ok ? 0 : 1;
}
