// The true-peak filter with 4 doubles a vector; built with -mavx2.
#include "measure/true_peak_kernel.h"
#include "measure/true_peak_paths.h"

double LargestInterpolatedAvx2(const double* x, std::size_t count,
                               const double (&taps)[true_peak::kPhases][true_peak::kTaps],
                               unsigned step) {
  return true_peak::LargestInterpolated<4>(x, count, taps, step);
}
