#include "signals/fft.h"

#include <optional>

#include "signals/exact_tone.h"

namespace {

constexpr std::size_t kLongestKeptPlan = std::size_t{1} << 18;

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
  if (data.size() > kLongestKeptPlan) {
    std::vector<std::complex<double>> out(data.size());
    kissfft<double>(data.size(), inverse).transform(data.data(), out.data());
    data.swap(out);
    return;
  }
  // The twiddles cost as much as a transform: a thread that repeats one size, as pink noise does
  // block after block, makes them once, and reuses its output buffer too.
  struct Plan {
    std::size_t size = 0;
    bool inverse = false;
    std::optional<kissfft<double>> transform;
    std::vector<std::complex<double>> out;
  };
  thread_local Plan plan;
  if (!plan.transform || plan.size != data.size() || plan.inverse != inverse) {
    plan.transform.emplace(data.size(), inverse);
    plan.size = data.size();
    plan.inverse = inverse;
  }
  plan.out.resize(data.size());
  plan.transform->transform(data.data(), plan.out.data());
  data.swap(plan.out);
}

std::size_t FastTransformSize(std::size_t size) {
  for (std::size_t candidate = size > 0 ? size : 1;; ++candidate) {
    std::size_t rest = candidate;
    for (std::size_t factor : {2, 3, 5})
      while (rest % factor == 0) rest /= factor;
    if (rest == 1) return candidate;
  }
}
