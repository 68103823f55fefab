// Finds recordings in what the program played, in order, by normalised
// cross-correlation: the music mixed underneath and the timing do not matter.
// Every file is raw 32-bit float mono at one rate (sox makes them).
//
//   audio_match RATE RECORDING TEMPLATE...
//     FILE     must be found after the previous match (score >= 0.6)
//     A|B|C    whichever of these scores best must be found
//     !FILE    must not be found after the previous match (score < 0.45)
#include <algorithm>
#include <cmath>
#include <complex>
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

}  // namespace

int main(int argc, char** argv) {
  const double rate = argc > 2 ? std::stod(argv[1]) : 0;
  const std::vector<float> recording = Read(argc > 2 ? argv[2] : "");
  size_t size = 1;
  while (size < recording.size()) size *= 2;
  const Spectrum heard = Fft(Padded(recording, size), -1);
  std::vector<double> energy(recording.size() + 1);  // energy[i]: of the first i samples
  for (size_t i = 0; i < recording.size(); ++i) energy[i + 1] = energy[i] + recording[i] * recording[i];

  bool ok = argc > 3;
  size_t from = 0;  // where the previous match ended
  for (int arg = 3; arg < argc; ++arg) {
    const bool absent = argv[arg][0] == '!';
    std::istringstream names(argv[arg] + (absent ? 1 : 0));
    std::string found = argv[arg];
    double best = 0;
    size_t end = from;
    for (std::string name; std::getline(names, name, '|');) {
      const std::vector<float> wanted = Read(name);
      if (wanted.empty() || wanted.size() > recording.size()) continue;
      Spectrum product = Fft(Padded(wanted, size), -1);
      for (size_t i = 0; i < size; ++i) product[i] = heard[i] * std::conj(product[i]);
      product = Fft(std::move(product), 1);  // the correlation at every lag, times `size`
      const double norm = std::inner_product(wanted.begin(), wanted.end(), wanted.begin(), 0.0);
      for (size_t lag = from; lag + wanted.size() <= recording.size(); ++lag) {
        const double window = energy[lag + wanted.size()] - energy[lag];
        if (window < norm / 1000) continue;  // near silence
        const double score = product[lag].real() / static_cast<double>(size) / std::sqrt(window * norm);
        if (score > best) best = score, found = name, end = lag + wanted.size();
      }
    }
    const bool pass = absent ? best < 0.45 : best >= 0.6;
    std::printf("%s %s %s: %.2f, ending at %.2f s\n", pass ? "ok  " : "FAIL", absent ? "absent " : "present",
                found.c_str(), best, double(end) / rate);
    ok = ok && pass;
    if (!absent) from = end;
  }
  return ok ? 0 : 1;
}
