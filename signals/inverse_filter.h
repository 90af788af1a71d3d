// The inverse filter of a sweep: convolved with the sweep it gives an impulse at a known lag,
// flat from the sweep's start to its end frequency, so that a system's response can be read
// from its recording of the sweep.
#pragma once

#include <cstdint>
#include <vector>

struct InverseFilter {
  std::vector<double> taps;
  std::uint64_t lag;  // frames from the sweep's start to the impulse
  double low, high;   // Hz: the band where the sweep deconvolves flat
};

// Regularized spectral division by the sweep's own spectrum, flat from a third of an octave above
// f1 to a third of an octave below f2, tapered to nothing over those thirds. A sweep of less than
// two thirds of an octave is flat only at the middle of its band.
InverseFilter InverseFilterOf(const std::vector<double>& sweep, double f1, double f2, double rate);
