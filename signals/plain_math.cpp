#include "signals/plain_math.h"

#include <cmath>

namespace {

constexpr double kQuarterPi = 0.78539816339744830962;
constexpr double kOctants = 8;
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
// 2 atanh(s) = ln((1 + s) / (1 - s)) for |s| <= 0.172: odd terms up to s^23.
constexpr int kHighestAtanhPower = 23;

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
  // Exact steps: the fraction of a cycle, then eighths of it.
  const double eighths = (cycles - std::floor(cycles)) * kOctants;
  const double octant = std::floor(eighths);
  const double fraction = eighths - octant;
  return SineOfOctant(static_cast<std::uint64_t>(octant), fraction, 1.0 - fraction);
}

double ExpOf(double x) {
  const double k = std::nearbyint(x * kInverseLn2);
  const double r = (x - k * kLn2High) - k * kLn2Low;
  double sum = 0;
  for (double term : kExpTerms) sum = sum * r + term;
  return std::ldexp(sum, static_cast<int>(k));
}

double LogOf(double x) {
  int exponent = 0;
  double mantissa = std::frexp(x, &exponent);  // [0.5, 1)
  if (mantissa < kSqrtHalf) {
    mantissa *= 2;
    --exponent;
  }
  const double s = (mantissa - 1) / (mantissa + 1);
  const double s2 = s * s;
  double sum = 0;
  for (int power = kHighestAtanhPower; power >= 1; power -= 2) sum = sum * s2 + 1.0 / power;
  return exponent * kLn2 + 2 * s * sum;
}
