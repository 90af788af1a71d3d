#include "cli/signal_plan.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "cli/render_report.h"
#include "cli/written_level.h"
#include "signals/bandlimited.h"
#include "signals/fades.h"
#include "signals/multitone.h"
#include "signals/noise.h"
#include "signals/periodic_noise.h"
#include "signals/pink_noise.h"
#include "signals/span_rounds.h"
#include "signals/sweep.h"
#include "sound/wav_buffer.h"

namespace {

constexpr double kLowestSignalFrequency = 1.0;  // Hz
constexpr double kDefaultNoiseRms = -20.0;      // dBFS, AES17
constexpr double kMillisecondsPerSecond = 1000.0;
constexpr char kRangeSeparator = ':';
constexpr char kToneSeparator = '+';
// The inverse filter is computed whole, in about 64 bytes per frame of the sweep.
constexpr std::uint64_t kLongestInverseSweep = std::uint64_t{1} << 22;
// Periodic noise is one transform of the whole file: 32 bytes a frame, and a cost that grows
// with the frames' largest prime factor.
constexpr std::uint64_t kLongestPeriodicNoise = std::uint64_t{1} << 23;
constexpr std::uint64_t kLargestPeriodicPrime = 13;
constexpr double kNoiseBandLow = 20.0;
constexpr double kNoiseBandHigh = 20000.0;
// Multitone phases: drawn sets tried besides Schroeder's, each over this many frames first.
constexpr std::uint64_t kPhaseCandidates = 63;
constexpr std::uint64_t kPhaseTrialFrames = 16384;
// A tone that repeats within this many frames is computed once and then copied (2 MB).
constexpr std::uint64_t kLongestRepeatTable = std::uint64_t{1} << 18;

// Files are planned one after another: each measuring pass may take every core.
unsigned PlanningThreads() { return ThreadsPerFile(1); }

ExactSignalPlan Refused(std::string fault) {
  ExactSignalPlan plan;
  plan.fault = std::move(fault);
  return plan;
}

// The level asked for, met on values whose peak and mean square were measured.
std::string MeetMeasuredLevel(const RenderOptions& options, const std::string& name,
                              const Levels& measured, const double* defaultRms,
                              ExactSignalPlan& plan) {
  plan.peak = measured.peak;
  return GainForLevel(options, name, measured.peak, measured.meanSquare, defaultRms, plan.gain);
}

Json CrestFactor(const Levels& measured) { return JsonNumber(CrestFactorDecibels(measured)); }

// Frequencies given as numbers and nothing else, split at `separator`.
bool ReadFrequencies(const std::string& text, char separator, std::vector<double>& frequencies) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t stop = text.find(separator, start);
    double value = 0;
    if (!ReadDecibels(text.substr(start, stop - start), value)) return false;
    frequencies.push_back(value);
    if (stop == std::string::npos) return true;
    start = stop + 1;
  }
}

std::string FrequencyRange(double rate) {
  return NumberText(kLowestSignalFrequency) + " Hz to " + NumberText(rate / 2) + " Hz";
}

std::uint64_t FramesOf(const std::string& milliseconds, double rate, bool& valid) {
  double value = 0;
  valid = ReadDecibels(milliseconds, value) && value >= 0;
  return valid ? static_cast<std::uint64_t>(std::nearbyint(value * rate / kMillisecondsPerSecond))
               : 0;
}

// Fades around the values; a sweep's default fade-out is `defaultOutSeconds`.
std::string AddFades(const RenderOptions& options, double defaultOutSeconds,
                     ExactSignalPlan& plan) {
  Fades fades;
  fades.frames = plan.frames;
  bool valid = true;
  if (!options.fadeInText.empty())
    fades.in = FramesOf(options.fadeInText, options.sampleRate, valid);
  if (!valid) return "--fade-in: \"" + options.fadeInText + "\" is not a length in milliseconds";
  if (!options.fadeOutText.empty())
    fades.out = FramesOf(options.fadeOutText, options.sampleRate, valid);
  else
    fades.out = static_cast<std::uint64_t>(std::nearbyint(defaultOutSeconds * options.sampleRate));
  if (!valid) return "--fade-out: \"" + options.fadeOutText + "\" is not a length in milliseconds";
  if (fades.in + fades.out > plan.frames)
    return "the fades (" + std::to_string(fades.in) + " + " + std::to_string(fades.out) +
           " frames) are longer than the file (" + std::to_string(plan.frames) + " frames)";
  if (fades.out > 0)
    plan.reportKeys["fade_out_ms"] =
        JsonNumber(static_cast<double>(fades.out) * kMillisecondsPerSecond / options.sampleRate);
  if (fades.in == 0 && fades.out == 0) return "";
  ValueSource unfaded = plan.values;
  plan.values = [unfaded, fades](std::uint64_t first, std::size_t count, double* out) {
    unfaded(first, count, out);
    ApplyFades(fades, first, count, out);
  };
  return "";
}

ExactSignalPlan PlanSweepSignal(const RenderOptions& options, const ExactRequest& request,
                                int shape, const std::string& shapeName, const std::string& text) {
  ExactSignalPlan plan;
  const double rate = options.sampleRate;
  std::vector<double> range;
  if (!ReadFrequencies(text, kRangeSeparator, range) || range.size() != 2)
    return Refused("--frequency \"" + text + "\": a " + shapeName +
                   " takes its range as F1:F2, e.g. 20:20000");
  const bool exponential = shape == kShapeSweep;
  for (double f : range)
    if (!(f >= kLowestSignalFrequency && f <= rate / 2))
      return Refused("--frequency \"" + text + "\": a sweep stays within " + FrequencyRange(rate) +
                     " at " + std::to_string(options.sampleRate) + " Hz");
  if (exponential && !(range[1] > range[0]))
    return Refused("--frequency \"" + text +
                   "\": an exponential sweep rises; give F1 below F2 (linear-sweep may fall)");
  if (options.cycles > 0) return Refused("--cycles: a " + shapeName + " has no cycles to count");
  const Sweep sweep =
      PlanSweep(exponential, range[0], range[1], static_cast<double>(request.frames) / rate, rate);
  if (sweep.frames < 2)
    return Refused("a " + shapeName + " of \"" + text + "\" needs a longer --length");
  plan.frames = sweep.frames;
  plan.frequency = range[0];
  plan.sweepEnd = range[1];
  if (!options.inversePath.empty() && sweep.frames > kLongestInverseSweep)
    return Refused("--inverse: the sweep has " + std::to_string(sweep.frames) +
                   " frames; its inverse is made for at most " +
                   std::to_string(kLongestInverseSweep));
  plan.values = [sweep](std::uint64_t first, std::size_t count, double* out) {
    RenderSweepValues(sweep, first, count, out);
  };
  plan.reportKeys["rendered_end"] = JsonNumber(range[1]);
  if (exponential) plan.reportKeys["sweep_rate_l"] = JsonNumber(sweep.L);
  // A swept sine peaks at 1 and reads as a sine does.
  plan.fault = GainForLevel(options, shapeName, 1.0, 0.5, nullptr, plan.gain);
  if (plan.fault.empty()) plan.fault = AddFades(options, LastSemitoneSeconds(sweep), plan);
  return plan;
}

// The drawn phases that peak lowest over the first frames, kept only where they also peak below
// Schroeder's over the whole file: never worse than Schroeder's.
Levels ChooseMultitonePhases(Multitone& multitone) {
  const std::vector<std::uint64_t> drawn =
      LowCrestPhases(multitone, std::min(multitone.period, kPhaseTrialFrames), kPhaseCandidates);
  multitone.phases = SchroederPhases(multitone.cycles.size());
  const Levels schroeder =
      MeasureLevels(MultitoneValues(multitone), multitone.period, PlanningThreads());
  if (drawn == multitone.phases) return schroeder;
  Multitone other = multitone;
  other.phases = drawn;
  const Levels measured = MeasureLevels(MultitoneValues(other), other.period, PlanningThreads());
  if (!(measured.peak < schroeder.peak)) return schroeder;
  multitone = other;
  return measured;
}

ExactSignalPlan PlanMultitone(const RenderOptions& options, const ExactRequest& request,
                              const std::string& text) {
  ExactSignalPlan plan;
  const double rate = options.sampleRate;
  std::vector<double> frequencies;
  if (text.empty() || !ReadFrequencies(text, kToneSeparator, frequencies))
    return Refused("--frequency \"" + text +
                   "\": a multitone takes its tones as F+F+..., e.g. 100+1000+10000");
  if (options.cycles > 0) return Refused("--cycles: a multitone has no one cycle to count");
  plan.frames = request.frames;
  if (frequencies.size() > kMostTones)
    return Refused("--frequency \"" + text + "\": at most " + std::to_string(kMostTones) +
                   " tones");
  Multitone multitone{{}, {}, plan.frames};
  Json rendered = Json::array();
  for (double f : frequencies) {
    if (!(f >= kLowestSignalFrequency && f < rate / 2))
      return Refused("--frequency \"" + text + "\": each tone stays within " +
                     FrequencyRange(rate) + " (below it) at " + std::to_string(options.sampleRate) +
                     " Hz");
    const double bin = std::max(1.0, std::nearbyint(f * static_cast<double>(plan.frames) / rate));
    if (2 * bin >= static_cast<double>(plan.frames))
      return Refused("--frequency \"" + text + "\": " + NumberText(f) +
                     " Hz has no bin below half the rate in " + std::to_string(plan.frames) +
                     " frames");
    multitone.cycles.push_back(static_cast<std::uint64_t>(bin));
  }
  std::sort(multitone.cycles.begin(), multitone.cycles.end());
  if (std::adjacent_find(multitone.cycles.begin(), multitone.cycles.end()) !=
      multitone.cycles.end())
    return Refused("--frequency \"" + text + "\": two tones fall in one bin of " +
                   NumberText(rate / static_cast<double>(plan.frames)) +
                   " Hz; render more frames or move them apart");
  for (std::uint64_t bin : multitone.cycles)
    rendered.push_back(
        JsonNumber(static_cast<double>(bin) * rate / static_cast<double>(plan.frames)));
  plan.frequency =
      static_cast<double>(multitone.cycles.front()) * rate / static_cast<double>(plan.frames);
  const Levels measured = ChooseMultitonePhases(multitone);
  plan.values = MultitoneValues(multitone);
  plan.reportKeys["tones"] = rendered;
  plan.reportKeys["crest_factor_db"] = CrestFactor(measured);
  plan.fault = MeetMeasuredLevel(options, "multitone", measured, nullptr, plan);
  if (plan.fault.empty()) plan.fault = AddFades(options, 0, plan);
  return plan;
}

std::string PeriodicFault(const RenderOptions& options, std::uint64_t frames) {
  if (frames > kLongestPeriodicNoise)
    return "--periodic: " + std::to_string(frames) +
           " frames; periodic noise is made for at most " + std::to_string(kLongestPeriodicNoise);
  const std::uint64_t prime = LargestPrimeFactor(frames);
  if (prime > kLargestPeriodicPrime)
    return "--periodic: " + std::to_string(frames) + " frames have the prime factor " +
           std::to_string(prime) + "; give a length whose frames have none above " +
           std::to_string(kLargestPeriodicPrime) + " (a whole number of seconds at " +
           std::to_string(options.sampleRate) + " Hz, say)";
  return "";
}

// The noise's values: from the counter-based generator frame by frame, or one period at once.
std::string NoiseValues(const RenderOptions& options, int shape, std::uint64_t frames,
                        ValueSource& values) {
  const std::uint64_t seed = options.seed;
  if (shape == kShapePink && !options.periodic) {
    const PinkNoise pink = PlanPinkNoise(seed, options.sampleRate);
    values = [pink](std::uint64_t first, std::size_t count, double* out) {
      RenderPinkValues(pink, first, count, out);
    };
    return "";
  }
  if (!options.periodic) {
    const NoiseKind kind = shape == kShapeWhite ? NoiseKind::kGaussian : NoiseKind::kUniform;
    values = [kind, seed](std::uint64_t first, std::size_t count, double* out) {
      RenderNoiseValues(kind, seed, first, count, out);
    };
    return "";
  }
  if (shape == kShapeWhiteUniform)
    return "--periodic: uniform noise has no spectrum to set; use white or pink";
  if (std::string fault = PeriodicFault(options, frames); !fault.empty()) return fault;
  const auto period = std::make_shared<const std::vector<double>>(
      PeriodicNoise(shape == kShapePink ? NoiseSpectrum::kPink : NoiseSpectrum::kFlat, seed, frames,
                    options.sampleRate, kNoiseBandLow, kNoiseBandHigh));
  values = [period](std::uint64_t first, std::size_t count, double* out) {
    std::copy_n(period->begin() + static_cast<std::ptrdiff_t>(first), count, out);
  };
  return "";
}

ExactSignalPlan PlanNoise(const RenderOptions& options, const ExactRequest& request, int shape,
                          const std::string& shapeName) {
  ExactSignalPlan plan;
  if (options.cycles > 0) return Refused("--cycles: " + shapeName + " noise has no cycles");
  plan.frames = request.frames;
  plan.frequency = NAN;
  if (std::string fault = NoiseValues(options, shape, plan.frames, plan.values); !fault.empty())
    return Refused(fault);
  // Calibrated on the values themselves, not on the generator's expected level.
  const Levels measured = MeasureLevels(plan.values, plan.frames, PlanningThreads());
  plan.reportKeys["seed"] = options.seed;
  plan.reportKeys["crest_factor_db"] = CrestFactor(measured);
  if (options.periodic) plan.reportKeys["periodic"] = true;
  plan.fault = MeetMeasuredLevel(options, shapeName + " noise", measured, &kDefaultNoiseRms, plan);
  if (plan.fault.empty()) plan.fault = AddFades(options, 0, plan);
  // The level holds for the samples as written, not only before they are rounded.
  if (!plan.fault.empty() || !LevelIsRms(options, true)) return plan;
  SampleEncoding encoding = ExactEncoding(request, options, plan.gain);
  plan.fault =
      MeetRmsAsWritten(plan.values, plan.frames, plan.peak, measured.meanSquare,
                       options.rmsText.empty() ? NumberText(kDefaultNoiseRms) : options.rmsText,
                       PlanningThreads(), encoding);
  plan.gain = encoding.gain;
  return plan;
}

ExactSignalPlan PlanToneSignal(const RenderOptions& options, const ExactRequest& request, int shape,
                               const std::string& shapeName, float frequency) {
  ExactSignalPlan plan = PlanExactTone(options, request, shape, shapeName, frequency);
  if (!plan.fault.empty()) return plan;
  const ExactTone tone = plan.tone;
  const bool bandlimited = options.bandlimited && shape != kShapeSine;
  if (bandlimited)
    plan.values = [tone](std::uint64_t first, std::size_t count, double* out) {
      RenderBandlimitedValues(tone, first, count, out);
    };
  const std::uint64_t repeat = FramesPerRepeat(tone);
  if (repeat <= kLongestRepeatTable && repeat < plan.frames)
    plan.values = RepeatedFromTable(plan.values, repeat);
  if (bandlimited) {
    // The harmonics overshoot where the shape jumps: the level is the values' own, the same
    // over one repeat as over the file.
    plan.reportKeys["harmonics"] = HighestHarmonic(tone);
    plan.fault = MeetMeasuredLevel(
        options, shapeName, MeasureLevels(plan.values, repeat, PlanningThreads()), nullptr, plan);
  }
  if (plan.fault.empty()) plan.fault = AddFades(options, 0, plan);
  return plan;
}

}  // namespace

bool NeedsExactSignal(const RenderOptions& options) {
  for (const std::string& shape : options.shapes)
    for (const char* name : kExactOnlyShapeNames)
      if (shape == name) return true;
  return options.bandlimited || !options.fadeInText.empty() || !options.fadeOutText.empty() ||
         !options.inversePath.empty() || options.periodic;
}

ExactSignalPlan PlanExactSignal(const RenderOptions& options, const ExactRequest& request,
                                int shape, const std::string& shapeName,
                                const std::string& frequencyText, float frequency) {
  const bool noise = shape == kShapeWhite || shape == kShapeWhiteUniform || shape == kShapePink;
  if (options.periodic && !noise)
    return Refused("--periodic: only noise is made periodic; a " + shapeName +
                   " has its own period");
  if (!options.inversePath.empty() && shape != kShapeSweep && shape != kShapeLinearSweep)
    return Refused("--inverse: only a sweep has an inverse filter, not a " + shapeName);
  switch (shape) {
    case kShapeSweep:
    case kShapeLinearSweep:
      return PlanSweepSignal(options, request, shape, shapeName, frequencyText);
    case kShapeMultitone: return PlanMultitone(options, request, frequencyText);
    case kShapeWhite:
    case kShapeWhiteUniform:
    case kShapePink: return PlanNoise(options, request, shape, shapeName);
    default: return PlanToneSignal(options, request, shape, shapeName, frequency);
  }
}
