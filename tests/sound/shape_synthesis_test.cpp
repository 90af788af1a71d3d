#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "sound/wav_buffer.h"
#include "tests/figures.h"
#include "tests/sound/engine_block.h"

namespace {

constexpr bool kThirtyTwoBitBuild = sizeof(void*) == 4;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

void BuildMain(std::int16_t channels, std::int32_t sampleRate, float duration = kCapacitySeconds) {
  Block = BuildWavBuffer(duration, channels, 2, sampleRate);
  EmptyWavBlock(Block);
}

RenderOutcome RenderMain(float frequency, std::int64_t amplitude, float length, int shape) {
  EmptyWavBlock(Block);
  return RenderShape(Block, frequency, amplitude, length, shape);
}

std::uint32_t DataSize() { return ReadLE32(Block + kDataSizeOffset); }

std::int16_t SampleAt(std::size_t index) {
  return static_cast<std::int16_t>(ReadLE16(Block + kWavHeaderSize + 2 * index));
}

std::vector<std::int16_t> RenderedSamples() {
  std::vector<std::int16_t> samples(DataSize() / 2);
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = SampleAt(i);
  return samples;
}

std::vector<std::int16_t> FirstSamples(std::size_t count) {
  std::vector<std::int16_t> samples(count);
  for (std::size_t i = 0; i < count; ++i) samples[i] = SampleAt(i);
  return samples;
}

bool AllZero(const std::uint8_t* from, std::size_t count) {
  return std::all_of(from, from + count, [](std::uint8_t b) { return b == 0; });
}

// Lengths of the runs of equal samples from the start.
std::vector<std::size_t> RunLengths(const std::vector<std::int16_t>& samples, std::size_t runs) {
  std::vector<std::size_t> lengths;
  std::size_t start = 0;
  for (std::size_t i = 1; i <= samples.size() && lengths.size() < runs; ++i) {
    if (i == samples.size() || samples[i] != samples[start]) {
      lengths.push_back(i - start);
      start = i;
    }
  }
  return lengths;
}

TEST(ShapeSynthesis, DefaultSine) {
  EXPECT_EQ(double{ComputePeak(90)}, 29490.30078125);
  EXPECT_EQ(double{ComputePhaseIncrement(997.0f, 44100)}, 0.1420484334230423);

  BuildMain(1, 44100);
  const RenderOutcome outcome = RenderMain(997.0f, 90, 3.0f, kShapeSine);
  EXPECT_EQ(outcome.frequency, 997.0f);
  EXPECT_FALSE(outcome.frequencyClamped);
  ASSERT_EQ(DataSize(), 264600u);
  EXPECT_EQ(FirstSamples(6), (std::vector<std::int16_t>(std::begin(figures::kDefaultSineStart),
                                                        std::end(figures::kDefaultSineStart))));

  const std::vector<std::int16_t> samples = RenderedSamples();
  ASSERT_EQ(samples.size(), 132300u);
  EXPECT_EQ(*std::max_element(samples.begin(), samples.end()), figures::kPeakAt90Percent);
  EXPECT_EQ(*std::min_element(samples.begin(), samples.end()), -figures::kPeakAt90Percent);
  EXPECT_NE(samples.back(), 0);  // the last frame is written...
  EXPECT_TRUE(AllZero(Block + kWavHeaderSize + figures::kDefaultDataSize,
                      1000));  // ...and nothing after it
}

TEST(ShapeSynthesis, SawSquareAndTriangleStarts) {
  BuildMain(1, 44100);
  RenderMain(997.0f, 90, 3.0f, kShapeSaw);
  EXPECT_EQ(FirstSamples(4), (std::vector<std::int16_t>{0, 1333, 2667, 4000}));

  RenderMain(997.0f, 90, 3.0f, kShapeTriangle);
  EXPECT_EQ(FirstSamples(3), (std::vector<std::int16_t>{-29490, -26823, -24157}));
  const std::vector<std::int16_t> triangle = RenderedSamples();
  EXPECT_EQ(*std::max_element(triangle.begin(), triangle.end()), 29490);
  EXPECT_EQ(*std::min_element(triangle.begin(), triangle.end()), -29490);

  RenderMain(997.0f, 90, 3.0f, kShapeSquare);
  std::vector<std::int16_t> square = RenderedSamples();
  ASSERT_EQ(square.size(), 132300u);
  // The phase starts on the single-precision π, which the 32-bit sign test counts as zero; the
  // single-precision phase chain comes back to exactly that π every 40296 frames.
  std::vector<std::size_t> zeros;
  for (std::size_t i = 0; i < square.size(); ++i)
    if (square[i] == 0) zeros.push_back(i);
  const std::vector<std::size_t> expectedZeros =
      kThirtyTwoBitBuild ? std::vector<std::size_t>{0, 40296, 80592, 120888}
                         : std::vector<std::size_t>{};
  EXPECT_EQ(zeros, expectedZeros);
  if (kThirtyTwoBitBuild) square.erase(square.begin());
  EXPECT_EQ(square[0], -29490);
  EXPECT_EQ(std::count_if(square.begin(), square.end(),
                          [](std::int16_t s) { return s != 29490 && s != -29490; }),
            kThirtyTwoBitBuild ? 3 : 0);
  // 44100 / 997 / 2 = 22.1 frames a half-period: the negative half first, then the positive.
  const std::vector<std::size_t> runs = RunLengths(square, 4);
  const std::vector<std::size_t> expected = kThirtyTwoBitBuild
                                                ? std::vector<std::size_t>{22, 22, 22, 22}
                                                : std::vector<std::size_t>{23, 22, 22, 22};
  EXPECT_EQ(runs, expected);
}

TEST(ShapeSynthesis, FrequencyClampsAndTheFieldText) {
  struct Case {
    std::int32_t sampleRate;
    float typed;
    float rendered;
    const char* fieldText;  // nullptr: the field keeps the typed text
  };
  const Case cases[] = {
      {44100, 30000.0f, 22049.0f, "22049"},
      {44100, 22050.0f, 22049.0f, "22049"},
      {44100, kNaN, 22049.0f, "22049"},
      {44100, kInfinity, 22049.0f, "22049"},
      {192000, 96000.0f, 95999.0f, "95999"},
      {192000, 1e9f, 95999.0f, "95999"},
      {44100, 5.0f, 20.0f, "20"},
      {44100, 0.0f, 20.0f, "20"},
      {44100, -kInfinity, 20.0f, "20"},
      {44100, -997.0f, 20.0f, "20"},
      {44100, 20.0f, 20.0f, nullptr},
      {44100, 22049.0f, 22049.0f, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.typed) + " at " + std::to_string(c.sampleRate));
    BuildMain(1, c.sampleRate);
    const RenderOutcome outcome = RenderMain(c.typed, 90, 3.0f, kShapeSine);
    EXPECT_EQ(outcome.frequency, c.rendered);
    EXPECT_EQ(outcome.frequencyClamped, c.fieldText != nullptr);
    if (c.fieldText != nullptr) {
      EXPECT_STREQ(outcome.fieldText, c.fieldText);
    }
    EXPECT_EQ(DataSize(), static_cast<std::uint32_t>(3 * c.sampleRate * 2));
  }
}

TEST(ShapeSynthesis, TextsWithoutANumberRenderTheLowestFrequency) {
  BuildMain(1, 44100);
  for (const char* typed : {"", "letters", "5"}) {
    SCOPED_TRACE(typed);
    const RenderOutcome outcome = RenderMain(ReadDecimalText(typed), 90, 3.0f, kShapeSine);
    EXPECT_EQ(outcome.frequency, 20.0f);
    EXPECT_TRUE(outcome.frequencyClamped);
    EXPECT_STREQ(outcome.fieldText, "20");
  }
}

TEST(ShapeSynthesis, WholeCyclesOverTheLength) {
  BuildMain(1, 44100);
  RenderOutcome outcome = RenderMain(997.3f, 90, 0.1f, kShapeSine);
  EXPECT_EQ(outcome.frequency, 1000.0f);
  EXPECT_FALSE(outcome.frequencyClamped);
  EXPECT_EQ(DataSize(), 8820u);

  outcome = RenderMain(22049.0f, 90, 0.1f, kShapeSine);  // 2204.9 cycles become 2205
  EXPECT_EQ(outcome.frequency, 22050.0f);
  EXPECT_FALSE(outcome.frequencyClamped);

  outcome = RenderMain(1000.5f, 90, 3.0f, kShapeSine);  // 3001.5 cycles: the half goes up
  EXPECT_EQ(outcome.frequency, static_cast<float>(3002.0 / 3.0));

  BuildMain(1, 192000);
  outcome = RenderMain(95999.0f, 90, 0.1f, kShapeSine);
  EXPECT_EQ(outcome.frequency, 96000.0f);
  EXPECT_FALSE(outcome.frequencyClamped);
}

TEST(ShapeSynthesis, AmplitudeIsClampedToPercent) {
  BuildMain(1, 44100);
  RenderMain(997.0f, 0, 3.0f, kShapeSine);
  EXPECT_EQ(DataSize(), 264600u);
  EXPECT_TRUE(AllZero(Block + kWavHeaderSize, 264600));

  RenderMain(997.0f, std::numeric_limits<std::int64_t>::min(), 3.0f, kShapeSquare);
  EXPECT_EQ(DataSize(), 264600u);
  EXPECT_TRUE(AllZero(Block + kWavHeaderSize, 264600));

  RenderMain(997.0f, std::numeric_limits<std::int64_t>::max(), 3.0f, kShapeSaw);
  const std::vector<std::int16_t> loudest = RenderedSamples();
  EXPECT_EQ(*std::max_element(loudest.begin(), loudest.end()), 32767);
  RenderMain(997.0f, 100, 3.0f, kShapeSaw);
  EXPECT_EQ(RenderedSamples(), loudest);
}

TEST(ShapeSynthesis, LengthClampsAndDataSizes) {
  BuildMain(1, 44100);
  struct Case {
    float length;
    std::uint32_t dataSize;
  };
  const Case cases[] = {
      {0.05f, 8820},        {0.0f, 8820},       {-3.0f, 8820},
      {kNaN, 8820},         {-kInfinity, 8820}, {30.0f, 1764000},
      {kInfinity, 1764000}, {20.0f, 1764000},   {0.10001f, 8822},  // 8820.88 rounds to odd 8821
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.length));
    RenderMain(997.0f, 90, c.length, kShapeSine);
    EXPECT_EQ(DataSize(), c.dataSize);
  }
}

TEST(ShapeSynthesis, StereoChannelsCarryTheMonoSamples) {
  BuildMain(1, 44100);
  RenderMain(997.0f, 90, 3.0f, kShapeTriangle);
  const std::vector<std::int16_t> mono = RenderedSamples();

  BuildMain(2, 44100);
  RenderMain(997.0f, 90, 3.0f, kShapeTriangle);
  ASSERT_EQ(DataSize(), 529200u);
  const std::vector<std::int16_t> stereo = RenderedSamples();
  for (std::size_t frame = 0; frame < mono.size(); ++frame) {
    ASSERT_EQ(stereo[2 * frame], mono[frame]) << frame;
    ASSERT_EQ(stereo[2 * frame + 1], mono[frame]) << frame;
  }

  BuildMain(2, 192000);
  RenderMain(997.0f, 90, 10.0f, kShapeSine);
  EXPECT_EQ(DataSize(), 7680000u);
}

TEST(ShapeSynthesis, ThePartialFrameOfAnOddLengthStaysSilent) {
  BuildMain(2, 44100);
  RenderMain(997.0f, 90, 0.10001f, kShapeSquare);  // 17641.76 bytes round to 17642
  ASSERT_EQ(DataSize(), 17642u);
  EXPECT_NE(SampleAt(17640 / 2 - 2), 0);  // the last whole frame
  EXPECT_TRUE(AllZero(Block + kWavHeaderSize + 17640, 2));
}

TEST(ShapeSynthesis, TheBufferCapacityLimitsTheLength) {
  BuildMain(1, 44100, 1.0f);
  RenderMain(997.0f, 90, 3.0f, kShapeSquare);
  EXPECT_EQ(DataSize(), 88200u);
  EXPECT_EQ(WavBufferBlockSize(), 88244u);
}

TEST(ShapeSynthesis, CodesThatAreNoShapeRenderSilence) {
  BuildMain(1, 44100);
  for (int shape : {0, 5, -1, std::numeric_limits<int>::max()}) {
    RenderMain(997.0f, 90, 1.0f, shape);
    EXPECT_EQ(DataSize(), 88200u);
    EXPECT_TRUE(AllZero(Block + kWavHeaderSize, 88200));
  }
}

TEST(ShapeSynthesis, OnlyTheLastBuiltBlockIsWritten) {
  const RenderOutcome none = RenderShape(nullptr, 30000.0f, 90, 3.0f, kShapeSine);
  EXPECT_EQ(none.frequency, 30000.0f);
  EXPECT_FALSE(none.frequencyClamped);

  BuildMain(1, 44100);
  std::vector<std::uint8_t> foreign(Block, Block + kWavHeaderSize);
  foreign.resize(1000);
  WriteLE32(foreign.data() + kDataSizeOffset, 12345);
  RenderShape(foreign.data(), 997.0f, 90, 3.0f, kShapeSine);
  EXPECT_EQ(ReadLE32(foreign.data() + kDataSizeOffset), 12345u);
  EXPECT_TRUE(AllZero(foreign.data() + kWavHeaderSize, 1000 - kWavHeaderSize));

  std::uint8_t* stale = Block;
  BuildMain(2, 192000);
  if (stale != Block) RenderShape(stale, 997.0f, 90, 3.0f, kShapeSine);  // freed: untouched
}

// Headers this program never builds: the writes stay in the block (the sanitizer build watches)
// and the data size never claims more than the block holds.
TEST(ShapeSynthesis, ForeignHeadersAreRenderedSafely) {
  constexpr std::uint32_t kRoom = 882;  // 0.01 s mono at 44100 Hz
  struct Header {
    const char* what;
    std::uint16_t channels;
    std::uint32_t sampleRate;
    std::uint16_t bits;
    std::uint32_t riffSize;
    std::uint32_t expectedDataSize;
  };
  const Header headers[] = {
      {"as built", 1, 44100, 16, kRoom + 36, kRoom},
      {"RIFF size beyond the block", 1, 44100, 16, 0xFFFFFFFFu, kRoom},
      {"RIFF size below the header", 1, 44100, 16, 10, 0},
      {"RIFF size zero", 1, 44100, 16, 0, 0},
      {"no channels", 0, 44100, 16, kRoom + 36, 0},
      {"no bits", 1, 44100, 0, kRoom + 36, 0},
      {"8 bits", 1, 44100, 8, kRoom + 36, 0},
      {"24 bits", 1, 44100, 24, kRoom + 36, 0},
      {"no sample rate", 1, 0, 16, kRoom + 36, 0},
      {"three channels", 3, 44100, 16, 0xFFFFFFFFu, kRoom},
      {"most channels", 0xFFFF, 44100, 16, 0xFFFFFFFFu, kRoom},
      {"sample rate 1", 1, 1, 16, 0xFFFFFFFFu, 40},
      {"largest sample rate", 2, 0xFFFFFFFFu, 16, 0xFFFFFFFFu, kRoom},
      {"all ones", 0xFFFF, 0xFFFFFFFFu, 16, 0xFFFFFFFFu, kRoom},
  };
  for (const Header& h : headers) {
    SCOPED_TRACE(h.what);
    for (int shape = kShapeSine; shape <= kShapeTriangle; ++shape) {
      BuildMain(1, 44100, 0.01f);
      ASSERT_EQ(WavBufferBlockSize(), kRoom + kWavHeaderSize);
      WriteLE16(Block + kChannelsOffset, h.channels);
      WriteLE32(Block + kSampleRateOffset, h.sampleRate);
      WriteLE16(Block + kBitsPerSampleOffset, h.bits);
      WriteLE32(Block + kRiffSizeOffset, h.riffSize);
      for (float frequency : {997.0f, kNaN, -kInfinity, 1e30f}) {
        RenderMain(frequency, 90, 20.0f, shape);
        EXPECT_EQ(DataSize(), std::min(h.expectedDataSize, kRoom));
      }
    }
  }
}

TEST(ShapeSynthesis, MoreChannelsThanTwoAllCarryTheSample) {
  BuildMain(1, 44100, 0.01f);
  WriteLE16(Block + kChannelsOffset, 3);
  RenderMain(997.0f, 90, 3.0f, kShapeTriangle);
  ASSERT_EQ(DataSize(), 882u);
  for (std::size_t frame = 0; frame < 147; ++frame) {
    ASSERT_EQ(SampleAt(3 * frame + 1), SampleAt(3 * frame)) << frame;
    ASSERT_EQ(SampleAt(3 * frame + 2), SampleAt(3 * frame)) << frame;
  }
  EXPECT_EQ(SampleAt(0), -29490);
}

}  // namespace
