#include "cli/signal_plan.h"

#include <cmath>
#include <utility>
#include <vector>

#include "cli/level_plan.h"
#include "encode/written_level.h"
#include "signals/fades.h"
#include "signals/number_text.h"
#include "signals/span_rounds.h"

namespace {

constexpr double kMillisecondsPerSecond = 1000.0;
constexpr char kRangeSeparator = ':';
constexpr char kToneSeparator = '+';

// Files are planned one after another: each measuring pass may take every core.
unsigned PlanningThreads() { return ThreadsPerFile(1); }

// "white and pink": the shapes that take what `takes` says.
std::string ShapesTaking(unsigned takes) {
  std::vector<std::string> names;
  for (const ShapeRow& row : ShapeTable())
    if (row.takes & takes) names.push_back(row.name);
  std::string list;
  for (std::size_t i = 0; i < names.size(); ++i)
    list += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
  return list;
}

// Frequencies given as numbers and nothing else, split at `separator`.
bool ReadFrequencies(const std::string& text, char separator, std::vector<double>& frequencies) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t stop = text.find(separator, start);
    double value = 0;
    if (!ReadPlainNumber(text.substr(start, stop - start), value)) return false;
    frequencies.push_back(value);
    if (stop == std::string::npos) return true;
    start = stop + 1;
  }
}

// What the generator is given: the request's figures and the frequencies this shape reads.
std::string SignalRequestFor(const RenderRequest& request, const ShapeRow& shape,
                             const std::string& text, float frequency, SignalRequest& signal) {
  signal.rate = request.rate;
  signal.frames = request.frames;
  signal.mostFrames = request.mostFrames;
  signal.cycles = request.cycles;
  signal.frequency = frequency;
  signal.seed = request.seed;
  signal.bandlimited = request.bandlimited;
  signal.periodic = request.periodic;
  signal.threads = PlanningThreads();
  if (shape.parameter != nullptr) signal.parameter = request.parameters.at(shape.parameter->name);
  const std::string quoted = "--frequency \"" + text + "\": a " + shape.name;
  if (shape.takes & kTakesRange) {
    if (!ReadFrequencies(text, kRangeSeparator, signal.frequencies) ||
        signal.frequencies.size() != 2)
      return quoted + " takes its range as F1:F2, e.g. 20:20000";
  }
  if (shape.takes & kTakesTones) {
    if (text.empty() || !ReadFrequencies(text, kToneSeparator, signal.frequencies))
      return quoted + " takes its tones as F+F+..., e.g. 100+1000+10000";
  }
  return "";
}

std::uint64_t FramesOf(double milliseconds, double rate) {
  return static_cast<std::uint64_t>(std::nearbyint(milliseconds * rate / kMillisecondsPerSecond));
}

// Fades around the values; without --fade-out the signal's own default.
std::string AddFades(const RenderRequest& request, SignalPlan& plan) {
  Fades fades;
  fades.frames = plan.frames;
  if (request.fadeInMilliseconds) fades.in = FramesOf(*request.fadeInMilliseconds, request.rate);
  fades.out =
      request.fadeOutMilliseconds
          ? FramesOf(*request.fadeOutMilliseconds, request.rate)
          : static_cast<std::uint64_t>(std::nearbyint(plan.defaultFadeOutSeconds * request.rate));
  if (fades.in + fades.out > plan.frames)
    return "the fades (" + std::to_string(fades.in) + " + " + std::to_string(fades.out) +
           " frames) are longer than the file (" + std::to_string(plan.frames) + " frames)";
  if (fades.out > 0)
    plan.report.push_back(
        {"fade_out_ms", static_cast<double>(fades.out) * kMillisecondsPerSecond / request.rate});
  if (fades.in == 0 && fades.out == 0) return "";
  ValueSource unfaded = std::move(plan.values);
  plan.values = [unfaded, fades](std::uint64_t first, std::size_t count, double* out) {
    unfaded(first, count, out);
    ApplyFades(fades, first, count, out);
  };
  return "";
}

}  // namespace

std::string UntakenOptionFault(const RenderRequest& request, const ShapeRow& shape) {
  const struct {
    bool given;
    unsigned takes;
    const char* option;
  } options[] = {
      {request.periodic, kTakesPeriodic, "--periodic"},
      {!request.inversePath.empty(), kTakesInverse, "--inverse"},
      {request.cycles > 0, kTakesCycles, "--cycles"},
  };
  for (const auto& option : options)
    if (option.given && !(shape.takes & option.takes))
      return std::string(option.option) + " applies to " + ShapesTaking(option.takes) +
             ", not to " + shape.name;
  for (const auto& [name, value] : request.parameters) {
    if (value == 0 || (shape.parameter != nullptr && name == shape.parameter->name)) continue;
    std::string takers;
    for (const ShapeRow& row : ShapeTable())
      if (row.parameter != nullptr && name == row.parameter->name)
        takers += (takers.empty() ? "" : ", ") + std::string(row.name);
    return "--" + name + " applies to " + takers + ", not to " + shape.name;
  }
  return "";
}

ExactSignal PlanExactSignal(const RenderRequest& request, const ShapeRow& shape,
                            const std::string& frequencyText, float frequency) {
  ExactSignal exact;
  SignalRequest signalRequest;
  exact.fault = SignalRequestFor(request, shape, frequencyText, frequency, signalRequest);
  if (!exact.fault.empty()) return exact;
  SignalPlan& signal = exact.signal;
  signal = shape.plan(shape, signalRequest);
  if (!signal.fault.text.empty()) {
    exact.fault = signal.fault.ofFrequency
                      ? "--frequency \"" + frequencyText + "\": " + signal.fault.text
                      : signal.fault.text;
    return exact;
  }
  double gain = 0;
  const std::string what =
      shape.takes & kTakesSeed ? shape.name + std::string(" noise") : shape.name;
  exact.fault = GainForLevel(request.level, signal, what, gain);
  if (exact.fault.empty()) exact.fault = AddFades(request, signal);
  exact.encoding = {request.format, static_cast<unsigned>(request.channels), gain, request.dither,
                    request.seed};
  // The level holds for the samples as written, not only before they are rounded.
  if (!exact.fault.empty() || !signal.rmsAsWritten || !LevelIsRms(request.level, signal))
    return exact;
  const WrittenLevel written =
      MeetRmsAsWritten(signal.values, signal.frames, signal.levels.peak, signal.levels.meanSquare,
                       PlanningThreads(), exact.encoding);
  exact.fault = WrittenLevelFault(written, RmsDecibels(request.level, signal), request.format);
  return exact;
}
