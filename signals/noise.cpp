#include "signals/noise.h"

#include <cmath>

#include "signals/plain_math.h"

namespace {

constexpr double kTwoToMinus53 = 1.0 / 9007199254740992.0;
constexpr std::uint64_t kGolden = 0x9E3779B97F4A7C15u;
// Keeps the noise's stream apart from the dither's, which draws on the same seeds.
constexpr std::uint64_t kNoiseStream = 0xD1B54A32D192ED03u;

std::uint64_t Mix(std::uint64_t z) {
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  return z ^ (z >> 31);
}

// (0, 1]: never 0, whose logarithm Box and Muller's transform takes.
double OpenUnit(std::uint64_t bits) {
  return static_cast<double>((bits >> 11) + 1) * kTwoToMinus53;
}

// Box and Muller: two independent uniform numbers give two independent Gaussian ones, for
// frames 2m (the cosine's) and 2m + 1 (the sine's).
struct GaussianPair {
  double even, odd;
};

GaussianPair GaussiansOfPair(std::uint64_t seed, std::uint64_t pair) {
  const double radius =
      std::sqrt(-2.0 * LogOf(OpenUnit(CounterHash(seed ^ kNoiseStream, 2 * pair))));
  const double turn = OpenUnit(CounterHash(seed ^ kNoiseStream, 2 * pair + 1));
  return {radius * SineOfCycles(turn + 0.25), radius * SineOfCycles(turn)};
}

void RenderGaussianValues(std::uint64_t seed, std::uint64_t first, std::size_t count, double* out) {
  for (std::size_t i = 0; i < count;) {
    const std::uint64_t frame = first + i;
    const GaussianPair pair = GaussiansOfPair(seed, frame / 2);
    if (frame % 2 == 0) {
      out[i++] = pair.even;
      if (i < count) out[i++] = pair.odd;
    } else {
      out[i++] = pair.odd;
    }
  }
}

}  // namespace

std::uint64_t CounterHash(std::uint64_t seed, std::uint64_t counter) {
  return Mix(Mix(seed) + counter * kGolden);
}

void RenderNoiseValues(NoiseKind kind, std::uint64_t seed, std::uint64_t first, std::size_t count,
                       double* out) {
  if (kind == NoiseKind::kGaussian) {
    RenderGaussianValues(seed, first, count, out);
    return;
  }
  for (std::size_t i = 0; i < count; ++i)
    out[i] = 2.0 * OpenUnit(CounterHash(seed ^ kNoiseStream, first + i)) - 1.0;
}
