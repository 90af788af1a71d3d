#include "measure/true_peak.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Whole 24-bit steps from a small generator of its own, so the figures do not hang on the
// program's noise.
std::vector<double> StepValues(std::size_t count, double scale, std::uint32_t seed) {
  std::vector<double> values(count);
  std::uint32_t state = seed;
  for (double& value : values) {
    state = state * 1664525u + 1013904223u;
    const double unit = static_cast<double>(state >> 8) / 16777216.0 * 2 - 1;
    value = std::round(unit * scale * 8388608.0) / 8388608.0;
  }
  return values;
}

double SamplePeak(const std::vector<double>& values) {
  double peak = 0;
  for (double value : values) peak = std::max(peak, std::fabs(value));
  return peak;
}

double Decibels(double ratio) { return 20 * std::log10(ratio); }

// The Annex's filter applied in the plainest way, every output of every phase.
double PlainTruePeak(const std::vector<double>& x) {
  constexpr int kTable[4][12] = {
      {14, 90, -161, 272, -487, 1125, 7964, -838, 390, -218, 122, -68},
      {-239, 240, -424, 730, -1364, 3810, 6388, -1641, 832, -477, 271, -155},
      {-155, 271, -477, 832, -1641, 6388, 3810, -1364, 730, -424, 240, -239},
      {-68, 122, -218, 390, -838, 7964, 1125, -487, 272, -161, 90, 14}};
  double peak = SamplePeak(x);
  for (std::size_t n = 0; n < x.size(); ++n)
    for (const auto& phase : kTable) {
      double sum = 0;
      for (std::size_t k = 0; k < 12 && k <= n; ++k) sum += phase[k] / 8192.0 * x[n - k];
      peak = std::max(peak, std::fabs(sum));
    }
  return peak;
}

// Quiet stretches are passed over, loud ones filtered, and what each looks back on is kept: the
// last case peaks where a loud stretch's first outputs add up the quiet samples before it.
TEST(TruePeak, QuietAndLoudStretchesReadAsThePlainFilter) {
  std::vector<double> bursts = StepValues(5000, 0.05, 3);
  for (std::size_t n : {std::size_t{700}, std::size_t{2049}, std::size_t{4990}})
    for (std::size_t i = 0; i < 4; ++i) bursts[n + i] = (i % 2 ? -0.9 : 0.9);
  // Signs that phase 1's taps add up: 0.48 before frame 256, 0.9 from it.
  std::vector<double> seam(600, 0.0);
  for (std::size_t k = 0; k < 12; ++k)
    seam[261 - k] = (k % 2 ? 1.0 : -1.0) * (k <= 5 ? 0.9 : -0.48);
  struct Case {
    const char* name;
    const std::vector<double>& values;
    double floor;
  };
  for (const Case& c : {Case{"bursts", bursts, 0.0}, Case{"a seam", seam, 0.99}}) {
    SCOPED_TRACE(c.name);
    TruePeakMeter meter(1, 48000, c.floor);
    for (std::size_t done = 0; done < c.values.size(); done += 300)
      meter.Add(c.values.data() + done, std::min<std::size_t>(300, c.values.size() - done));
    EXPECT_NEAR(meter.Peak(), PlainTruePeak(c.values), 1e-15);
    EXPECT_GT(meter.Peak(), 0.99);
  }
}

TEST(TruePeak, EveryProcessorPathGivesTheSameBits) {
  struct Case {
    const char* name;
    unsigned channels;
    unsigned rate;
    std::size_t frames;
    double scale;
  };
  const Case cases[] = {{"mono 48 kHz", 1, 48000, 10007, 0.5},
                        {"stereo 44.1 kHz, a few frames", 2, 44100, 5, 1.0},
                        {"stereo 96 kHz (two phases)", 2, 96000, 4099, 0.9},
                        {"six channels 192 kHz (no filter)", 6, 192000, 1000, 0.3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<double> values = StepValues(c.frames * c.channels, c.scale, 7);
    TruePeakMeter scalar(c.channels, c.rate, 0, ProcessorPath::kScalar);
    scalar.Add(values.data(), c.frames);
    for (ProcessorPath path : kProcessorPaths) {
      if (!ProcessorPathAvailable(path)) continue;
      TruePeakMeter meter(c.channels, c.rate, 0, path);
      // In uneven pieces, which must not change a bit either.
      for (std::size_t done = 0; done < c.frames;) {
        const std::size_t piece = std::min<std::size_t>(c.frames - done, 1 + done % 389);
        meter.Add(values.data() + done * c.channels, piece);
        done += piece;
      }
      EXPECT_EQ(meter.Peak(), scalar.Peak()) << static_cast<int>(path);
    }
    EXPECT_GE(scalar.Peak(), SamplePeak(values));
  }
}

// The worst case for sample peaks: a quarter-rate sine sampled 45 degrees either side of its
// crests reads 3.01 dB low. Four times oversampled, the Annex bounds the under-read by 0.169 dB
// (0.688 dB twice over); its filter's own ripple reads up to 0.22 dB over there.
TEST(TruePeak, QuarterRateSineBetweenItsSamples) {
  struct Case {
    unsigned rate;
    double lowestDb, highestDb;
  };
  for (const Case& c :
       {Case{48000, -0.169, 0.23}, Case{96000, -0.688, 0.23}, Case{192000, -3.02, -3.0}}) {
    SCOPED_TRACE(c.rate);
    std::vector<double> values(4000);
    for (std::size_t n = 0; n < values.size(); ++n)
      values[n] = std::sin(kPi / 2 * static_cast<double>(n) + kPi / 4);
    TruePeakMeter meter(1, c.rate);
    meter.Add(values.data(), values.size());
    EXPECT_NEAR(Decibels(SamplePeak(values)), -3.0103, 1e-3);
    EXPECT_GE(Decibels(meter.Peak()), c.lowestDb);
    EXPECT_LE(Decibels(meter.Peak()), c.highestDb);
  }
}

// Below a floor only passing it counts: a peak past it is exact, one short of it stays short.
TEST(TruePeak, AFloorKeepsEveryPeakThatPassesIt) {
  for (double scale : {0.3, 0.99}) {
    SCOPED_TRACE(scale);
    std::vector<double> values(20000);
    for (std::size_t n = 0; n < values.size(); ++n)
      values[n] = scale * std::sin(kPi / 2 * static_cast<double>(n) + kPi / 4);
    TruePeakMeter exact(1, 48000), floored(1, 48000, 1.0);
    exact.Add(values.data(), values.size());
    floored.Add(values.data(), values.size());
    if (exact.Peak() > 1)
      EXPECT_EQ(floored.Peak(), exact.Peak());
    else
      EXPECT_LE(floored.Peak(), 1.0);
    EXPECT_GE(floored.Peak(), SamplePeak(values));
  }
}

// Spans measured apart, each after the frames before it, find what one pass finds.
TEST(TruePeak, SpansAfterTheirFramesBeforeMatchOnePass) {
  const std::vector<double> values = StepValues(3000 * 2, 0.8, 11);
  TruePeakMeter whole(2, 48000);
  whole.Add(values.data(), 3000);
  double joined = 0;
  for (std::size_t start = 0; start < 3000; start += 700) {
    TruePeakMeter part(2, 48000);
    const std::size_t before = std::min<std::size_t>(start, 11);
    part.Restart(values.data() + (start - before) * 2, before);
    part.Add(values.data() + start * 2, std::min<std::size_t>(700, 3000 - start));
    joined = std::max(joined, part.Peak());
  }
  EXPECT_EQ(joined, whole.Peak());
}

}  // namespace
