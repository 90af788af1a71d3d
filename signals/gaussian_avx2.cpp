// The Gaussian noise's common case with 4 lanes a vector; built with -mavx2. AVX2 has neither
// 64-bit multiplication nor a lane mask in GCC's vector extensions, so it is written with the
// instruction set's own intrinsics, operation for operation as gaussian::CoreValue.
#include <immintrin.h>

#include "signals/gaussian_kernel.h"
#include "signals/gaussian_paths.h"

namespace {

using namespace gaussian;

// z · c modulo 2^64, from 32-bit products.
__m256i MultiplyBy(__m256i z, std::uint64_t c) {
  const __m256i low = _mm256_set1_epi64x(static_cast<std::int64_t>(c & 0xFFFFFFFFu));
  const __m256i high = _mm256_set1_epi64x(static_cast<std::int64_t>(c >> 32));
  const __m256i cross =
      _mm256_add_epi64(_mm256_mul_epu32(_mm256_srli_epi64(z, 32), low), _mm256_mul_epu32(z, high));
  return _mm256_add_epi64(_mm256_mul_epu32(z, low), _mm256_slli_epi64(cross, 32));
}

__m256i MixLanes(__m256i z) {
  z = MultiplyBy(_mm256_xor_si256(z, _mm256_srli_epi64(z, 30)), 0xBF58476D1CE4E5B9u);
  z = MultiplyBy(_mm256_xor_si256(z, _mm256_srli_epi64(z, 27)), 0x94D049BB133111EBu);
  return _mm256_xor_si256(z, _mm256_srli_epi64(z, 31));
}

// The top 53 bits as a double, exactly: two halves below 2^52 placed in doubles' mantissas.
__m256d UnitLanes(__m256i bits) {
  const __m256i kept = _mm256_srli_epi64(bits, kDroppedBits);
  const __m256i exponent = _mm256_set1_epi64x(0x4330000000000000);
  const __m256d two52 = _mm256_set1_pd(4503599627370496.0);
  const __m256d high = _mm256_sub_pd(
      _mm256_castsi256_pd(_mm256_or_si256(_mm256_srli_epi64(kept, 26), exponent)), two52);
  const __m256d low = _mm256_sub_pd(
      _mm256_castsi256_pd(_mm256_or_si256(
          _mm256_and_si256(kept, _mm256_set1_epi64x((std::int64_t{1} << 26) - 1)), exponent)),
      two52);
  return _mm256_add_pd(_mm256_mul_pd(high, _mm256_set1_pd(67108864.0)), low);
}

}  // namespace

std::size_t CoreValuesAvx2(const double* edges, std::uint64_t mixedSeed, std::uint64_t first,
                           std::size_t count, double* out, std::uint32_t* misses) {
  std::size_t i = 0, missed = 0;
  constexpr int kWidth = 4;
  __m256i weyl =
      _mm256_add_epi64(_mm256_set1_epi64x(static_cast<std::int64_t>(mixedSeed + first * kGolden)),
                       _mm256_setr_epi64x(0, static_cast<std::int64_t>(kGolden),
                                          static_cast<std::int64_t>(2 * kGolden),
                                          static_cast<std::int64_t>(3 * kGolden)));
  const __m256i stride = _mm256_set1_epi64x(static_cast<std::int64_t>(kWidth * kGolden));
  const __m256d nan = _mm256_set1_pd(__builtin_nan(""));
  for (; i + kWidth <= count; i += kWidth, weyl = _mm256_add_epi64(weyl, stride)) {
    const __m256i bits = MixLanes(weyl);
    // Each lane's edge and the next in one load; gathers are slower here.
    alignas(32) std::uint64_t layers[kWidth];
    _mm256_store_si256(reinterpret_cast<__m256i*>(layers),
                       _mm256_and_si256(bits, _mm256_set1_epi64x(kLayerMask)));
    const __m256d first =
        _mm256_set_m128d(_mm_loadu_pd(edges + layers[2]), _mm_loadu_pd(edges + layers[0]));
    const __m256d second =
        _mm256_set_m128d(_mm_loadu_pd(edges + layers[3]), _mm_loadu_pd(edges + layers[1]));
    const __m256d edge = _mm256_unpacklo_pd(first, second);
    const __m256d nextEdge = _mm256_unpackhi_pd(first, second);
    const __m256d x =
        _mm256_mul_pd(_mm256_mul_pd(UnitLanes(bits), _mm256_set1_pd(kTwoToMinus53)), edge);
    const __m256i sign = _mm256_slli_epi64(
        _mm256_and_si256(_mm256_srli_epi64(bits, kSignBit), _mm256_set1_epi64x(1)), 63);
    const __m256d inCore = _mm256_cmp_pd(x, nextEdge, _CMP_LT_OQ);
    const __m256d value = _mm256_xor_pd(x, _mm256_castsi256_pd(sign));
    _mm256_storeu_pd(out + i, _mm256_blendv_pd(nan, value, inCore));
    // Noted without a branch, which would mispredict on one vector in twenty.
    misses[missed] = static_cast<std::uint32_t>(i);
    missed += _mm256_movemask_pd(inCore) != 0xF;
  }
  // The last few one at a time, their places counted from the run's start.
  const std::size_t tail =
      CoreValues<1>(edges, mixedSeed, first + i, count - i, out + i, misses + missed);
  for (std::size_t m = missed; m < missed + tail; ++m) misses[m] += static_cast<std::uint32_t>(i);
  return missed + tail;
}
