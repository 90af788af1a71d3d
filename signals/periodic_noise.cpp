#include "signals/periodic_noise.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "signals/exact_tone.h"
#include "signals/fft.h"
#include "signals/noise.h"

namespace {

// Apart from the dither's and the white noise's streams, which share the seeds.
constexpr std::uint64_t kPhaseStream = 0xBB67AE8584CAA73Bu;
// Phases are whole numbers of 1 / 2^16 of a cycle, their sines looked up: a random phase would
// otherwise cost two sines, each with a mispredicted branch.
constexpr int kPhaseBits = 16;
constexpr int kDroppedPhaseBits = 64 - kPhaseBits;
constexpr std::uint64_t kPhaseSteps = std::uint64_t{1} << kPhaseBits;
constexpr double kPinkReference = 1000.0;  // Hz, where pink's bins have the magnitude 1

const std::vector<double>& PhaseSines() {
  static const std::vector<double> sines = [] {
    std::vector<double> table(kPhaseSteps);
    for (std::uint64_t j = 0; j < kPhaseSteps; ++j) table[j] = SineOfCycleFraction(j, kPhaseSteps);
    return table;
  }();
  return sines;
}

}  // namespace

std::vector<double> NoiseBinMagnitudes(NoiseSpectrum spectrum, std::size_t frames, double rate,
                                       double low, double high) {
  std::vector<double> magnitudes(frames / 2 + 1);
  for (std::size_t k = 1; 2 * k < frames; ++k) {
    const double f = static_cast<double>(k) * rate / static_cast<double>(frames);
    if (f < low || f > high) continue;
    magnitudes[k] = spectrum == NoiseSpectrum::kPink ? std::sqrt(kPinkReference / f) : 1.0;
  }
  return magnitudes;
}

void FillNoiseBins(const std::vector<double>& magnitudes, std::uint64_t seed,
                   std::vector<std::complex<double>>& bins) {
  const std::vector<double>& sines = PhaseSines();
  const CounterHashSeries phaseHash(seed ^ kPhaseStream);
  const std::size_t frames = bins.size();
  std::fill(bins.begin(), bins.end(), std::complex<double>());
  for (std::size_t k = 1; 2 * k < frames; ++k) {
    const double magnitude = magnitudes[k];
    if (magnitude == 0) continue;
    const std::uint64_t turn = phaseHash(k) >> kDroppedPhaseBits;
    bins[k] = {magnitude * sines[(turn + kPhaseSteps / 4) % kPhaseSteps], magnitude * sines[turn]};
    bins[frames - k] = std::conj(bins[k]);
  }
}

std::vector<double> PeriodicNoise(NoiseSpectrum spectrum, std::uint64_t seed, std::size_t frames,
                                  double rate, double low, double high) {
  std::vector<std::complex<double>> bins(frames);
  FillNoiseBins(NoiseBinMagnitudes(spectrum, frames, rate, low, high), seed, bins);
  TransformInPlace(bins, true);
  std::vector<double> values(frames);
  for (std::size_t i = 0; i < frames; ++i) values[i] = bins[i].real();
  return values;
}

std::uint64_t LargestPrimeFactor(std::uint64_t n) {
  std::uint64_t largest = 1;
  for (std::uint64_t p = 2; p * p <= n; ++p)
    while (n % p == 0) {
      largest = p;
      n /= p;
    }
  return n > 1 ? n : largest;
}
