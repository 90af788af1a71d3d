#include "cli/level_plan.h"

#include <algorithm>
#include <cmath>

#include "encode/levels.h"
#include "signals/number_text.h"

namespace {

std::string CrestText(const Levels& levels) {
  return NumberText(static_cast<float>(std::round(CrestFactorDecibels(levels) * 100) / 100));
}

std::string RmsText(double decibels) { return "--rms " + NumberText(decibels); }

}  // namespace

bool LevelIsRms(const LevelRequest& level, const SignalPlan& signal) {
  return level.kind == LevelKind::kRms || (!level.given && signal.defaultRms.has_value());
}

double RmsDecibels(const LevelRequest& level, const SignalPlan& signal) {
  return level.kind == LevelKind::kRms ? level.value : signal.defaultRms.value_or(0);
}

std::string GainForLevel(const LevelRequest& level, const SignalPlan& signal,
                         const std::string& shapeName, double& gain) {
  const double peak = signal.levels.peak;
  const double meanSquare = signal.levels.meanSquare;
  if (level.kind == LevelKind::kPeak) {
    gain = peak > 0 ? GainOfDecibels(level.value) / peak : 0;
  } else if (LevelIsRms(level, signal)) {
    const double decibels = RmsDecibels(level, signal);
    gain = meanSquare > 0
               ? GainOfDecibels(decibels) * std::sqrt(kAes17MeanSquareOfFullScale / meanSquare)
               : 0;
    if (gain * peak > 1 + kFullScaleTolerance) {
      // The level that would reach full scale exactly, to two decimals, rounded down.
      const double highest =
          std::floor((decibels - kDecibelsPerFactorOfTen * std::log10(gain * peak)) * 100) / 100;
      return RmsText(decibels) + " would take the " + shapeName +
             "'s peak above full scale (its crest factor is " + CrestText(signal.levels) +
             " dB); at most " + NumberText(static_cast<float>(highest)) + " dBFS for this " +
             shapeName;
    }
  } else {
    gain = peak > 0 ? level.value / 100.0 / peak : 0;
  }
  gain = std::min(gain, peak > 0 ? 1.0 / peak : 1.0);
  return "";
}

std::string SilentLevelFault(const RenderRequest& request, double peak) {
  if (IsFloat(request.format) || request.dither || !(peak > 0)) return "";
  constexpr double kHalfStep = 0.5;
  const double fullScale = IntegerFullScale(request.format);
  if (peak * fullScale >= kHalfStep) return "";
  const LevelRequest& level = request.level;
  const std::string option = level.kind == LevelKind::kPeak  ? "--peak "
                             : level.kind == LevelKind::kRms ? "--rms "
                                                             : "--amplitude ";
  const double halfStep = kDecibelsPerFactorOfTen * std::log10(kHalfStep / fullScale);
  return option + NumberText(level.value) + ": every sample would round to 0 in " +
         SampleFormatName(request.format) + ", whose half step is " +
         NumberText(std::round(halfStep * 100) / 100) +
         " dBFS; give a higher level, pcm24, pcm32 or float32, or --dither tpdf";
}

std::string WrittenLevelFault(const WrittenLevel& written, double rmsDecibels,
                              SampleFormat format) {
  const std::string level = RmsText(rmsDecibels);
  const std::string name = SampleFormatName(format);
  switch (written.outcome) {
    case WrittenLevelOutcome::kMet: return "";
    case WrittenLevelOutcome::kDitherIsLouder:
      return level + ": " + name +
             "'s dither alone is louder than that level; give a higher level, or pcm24, pcm32 "
             "or float32, or leave out --dither";
    case WrittenLevelOutcome::kStepsTooCoarse:
      return level + ": " + name +
             "'s steps are too coarse to meet that level within 0.01 dB (the closest gain tried "
             "missed it by " +
             NumberText(std::round(std::fabs(written.missDecibels) * 100) / 100) +
             " dB); give a higher level, or pcm24, pcm32 or float32";
    case WrittenLevelOutcome::kPeakPastFullScale:
      return level + ": met in " + name +
             "'s steps only by a peak above full scale; give a lower level";
  }
  return "";
}
