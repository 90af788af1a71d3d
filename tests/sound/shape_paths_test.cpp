// The vector paths of the synthesis against the plain per-frame path, over whole buffers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "sound/vector_paths.h"
#include "sound/wav_buffer.h"
#include "tests/figures.h"
#include "tests/sound/engine_block.h"

namespace {

constexpr std::int32_t kRates[] = {44100, 192000};
constexpr std::int16_t kChannelCounts[] = {1, 2};
constexpr SynthesisPath kVectorPaths[] = {SynthesisPath::kAvx2, SynthesisPath::kAvx512};
constexpr SynthesisPath kEveryPath[] = {SynthesisPath::kPlain, SynthesisPath::kAvx2,
                                        SynthesisPath::kAvx512};

struct Render {
  float frequency;
  std::int64_t amplitude;
  float length;
};

// A path that this processor or build cannot run is reported as skipped, once per test, so that
// a pass never hides a path that was not checked.
bool RunsHere(SynthesisPath path) {
  if (PathAvailable(path)) return true;
  static std::set<std::string> reported;
  const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  if (reported.insert(test + "/" + PathName(path)).second) {
    std::printf("[  SKIPPED ] the %s path: this processor or build cannot run it\n",
                PathName(path));
    ::testing::Test::RecordProperty(std::string("skipped_path_") + PathName(path), "unavailable");
  }
  return false;
}

std::vector<std::uint8_t> RenderOn(SynthesisPath path, const Render& r, int shape) {
  EmptyWavBlock(Block);
  RenderShapeOnPath(path, Block, r.frequency, r.amplitude, r.length, shape);
  return std::vector<std::uint8_t>(Block, Block + WavBufferBlockSize());
}

std::string Describe(std::int32_t rate, std::int16_t channels, const Render& r, int shape) {
  return std::to_string(rate) + " Hz, " + std::to_string(channels) + " ch, " +
         std::to_string(r.frequency) + " Hz, " + std::to_string(r.amplitude) + " %, " +
         std::to_string(r.length) + " s, shape " + std::to_string(shape);
}

std::int16_t SampleIn(const std::vector<std::uint8_t>& image, std::size_t index) {
  const std::uint8_t* at =
      image.data() + kWavHeaderSize + std::size_t{kSixteenBitSampleBytes} * index;
  return static_cast<std::int16_t>(ReadLE16(at));
}

// Whole 20-second blocks in every format, including lengths whose frame counts leave a partial
// group for the plain path and the largest frequencies, whose phases wrap every other frame.
TEST(ShapePaths, SawSquareAndTriangleAreBitIdenticalToThePlainPath) {
  const Render renders[] = {{997.0f, 90, 20.0f},  {997.0f, 100, 10.0f}, {95999.0f, 37, 0.10001f},
                            {22049.0f, 90, 3.3f}, {20.0f, 1, 7.77f},    {12345.6f, 90, 20.0f}};
  for (std::int32_t rate : kRates) {
    for (std::int16_t channels : kChannelCounts) {
      Block = BuildWavBuffer(kCapacitySeconds, channels, 2, rate);
      for (const Render& r : renders) {
        for (int shape : {kShapeSaw, kShapeSquare, kShapeTriangle}) {
          SCOPED_TRACE(Describe(rate, channels, r, shape));
          const std::vector<std::uint8_t> plain = RenderOn(SynthesisPath::kPlain, r, shape);
          for (SynthesisPath path : kVectorPaths) {
            if (!RunsHere(path)) continue;
            SCOPED_TRACE(PathName(path));
            const std::vector<std::uint8_t> vector = RenderOn(path, r, shape);
            ASSERT_EQ(plain.size(), vector.size());
            EXPECT_EQ(std::memcmp(plain.data(), vector.data(), plain.size()), 0);
          }
        }
      }
    }
  }
}

struct SineAgreement {
  std::size_t samples = 0;
  std::size_t equal = 0;
  std::size_t oneStep = 0;
  std::size_t further = 0;
};

// Against the platform's double-precision sine of each phase of the chain, computed here.
SineAgreement CompareWithPlatformSine(const std::vector<std::uint8_t>& image, const Render& r,
                                      float renderedFrequency, std::int32_t rate,
                                      std::int16_t channels) {
  SineAgreement agreement;
  const std::uint32_t dataSize = ReadLE32(image.data() + kDataSizeOffset);
  const std::size_t frames = dataSize / (std::size_t{kSixteenBitSampleBytes} * channels);
  const double peak = ComputePeak(r.amplitude);
  const float increment = ComputePhaseIncrement(renderedFrequency, rate);
  float phase = 0.0f;
  for (std::size_t frame = 0; frame < frames; ++frame) {
    const auto expected = static_cast<std::int16_t>(std::lrint(std::sin(double{phase}) * peak));
    for (std::int16_t channel = 0; channel < channels; ++channel) {
      const int difference = SampleIn(image, frame * channels + channel) - expected;
      ++agreement.samples;
      if (difference == 0)
        ++agreement.equal;
      else if (std::abs(difference) == 1)
        ++agreement.oneStep;
      else
        ++agreement.further;
    }
    phase = AdvancePhase(phase, increment);
  }
  return agreement;
}

TEST(ShapePaths, SineAgreesWithThePlatformSineOverTheWorstCase) {
  const Render worst{997.0f, 90, 20.0f};  // the whole block of stereo at 192000 Hz
  Block = BuildWavBuffer(kCapacitySeconds, 2, 2, 192000);
  for (SynthesisPath path : kEveryPath) {
    if (!RunsHere(path)) continue;
    SCOPED_TRACE(PathName(path));
    EmptyWavBlock(Block);
    const RenderOutcome outcome =
        RenderShapeOnPath(path, Block, worst.frequency, worst.amplitude, worst.length, kShapeSine);
    const std::vector<std::uint8_t> image(Block, Block + WavBufferBlockSize());
    const SineAgreement a = CompareWithPlatformSine(image, worst, outcome.frequency, 192000, 2);
    std::printf("%s path: %zu samples, %zu equal, %zu one step away, %zu further\n", PathName(path),
                a.samples, a.equal, a.oneStep, a.further);
    EXPECT_EQ(a.samples, 7680000u);
    EXPECT_GE(a.equal * 10000, a.samples * 9999);  // at least 99.99 %
    EXPECT_EQ(a.further, 0u);
    if (path == SynthesisPath::kPlain) {
      EXPECT_EQ(a.equal, a.samples);  // the plain path is the platform sine itself
    }
  }
}

// The figures of the default render on every path, whatever the processor picks by itself.
TEST(ShapePaths, EveryPathGivesTheDefaultFigures) {
  Block = BuildWavBuffer(kCapacitySeconds, 1, 2, 44100);
  for (SynthesisPath path : kEveryPath) {
    if (!RunsHere(path)) continue;
    SCOPED_TRACE(PathName(path));
    const std::vector<std::uint8_t> sine = RenderOn(path, {997.0f, 90, 3.0f}, kShapeSine);
    const auto& first = figures::kDefaultSineStart;
    for (std::size_t i = 0; i < std::size(first); ++i) EXPECT_EQ(SampleIn(sine, i), first[i]) << i;
    std::int16_t highest = 0;
    std::int16_t lowest = 0;
    for (std::size_t i = 0; i < 132300; ++i) {
      highest = std::max(highest, SampleIn(sine, i));
      lowest = std::min(lowest, SampleIn(sine, i));
    }
    EXPECT_EQ(highest, figures::kPeakAt90Percent);
    EXPECT_EQ(lowest, -figures::kPeakAt90Percent);
    EXPECT_EQ(ReadLE32(sine.data() + kDataSizeOffset), 264600u);

    const std::vector<std::uint8_t> saw = RenderOn(path, {997.0f, 90, 3.0f}, kShapeSaw);
    EXPECT_EQ(SampleIn(saw, 3), 4000);
    const std::vector<std::uint8_t> triangle = RenderOn(path, {997.0f, 90, 3.0f}, kShapeTriangle);
    EXPECT_EQ(SampleIn(triangle, 2), -24157);
  }
}

}  // namespace
