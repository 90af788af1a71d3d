#include "signals/signal_level.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

#include "signals/plain_math.h"
#include "signals/span_rounds.h"

namespace {

constexpr std::size_t kMeasuredBlockFrames = 16384;
// Sums kept apart by frame number modulo this, so that additions need not wait on each other;
// the grouping depends on the frame alone, never on the blocks.
constexpr std::size_t kPartialSums = 4;
static_assert(kMeasuredBlockFrames % kPartialSums == 0);

// Spans of frames measured at once, on as many threads as there are: their sums are added in
// order, so the figures are the same on any number of threads.
constexpr std::uint64_t kMeasuredSpanFrames = std::uint64_t{1} << 20;

struct SpanSums {
  double peak = 0;
  double sum = 0;
};

SpanSums SumsOfSpan(const ValueSource& values, std::uint64_t first, std::uint64_t frames,
                    std::vector<double>& block) {
  double peaks[kPartialSums] = {};
  double sums[kPartialSums] = {};
  for (std::uint64_t done = 0; done < frames; done += kMeasuredBlockFrames) {
    const auto count =
        static_cast<std::size_t>(std::min<std::uint64_t>(kMeasuredBlockFrames, frames - done));
    values(first + done, count, block.data());
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t lane = i % kPartialSums;  // blocks start at multiples of kPartialSums
      peaks[lane] = std::max(peaks[lane], std::fabs(block[i]));
      sums[lane] += block[i] * block[i];
    }
  }
  return {std::max(std::max(peaks[0], peaks[1]), std::max(peaks[2], peaks[3])),
          (sums[0] + sums[1]) + (sums[2] + sums[3])};
}

struct RepeatTable {
  std::uint64_t source = 0;  // which RepeatedFromTable source the values are of
  std::vector<double> values;
};

}  // namespace

ValueSource RepeatedFromTable(const ValueSource& values, std::uint64_t repeatFrames) {
  static std::atomic<std::uint64_t> nextSource{1};
  const std::uint64_t source = nextSource++;
  return [values, repeatFrames, source](std::uint64_t first, std::size_t count, double* out) {
    // One table a thread, made on first use: a batch of many files holds no more tables than it
    // has workers.
    thread_local RepeatTable table;
    if (table.source != source) {
      table.values.resize(static_cast<std::size_t>(repeatFrames));
      values(0, table.values.size(), table.values.data());
      table.source = source;
    }
    auto at = static_cast<std::size_t>(first % repeatFrames);
    while (count > 0) {
      const std::size_t run = std::min(count, table.values.size() - at);
      std::copy_n(table.values.data() + at, run, out);
      out += run;
      count -= run;
      at = 0;
    }
  };
}

Levels MeasureLevels(const ValueSource& values, std::uint64_t frames, unsigned threads) {
  const std::uint64_t spans = (frames + kMeasuredSpanFrames - 1) / kMeasuredSpanFrames;
  std::vector<std::vector<double>> blocks(std::max(1u, threads));
  std::vector<SpanSums> sums(blocks.size());
  Levels levels;
  double sum = 0;
  RunSpansInRounds(
      spans, threads,
      [&](std::uint64_t span, unsigned slot) {
        blocks[slot].resize(kMeasuredBlockFrames);
        const std::uint64_t first = span * kMeasuredSpanFrames;
        sums[slot] =
            SumsOfSpan(values, first, std::min(kMeasuredSpanFrames, frames - first), blocks[slot]);
      },
      [&](std::uint64_t, unsigned slot) {
        levels.peak = std::max(levels.peak, sums[slot].peak);
        sum += sums[slot].sum;
        return true;
      });
  levels.meanSquare = frames > 0 ? sum / static_cast<double>(frames) : 0;
  return levels;
}

double CrestFactorDecibels(const Levels& levels) {
  // The program's own logarithm: the report says the same digits in both builds.
  return 20 * LogOf(levels.peak / std::sqrt(levels.meanSquare)) / LogOf(10.0);
}
