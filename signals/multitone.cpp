#include "signals/multitone.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "signals/exact_tone.h"
#include "signals/noise.h"
#include "signals/number_text.h"
#include "signals/shape_table.h"
#include "signals/signal_level.h"

namespace {

constexpr std::uint64_t kPhaseStream = 0x6A09E667F3BCC909u;

double PeakOver(const Multitone& multitone, std::uint64_t frames) {
  return MeasureLevels(MultitoneValues(multitone), frames).peak;
}

}  // namespace

std::vector<std::uint64_t> SchroederPhases(std::size_t tones) {
  std::vector<std::uint64_t> phases(tones);
  for (std::uint64_t i = 1; i <= tones; ++i) {
    // i (i - 1) / (2M) of a cycle, in whole steps (rounded down), taken backwards.
    const std::uint64_t steps = i * (i - 1) % (2 * tones) * (kPhaseSteps / 2) / tones;
    phases[i - 1] = (kPhaseSteps - steps % kPhaseSteps) % kPhaseSteps;
  }
  return phases;
}

std::vector<std::uint64_t> DrawnPhases(std::size_t tones, std::uint64_t index) {
  std::vector<std::uint64_t> phases(tones);
  for (std::size_t i = 0; i < tones; ++i)
    phases[i] = CounterHash(kPhaseStream + index, i) % kPhaseSteps;
  return phases;
}

ValueSource MultitoneValues(const Multitone& multitone) {
  return [multitone](std::uint64_t first, std::size_t count, double* out) {
    RenderMultitoneValues(multitone, first, count, out);
  };
}

void RenderMultitoneValues(const Multitone& multitone, std::uint64_t first, std::size_t count,
                           double* out) {
  // Over the common denominator steps × N every tone's position is a whole number, stepped
  // exactly from frame to frame.
  const std::size_t tones = multitone.cycles.size();
  const std::uint64_t period = multitone.period;
  const std::uint64_t denominator = kPhaseSteps * period;
  std::vector<std::uint64_t> position(tones), step(tones);
  for (std::size_t i = 0; i < tones; ++i) {
    step[i] = kPhaseSteps * (multitone.cycles[i] % period);
    position[i] =
        (multitone.phases[i] * period + MultiplyModulo(first % period, step[i], denominator)) %
        denominator;
  }
  for (std::size_t frame = 0; frame < count; ++frame) {
    double sum = 0;
    for (std::size_t i = 0; i < tones; ++i) {
      sum += SineOfCycleFraction(position[i], denominator);
      position[i] = position[i] >= denominator - step[i] ? position[i] - (denominator - step[i])
                                                         : position[i] + step[i];
    }
    out[frame] = sum;
  }
}

std::vector<std::uint64_t> LowCrestPhases(Multitone multitone, std::uint64_t frames,
                                          std::uint64_t candidates) {
  const std::size_t tones = multitone.cycles.size();
  multitone.phases = SchroederPhases(tones);
  std::vector<std::uint64_t> best = multitone.phases;
  double lowest = PeakOver(multitone, frames);
  for (std::uint64_t index = 0; index < candidates; ++index) {
    multitone.phases = DrawnPhases(tones, index);
    const double peak = PeakOver(multitone, frames);
    if (peak < lowest) {
      lowest = peak;
      best = multitone.phases;
    }
  }
  return best;
}

namespace {

// Drawn phase sets tried besides Schroeder's, each over this many frames first.
constexpr std::uint64_t kPhaseCandidates = 63;
constexpr std::uint64_t kPhaseTrialFrames = 16384;
constexpr double kLowestToneFrequency = 1.0;  // Hz

// The drawn phases that peak lowest over the first frames, kept only where they also peak below
// Schroeder's over the whole file: never worse than Schroeder's.
Levels ChooseMultitonePhases(Multitone& multitone, unsigned threads) {
  const std::vector<std::uint64_t> drawn =
      LowCrestPhases(multitone, std::min(multitone.period, kPhaseTrialFrames), kPhaseCandidates);
  multitone.phases = SchroederPhases(multitone.cycles.size());
  const Levels schroeder = MeasureLevels(MultitoneValues(multitone), multitone.period, threads);
  if (drawn == multitone.phases) return schroeder;
  Multitone other = multitone;
  other.phases = drawn;
  const Levels measured = MeasureLevels(MultitoneValues(other), other.period, threads);
  if (!(measured.peak < schroeder.peak)) return schroeder;
  multitone = other;
  return measured;
}

// Each tone on its bin of the frames: refused outside the band, or where two share a bin.
std::string PlaceTones(const SignalRequest& request, Multitone& multitone) {
  const double rate = request.rate;
  const auto frames = static_cast<double>(multitone.period);
  if (request.frequencies.size() > kMostTones)
    return "at most " + std::to_string(kMostTones) + " tones";
  for (double f : request.frequencies) {
    if (!(f >= kLowestToneFrequency && f < rate / 2))
      return "each tone stays within " + NumberText(kLowestToneFrequency) + " Hz to " +
             NumberText(rate / 2) + " Hz (below it) at " + NumberText(rate) + " Hz";
    const double bin = std::max(1.0, std::nearbyint(f * frames / rate));
    if (2 * bin >= frames)
      return NumberText(f) + " Hz has no bin below half the rate in " +
             std::to_string(multitone.period) + " frames";
    multitone.cycles.push_back(static_cast<std::uint64_t>(bin));
  }
  std::sort(multitone.cycles.begin(), multitone.cycles.end());
  if (std::adjacent_find(multitone.cycles.begin(), multitone.cycles.end()) !=
      multitone.cycles.end())
    return "two tones fall in one bin of " + NumberText(rate / frames) +
           " Hz; render more frames or move them apart";
  return "";
}

}  // namespace

SignalPlan PlanMultitoneSignal(const ShapeRow&, const SignalRequest& request) {
  Multitone multitone{{}, {}, request.frames};
  if (std::string fault = PlaceTones(request, multitone); !fault.empty())
    return RefusedSignal(fault, true);
  SignalPlan plan;
  plan.frames = request.frames;
  std::vector<double> rendered;
  for (std::uint64_t bin : multitone.cycles)
    rendered.push_back(static_cast<double>(bin) * request.rate / static_cast<double>(plan.frames));
  plan.frequency = rendered.front();
  plan.levels = ChooseMultitonePhases(multitone, request.threads);
  plan.values = MultitoneValues(multitone);
  plan.report.push_back({"tones", rendered});
  plan.report.push_back({"crest_factor_db", CrestFactorDecibels(plan.levels)});
  return plan;
}
