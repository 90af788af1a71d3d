#include "signals/gaussian_paths.h"

#include "signals/gaussian_kernel.h"

namespace {

std::size_t CoreValuesScalar(const double* edges, std::uint64_t mixedSeed, std::uint64_t first,
                             std::size_t count, double* out, std::uint32_t* misses) {
  return gaussian::CoreValues<1>(edges, mixedSeed, first, count, out, misses);
}

std::size_t CoreValuesSse2(const double* edges, std::uint64_t mixedSeed, std::uint64_t first,
                           std::size_t count, double* out, std::uint32_t* misses) {
  return gaussian::CoreValues<2>(edges, mixedSeed, first, count, out, misses);
}

}  // namespace

CoreValuesFunction GaussianCoreFunction(ProcessorPath path) {
  switch (path) {
    case ProcessorPath::kAvx512: return CoreValuesAvx512;
    case ProcessorPath::kAvx2: return CoreValuesAvx2;
    case ProcessorPath::kSse2: return CoreValuesSse2;
    default: return CoreValuesScalar;
  }
}
