// White, uniform and pink noise, frame by frame from the counter-based generator, or one period
// made at once in the frequency domain (--periodic), measured so that its level is its own.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "signals/noise.h"
#include "signals/periodic_noise.h"
#include "signals/pink_noise.h"
#include "signals/shape_table.h"

namespace {

constexpr double kDefaultNoiseRms = -20.0;  // dBFS, AES17
// Periodic noise is one transform of the whole file: 32 bytes a frame, and a cost that grows
// with the frames' largest prime factor.
constexpr std::uint64_t kLongestPeriodicNoise = std::uint64_t{1} << 23;
constexpr std::uint64_t kLargestPeriodicPrime = 13;
constexpr double kNoiseBandLow = 20.0;
constexpr double kNoiseBandHigh = 20000.0;

std::string PeriodicFault(const SignalRequest& request) {
  const std::uint64_t frames = request.frames;
  if (frames > kLongestPeriodicNoise)
    return "--periodic: " + std::to_string(frames) +
           " frames; periodic noise is made for at most " + std::to_string(kLongestPeriodicNoise);
  const std::uint64_t prime = LargestPrimeFactor(frames);
  if (prime > kLargestPeriodicPrime)
    return "--periodic: " + std::to_string(frames) + " frames have the prime factor " +
           std::to_string(prime) + "; give a length whose frames have none above " +
           std::to_string(kLargestPeriodicPrime) + " (a whole number of seconds at " +
           std::to_string(static_cast<std::uint64_t>(request.rate)) + " Hz, say)";
  return "";
}

ValueSource PeriodValues(int kind, const SignalRequest& request) {
  const auto period = std::make_shared<const std::vector<double>>(
      PeriodicNoise(kind == kPinkNoise ? NoiseSpectrum::kPink : NoiseSpectrum::kFlat, request.seed,
                    request.frames, request.rate, kNoiseBandLow, kNoiseBandHigh));
  return [period](std::uint64_t first, std::size_t count, double* out) {
    std::copy_n(period->begin() + static_cast<std::ptrdiff_t>(first), count, out);
  };
}

ValueSource PinkValues(const PinkNoise& pink) {
  return [pink](std::uint64_t first, std::size_t count, double* out) {
    RenderPinkValues(pink, first, count, out);
  };
}

ValueSource WhiteValues(int kind, const SignalRequest& request) {
  const std::uint64_t seed = request.seed;
  const NoiseKind noise = kind == kWhiteNoise ? NoiseKind::kGaussian : NoiseKind::kUniform;
  return [noise, seed](std::uint64_t first, std::size_t count, double* out) {
    RenderNoiseValues(noise, seed, first, count, out);
  };
}

}  // namespace

SignalPlan PlanNoiseSignal(const ShapeRow& row, const SignalRequest& request) {
  if (request.periodic) {
    if (std::string fault = PeriodicFault(request); !fault.empty()) return RefusedSignal(fault);
  }
  SignalPlan plan;
  plan.frames = request.frames;
  if (request.periodic) {
    plan.values = PeriodValues(row.kind, request);
  } else if (row.kind == kPinkNoise) {
    const PinkNoise pink = PlanPinkNoise(request.seed, request.rate);
    plan.values = PinkValues(pink);
    // Below 44.1 kHz the band ends short of 20 kHz: the report says where.
    plan.report.push_back({"pink_band", std::vector<double>{pink.filter->low, pink.filter->high}});
  } else {
    plan.values = WhiteValues(row.kind, request);
  }
  // Calibrated on the values themselves, not on the generator's expected level.
  plan.levels = MeasureLevels(plan.values, plan.frames, request.threads);
  plan.defaultRms = kDefaultNoiseRms;
  plan.rmsAsWritten = true;
  plan.report.push_back({"seed", request.seed});
  plan.report.push_back({"crest_factor_db", CrestFactorDecibels(plan.levels)});
  if (request.periodic) plan.report.push_back({"periodic", true});
  return plan;
}
