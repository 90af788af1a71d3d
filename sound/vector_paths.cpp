// Which vector path this build has and this processor can run.
#include "sound/vector_paths.h"

#if QUORVEL_AVX2_PATH
constexpr bool kBuiltWithAvx2 = true;
#else
constexpr bool kBuiltWithAvx2 = false;
std::size_t RenderAvx2Frames(const VectorFrames&, int, float&) { return 0; }
#endif

#if QUORVEL_AVX512_PATH
constexpr bool kBuiltWithAvx512 = true;
#else
constexpr bool kBuiltWithAvx512 = false;
std::size_t RenderAvx512Frames(const VectorFrames&, int, float&) { return 0; }
#endif

bool PathAvailable(SynthesisPath path) {
  switch (path) {
    case SynthesisPath::kAvx2:
      // SLEEF's AVX2 sine uses multiply-add as well.
      return kBuiltWithAvx2 && __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    case SynthesisPath::kAvx512: return kBuiltWithAvx512 && __builtin_cpu_supports("avx512f");
    default: return true;
  }
}

SynthesisPath FastestPath() {
  for (SynthesisPath path : {SynthesisPath::kAvx512, SynthesisPath::kAvx2})
    if (PathAvailable(path)) return path;
  return SynthesisPath::kPlain;
}

const char* PathName(SynthesisPath path) {
  switch (path) {
    case SynthesisPath::kFastest: return PathName(FastestPath());
    case SynthesisPath::kAvx2: return "AVX2";
    case SynthesisPath::kAvx512: return "AVX-512";
    default: return "plain";
  }
}

std::size_t RenderVectorFrames(SynthesisPath path, const VectorFrames& frames, int shape,
                               float& phase) {
  if (!PathAvailable(path)) return 0;
  switch (path) {
    case SynthesisPath::kAvx2: return RenderAvx2Frames(frames, shape, phase);
    case SynthesisPath::kAvx512: return RenderAvx512Frames(frames, shape, phase);
    default: return 0;
  }
}
