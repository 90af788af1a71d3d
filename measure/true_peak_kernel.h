// The true-peak filter's inner loop, written once for every vector width: each output is summed
// tap by tap in the same order on every path, so every path gives the same bits as the plain one.
// Only the true-peak files include this header, each compiled for its instruction set.
#pragma once

#include <cstddef>
#include <cstring>

namespace true_peak {

constexpr std::size_t kTaps = 12;
constexpr unsigned kPhases = 4;

// The largest |value| the phases 0, step, 2 step ... interpolate for outputs 0 .. count - 1,
// where output n's newest sample is x[n] and x[n - 11] its oldest. `taps[phase][k]` applies to
// x[n - k].
// Vectors of doubles, named outside the template, where GCC keeps their width.
template <int kWidth>
struct Doubles;
template <>
struct Doubles<2> {
  typedef double Type __attribute__((vector_size(16)));
};
template <>
struct Doubles<4> {
  typedef double Type __attribute__((vector_size(32)));
};
template <>
struct Doubles<8> {
  typedef double Type __attribute__((vector_size(64)));
};

// The largest |x[i]|, two vectors of SSE2 at a time, which both builds have.
inline double LargestMagnitude(const double* x, std::size_t count) {
  using Vector = Doubles<2>::Type;
  Vector first{}, second{};
  std::size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    Vector a, b;
    std::memcpy(&a, x + i, sizeof a);
    std::memcpy(&b, x + i + 2, sizeof b);
    a = a < 0 ? -a : a;
    b = b < 0 ? -b : b;
    first = first > a ? first : a;
    second = second > b ? second : b;
  }
  first = first > second ? first : second;
  double largest = first[0] > first[1] ? first[0] : first[1];
  for (; i < count; ++i) {
    const double magnitude = x[i] < 0 ? -x[i] : x[i];
    largest = largest > magnitude ? largest : magnitude;
  }
  return largest;
}

// Output n's sum, tap by tap, newest first: the order every path keeps.
inline double LargestAt(const double* x, std::size_t n, const double (&taps)[kPhases][kTaps],
                        unsigned step, double largest) {
  for (unsigned phase = 0; phase < kPhases; phase += step) {
    double sum = taps[phase][0] * x[n];
    for (std::size_t k = 1; k < kTaps; ++k) sum = sum + taps[phase][k] * x[n - k];
    const double magnitude = sum < 0 ? -sum : sum;
    largest = largest > magnitude ? largest : magnitude;
  }
  return largest;
}

// The phases step apart, known when compiled so that every running sum stays in a register.
template <int kWidth, unsigned kStep>
double LargestInterpolatedEvery(const double* x, std::size_t count,
                                const double (&taps)[kPhases][kTaps]) {
  double result = 0;
  std::size_t n = 0;
  if constexpr (kWidth > 1) {
    using Vector = typename Doubles<kWidth>::Type;
    const auto load = [](const double* at) {
      Vector v;
      std::memcpy(&v, at, sizeof v);
      return v;
    };
    // Two vectors of outputs at a time: the running sums hide the additions' latency.
    constexpr std::size_t kStride = 2 * kWidth;
    constexpr unsigned kUsed = kPhases / kStep;
    Vector largest{};
    for (; n + kStride <= count; n += kStride) {
      Vector first[kUsed], second[kUsed];
      Vector newer = load(x + n), newest = load(x + n + kWidth);
#pragma GCC unroll 4
      for (unsigned u = 0; u < kUsed; ++u) {
        first[u] = taps[u * kStep][0] * newer;
        second[u] = taps[u * kStep][0] * newest;
      }
#pragma GCC unroll 12
      for (std::size_t k = 1; k < kTaps; ++k) {
        newer = load(x + n - k);
        newest = load(x + n + kWidth - k);
#pragma GCC unroll 4
        for (unsigned u = 0; u < kUsed; ++u) {
          first[u] = first[u] + taps[u * kStep][k] * newer;
          second[u] = second[u] + taps[u * kStep][k] * newest;
        }
      }
#pragma GCC unroll 4
      for (unsigned u = 0; u < kUsed; ++u) {
        const Vector a = first[u] < 0 ? -first[u] : first[u];
        const Vector b = second[u] < 0 ? -second[u] : second[u];
        largest = largest > a ? largest : a;
        largest = largest > b ? largest : b;
      }
    }
    for (int lane = 0; lane < kWidth; ++lane)
      result = result > largest[lane] ? result : largest[lane];
  }
  for (; n < count; ++n) result = LargestAt(x, n, taps, kStep, result);
  return result;
}

template <int kWidth>
double LargestInterpolated(const double* x, std::size_t count, const double (&taps)[kPhases][kTaps],
                           unsigned step) {
  return step == 1 ? LargestInterpolatedEvery<kWidth, 1>(x, count, taps)
                   : LargestInterpolatedEvery<kWidth, 2>(x, count, taps);
}

}  // namespace true_peak
