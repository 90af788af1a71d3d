// Raised-cosine ramps at either end of a file, sample exact: the first frame of a fade-in and
// the last of a fade-out are 0, the other end of each ramp is 1.
#pragma once

#include <cstddef>
#include <cstdint>

struct Fades {
  std::uint64_t in = 0;  // frames; 0 or 1: none
  std::uint64_t out = 0;
  std::uint64_t frames = 0;  // of the whole file
};

// Multiplies the values of frames first .. first + count - 1 by the ramps' gains.
void ApplyFades(const Fades& fades, std::uint64_t first, std::size_t count, double* values);
