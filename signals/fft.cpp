#include "signals/fft.h"

#include "signals/exact_tone.h"

namespace {

// e^{∓j2π i / n} from the program's own sine, not the C library's.
std::complex<double> Twiddle(std::size_t i, std::size_t n, bool inverse) {
  const double sine = SineOfCycleFraction(i, n);
  const double cosine = SineOfCycleFraction((4 * i + n) % (4 * n), 4 * n);
  return {cosine, inverse ? sine : -sine};
}

}  // namespace

#define KISSFFT_TWIDDLE(i, n, inverse) Twiddle(i, n, inverse)
#include "third_party/kissfft/kissfft.hh"

void TransformInPlace(std::vector<std::complex<double>>& data, bool inverse) {
  const kissfft<double> transform(data.size(), inverse);
  std::vector<std::complex<double>> out(data.size());
  transform.transform(data.data(), out.data());
  data.swap(out);
}

std::size_t FastTransformSize(std::size_t size) {
  for (std::size_t candidate = size > 0 ? size : 1;; ++candidate) {
    std::size_t rest = candidate;
    for (std::size_t factor : {2, 3, 5})
      while (rest % factor == 0) rest /= factor;
    if (rest == 1) return candidate;
  }
}
