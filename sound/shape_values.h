// The value of each shape at a phase and its conversion to a 16-bit sample, one frame at a time:
// the reference that the vector path of the synthesis must reproduce.
#pragma once

#include <cmath>
#include <cstdint>

#include "sound/wav_buffer.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

constexpr double kPiD = 3.141592653589793;
constexpr double kHalfPiF = kPiF / 2.0f;
// The sign test of square and triangle compares against π in double precision, which no
// single-precision phase equals. The 32-bit build holds it in single precision, so a phase of
// exactly π gives the sign 0 there: its square starts with one 0 sample, and has another
// wherever the phase chain comes back to exactly π.
constexpr bool kThirtyTwoBitBuild = sizeof(void*) == 4;
constexpr double kSignTestPi = kThirtyTwoBitBuild ? double{kPiF} : kPiD;

constexpr double kHighestSample = 32767.0;
constexpr double kLowestSample = -32768.0;

inline float StartPhaseOf(int shape) {
  return shape == kShapeSaw || shape == kShapeSquare ? kPiF : 0.0f;
}

inline double SignOf(double x) { return x > 0 ? 1.0 : (x < 0 ? -1.0 : 0.0); }

inline double SineValue(float p) { return std::sin(double{p}); }
inline double SawValue(float p) { return (double{p} - kPiF) / kPiF; }
inline double SquareValue(float p) { return SignOf(kSignTestPi - p); }
inline double TriangleValue(float p) {
  return 1.0 + SignOf(kSignTestPi - p) * (double{p} - kPiF) / kHalfPiF;
}
inline double SilenceValue(float) { return 0.0; }

// Ties to even in the current rounding mode; inline because std::lrint is a library call even
// at -O2. The caller keeps x within the 32-bit range.
inline std::int32_t RoundToInt32(double x) {
#if defined(__SSE2__)
  return _mm_cvtsd_si32(_mm_set_sd(x));
#else
  return static_cast<std::int32_t>(std::lrint(x));
#endif
}

inline std::int16_t ToSample(double x) {
  x = x < kHighestSample ? x : kHighestSample;
  x = x > kLowestSample ? x : kLowestSample;
  return static_cast<std::int16_t>(RoundToInt32(x));
}
