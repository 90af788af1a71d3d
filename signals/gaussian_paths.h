// The Gaussian noise's common case on each instruction set: all give the same bits.
#pragma once

#include <cstddef>
#include <cstdint>

#include "signals/processor_paths.h"

// Core values, NaN where the try leaves the core; places noted as gaussian::CoreValues says.
using CoreValuesFunction = std::size_t (*)(const double* edges, std::uint64_t mixedSeed,
                                           std::uint64_t first, std::size_t count, double* out,
                                           std::uint32_t* misses);

std::size_t CoreValuesAvx2(const double* edges, std::uint64_t mixedSeed, std::uint64_t first,
                           std::size_t count, double* out, std::uint32_t* misses);
std::size_t CoreValuesAvx512(const double* edges, std::uint64_t mixedSeed, std::uint64_t first,
                             std::size_t count, double* out, std::uint32_t* misses);
CoreValuesFunction GaussianCoreFunction(ProcessorPath path);
