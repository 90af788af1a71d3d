#include "signals/pink_noise.h"

#include <algorithm>
#include <complex>
#include <vector>

#include "signals/exact_tone.h"
#include "signals/fft.h"
#include "signals/noise.h"
#include "signals/periodic_noise.h"

namespace {

// Apart from the other streams that share the seeds.
constexpr std::uint64_t kBlockStream = 0x3C6EF372FE94F82Bu;
// 2^18 frames: a second or more up to 192000 Hz, and 4 MB a pair of blocks above it.
constexpr std::size_t kLongestPinkBlock = std::size_t{1} << 18;
constexpr std::size_t kCachedPairs = 2;

using Pair = std::vector<std::complex<double>>;

// Blocks 2P and 2P + 1 from one inverse transform: the first's spectrum plus j times the
// second's, both conjugate-symmetric, give the first as the real part and the second as the
// imaginary part.
void MakePair(const PinkNoise& pink, std::uint64_t pair, Pair& second, Pair& both) {
  const auto fill = [&pink](std::uint64_t block, Pair& bins) {
    bins.resize(pink.blockFrames);
    FillNoiseBins(NoiseSpectrum::kPink, CounterHash(pink.seed ^ kBlockStream, block), pink.rate,
                  kPinkLowest, pink.rate / 2, bins);
  };
  fill(2 * pair, both);
  fill(2 * pair + 1, second);
  for (std::size_t k = 0; k < both.size(); ++k)
    both[k] += std::complex<double>(-second[k].imag(), second[k].real());
  TransformInPlace(both, true);
}

struct PinkCache {
  std::uint64_t seed = 0;
  double rate = 0;
  std::vector<double> window;  // sin(π p / B) for p = 0 .. B / 2
  std::uint64_t pairs[kCachedPairs] = {};
  Pair values[kCachedPairs];
  Pair scratch;
};

PinkCache& CacheFor(const PinkNoise& pink) {
  thread_local PinkCache cache;
  if (cache.seed != pink.seed || cache.rate != pink.rate || cache.window.empty()) {
    cache = PinkCache{};
    cache.seed = pink.seed;
    cache.rate = pink.rate;
    const std::size_t half = pink.blockFrames / 2;
    cache.window.resize(half + 1);
    for (std::size_t p = 0; p <= half; ++p)
      cache.window[p] = SineOfCycleFraction(p, 2 * pink.blockFrames);
  }
  return cache;
}

// Block j's value at m (0 <= m < B).
double BlockValue(const PinkNoise& pink, PinkCache& cache, std::uint64_t block, std::size_t m) {
  const std::uint64_t pair = block / 2;
  const std::size_t slot = pair % kCachedPairs;
  if (cache.values[slot].empty() || cache.pairs[slot] != pair) {
    MakePair(pink, pair, cache.scratch, cache.values[slot]);
    cache.pairs[slot] = pair;
  }
  const std::complex<double>& both = cache.values[slot][m];
  return block % 2 == 0 ? both.real() : both.imag();
}

}  // namespace

PinkNoise PlanPinkNoise(std::uint64_t seed, double rate) {
  std::size_t block = 1;
  while (block < rate && block < kLongestPinkBlock) block *= 2;
  return {seed, rate, block};
}

void RenderPinkValues(const PinkNoise& pink, std::uint64_t first, std::size_t count, double* out) {
  PinkCache& cache = CacheFor(pink);
  const std::size_t half = pink.blockFrames / 2;
  // Block j starts at frame (j - 1) · B / 2: frame n = q · B / 2 + p lies in the second half of
  // block q (faded out by the cosine) and the first half of block q + 1 (faded in by the sine).
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint64_t n = first + i;
    const std::uint64_t q = n / half;
    const auto p = static_cast<std::size_t>(n % half);
    out[i] = BlockValue(pink, cache, q, p + half) * cache.window[half - p] +
             BlockValue(pink, cache, q + 1, p) * cache.window[p];
  }
}
