// The vector path on AVX2: four frames at a time. This file alone is built for AVX2 and FMA,
// which SLEEF's AVX2 sine needs; no multiply-add of ours is fused.
#include <immintrin.h>
#include <sleef.h>

#include "sound/vector_path_loop.h"

namespace {

struct Avx2Unit {
  static constexpr std::size_t kCount = 4;
  using Phases = __m128;
  using Values = __m256d;

  static Phases Gather(const float (&p)[kCount]) { return _mm_setr_ps(p[0], p[1], p[2], p[3]); }
  static Values Widen(Phases p) { return _mm256_cvtps_pd(p); }
  static float FirstPhase(Phases p) { return _mm_cvtss_f32(p); }
  static Values Sine(Values p) { return Sleef_sind4_u35avx2(p); }

  static Values SignsOf(Values x) {
    const Values zero = _mm256_setzero_pd();
    const Values positive = _mm256_and_pd(_mm256_cmp_pd(x, zero, _CMP_GT_OQ), _mm256_set1_pd(1.0));
    const Values negative = _mm256_and_pd(_mm256_cmp_pd(x, zero, _CMP_LT_OQ), _mm256_set1_pd(-1.0));
    return _mm256_or_pd(positive, negative);
  }

  // As ToSample clamps: min and max keep x unless it is beyond the bound.
  static Values Clamp(Values x) {
    x = _mm256_min_pd(x, _mm256_set1_pd(kHighestSample));
    return _mm256_max_pd(x, _mm256_set1_pd(kLowestSample));
  }

  // Rounded in the current mode, as ToSample rounds; little-endian, as the processor stores
  // them; stereo repeats each sample.
  static void StoreSamples(std::uint8_t* out, Values clamped, std::uint32_t channels) {
    const __m128i wide = _mm256_cvtpd_epi32(clamped);
    const __m128i samples = _mm_packs_epi32(wide, wide);  // the four samples, twice
    auto* at = reinterpret_cast<__m128i*>(out);
    if (channels == 1) {
      _mm_storel_epi64(at, samples);
    } else {
      _mm_storeu_si128(at, _mm_unpacklo_epi16(samples, samples));
    }
  }
};

}  // namespace

std::size_t RenderAvx2Frames(const VectorFrames& frames, int shape, float& phase) {
  return RenderGroupsOfShape<Avx2Unit>(frames, shape, phase);
}
