// The filter that turns white noise pink: first-order sections whose real poles and zeros are
// fitted, for the rate at hand, so that its power falls 3.01 dB an octave over the band (20 Hz to
// 20 kHz from 44.1 kHz up; to 0.45 of the rate below it). The fit runs in plain double
// arithmetic, a fixed number of steps in a fixed order, so both builds get the same filter.
#pragma once

#include <cstddef>
#include <vector>

struct PinkFilter {
  std::vector<double> poles, zeros;  // of the sections, in the z plane
  double low = 0, high = 0;          // Hz: the band fitted
  double deviation = 0;  // dB: the largest distance of its power from -3.01 dB an octave
};

PinkFilter DesignPinkFilter(double rate);
// The filter's power at `frequency` (Hz), in dB relative to any fixed reference.
double PinkFilterDecibels(const PinkFilter& filter, double frequency, double rate);
