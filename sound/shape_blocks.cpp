#include "sound/shape_blocks.h"

#include "sound/shape_values.h"

#if QUORVEL_VECTOR_SYNTHESIS
// GCC 12 takes the undefined pass-through operand inside its own AVX-512 conversions and
// min/max for an uninitialised variable.
#pragma GCC diagnostic push
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#define QUORVEL_AVX512 __attribute__((target("avx512f")))

// sleef.h declares its AVX-512 functions only to files built wholly for AVX-512; here only the
// functions marked QUORVEL_AVX512 are, so the one function used is declared by hand.
extern "C" QUORVEL_AVX512 __m512d Sleef_sind8_u35avx512f(__m512d);

namespace {

constexpr std::size_t kLanes = 8;
constexpr std::size_t kSampleBytes = 2;

QUORVEL_AVX512 inline __m512d Splat(double x) { return _mm512_set1_pd(x); }

QUORVEL_AVX512 inline __m512d SignsOf(__m512d x) {
  const __m512d zero = _mm512_setzero_pd();
  const __m512d positive = _mm512_mask_mov_pd(zero, _mm512_cmp_pd_mask(x, zero, _CMP_GT_OQ),
                                              Splat(1.0));
  return _mm512_mask_mov_pd(positive, _mm512_cmp_pd_mask(x, zero, _CMP_LT_OQ), Splat(-1.0));
}

// The same operations in the same order as the values in shape_values.h, lane by lane; only the
// sine is another evaluation.
QUORVEL_AVX512 __m512d SineValues(__m512d p) { return Sleef_sind8_u35avx512f(p); }
QUORVEL_AVX512 __m512d SawValues(__m512d p) {
  return _mm512_div_pd(_mm512_sub_pd(p, Splat(kPiF)), Splat(kPiF));
}
QUORVEL_AVX512 __m512d SquareValues(__m512d p) {
  return SignsOf(_mm512_sub_pd(Splat(kSignTestPi), p));
}
QUORVEL_AVX512 __m512d TriangleValues(__m512d p) {
  const __m512d signs = SignsOf(_mm512_sub_pd(Splat(kSignTestPi), p));
  const __m512d slope = _mm512_mul_pd(signs, _mm512_sub_pd(p, Splat(kPiF)));
  return _mm512_add_pd(Splat(1.0), _mm512_div_pd(slope, Splat(kHalfPiF)));
}

// Clamped and rounded as ToSample does (min and max keep x unless it is beyond the bound).
QUORVEL_AVX512 __m128i ToSamples(__m512d x) {
  x = _mm512_min_pd(x, Splat(kHighestSample));
  x = _mm512_max_pd(x, Splat(kLowestSample));
  const __m256i wide = _mm512_cvtpd_epi32(x);
  return _mm_packs_epi32(_mm256_castsi256_si128(wide), _mm256_extracti128_si256(wide, 1));
}

// Little-endian, as the processor stores them; stereo repeats each sample.
QUORVEL_AVX512 void StoreSamples(std::uint8_t* out, __m128i samples, std::uint32_t channels) {
  auto* at = reinterpret_cast<__m128i*>(out);
  if (channels == 1) {
    _mm_storeu_si128(at, samples);
  } else {
    _mm_storeu_si128(at, _mm_unpacklo_epi16(samples, samples));
    _mm_storeu_si128(at + 1, _mm_unpackhi_epi16(samples, samples));
  }
}

// The next eight phases of the serial chain, gathered in a register: loading eight separate
// stores as one would stall the chain.
QUORVEL_AVX512 inline __m256 AdvanceGroup(float& phase, float increment) {
  float p[kLanes];
#pragma GCC unroll 8
  for (std::size_t lane = 0; lane < kLanes; ++lane) {
    p[lane] = phase;
    phase = AdvancePhase(phase, increment);
  }
  return _mm256_setr_ps(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]);
}

// The chain runs one group ahead of the values: the vector unit then works on phases that are
// long known, and the processor keeps the chain going alongside.
template <__m512d (*ShapeValues)(__m512d)>
QUORVEL_AVX512 std::size_t RenderGroups(const VectorFrames& frames, float& phase) {
  const std::size_t groups = frames.frames / kLanes;
  if (groups == 0) return 0;
  const std::size_t groupBytes = kLanes * kSampleBytes * frames.channels;
  const float increment = frames.increment;
  const __m512d peak = Splat(frames.peak);
  float next = phase;  // a local, so the chain stays in a register
  __m256 phases = AdvanceGroup(next, increment);
  std::uint8_t* out = frames.out;
  for (std::size_t group = 0; group < groups; ++group, out += groupBytes) {
    const __m256 ahead = AdvanceGroup(next, increment);
    const __m512d values = ShapeValues(_mm512_cvtps_pd(phases));
    StoreSamples(out, ToSamples(_mm512_mul_pd(values, peak)), frames.channels);
    phases = ahead;
  }
  phase = _mm256_cvtss_f32(phases);  // the first frame not rendered
  return groups * kLanes;
}

}  // namespace

bool VectorPathAvailable() { return __builtin_cpu_supports("avx512f"); }

std::size_t RenderVectorFrames(const VectorFrames& frames, int shape, float& phase) {
  switch (shape) {
    case kShapeSine: return RenderGroups<SineValues>(frames, phase);
    case kShapeSaw: return RenderGroups<SawValues>(frames, phase);
    case kShapeSquare: return RenderGroups<SquareValues>(frames, phase);
    case kShapeTriangle: return RenderGroups<TriangleValues>(frames, phase);
    default: return 0;
  }
}

#pragma GCC diagnostic pop

#else  // no vector path in this build

bool VectorPathAvailable() { return false; }

std::size_t RenderVectorFrames(const VectorFrames&, int, float&) { return 0; }

#endif
