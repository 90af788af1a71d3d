// Where a signal's values come from, and how loud they are: measured on the values themselves,
// for the signals whose level follows from what they turn out to be.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// Unit values for frames first .. first + count - 1.
using ValueSource = std::function<void(std::uint64_t first, std::size_t count, double* out)>;

struct Levels {
  double peak = 0;
  double meanSquare = 0;
};

// One pass over frames 0 .. frames - 1.
Levels MeasureLevels(const ValueSource& values, std::uint64_t frames);
// Peak over RMS, in dB.
double CrestFactorDecibels(const Levels& levels);
