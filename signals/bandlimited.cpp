#include "signals/bandlimited.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// The Fourier series of the exact shapes, at a position x = r / P of the cycle whose sine and
// cosine are given; sin(hθ) and cos(hθ) by Chebyshev's recurrence over h.
double HarmonicSum(int shape, double sine, double cosine, std::uint64_t highest) {
  double sum = 0;
  double sinePrevious = 0, sineNow = sine;  // sin((h - 1)θ), sin(hθ)
  double cosinePrevious = 1, cosineNow = cosine;
  for (std::uint64_t h = 1; h <= highest; ++h) {
    const double weight = 1.0 / static_cast<double>(h);
    switch (shape) {
      case kToneSaw: sum += (h % 2 == 1 ? weight : -weight) * sineNow; break;
      case kToneSquare:
        if (h % 2 == 1) sum += weight * sineNow;
        break;
      default:
        if (h % 2 == 1) sum += weight * weight * cosineNow;
        break;
    }
    const double sineNext = 2 * cosine * sineNow - sinePrevious;
    const double cosineNext = 2 * cosine * cosineNow - cosinePrevious;
    sinePrevious = sineNow;
    sineNow = sineNext;
    cosinePrevious = cosineNow;
    cosineNow = cosineNext;
  }
  switch (shape) {
    case kToneSaw: return 2 / kPi * sum;
    case kToneSquare: return -4 / kPi * sum;
    default: return -8 / (kPi * kPi) * sum;
  }
}

}  // namespace

std::uint64_t HighestHarmonic(const ExactTone& tone) {
  const std::uint64_t cycles = tone.cycles % tone.period;
  return cycles == 0 ? 0 : (tone.period - 1) / (2 * cycles);
}

void RenderBandlimitedValues(const ExactTone& tone, std::uint64_t first, std::size_t count,
                             double* out) {
  if (tone.shape == kToneSine) {
    RenderToneValues(tone, first, count, out);
    return;
  }
  const std::uint64_t period = tone.period;
  const std::uint64_t step = tone.cycles % period;
  const std::uint64_t highest = HighestHarmonic(tone);
  std::uint64_t r = MultiplyModulo(first % period, step, period);
  for (std::size_t i = 0; i < count; ++i) {
    const double sine = SineOfCycleFraction(r, period);
    const double cosine = SineOfCycleFraction((4 * r + period) % (4 * period), 4 * period);
    out[i] = HarmonicSum(tone.shape, sine, cosine, highest);
    r = r >= period - step ? r - (period - step) : r + step;
  }
}
