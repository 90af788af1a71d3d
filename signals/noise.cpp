#include "signals/noise.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "signals/gaussian_kernel.h"
#include "signals/gaussian_paths.h"
#include "signals/plain_math.h"

namespace {

using gaussian::kDroppedBits;
using gaussian::kGolden;
using gaussian::kSignBit;
using gaussian::kTwoToMinus53;
using gaussian::Mix;

// Keeps the noise's stream apart from the dither's, which draws on the same seeds, and the
// second tries of the Gaussian's rejections apart from the first.
constexpr std::uint64_t kNoiseStream = 0xD1B54A32D192ED03u;
constexpr std::uint64_t kRetryStream = 0x8CB92BA72F3D8DD7u;

// Marsaglia and Tsang's ziggurat (J. Stat. Softw. 5(8), 2000): 256 layers of equal area v under
// e^{-x²/2}, the lowest ending at r and carrying the tail beyond it.
constexpr std::size_t kLayers = gaussian::kLayerMask + 1;
constexpr double kZigguratR = 3.6541528853610088;
constexpr double kZigguratArea = 4.92867323399e-3;
// Values made at a time: the places to finish fit on the stack.
constexpr std::size_t kGaussianRun = 1024;

std::uint64_t HashOfMixedSeed(std::uint64_t mixedSeed, std::uint64_t counter) {
  return Mix(mixedSeed + counter * kGolden);
}

// [0, 1) and (0, 1] from the top 53 bits.
double Unit(std::uint64_t bits) {
  return static_cast<double>(bits >> kDroppedBits) * kTwoToMinus53;
}
double OpenUnit(std::uint64_t bits) {
  return static_cast<double>((bits >> kDroppedBits) + 1) * kTwoToMinus53;
}

// A table, not a branch: the sign is a coin toss, which a branch would mispredict half the time.
double SignOf(std::uint64_t bits) {
  constexpr double kSigns[] = {1.0, -1.0};
  return kSigns[(bits >> kSignBit) & 1];
}

double Density(double x) { return ExpOf(-0.5 * x * x); }

// Edges x[i] of the layers, widest first, and the density there; made with the program's own
// exponential and logarithm, so both builds have the same tables.
struct Ziggurat {
  std::array<double, kLayers + 1> x{};
  std::array<double, kLayers + 1> density{};
};

Ziggurat MakeZiggurat() {
  Ziggurat z;
  z.x[0] = kZigguratArea / Density(kZigguratR);
  z.x[1] = kZigguratR;
  for (std::size_t i = 1; i < kLayers - 1; ++i)
    z.x[i + 1] = std::sqrt(-2.0 * LogOf(kZigguratArea / z.x[i] + Density(z.x[i])));
  z.x[kLayers] = 0;
  for (std::size_t i = 0; i <= kLayers; ++i) z.density[i] = Density(z.x[i]);
  return z;
}

const Ziggurat& TheZiggurat() {
  static const Ziggurat ziggurat = MakeZiggurat();
  return ziggurat;
}

// A value within a layer's core, under the curve for certain; NaN past it. (The common case's
// own path, gaussian::CoreValue, gives the same bits.)
double CoreValue(const Ziggurat& z, std::uint64_t bits) {
  const std::size_t layer = bits & (kLayers - 1);
  const double x = Unit(bits) * z.x[layer];
  if (!(x < z.x[layer + 1])) return NAN;
  return x * SignOf(bits);
}

// Beyond r, by Marsaglia's method, whose own rejections stay within the tail: a try that reached
// it always ends there.
double TailValue(std::uint64_t stream) {
  for (std::uint64_t k = 0;; ++k) {
    const double a = -LogOf(OpenUnit(HashOfMixedSeed(stream, 2 * k))) / kZigguratR;
    const double b = -LogOf(OpenUnit(HashOfMixedSeed(stream, 2 * k + 1)));
    if (2 * b > a * a) return kZigguratR + a;
  }
}

// Whether y < Density(x), for x in the layer: decided by the curve's chord and tangent where they
// leave no doubt (the density is convex beyond 1 and concave below), by the exponential only in
// the sliver between them. The margins are far wider than any rounding, so every answer is the
// one the exponential gives.
bool UnderTheCurve(const Ziggurat& z, std::size_t layer, double x, double y) {
  constexpr double kMargin = 1e-9;
  const double outer = z.x[layer], inner = z.x[layer + 1];
  const double chord =
      z.density[layer] + (outer - x) / (outer - inner) * (z.density[layer + 1] - z.density[layer]);
  if (inner >= 1) {  // convex: under the chord, over the tangent at the outer edge
    if (y > chord * (1 + kMargin)) return false;
    if (y < z.density[layer] * (1 - outer * (x - outer)) * (1 - kMargin)) return true;
  } else if (outer <= 1) {  // concave: over the chord, under the tangent at the inner edge
    if (y < chord * (1 - kMargin)) return true;
    if (y > z.density[layer + 1] * (1 - inner * (x - inner)) * (1 + kMargin)) return false;
  }
  return y < Density(x);
}

// A whole try from 64 bits and, past the layer's core, one more number from `more`: a value, or
// NaN when the try is rejected.
double TryGaussian(const Ziggurat& z, std::uint64_t bits, std::uint64_t more) {
  const double core = CoreValue(z, bits);
  if (!std::isnan(core)) return core;
  const std::size_t layer = bits & (kLayers - 1);
  const double sign = SignOf(bits);
  if (layer == 0) return sign * TailValue(more);
  const double x = Unit(bits) * z.x[layer];
  const double y = z.density[layer] + Unit(more) * (z.density[layer + 1] - z.density[layer]);
  return UnderTheCurve(z, layer, x, y) ? sign * x : NAN;
}

// About one frame in a hundred falls outside the cores: its first try is finished, and further
// tries come from the frame's own retry stream.
double RareGaussian(const Ziggurat& z, std::uint64_t firstBits, std::uint64_t retrySeed,
                    std::uint64_t frame) {
  const std::uint64_t retries = HashOfMixedSeed(retrySeed, frame);
  // Counter 0 finishes the first try; each further try takes the next two.
  double value = TryGaussian(z, firstBits, HashOfMixedSeed(retries, 0));
  for (std::uint64_t next = 1; std::isnan(value); next += 2)
    value = TryGaussian(z, HashOfMixedSeed(retries, next), HashOfMixedSeed(retries, next + 1));
  return value;
}

}  // namespace

std::uint64_t CounterHash(std::uint64_t seed, std::uint64_t counter) {
  return HashOfMixedSeed(Mix(seed), counter);
}

CounterHashSeries::CounterHashSeries(std::uint64_t seed) : mixedSeed_(Mix(seed)) {}

std::uint64_t CounterHashSeries::operator()(std::uint64_t counter) const {
  return HashOfMixedSeed(mixedSeed_, counter);
}

void RenderGaussianValues(std::uint64_t seed, std::uint64_t first, std::size_t count, double* out,
                          ProcessorPath path) {
  const Ziggurat& z = TheZiggurat();
  const std::uint64_t mixedSeed = Mix(seed ^ kNoiseStream);
  const std::uint64_t retrySeed = Mix(seed ^ kRetryStream);
  const CoreValuesFunction core = GaussianCoreFunction(path);
  std::uint32_t misses[kGaussianRun];
  for (std::size_t done = 0; done < count; done += kGaussianRun) {
    const std::size_t run = std::min(kGaussianRun, count - done);
    double* values = out + done;
    const std::size_t missed = core(z.x.data(), mixedSeed, first + done, run, values, misses);
    for (std::size_t m = 0; m < missed; ++m)
      for (std::size_t i = misses[m]; i < std::min(run, misses[m] + gaussian::kMostLanes); ++i)
        if (std::isnan(values[i]))
          values[i] = RareGaussian(z, HashOfMixedSeed(mixedSeed, first + done + i), retrySeed,
                                   first + done + i);
  }
}

void RenderNoiseValues(NoiseKind kind, std::uint64_t seed, std::uint64_t first, std::size_t count,
                       double* out) {
  if (kind == NoiseKind::kGaussian) {
    // Two 64-bit lanes gain nothing on SSE2, which has no 64-bit multiplication: plain code
    // is faster there.
    static const ProcessorPath fastest = FastestProcessorPath() == ProcessorPath::kSse2
                                             ? ProcessorPath::kScalar
                                             : FastestProcessorPath();
    RenderGaussianValues(seed, first, count, out, fastest);
    return;
  }
  const std::uint64_t mixedSeed = Mix(seed ^ kNoiseStream);
  for (std::size_t i = 0; i < count; ++i)
    out[i] = 2.0 * OpenUnit(HashOfMixedSeed(mixedSeed, first + i)) - 1.0;
}
