// Finds recordings in what the program played: the raw 16-bit stereo frames
// SDL's disk audio driver wrote. Each template is searched for after the
// previous one's place by normalised cross-correlation of the mono mix, so
// the check holds with the music mixed underneath and whatever the timing.
//
// Usage: audio_match RECORDING RATE TEMPLATE...
//   TEMPLATE  FILE[@START[+LENGTH]]  the file, or LENGTH seconds of it from START
//             A|B|C                  whichever of these matches best
//             !TEMPLATE              must not be found after the previous match
// Prints one line a template; exits 0 when every present one scored at least
// the threshold (GRUMBOSH_MATCH_THRESHOLD, default 0.6), in order, and every
// absent one scored below half of it (unrelated speech reaches about 0.25).
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "shell/platform/wave_file.h"

namespace {

using Complex = std::complex<double>;

void Fft(std::vector<Complex>& a, bool inverse) {
  const size_t n = a.size();
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (size_t len = 2; len <= n; len <<= 1) {
    const double angle = 2 * M_PI / static_cast<double>(len) * (inverse ? 1 : -1);
    const Complex step(std::cos(angle), std::sin(angle));
    for (size_t i = 0; i < n; i += len) {
      Complex w(1);
      for (size_t k = 0; k < len / 2; ++k) {
        const Complex u = a[i + k];
        const Complex v = a[i + k + len / 2] * w;
        a[i + k] = u + v;
        a[i + k + len / 2] = u - v;
        w *= step;
      }
    }
  }
  if (inverse) {
    for (Complex& x : a) x /= static_cast<double>(n);
  }
}

struct Template {
  std::string name;
  std::vector<double> samples;
};

Template Load(const std::string& wanted) {
  std::string file = wanted;
  double start = 0;
  double length = -1;
  if (const size_t at = wanted.find('@'); at != std::string::npos) {
    file = wanted.substr(0, at);
    const std::string range = wanted.substr(at + 1);
    const size_t plus = range.find('+');
    start = std::stod(range.substr(0, plus));
    if (plus != std::string::npos) length = std::stod(range.substr(plus + 1));
  }
  const platform::WaveAudio audio = platform::ReadWaveFile(file);
  const std::vector<int16_t> pcm = platform::ToSigned16(audio);
  const size_t frames = pcm.size() / audio.channels;
  const size_t first = std::min(frames, static_cast<size_t>(start * audio.sampleRate));
  const size_t count = length < 0 ? frames - first : std::min(frames - first, static_cast<size_t>(length * audio.sampleRate));
  Template t{wanted, {}};
  for (size_t i = first; i < first + count; ++i) {
    double sum = 0;
    for (size_t c = 0; c < audio.channels; ++c) sum += pcm[i * audio.channels + c];
    t.samples.push_back(sum / audio.channels);
  }
  return t;
}

struct Match {
  double score = 0;
  size_t lag = 0;
};

class Recording {
 public:
  explicit Recording(std::vector<double> mono) : x_(std::move(mono)) {
    size_ = 1;
    while (size_ < 2 * x_.size()) size_ <<= 1;
    spectrum_.assign(size_, Complex(0));
    for (size_t i = 0; i < x_.size(); ++i) spectrum_[i] = x_[i];
    Fft(spectrum_, false);
    energy_.assign(x_.size() + 1, 0);
    for (size_t i = 0; i < x_.size(); ++i) energy_[i + 1] = energy_[i] + x_[i] * x_[i];
  }

  Match Find(const std::vector<double>& t, size_t from) const {
    Match best;
    if (t.empty() || t.size() > x_.size() || t.size() > size_ / 2) return best;
    std::vector<Complex> f(size_, Complex(0));
    for (size_t i = 0; i < t.size(); ++i) f[i] = t[i];
    Fft(f, false);
    for (size_t i = 0; i < size_; ++i) f[i] = spectrum_[i] * std::conj(f[i]);
    Fft(f, true);
    double norm = 0;
    for (double v : t) norm += v * v;
    norm = std::sqrt(norm);
    for (size_t lag = from; lag + t.size() <= x_.size(); ++lag) {
      const double window = energy_[lag + t.size()] - energy_[lag];
      if (window < 1e-4 * norm * norm) continue;
      const double score = f[lag].real() / (std::sqrt(window) * norm);
      if (score > best.score) best = {score, lag};
    }
    return best;
  }

 private:
  std::vector<double> x_;
  size_t size_;
  std::vector<Complex> spectrum_;
  std::vector<double> energy_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s RECORDING RATE TEMPLATE...\n", argv[0]);
    return 2;
  }
  const double rate = std::stod(argv[2]);
  const char* threshold_env = std::getenv("GRUMBOSH_MATCH_THRESHOLD");
  const double threshold = threshold_env ? std::stod(threshold_env) : 0.6;
  std::ifstream in(argv[1], std::ios::binary);
  const std::vector<char> raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<double> mono(raw.size() / 4);
  for (size_t i = 0; i < mono.size(); ++i) {
    auto sample = [&](size_t at) {
      return static_cast<int16_t>(static_cast<uint8_t>(raw[at]) | (static_cast<uint8_t>(raw[at + 1]) << 8));
    };
    mono[i] = (sample(4 * i) + sample(4 * i + 2)) / 2.0;
  }
  std::printf("recording: %.2f s\n", static_cast<double>(mono.size()) / rate);
  const Recording recording(std::move(mono));

  bool ok = true;
  size_t from = 0;
  for (int a = 3; a < argc; ++a) {
    std::string wanted = argv[a];
    const bool absent = !wanted.empty() && wanted[0] == '!';
    if (absent) wanted.erase(0, 1);
    Match best;
    std::string bestName;
    size_t bestLength = 0;
    size_t start = 0;
    for (size_t end; start <= wanted.size(); start = end + 1) {
      end = wanted.find('|', start);
      if (end == std::string::npos) end = wanted.size();
      const Template t = Load(wanted.substr(start, end - start));
      const Match m = recording.Find(t.samples, from);
      if (m.score > best.score || bestName.empty()) {
        best = m;
        bestName = t.name;
        bestLength = t.samples.size();
      }
    }
    const bool pass = absent ? best.score < threshold / 2 : best.score >= threshold;
    std::printf("%-8s %-40s score %.3f at %.3f s\n", absent ? "absent" : "present", bestName.c_str(), best.score,
                static_cast<double>(best.lag) / rate);
    ok = ok && pass;
    if (!absent && pass) from = best.lag + bestLength;
  }
  std::printf("%s\n", ok ? "all matched" : "MISMATCH");
  return ok ? 0 : 1;
}
