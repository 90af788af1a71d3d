#include "signals/periodic_noise.h"

#include <cmath>
#include <complex>

#include "signals/fft.h"
#include "signals/noise.h"
#include "signals/plain_math.h"

namespace {

// Apart from the dither's and the white noise's streams, which share the seeds.
constexpr std::uint64_t kPhaseStream = 0xBB67AE8584CAA73Bu;
constexpr double kTwoToMinus64 = 1.0 / 18446744073709551616.0;
constexpr double kPinkReference = 1000.0;  // Hz, where pink's bins have the magnitude 1

}  // namespace

std::vector<double> PeriodicNoise(NoiseSpectrum spectrum, std::uint64_t seed, std::size_t frames,
                                  double rate, double low, double high) {
  std::vector<std::complex<double>> bins(frames);
  for (std::size_t k = 1; 2 * k < frames; ++k) {
    const double f = static_cast<double>(k) * rate / static_cast<double>(frames);
    if (f < low || f > high) continue;
    const double magnitude = spectrum == NoiseSpectrum::kPink ? std::sqrt(kPinkReference / f) : 1.0;
    const double turn = static_cast<double>(CounterHash(seed ^ kPhaseStream, k)) * kTwoToMinus64;
    bins[k] = {magnitude * SineOfCycles(turn + 0.25), magnitude * SineOfCycles(turn)};
    bins[frames - k] = std::conj(bins[k]);
  }
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
