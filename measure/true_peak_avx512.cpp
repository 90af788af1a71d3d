// The true-peak filter with 8 doubles a vector; built with -mavx512f.
#include "measure/true_peak_kernel.h"
#include "measure/true_peak_paths.h"

double LargestInterpolatedAvx512(const double* x, std::size_t count,
                                 const double (&taps)[true_peak::kPhases][true_peak::kTaps],
                                 unsigned step) {
  return true_peak::LargestInterpolated<8>(x, count, taps, step);
}
