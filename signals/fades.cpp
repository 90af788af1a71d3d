#include "signals/fades.h"

#include "signals/exact_tone.h"

namespace {

// sin²(π/2 · step / (length - 1)): from 0 at step 0 to 1 at the ramp's last frame.
double RampGain(std::uint64_t step, std::uint64_t length) {
  const double sine = SineOfCycleFraction(step, 4 * (length - 1));
  return sine * sine;
}

}  // namespace

void ApplyFades(const Fades& fades, std::uint64_t first, std::size_t count, double* values) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint64_t frame = first + i;
    if (fades.in > 1 && frame < fades.in) values[i] *= RampGain(frame, fades.in);
    const std::uint64_t fromEnd = fades.frames - 1 - frame;
    if (fades.out > 1 && fromEnd < fades.out) values[i] *= RampGain(fromEnd, fades.out);
  }
}
