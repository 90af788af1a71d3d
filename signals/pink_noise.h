// Pink noise of any length, which need not loop: blocks of periodic pink noise, each with its own
// phases, overlapped by half and cross-faded with a sine and cosine window whose squares add to
// 1. The variance stays constant and the expected spectrum is the blocks' own (falling 3 dB an
// octave from kPinkLowest to half the rate), smoothed by the window over about one bin.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr double kPinkLowest = 10.0;  // Hz: nothing below, so no drift or infrasound

struct PinkNoise {
  std::uint64_t seed;
  double rate;
  std::size_t blockFrames;  // a power of two of at least a second, at most kLongestPinkBlock
};

PinkNoise PlanPinkNoise(std::uint64_t seed, double rate);
// Frame n's value depends on the seed, the rate and n alone. Each thread keeps the last blocks it
// made, so that rendering in order makes each block once.
void RenderPinkValues(const PinkNoise& pink, std::uint64_t first, std::size_t count, double* out);
