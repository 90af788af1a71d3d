// Noise from a counter-based generator: each frame's value depends on the seed and the frame
// number alone, so any block of a file can be made on its own and gives the same values.
#pragma once

#include <cstddef>
#include <cstdint>

#include "signals/processor_paths.h"

enum class NoiseKind { kGaussian, kUniform };
// The noises, as the shape table's rows name them.
enum NoiseColour : int { kWhiteNoise, kUniformNoise, kPinkNoise };

// Gaussian values have a variance of 1; uniform ones lie in (-1, 1].
void RenderNoiseValues(NoiseKind kind, std::uint64_t seed, std::uint64_t first, std::size_t count,
                       double* out);
// Gaussian values on the given path; every path gives the same bits.
void RenderGaussianValues(std::uint64_t seed, std::uint64_t first, std::size_t count, double* out,
                          ProcessorPath path);
// 64 well-mixed bits for (seed, counter): SplitMix64's finaliser over a Weyl sequence.
std::uint64_t CounterHash(std::uint64_t seed, std::uint64_t counter);

// CounterHash(seed, counter) for one seed and many counters, the seed mixed once.
class CounterHashSeries {
 public:
  explicit CounterHashSeries(std::uint64_t seed);
  std::uint64_t operator()(std::uint64_t counter) const;

 private:
  std::uint64_t mixedSeed_;
};
