#include "signals/pink_noise.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "signals/noise.h"
#include "signals/plain_math.h"

namespace {

// The filter's slowest pole decays to 2^-36 over the warm-up: 217 dB below what it carries.
constexpr double kForgottenNepers = 36 * 0.6931471805599453;
// Segments are at least this many warm-ups long, so that warming up costs a few percent.
constexpr std::uint64_t kSegmentsPerWarmUp = 16;
constexpr std::size_t kWhiteBlock = 4096;

// The cascade as its sum of partial fractions, c x[n] + Σ r_k s_k[n] with s_k[n] = x[n] +
// p_k s_k[n-1]: the sections no longer wait on each other and run side by side in vector lanes.
// Lanes past the filter's sections have p = r = 0 and add nothing.
// Two lanes a vector: SSE2, which both builds have, so that both compute the same bits.
constexpr std::size_t kLanes = 2;
constexpr std::size_t kVectors = 4;
typedef double Lanes __attribute__((vector_size(kLanes * sizeof(double))));
constexpr std::size_t kMostSections = kLanes * kVectors;

struct PartialFractions {
  Lanes poles[kVectors] = {}, residues[kVectors] = {};
  double direct = 1;
};

PartialFractions PartialFractionsOf(const PinkFilter& filter) {
  const std::vector<double>& p = filter.poles;
  const std::vector<double>& q = filter.zeros;
  PartialFractions fractions;
  for (std::size_t k = 0; k < p.size(); ++k) {
    fractions.direct *= q[k] / p[k];
    double residue = 1;
    for (std::size_t j = 0; j < p.size(); ++j) {
      residue *= 1 - q[j] / p[k];
      if (j != k) residue /= 1 - p[j] / p[k];
    }
    fractions.poles[k / kLanes][k % kLanes] = p[k];
    fractions.residues[k / kLanes][k % kLanes] = residue;
  }
  return fractions;
}

// One thread's filter: its state, and the frame it has reached.
struct PinkState {
  std::uint64_t plan = 0;  // the id of the plan it runs; 0: none
  std::uint64_t seed = 0;
  std::uint64_t next = 0;  // the frame the state has reached
  PartialFractions fractions;
  Lanes sums[kVectors] = {};
  std::vector<double> white;
};

void Restart(PinkState& state, const PinkNoise& pink, std::uint64_t from) {
  state.plan = pink.id;
  state.seed = pink.seed;
  state.next = from;
  state.fractions = PartialFractionsOf(*pink.filter);
  for (Lanes& sum : state.sums) sum = Lanes{};
}

// Frames state.next .. state.next + count - 1 through the filter, into `out` where given.
void Run(PinkState& state, std::size_t count, double* out) {
  const PartialFractions f = state.fractions;
  Lanes sums[kVectors];
  for (std::size_t v = 0; v < kVectors; ++v) sums[v] = state.sums[v];
  state.white.resize(kWhiteBlock);
  for (std::size_t done = 0; done < count;) {
    const std::size_t block = std::min(kWhiteBlock, count - done);
    RenderNoiseValues(NoiseKind::kGaussian, state.seed, state.next, block, state.white.data());
    for (std::size_t i = 0; i < block; ++i) {
      const double x = state.white[i];
      Lanes weighted = {};
#pragma GCC unroll 4
      for (std::size_t v = 0; v < kVectors; ++v) {
        sums[v] = f.poles[v] * sums[v] + x;
        weighted = weighted + f.residues[v] * sums[v];
      }
      const double value = f.direct * x + (weighted[0] + weighted[1]);
      if (out != nullptr) out[done + i] = value;
    }
    state.next += block;
    done += block;
  }
  for (std::size_t v = 0; v < kVectors; ++v) state.sums[v] = sums[v];
}

}  // namespace

PinkNoise PlanPinkNoise(std::uint64_t seed, double rate) {
  auto filter = std::make_shared<const PinkFilter>(DesignPinkFilter(rate));
  // The fit places a pole every factor of 3 from 4 Hz to 20 kHz: 8 at most.
  if (filter->poles.size() > kMostSections) std::abort();
  const double slowest = *std::max_element(filter->poles.begin(), filter->poles.end());
  const auto warmUp = static_cast<std::uint64_t>(std::ceil(kForgottenNepers / -LogOf(slowest)));
  std::uint64_t segment = 1;
  while (segment < kSegmentsPerWarmUp * warmUp) segment *= 2;
  static std::atomic<std::uint64_t> plans{0};
  return {++plans, seed, std::move(filter), segment, warmUp};
}

void RenderPinkValues(const PinkNoise& pink, std::uint64_t first, std::size_t count, double* out) {
  thread_local PinkState state;
  for (std::size_t done = 0; done < count;) {
    const std::uint64_t n = first + done;
    const std::uint64_t segmentStart = n - n % pink.segmentFrames;
    const std::uint64_t run =
        std::min<std::uint64_t>(count - done, segmentStart + pink.segmentFrames - n);
    // Within the segment the state carries on; anywhere else the segment starts again from rest.
    const bool carriesOn = state.plan == pink.id && state.next == n && n != segmentStart;
    if (!carriesOn) {
      const std::uint64_t from =
          segmentStart > pink.warmUpFrames ? segmentStart - pink.warmUpFrames : 0;
      Restart(state, pink, from);
      Run(state, static_cast<std::size_t>(n - from), nullptr);
    }
    Run(state, static_cast<std::size_t>(run), out + done);
    done += static_cast<std::size_t>(run);
  }
}
