// The Gaussian noise's common case, written once for every vector width: the counter hash and
// the ziggurat's core test, lane by lane the same operations as one value at a time. Only the
// noise's own files include this header, the path files each compiled for its instruction set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace gaussian {

constexpr std::uint64_t kGolden = 0x9E3779B97F4A7C15u;
constexpr int kLayerBits = 8;
constexpr std::uint64_t kLayerMask = (std::uint64_t{1} << kLayerBits) - 1;
constexpr int kSignBit = kLayerBits;
constexpr int kDroppedBits = 11;  // of 64, leaving 53 for the uniform number
constexpr double kTwoToMinus53 = 1.0 / 9007199254740992.0;

// SplitMix64's finaliser, for one value or a vector of them.
template <typename Bits>
Bits Mix(Bits z) {
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  return z ^ (z >> 31);
}

template <int kWidth>
struct Lanes;
template <>
struct Lanes<2> {
  typedef std::uint64_t Bits __attribute__((vector_size(16)));
  typedef double Values __attribute__((vector_size(16)));
};
template <>
struct Lanes<4> {
  typedef std::uint64_t Bits __attribute__((vector_size(32)));
  typedef double Values __attribute__((vector_size(32)));
};
template <>
struct Lanes<8> {
  typedef std::uint64_t Bits __attribute__((vector_size(64)));
  typedef double Values __attribute__((vector_size(64)));
};

// One value: the layer's core value, or NaN where the try leaves the core.
inline double CoreValue(const double* edges, std::uint64_t bits) {
  const std::size_t layer = bits & kLayerMask;
  const double unit = static_cast<double>(static_cast<std::int64_t>(bits >> kDroppedBits));
  const double x = unit * kTwoToMinus53 * edges[layer];
  if (!(x < edges[layer + 1])) return __builtin_nan("");
  std::uint64_t pattern;
  std::memcpy(&pattern, &x, sizeof x);
  pattern ^= ((bits >> kSignBit) & 1) << 63;
  double signedValue;
  std::memcpy(&signedValue, &pattern, sizeof pattern);
  return signedValue;
}

// Outputs first .. first + count - 1: core values, NaN where the scalar code must finish the try.
// `edges` are the ziggurat's 257 layer edges. Returns how many places it notes in `misses`: every
// NaN lies in out[m .. m + kMostLanes - 1] for a place m noted (at most count places).
constexpr std::size_t kMostLanes = 8;

template <int kWidth>
std::size_t CoreValues(const double* edges, std::uint64_t mixedSeed, std::uint64_t first,
                       std::size_t count, double* out, std::uint32_t* misses) {
  static_assert(kWidth <= static_cast<int>(kMostLanes));
  std::size_t i = 0, missed = 0;
  if constexpr (kWidth > 1) {
    using Bits = typename Lanes<kWidth>::Bits;
    using Values = typename Lanes<kWidth>::Values;
    // The 53 bits as a double, exactly, in two halves each below 2^52 (its mantissa's reach).
    constexpr std::uint64_t kExponent52 = 0x4330000000000000u;
    constexpr double kTwo52 = 4503599627370496.0;
    constexpr int kLowBits = 26;
    constexpr std::uint64_t kLowMask = (std::uint64_t{1} << kLowBits) - 1;
    Bits weyl;
    for (int lane = 0; lane < kWidth; ++lane)
      weyl[lane] = mixedSeed + (first + static_cast<std::uint64_t>(lane)) * kGolden;
    const std::uint64_t stride = static_cast<std::uint64_t>(kWidth) * kGolden;
    for (; i + kWidth <= count; i += kWidth, weyl += stride) {
      const Bits bits = Mix(weyl);
      const Bits kept = bits >> kDroppedBits;
      Values high, low;
      const Bits highBits = (kept >> kLowBits) | kExponent52,
                 lowBits = (kept & kLowMask) | kExponent52;
      std::memcpy(&high, &highBits, sizeof high);
      std::memcpy(&low, &lowBits, sizeof low);
      const Values unit = (high - kTwo52) * 67108864.0 + (low - kTwo52);
      Values edge, nextEdge;
      for (int lane = 0; lane < kWidth; ++lane) {
        const std::size_t layer = bits[lane] & kLayerMask;
        edge[lane] = edges[layer];
        nextEdge[lane] = edges[layer + 1];
      }
      const Values x = unit * kTwoToMinus53 * edge;
      Bits pattern;
      std::memcpy(&pattern, &x, sizeof x);
      pattern ^= ((bits >> kSignBit) & 1) << 63;
      Values value;
      std::memcpy(&value, &pattern, sizeof value);
      const Values nan = Values{} + __builtin_nan("");
      const auto inCore = x < nextEdge;
      value = inCore ? value : nan;
      std::memcpy(out + i, &value, sizeof value);
      std::int64_t all = -1;
      for (int lane = 0; lane < kWidth; ++lane) all &= inCore[lane];
      misses[missed] = static_cast<std::uint32_t>(i);  // noted without a branch
      missed += all == 0;
    }
  }
  for (; i < count; ++i) {
    out[i] = CoreValue(edges, Mix(mixedSeed + (first + i) * kGolden));
    misses[missed] = static_cast<std::uint32_t>(i);
    missed += out[i] != out[i];
  }
  return missed;
}

}  // namespace gaussian
