// The vector path on AVX-512: eight frames at a time. This file alone is built for AVX-512.
// GCC 12 takes the undefined pass-through operand inside its own AVX-512 conversions and
// min/max for an uninitialised variable.
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include <immintrin.h>
#include <sleef.h>

#include "sound/vector_path_loop.h"

namespace {

struct Avx512Unit {
  static constexpr std::size_t kCount = 8;
  using Phases = __m256;
  using Values = __m512d;

  static Phases Gather(const float (&p)[kCount]) {
    return _mm256_setr_ps(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]);
  }
  static Values Widen(Phases p) { return _mm512_cvtps_pd(p); }
  static float FirstPhase(Phases p) { return _mm256_cvtss_f32(p); }
  static Values Sine(Values p) { return Sleef_sind8_u35avx512f(p); }

  static Values SignsOf(Values x) {
    const Values zero = _mm512_setzero_pd();
    const Values positive =
        _mm512_mask_mov_pd(zero, _mm512_cmp_pd_mask(x, zero, _CMP_GT_OQ), _mm512_set1_pd(1.0));
    return _mm512_mask_mov_pd(positive, _mm512_cmp_pd_mask(x, zero, _CMP_LT_OQ),
                              _mm512_set1_pd(-1.0));
  }

  // As ToSample clamps: min and max keep x unless it is beyond the bound.
  static Values Clamp(Values x) {
    x = _mm512_min_pd(x, _mm512_set1_pd(kHighestSample));
    return _mm512_max_pd(x, _mm512_set1_pd(kLowestSample));
  }

  // Rounded in the current mode, as ToSample rounds; little-endian, as the processor stores
  // them; stereo repeats each sample.
  static void StoreSamples(std::uint8_t* out, Values clamped, std::uint32_t channels) {
    const __m256i wide = _mm512_cvtpd_epi32(clamped);
    const __m128i samples =
        _mm_packs_epi32(_mm256_castsi256_si128(wide), _mm256_extracti128_si256(wide, 1));
    auto* at = reinterpret_cast<__m128i*>(out);
    if (channels == 1) {
      _mm_storeu_si128(at, samples);
    } else {
      _mm_storeu_si128(at, _mm_unpacklo_epi16(samples, samples));
      _mm_storeu_si128(at + 1, _mm_unpackhi_epi16(samples, samples));
    }
  }
};

}  // namespace

std::size_t RenderAvx512Frames(const VectorFrames& frames, int shape, float& phase) {
  return RenderGroupsOfShape<Avx512Unit>(frames, shape, phase);
}
