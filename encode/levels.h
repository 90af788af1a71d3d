// Levels in decibels relative to full scale, as the report and the level options give them.
#pragma once

#include <cmath>

constexpr double kDecibelsPerFactorOfTen = 20.0;
// AES17 reads a full-scale sine as 0 dB: the RMS is scaled by √2.
constexpr double kAes17MeanSquareOfFullScale = 0.5;
// A gain a rounding step above 1 is still full scale.
constexpr double kFullScaleTolerance = 1e-12;

// The factor of an amplitude `decibels` above (below) full scale.
inline double GainOfDecibels(double decibels) {
  return std::pow(10.0, decibels / kDecibelsPerFactorOfTen);
}
