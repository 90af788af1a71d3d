#include "signals/sweep.h"

#include <algorithm>
#include <cmath>

#include "signals/number_text.h"
#include "signals/plain_math.h"
#include "signals/shape_table.h"

namespace {

constexpr double kSemitone = 1.0 / 12.0;  // of an octave
// e^{t/L} is computed afresh at every multiple of this many frames and stepped by a table in
// between: one product a frame instead of an exponential, the same whatever the blocks.
constexpr std::uint64_t kExpStepFrames = 64;
constexpr double kLowestSweepFrequency = 1.0;  // Hz

// Cycles the sweep has made at time t: the integral of its frequency.
double CyclesAt(const Sweep& sweep, double t) {
  if (sweep.exponential) return sweep.f1 * sweep.L * (ExpOf(t / sweep.L) - 1.0);
  return sweep.f1 * t + (sweep.f2 - sweep.f1) * t * t / (2.0 * sweep.duration);
}

}  // namespace

Sweep PlanSweep(bool exponential, double f1, double f2, double seconds, double rate) {
  Sweep sweep{exponential, f1, f2, rate, 0, seconds, 0};
  if (exponential) {
    const double octaves = LogOf(f2 / f1);
    sweep.L = std::floor(f1 * seconds / octaves) / f1;
    sweep.duration = sweep.L * octaves;
  }
  const double most = std::nearbyint(seconds * rate);
  sweep.frames = static_cast<std::uint64_t>(std::min(std::nearbyint(sweep.duration * rate), most));
  return sweep;
}

double LastSemitoneSeconds(const Sweep& sweep) {
  if (sweep.exponential) return sweep.L * LogOf(2.0) * kSemitone;
  const double lastStart = sweep.f2 / ExpOf(LogOf(2.0) * kSemitone);
  return sweep.duration * std::fabs(sweep.f2 - lastStart) / std::fabs(sweep.f2 - sweep.f1);
}

void RenderSweepValues(const Sweep& sweep, std::uint64_t first, std::size_t count, double* out) {
  if (!sweep.exponential) {
    for (std::size_t i = 0; i < count; ++i)
      out[i] = SineOfCycles(CyclesAt(sweep, static_cast<double>(first + i) / sweep.rate));
    return;
  }
  const double framesPerL = sweep.rate * sweep.L;
  double steps[kExpStepFrames];
  for (std::uint64_t i = 0; i < kExpStepFrames; ++i)
    steps[i] = ExpOf(static_cast<double>(i) / framesPerL);
  const double cyclesPerE = sweep.f1 * sweep.L;
  for (std::size_t i = 0; i < count;) {
    const std::uint64_t frame = first + i;
    const std::uint64_t anchor = frame - frame % kExpStepFrames;
    const double atAnchor = ExpOf(static_cast<double>(anchor) / framesPerL);
    for (std::uint64_t k = frame - anchor; k < kExpStepFrames && i < count; ++k, ++i)
      out[i] = SineOfCycles(cyclesPerE * (atAnchor * steps[k] - 1.0));
  }
}

SignalPlan PlanSweepSignal(const ShapeRow& row, const SignalRequest& request) {
  const double rate = request.rate;
  const double f1 = request.frequencies.at(0), f2 = request.frequencies.at(1);
  const bool exponential = row.kind == kExponentialSweep;
  for (double f : {f1, f2})
    if (!(f >= kLowestSweepFrequency && f <= rate / 2))
      return RefusedSignal("a sweep stays within " + NumberText(kLowestSweepFrequency) + " Hz to " +
                               NumberText(rate / 2) + " Hz at " + NumberText(rate) + " Hz",
                           true);
  if (exponential && !(f2 > f1))
    return RefusedSignal("an exponential sweep rises; give F1 below F2 (linear-sweep may fall)",
                         true);
  const double seconds = static_cast<double>(request.frames) / rate;
  const Sweep sweep = PlanSweep(exponential, f1, f2, seconds, rate);
  if (sweep.frames < 2) {
    // The shortest synchronized sweep makes one e-fold of frequency in 1 / f1 seconds.
    constexpr double kMillisecond = 1e-3;
    const double shortest =
        std::ceil((exponential ? LogOf(f2 / f1) / f1 : 2 / rate) / kMillisecond) * kMillisecond;
    return RefusedSignal(std::string("a ") + row.name + " from " + NumberText(f1) + " to " +
                         NumberText(f2) + " Hz takes at least " + NumberText(shortest) +
                         " s; give a longer --length");
  }
  SignalPlan plan;
  plan.frames = request.frames;
  plan.soundingFrames = sweep.frames;
  plan.frequency = f1;
  plan.sweepEnd = f2;
  // Silence fills the file after the sweep.
  plan.values = [sweep](std::uint64_t first, std::size_t count, double* out) {
    const std::size_t sounding =
        first >= sweep.frames ? 0 : std::min<std::uint64_t>(count, sweep.frames - first);
    RenderSweepValues(sweep, first, sounding, out);
    std::fill(out + sounding, out + count, 0.0);
  };
  plan.report.push_back({"rendered_end", f2});
  if (exponential) plan.report.push_back({"sweep_rate_l", sweep.L});
  plan.report.push_back({"sweep_length", static_cast<double>(sweep.frames) / rate});
  // A swept sine peaks at 1 and reads as a sine does.
  plan.levels = {1.0, 0.5};
  plan.defaultFadeOutSeconds = LastSemitoneSeconds(sweep);
  return plan;
}
