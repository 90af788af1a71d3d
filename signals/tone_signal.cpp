// The window's four shapes rendered exactly: whole cycles over the frames, or the frames of whole
// cycles; band-limited where asked.
#include <algorithm>
#include <cmath>
#include <string>

#include "signals/bandlimited.h"
#include "signals/exact_tone.h"
#include "signals/number_text.h"
#include "signals/shape_table.h"

namespace {

// A frequency keeps a whole number of frames per --cycles when they are this close to whole.
constexpr double kWholeFramesTolerance = 1e-9;
// A tone that repeats within this many frames is computed once and then copied (2 MB).
constexpr std::uint64_t kLongestRepeatTable = std::uint64_t{1} << 18;

// Frames of the cycles asked for: refused unless they are a whole number.
std::string CycleFramesFault(const SignalRequest& request, std::uint64_t& frames) {
  const double exact = static_cast<double>(request.cycles) * request.rate / request.frequency;
  const double whole = std::nearbyint(exact);
  const std::string what = "--cycles " + std::to_string(request.cycles) + " of " +
                           NumberText(request.frequency) + " Hz at " + NumberText(request.rate) +
                           " Hz";
  if (!(std::fabs(exact - whole) <= kWholeFramesTolerance * exact))
    return what + ": " + std::to_string(exact) +
           " frames, not a whole number, so the frequency cannot be kept; give a frequency "
           "whose period is a whole number of frames, or --length or --samples";
  if (whole > static_cast<double>(request.mostFrames))
    return what + ": more than the longest file, " + std::to_string(request.mostFrames) + " frames";
  frames = static_cast<std::uint64_t>(whole);
  return "";
}

}  // namespace

SignalPlan PlanToneSignal(const ShapeRow& row, const SignalRequest& request) {
  SignalPlan plan;
  plan.frames = request.frames;
  if (request.cycles > 0) {
    if (std::string fault = CycleFramesFault(request, plan.frames); !fault.empty())
      return RefusedSignal(fault);
  }
  const double exactCycles =
      request.cycles > 0 ? static_cast<double>(request.cycles)
                         : request.frequency * static_cast<double>(plan.frames) / request.rate;
  // Whole cycles, below half the rate (twice the cycles stay under the frames): the nearest,
  // or one fewer where the nearest would reach half the rate.
  const double highest = std::floor((static_cast<double>(plan.frames) - 1) / 2);
  const double cycles = std::min(std::nearbyint(exactCycles), highest);
  if (cycles < 1 || exactCycles - cycles > 1)
    return RefusedSignal("no whole number of cycles of " + NumberText(request.frequency) +
                         " Hz below half the rate fits in " + std::to_string(plan.frames) +
                         " frames; give a longer length or another frequency");
  const ExactTone tone{row.kind, static_cast<std::uint64_t>(cycles), plan.frames};
  plan.frequency = cycles * request.rate / static_cast<double>(plan.frames);
  plan.levels = ToneLevels(tone);
  const bool bandlimited = request.bandlimited && tone.shape != kToneSine;
  plan.values = [tone, bandlimited](std::uint64_t first, std::size_t count, double* out) {
    if (bandlimited)
      RenderBandlimitedValues(tone, first, count, out);
    else
      RenderToneValues(tone, first, count, out);
  };
  const std::uint64_t repeat = FramesPerRepeat(tone);
  if (repeat <= kLongestRepeatTable && repeat < plan.frames)
    plan.values = RepeatedFromTable(plan.values, repeat);
  if (bandlimited) {
    // The harmonics overshoot where the shape jumps: the level is the values' own, the same
    // over one repeat as over the file.
    plan.report.push_back({"harmonics", HighestHarmonic(tone)});
    plan.levels = MeasureLevels(plan.values, repeat, request.threads);
  }
  return plan;
}
