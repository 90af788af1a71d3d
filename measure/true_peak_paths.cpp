#include "measure/true_peak_paths.h"

namespace {

double LargestInterpolatedScalar(const double* x, std::size_t count,
                                 const double (&taps)[true_peak::kPhases][true_peak::kTaps],
                                 unsigned step) {
  return true_peak::LargestInterpolated<1>(x, count, taps, step);
}

// SSE2, which both builds take for granted.
double LargestInterpolatedSse2(const double* x, std::size_t count,
                               const double (&taps)[true_peak::kPhases][true_peak::kTaps],
                               unsigned step) {
  return true_peak::LargestInterpolated<2>(x, count, taps, step);
}

}  // namespace

LargestInterpolatedFunction TruePeakFunction(ProcessorPath path) {
  switch (path) {
    case ProcessorPath::kAvx512: return LargestInterpolatedAvx512;
    case ProcessorPath::kAvx2: return LargestInterpolatedAvx2;
    case ProcessorPath::kSse2: return LargestInterpolatedSse2;
    default: return LargestInterpolatedScalar;
  }
}
