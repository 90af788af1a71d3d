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

// 1 from 2 f1 to f2 / 2, where the inverse must be flat; raised-cosine edges (on a log scale)
// down to f1 and up to f2, where the sweep itself fades in and out; nothing beyond, where
// dividing by its spectrum would only blow up what little is there.
double BandWeight(double f, double f1, double f2) {
  if (f >= 2 * f1 && f <= f2 / 2) return 1;
  if (!(f > f1 && f < f2)) return 0;
  const double octaves = f < 2 * f1 ? LogOf(f / f1) / LogOf(2.0) : LogOf(f2 / f) / LogOf(2.0);
  const double sine = SineOfCycles(octaves / 4);  // sin(π/2 · octaves)
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
  for (std::size_t k = 0; k <= size / 2; ++k) {
    const double f = static_cast<double>(k) * rate / static_cast<double>(size);
    const std::uint64_t turn = static_cast<std::uint64_t>(k) * lag % size;  // of e^{-j2π k lag/M}
    const std::complex<double> delay(SineOfCycleFraction((4 * turn + size) % (4 * size), 4 * size),
                                     -SineOfCycleFraction(turn, size));
    const std::complex<double> inverse =
        BandWeight(f, f1, f2) * std::conj(spectrum[k]) / (std::norm(spectrum[k]) + epsilon) * delay;
    spectrum[k] = inverse;
    if (k > 0 && k < size - k) spectrum[size - k] = std::conj(inverse);
  }
  TransformInPlace(spectrum, true);
  InverseFilter filter{std::vector<double>(size), lag};
  for (std::size_t i = 0; i < size; ++i)
    filter.taps[i] = spectrum[i].real() / static_cast<double>(size);
  return filter;
}
