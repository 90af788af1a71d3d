// The inverse filter of a sweep: convolved with the sweep it gives an impulse at a known lag,
// flat from the sweep's start to its end frequency, so that a system's response can be read
// from its recording of the sweep.
#pragma once

#include <cstdint>
#include <vector>

struct InverseFilter {
  std::vector<double> taps;
  std::uint64_t lag;  // frames from the sweep's start to the impulse
};

// Regularized spectral division by the sweep's own spectrum, flat from 2 f1 to f2 / 2 and
// tapered to nothing at f1 and f2. A sweep of less than two octaves has no flat band.
InverseFilter InverseFilterOf(const std::vector<double>& sweep, double f1, double f2, double rate);
