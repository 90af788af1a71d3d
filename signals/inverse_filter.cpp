#include "signals/inverse_filter.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "signals/exact_tone.h"
#include "signals/fft.h"
#include "signals/plain_math.h"

namespace {

// Small enough to leave the band flat to far better than 0.001 dB, large enough that bins with
// next to no energy are not blown up.
constexpr double kRegularization = 1e-8;

// Where the sweep fades in and out at its ends, dividing by its spectrum would only blow up what
// little is there: the inverse tapers over a third of an octave at either end.
constexpr double kTaperOctaves = 1.0 / 3;

struct Band {
  double f1, low, high, f2;
};

// A falling sweep covers the same band as a rising one.
Band FlatBand(double start, double end) {
  const double f1 = std::min(start, end), f2 = std::max(start, end);
  const double taper = ExpOf(LogOf(2.0) * kTaperOctaves);
  Band band{f1, f1 * taper, f2 / taper, f2};
  if (band.low > band.high) band.low = band.high = std::sqrt(f1 * f2);
  return band;
}

// 1 within the flat band; raised-cosine edges (on a log scale) down to f1 and up to f2; nothing
// beyond.
double BandWeight(double f, const Band& band) {
  if (f >= band.low && f <= band.high) return 1;
  if (!(f > band.f1 && f < band.f2)) return 0;
  const double share = f < band.low ? LogOf(f / band.f1) / LogOf(band.low / band.f1)
                                    : LogOf(band.f2 / f) / LogOf(band.f2 / band.high);
  const double sine = SineOfCycles(share / 4);  // sin(π/2 · share)
  return sine * sine;
}

}  // namespace

InverseFilter InverseFilterOf(const std::vector<double>& sweep, double f1, double f2, double rate) {
  const std::size_t n = sweep.size();
  const std::size_t size = FastTransformSize(2 * n);
  std::vector<std::complex<double>> spectrum(size);
  std::copy(sweep.begin(), sweep.end(), spectrum.begin());
  TransformInPlace(spectrum, false);
  double strongest = 0;
  for (const auto& bin : spectrum) strongest = std::max(strongest, std::norm(bin));
  const double epsilon = kRegularization * strongest;
  // The impulse comes `n` frames late, which makes the filter (a reversed sweep) causal.
  const std::uint64_t lag = n;
  const Band band = FlatBand(f1, f2);
  for (std::size_t k = 0; k <= size / 2; ++k) {
    const double f = static_cast<double>(k) * rate / static_cast<double>(size);
    const std::uint64_t turn = static_cast<std::uint64_t>(k) * lag % size;  // of e^{-j2π k lag/M}
    const std::complex<double> delay(SineOfCycleFraction((4 * turn + size) % (4 * size), 4 * size),
                                     -SineOfCycleFraction(turn, size));
    const std::complex<double> inverse =
        BandWeight(f, band) * std::conj(spectrum[k]) / (std::norm(spectrum[k]) + epsilon) * delay;
    spectrum[k] = inverse;
    if (k > 0 && k < size - k) spectrum[size - k] = std::conj(inverse);
  }
  TransformInPlace(spectrum, true);
  InverseFilter filter{std::vector<double>(size), lag, band.low, band.high};
  for (std::size_t i = 0; i < size; ++i)
    filter.taps[i] = spectrum[i].real() / static_cast<double>(size);
  return filter;
}
