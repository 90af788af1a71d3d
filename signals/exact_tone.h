// Periodic tones computed from the frame index: sample n + period equals sample n exactly, at
// any length and rate, and a render cut into blocks gives the same values as one made whole.
#pragma once

#include <cstddef>
#include <cstdint>

#include "signals/signal_level.h"

// The window's four shapes, with its engine's codes; each starts where the window's does.
enum ToneShape : int { kToneSine = 1, kToneSaw, kToneSquare, kToneTriangle };

// `cycles` whole cycles of the shape over `period` frames.
struct ExactTone {
  int shape;  // a ToneShape
  std::uint64_t cycles;
  std::uint64_t period;
};

// The unit-amplitude values (-1 to 1) of frames first .. first + count - 1.
void RenderToneValues(const ExactTone& tone, std::uint64_t first, std::size_t count, double* out);
// Frames after which the values repeat: period / gcd(cycles, period).
std::uint64_t FramesPerRepeat(const ExactTone& tone);
// The peak and mean square of those values over a whole period: what the level is set on.
Levels ToneLevels(const ExactTone& tone);

// sin(2π · numerator / denominator) for 0 <= numerator < denominator < 2^60, with the same bits
// on every processor and in both builds (no library sine, whose last bit differs between them).
double SineOfCycleFraction(std::uint64_t numerator, std::uint64_t denominator);
// (a · b) mod m without overflow, for a, b < m < 2^63.
std::uint64_t MultiplyModulo(std::uint64_t a, std::uint64_t b, std::uint64_t m);
