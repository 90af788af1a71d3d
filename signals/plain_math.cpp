#include "signals/plain_math.h"

#include <cmath>
#include <cstring>

namespace {

constexpr double kQuarterPi = 0.78539816339744830962;
constexpr std::size_t kOctantsPerCycle = 8;
constexpr std::size_t kSineSteps = 256;
constexpr double kRadiansPerStep = 6.28318530717958647692 / kSineSteps;
// Series for |δ| < 2π / 256: the next terms are below 1e-19 of the value.
constexpr double kSin3 = -1.0 / 6, kSin5 = 1.0 / 120, kSin7 = -1.0 / 5040;
constexpr double kCos2 = -1.0 / 2, kCos4 = 1.0 / 24, kCos6 = -1.0 / 720;
// ln 2 in two parts, the first with trailing zero bits, so that k · ln 2 stays exact enough.
constexpr double kLn2High = 6.93147180369123816490e-01;
constexpr double kLn2Low = 1.90821492927058770002e-10;
constexpr double kInverseLn2 = 1.44269504088896338700e+00;
constexpr double kLn2 = 0.69314718055994530942;
constexpr double kSqrtHalf = 0.70710678118654752440;

// Taylor series on [0, π/4], whose terms beyond these are below half a unit in the last place,
// by Horner's rule; coefficients from the highest power down.
constexpr double kSineTerms[] = {
    1.0 / 355687428096000.0, -1.0 / 1307674368000.0, 1.0 / 6227020800.0, -1.0 / 39916800.0,
    1.0 / 362880.0,          -1.0 / 5040.0,          1.0 / 120.0,        -1.0 / 6.0};
constexpr double kCosineTerms[] = {
    -1.0 / 6402373705728000.0, 1.0 / 20922789888000.0, -1.0 / 87178291200.0, 1.0 / 479001600.0,
    -1.0 / 3628800.0,          1.0 / 40320.0,          -1.0 / 720.0,         1.0 / 24.0};
// e^r for |r| <= ln 2 / 2: terms up to r^13 / 13!.
constexpr double kExpTerms[] = {1.0 / 6227020800.0,
                                1.0 / 479001600.0,
                                1.0 / 39916800.0,
                                1.0 / 3628800.0,
                                1.0 / 362880.0,
                                1.0 / 40320.0,
                                1.0 / 5040.0,
                                1.0 / 720.0,
                                1.0 / 120.0,
                                1.0 / 24.0,
                                1.0 / 6.0,
                                1.0 / 2.0,
                                1.0,
                                1.0};
// 2 atanh(s) = ln((1 + s) / (1 - s)) for |s| <= 0.172: 1 / n for the odd n up to 23, highest
// first.
constexpr double kAtanhTerms[] = {1.0 / 23, 1.0 / 21, 1.0 / 19, 1.0 / 17, 1.0 / 15, 1.0 / 13,
                                  1.0 / 11, 1.0 / 9,  1.0 / 7,  1.0 / 5,  1.0 / 3,  1.0};
// Adding and taking away 1.5 · 2^52 rounds to a whole number, ties to even, as nearbyint does.
constexpr double kRoundingShift = 6755399441055744.0;
constexpr int kExponentBias = 1023;
constexpr int kMantissaBits = 52;
constexpr std::uint64_t kMantissaMask = (std::uint64_t{1} << kMantissaBits) - 1;

std::uint64_t BitsOf(double x) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &x, sizeof bits);
  return bits;
}

double DoubleOf(std::uint64_t bits) {
  double x = 0;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

// 2^k for a normal result, -1022 <= k <= 1023.
double PowerOfTwo(int k) {
  return DoubleOf(static_cast<std::uint64_t>(k + kExponentBias) << kMantissaBits);
}

// floor(x) for |x| < 2^52 without a library call: the conversion truncates towards zero.
double WholeBelow(double x) {
  const auto truncated = static_cast<double>(static_cast<std::int64_t>(x));
  return truncated > x ? truncated - 1.0 : truncated;
}

double SineNearZero(double x) {
  const double s = x * x;
  double sum = 0;
  for (double term : kSineTerms) sum = sum * s + term;
  return x + x * s * sum;
}

double CosineNearZero(double x) {
  const double s = x * x;
  double sum = 0;
  for (double term : kCosineTerms) sum = sum * s + term;
  return 1.0 - s / 2.0 + s * s * sum;
}

// sin and cos of 2π j / kSineSteps, from the octant series: exact fractions of an octant.
struct SineSteps {
  double sine[kSineSteps];
  double cosine[kSineSteps];
};

double SineOfStep(std::size_t j) {
  const std::size_t perOctant = kSineSteps / kOctantsPerCycle;
  const double fraction = static_cast<double>(j % perOctant) / perOctant;
  const double complement = static_cast<double>(perOctant - j % perOctant) / perOctant;
  return SineOfOctant(j / perOctant, fraction, complement);
}

const SineSteps& TheSineSteps() {
  static const SineSteps steps = [] {
    SineSteps made{};
    for (std::size_t j = 0; j < kSineSteps; ++j) {
      made.sine[j] = SineOfStep(j);
      made.cosine[j] = SineOfStep((j + kSineSteps / 4) % kSineSteps);
    }
    return made;
  }();
  return steps;
}

}  // namespace

double SineOfOctant(std::uint64_t octant, double fraction, double complement) {
  const double into = kQuarterPi * fraction;
  const double back = kQuarterPi * complement;
  double value = 0;
  switch (octant % 4) {
    case 0: value = SineNearZero(into); break;
    case 1: value = CosineNearZero(back); break;
    case 2: value = CosineNearZero(into); break;
    default: value = SineNearZero(back); break;
  }
  return octant % 8 < 4 ? value : -value;
}

double SineOfCycles(double cycles) {
  // sin(a + δ) = sin a cos δ + cos a sin δ, with a the nearest step of the table below and δ
  // under 2π / 256, whose short series need no branch: a sweep's octant changes at random.
  static const SineSteps& steps = TheSineSteps();
  const double turns = (cycles - WholeBelow(cycles)) * kSineSteps;
  const auto step = static_cast<std::size_t>(turns);  // 0 to kSineSteps - 1: turns >= 0
  const double delta = (turns - static_cast<double>(step)) * kRadiansPerStep;
  const double d2 = delta * delta;
  const double sineDelta = delta + delta * d2 * (kSin3 + d2 * (kSin5 + d2 * kSin7));
  const double cosineDelta = 1.0 + d2 * (kCos2 + d2 * (kCos4 + d2 * kCos6));
  return steps.sine[step] * cosineDelta + steps.cosine[step] * sineDelta;
}

double ExpOf(double x) {
  const double k = (x * kInverseLn2 + kRoundingShift) - kRoundingShift;
  const double r = (x - k * kLn2High) - k * kLn2Low;
  double sum = 0;
  for (double term : kExpTerms) sum = sum * r + term;
  return sum * PowerOfTwo(static_cast<int>(k));
}

double LogOf(double x) {
  // x = mantissa · 2^exponent with the mantissa in [0.5, 1); subnormal x is scaled up first.
  constexpr int kSubnormalLift = 64;
  const bool subnormal = x < PowerOfTwo(-kExponentBias + 1);
  const std::uint64_t bits = BitsOf(subnormal ? x * PowerOfTwo(kSubnormalLift) : x);
  int exponent = static_cast<int>(bits >> kMantissaBits) - kExponentBias + 1 -
                 (subnormal ? kSubnormalLift : 0);
  double mantissa =
      DoubleOf((bits & kMantissaMask) | (std::uint64_t{kExponentBias - 1} << kMantissaBits));
  if (mantissa < kSqrtHalf) {
    mantissa *= 2;
    --exponent;
  }
  const double s = (mantissa - 1) / (mantissa + 1);
  const double s2 = s * s;
  double sum = 0;
  for (double term : kAtanhTerms) sum = sum * s2 + term;
  return exponent * kLn2 + 2 * s * sum;
}
