#include "signals/noise.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Every processor path the build can take gives the plain path's bits: for odd lengths and odd
// starts, far into the counter, and over stretches with many values outside the ziggurat's cores.
TEST(GaussianNoise, EveryProcessorPathGivesThePlainBits) {
  struct Case {
    std::uint64_t seed, first;
    std::size_t count;
  };
  const Case cases[] = {
      {1, 0, 100003}, {7, 3, 5}, {0xFFFFFFFFFFFFFFFFu, 1ull << 40, 4099}, {42, 123456789, 2048}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.seed);
    std::vector<double> plain(c.count), other(c.count);
    RenderGaussianValues(c.seed, c.first, c.count, plain.data(), ProcessorPath::kScalar);
    for (double value : plain) ASSERT_TRUE(std::isfinite(value));  // every try finished
    for (ProcessorPath path : kProcessorPaths) {
      if (!ProcessorPathAvailable(path)) continue;
      RenderGaussianValues(c.seed, c.first, c.count, other.data(), path);
      EXPECT_EQ(0, std::memcmp(plain.data(), other.data(), c.count * sizeof(double)))
          << ProcessorPathName(path);
    }
    // What the rendering itself takes.
    RenderNoiseValues(NoiseKind::kGaussian, c.seed, c.first, c.count, other.data());
    EXPECT_EQ(0, std::memcmp(plain.data(), other.data(), c.count * sizeof(double)));
  }
  // Short runs, so that many tries outside the cores fall among a run's last few values.
  for (std::uint64_t first = 0; first < 3000; first += 7) {
    double plain[7], other[7];
    RenderGaussianValues(3, first, 7, plain, ProcessorPath::kScalar);
    for (ProcessorPath path : kProcessorPaths) {
      if (!ProcessorPathAvailable(path)) continue;
      RenderGaussianValues(3, first, 7, other, path);
      ASSERT_EQ(0, std::memcmp(plain, other, sizeof plain)) << first << ProcessorPathName(path);
    }
  }
}

}  // namespace
