// Sine, exponential and logarithm in plain double arithmetic: the same bits in both builds and on
// every processor, which the C library's functions do not promise (its 32-bit build computes
// with the x87 unit, its 64-bit one picks fused variants by processor).
#pragma once

#include <cstdint>

// sin(2π (octant + fraction) / 8), for octant 0 to 7, given fraction and 1 - fraction (each in
// [0, 1]) as the caller can compute them most exactly.
double SineOfOctant(std::uint64_t octant, double fraction, double complement);
// sin(2π cycles), for |cycles| below 2^50.
double SineOfCycles(double cycles);
// e^x for |x| < 700.
double ExpOf(double x);
// ln x for x > 0 (finite).
double LogOf(double x);
