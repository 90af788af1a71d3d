#include "signals/multitone.h"

#include <algorithm>
#include <cmath>

#include "signals/exact_tone.h"
#include "signals/noise.h"
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
