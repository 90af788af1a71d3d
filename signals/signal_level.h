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

// The same values, taken from a table of frames 0 .. repeatFrames - 1 made once: for signals whose
// frame n + repeatFrames equals frame n, and whose repeat is short enough to hold.
ValueSource RepeatedFromTable(const ValueSource& values, std::uint64_t repeatFrames);

// One pass over frames 0 .. frames - 1, on up to `threads` threads (the figures do not depend on
// how many).
Levels MeasureLevels(const ValueSource& values, std::uint64_t frames, unsigned threads = 1);
// Peak over RMS, in dB.
double CrestFactorDecibels(const Levels& levels);
