// The true-peak filter on each instruction set the processor may have: all give the same bits.
#pragma once

#include <cstddef>

#include "measure/true_peak_kernel.h"
#include "signals/processor_paths.h"

using LargestInterpolatedFunction =
    double (*)(const double* x, std::size_t count,
               const double (&taps)[true_peak::kPhases][true_peak::kTaps], unsigned step);

double LargestInterpolatedAvx2(const double* x, std::size_t count,
                               const double (&taps)[true_peak::kPhases][true_peak::kTaps],
                               unsigned step);
double LargestInterpolatedAvx512(const double* x, std::size_t count,
                                 const double (&taps)[true_peak::kPhases][true_peak::kTaps],
                                 unsigned step);
LargestInterpolatedFunction TruePeakFunction(ProcessorPath path);
