// Fourier transforms by KISS FFT, with the same bits in both builds.
#pragma once

#include <complex>
#include <cstddef>
#include <vector>

// Forward (e^{-j2πkn/N}) or inverse (e^{+j...}, unscaled) transform of `data`, in place.
void TransformInPlace(std::vector<std::complex<double>>& data, bool inverse);
// The smallest size of at least `size` whose factors are 2, 3 and 5: fast for KISS FFT.
std::size_t FastTransformSize(std::size_t size);
