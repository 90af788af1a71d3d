#include "cli/signal_plan.h"

#include <cmath>
#include <utility>
#include <vector>

#include "cli/frequency_reading.h"
#include "cli/level_plan.h"
#include "cli/number_reading.h"
#include "encode/written_level.h"
#include "signals/fades.h"
#include "signals/span_rounds.h"

namespace {

constexpr double kMillisecondsPerSecond = 1000.0;

// Files are planned one after another: each measuring pass may take every core.
unsigned PlanningThreads() { return ThreadsPerFile(1); }

// What the generator is given: the request's figures and the frequencies this shape reads.
std::string SignalRequestFor(const RenderRequest& request, const ShapeRow& shape,
                             const std::string& text, SignalRequest& signal) {
  if (request.cycles > 0 && !(shape.takes & kTakesCycles))
    return "--cycles sets no length for a " + std::string(shape.name) +
           "; give --length or --samples";
  signal.rate = request.rate;
  signal.frames = request.frames;
  signal.mostFrames = request.mostFrames;
  signal.cycles = request.cycles;
  signal.seed = request.seed;
  signal.bandlimited = request.bandlimited;
  signal.periodic = request.periodic;
  signal.threads = PlanningThreads();
  if (shape.parameter != nullptr) {
    const auto given = request.parameters.find(std::string("--") + shape.parameter->name);
    signal.parameter = given == request.parameters.end() ? 0 : given->second;
  }
  if (shape.takes & (kTakesFrequency | kTakesRange | kTakesTones)) {
    const FrequencyReading reading = ReadFrequencies(shape, text);
    if (!reading.fault.empty()) return reading.fault;
    signal.frequencies = reading.values;
    signal.frequency = reading.values.front();
  }
  return "";
}

std::uint64_t FramesOf(double milliseconds, double rate) {
  return static_cast<std::uint64_t>(std::nearbyint(milliseconds * rate / kMillisecondsPerSecond));
}

// Fades at either end of what sounds; without --fade-out the signal's own default.
std::string AddFades(const RenderRequest& request, SignalPlan& plan) {
  Fades fades;
  fades.frames = plan.soundingFrames > 0 ? plan.soundingFrames : plan.frames;
  if (request.fadeInMilliseconds) fades.in = FramesOf(*request.fadeInMilliseconds, request.rate);
  fades.out =
      request.fadeOutMilliseconds
          ? FramesOf(*request.fadeOutMilliseconds, request.rate)
          : static_cast<std::uint64_t>(std::nearbyint(plan.defaultFadeOutSeconds * request.rate));
  if (fades.in + fades.out > fades.frames)
    return "the fades (" + Counted(fades.in, "frame") + " and " + Counted(fades.out, "frame") +
           ") are longer than the signal (" + Counted(fades.frames, "frame") + ")";
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

ExactSignal PlanExactSignal(const RenderRequest& request, const ShapeRow& shape,
                            const std::string& frequencyText) {
  ExactSignal exact;
  SignalRequest signalRequest;
  exact.fault = SignalRequestFor(request, shape, frequencyText, signalRequest);
  if (!exact.fault.empty()) return exact;
  SignalPlan& signal = exact.signal;
  signal = shape.plan(shape, signalRequest);
  if (!signal.fault.text.empty()) {
    exact.fault = signal.fault.ofFrequency
                      ? "--frequency: " + Quoted(frequencyText) + ": " + signal.fault.text
                      : signal.fault.text;
    return exact;
  }
  double gain = 0;
  const std::string what =
      shape.takes & kTakesSeed ? shape.name + std::string(" noise") : shape.name;
  exact.fault = GainForLevel(request.level, signal, what, gain);
  // Noise's RMS is met on its samples as written, or refused there.
  const bool metAsWritten = signal.rmsAsWritten && LevelIsRms(request.level, signal);
  if (exact.fault.empty() && !metAsWritten)
    exact.fault = SilentLevelFault(request, signal.levels.peak * gain);
  if (exact.fault.empty()) exact.fault = AddFades(request, signal);
  exact.encoding = {request.format, static_cast<unsigned>(request.channels), gain, request.dither,
                    request.seed};
  // The level holds for the samples as written, not only before they are rounded.
  if (!exact.fault.empty() || !metAsWritten) return exact;
  const WrittenLevel written =
      MeetRmsAsWritten(signal.values, signal.frames, signal.levels.peak, signal.levels.meanSquare,
                       PlanningThreads(), exact.encoding);
  exact.fault = WrittenLevelFault(written, RmsDecibels(request.level, signal), request.format);
  return exact;
}
