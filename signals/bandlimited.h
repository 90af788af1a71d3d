// Square, saw and triangle made of their harmonics below half the rate only, so that nothing
// folds back: the same shapes and start phases as the exact tones', without their aliases.
#pragma once

#include <cstddef>
#include <cstdint>

#include "signals/exact_tone.h"

// The harmonics kept: those whose cycles over the period stay below half of it.
std::uint64_t HighestHarmonic(const ExactTone& tone);
void RenderBandlimitedValues(const ExactTone& tone, std::uint64_t first, std::size_t count,
                             double* out);
