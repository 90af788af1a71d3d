#include "signals/processor_paths.h"

#include <initializer_list>

bool ProcessorPathAvailable(ProcessorPath path) {
  switch (path) {
    case ProcessorPath::kAvx2: return __builtin_cpu_supports("avx2");
    // Its 64-bit multiplications and conversions are AVX-512DQ's.
    case ProcessorPath::kAvx512:
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq");
    default: return true;  // both builds take SSE2 for granted
  }
}

ProcessorPath FastestProcessorPath() {
  for (ProcessorPath path : {ProcessorPath::kAvx512, ProcessorPath::kAvx2})
    if (ProcessorPathAvailable(path)) return path;
  return ProcessorPath::kSse2;
}

const char* ProcessorPathName(ProcessorPath path) {
  switch (path) {
    case ProcessorPath::kSse2: return "SSE2";
    case ProcessorPath::kAvx2: return "AVX2";
    case ProcessorPath::kAvx512: return "AVX-512";
    default: return "scalar";
  }
}
