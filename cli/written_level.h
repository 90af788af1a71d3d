// An RMS level met by the samples as written, not only by the values before they are rounded.
#pragma once

#include <cstdint>
#include <string>

#include "signals/signal_level.h"
#include "wav/sample_encoding.h"

// Rounding to whole steps, and dither, add power of their own: within a few dozen steps of
// silence, enough to move an RMS level by more than 0.01 dB. There the encoding's gain is moved
// until the integer samples carry the mean square the values have at the gain asked for. A
// fault when no gain comes within 0.009 dB of it, or the peak (of unit values) would pass full
// scale. `unfadedMeanSquare` is the values' own before any fade, which the level was set on;
// `levelText` is the level in dBFS (AES17), as given.
std::string MeetRmsAsWritten(const ValueSource& values, std::uint64_t frames, double peak,
                             double unfadedMeanSquare, const std::string& levelText,
                             unsigned threads, SampleEncoding& encoding);
