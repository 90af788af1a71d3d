#include "signals/shape_table.h"

#include <utility>

#include "signals/exact_tone.h"
#include "signals/noise.h"
#include "signals/sweep.h"

// Each generator's plan, in its own file.
SignalPlan PlanToneSignal(const ShapeRow& row, const SignalRequest& request);
SignalPlan PlanSweepSignal(const ShapeRow& row, const SignalRequest& request);
SignalPlan PlanNoiseSignal(const ShapeRow& row, const SignalRequest& request);
SignalPlan PlanMultitoneSignal(const ShapeRow& row, const SignalRequest& request);
SignalPlan PlanMlsSignal(const ShapeRow& row, const SignalRequest& request);

namespace {

constexpr unsigned kTone = kTakesFrequency | kTakesCycles | kTakesBandLimit;
constexpr unsigned kSweep = kTakesRange | kTakesInverse;
constexpr ShapeParameter kMlsOrder{"order",
                                   "Order N of a maximum-length sequence (--shape mls): a period "
                                   "of 2^N - 1 frames, 2 to 24",
                                   2, 24};

// The window's four shapes first, in the order of its list and with its engine's codes.
constexpr ShapeRow kShapes[] = {
    {"sine", kToneSine, kTone, kToneSine, nullptr, "a sine", PlanToneSignal},
    {"saw", kToneSaw, kTone, kToneSaw, nullptr, "a rising saw", PlanToneSignal},
    {"square", kToneSquare, kTone, kToneSquare, nullptr, "a square", PlanToneSignal},
    {"triangle", kToneTriangle, kTone, kToneTriangle, nullptr, "a triangle", PlanToneSignal},
    {"sweep", 0, kSweep, kExponentialSweep, nullptr, "a synchronized exponential sweep, F1:F2",
     PlanSweepSignal},
    {"linear-sweep", 0, kSweep, kLinearSweep, nullptr, "a linear sweep, F1:F2", PlanSweepSignal},
    {"white", 0, kTakesSeed | kTakesPeriodic, kWhiteNoise, nullptr, "Gaussian white noise",
     PlanNoiseSignal},
    {"white-uniform", 0, kTakesSeed, kUniformNoise, nullptr, "uniform white noise",
     PlanNoiseSignal},
    {"pink", 0, kTakesSeed | kTakesPeriodic, kPinkNoise, nullptr, "pink noise", PlanNoiseSignal},
    {"multitone", 0, kTakesTones, 0, nullptr, "several sines on exact bins, F+F+...",
     PlanMultitoneSignal},
    {"mls", 0, kTakesCycles | kTakesParameter, 0, &kMlsOrder,
     "a maximum-length sequence of --order N, plus and minus the peak", PlanMlsSignal},
};

}  // namespace

std::span<const ShapeRow> ShapeTable() { return kShapes; }

const ShapeRow* ShapeNamed(std::string_view name) {
  for (const ShapeRow& row : kShapes)
    if (name == row.name) return &row;
  return nullptr;
}

std::string ShapeNameList() {
  std::string list;
  const std::size_t count = std::size(kShapes);
  for (std::size_t i = 0; i < count; ++i)
    list += std::string(i == 0 ? "" : i + 1 == count ? " and " : ", ") + kShapes[i].name;
  return list;
}

SignalPlan RefusedSignal(std::string text, bool ofFrequency) {
  SignalPlan plan;
  plan.fault = {std::move(text), ofFrequency};
  return plan;
}
