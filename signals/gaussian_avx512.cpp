// The Gaussian noise's common case with 8 lanes a vector; built with -mavx512f -mavx512dq.
#include "signals/gaussian_kernel.h"
#include "signals/gaussian_paths.h"

std::size_t CoreValuesAvx512(const double* edges, std::uint64_t mixedSeed, std::uint64_t first,
                             std::size_t count, double* out, std::uint32_t* misses) {
  return gaussian::CoreValues<8>(edges, mixedSeed, first, count, out, misses);
}
