#include "encode/written_level.h"

#include <cmath>

#include "encode/levels.h"

namespace {

constexpr double kRoundingPower = 1.0 / 12;  // in steps squared, rounding to the nearest step
constexpr double kDitherPower = 1.0 / 6;     // triangular, two steps from end to end
// Below this share of the level, what rounding adds moves it by less than 0.0001 dB.
constexpr double kNegligiblePowerShare = 2e-5;
constexpr double kCloseEnoughDecibels = 0.0001;
// Within the 0.01 dB promised, with room for readers that take full scale as 2^(bits - 1).
constexpr double kAcceptedDecibels = 0.009;
constexpr int kMostPasses = 12;

bool RoundingMatters(const SampleEncoding& encoding, double meanSquare) {
  if (IsFloat(encoding.format)) return false;
  const double fullScale = IntegerFullScale(encoding.format);
  const double added = kRoundingPower + (encoding.dither ? kDitherPower : 0);
  return added > kNegligiblePowerShare * meanSquare * fullScale * fullScale;
}

double MeanSquareAsWritten(const ValueSource& values, std::uint64_t frames, unsigned threads,
                           const SampleEncoding& encoding) {
  // Each frame stands for the root of its channels' mean square, so the measured mean square is
  // the file's.
  const ValueSource written = [&values, &encoding](std::uint64_t first, std::size_t count,
                                                   double* out) {
    values(first, count, out);
    WrittenMeanSquares(encoding, out, count, first, out);
    for (std::size_t i = 0; i < count; ++i) out[i] = std::sqrt(out[i]);
  };
  return MeasureLevels(written, frames, threads).meanSquare;
}

// Of two mean squares: half the decibels of a factor of ten in level.
double DecibelsBetween(double meanSquare, double reference) {
  return meanSquare > 0 ? kDecibelsPerFactorOfTen / 2 * std::log10(meanSquare / reference)
                        : -INFINITY;
}

// A gain tried, and by how many dB (of power) its written samples missed the level.
struct Try {
  double gain;
  double miss;
};

// The next gain: until one try is too quiet and another too loud, the step that would be exact
// if the samples' power followed the gain's square; after that, within the two, where the misses'
// line on log gain crosses zero, or halfway when that line has led to the same side twice.
double NextGain(const Try& last, const Try* quiet, const Try* loud, bool sameSideAgain) {
  if (!quiet || !loud) {
    if (std::isinf(last.miss)) return 2 * last.gain;  // all rounded to silence
    return last.gain * std::pow(10.0, -last.miss / kDecibelsPerFactorOfTen);
  }
  const double low = std::log(quiet->gain);
  const double high = std::log(loud->gain);
  const double share =
      sameSideAgain || std::isinf(quiet->miss) ? 0.5 : -quiet->miss / (loud->miss - quiet->miss);
  return std::exp(low + share * (high - low));
}

}  // namespace

WrittenLevel MeetRmsAsWritten(const ValueSource& values, std::uint64_t frames, double peak,
                              double unfadedMeanSquare, unsigned threads,
                              SampleEncoding& encoding) {
  if (!RoundingMatters(encoding, encoding.gain * encoding.gain * unfadedMeanSquare))
    return {WrittenLevelOutcome::kMet, 0};
  // What the values have at the gain asked for, fades and all.
  const double asked =
      encoding.gain * encoding.gain * MeasureLevels(values, frames, threads).meanSquare;
  if (!(asked > 0)) return {WrittenLevelOutcome::kMet, 0};
  SampleEncoding trial = encoding;
  Try best{encoding.gain, INFINITY};
  Try quiet{0, 0}, loud{0, 0};
  bool haveQuiet = false, haveLoud = false, lastWasLoud = false;
  for (int pass = 0; pass < kMostPasses; ++pass) {
    const Try now{trial.gain,
                  DecibelsBetween(MeanSquareAsWritten(values, frames, threads, trial), asked)};
    if (std::fabs(now.miss) < std::fabs(best.miss)) best = now;
    if (std::fabs(now.miss) < kCloseEnoughDecibels) break;
    const bool isLoud = now.miss > 0;
    const bool sameSideAgain = pass > 0 && isLoud == lastWasLoud && haveQuiet && haveLoud;
    (isLoud ? loud : quiet) = now;
    (isLoud ? haveLoud : haveQuiet) = true;
    lastWasLoud = isLoud;
    trial.gain =
        NextGain(now, haveQuiet ? &quiet : nullptr, haveLoud ? &loud : nullptr, sameSideAgain);
  }
  encoding.gain = best.gain;
  if (encoding.dither && best.miss > kAcceptedDecibels)
    return {WrittenLevelOutcome::kDitherIsLouder, best.miss};
  if (!(std::fabs(best.miss) <= kAcceptedDecibels))
    return {WrittenLevelOutcome::kStepsTooCoarse, best.miss};
  if (encoding.gain * peak > 1 + kFullScaleTolerance)
    return {WrittenLevelOutcome::kPeakPastFullScale, best.miss};
  return {WrittenLevelOutcome::kMet, best.miss};
}
