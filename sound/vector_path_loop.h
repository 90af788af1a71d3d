// The vector path's loop, written once for every instruction set. A vector unit type (Avx2Unit,
// Avx512Unit) names the registers (Phases: floats, Values: doubles, kCount lanes) and the few
// operations that differ: Gather, Widen, FirstPhase, Sine, SignsOf and StoreSamples. Include it
// only in a file that is built for that instruction set.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sound/shape_values.h"
#include "sound/vector_paths.h"

namespace {

// The same operations in the same order as the values in shape_values.h, lane by lane; only the
// sine is another evaluation.
template <typename Unit>
struct VectorShapeValues {
  using Values = typename Unit::Values;
  static Values Sine(Values p) { return Unit::Sine(p); }
  static Values Saw(Values p) { return (p - kPiF) / kPiF; }
  static Values Square(Values p) { return Unit::SignsOf(kSignTestPi - p); }
  static Values Triangle(Values p) {
    return 1.0 + Unit::SignsOf(kSignTestPi - p) * (p - kPiF) / kHalfPiF;
  }
};

// The next phases of the serial chain, gathered in a register: loading separate stores as one
// would stall the chain.
template <typename Unit>
inline typename Unit::Phases AdvanceGroup(float& phase, float increment) {
  float p[Unit::kCount];
#pragma GCC unroll 8
  for (std::size_t lane = 0; lane < Unit::kCount; ++lane) {
    p[lane] = phase;
    phase = AdvancePhase(phase, increment);
  }
  return Unit::Gather(p);
}

// The chain runs one group ahead of the values: the vector unit then works on phases that are
// long known, and the processor keeps the chain going alongside.
template <typename Unit, typename Unit::Values (*ShapeValues)(typename Unit::Values)>
std::size_t RenderGroups(const VectorFrames& frames, float& phase) {
  const std::size_t groups = frames.frames / Unit::kCount;
  if (groups == 0) return 0;
  const std::size_t groupBytes =
      Unit::kCount * std::size_t{kSixteenBitSampleBytes} * frames.channels;
  const float increment = frames.increment;
  const double peak = frames.peak;
  float next = phase;  // a local, so the chain stays in a register
  typename Unit::Phases phases = AdvanceGroup<Unit>(next, increment);
  std::uint8_t* out = frames.out;
  for (std::size_t group = 0; group < groups; ++group, out += groupBytes) {
    const typename Unit::Phases ahead = AdvanceGroup<Unit>(next, increment);
    const typename Unit::Values values = ShapeValues(Unit::Widen(phases));
    Unit::StoreSamples(out, Unit::Clamp(values * peak), frames.channels);
    phases = ahead;
  }
  phase = Unit::FirstPhase(phases);  // the first frame not rendered
  return groups * Unit::kCount;
}

template <typename Unit>
std::size_t RenderGroupsOfShape(const VectorFrames& frames, int shape, float& phase) {
  using Shapes = VectorShapeValues<Unit>;
  switch (shape) {
    case kShapeSine: return RenderGroups<Unit, Shapes::Sine>(frames, phase);
    case kShapeSaw: return RenderGroups<Unit, Shapes::Saw>(frames, phase);
    case kShapeSquare: return RenderGroups<Unit, Shapes::Square>(frames, phase);
    case kShapeTriangle: return RenderGroups<Unit, Shapes::Triangle>(frames, phase);
    default: return 0;
  }
}

}  // namespace
