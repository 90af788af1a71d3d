#include "signals/exact_tone.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "signals/plain_math.h"

namespace {

constexpr std::uint64_t kOctants = 8;
// Above this many distinct values a period's mean square is the continuous shape's to far below
// any level a file can show (the difference falls with the square of the count).
constexpr std::uint64_t kMostValuesAveraged = std::uint64_t{1} << 20;

// A position in the cycle as eighths: 8 r / P = octant + rest / P, in exact whole numbers, so
// that stepping from frame to frame and computing a frame's position afresh agree to the bit.
struct OctantPosition {
  std::uint64_t octant;  // 0 to 7
  std::uint64_t rest;    // 0 to P - 1
};

OctantPosition OctantOf(std::uint64_t r, std::uint64_t period) {
  const std::uint64_t scaled = r * kOctants;
  const std::uint64_t octant = scaled / period;
  return {octant, scaled - octant * period};
}

// sin(2π (octant + rest / P) / 8), with 1 / P given.
double SineAtOctant(OctantPosition at, std::uint64_t period, double reciprocal) {
  return SineOfOctant(at.octant, static_cast<double>(at.rest) * reciprocal,
                      static_cast<double>(period - at.rest) * reciprocal);
}

// The sine's frames, stepped in eighths: the octant and rest move by the step's own eighths.
void RenderSineValues(const ExactTone& tone, std::uint64_t r, std::size_t count, double* out) {
  const std::uint64_t period = tone.period;
  const double reciprocal = 1.0 / static_cast<double>(period);
  const OctantPosition step = OctantOf(tone.cycles % period, period);
  OctantPosition at = OctantOf(r, period);
  for (std::size_t i = 0; i < count; ++i) {
    out[i] = SineAtOctant(at, period, reciprocal);
    at.rest += step.rest;
    at.octant += step.octant;
    if (at.rest >= period) {
      at.rest -= period;
      ++at.octant;
    }
    at.octant %= kOctants;
  }
}

// Position within the cycle, twice over, shifted by half a cycle: ((2r + P) mod 2P), for the
// shapes that start half way (saw and square start at phase π).
std::uint64_t HalfShiftedDouble(std::uint64_t r, std::uint64_t period) {
  const std::uint64_t twice = 2 * r + period;
  return twice >= 2 * period ? twice - 2 * period : twice;
}

// The shape at position r of the period, for a tone whose frames visit `repeat` positions: the
// values those positions take have no DC. An even count leaves a saw's steps 1 / repeat low,
// which they are lifted by; an odd count puts a position on a square's jump, which takes the
// jump's middle, and leaves a triangle 1 / repeat² low.
double ShapeValue(int shape, std::uint64_t r, std::uint64_t period, std::uint64_t repeat) {
  const auto positions = static_cast<double>(repeat);
  const bool odd = repeat % 2 == 1;
  switch (shape) {
    case kToneSine: return SineOfCycleFraction(r, period);
    case kToneSaw:
      return static_cast<double>(HalfShiftedDouble(r, period)) / static_cast<double>(period) - 1.0 +
             (odd ? 0.0 : 1.0 / positions);
    case kToneSquare:
      if (odd && r == 0) return 0.0;
      return HalfShiftedDouble(r, period) < period ? 1.0 : -1.0;
    case kToneTriangle: {
      const double x = static_cast<double>(r) / static_cast<double>(period);
      const double lift = odd ? 1.0 / (positions * positions) : 0.0;
      return (2 * r < period ? 4.0 * x - 1.0 : 3.0 - 4.0 * x) + lift;
    }
    default: return 0.0;
  }
}

double ContinuousMeanSquare(int shape) {
  switch (shape) {
    case kToneSine: return 0.5;
    case kToneSquare: return 1.0;
    case kToneSaw:
    case kToneTriangle: return 1.0 / 3.0;
    default: return 0.0;
  }
}

}  // namespace

std::uint64_t MultiplyModulo(std::uint64_t a, std::uint64_t b, std::uint64_t m) {
  // Doubling and adding: no 128-bit type in the 32-bit build.
  std::uint64_t result = 0;
  a %= m;
  for (; b > 0; b >>= 1) {
    if (b & 1) result = result >= m - a ? result - (m - a) : result + a;
    a = a >= m - a ? a - (m - a) : a + a;
  }
  return result;
}

double SineOfCycleFraction(std::uint64_t numerator, std::uint64_t denominator) {
  return SineAtOctant(OctantOf(numerator, denominator), denominator,
                      1.0 / static_cast<double>(denominator));
}

void RenderToneValues(const ExactTone& tone, std::uint64_t first, std::size_t count, double* out) {
  if (tone.period == 0) {
    std::fill(out, out + count, 0.0);
    return;
  }
  const std::uint64_t step = tone.cycles % tone.period;
  // Where the block starts is computed from its first frame; within it the position steps on in
  // whole numbers, which is exact.
  std::uint64_t r = MultiplyModulo(first % tone.period, step, tone.period);
  if (tone.shape == kToneSine) {
    RenderSineValues(tone, r, count, out);
    return;
  }
  const std::uint64_t repeat = FramesPerRepeat(tone);
  for (std::size_t i = 0; i < count; ++i) {
    out[i] = ShapeValue(tone.shape, r, tone.period, repeat);
    r = r >= tone.period - step ? r - (tone.period - step) : r + step;
  }
}

std::uint64_t FramesPerRepeat(const ExactTone& tone) {
  if (tone.period == 0) return 1;
  const std::uint64_t spacing = std::gcd(tone.cycles % tone.period, tone.period);
  return tone.period / (spacing == 0 ? tone.period : spacing);
}

Levels ToneLevels(const ExactTone& tone) {
  if (tone.period == 0) return {0.0, 0.0};
  // The frames visit the multiples of gcd(cycles, period) once each per period.
  const std::uint64_t values = FramesPerRepeat(tone);
  if (values > kMostValuesAveraged) return {1.0, ContinuousMeanSquare(tone.shape)};
  Levels levels;
  double sum = 0;
  for (std::uint64_t j = 0; j < values; ++j) {
    const double value = ShapeValue(tone.shape, j * (tone.period / values), tone.period, values);
    levels.peak = std::max(levels.peak, std::fabs(value));
    sum += value * value;
  }
  levels.meanSquare = sum / static_cast<double>(values);
  // A sine's level is its amplitude, as it always was: a frame seldom sits on its crest.
  if (tone.shape == kToneSine) levels.peak = 1.0;
  return levels;
}
