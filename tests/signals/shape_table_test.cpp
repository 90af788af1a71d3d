// The shape table against the window's engine, and the generators' own figures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "signals/exact_tone.h"
#include "signals/shape_table.h"
#include "sound/wav_buffer.h"

namespace {

TEST(ShapeTable, TheWindowsShapesComeFirstWithItsCodesAndEveryRowIsWhole) {
  const auto table = ShapeTable();
  ASSERT_GE(table.size(), std::size(kShapeNames));
  for (std::size_t i = 0; i < std::size(kShapeNames); ++i) {
    EXPECT_EQ(std::string(table[i].name), kShapeNames[i]);
    EXPECT_EQ(table[i].windowCode, kFirstShapeCode + static_cast<int>(i));
  }
  std::set<std::string> names;
  for (const ShapeRow& row : table) {
    SCOPED_TRACE(row.name);
    EXPECT_TRUE(names.insert(row.name).second) << "named twice";
    EXPECT_EQ(ShapeNamed(row.name), &row);
    EXPECT_NE(row.plan, nullptr);
    EXPECT_EQ(row.parameter != nullptr, (row.takes & kTakesParameter) != 0);
    if (row.windowCode == 0) {
      EXPECT_FALSE(row.takes & kTakesFrequency) << "a tone the window lacks";
    }
  }
  EXPECT_EQ(ShapeNamed("sinus"), nullptr);
}

// One period of an order-N sequence, as its plan makes it: +1 and -1.
std::vector<double> MlsPeriod(unsigned order) {
  const ShapeRow& mls = *ShapeNamed("mls");
  SignalRequest request;
  request.rate = 48000;
  request.parameter = order;
  request.cycles = 1;
  request.mostFrames = std::uint64_t{1} << 30;
  const SignalPlan plan = mls.plan(mls, request);
  EXPECT_EQ(plan.fault.text, "");
  std::vector<double> values(plan.frames);
  plan.values(0, values.size(), values.data());
  return values;
}

TEST(MaximumLengthSequence, EveryOrderVisitsEveryNonZeroStateOnce) {
  for (unsigned order = 2; order <= 24; ++order) {
    SCOPED_TRACE("order " + std::to_string(order));
    const std::vector<double> values = MlsPeriod(order);
    const std::uint64_t period = (std::uint64_t{1} << order) - 1;
    ASSERT_EQ(values.size(), period);
    // Every run of N frames, read around the period, is a distinct non-zero word: the register
    // went through all of its 2^N - 1 states, which only a primitive polynomial does.
    std::vector<bool> seen(period + 1);
    std::uint64_t word = 0, distinct = 0;
    const std::uint64_t mask = period;
    for (std::uint64_t n = 0; n < period + order - 1; ++n) {
      word = ((word << 1) | (values[n % period] > 0 ? 1 : 0)) & mask;
      if (n + 1 < order) continue;
      if (word != 0 && !seen[word]) ++distinct;
      seen[word] = true;
    }
    EXPECT_EQ(distinct, period);
    EXPECT_FALSE(seen[0]);
  }
}

TEST(MaximumLengthSequence, PeriodicAutocorrelationIsPAtLagZeroAndMinusOneElsewhere) {
  for (unsigned order = 2; order <= 10; ++order) {
    SCOPED_TRACE("order " + std::to_string(order));
    const std::vector<double> values = MlsPeriod(order);
    const std::size_t period = values.size();
    for (std::size_t lag = 0; lag < period; ++lag) {
      double sum = 0;
      for (std::size_t n = 0; n < period; ++n) sum += values[n] * values[(n + lag) % period];
      ASSERT_EQ(sum, lag == 0 ? static_cast<double>(period) : -1.0) << "lag " << lag;
    }
  }
}

TEST(MaximumLengthSequence, LengthsInPeriodsOrCutWithANote) {
  const ShapeRow& mls = *ShapeNamed("mls");
  SignalRequest request;
  request.rate = 48000;
  request.mostFrames = 1000000;
  request.parameter = 8;
  request.frames = 1000;
  SignalPlan plan = mls.plan(mls, request);
  EXPECT_EQ(plan.frames, 1000u);
  ASSERT_EQ(plan.notes.size(), 1u);
  EXPECT_NE(plan.notes[0].find("end 235 frames into a period"), std::string::npos);
  request.frames = 0;
  request.cycles = 3;
  plan = mls.plan(mls, request);
  EXPECT_EQ(plan.frames, 765u);
  EXPECT_TRUE(plan.notes.empty());
  request.cycles = 4000;
  EXPECT_NE(mls.plan(mls, request).fault.text.find("more than the longest file"),
            std::string::npos);
  request.parameter = 25;
  EXPECT_NE(mls.plan(mls, request).fault.text.find("needs --order, 2 to 24"), std::string::npos);
}

TEST(ExactTones, NoShapeHasDcOverItsRepeatWhateverItsCount) {
  for (int shape : {kToneSine, kToneSaw, kToneSquare, kToneTriangle}) {
    // Repeats of 2, 3, 48 and 441 positions: even and odd counts.
    for (const auto& [cycles, period] : {std::pair<std::uint64_t, std::uint64_t>{1, 2},
                                         {1, 3},
                                         {1000, 48000},
                                         {100, 44100},
                                         {7, 3087}}) {
      SCOPED_TRACE("shape " + std::to_string(shape) + ", " + std::to_string(cycles) +
                   " cycles in " + std::to_string(period));
      const ExactTone tone{shape, cycles, period};
      std::vector<double> values(FramesPerRepeat(tone));
      RenderToneValues(tone, 0, values.size(), values.data());
      double sum = 0, peak = 0;
      for (double value : values) {
        sum += value;
        peak = std::max(peak, std::fabs(value));
      }
      EXPECT_NEAR(sum / static_cast<double>(values.size()), 0.0, 1e-15);
      const Levels levels = ToneLevels(tone);
      EXPECT_EQ(levels.peak, shape == kToneSine ? 1.0 : peak);
    }
  }
}

}  // namespace
