// Several sines at once, each on a whole number of cycles over the period (an exact bin of the
// file's spectrum), with equal amplitudes and start phases that keep the crest factor low.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "signals/signal_level.h"

// Start phases are whole numbers of 1 / kPhaseSteps of a cycle.
constexpr std::uint64_t kPhaseSteps = std::uint64_t{1} << 16;
// Enough for any test signal, and few enough that positions stay within 64 bits.
constexpr std::size_t kMostTones = 64;

struct Multitone {
  std::vector<std::uint64_t> cycles;  // per tone, over `period` frames; distinct
  std::vector<std::uint64_t> phases;  // per tone, in steps
  std::uint64_t period;
};

// Schroeder's phases (1970): tone i (from 1) of M starts at -i (i - 1) / (2M) of a cycle.
std::vector<std::uint64_t> SchroederPhases(std::size_t tones);
// Phase sets drawn from a counter-based generator: candidate `index`, the same in every build.
std::vector<std::uint64_t> DrawnPhases(std::size_t tones, std::uint64_t index);
// Unit amplitude per tone.
void RenderMultitoneValues(const Multitone& multitone, std::uint64_t first, std::size_t count,
                           double* out);
ValueSource MultitoneValues(const Multitone& multitone);
// The phases, of Schroeder's and `candidates` drawn sets, whose sum peaks lowest over the first
// `frames` frames.
std::vector<std::uint64_t> LowCrestPhases(Multitone multitone, std::uint64_t frames,
                                          std::uint64_t candidates);
