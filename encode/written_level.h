// An RMS level met by the samples as written, not only by the values before they are rounded.
#pragma once

#include <cstdint>

#include "encode/sample_encoding.h"
#include "signals/signal_level.h"

enum class WrittenLevelOutcome {
  kMet,                // within 0.009 dB, or rounding matters too little to look
  kDitherIsLouder,     // dithered: even the closest gain tried stays above the level
  kStepsTooCoarse,     // no gain tried came within 0.009 dB
  kPeakPastFullScale,  // met, but only with a peak above full scale
};

struct WrittenLevel {
  WrittenLevelOutcome outcome;
  double missDecibels;  // of the closest gain tried: above (+) or below (-) the level
};

// Rounding to whole steps, and dither, add power of their own: within a few dozen steps of
// silence, enough to move an RMS level by more than 0.01 dB. There the encoding's gain is moved
// until the integer samples carry the mean square the values have at the gain asked for.
// `unfadedMeanSquare` is the values' own before any fade, which the level was set on; `peak` is
// that of the unit values.
WrittenLevel MeetRmsAsWritten(const ValueSource& values, std::uint64_t frames, double peak,
                              double unfadedMeanSquare, unsigned threads, SampleEncoding& encoding);
