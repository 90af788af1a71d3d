// Swept sines. The exponential one is the synchronized sweep of Novák et al. (JAES 2015): its
// rate L is chosen so that f1 · L is a whole number, which makes every harmonic's response
// arrive L ln(k) before the fundamental's with the same phase.
#pragma once

#include <cstddef>
#include <cstdint>

// The laws, as the shape table's rows name them.
enum SweepLaw : int { kExponentialSweep, kLinearSweep };

struct Sweep {
  bool exponential;
  double f1, f2;    // Hz
  double rate;      // frames per second
  double L;         // exponential: the sweep rate, seconds per e-fold of frequency
  double duration;  // seconds, from f1 to f2
  std::uint64_t frames;
};

// The sweep that fits the length asked for: exponential ones take the longest synchronized
// length that fits (a whole L · f1); linear ones keep it. No frames when none fits.
Sweep PlanSweep(bool exponential, double f1, double f2, double seconds, double rate);
// The seconds the sweep takes over its last semitone: its default fade-out.
double LastSemitoneSeconds(const Sweep& sweep);
// Unit values of frames first .. first + count - 1: sin of the sweep's phase, 0 at frame 0.
void RenderSweepValues(const Sweep& sweep, std::uint64_t first, std::size_t count, double* out);
