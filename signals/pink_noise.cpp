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

struct PinkCache {
  std::uint64_t seed = 0;
  double rate = 0;
  std::vector<double> window;      // sin(π p / B) for p = 0 .. B / 2
  std::vector<double> magnitudes;  // every block's, only the phases differ
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
    cache.magnitudes = NoiseBinMagnitudes(NoiseSpectrum::kPink, pink.blockFrames, pink.rate,
                                          kPinkLowest, pink.rate / 2);
  }
  return cache;
}

// Blocks 2P and 2P + 1 from one inverse transform: the first's spectrum plus j times the
// second's, both conjugate-symmetric, give the first as the real part and the second as the
// imaginary part.
void MakePair(const PinkNoise& pink, PinkCache& cache, std::uint64_t pair, Pair& both) {
  const auto fill = [&pink, &cache](std::uint64_t block, Pair& bins) {
    bins.resize(pink.blockFrames);
    FillNoiseBins(cache.magnitudes, CounterHash(pink.seed ^ kBlockStream, block), bins);
  };
  Pair& second = cache.scratch;
  fill(2 * pair, both);
  fill(2 * pair + 1, second);
  for (std::size_t k = 0; k < both.size(); ++k)
    both[k] += std::complex<double>(-second[k].imag(), second[k].real());
  TransformInPlace(both, true);
}

// Block j's values, every other double from the first: real parts for even j, imaginary for odd.
const double* BlockValues(const PinkNoise& pink, PinkCache& cache, std::uint64_t block) {
  const std::uint64_t pair = block / 2;
  const std::size_t slot = pair % kCachedPairs;
  if (cache.values[slot].empty() || cache.pairs[slot] != pair) {
    MakePair(pink, cache, pair, cache.values[slot]);
    cache.pairs[slot] = pair;
  }
  return reinterpret_cast<const double*>(cache.values[slot].data()) + block % 2;
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
  // Consecutive blocks sit in different slots of the cache, so both stay while a half is made.
  for (std::size_t done = 0; done < count;) {
    const std::uint64_t n = first + done;
    const std::uint64_t q = n / half;
    const auto start = static_cast<std::size_t>(n % half);
    const std::size_t run = std::min(count - done, half - start);
    const double* fading = BlockValues(pink, cache, q) + 2 * half;
    const double* rising = BlockValues(pink, cache, q + 1);
    const double* window = cache.window.data();
    for (std::size_t p = start; p < start + run; ++p)
      out[done + p - start] = fading[2 * p] * window[half - p] + rising[2 * p] * window[p];
    done += run;
  }
}
