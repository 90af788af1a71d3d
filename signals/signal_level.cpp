#include "signals/signal_level.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr std::size_t kMeasuredBlockFrames = 16384;

}  // namespace

Levels MeasureLevels(const ValueSource& values, std::uint64_t frames) {
  std::vector<double> block(kMeasuredBlockFrames);
  Levels levels;
  double sum = 0;
  for (std::uint64_t first = 0; first < frames; first += kMeasuredBlockFrames) {
    const auto count =
        static_cast<std::size_t>(std::min<std::uint64_t>(kMeasuredBlockFrames, frames - first));
    values(first, count, block.data());
    for (std::size_t i = 0; i < count; ++i) {
      levels.peak = std::max(levels.peak, std::fabs(block[i]));
      sum += block[i] * block[i];
    }
  }
  levels.meanSquare = frames > 0 ? sum / static_cast<double>(frames) : 0;
  return levels;
}

double CrestFactorDecibels(const Levels& levels) {
  return 20 * std::log10(levels.peak / std::sqrt(levels.meanSquare));
}
